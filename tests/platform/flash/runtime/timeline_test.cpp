// Timelines: frame by frame play, place/move/replace/remove by depth, gotos both ways with
// the rebuild rules, labels, the stack-free actions and masks in the draw list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/flash/runtime/drawing/draw_backend.h"
#include "platform/flash/runtime/drawing/draw_list.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::Actions;
using test::at;
using test::square;
using testing::ElementsAre;

const swf::Rgba kRed{255, 0, 0, 255};
const swf::Rgba kBlue{0, 0, 255, 255};

struct TimelineTest : testing::Test, test::RecordedPlayer {};

TEST_F(TimelineTest, PlaysFramesPlacingMovingAndRemovingByDepth) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t blue = b.define(square(0, 0, 10, 10, kBlue));
    b.place(red, 1, at(5, 5)).showFrame();
    b.move(1, at(20, 5)).place(blue, 2).showFrame();
    swf::PlaceObject replace;
    replace.move = true;
    replace.depth = 1;
    replace.characterId = blue;
    b.tag(replace).remove(2).showFrame();
    load(b);

    ASSERT_NE(root().childAt(1), nullptr);
    EXPECT_EQ(root().childAt(1)->matrix.tx, 100);
    player.runFrame();
    EXPECT_EQ(root().childAt(1)->matrix.tx, 400);
    EXPECT_EQ(root().childAt(2)->characterId, blue);
    player.runFrame();
    // The replacement keeps the matrix of the character it replaced.
    EXPECT_EQ(root().childAt(1)->characterId, blue);
    EXPECT_EQ(root().childAt(1)->matrix.tx, 400);
    EXPECT_EQ(root().childAt(2), nullptr);
    EXPECT_EQ(root().frame, 2);
}

TEST_F(TimelineTest, BackwardGotoKeepsUnchangedObjectsAndRebuildsTheRest) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t blue = b.define(square(0, 0, 10, 10, kBlue));
    swfwrite::TimelineBuilder spriteFrames;
    spriteFrames.showFrame().showFrame().showFrame();
    const uint16_t sprite = b.define(spriteFrames.sprite());
    b.place(red, 1, at(1, 1)).place(sprite, 3).place(blue, 4).showFrame();
    b.move(1, at(50, 50)).remove(4).place(red, 4).showFrame();
    b.showFrame();
    load(b);
    player.runFrame();
    player.runFrame();
    const uint64_t keptShape = root().childAt(1)->serial;
    DisplayObject* clip = root().childAt(3);
    EXPECT_EQ(clip->frame, 2);

    player.gotoFrame(root(), 0, false);
    // Same character at the same depth: the same instance, back at its first placement;
    // the clip keeps its own playhead.
    EXPECT_EQ(root().childAt(1)->serial, keptShape);
    EXPECT_EQ(root().childAt(1)->matrix.tx, 20);
    EXPECT_EQ(root().childAt(3), clip);
    EXPECT_EQ(clip->frame, 2);
    // A different character at the depth: rebuilt from the first frame's tag.
    EXPECT_EQ(root().childAt(4)->characterId, blue);
}

TEST_F(TimelineTest, BackwardGotoLeavesScriptDepthsAlone) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    b.showFrame().place(red, 1).showFrame();
    load(b);
    player.runFrame();
    swf::PlaceObject p;
    p.depth = kScriptDepthBase + 3;
    p.characterId = red;
    player.placeObject(root(), p)->fromTimeline = false;
    player.gotoFrame(root(), 0, false);
    EXPECT_EQ(root().childAt(1), nullptr);
    EXPECT_NE(root().childAt(kScriptDepthBase + 3), nullptr);
}

TEST_F(TimelineTest, ForwardGotoSkipsTheActionsAndClipsOfFramesInBetween) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    swfwrite::TimelineBuilder spriteFrames;
    spriteFrames.doAction(Actions().say("sprite").end()).showFrame();
    const uint16_t sprite = b.define(spriteFrames.sprite());
    b.doAction(Actions().stop().end()).showFrame();
    b.place(sprite, 2).place(red, 1, at(1, 0)).doAction(Actions().say("f2").end()).showFrame();
    b.remove(2).move(1, at(2, 0)).doAction(Actions().say("f3").end()).showFrame();
    b.doAction(Actions().say("f4").end()).showFrame();
    load(b);

    player.gotoFrame(root(), 3, false);
    player.runQueuedActions();
    EXPECT_THAT(events.take(), ElementsAre("f4"));
    EXPECT_EQ(root().childAt(2), nullptr);
    EXPECT_EQ(root().childAt(1)->matrix.tx, 40);

    // Back to frame 2: the sprite it places runs its first frame before frame 2's own script.
    player.gotoFrame(root(), 1, false);
    player.runQueuedActions();
    EXPECT_THAT(events.take(), ElementsAre("sprite", "f2"));
}

// Regression: a clip whose own script sent the root back, removing the clip's parent, kept
// a pointer to the freed parent and the next relative target read it.
TEST_F(TimelineTest, ScriptOutlivingItsRemovedParentFindsNoParent) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder inner;
    inner.doAction(Actions().setTarget("/").gotoFrame(0).setTarget("..").stop().say("after").end())
        .showFrame();
    const uint16_t innerId = b.define(inner.sprite());
    const uint16_t outerId = test::clipOf(b, {innerId});
    b.doAction(Actions().stop().end()).showFrame();
    b.place(outerId, 1).showFrame();
    load(b);
    player.gotoFrame(root(), 1, false);
    player.runQueuedActions();
    EXPECT_THAT(events.take(), ElementsAre("after"));
    EXPECT_EQ(root().childAt(1), nullptr);
}

// Regression: a sprite placing itself recursed until the stack overflowed.
TEST_F(TimelineTest, SpriteThatPlacesItselfIsNotNested) {
    swfwrite::MovieBuilder b;
    swf::Sprite self;
    self.id = 5;
    swf::Frame frame;
    swf::PlaceObject p;
    p.characterId = 5;
    p.depth = 1;
    frame.tags.push_back(p);
    self.timeline.frames.push_back(frame);
    b.define(self);
    b.place(5, 1).showFrame();
    load(b);
    ASSERT_NE(root().childAt(1), nullptr);
    EXPECT_TRUE(root().childAt(1)->children.empty());
}

TEST_F(TimelineTest, LoopsToTheFirstFrameOrStopsWithoutLoop) {
    swfwrite::MovieBuilder b;
    b.doAction(Actions().say("one").end()).showFrame();
    b.doAction(Actions().say("two").end()).showFrame();
    load(b);
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("one", "two", "one"));
    player.setLoop(false);
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("two"));
    EXPECT_FALSE(root().playing);
}

TEST_F(TimelineTest, FrameActionsDriveTimelinesAndTargets) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder spriteFrames;
    spriteFrames.doAction(Actions().stop().end()).showFrame();
    spriteFrames.label("Done").doAction(Actions().say("inner").end()).showFrame();
    const uint16_t sprite = b.define(spriteFrames.sprite());
    swf::PlaceObject named;
    named.characterId = sprite;
    named.depth = 1;
    named.name = "inner";
    b.tag(named)
        .doAction(Actions().setTarget("/inner").gotoLabel("done").setTarget("").stop().end())
        .showFrame();
    b.doAction(Actions().say("never").end()).showFrame();
    load(b);
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("inner"));
    EXPECT_FALSE(root().playing);
    EXPECT_EQ(root().childAt(1)->frame, 1);
    EXPECT_EQ(player.currentLabel(*root().childAt(1)), "Done");
}

TEST_F(TimelineTest, GetUrlRaisesCommandsAndLayerLoads) {
    swfwrite::MovieBuilder b(6);
    b.doAction(Actions()
                   .getUrl("FSCommand:btnread", "朗读")
                   .getUrl("next.swf", "_level2")
                   .getUrl("", "_level1")
                   .stop()
                   .end())
        .showFrame();
    load(b);
    EXPECT_THAT(events.take(), ElementsAre("btnread 朗读", "load 2 next.swf", "load 1 "));
}

TEST_F(TimelineTest, ResolvesTargetPathsInBothSyntaxes) {
    swfwrite::MovieBuilder b(6);
    swfwrite::TimelineBuilder leaf;
    leaf.showFrame();
    const uint16_t leafId = b.define(leaf.sprite());
    swfwrite::TimelineBuilder mid;
    swf::PlaceObject c;
    c.characterId = leafId;
    c.depth = 1;
    c.name = "c";
    mid.tag(c).showFrame();
    const uint16_t midId = b.define(mid.sprite());
    swf::PlaceObject a = c;
    a.characterId = midId;
    a.name = "a";
    b.tag(a).showFrame();
    load(b);
    DisplayObject* leafClip = root().childAt(1)->childAt(1);
    EXPECT_EQ(player.resolveTarget(&root(), "/a/c"), leafClip);
    EXPECT_EQ(player.resolveTarget(&root(), "_root.A.c"), leafClip);
    EXPECT_EQ(player.resolveTarget(leafClip, "../../a"), root().childAt(1));
    EXPECT_EQ(player.resolveTarget(leafClip, "_parent._parent"), &root());
    EXPECT_EQ(player.resolveTarget(&root(), "_level0.a"), root().childAt(1));
    EXPECT_EQ(player.resolveTarget(&root(), "/nothing"), nullptr);
    EXPECT_EQ(player.targetPath(*leafClip, true), "/a/c");
    EXPECT_EQ(player.targetPath(*leafClip, false), "_level0.a.c");
}

TEST_F(TimelineTest, MaskCoversTheDepthsUpToItsClipDepth) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    swf::PlaceObject mask;
    mask.characterId = red;
    mask.depth = 1;
    mask.clipDepth = 3;
    b.tag(mask).place(red, 2).place(red, 3).place(red, 4).showFrame();
    load(b);
    auto list = buildDrawList(player);
    std::vector<DrawCommand::Op> ops;
    for (const auto& c : list) {
        ops.push_back(c.op);
    }
    using Op = DrawCommand::Op;
    EXPECT_THAT(ops, ElementsAre(Op::PushClip, Op::Draw, Op::Draw, Op::PopClip, Op::Draw));
    EXPECT_EQ(list[0].clip.boundingRect(), QRectF(0, 0, 10, 10));
    CountingBackend counting;
    counting.execute(list, QTransform());
    EXPECT_EQ(counting.draws, 3);
}

TEST_F(TimelineTest, ChangedAreaCoversWhereAnObjectWasAndIs) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t blue = b.define(square(0, 0, 10, 10, kBlue));
    b.place(red, 1).place(blue, 2, at(100, 100)).showFrame();
    b.move(1, at(20, 0)).showFrame();
    b.showFrame();
    load(b);
    auto first = buildDrawList(player);
    player.runFrame();
    auto second = buildDrawList(player);
    auto area = changedArea(first, second);
    ASSERT_TRUE(area);
    EXPECT_EQ(*area, QRectF(-1, -1, 32, 12));
    player.runFrame();
    EXPECT_FALSE(changedArea(second, buildDrawList(player)));
}

}  // namespace
}  // namespace pencora::runtime
