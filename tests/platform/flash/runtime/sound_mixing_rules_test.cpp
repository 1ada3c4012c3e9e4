// The mixer's arithmetic: how Sound.setTransform routes the channels, what several voices
// add up to, how slower sounds stretch to the output rate, where a start offset or odd in and
// out points leave a voice, which voices a stop reaches, and the clock of the output feed.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <set>

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/sound/sound_mixing.h"

namespace pencora::runtime {
namespace {

constexpr int kRate = SoundMixer::kRate;

std::shared_ptr<const SoundPcm> mono(int16_t level, size_t frames, int rate = kRate) {
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = rate;
    pcm->channels = 1;
    pcm->samples.assign(frames, level);
    return pcm;
}

std::shared_ptr<const SoundPcm> stereo(int16_t left, int16_t right, size_t frames) {
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = kRate;
    pcm->channels = 2;
    for (size_t i = 0; i < frames; ++i) {
        pcm->samples.push_back(left);
        pcm->samples.push_back(right);
    }
    return pcm;
}

struct Frame {
    int left;
    int right;
};

// The first output frame of the mix.
Frame firstFrame(SoundMixer& mixer) {
    std::vector<int16_t> out(2 * 4);
    mixer.mix(out.data(), 4);
    return {out[0], out[1]};
}

// How many output frames carry sound, mixing `frames` of them.
size_t sounding(SoundMixer& mixer, size_t frames) {
    std::vector<int16_t> out(2 * frames);
    mixer.mix(out.data(), frames);
    size_t n = 0;
    for (size_t i = 0; i < frames; ++i) {
        n += out[2 * i] != 0 || out[2 * i + 1] != 0;
    }
    return n;
}

TEST(SoundMixingRules, TransformsRouteEachInputToTheSpeakersTheirNamesSay) {
    // ll: left input in the left speaker, lr: right input in the left speaker, rr: right
    // input in the right speaker, rl: left input in the right speaker. So
    // left = L * ll + R * lr and right = R * rr + L * rl.
    struct Row {
        const char* name;
        SoundTransform t;
        Frame expected;
    };
    const Row rows[] = {
        {"default", {}, {1000, 100}},
        {"left input in both speakers", {100, 100, 0, 100, 0}, {1000, 1000}},
        {"right input in both speakers", {100, 0, 100, 0, 100}, {100, 100}},
        {"swapped", {100, 0, 100, 100, 0}, {100, 1000}},
        {"halves and quarters", {100, 50, 100, 25, 0}, {600, 250}},
        {"volume scales the routing", {50, 100, 0, 0, 100}, {500, 50}},
        {"pan full left", {100, 100, 0, 0, 0}, {1000, 0}},
        {"negative percentages invert", {100, -100, 0, 0, 100}, {-1000, 100}},
    };
    for (const Row& row : rows) {
        SoundMixer mixer;
        mixer.start(stereo(1000, 100, 100), {}, nullptr, 1);
        mixer.movieTransform() = row.t;
        const Frame f = firstFrame(mixer);
        EXPECT_EQ(f.left, row.expected.left) << row.name;
        EXPECT_EQ(f.right, row.expected.right) << row.name;
    }

    // A clip's transform comes first, then the movie's: the clip swaps the channels, the
    // movie then sends only its left speaker's share out on the left.
    SoundMixer mixer;
    auto clip = std::make_shared<DisplayObject>();
    mixer.start(stereo(1000, 100, 100), {}, clip, 1);
    mixer.clipTransform(clip) = {100, 0, 100, 100, 0};
    mixer.movieTransform() = {100, 100, 0, 0, 0};
    const Frame f = firstFrame(mixer);
    EXPECT_EQ(f.left, 100);
    EXPECT_EQ(f.right, 0);
}

TEST(SoundMixingRules, VoicesAddUpAndClipAtTheSampleRange) {
    SoundMixer mixer;
    mixer.start(mono(20000, 100), {}, nullptr, 1);
    mixer.start(mono(20000, 100), {}, nullptr, 2);
    EXPECT_EQ(firstFrame(mixer).left, 32767) << "louder than the range is the range, no wrap";

    SoundMixer low;
    low.start(mono(-20000, 100), {}, nullptr, 1);
    low.start(mono(-20000, 100), {}, nullptr, 2);
    low.start(mono(1000, 100), {}, nullptr, 3);
    EXPECT_EQ(firstFrame(low).left, -32768);

    // Two opposite voices cancel; a third above them shows alone.
    SoundMixer quiet;
    quiet.start(mono(-3000, 100), {}, nullptr, 1);
    quiet.start(mono(3000, 100), {}, nullptr, 2);
    quiet.start(mono(7, 100), {}, nullptr, 3);
    EXPECT_EQ(firstFrame(quiet).left, 7);
}

TEST(SoundMixingRules, SlowerSoundsStretchToTheOutputRate) {
    // 100 frames at 11 kHz last 400 output frames, 100 at 22 kHz 200, and 5.5 kHz eight times.
    const struct {
        int rate;
        size_t outputFrames;
    } rows[] = {{11025, 400}, {22050, 200}, {5512, 800}, {44100, 100}};
    for (const auto& row : rows) {
        SoundMixer mixer;
        const auto id = mixer.start(mono(500, 100, row.rate), {}, nullptr, 1);
        EXPECT_NEAR(double(sounding(mixer, 1000)), double(row.outputFrames), 1.0) << row.rate;
        EXPECT_EQ(mixer.takeFinished(), std::vector<SoundMixer::VoiceId>{id}) << row.rate;
        EXPECT_EQ(mixer.voiceCount(), 0u);
    }

    // In and out points count 44 kHz samples whatever the sound's own rate.
    SoundMixer mixer;
    swf::SoundInfo info;
    info.inPoint = 400;  // 100 frames into an 11 kHz sound
    info.outPoint = 800;
    mixer.start(mono(500, 1000, 11025), info, nullptr, 1);
    EXPECT_NEAR(double(sounding(mixer, 2000)), 400.0, 1.0);
}

TEST(SoundMixingRules, OffsetsAndOddPointsLeaveTheVoiceInsideItsSound) {
    SoundMixer mixer;
    // One second of sound started half a second in.
    const auto half = mixer.start(mono(100, kRate), {}, nullptr, 1, 500);
    EXPECT_DOUBLE_EQ(mixer.position(half), 500);
    std::vector<int16_t> out(2 * (kRate / 10));
    mixer.mix(out.data(), kRate / 10);
    EXPECT_DOUBLE_EQ(mixer.position(half), 600);
    // Started past its end, or before its start: the end, or the start.
    const auto late = mixer.start(mono(100, kRate), {}, nullptr, 2, 5000);
    const auto early = mixer.start(mono(100, kRate), {}, nullptr, 3, -200);
    EXPECT_DOUBLE_EQ(mixer.position(late), 1000);
    EXPECT_DOUBLE_EQ(mixer.position(early), 0);
    EXPECT_DOUBLE_EQ(mixer.position(9999), 0) << "a voice that is not there";

    // An in-point beyond the sound, an out-point before the in-point, a loop count of zero:
    // each plays what is left of the sound, at most once, and is told finished.
    struct Row {
        const char* name;
        std::optional<uint32_t> in, out;
        std::optional<uint16_t> loops;
        size_t sounds;
    };
    const Row rows[] = {
        {"in past the end", 500, std::nullopt, std::nullopt, 0},
        {"out before in", 60, 20, std::nullopt, 0},
        {"out past the end", std::nullopt, 9000, std::nullopt, 100},
        {"zero loops", std::nullopt, std::nullopt, 0, 100},
        {"two loops of a slice", 10, 30, 2, 40},
    };
    for (const Row& row : rows) {
        SoundMixer m;
        swf::SoundInfo info;
        info.inPoint = row.in;
        info.outPoint = row.out;
        info.loopCount = row.loops;
        const auto id = m.start(mono(100, 100), info, nullptr, 1);
        EXPECT_EQ(sounding(m, 500), row.sounds) << row.name;
        EXPECT_EQ(m.takeFinished(), std::vector<SoundMixer::VoiceId>{id}) << row.name;
    }

    SoundMixer none;
    EXPECT_EQ(none.start(nullptr, {}, nullptr, 1), 0);
    EXPECT_EQ(none.start(mono(100, 0), {}, nullptr, 1), 0);
    EXPECT_EQ(none.start(mono(100, 10, 0), {}, nullptr, 1), 0);
    EXPECT_EQ(none.voiceCount(), 0u);
}

TEST(SoundMixingRules, StopsReachTheSoundAndTheClipsTheyName) {
    SoundMixer mixer;
    auto outer = std::make_shared<DisplayObject>();
    auto inner = std::make_shared<DisplayObject>();
    auto other = std::make_shared<DisplayObject>();
    inner->parent = outer.get();
    mixer.start(mono(1, 1000), {}, inner, 5);
    mixer.start(mono(10, 1000), {}, inner, 6);
    mixer.start(mono(100, 1000), {}, other, 5);
    mixer.start(mono(1000, 1000), {}, nullptr, 5);
    EXPECT_EQ(firstFrame(mixer).left, 1111);

    // Sound 5 of the outer clip: also its child's, not another clip's nor the movie's.
    mixer.stopSound(5, outer.get());
    EXPECT_EQ(firstFrame(mixer).left, 1110);
    // Every sound of the inner clip.
    mixer.stopSound(0, inner.get());
    EXPECT_EQ(firstFrame(mixer).left, 1100);
    EXPECT_TRUE(mixer.isPlaying(5));
    EXPECT_FALSE(mixer.isPlaying(6));
    // Sound 5 anywhere.
    mixer.stopSound(5, nullptr);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    EXPECT_TRUE(mixer.takeFinished().empty()) << "stopped voices are not finished ones";

    // The syncStop flag of a timeline's StartSound stops the sound wherever it plays.
    mixer.start(mono(1, 1000), {}, other, 8);
    swf::SoundInfo stop;
    stop.syncStop = true;
    mixer.startTag(mono(1, 1000), stop, nullptr, 8);
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST(SoundMixingRules, AMovieStartingTooManySoundsLosesTheOldest) {
    SoundMixer mixer;
    std::vector<SoundMixer::VoiceId> ids;
    for (int i = 0; i < 70; ++i) {
        ids.push_back(mixer.start(mono(1, 1000), {}, nullptr, i + 1));
    }
    EXPECT_EQ(mixer.voiceCount(), 64u);
    EXPECT_FALSE(mixer.isPlaying(1));
    EXPECT_FALSE(mixer.isPlaying(6));
    EXPECT_TRUE(mixer.isPlaying(7));
    EXPECT_TRUE(mixer.isPlaying(70));
    EXPECT_EQ(firstFrame(mixer).left, 64);
    // Ids keep counting; none is handed out twice.
    EXPECT_EQ(std::set<SoundMixer::VoiceId>(ids.begin(), ids.end()).size(), ids.size());
}

TEST(SoundMixingRules, ClipTransformsBelongToTheClipNotToItsAddress) {
    SoundMixer mixer;
    auto clip = std::make_shared<DisplayObject>();
    mixer.clipTransform(clip).volume = 10;
    ASSERT_NE(mixer.findClipTransform(clip.get()), nullptr);
    EXPECT_EQ(mixer.findClipTransform(clip.get())->volume, 10);
    EXPECT_EQ(&mixer.clipTransform(nullptr), &mixer.movieTransform());

    const DisplayObject* address = clip.get();
    clip.reset();
    EXPECT_EQ(mixer.findClipTransform(address), nullptr) << "a dead clip's transform goes";
    // A clip made afterwards, wherever it lives, starts at full volume.
    auto fresh = std::make_shared<DisplayObject>();
    EXPECT_EQ(mixer.clipTransform(fresh).volume, 100);
}

TEST(SoundMixingRules, TheOutputFeedKeepsTimeAcrossOddSlices) {
    // Without an audio device the mix still advances with the movie's clock: 333 slices of
    // 3 ms are 999 ms, fractions of a frame carried from slice to slice.
    SoundMixer mixer;
    const auto id = mixer.start(mono(1, 2 * kRate), {}, nullptr, 1);
    SoundOutput output;
    for (int i = 0; i < 333; ++i) {
        output.feed(mixer, 3);
    }
    EXPECT_NEAR(mixer.position(id), 999, 1000.0 / kRate);
    output.feed(mixer, 0);
    output.feed(mixer, -50);  // a clock that went back moves nothing
    EXPECT_NEAR(mixer.position(id), 999, 1000.0 / kRate);
}

// However the output asks for the mix, in one piece or in odd slices, the samples are the
// same: loops, in and out points, envelopes and rates carry over from slice to slice.
TEST(SoundMixingRules, TheMixDoesNotDependOnHowItIsSliced) {
    std::mt19937 random(4242);
    for (int round = 0; round < 20; ++round) {
        SoundMixer whole;
        SoundMixer sliced;
        for (int v = 0; v < 4; ++v) {
            auto pcm = std::make_shared<SoundPcm>();
            const int rates[] = {5512, 11025, 22050, 44100};
            pcm->rate = rates[random() % 4];
            pcm->channels = 1 + int(random() % 2);
            const size_t frames = 50 + random() % 400;
            for (size_t i = 0; i < frames * size_t(pcm->channels); ++i) {
                pcm->samples.push_back(int16_t(int(random() % 2001) - 1000));
            }
            swf::SoundInfo info;
            if (random() % 2) {
                info.inPoint = uint32_t(random() % 300);
                info.outPoint = *info.inPoint + uint32_t(random() % 900);
            }
            info.loopCount = uint16_t(1 + random() % 3);
            if (random() % 2) {
                info.envelope = std::vector<swf::SoundEnvelopePoint>{
                    {0, 0, 32768}, {uint32_t(random() % 2000), 32768, uint16_t(random() % 32768)}};
            }
            const double offsetMs = double(random() % 5);
            whole.start(pcm, info, nullptr, v + 1, offsetMs);
            sliced.start(pcm, info, nullptr, v + 1, offsetMs);
        }
        constexpr size_t kTotal = 6000;
        std::vector<int16_t> a(2 * kTotal), b(2 * kTotal);
        whole.mix(a.data(), kTotal);
        for (size_t done = 0; done < kTotal;) {
            const size_t n = std::min(kTotal - done, size_t(1 + random() % 700));
            sliced.mix(b.data() + 2 * done, n);
            done += n;
        }
        ASSERT_EQ(a, b) << "round " << round;
        // Within one slice voices are told in the order they started, so only the set of
        // finished voices is the same.
        auto ended = [](SoundMixer& m) {
            auto ids = m.takeFinished();
            return std::set<SoundMixer::VoiceId>(ids.begin(), ids.end());
        };
        EXPECT_EQ(ended(whole), ended(sliced)) << "round " << round;
    }
}

}  // namespace
}  // namespace pencora::runtime
