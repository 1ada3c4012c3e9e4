// Scripts and the clips they target: tellTarget, code whose clip is removed while it runs,
// functions whose clip is removed and placed again, and unload handlers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::str;
using Code = swf::ActionCode;
using test::done;
using test::named;
using testing::ElementsAre;

Assembler& say(Assembler& a, const std::string& text) {
    return a.push({str(text)}).trace();
}

// trace(_name) of the current target.
Assembler& sayName(Assembler& a) {
    return a.push({str(""), integer(13)}).op(Code::GetProperty).trace();
}

struct ScriptTargetsTest : test::ScriptedPlayerTest {};

TEST_F(ScriptTargetsTest, TellTargetMovesVariablesAndAPathLeadingNowhereGoesToTheRoot) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = spriteWith(b, Assembler().setVar("n", str("kid")));
    b.doAction(done(Assembler().setVar("n", str("root")))).place(named(kid, 1, "kid")).showFrame();
    Assembler a;
    a.setTarget("kid");
    a.getVar("n").trace().setVar("made", str("in kid"));
    a.setTarget("nowhere");
    a.getVar("n").trace();
    a.setTarget("");
    a.getVar("n").trace().getVar("kid:made").trace().getVar("made").trace().op(Code::Stop);
    b.doAction(done(a)).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("kid", "root", "root", "in kid", "undefined"));
}

// SWF 4 paths are slashes only and SWF 4 has no clip values: GetVariable of a clip's name or
// path reads undefined, dots are no separators, and a tellTarget that finds nothing leaves no
// target. The same movie as SWF 5 reads paths the later way.
TEST_F(ScriptTargetsTest, Swf4PathsAreSlashesOnlyAndNameNoClipValues) {
    auto movie = [this](uint8_t version) {
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler().setVar("n", str("kid")));
        Assembler a;
        a.setVar("n", str("root"));
        a.getVar("kid").op(Code::TypeOf).trace();
        a.getVar("/kid:n").trace().getVar("kid.n").trace().getVar(":n").trace();
        a.getVar("_level0:n").trace().getVar("_level0.n").trace();
        a.push({str("_level0/kid"), integer(13)}).op(Code::GetProperty).trace();
        a.push({str("_root/kid"), integer(13)}).op(Code::GetProperty).trace();
        a.setTarget("nowhere");
        sayName(a);
        a.setTarget("");
        a.op(Code::Stop);
        b.place(named(kid, 1, "kid")).doAction(done(a)).showFrame();
        traces.lines.clear();
        play(b, 1);
        return traces.lines;
    };
    EXPECT_THAT(movie(4), ElementsAre("undefined", "kid", "undefined", "undefined", "root",
                                      "undefined", "kid", "undefined", "undefined"));
    EXPECT_THAT(movie(5),
                ElementsAre("movieclip", "kid", "kid", "root", "root", "root", "kid", "kid", ""));
}

TEST_F(ScriptTargetsTest, ScriptOfAClipRemovedByItsOwnCallStopsAfterThatCall) {
    swfwrite::MovieBuilder b;
    Assembler script;
    say(script, "before");
    script.push({num(2), integer(1)})
        .getVar("_parent")
        .push({str("gotoAndStop")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    say(script, "after");
    const uint16_t kid = spriteWith(b, script);
    b.doAction(done(Assembler().op(Code::Stop))).place(named(kid, 1, "kid")).showFrame();
    b.remove(1).showFrame();
    play(b, 1);
    EXPECT_THAT(traces.lines, ElementsAre("before"));
    EXPECT_EQ(root().frame, 1);
    EXPECT_EQ(root().childAt(1), nullptr);
}

TEST_F(ScriptTargetsTest, FunctionOfARemovedClipActsOnTheClipPlacedAtItsPathLater) {
    swfwrite::MovieBuilder b;
    Assembler body;
    sayName(body);
    Assembler define;
    define.getVar("_global").push({str("f")}).function("", {}, body).op(Code::SetMember);
    const uint16_t kid = spriteWith(b, define);
    const uint16_t other = spriteWith(b, Assembler());
    Assembler callF;
    callF.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    b.place(named(kid, 1, "kid")).showFrame();
    b.doAction(done(callF)).showFrame();
    b.remove(1).doAction(done(callF)).showFrame();
    b.place(named(other, 1, "kid")).doAction(done(Assembler(callF).op(Code::Stop))).showFrame();
    play(b, 4);
    // In between, with nothing at its path, it works on the clip it was called on: the root.
    EXPECT_THAT(traces.lines, ElementsAre("kid", "", "kid"));
}

TEST_F(ScriptTargetsTest, UnloadHandlersRunWhileTheClipIsStillOnTheList) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = spriteWith(b, Assembler());
    swf::PlaceObject place = named(kid, 1, "kid");
    Assembler unload;
    say(unload, "unload");
    sayName(unload);
    place.clipActions.push_back({swf::clip_event::Unload, 0, done(unload)});
    b.place(place).showFrame();
    b.remove(1).doAction(done(Assembler().op(Code::Stop))).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("unload", "kid"));
    EXPECT_TRUE(root().children.empty());
}

// A clip with unload handlers that leaves the list waits at -32769 minus its depth until
// the handlers have run: scripts still find it by name and may read and set it, but it is
// no longer theirs to remove or to swap back among the living.
TEST_F(ScriptTargetsTest, AClipWaitingForItsUnloadHandlersSitsBelowEveryDepth) {
    auto call = [](Assembler& a, const std::string& clip, const std::string& method,
                   std::vector<avm1::test::Operand> args = {}) -> Assembler& {
        for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
            a.push({*arg});
        }
        a.push({integer(int(args.size()))}).getVar(clip).push({str(method)});
        return a.op(Code::CallMethod);
    };
    swfwrite::MovieBuilder b;
    const uint16_t kid = spriteWith(b, Assembler());
    swf::PlaceObject place = named(kid, 1, "kid");
    Assembler unload;
    call(unload, "this", "getDepth").trace();
    place.clipActions.push_back({swf::clip_event::Unload, 0, done(unload)});
    Assembler make;
    call(make, "this", "createEmptyMovieClip", {str("made"), integer(5)}).op(Code::Pop);
    make.getVar("made").push({str("onUnload")});
    make.function("", {}, Assembler().push({str("made gone")}).trace()).op(Code::SetMember);
    b.place(place).doAction(done(make)).showFrame();

    Assembler gone;
    call(gone, "kid", "getDepth").trace();
    gone.getVar("kid._name").trace().getVar("kid._target").trace();
    gone.getVar("kid").push({str("_x"), integer(7)}).op(Code::SetMember);
    gone.getVar("kid._x").trace();
    call(gone, "kid", "removeMovieClip").op(Code::Pop);
    call(gone, "kid", "swapDepths", {integer(3)}).op(Code::Pop);
    call(gone, "kid", "getDepth").trace();
    call(gone, "made", "removeMovieClip").op(Code::Pop);
    call(gone, "made", "getDepth").trace();
    call(gone, "made", "removeMovieClip").op(Code::Pop);
    call(gone, "made", "getDepth").trace();
    gone.op(Code::Stop);
    b.remove(1).doAction(done(gone)).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("-16386", "kid", "/kid", "7", "-16386", "-32774",
                                          "-32774", "-16386", "made gone"));
    EXPECT_TRUE(root().children.empty());
}

// A reference kept to a removed clip names its path: `with` and tellTarget on it act on
// whatever clip stands there later, and while nothing does, names are looked up past it
// and tellTarget falls back to the root.
TEST_F(ScriptTargetsTest, WithAndTellTargetOnARemovedClipFollowItsPath) {
    swfwrite::MovieBuilder b;
    const uint16_t first = spriteWith(b, Assembler().setVar("n", str("first")));
    const uint16_t second = spriteWith(b, Assembler().setVar("n", str("second")));
    Assembler keep;
    keep.setVar("n", str("root")).push({str("k")}).getVar("kid").op(Code::SetVariable);
    b.place(named(first, 1, "kid")).doAction(done(keep)).showFrame();
    Assembler look;
    look.getVar("k").with(Assembler().getVar("n").trace());
    look.setTarget("kid");
    look.getVar("n").trace();
    look.setTarget("");
    b.remove(1).doAction(done(look)).showFrame();
    b.place(named(second, 1, "kid")).doAction(done(Assembler(look).op(Code::Stop))).showFrame();
    play(b, 3);
    EXPECT_THAT(traces.lines, ElementsAre("root", "root", "second", "second"));
}

// A Sound made with a relative path finds its clip from the timeline of the script calling
// it, not from the one that made it.
TEST_F(ScriptTargetsTest, ASoundsRelativePathStartsAtTheCallingTimeline) {
    auto innerClip = [](Assembler& a) {
        a.push({integer(1), str("inner"), integer(2), str("createEmptyMovieClip")})
            .op(Code::CallFunction)
            .op(Code::Pop);
    };
    Assembler kidScript;
    innerClip(kidScript);
    kidScript.push({str("s"), str("inner"), integer(1), str("Sound")})
        .op(Code::NewObject)
        .op(Code::SetVariable)
        .push({integer(40), integer(1)})
        .getVar("s")
        .push({str("setVolume")})
        .op(Code::CallMethod)
        .op(Code::Pop)
        .push({integer(0)})
        .getVar("s")
        .push({str("getVolume")})
        .op(Code::CallMethod)
        .trace();

    swfwrite::MovieBuilder b;
    const uint16_t kid = spriteWith(b, kidScript);
    b.place(named(kid, 1, "kid")).showFrame();
    Assembler rootScript;
    auto kidSound = [&](const std::string& method) {
        rootScript.getVar("kid").push({str("s")}).op(Code::GetMember).push({str(method)});
        rootScript.op(Code::CallMethod);
    };
    rootScript.push({integer(0)});
    kidSound("getVolume");
    rootScript.trace();
    innerClip(rootScript);
    rootScript.push({integer(10), integer(1)});
    kidSound("setVolume");
    rootScript.op(Code::Pop).push({integer(0)});
    kidSound("getVolume");
    rootScript.trace().op(Code::Stop);
    b.doAction(done(rootScript)).showFrame();
    play(b, 2);
    // The root has no "inner" at first; once it has, the kid's Sound answers for the root's.
    EXPECT_THAT(traces.lines, ElementsAre("40", "undefined", "10"));
}

}  // namespace
}  // namespace pencora::runtime
