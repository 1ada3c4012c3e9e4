// Clips as values: what a reference to a clip prints, converts to and compares with, and the
// paths (dots, slashes, built names) that read one back, in SWF 5, 6 and 7 movies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../avm1/postfix.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::postfix;
using test::done;
using test::named;

struct ClipValuesTest : test::ScriptedPlayerTest {};

TEST_F(ClipValuesTest, AReferenceIsItsPathAsTextAndTheSameClipByEveryPath) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"@kid", "_level0.kid"},
        {"@kid TypeOf", "movieclip"},
        {"@kid String/1", "_level0.kid"},
        {"'at ' @kid Add2", "at _level0.kid"},
        {"@kid Number/1", "NaN"},
        {"@kid Boolean/1", "true"},
        {"@kid Not", "false"},
        {"@kid TargetPath", "_level0.kid"},
        {"@kid ._name", "kid"},
        {"@kid ._target", "/kid"},
        {"@kid @_root .kid Equals2", "true"},
        {"@kid '/kid' GetVariable Equals2", "true"},
        {"@kid '_root.kid' GetVariable Equals2", "true"},
        {"@kid 'k' 'id' Add2 GetVariable Equals2", "true"},
        {"@kid @_root Equals2", "false"},
        {"@_root", "_level0"},
        {"@_root TypeOf", "movieclip"},
        {"@kid ._parent", "_level0"},
        {"@_root ._name", ""},
        {"@_root ._target", "/"},
        {"@_root ._parent", "undefined"},
        {"@_root TargetPath", "_level0"},
        {"@_level0 @_root Equals2", "true"},
        {"@kid .nothing", "undefined"},
    };
    // Names are case-sensitive from SWF 7 on: these read nothing there.
    const std::vector<const char*> caseRows = {"@_ROOT", "@KID ._name", "@_root .Kid ._name"};
    for (uint8_t version : {5, 6, 7}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler());
        b.place(named(kid, 1, "kid")).showFrame();
        Assembler a;
        std::vector<std::string> expected;
        for (const auto& [code, result] : rows) {
            a.append(postfix(code)).trace();
            expected.push_back(result);
        }
        for (const char* code : caseRows) {
            a.append(postfix(code)).trace();
        }
        const std::vector<std::string> caseResults =
            version < 7 ? std::vector<std::string>{"_level0", "kid", "kid"}
                        : std::vector<std::string>{"undefined", "undefined", "undefined"};
        expected.insert(expected.end(), caseResults.begin(), caseResults.end());
        b.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        play(b, 2);
        EXPECT_EQ(traces.lines, expected);
    }
}

// A function's scope is the timeline that defined it: called through another clip, or stored
// on one, it still reads the defining timeline's variables; `this` is the clip it is called on.
// Names of clips follow the movie's case rule; variables are read through slash paths too.
TEST_F(ClipValuesTest, FunctionsReadTheTimelineThatDefinedThem) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"@kid :readV/0", "kidV"},
        {"@kid 'rootRead' @rootRead SetMember @kid :rootRead/0", "rootV"},
        {"@kid 'thisName' @thisName SetMember @kid :thisName/0", "kid"},
        {"thisName/0", ""},
        {"'/kid:v' GetVariable", "kidV"},
        {"'kid:v' GetVariable", "kidV"},
        {"'_root.kid.v' GetVariable", "kidV"},
    };
    for (uint8_t version : {5, 6, 7}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        Assembler kidScript = postfix("'kidV' >v");
        kidScript.function("readV", {}, postfix("@v Return"));
        const uint16_t kid = spriteWith(b, kidScript);
        b.place(named(kid, 1, "kid")).showFrame();
        Assembler a = postfix("'rootV' >v");
        a.function("rootRead", {}, postfix("@v Return"));
        a.function("thisName", {}, postfix("@this ._name Return"));
        std::vector<std::string> expected;
        for (const auto& [code, result] : rows) {
            a.append(postfix(code)).trace();
            expected.push_back(result);
        }
        b.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        play(b, 2);
        EXPECT_EQ(traces.lines, expected);
    }
}

// `with (clip)` only looks names up on the clip: an assignment to a name it lacks lands on the
// timeline running the script. tellTarget makes the clip the target, so the same assignment
// creates the variable on the clip.
TEST_F(ClipValuesTest, WithReadsAClipButTellTargetWritesIt) {
    for (uint8_t version : {5, 6, 7}) {
        SCOPED_TRACE(int(version));
        traces.lines.clear();
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, postfix("1 >own"));
        b.place(named(kid, 1, "kid")).showFrame();
        Assembler a;
        a.getVar("kid").with(postfix("2 >own 3 >fresh @_x >seenX"));
        const std::string path = "kid";
        std::vector<uint8_t> target(path.begin(), path.end());
        target.push_back(0);
        a.record(swf::ActionCode::SetTarget, target).append(postfix("4 >told"));
        a.record(swf::ActionCode::SetTarget, {0});
        for (const char* code :
             {"@kid .own", "@kid .fresh", "@fresh", "@seenX", "@kid .told", "@told TypeOf"}) {
            a.append(postfix(code)).trace();
        }
        b.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        play(b, 2);
        EXPECT_EQ(traces.lines,
                  (std::vector<std::string>{"2", "undefined", "3", "0", "4", "undefined"}));
    }
}

}  // namespace
}  // namespace pencora::runtime
