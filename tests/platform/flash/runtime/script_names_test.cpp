// Names as scripts on a real display list resolve them: calls through target paths, clip
// properties by path, variables named like the built-in _root/_parent/_global, functions of
// one movie version called from another, constant pools shared between blocks.
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
using avm1::test::str;
using Code = swf::ActionCode;
using test::done;
using test::named;
using testing::ElementsAre;

// trace(getProperty(path, index))
Assembler& sayProperty(Assembler& a, const std::string& path, int index) {
    return a.push({str(path), integer(index)}).op(Code::GetProperty).trace();
}

struct ScriptNamesTest : test::ScriptedPlayerTest {};

TEST_F(ScriptNamesTest, CallingAPathCallsTheFunctionAsAMethodOfTheObjectThePathNames) {
    for (uint8_t version : {5, 6, 8}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        Assembler who;
        who.getVar("this").trace();
        const uint16_t kid = spriteWith(b, Assembler().function("who", {}, who));
        b.place(named(kid, 1, "kid")).showFrame();
        Assembler calls;
        for (const char* path : {"kid.who", "/kid:who", "_root.kid.who", "nowhere.who"}) {
            calls.push({integer(0), str(path)}).op(Code::CallFunction).trace();
        }
        b.doAction(done(calls.op(Code::Stop))).showFrame();
        play(b, 2);
        // A path that names nothing calls nothing.
        EXPECT_THAT(traces.lines,
                    ElementsAre("_level0.kid", "undefined", "_level0.kid", "undefined",
                                "_level0.kid", "undefined", "undefined"));
    }
}

TEST_F(ScriptNamesTest, PropertyPathsNameClipsOfTheTimelineButNeverGlobalVariables) {
    swfwrite::MovieBuilder b(8);
    const uint16_t kid = spriteWith(b, Assembler());
    b.place(named(kid, 1, "kid")).showFrame();
    Assembler a;
    a.getVar("_global").push({str("g")}).getVar("kid").op(Code::SetMember);
    sayProperty(a, "g", 13);
    sayProperty(a, "kid", 13);
    sayProperty(a, "_root.kid", 13);
    a.push({str("g"), integer(0), integer(50)}).op(Code::SetProperty);
    sayProperty(a, "kid", 0);
    a.push({str("kid"), integer(0), integer(20)}).op(Code::SetProperty);
    a.getVar("g").push({str("_x")}).op(Code::GetMember).trace();
    b.doAction(done(a.op(Code::Stop))).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("undefined", "kid", "kid", "0", "20"));
}

TEST_F(ScriptNamesTest, AVariableNamedLikeABuiltInClipReferenceWinsButPreloadsKeepTheRealOne) {
    swfwrite::MovieBuilder b(8);
    Assembler preload;
    preload.push({avm1::test::reg(1)}).trace();
    Assembler kidScript;
    kidScript.setVar("_parent", str("fake")).getVar("_parent").trace();
    kidScript.setVar("_root", str("fake root")).getVar("_root").trace();
    kidScript.function2("f", 2, swf::kPreloadParent, {}, preload);
    kidScript.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    // The built-in properties proper stay what they are.
    kidScript.setVar("_x", integer(7)).getVar("_x").trace();
    const uint16_t kid = spriteWith(b, kidScript);
    b.place(named(kid, 1, "kid")).doAction(done(Assembler().op(Code::Stop))).showFrame();
    play(b, 1);
    EXPECT_THAT(traces.lines, ElementsAre("fake", "fake root", "_level0", "7"));
}

TEST_F(ScriptNamesTest, APreloadedParentIsTheParentOfTheClipTheCallWorksOn) {
    swfwrite::MovieBuilder b(8);
    Assembler body;
    body.push({avm1::test::reg(1)}).trace();
    Assembler define;
    define.getVar("_global")
        .push({str("f")})
        .function2("", 2, swf::kPreloadParent, {}, body)
        .op(Code::SetMember);
    swfwrite::TimelineBuilder holderTimeline;
    const uint16_t kid = spriteWith(b, define);
    holderTimeline.place(named(kid, 1, "kid")).showFrame();
    const uint16_t holder = b.define(holderTimeline.sprite());
    Assembler callF;
    callF.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    b.place(named(holder, 1, "holder")).showFrame();
    b.doAction(done(callF)).showFrame();
    // Gone with nothing at its path, the call works on the clip it is called on, or else on
    // the root, which has no parent.
    const uint16_t box = spriteWith(b, Assembler());
    Assembler afterRemoval(callF);
    afterRemoval.getVar("box").push({str("f")}).getVar("f").op(Code::SetMember);
    afterRemoval.push({integer(0)}).getVar("box").push({str("f")}).op(Code::CallMethod).trace();
    b.remove(1).place(named(box, 2, "box")).doAction(done(afterRemoval.op(Code::Stop))).showFrame();
    play(b, 3);
    EXPECT_THAT(traces.lines, ElementsAre("_level0.holder", "undefined", "_level0", "undefined"));
}

TEST_F(ScriptNamesTest, AVariableHidesAChildOfTheSameNameUntilItIsDeleted) {
    swfwrite::MovieBuilder b(8);
    const uint16_t kid = spriteWith(b, Assembler());
    b.place(named(kid, 1, "kid")).showFrame();
    Assembler a;
    a.getVar("kid").trace();
    a.getVar("this").push({str("kid"), str("shadow")}).op(Code::SetMember);
    a.getVar("kid").trace();
    a.getVar("this").push({str("kid")}).op(Code::GetMember).trace();
    sayProperty(a, "kid", 13);
    a.push({str("kid")}).op(Code::Delete2).op(Code::Pop);
    a.getVar("kid").trace();
    b.doAction(done(a.op(Code::Stop))).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("_level0.kid", "shadow", "shadow", "kid", "_level0.kid"));
}

TEST_F(ScriptNamesTest, GetDepthIsAMethodOfClipsFromSwf6On) {
    for (uint8_t version : {5, 6}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        Assembler a;
        a.getVar("this").push({str("getDepth")}).op(Code::GetMember).op(Code::TypeOf).trace();
        b.doAction(done(a.op(Code::Stop))).showFrame();
        play(b, 1);
        EXPECT_THAT(traces.lines, ElementsAre(version < 6 ? "undefined" : "function"));
    }
}

// A function of one movie called from another: only a SWF 5 function called from SWF 5 code
// works on the caller's timeline; otherwise on the timeline that defined it.
TEST_F(ScriptNamesTest, ASwf5FunctionWorksOnTheCallersTimelineOnlyWhenCalledFromSwf5Code) {
    struct Case {
        uint8_t caller, callee;
        const char* onItsOwnTimeline;
    };
    for (const Case& c :
         {Case{5, 5, "false"}, Case{6, 5, "true"}, Case{5, 6, "true"}, Case{8, 8, "true"}}) {
        SCOPED_TRACE(std::to_string(c.caller) + " calls " + std::to_string(c.callee));
        traces.lines.clear();
        swfwrite::MovieBuilder callee(c.callee);
        Assembler body;
        body.push({str(""), integer(11)}).op(Code::GetProperty);
        body.push({str("_level1"), integer(11)}).op(Code::GetProperty);
        body.op(Code::Equals2).trace();
        callee.doAction(done(Assembler().function("f", {}, body).op(Code::Stop))).showFrame();
        swfwrite::MovieBuilder caller(c.caller);
        caller.showFrame();
        Assembler call;
        call.setVar("g", str("")).push({str("g")}).getVar("_level1").push({str("f")});
        call.op(Code::GetMember).op(Code::SetVariable);
        call.push({integer(0), str("g")}).op(Code::CallFunction).op(Code::Pop);
        caller.doAction(done(call.op(Code::Stop))).showFrame();
        player.load(0, test::share(caller));
        player.load(1, test::share(callee));
        player.runFrame();
        player.runFrame();
        EXPECT_THAT(traces.lines, ElementsAre(c.onItsOwnTimeline));
    }
}

TEST_F(ScriptNamesTest, LevelNamesAndTrailingDotsInVariablePaths) {
    swfwrite::MovieBuilder b(8);
    const uint16_t kid = spriteWith(b, Assembler());
    b.place(named(kid, 1, "kid")).showFrame();
    Assembler a;
    // The level is the number after "_level" or "_flash", a 32-bit number that wraps, 0
    // without digits; text after it does not matter. A level not loaded is undefined.
    for (const char* name :
         {"_level0", "_level0undefined", "_level", "_flashx", "_level1", "_level4294967296",
          "_level4294967297", "_level2147483648", "_flash-1"}) {
        a.getVar(name).trace();
    }
    // A path ending in a dot names the empty variable: nothing.
    for (const char* name : {"_level0.", "kid.", "kid"}) {
        a.getVar(name).trace();
    }
    b.doAction(done(a.op(Code::Stop))).showFrame();
    play(b, 2);
    EXPECT_THAT(traces.lines, ElementsAre("_level0", "_level0", "_level0", "_level0", "undefined",
                                          "_level0", "undefined", "undefined", "undefined",
                                          "undefined", "undefined", "_level0.kid"));
}

TEST_F(ScriptNamesTest, AChildNamedLikeAPropertyHidesItFromReadsButNotWrites) {
    for (uint8_t version : {6, 8}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler());
        b.place(named(kid, 1, "_x")).showFrame();
        Assembler a;
        a.getVar("_root").push({str("_x")}).op(Code::GetMember).trace();
        a.getVar("_root").push({str("_x"), integer(42)}).op(Code::SetMember);
        a.getVar("_root").push({str("_x")}).op(Code::GetMember).trace();
        sayProperty(a, "", 0);
        b.doAction(done(a)).showFrame();
        Assembler after;
        after.getVar("_root").push({str("_x")}).op(Code::GetMember).trace();
        b.remove(1).doAction(done(after.op(Code::Stop))).showFrame();
        play(b, 3);
        EXPECT_THAT(traces.lines, ElementsAre("_level0._x", "_level0._x", "42", "42"));
    }
}

TEST_F(ScriptNamesTest, LevelNamesAsMembersOfClipsYieldOnlyToTheClipsOwnVariables) {
    for (uint8_t version : {6, 8}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler());
        // A child named like a level does not hide the level.
        b.place(named(kid, 1, "_level0")).place(named(kid, 2, "kid")).showFrame();
        Assembler a;
        auto member = [&a](const char* owner, const char* name) {
            a.getVar(owner).push({str(name)}).op(Code::GetMember).trace();
        };
        member("kid", "_level0");
        member("kid", "_flash0");
        // Nor does the prototype's property of that name.
        a.getVar("MovieClip").push({str("prototype")}).op(Code::GetMember);
        a.push({str("_level1"), integer(99)}).op(Code::SetMember);
        member("kid", "_level1");
        a.getVar("_level1").trace();
        // The clip's own variable of that name does.
        a.getVar("kid").push({str("_level0"), integer(50)}).op(Code::SetMember);
        member("kid", "_level0");
        b.doAction(done(a.op(Code::Stop))).showFrame();
        play(b, 2);
        EXPECT_THAT(traces.lines,
                    ElementsAre("_level0", "_level0", "undefined", "undefined", "50"));
    }
}

TEST_F(ScriptNamesTest, AReferenceToARemovedClipFindsTheClipAtItsFirstPathNotItsLaterName) {
    swfwrite::MovieBuilder b(8);
    Assembler a;
    auto create = [&a](const char* variable, const char* name, int depth) {
        a.push({str(variable), integer(depth), str(name), integer(2)})
            .getVar("this")
            .push({str("createEmptyMovieClip")})
            .op(Code::CallMethod)
            .op(Code::SetVariable);
    };
    create("clip", "first", 1);
    a.getVar("clip").push({str("_name"), str("renamed")}).op(Code::SetMember);
    a.getVar("clip").trace();
    a.push({integer(0)}).getVar("clip").push({str("removeMovieClip")});
    a.op(Code::CallMethod).op(Code::Pop);
    create("other", "renamed", 2);
    create("again", "first", 3);
    a.getVar("clip").trace();
    b.doAction(done(a.op(Code::Stop))).showFrame();
    play(b, 1);
    EXPECT_THAT(traces.lines, ElementsAre("_level0.renamed", "_level0.first"));
}

TEST_F(ScriptNamesTest, ClipEventActionsReadThePoolAFrameScriptSet) {
    swfwrite::MovieBuilder b(8);
    const uint16_t kid = spriteWith(b, Assembler());
    swf::PlaceObject place = named(kid, 1, "kid");
    Assembler onFrame;
    onFrame.push({avm1::test::constant(0)}).trace();
    place.clipActions.push_back({swf::clip_event::EnterFrame, 0, done(onFrame)});
    place.allClipEvents = swf::clip_event::EnterFrame;
    b.doAction(done(Assembler().pool({"from the frame"}))).place(place).showFrame();
    b.doAction(done(Assembler().op(Code::Stop))).showFrame();
    play(b, 2);
    ASSERT_FALSE(traces.lines.empty());
    EXPECT_THAT(traces.lines, testing::Each(std::string("from the frame")));
}

}  // namespace
}  // namespace pencora::runtime
