// The draw list of nested display lists: colour and position composed down the tree, hidden
// objects and their children left out, a mask inside a clip closing with that clip, layers
// drawn in order, and the changed area of frames that move, recolour, hide or reorder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/flash/runtime/drawing/draw_list.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::at;
using test::square;
using Op = DrawCommand::Op;
using testing::ElementsAre;

const swf::Rgba kRed{255, 0, 0, 255};

std::vector<Op> opsOf(const std::vector<DrawCommand>& list) {
    std::vector<Op> ops;
    for (const auto& c : list) {
        ops.push_back(c.op);
    }
    return ops;
}

swf::ColorTransform halfAlpha() {
    swf::ColorTransform c;
    c.aMult = 128;
    return c;
}

struct DrawListRules : testing::Test {
    Player player;
    swfwrite::MovieBuilder b;
    uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    DisplayObject& root() { return *player.root(0); }
    void load() {
        player.load(0, test::share(b));
        player.runFrame();
    }
};

TEST_F(DrawListRules, PositionAndColourComposeDownTheTree) {
    swfwrite::TimelineBuilder inner;
    swf::PlaceObject p;
    p.characterId = red;
    p.depth = 1;
    p.matrix = at(5, 0);
    p.colorTransform = halfAlpha();
    inner.place(p).showFrame();
    const uint16_t innerId = b.define(inner.sprite());
    swf::PlaceObject outer;
    outer.characterId = innerId;
    outer.depth = 1;
    outer.matrix = at(100, 50);
    outer.matrix->a = outer.matrix->d = 2;
    outer.colorTransform = halfAlpha();
    b.place(outer).showFrame();
    load();
    const auto list = buildDrawList(player);
    ASSERT_EQ(list.size(), 1u);
    // The shape's twips: scaled by the parent, moved by both, in stage pixels.
    const QPointF origin = list[0].transform.map(QPointF(0, 0));
    EXPECT_NEAR(origin.x(), 110, 1e-9);
    EXPECT_NEAR(origin.y(), 50, 1e-9);
    EXPECT_NEAR(list[0].transform.map(QPointF(200, 0)).x(), 130, 1e-9);
    EXPECT_NEAR(list[0].color.aMult, 0.25, 1e-9);
}

TEST_F(DrawListRules, HiddenObjectsLeaveOutTheirChildrenAndMasksCloseWithTheirClip) {
    // A clip whose mask at depth 1 reaches depth 99, past its last child.
    swfwrite::TimelineBuilder masked;
    swf::PlaceObject mask;
    mask.characterId = red;
    mask.depth = 1;
    mask.clipDepth = 99;
    masked.place(mask).place(red, 2).place(red, 3).showFrame();
    const uint16_t maskedId = b.define(masked.sprite());
    const uint16_t hiddenId = test::clipOf(b, {red, red});
    b.place(maskedId, 1).place(red, 2).place(hiddenId, 3).showFrame();
    load();
    root().childAt(3)->visible = false;
    const auto list = buildDrawList(player);
    // The mask covers the clip's own children only; the shape after the clip is unmasked,
    // the hidden clip draws nothing at all.
    EXPECT_THAT(opsOf(list), ElementsAre(Op::PushClip, Op::Draw, Op::Draw, Op::PopClip, Op::Draw));

    // Shown again, its children draw; hidden children of a shown clip do not.
    root().childAt(3)->visible = true;
    root().childAt(3)->childAt(2)->visible = false;
    EXPECT_EQ(buildDrawList(player).size(), 6u);
}

TEST_F(DrawListRules, LayersDrawFromTheLowestUp) {
    b.place(red, 1).showFrame();
    load();
    swfwrite::MovieBuilder above;
    const uint16_t shape = above.define(square(0, 0, 20, 20, kRed));
    above.place(shape, 1, at(40, 0)).showFrame();
    player.load(5, test::share(above));
    player.load(2, test::share(above));
    player.runFrame();
    const auto list = buildDrawList(player);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].serial, root().childAt(1)->serial);
    EXPECT_EQ(list[1].serial, player.root(2)->childAt(1)->serial);
    EXPECT_EQ(list[2].serial, player.root(5)->childAt(1)->serial);

    // A hidden layer draws nothing.
    player.root(2)->visible = false;
    EXPECT_EQ(buildDrawList(player).size(), 2u);
}

TEST_F(DrawListRules, ChangedAreaCoversRecolouredHiddenAndReorderedObjects) {
    b.place(red, 1, at(0, 0)).place(red, 2, at(100, 0)).place(red, 3, at(200, 0)).showFrame();
    load();
    const auto first = buildDrawList(player);
    EXPECT_FALSE(changedArea(first, first));

    // A new colour redraws the object where it is.
    root().childAt(2)->colorTransform.rMult = 0;
    auto area = changedArea(first, buildDrawList(player));
    ASSERT_TRUE(area);
    EXPECT_TRUE(area->contains(QRectF(100, 0, 10, 10)));
    EXPECT_FALSE(area->intersects(QRectF(0, 0, 10, 10)));
    root().childAt(2)->colorTransform.rMult = 256;

    // Hiding one redraws where it was.
    root().childAt(3)->visible = false;
    area = changedArea(first, buildDrawList(player));
    ASSERT_TRUE(area);
    EXPECT_TRUE(area->contains(QRectF(200, 0, 10, 10)));
    EXPECT_FALSE(area->intersects(QRectF(100, 0, 10, 10)));
    root().childAt(3)->visible = true;

    // Two objects trading depths change what lies on top: everything drawn is redrawn.
    const auto one = root().children.find(1)->second;
    const auto three = root().children.find(3)->second;
    root().children[1] = three;
    root().children[3] = one;
    three->depth = 1;
    one->depth = 3;
    area = changedArea(first, buildDrawList(player));
    ASSERT_TRUE(area);
    EXPECT_TRUE(area->contains(QRectF(0, 0, 210, 10)));
}

}  // namespace
}  // namespace pencora::runtime
