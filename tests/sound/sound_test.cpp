// The program's sounds heard at the device: play_file on the two channel and audio start-up,
// over a content folder of tones made on the spot, each sound its own pitch.
#include "listening.h"
#include "platform/fs/program_path.h"
#include "sound/audio_startup.h"
#include "sound/play_file.h"

#include <gtest/gtest.h>

#include <QString>
#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace stdfs = std::filesystem;
using namespace pencora;
using namespace pencora::audio::testing;
using namespace std::chrono_literals;

namespace {

class SoundSlots : public ::testing::Test {
  protected:
    void SetUp() override {
        stdfs::create_directories(tmp.path() / "Data" / "sound");
        stdfs::create_directories(tmp.path() / "Data" / "sndsoft");
        pencora::fs::setProgramFolder(QString::fromStdString(tmp.path().string()));
        ASSERT_TRUE(out.start());
    }
    void TearDown() override {
        sound::shutdownAudio();
        pencora::fs::setProgramFolder({});
    }
    // A tone file below the program folder, written as the path reads ('/' separated).
    void tone(const std::string& relative, double seconds, double frequency) {
        const stdfs::path file =
            tmp.path() /
            stdfs::path(std::u8string(reinterpret_cast<const char8_t*>(relative.c_str())));
        stdfs::create_directories(file.parent_path());
        const auto format = file.extension() == ".wav" ? ToneFormat::Wav : ToneFormat::Mp3;
        ASSERT_TRUE(writeTone(file, format, 44100, 1, seconds, frequency, 0.3)) << relative;
    }
    static double seconds(double s) { return s * 44100; }

    TempFolder tmp;
    DiskOutput out{tmp.path()};
    std::array<uint32_t, 2> channel{0, 0};
};

}  // namespace

TEST_F(SoundSlots, CrossingTheToolbarQuicklySoundsOnlyTheLastPrompt) {
    const char* hints[] = {"tbxkw", "zcsj", "tyrz", "kyrz", "tyby", "kzry", "wnnx"};
    for (size_t i = 0; i < std::size(hints); ++i) {
        tone(std::string("Data/sndsoft/") + hints[i] + ".mp3", 0.5, 400 + 150 * i);
    }
    for (const char* hint : hints) {
        sound::play_file(channel[0], QStringLiteral("Data\\sndsoft\\%1.mp3").arg(hint));
        std::this_thread::sleep_for(3ms);
    }
    const size_t lastStart = out.elapsed();
    out.waitFor(0.7);
    const Capture c = out.finish();

    const size_t from = lastStart + 2048;  // past the buffer that may still hold the one before
    const size_t to = from + static_cast<size_t>(seconds(0.3));
    EXPECT_NEAR(toneAmplitude(c, from, to, 400 + 150 * 6), 0.3, 0.05);
    for (size_t i = 0; i + 1 < std::size(hints); ++i) {
        EXPECT_LT(toneAmplitude(c, from, to, 400 + 150 * i), 0.02) << hints[i];
    }
    EXPECT_LT(c.seconds(soundingFrames(c, 0, lastStart)), 0.3) << "earlier prompts cut short";
}

TEST_F(SoundSlots, ARightAnswerCutsThePronunciationButNotTheLessonReading) {
    tone("Data/sound/xiáng.mp3", 1.5, 1000);
    tone("Data/sndsoft/right.wav", 0.4, 2000);
    tone("Data/lessonread/010201.mp3", 1.5, 440);
    sound::play_file(channel[1], u"DATA\\lessonread\\010201.mp3");
    sound::play_file(channel[0], u"Data\\sound\\xiáng.mp3");
    ASSERT_NE(channel[0], 0u);
    ASSERT_NE(channel[1], 0u);
    out.waitFor(0.3);
    const size_t rightAt = out.elapsed();
    sound::play_file(channel[0], u"Data\\sndsoft\\right.wav");
    out.waitFor(0.4);
    const Capture c = out.finish();

    const size_t from = rightAt + 2048;
    const size_t to = from + static_cast<size_t>(seconds(0.25));
    EXPECT_NEAR(toneAmplitude(c, from, to, 440), 0.3, 0.05) << "reading goes on";
    EXPECT_NEAR(toneAmplitude(c, from, to, 2000), 0.3, 0.05) << "the cue sounds";
    EXPECT_LT(toneAmplitude(c, from, to, 1000), 0.02) << "the pronunciation is cut";
    EXPECT_NEAR(toneAmplitude(c, rightAt - 6000, rightAt - 2000, 1000), 0.3, 0.05);
}

TEST_F(SoundSlots, APinyinNamingNoFileStopsTheOldPronunciationAndPlaysNothing) {
    tone("Data/sound/huà.mp3", 1.5, 1000);
    sound::play_file(channel[0], u"Data\\sound\\huà.mp3");
    out.waitFor(0.3);
    sound::play_file(channel[0], u"Data\\sound\\huá .mp3");
    const size_t stoppedAt = out.elapsed();
    EXPECT_EQ(channel[0], 0u);
    out.waitFor(0.3);
    const Capture c = out.finish();
    EXPECT_GT(soundingFrames(c, 0, stoppedAt), seconds(0.2));
    EXPECT_EQ(soundingFrames(c, stoppedAt + 1024, c.frames()), 0u);
}

TEST_F(SoundSlots, PathsMatchIgnoringCaseAndNeverLeaveTheProgramFolder) {
    tone("Data/sound/xiáng.mp3", 0.2, 1000);
    tone("outside.wav", 0.2, 1000);
    sound::play_file(channel[0], u"DATA\\SOUND\\XIÁNG.mp3");
    EXPECT_NE(channel[0], 0u);
    sound::play_file(channel[0], u"Data\\sound\\..\\..\\outside.wav");
    EXPECT_EQ(channel[0], 0u);
    sound::play_file(channel[1], QString::fromStdString((tmp.path() / "outside.wav").string()));
    EXPECT_EQ(channel[1], 0u) << "an absolute path";
}

TEST_F(SoundSlots, ShutDownStopsBothSlotsAtOnce) {
    tone("Data/sound/a.mp3", 2, 1000);
    tone("Data/lessonread/010201.mp3", 2, 440);
    sound::play_file(channel[0], u"Data\\sound\\a.mp3");
    sound::play_file(channel[1], u"DATA\\lessonread\\010201.mp3");
    out.waitFor(0.3);
    sound::shutdownAudio();
    // Once shut-down returns the device is closed: nothing more is mixed or written.
    const size_t closedAt = out.elapsed();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(out.elapsed(), closedAt);
    const Capture c = out.finish();
    EXPECT_GT(soundingFrames(c, 0, c.frames()), seconds(0.2)) << "both were playing";
    sound::play_file(channel[0], u"Data\\sound\\a.mp3");
    EXPECT_EQ(channel[0], 0u) << "after shut-down nothing plays";
}

TEST(AudioStartup, WithoutADeviceTheInitMessageShowsOnceAndSoundsAreSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::vector<QString> shown;
    sound::startAudio(nullptr, [&](const QString& text) { shown.push_back(text); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QString::fromUtf16(sound::kInitFailedText));
    EXPECT_EQ(shown[0], QStringLiteral("发音引擎初始化错误，可能无法正常使用朗读功能!"));

    uint32_t slot = 77;  // a stale number from before
    sound::play_file(slot, u"Data\\sndsoft\\begin.mp3");
    EXPECT_EQ(slot, 0u);
    sound::shutdownAudio();
    EXPECT_EQ(shown.size(), 1u);
}

TEST(AudioStartup, StartingAgainWhileRunningReportsNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<QString> shown;
    sound::startAudio(nullptr, [&](const QString& text) { shown.push_back(text); });
    sound::startAudio(nullptr, [&](const QString& text) { shown.push_back(text); });
    EXPECT_TRUE(shown.empty());
    sound::shutdownAudio();
}
