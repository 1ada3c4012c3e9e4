// Clips that scripts have placed or tinted: the timeline's later moves leave their matrix and
// colour transform alone, while clips whose other properties were set keep following it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scripted_player.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::done;
using test::named;
using testing::ElementsAre;

struct ScriptTakeoverTest : test::ScriptedPlayerTest {
    // Frame 1 places "kid" at the origin and runs `first`; frame 2 moves it to x 10 at half
    // alpha; frame 3 traces its _x and _alpha and stops.
    void playWith(uint8_t version, const Assembler& first) {
        swfwrite::MovieBuilder b(version);
        const uint16_t kid = spriteWith(b, Assembler());
        b.place(named(kid, 1, "kid")).doAction(done(first)).showFrame();
        swf::PlaceObject move;
        move.version = 2;
        move.move = true;
        move.depth = 1;
        move.matrix = test::at(10, 0);
        swf::ColorTransform half;
        half.aMult = 128;
        move.colorTransform = half;
        b.place(move).showFrame();
        Assembler report;
        report.push({str("kid"), integer(0)}).op(Code::GetProperty).trace();
        report.push({str("kid"), integer(6)}).op(Code::GetProperty).trace();
        b.doAction(done(report.op(Code::Stop))).showFrame();
        traces.lines.clear();
        play(b, 3);
    }
    static Assembler setProperty(int index, int value) {
        Assembler a;
        a.push({str("kid"), integer(index), integer(value)}).op(Code::SetProperty);
        return a;
    }
    // new Color(kid).<method>(argument)
    static Assembler colorCall(const char* method, Assembler argument) {
        argument.push({integer(1)}).getVar("kid");
        argument.push({integer(1), str("Color")}).op(Code::NewObject);
        argument.push({str(method)}).op(Code::CallMethod).op(Code::Pop);
        return argument;
    }
};

TEST_F(ScriptTakeoverTest, SettingAPositionOrTintTakesBothMatrixAndColourFromTheTimeline) {
    for (uint8_t version : {5, 6, 8}) {
        SCOPED_TRACE(int(version));
        playWith(version, Assembler());
        EXPECT_THAT(traces.lines, ElementsAre("10", "50")) << "untouched, it follows the moves";

        playWith(version, setProperty(0, 3));
        EXPECT_THAT(traces.lines, ElementsAre("3", "100")) << "its colour is taken over too";

        // Setting a value it already has counts as much as changing it.
        playWith(version, setProperty(6, 100));
        EXPECT_THAT(traces.lines, ElementsAre("0", "100"));

        Assembler red;
        red.push({integer(0xFF0000)});
        playWith(version, colorCall("setRGB", red));
        EXPECT_THAT(traces.lines, ElementsAre("0", "100")) << "a tint takes the matrix too";

        // Visibility and names are no part of the placement.
        playWith(version, setProperty(7, 0));
        EXPECT_THAT(traces.lines, ElementsAre("10", "50"));
    }
}

TEST_F(ScriptTakeoverTest, GotosKeepWhatTheScriptSetOnAClipTheyKeep) {
    playWith(6, setProperty(1, 7));
    ASSERT_THAT(traces.lines, ElementsAre("0", "100"));
    DisplayObject* kid = root().childAt(1);
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(kid->matrix.ty, 140);

    // Back to the start and forward past the move again: the same clip, still where the
    // script put it.
    player.gotoFrame(root(), 0, false);
    ASSERT_EQ(root().childAt(1), kid);
    player.gotoFrame(root(), 2, false);
    ASSERT_EQ(root().childAt(1), kid);
    EXPECT_EQ(kid->matrix.tx, 0);
    EXPECT_EQ(kid->matrix.ty, 140);
    EXPECT_EQ(kid->colorTransform.aMult, 256);
}

}  // namespace
}  // namespace pencora::runtime
