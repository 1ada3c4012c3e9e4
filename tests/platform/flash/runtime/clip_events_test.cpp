// Clip events and the gotos scripts make: which onClipEvent handlers a placing tag's flags
// let through, enterFrame on every tick after the placement (stopped or not) and never after
// the removal, onEnterFrame set and deleted by scripts, unload once, and gotoAndStop with
// numbers, labels, numeric strings and "path:frame" targets, and call() on other frames.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::done;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::named;
using testing::ElementsAre;
using testing::IsEmpty;

swf::Bytes says(const std::string& text) {
    return done(Assembler().push({str(text)}).trace());
}

struct ClipEvents : testing::Test {
    Player player;
    ScriptHost* host = nullptr;
    struct Traces : PlayerEvents {
        std::vector<std::string> lines;
        void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    } traces;
    ClipEvents() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
        player.setEvents(&traces);
    }
    DisplayObject& root() { return *player.root(0); }
    void play(const swfwrite::MovieBuilder& b, int frames) {
        player.load(0, test::share(b));
        for (int i = 0; i < frames; ++i) {
            player.runFrame();
        }
    }
    std::vector<std::string> take() { return std::exchange(traces.lines, {}); }
    static uint16_t oneFrameSprite(swfwrite::MovieBuilder& b) {
        swfwrite::TimelineBuilder t;
        t.showFrame();
        return b.define(t.sprite());
    }
};

TEST_F(ClipEvents, EnterFrameComesEveryTickAfterThePlacementUntilTheRemoval) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = oneFrameSprite(b);
    swf::PlaceObject p = named(kid, 1, "kid");
    p.clipActions = {{swf::clip_event::Load, 0, says("load")},
                     {swf::clip_event::EnterFrame, 0, says("enter")},
                     {swf::clip_event::Unload, 0, says("unload")}};
    p.allClipEvents = swf::clip_event::Load | swf::clip_event::EnterFrame | swf::clip_event::Unload;
    b.place(p).doAction(done(Assembler().op(Code::Stop))).showFrame();
    b.remove(1).showFrame();
    play(b, 1);
    EXPECT_THAT(take(), ElementsAre("load")) << "no enterFrame on the tick that places it";
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("enter", "enter")) << "the stopped root does not hold it";

    player.gotoFrame(root(), 1, false);
    player.runQueuedActions();
    EXPECT_THAT(take(), ElementsAre("unload"));
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(take(), IsEmpty());
    EXPECT_EQ(root().childAt(1), nullptr);
}

TEST_F(ClipEvents, ThePlacingTagsFlagsChooseWhichHandlersRun) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = oneFrameSprite(b);
    swf::PlaceObject p = named(kid, 1, "kid");
    // One handler for load and enterFrame together, but the tag's flags name load only.
    p.clipActions = {{swf::clip_event::Load | swf::clip_event::EnterFrame, 0, says("either")}};
    p.allClipEvents = swf::clip_event::Load;
    b.place(p).doAction(done(Assembler().op(Code::Stop))).showFrame();
    play(b, 3);
    EXPECT_THAT(take(), ElementsAre("either"));
}

TEST_F(ClipEvents, OnEnterFrameFollowsWhatScriptsAssign) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = oneFrameSprite(b);
    // kid.onEnterFrame = function () { trace("tick " + this._name); }
    Assembler body;
    body.push({str("tick ")}).getVar("this").push({str("_name")}).op(Code::GetMember);
    body.op(Code::Add2).trace();
    Assembler setUp;
    setUp.getVar("kid").push({str("onEnterFrame")}).function("", {}, body).op(Code::SetMember);
    b.place(named(kid, 1, "kid")).doAction(done(setUp)).showFrame();
    // Frame 2 deletes it again and stops.
    Assembler remove;
    remove.getVar("kid").push({str("onEnterFrame")}).op(Code::Delete).op(Code::Pop);
    remove.op(Code::Stop);
    b.doAction(done(remove)).showFrame();
    play(b, 1);
    EXPECT_THAT(take(), IsEmpty());
    // The handler runs before the frame's script, so it runs once more on frame 2.
    player.runFrame();
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("tick kid"));
}

TEST_F(ClipEvents, ScriptGotosTakeNumbersLabelsStringsAndPaths) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder kidFrames;
    for (int f = 1; f <= 4; ++f) {
        if (f == 3) {
            kidFrames.label("three");
        }
        kidFrames
            .doAction(f == 1 ? done(Assembler().op(Code::Stop)) : says("kid" + std::to_string(f)))
            .showFrame();
    }
    const uint16_t kid = b.define(kidFrames.sprite());
    b.place(named(kid, 1, "kid")).doAction(done(Assembler().op(Code::Stop))).showFrame();
    for (int f = 2; f <= 5; ++f) {
        if (f == 4) {
            b.label("four");
        }
        b.doAction(says("root" + std::to_string(f))).showFrame();
    }
    play(b, 1);
    take();
    DisplayObject* kidClip = root().childAt(1);
    ASSERT_NE(kidClip, nullptr);

    struct Row {
        const char* label;
        Assembler frame;  // pushes the goto's argument
        bool onKid;       // the goto runs with the kid as its target
        std::vector<std::string> said;
        int rootFrame;
        int kidFrame;
    };
    const auto push = [](auto operand) { return Assembler().push({operand}); };
    const Row rows[] = {
        {"number", push(integer(3)), false, {"root3"}, 2, 0},
        {"label", push(str("FOUR")), false, {"root4"}, 3, 0},
        {"numeric string", push(str("2")), false, {"root2"}, 1, 0},
        {"missing label", push(str("nowhere")), false, {}, 1, 0},
        {"path and frame", push(str("kid:2")), false, {"kid2"}, 1, 1},
        {"path and label", push(str("/kid:three")), false, {"kid3"}, 1, 2},
        {"on the kid, past the end", push(integer(40)), true, {"kid4"}, 1, 3},
        {"on the kid, the frame shown", push(integer(4)), true, {}, 1, 3},
    };
    for (const Row& row : rows) {
        Assembler script = row.frame;
        script.record(Code::GotoFrame2, {0});  // gotoAndStop
        auto block = script.block();
        host->run(player, row.onKid ? *kidClip : root(), block);
        player.runQueuedActions();
        EXPECT_EQ(take(), row.said) << row.label;
        EXPECT_EQ(root().frame, row.rootFrame) << row.label;
        EXPECT_EQ(kidClip->frame, row.kidFrame) << row.label;
        EXPECT_FALSE(root().playing) << row.label;
    }

    // call() runs a frame's actions where the playhead is, by number, label or path.
    struct CallRow {
        const char* label;
        Assembler frame;
        std::vector<std::string> said;
    };
    const CallRow calls[] = {
        {"number", push(integer(5)), {"root5"}},
        {"label", push(str("four")), {"root4"}},
        {"path and frame", push(str("kid:2")), {"kid2"}},
        {"path and label", push(str("_root.kid:three")), {"kid3"}},
        {"past the end", push(integer(99)), {}},
        {"frame zero", push(integer(0)), {}},
        {"no such clip", push(str("nobody:2")), {}},
    };
    for (const CallRow& row : calls) {
        Assembler script = row.frame;
        script.record(Code::Call, {});  // a long record with nothing in it
        host->run(player, root(), script.block());
        player.runQueuedActions();
        EXPECT_EQ(take(), row.said) << row.label;
        EXPECT_EQ(root().frame, 1) << row.label;
        EXPECT_EQ(kidClip->frame, 3) << row.label;
    }
}

}  // namespace
}  // namespace pencora::runtime
