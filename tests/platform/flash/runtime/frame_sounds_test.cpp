// The sounds timelines start: event sounds each time their frame plays (a loop included),
// the start-once flag against a looping frame, sounds that go with the clip that started
// them, sounds named by their export, StopSounds, the sounds of the frame a goto arrives at,
// a stream sound that starts late, loops and follows gotos with its timeline, and the Sound
// objects of scripts.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::Actions;
using test::constantSound;

constexpr int kRate = 44100;

struct FrameSounds : testing::Test {
    Player player;
    void load(const swfwrite::MovieBuilder& b) {
        player.load(0, test::share(b));
        player.runFrame();
    }
    DisplayObject& root() { return *player.root(0); }
    // The level of the first output frame of the next `frames` mixed.
    int level(size_t frames = 16) {
        std::vector<int16_t> out(2 * frames);
        player.sounds().mix(out.data(), frames);
        return out[0];
    }
};

TEST_F(FrameSounds, AnEventSoundStartsEachTimeItsFramePlaysLoopsIncluded) {
    swfwrite::MovieBuilder b;
    const uint16_t tone = b.define(constantSound(1000, kRate));
    b.startSound(tone).showFrame();
    b.showFrame();
    load(b);
    EXPECT_EQ(player.sounds().voiceCount(), 1u);
    player.runFrame();
    EXPECT_EQ(player.sounds().voiceCount(), 1u);
    // The root loops to its first frame, whose sound starts once more over the first.
    player.runFrame();
    EXPECT_EQ(root().frame, 0);
    EXPECT_EQ(player.sounds().voiceCount(), 2u);
    EXPECT_EQ(level(), 2000);
}

TEST_F(FrameSounds, TheStartOnceFlagKeepsALoopingFrameFromStackingItsSound) {
    swfwrite::MovieBuilder b;
    const uint16_t tone = b.define(constantSound(1000, kRate));
    swf::SoundInfo once;
    once.syncNoMultiple = true;
    b.startSound(tone, once).showFrame();
    b.showFrame();
    load(b);
    for (int i = 0; i < 5; ++i) {
        player.runFrame();
    }
    EXPECT_EQ(player.sounds().voiceCount(), 1u);
    EXPECT_EQ(level(), 1000);
}

TEST_F(FrameSounds, AClipsSoundsGoWithTheClipAndStopSoundsEndsThemAll) {
    swfwrite::MovieBuilder b;
    const uint16_t tone = b.define(constantSound(1000, kRate));
    const uint16_t quiet = b.define(constantSound(10, kRate));
    swfwrite::TimelineBuilder singer;
    singer.startSound(tone).doAction(Actions().stop().end()).showFrame();
    const uint16_t singerId = b.define(singer.sprite());
    b.startSound(quiet).place(singerId, 1).doAction(Actions().stop().end()).showFrame();
    b.remove(1).showFrame();
    b.doAction(Actions().op(0x09).stop().end()).showFrame();  // StopSounds
    load(b);
    EXPECT_EQ(level(), 1010);
    player.gotoFrame(root(), 1, false);
    EXPECT_EQ(level(), 10) << "the removed clip took its sound along";
    player.gotoFrame(root(), 2, false);
    player.runQueuedActions();
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(player.sounds().voiceCount(), 0u);
}

TEST_F(FrameSounds, StartSound2PlaysTheSoundExportedUnderItsName) {
    swfwrite::MovieBuilder b;
    const uint16_t tone = b.define(constantSound(700, kRate));
    b.tag(swf::ExportAssets{{{tone, "Chime"}}});
    b.tag(swf::StartSound2{"chime", {}});
    b.tag(swf::StartSound2{"nothing", {}});
    b.doAction(Actions().stop().end()).showFrame();
    load(b);
    EXPECT_EQ(player.sounds().voiceCount(), 1u);
    EXPECT_EQ(level(), 700);
}

TEST_F(FrameSounds, AStreamSoundStartsAgainWhenItsTimelineLoops) {
    // Two frames, each with a stream block of its own level: 1000, then 2000.
    swfwrite::MovieBuilder b(8, 550, 400, 10);
    b.tag(test::pcmStreamHead(kRate / 10));
    for (int frame = 0; frame < 2; ++frame) {
        swf::SoundStreamBlock block;
        const auto value = uint16_t(1000 * (frame + 1));
        for (int i = 0; i < kRate / 10; ++i) {
            block.data.push_back(uint8_t(value & 0xFF));
            block.data.push_back(uint8_t(value >> 8));
        }
        b.tag(block).showFrame();
    }
    load(b);
    EXPECT_EQ(level(kRate / 10), 1000);
    player.runFrame();
    EXPECT_EQ(level(kRate / 10), 2000);
    player.runFrame();
    EXPECT_EQ(root().frame, 0);
    EXPECT_EQ(level(kRate / 10), 1000) << "the loop plays the first frame's block again";
    player.runFrame();
    EXPECT_EQ(level(kRate / 10), 2000);
}

TEST_F(FrameSounds, AGotoPlaysTheSoundsOfTheFrameItArrivesAtOnly) {
    swfwrite::MovieBuilder b;
    const uint16_t low = b.define(constantSound(100, kRate));
    const uint16_t high = b.define(constantSound(1000, kRate));
    b.doAction(Actions().stop().end()).showFrame();
    b.startSound(low).showFrame();
    b.startSound(high).showFrame();
    load(b);
    EXPECT_EQ(player.sounds().voiceCount(), 0u);
    player.gotoFrame(root(), 2, false);
    EXPECT_EQ(level(), 1000) << "the frame passed over plays nothing";
    player.gotoFrame(root(), 2, false);
    EXPECT_EQ(player.sounds().voiceCount(), 1u) << "a goto to the frame it is on plays nothing";
    player.gotoFrame(root(), 1, true);
    EXPECT_EQ(level(), 1100);
}

// A stream whose first block comes in the third frame, each block 100 ms at its own level.
swfwrite::MovieBuilder lateStream(int blocks) {
    swfwrite::MovieBuilder b(8, 550, 400, 10);
    b.tag(test::pcmStreamHead(kRate / 10)).showFrame();
    b.showFrame();
    for (int frame = 2; frame < 2 + blocks; ++frame) {
        swf::SoundStreamBlock block;
        const auto value = uint16_t(1000 * frame);
        for (int i = 0; i < kRate / 10; ++i) {
            block.data.push_back(uint8_t(value & 0xFF));
            block.data.push_back(uint8_t(value >> 8));
        }
        b.tag(block).showFrame();
    }
    return b;
}

TEST_F(FrameSounds, AStreamStartingLateFollowsGotosAndFallsSilentWhenItsTimelineStops) {
    load(lateStream(6));
    EXPECT_EQ(player.sounds().voiceCount(), 0u);
    player.runFrame();
    EXPECT_EQ(player.sounds().voiceCount(), 0u) << "no block yet, no stream";
    player.runFrame();
    EXPECT_EQ(level(kRate / 10), 2000);
    player.gotoFrame(root(), 4, false);
    EXPECT_EQ(level(kRate / 10), 4000) << "a goto over one frame moves the stream to its block";
    level(kRate / 10);  // what covers a frame that comes late
    EXPECT_EQ(level(kRate / 10), 0) << "a stopped timeline stops its stream";
    player.gotoFrame(root(), 6, true);
    EXPECT_EQ(level(kRate / 10), 6000);
    player.runFrame();
    EXPECT_EQ(level(kRate / 10), 7000);
    player.gotoFrame(root(), 3, true);
    EXPECT_EQ(level(kRate / 10), 3000) << "and back";
    player.runFrame();
    EXPECT_EQ(level(kRate / 10), 4000);
}

// Sound objects through scripts: a clip's Sound sets the volume of that clip's timeline
// sounds, the movie's Sound that of every sound, and stop() ends only what the Sound
// speaks for.
TEST(ScriptSounds, VolumesAndStopsReachWhatEachSoundSpeaksFor) {
    using avm1::test::Assembler;
    using avm1::test::integer;
    using avm1::test::str;
    using Code = swf::ActionCode;
    swfwrite::MovieBuilder b;
    const uint16_t loud = b.define(constantSound(1000, kRate));
    const uint16_t soft = b.define(constantSound(100, kRate));
    b.tag(swf::ExportAssets{{{loud, "loud"}}});
    swfwrite::TimelineBuilder singer;
    singer.startSound(soft).showFrame();
    const uint16_t singerId = b.define(singer.sprite());
    swf::PlaceObject kid;
    kid.characterId = singerId;
    kid.depth = 1;
    kid.name = "kid";

    const auto call = [](Assembler& a, const char* object, const char* method,
                         std::vector<int> args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it) {
            a.push({integer(*it)});
        }
        a.push({integer(int(args.size()))}).getVar(object).push({str(method)});
        a.op(Code::CallMethod).op(Code::Pop);
    };
    Assembler script;
    // kidSound = new Sound(kid); movie = new Sound(); tone = new Sound(); attach and start.
    script.push({str("kidSound")}).getVar("kid").push({integer(1), str("Sound")});
    script.op(Code::NewObject).op(Code::SetVariable);
    for (const char* name : {"movie", "tone"}) {
        script.push({str(name), integer(0), str("Sound")})
            .op(Code::NewObject)
            .op(Code::SetVariable);
    }
    script.push({str("loud"), integer(1)}).getVar("tone").push({str("attachSound")});
    script.op(Code::CallMethod).op(Code::Pop);
    call(script, "tone", "start", {});
    call(script, "kidSound", "setVolume", {50});
    call(script, "movie", "setVolume", {50});
    script.op(Code::Stop);
    b.place(kid).doAction(script.op(Code::End).bytes).showFrame();

    Player player;
    auto owned = std::make_unique<ScriptHost>(player);
    ScriptHost* host = owned.get();
    player.setActionRunner(std::move(owned));
    player.load(0, test::share(b));
    player.runFrame();
    std::vector<int16_t> out(2 * 16);
    const auto level = [&] {
        player.sounds().mix(out.data(), 16);
        return out[0];
    };
    EXPECT_EQ(level(), 500 + 25) << "the tone at the movie's 50 %, the kid's sound at 50 % twice";

    const auto runScript = [&](Assembler a) { host->run(player, *player.root(0), a.block()); };
    Assembler stopKid;
    call(stopKid, "kidSound", "stop", {});
    runScript(stopKid);
    EXPECT_EQ(level(), 500) << "the kid's Sound stops the kid's sounds only";
    Assembler restore;
    call(restore, "movie", "setVolume", {100});
    runScript(restore);
    EXPECT_EQ(level(), 1000);
    Assembler stopAll;
    call(stopAll, "movie", "stop", {});
    runScript(stopAll);
    EXPECT_EQ(level(), 0) << "the movie's Sound stops every sound";
    EXPECT_EQ(player.sounds().voiceCount(), 0u);
}

}  // namespace
}  // namespace pencora::runtime
