// The audio library heard from the outside: streams are played on SDL's disk driver and the
// PCM the device was given is measured. Tones are written on the spot with libsndfile.
#include "listening.h"
#include "platform/audio/bass.h"
#include "platform/audio/output_probe.h"
#include "platform/audio/pcm_source.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace pencora::audio;
using namespace pencora::audio::testing;
using namespace std::chrono_literals;

namespace {

HSTREAM open(const fs::path& path, QWORD offset = 0, QWORD length = 0) {
    const std::u16string wide = path.u16string();
    return BASS_StreamCreateFile(0, wide.c_str(), offset, length, BASS_UNICODE);
}

// One past the last audible frame before `limit`.
size_t endOfSoundBefore(const Capture& c, size_t limit) {
    size_t end = 0;
    for (size_t i = 0; i < std::min(limit, c.frames()); ++i) {
        if (soundingFrames(c, i, i + 1) > 0) {
            end = i + 1;
        }
    }
    return end;
}

// Duration in seconds between the first and last audible frame.
double heardSeconds(const Capture& c) {
    const size_t first = firstSounding(c);
    const size_t end = endOfSound(c);
    return end > first ? c.seconds(end - first) : 0.0;
}

class Listening : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(out.start()); }
    void TearDown() override { BASS_Free(); }
    TempFolder tmp;
    DiskOutput out{tmp.path()};
};

}  // namespace

TEST_F(Listening, EachFormatSoundsForItsDecodedLength) {
    struct Row {
        const char* name;
        ToneFormat format;
        int rate;
        int channels;
    };
    const Row rows[] = {
        {"mono 22.05 kHz WAV, resampled", ToneFormat::Wav, 22050, 1},
        {"mono 44.1 kHz MP3", ToneFormat::Mp3, 44100, 1},
        {"stereo 48 kHz OGG, resampled", ToneFormat::Ogg, 48000, 2},
    };
    std::vector<HSTREAM> handles;
    for (const Row& row : rows) {
        const fs::path file = tmp.path() / row.name;
        ASSERT_TRUE(writeTone(file, row.format, row.rate, row.channels, 0.3, 440)) << row.name;
        handles.push_back(open(file));
        ASSERT_NE(handles.back(), 0u) << row.name;
    }
    // One after another, with silence between, so each can be measured on its own.
    std::vector<size_t> starts;
    for (HSTREAM h : handles) {
        starts.push_back(out.elapsed());
        EXPECT_TRUE(BASS_ChannelPlay(h, 0));
        out.waitFor(0.5);
    }
    Capture c = out.finish();
    for (size_t i = 0; i < handles.size(); ++i) {
        const size_t from = starts[i];
        const size_t first = firstSounding(c, from);
        size_t end = first;
        while (end < c.frames() && soundingFrames(c, end, end + 512) > 0) {
            end += 1;
        }
        EXPECT_NEAR(c.seconds(end - first), 0.3, 0.03) << rows[i].name;
        EXPECT_NEAR(toneAmplitude(c, first + 1000, first + 9000, 440), 0.5, 0.1) << rows[i].name;
    }
}

TEST_F(Listening, FreeSilencesTheStreamWithinOneDeviceBuffer) {
    const fs::path file = tmp.path() / "long.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 3.0, 440));
    const HSTREAM h = open(file);
    ASSERT_TRUE(BASS_ChannelPlay(h, 0));
    out.waitFor(0.4);
    const size_t before = out.elapsed();
    EXPECT_TRUE(BASS_StreamFree(h));
    const size_t freedAt = out.elapsed();
    out.waitFor(0.2);
    const int buffer = outputFormat().bufferFrames;
    Capture c = out.finish();

    EXPECT_GE(endOfSound(c) + buffer, before);
    EXPECT_LE(endOfSound(c), freedAt + buffer);
    EXPECT_FALSE(BASS_StreamFree(h)) << "a freed handle is gone";
}

TEST_F(Listening, StreamsPlayTogether) {
    const fs::path a = tmp.path() / "a.mp3";
    const fs::path b = tmp.path() / "b.wav";
    ASSERT_TRUE(writeTone(a, ToneFormat::Mp3, 44100, 1, 0.8, 440, 0.3));
    ASSERT_TRUE(writeTone(b, ToneFormat::Wav, 44100, 1, 0.5, 1000, 0.3));
    BASS_ChannelPlay(open(a), 0);
    out.waitFor(0.2);
    const size_t bStart = out.elapsed();
    BASS_ChannelPlay(open(b), 0);
    out.waitFor(0.8);
    Capture c = out.finish();

    const size_t from = bStart + 4096;
    const size_t to = from + 8192;
    EXPECT_NEAR(toneAmplitude(c, from, to, 440), 0.3, 0.05);
    EXPECT_NEAR(toneAmplitude(c, from, to, 1000), 0.3, 0.05);
}

TEST_F(Listening, TheProgramCanStillBeEndedBySignals) {
    // SDL installs its own SIGINT and SIGTERM handlers unless told not to; with them the
    // program ignored a plain kill.
    for (int sig : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        sigaction(sig, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << sig;
    }
}

TEST_F(Listening, MissingOrUnreadableFileGivesHandleZeroAndSilence) {
    const fs::path junk = tmp.path() / "junk.mp3";
    std::ofstream(junk) << "this is not a sound file at all";
    EXPECT_EQ(open(tmp.path() / "none.mp3"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(open(junk), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(open(tmp.path()), 0u) << "a folder";
    EXPECT_FALSE(BASS_ChannelPlay(0, 0));
    EXPECT_FALSE(BASS_ChannelStop(0));
    EXPECT_FALSE(BASS_StreamFree(0));
    out.waitFor(0.1);
    Capture c = out.finish();
    EXPECT_EQ(soundingFrames(c, 0, c.frames(), 0.0001f), 0u);
}

TEST_F(Listening, ByteRangeOfMp3PlaysOnlyThatRange) {
    const fs::path file = tmp.path() / "reading.mp3";
    ASSERT_TRUE(writeTone(file, ToneFormat::Mp3, 44100, 1, 2.0, 440));
    const auto size = static_cast<QWORD>(fs::file_size(file));
    // Offsets land inside frames on purpose: the stream starts at the next whole frame.
    const HSTREAM middle = open(file, size / 4 + 3, size / 2);
    const HSTREAM tail = open(file, size - size / 4 + 7, 0);
    ASSERT_NE(middle, 0u);
    ASSERT_NE(tail, 0u);
    EXPECT_EQ(open(file, size + 10, 0), 0u) << "an offset past the end";

    const size_t middleStart = out.elapsed();
    BASS_ChannelPlay(middle, 0);
    out.waitFor(1.3);
    const size_t tailStart = out.elapsed();
    BASS_ChannelPlay(tail, 0);
    out.waitFor(0.8);
    Capture c = out.finish();

    // The first frames after a cut sound at once: the decoder was primed on the frames
    // before the cut, which are not heard.
    const size_t middleFirst = firstSounding(c, middleStart);
    const size_t tailFirst = firstSounding(c, tailStart);
    EXPECT_LT(c.seconds(middleFirst - middleStart), 0.04);
    EXPECT_LT(c.seconds(tailFirst - tailStart), 0.04);
    const double bytesPerSecond = 64000 / 8;  // the tone is written at 64 kbit/s
    EXPECT_NEAR(c.seconds(endOfSoundBefore(c, tailStart) - middleFirst),
                (size / 2) / bytesPerSecond, 0.05);
    EXPECT_NEAR(c.seconds(endOfSound(c) - tailFirst), (size / 4 - 7) / bytesPerSecond, 0.05);
}

TEST_F(Listening, StreamAtItsEndStaysAllocatedAndSilent) {
    const fs::path file = tmp.path() / "short.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 0.1, 440));
    const HSTREAM h = open(file);
    BASS_ChannelPlay(h, 0);
    out.waitFor(0.3);
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_TRUE(BASS_ChannelPlay(h, 0));
    out.waitFor(0.2);
    EXPECT_TRUE(BASS_StreamFree(h));
    Capture c = out.finish();
    EXPECT_NEAR(heardSeconds(c), 0.1, 0.02) << "played once, not again";
}

TEST_F(Listening, PcmSourceIsMixedAtItsOwnVolume) {
    const PcmSourceId pcm = pcmSourceOpen(22050, 1);
    ASSERT_NE(pcm, 0u);
    EXPECT_TRUE(pcmSourceSetVolume(pcm, 50));
    std::vector<int16_t> tone(22050 / 2);
    for (size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<int16_t>(0.8 * 32767 * std::sin(2 * M_PI * 500 * i / 22050.0));
    }
    const fs::path file = tmp.path() / "b.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 0.5, 1000, 0.3));
    EXPECT_EQ(pcmSourceWrite(pcm, tone.data(), tone.size()), tone.size());
    BASS_ChannelPlay(open(file), 0);
    out.waitFor(0.7);
    EXPECT_EQ(pcmSourceQueued(pcm), 0u);
    EXPECT_TRUE(pcmSourceClose(pcm));
    EXPECT_FALSE(pcmSourceWrite(pcm, tone.data(), tone.size())) << "closed";
    Capture c = out.finish();

    const size_t from = firstSounding(c, 0) + 2048;
    EXPECT_NEAR(toneAmplitude(c, from, from + 8192, 500), 0.4, 0.04);
    EXPECT_NEAR(toneAmplitude(c, from, from + 8192, 1000), 0.3, 0.04);
}

// Without an output device: the parts that need no listening.
class NoDevice : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }
    TempFolder tmp;
};

TEST_F(NoDevice, HandlesAreNeverReusedSoAStaleSlotCannotFreeANewerStream) {
    const fs::path file = tmp.path() / "t.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 0.2, 440));
    const HSTREAM first = open(file);
    ASSERT_TRUE(BASS_StreamFree(first));
    const HSTREAM second = open(file);
    EXPECT_NE(second, first);
    EXPECT_FALSE(BASS_StreamFree(first));
    EXPECT_TRUE(BASS_ChannelPlay(second, 0));
    std::vector<float> mix(2 * 2048);
    ASSERT_TRUE(pullOutput(mix.data(), 2048));
    EXPECT_GT(*std::max_element(mix.begin(), mix.end()), 0.3f);
}

TEST_F(NoDevice, StopPausesWherePlayResumesAndRestartBeginsAgain) {
    const fs::path file = tmp.path() / "t.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 0.2, 440));
    const HSTREAM h = open(file);
    // A short sound is decoded whole when the stream is made, so pulling needs no waiting.
    auto heard = [](double seconds) {
        Capture c{44100, std::vector<float>(2 * static_cast<size_t>(seconds * 44100))};
        EXPECT_TRUE(pullOutput(c.samples.data(), c.frames()));
        return c.seconds(soundingFrames(c, 0, c.frames()));
    };
    ASSERT_TRUE(BASS_ChannelPlay(h, 0));
    EXPECT_NEAR(heard(0.1), 0.1, 0.01);
    ASSERT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(heard(0.1), 0.0);
    ASSERT_TRUE(BASS_ChannelPlay(h, 0));
    EXPECT_NEAR(heard(0.3), 0.1, 0.01) << "the rest, not the whole again";
    ASSERT_TRUE(BASS_ChannelPlay(h, 1));
    EXPECT_NEAR(heard(0.3), 0.2, 0.01) << "restart plays it from the start";
}

TEST_F(NoDevice, SecondInitFailsAndNothingWorksAfterFree) {
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    const fs::path file = tmp.path() / "t.wav";
    ASSERT_TRUE(writeTone(file, ToneFormat::Wav, 44100, 1, 0.2, 440));
    const HSTREAM h = open(file);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_FALSE(BASS_ChannelPlay(h, 0)) << "shut-down freed it";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(open(file), 0u);
    EXPECT_EQ(pcmSourceOpen(22050, 1), 0u);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)) << "and it starts again";
}

TEST_F(NoDevice, PcmSourceTakesOnlyWhatFitsAhead) {
    const PcmSourceId pcm = pcmSourceOpen(44100, 2);
    std::vector<int16_t> fiveSeconds(2 * 44100 * 5, 1000);
    const size_t taken = pcmSourceWrite(pcm, fiveSeconds.data(), 44100 * 5);
    EXPECT_GT(taken, 44100u);
    EXPECT_LT(taken, 44100u * 3);
    EXPECT_EQ(pcmSourceOpen(22050, 3), 0u) << "more channels than a source takes";
}

TEST(AudioLibrary, UnavailableDriverFailsInitAndEveryLaterCallQuietly) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const char16_t path[] = u"/nonexistent.mp3";
    EXPECT_EQ(BASS_StreamCreateFile(0, path, 0, 0, BASS_UNICODE), 0u);
    EXPECT_FALSE(BASS_ChannelPlay(1, 0));
    EXPECT_FALSE(BASS_Free());
    EXPECT_FALSE(BASS_Init(5000, 44100, 0, nullptr, nullptr)) << "no such device";
}
