// The SWF 4 actions that act on clips by path: properties by number, variables behind slash
// and colon paths, tellTarget to clips that are not there, duplicating and removing clips,
// calling a frame's actions and dragging.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>

#include "../avm1/assembler.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::Operand;
using avm1::test::str;
using Code = swf::ActionCode;
using test::done;
using test::named;
using testing::ElementsAre;

// trace(getProperty(path, index))
Assembler& sayProperty(Assembler& a, const std::string& path, Operand index) {
    return a.push({str(path), index}).op(Code::GetProperty).trace();
}

struct Swf4ActionsTest : test::ScriptedPlayerTest {
    // Runs `script` on the root of a movie of `version` with the clip "kid" at depth 1.
    std::vector<std::string> run(uint8_t version, const Assembler& script, int frames = 1) {
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler().setVar("n", str("kid")));
        b.place(named(kid, 1, "kid")).doAction(done(script)).showFrame();
        b.showFrame();
        traces.lines.clear();
        play(b, frames);
        return traces.lines;
    }
};

// Property numbers may come as text or with a fraction; numbers past the table and clips
// that are not there read undefined, and writes to them change nothing.
TEST_F(Swf4ActionsTest, PropertiesByNumber) {
    Assembler a;
    a.push({str("kid"), integer(0), integer(15)}).op(Code::SetProperty);
    sayProperty(a, "kid", integer(0));
    sayProperty(a, "kid", str("13"));
    sayProperty(a, "kid", num(13.7));
    sayProperty(a, "kid", integer(22));
    sayProperty(a, "kid", integer(-1));
    sayProperty(a, "nowhere", integer(0));
    sayProperty(a, "", integer(13));
    a.push({str("kid"), integer(99), integer(5)}).op(Code::SetProperty);
    a.push({str("kid"), str("1"), str("7")}).op(Code::SetProperty);
    sayProperty(a, "kid", integer(1));
    a.push({str("kid"), integer(6), str("abc")}).op(Code::SetProperty);
    sayProperty(a, "kid", integer(6));
    a.op(Code::Stop);
    // Text that is no number is 0 in SWF 4 and leaves the property alone later.
    for (uint8_t v : {4, 5, 6}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(run(v, a), ElementsAre("15", "kid", "kid", "undefined", "undefined",
                                           "undefined", "", "7", v == 4 ? "0" : "100"));
    }
}

// "path:name" reaches a clip's variable from anywhere; "..", "/" and "_level0" start paths
// from the parent and the root. A tellTarget to a missing clip leaves variables on the timeline.
TEST_F(Swf4ActionsTest, VariablesBehindPaths) {
    Assembler a;
    a.setVar("r", str("root")).setVar("/kid:w", str("w"));
    a.getVar("/kid:w").trace().getVar("kid:n").trace().getVar("_level0/kid:n").trace();
    a.getVar("/:r").trace().getVar("/kid/..:r").trace().getVar("_level0:r").trace();
    a.setTarget("kid");
    a.getVar("../:r").trace().getVar("..:r").trace().getVar("n").trace();
    a.setTarget("/nowhere");
    a.getVar("r").trace().setVar("lost", str("x"));
    a.setTarget("");
    a.getVar("lost").trace().getVar("/nowhere:q").trace();
    a.op(Code::Stop);
    EXPECT_THAT(run(4, a), ElementsAre("w", "kid", "kid", "root", "root", "root", "root", "root",
                                       "kid", "root", "x", "undefined"));
}

TEST_F(Swf4ActionsTest, DuplicatedClipsAndRemoval) {
    Assembler a;
    a.push({str("kid"), str("copy"), integer(5)}).op(Code::CloneSprite);
    sayProperty(a, "copy", integer(13));
    a.getVar("copy:n").trace();
    a.push({str("copy")}).op(Code::RemoveSprite);
    sayProperty(a, "copy", integer(13));
    a.push({str("nowhere"), str("c2"), integer(6)}).op(Code::CloneSprite);
    sayProperty(a, "c2", integer(13));
    a.push({str("kid")}).op(Code::RemoveSprite);
    sayProperty(a, "kid", integer(13));
    a.op(Code::Stop);
    // The copy runs its first frame's actions with the next frame, not at once; a clip the
    // timeline placed is not the script's to remove.
    EXPECT_THAT(run(4, a), ElementsAre("copy", "undefined", "undefined", "undefined", "kid"));
}

// Call runs the actions of a frame, named by number or label, and the caller goes on after it;
// a frame that is not there runs nothing. A frame calling itself nests as deep as recursion
// may, then its run stops; the movie's next frame runs as usual.
TEST_F(Swf4ActionsTest, CallRunsAFramesActionsAndComesBack) {
    const auto callFrom = [&](uint8_t version, Operand frame) {
        swfwrite::MovieBuilder b(version);
        Assembler first;
        first.push({str("before")}).trace().push({frame}).record(Code::Call, {});
        first.push({str("after")}).trace();
        b.doAction(done(first)).showFrame();
        b.label("second").doAction(done(Assembler().push({str("second")}).trace())).showFrame();
        b.doAction(done(Assembler().push({str("third")}).trace().op(Code::Stop))).showFrame();
        traces.lines.clear();
        play(b, 3);
        return traces.lines;
    };
    for (uint8_t v : {4, 5, 8}) {
        SCOPED_TRACE(int(v));
        EXPECT_THAT(callFrom(v, integer(2)),
                    ElementsAre("before", "second", "after", "second", "third"));
        EXPECT_THAT(callFrom(v, str("second")),
                    ElementsAre("before", "second", "after", "second", "third"));
        EXPECT_THAT(callFrom(v, integer(9)), ElementsAre("before", "after", "second", "third"));
    }
    const std::vector<std::string> itself = callFrom(8, integer(1));
    EXPECT_EQ(std::count(itself.begin(), itself.end(), "before"), 257);
    EXPECT_EQ(std::count(itself.begin(), itself.end(), "after"), 0);
    EXPECT_THAT(std::vector<std::string>(itself.end() - 2, itself.end()),
                ElementsAre("second", "third"));
}
}  // namespace
}  // namespace pencora::runtime
