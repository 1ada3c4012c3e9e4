// Movie sound: the program's volume movie steering a playing tone (measured at the audio
// library's output), the mixer's loop, envelope and sync rules, per-clip volume, stream sound
// following its timeline, and the decoders' sample formats.
#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <numbers>

#include "engine_fixture.h"
#include "nellymoser_tone.h"
#include "platform/audio/bass.h"
#include "platform/audio/output_probe.h"
#include "platform/flash/runtime/sound/sound_decode.h"
#include "platform/flash/runtime/sound/sound_mixing.h"
#include "platform/flash/runtime/sound/speex_decode.h"
#include "speex_tone.h"

namespace pencora::runtime {
namespace {

constexpr int kRate = 44100;
constexpr double kAmplitude = 16000;

// 0.1 s of a 441 Hz sine, 16-bit mono at 44.1 kHz, as DefineSound stores it.
swf::Sound toneSound() {
    swf::Sound s;
    s.format = swf::SoundFormat::UncompressedLittleEndian;
    s.rate = 3;
    s.is16Bit = true;
    s.stereo = false;
    s.sampleCount = kRate / 10;
    for (uint32_t i = 0; i < s.sampleCount; ++i) {
        const auto v = int16_t(std::lround(kAmplitude * std::sin(2 * std::numbers::pi * i / 100)));
        s.data.push_back(uint8_t(uint16_t(v) & 0xFF));
        s.data.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return s;
}

std::shared_ptr<const SoundPcm> constantPcm(int16_t level, size_t frames, int rate = kRate) {
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = rate;
    pcm->channels = 1;
    pcm->samples.assign(frames, level);
    return pcm;
}

double rms(const std::vector<float>& stereo) {
    double sum = 0;
    for (size_t i = 0; i < stereo.size(); i += 2) {
        sum += double(stereo[i]) * stereo[i];
    }
    return std::sqrt(sum / double(stereo.size() / 2));
}

swf::Bytes volumeMovie(uint8_t volume) {
    QFile f(QStringLiteral(PENCORA_SETVOLUME_PATH));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    swf::Bytes movie(bytes.begin(), bytes.end());
    EXPECT_EQ(movie.size(), 167u);
    if (movie.size() > 99) {
        movie[99] = volume;
    }
    return movie;
}

struct AudioOutput : testing::Test {
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, kRate, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }
};

// The player sets its volume by loading the volume movie into layer 1 with the volume at byte
// 99; the tone of layer 0 must follow it at the output.
TEST_F(AudioOutput, VolumeMovieInLayerOneSetsTheLevelOfEverySound) {
    test::EngineFixture f;
    swfwrite::MovieBuilder b(8, 550, 400, 12);
    const uint16_t tone = b.define(toneSound());
    swf::SoundInfo loop;
    loop.loopCount = 65535;
    loop.syncNoMultiple = true;  // the root loops: its first frame must not stack the tone
    b.startSound(tone, loop).showFrame();
    b.showFrame();
    ASSERT_TRUE(f.load(b, 0));

    // One frame of the mix per frame of the movie; what the output holds after a few frames
    // is the steady level.
    const size_t perFrame = kRate / 12;
    auto level = [&] {
        std::vector<float> out(perFrame * 2);
        for (int i = 0; i < 4; ++i) {
            f.engine->runFrame();
            EXPECT_TRUE(audio::pullOutput(out.data(), perFrame));
        }
        return rms(out);
    };
    const double full = level();
    ASSERT_GT(full, 0.2) << "the tone plays at full volume before any volume movie";
    for (int volume : {85, 40, 0, 100}) {
        const swf::Bytes movie = volumeMovie(uint8_t(volume));
        ASSERT_TRUE(f.engine->loadMovie(1, movie, u"setvolume.swf", {}));
        EXPECT_NEAR(level() / full, volume / 100.0, 0.02) << "volume " << volume;
    }
}

TEST(SoundMixer, LoopsInAndOutPointsAndEnvelopeShapeWhatPlays) {
    SoundMixer mixer;
    std::vector<int16_t> out(2 * 1000);

    // 100 frames looped three times, from 44 kHz sample 20 to 70: 150 frames in all.
    swf::SoundInfo info;
    info.loopCount = 3;
    info.inPoint = 20;
    info.outPoint = 70;
    const auto id = mixer.start(constantPcm(1000, 100), info, nullptr, 7);
    mixer.mix(out.data(), 1000);
    size_t sounding = 0;
    for (size_t i = 0; i < out.size(); i += 2) {
        sounding += out[i] != 0;
    }
    EXPECT_EQ(sounding, 150u);
    EXPECT_EQ(mixer.takeFinished(), std::vector<SoundMixer::VoiceId>{id});
    EXPECT_TRUE(mixer.takeFinished().empty()) << "a completion is told once";

    // An envelope from silent to full on the left, full on the right, over 100 samples.
    swf::SoundInfo shaped;
    shaped.envelope = std::vector<swf::SoundEnvelopePoint>{{0, 0, 32768}, {100, 32768, 32768}};
    mixer.start(constantPcm(1000, 1000), shaped, nullptr, 0);
    mixer.mix(out.data(), 200);
    EXPECT_EQ(out[0], 0);
    EXPECT_NEAR(out[2 * 50], 500, 10);
    EXPECT_EQ(out[2 * 150], 1000);
    EXPECT_EQ(out[1], 1000);
}

TEST(SoundMixer, StartSoundFlagsAndClipVolumesCombine) {
    SoundMixer mixer;
    std::vector<int16_t> out(2 * 10);
    swf::SoundInfo plain;
    swf::SoundInfo noMultiple;
    noMultiple.syncNoMultiple = true;
    swf::SoundInfo stop;
    stop.syncStop = true;

    mixer.startTag(constantPcm(1000, 1000), plain, nullptr, 3);
    mixer.startTag(constantPcm(1000, 1000), noMultiple, nullptr, 3);
    mixer.mix(out.data(), 10);
    EXPECT_EQ(out[0], 1000) << "no-multiple does not start a sound already playing";
    mixer.startTag(constantPcm(1000, 1000), plain, nullptr, 3);
    mixer.mix(out.data(), 10);
    EXPECT_EQ(out[0], 2000) << "without the flag it plays twice";
    mixer.startTag(nullptr, stop, nullptr, 3);
    EXPECT_FALSE(mixer.isPlaying(3));

    // A sound of a clip inside a clip: movie 50 % x outer 50 % x inner 80 %.
    auto outer = std::make_shared<DisplayObject>();
    auto inner = std::make_shared<DisplayObject>();
    inner->parent = outer.get();
    mixer.start(constantPcm(1000, 1000), plain, inner, 0);
    mixer.movieTransform().volume = 50;
    mixer.clipTransform(outer).volume = 50;
    mixer.clipTransform(inner).volume = 80;
    mixer.mix(out.data(), 10);
    EXPECT_EQ(out[0], 200);

    inner->parent = nullptr;
    inner.reset();
    mixer.mix(out.data(), 10);
    EXPECT_EQ(out[0], 0) << "a removed clip's sound stops with it";
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

// A stream sound whose block in frame n is the level 1000 * (n + 1): after each frame the
// mix plays that frame's block, and a stopped timeline runs out instead of playing on.
TEST(SoundMixer, StreamSoundFollowsItsTimeline) {
    swfwrite::MovieBuilder b(8, 550, 400, 10);
    b.tag(test::pcmStreamHead(kRate / 10));
    for (int frame = 0; frame < 4; ++frame) {
        swf::SoundStreamBlock block;
        const auto level = uint16_t(1000 * (frame + 1));
        for (int i = 0; i < kRate / 10; ++i) {
            block.data.push_back(uint8_t(level & 0xFF));
            block.data.push_back(uint8_t(level >> 8));
        }
        b.tag(block);
        if (frame == 2) {
            b.doAction(test::Actions().stop().bytes);
        }
        b.showFrame();
    }
    Player player;
    player.load(0, test::share(b));
    std::vector<int16_t> out(2 * (kRate / 10));
    for (int frame = 0; frame < 3; ++frame) {
        player.runFrame();
        player.sounds().mix(out.data(), kRate / 10);
        EXPECT_EQ(out[2 * 100], 1000 * (frame + 1)) << "frame " << frame;
    }
    // Stopped on frame 2: the next block may sound once, then nothing.
    player.runFrame();
    player.sounds().mix(out.data(), kRate / 10);
    player.runFrame();
    player.sounds().mix(out.data(), kRate / 10);
    EXPECT_EQ(out[2 * 100], 0);
}

TEST(SoundDecode, SampleFormats) {
    // 8-bit unsigned: 128 is silence.
    const uint8_t eight[] = {128, 255, 0};
    auto pcm =
        decodeSoundData(swf::SoundFormat::UncompressedLittleEndian, 11025, false, false, eight);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->samples, (std::vector<int16_t>{0, 127 << 8, -32768}));
    EXPECT_EQ(pcm->rate, 11025);

    // Stereo 16-bit: an odd sample at the end is not a frame.
    const uint8_t sixteen[] = {1, 0, 2, 0, 3, 0};
    pcm = decodeSoundData(swf::SoundFormat::UncompressedLittleEndian, 44100, true, true, sixteen);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->frames(), 1u);

    // ADPCM, 4-bit codes: first sample 1000 at step index 0, then code 7 twice. Bits: 10
    // (4-bit), 0000001111101000 (1000), 000000 (index), 0111, 0111.
    const uint8_t adpcm[] = {0b1000'0000, 0b1111'1010, 0b0000'0000, 0b0111'0111, 0};
    pcm = decodeSoundData(swf::SoundFormat::Adpcm, 22050, true, false, adpcm);
    ASSERT_TRUE(pcm);
    ASSERT_GE(pcm->samples.size(), 3u);
    EXPECT_EQ(pcm->samples[0], 1000);
    EXPECT_EQ(pcm->samples[1], 1011);  // step 7: 7/8 + 7 + 7/2 + 7/4, cut
    EXPECT_EQ(pcm->samples[2], 1041);  // index 8, step 16

    // The declared sample count is the sound, whatever the data holds beyond it.
    swf::Sound tone = toneSound();
    tone.sampleCount = 100;
    pcm = decodeSound(tone);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->frames(), 100u);

    EXPECT_FALSE(decodeSoundData(swf::SoundFormat::Mp3, 44100, true, false, adpcm))
        << "garbage is no MP3";
    EXPECT_FALSE(decodeSoundData(swf::SoundFormat::Nellymoser, 44100, true, false, adpcm));
}

// Zero crossings per second of the middle half of `pcm` (the codec's start-up left out).
double crossingsPerSecond(const SoundPcm& pcm) {
    const size_t from = pcm.samples.size() / 4;
    const size_t to = pcm.samples.size() * 3 / 4;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        crossings += (pcm.samples[i - 1] < 0) != (pcm.samples[i] < 0);
    }
    return crossings * double(pcm.rate) / double(to - from);
}

TEST(SoundDecode, NellymoserKeepsPitchAndRateInEventAndStreamSounds) {
    const swf::Bytes tone = flash::video::test::nellymoserTone(22050, 440, 1.0);
    ASSERT_GE(tone.size(), 64u * 80) << "no Nellymoser encoder";
    swf::Sound sound;
    sound.format = swf::SoundFormat::Nellymoser;
    sound.rate = 2;       // 22 kHz
    sound.stereo = true;  // Nellymoser is mono whatever the flags say
    sound.data = tone;
    auto pcm = decodeSound(sound);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->rate, 22050);
    EXPECT_EQ(pcm->channels, 1);
    EXPECT_EQ(pcm->frames(), tone.size() / 64 * 256);
    EXPECT_NEAR(crossingsPerSecond(*pcm), 880, 25);

    // The 8 kHz kind ignores the header's rate.
    const swf::Bytes low = flash::video::test::nellymoserTone(8000, 200, 1.0);
    pcm = decodeSoundData(swf::SoundFormat::Nellymoser8k, 44100, true, false, low);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->rate, 8000);
    EXPECT_NEAR(crossingsPerSecond(*pcm), 400, 15);

    // A stream sound: whole blocks per frame, each frame's start where its block begins.
    swf::Timeline timeline;
    swf::SoundStreamHead head;
    head.format = swf::SoundFormat::Nellymoser;
    head.streamRate = 2;
    timeline.frames.push_back({{head}, {}});
    for (size_t at = 0; at + 64 * 8 <= tone.size(); at += 64 * 8) {
        swf::SoundStreamBlock block{
            swf::Bytes(tone.begin() + long(at), tone.begin() + long(at) + 64 * 8)};
        timeline.frames.push_back({{block}, {}});
    }
    auto stream = decodeStreamSound(timeline);
    ASSERT_TRUE(stream);
    ASSERT_GE(stream->frameStart.size(), 3u);
    EXPECT_EQ(stream->frameStart[1], 0);
    EXPECT_EQ(stream->frameStart[2], 8 * 256);

    // A stream of the 16 kHz kind plays at 16 kHz, mono, whatever its header says.
    const swf::Bytes wide = flash::video::test::nellymoserTone(16000, 440, 0.5);
    swf::Timeline fixed;
    head.format = swf::SoundFormat::Nellymoser16k;
    head.streamRate = 3;
    head.streamStereo = true;
    fixed.frames.push_back({{head}, {}});
    fixed.frames.push_back({{swf::SoundStreamBlock{wide}}, {}});
    stream = decodeStreamSound(fixed);
    ASSERT_TRUE(stream && stream->pcm);
    EXPECT_EQ(stream->pcm->rate, 16000);
    EXPECT_EQ(stream->pcm->channels, 1);
    EXPECT_EQ(stream->pcm->frames(), wide.size() / 64 * 256);
}

swf::Bytes joined(const std::vector<std::vector<uint8_t>>& packets, size_t from, size_t to) {
    swf::Bytes out;
    for (size_t i = from; i < std::min(to, packets.size()); ++i) {
        out.insert(out.end(), packets[i].begin(), packets[i].end());
    }
    return out;
}

// Speex data is frames one after another; every frame's size follows from its modes, at
// every quality and at a variable rate, whether each frame is padded to its byte or several
// follow one another bit by bit. The sound is 16 kHz mono whatever the header says.
TEST(SoundDecode, SpeexFramesFollowTheirModesInEventAndStreamSounds) {
    struct Case {
        int quality;
        bool variable;
        int framesPerPacket;
    };
    for (const Case c :
         {Case{0, false, 1}, Case{3, false, 1}, Case{8, false, 1}, Case{10, false, 1},
          Case{5, true, 1}, Case{8, false, 3}, Case{3, false, 2}, Case{5, true, 2}}) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality << (c.variable ? " vbr" : "")
                                        << ", frames a packet " << c.framesPerPacket);
        const auto packets =
            flash::video::test::speexTone(1.0, c.quality, c.variable, c.framesPerPacket);
        ASSERT_GE(packets.size() * size_t(c.framesPerPacket), 45u) << "no Speex encoder";
        const swf::Bytes data = joined(packets, 0, packets.size());
        int frames = 0;
        for (const SpeexPacket& p : speexPackets(data)) {
            frames += p.frames;
        }
        EXPECT_EQ(frames, 50);
        swf::Sound sound;
        sound.format = swf::SoundFormat::Speex;
        sound.rate = 0;  // 5.5 kHz in the header, 16 kHz in the data
        sound.stereo = true;
        sound.sampleCount = 50 * 320;
        sound.data = data;
        auto pcm = decodeSound(sound);
        ASSERT_TRUE(pcm);
        EXPECT_EQ(pcm->rate, 16000);
        EXPECT_EQ(pcm->channels, 1);
        EXPECT_EQ(pcm->frames(), 50u * 320);
        if (c.quality >= 3) {  // the lowest rates keep the pitch only roughly
            EXPECT_NEAR(crossingsPerSecond(*pcm), 880, 30);
        }
    }

    // A stream sound of five frames a block, its header saying 5.5 kHz stereo.
    const auto packets = flash::video::test::speexTone(1.0, 8);
    ASSERT_EQ(packets.size(), 50u);
    swf::Timeline timeline;
    swf::SoundStreamHead head;
    head.format = swf::SoundFormat::Speex;
    head.streamRate = 0;
    head.streamStereo = true;
    timeline.frames.push_back({{head}, {}});
    for (size_t at = 0; at < packets.size(); at += 5) {
        timeline.frames.push_back({{swf::SoundStreamBlock{joined(packets, at, at + 5)}}, {}});
    }
    auto stream = decodeStreamSound(timeline);
    ASSERT_TRUE(stream && stream->pcm);
    EXPECT_EQ(stream->pcm->rate, 16000);
    EXPECT_EQ(stream->pcm->channels, 1);
    ASSERT_GE(stream->frameStart.size(), 3u);
    EXPECT_EQ(stream->frameStart[2], 5 * 320);
    EXPECT_EQ(stream->pcm->frames(), 50u * 320);

    // Cut or broken data: the whole frames before the break, nothing past it.
    const swf::Bytes cut(packets[0].begin(), packets[0].end() - 1);
    EXPECT_TRUE(speexPackets(cut).empty());
    swf::Bytes broken = joined(packets, 0, 2);
    broken.insert(broken.end(), {0xF0, 0x00, 0xFF});  // a terminator, then garbage
    EXPECT_EQ(speexPackets(broken).size(), 2u);
    EXPECT_FALSE(decodeSoundData(swf::SoundFormat::Speex, 5512, false, false, swf::Bytes{0xFF}));
}

}  // namespace
}  // namespace pencora::runtime
