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
    };
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
        b.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        play(b, 2);
        EXPECT_EQ(traces.lines, expected);
    }
}

}  // namespace
}  // namespace pencora::runtime
