// Sound objects as scripts drive them: loops that repeat from the start offset, position and
// duration in milliseconds, onSoundComplete once after the last loop and never after a stop,
// looked up as the starting movie spells names, and what unknown names and repeated starts do.
// A playing sound keeps its object alive when no script reaches it any more.
#include "scripted_player.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::Operand;
using avm1::test::str;
using Code = swf::ActionCode;
using test::constantSound;

constexpr uint32_t kTenth = 4410;  // 100 ms at 44.1 kHz

// var = new Sound();
void newSound(Assembler& a, const std::string& var) {
    a.push({str(var), integer(0), str("Sound")}).op(Code::NewObject).op(Code::SetVariable);
}

// var.method(args...); its result is left on the stack.
Assembler& call(Assembler& a, const std::string& var, const std::string& method,
                std::vector<Operand> args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        a.push({*it});
    }
    a.push({integer(int(args.size()))}).getVar(var).push({str(method)});
    return a.op(Code::CallMethod);
}

void traceMember(Assembler& a, const std::string& var, const std::string& member) {
    a.getVar(var).push({str(member)}).op(Code::GetMember).trace();
}

// var[handler] = function () { trace(text + (this == var)); }
void traceOn(Assembler& a, const std::string& var, const std::string& handler,
             const std::string& text) {
    Assembler body;
    body.push({str(text)}).getVar("this").getVar(var).op(Code::Equals2).op(Code::Add2).trace();
    a.getVar(var).push({str(handler)}).function("", {}, body).op(Code::SetMember);
}

struct SoundObjects : test::ScriptedPlayerTest {
    // A movie of `version` exporting a 100 ms tone as "tick", `frames` running the scripts.
    void play(int version, std::vector<Assembler> frames) {
        swfwrite::MovieBuilder b{uint8_t(version)};
        b.tag(swf::ExportAssets{{{b.define(constantSound(1000, kTenth)), "tick"}}});
        for (Assembler& f : frames) {
            b.doAction(test::done(f.op(Code::Stop))).showFrame();
        }
        ScriptedPlayerTest::play(b, 1);
    }
    int mix(size_t frames) {
        std::vector<int16_t> out(2 * frames);
        player.sounds().mix(out.data(), frames);
        return out[0];
    }
    std::vector<std::string> newTraces() { return std::exchange(traces.lines, {}); }
};

TEST_F(SoundObjects, LoopsRepeatFromTheOffsetAndCompleteOnceAfterTheLast) {
    for (int version : {6, 7, 8}) {
        SCOPED_TRACE(version);
        Assembler a;
        newSound(a, "s");
        call(a, "s", "attachSound", {str("tick")}).op(Code::Pop);
        traceOn(a, "s", "onSoundComplete", "done ");
        traceMember(a, "s", "position");
        call(a, "s", "start", {num(0.05), integer(3)}).op(Code::Pop);
        traceMember(a, "s", "duration");
        traceMember(a, "s", "position");
        play(version, {a});
        EXPECT_EQ(newTraces(), (std::vector<std::string>{"0", "100", "50"}));
        // Three loops of the last 50 ms each: 150 ms in all, not 50 + 100 + 100.
        mix(3 * kTenth / 2 - 20);
        player.runFrame();
        EXPECT_EQ(player.sounds().voiceCount(), 1u);
        EXPECT_TRUE(newTraces().empty()) << "no completion between loops";
        mix(40);
        EXPECT_EQ(player.sounds().voiceCount(), 0u);
        player.runFrame();
        player.runFrame();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"done true"});
    }
}

TEST_F(SoundObjects, CompletionIsFoundAsTheMovieSpellsNamesAndNeverFollowsAStop) {
    for (int version : {6, 7}) {
        SCOPED_TRACE(version);
        // Frame 1: a handler spelt in lower case. Frame 2: a sound stopped before its end.
        Assembler lower;
        newSound(lower, "s");
        call(lower, "s", "attachSound", {str("tick")}).op(Code::Pop);
        traceOn(lower, "s", "onsoundcomplete", "lower ");
        call(lower, "s", "start", {}).op(Code::Pop);
        Assembler stopped;
        newSound(stopped, "t");
        call(stopped, "t", "attachSound", {str("tick")}).op(Code::Pop);
        traceOn(stopped, "t", "onSoundComplete", "stopped ");
        call(stopped, "t", "start", {}).op(Code::Pop);
        call(stopped, "t", "stop", {}).op(Code::Pop);
        play(version, {lower, stopped});
        mix(kTenth + 10);
        player.runFrame();
        EXPECT_EQ(newTraces(), version < 7 ? std::vector<std::string>{"lower true"}
                                           : std::vector<std::string>{});

        player.gotoFrame(root(), 1, false);
        player.runQueuedActions();
        mix(kTenth + 10);
        player.runFrame();
        EXPECT_TRUE(newTraces().empty());
        auto& host = static_cast<ScriptHost&>(player.actionRunner());
        EXPECT_TRUE(host.soundPins().empty()) << "a stopped sound's object is let go";
    }
}

TEST_F(SoundObjects, PositionHoldsAfterAStopAndEachOfTwoStartsCompletes) {
    for (int version : {6, 7, 8}) {
        SCOPED_TRACE(version);
        // Frame 1 loops the tick three times; frame 2 stops it part way through its second
        // loop; frame 3 starts it twice, once and twice over; frame 4 reads where it ended.
        Assembler looping;
        newSound(looping, "s");
        call(looping, "s", "attachSound", {str("tick")}).op(Code::Pop);
        traceOn(looping, "s", "onSoundComplete", "done ");
        call(looping, "s", "start", {integer(0), integer(3)}).op(Code::Pop);
        Assembler stopping;
        traceMember(stopping, "s", "position");
        traceMember(stopping, "s", "duration");
        call(stopping, "s", "stop", {}).op(Code::Pop);
        traceMember(stopping, "s", "position");
        Assembler twice;
        traceMember(twice, "s", "position");
        call(twice, "s", "start", {}).op(Code::Pop);
        call(twice, "s", "start", {integer(0), integer(2)}).op(Code::Pop);
        Assembler after;
        traceMember(after, "s", "position");
        play(version, {looping, stopping, twice, after});

        mix(3 * kTenth / 2);
        player.gotoFrame(root(), 1, false);
        player.runQueuedActions();
        EXPECT_EQ(newTraces(), (std::vector<std::string>{"50", "100", "50"}))
            << "each loop starts the position again; a stop keeps where it was";
        mix(kTenth);
        player.runFrame();
        player.gotoFrame(root(), 2, false);
        player.runQueuedActions();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"50"}) << "still where the stop left it";

        mix(kTenth + 10);
        player.runFrame();
        player.runFrame();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"done true"}) << "the single start";
        mix(kTenth);
        player.runFrame();
        player.runFrame();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"done true"}) << "the looping start";
        player.gotoFrame(root(), 3, false);
        player.runQueuedActions();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"100"}) << "a finished sound reads its end";
    }
}

TEST_F(SoundObjects, UnknownNamesKeepTheSoundAndEachStartPlaysAnother) {
    for (int version : {6, 8}) {
        SCOPED_TRACE(version);
        Assembler a;
        newSound(a, "s");
        traceMember(a, "s", "duration");
        call(a, "s", "attachSound", {str("TICK")}).op(Code::Pop);
        call(a, "s", "attachSound", {str("nothing")}).op(Code::Pop);
        traceMember(a, "s", "duration");
        call(a, "s", "start", {}).op(Code::Pop);
        call(a, "s", "start", {integer(0), integer(-2)}).op(Code::Pop);
        call(a, "s", "start", {num(0.5), integer(4)}).op(Code::Pop);  // past the end
        call(a, "s", "stop", {str("nothing")}).op(Code::Pop);
        play(version, {a});
        EXPECT_EQ(newTraces(), (std::vector<std::string>{"undefined", "100"}));
        EXPECT_EQ(mix(16), 2000) << "two starts play twice over; an unknown name stops nothing";
        mix(kTenth - 16);
        EXPECT_EQ(mix(16), 0) << "a negative loop count plays once";
        EXPECT_EQ(player.sounds().voiceCount(), 0u);
    }
}

TEST_F(SoundObjects, APlayingSoundThatNoScriptReachesCompletesAfterACollection) {
    for (int version : {6, 8}) {
        SCOPED_TRACE(version);
        // (function () { var s = new Sound(); s.attachSound("tick"); s.onSoundComplete = ...;
        // s.start(); })();
        Assembler start;
        start.push({str("s"), integer(0), str("Sound")}).op(Code::NewObject).op(Code::DefineLocal);
        call(start, "s", "attachSound", {str("tick")}).op(Code::Pop);
        traceOn(start, "s", "onSoundComplete", "done ");
        call(start, "s", "start", {}).op(Code::Pop);
        Assembler a;
        a.function("", {}, start).push({integer(0)}).op(Code::StackSwap);
        a.push({str("")}).op(Code::CallMethod).op(Code::Pop);
        play(version, {a});
        // A collection told of nothing (as the one a long run brings at its end) still keeps
        // what the player holds.
        auto& host = static_cast<ScriptHost&>(player.actionRunner());
        host.machine().collectGarbage();
        mix(kTenth + 10);
        player.runFrame();
        EXPECT_EQ(newTraces(), std::vector<std::string>{"done true"});
    }
}

}  // namespace
}  // namespace pencora::runtime
