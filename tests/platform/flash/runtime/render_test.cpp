// Frames drawn into the 32-bit buffer, checked against pixels known from how each movie is
// built: exact square edges with and without anti-aliasing, colour transforms, masks,
// gradient ends, bitmap texels, a morph half way, the stage matrix and the transparent mode.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::runtime {
namespace {

using test::at;
using test::square;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
const swf::Rgba kRedSwf{255, 0, 0, 255};

struct RenderTest : testing::Test, test::EngineFixture {};

TEST_F(RenderTest, SquareOnPixelEdgesIsExactWithOrWithoutAntialiasing) {
    swfwrite::MovieBuilder b(8, 40, 40);
    b.place(b.define(square(10, 10, 20, 20, kRedSwf)), 1).showFrame();
    ASSERT_TRUE(load(b));
    for (auto q : {flash::Quality::High, flash::Quality::Low}) {
        const QImage img = render(40, 40, q);
        EXPECT_EQ(img.pixel(10, 10), kRed);
        EXPECT_EQ(img.pixel(19, 19), kRed);
        EXPECT_EQ(img.pixel(9, 10), kWhite);
        EXPECT_EQ(img.pixel(20, 19), kWhite);
        EXPECT_EQ(img.pixel(10, 20), kWhite);
    }
}

TEST_F(RenderTest, LowQualityDrawsHalfCoveredPixelsWithoutBlending) {
    swfwrite::MovieBuilder b(8, 40, 40);
    b.place(b.define(square(10.5, 10, 20, 20, kRedSwf)), 1).showFrame();
    ASSERT_TRUE(load(b));
    const QRgb high = render(40, 40, flash::Quality::High).pixel(10, 15);
    EXPECT_NEAR(qGreen(high), 128, 8);  // half red over white
    const QRgb low = render(40, 40, flash::Quality::Low).pixel(10, 15);
    EXPECT_TRUE(low == kRed || low == kWhite) << std::hex << low;
}

TEST_F(RenderTest, ColorTransformMultipliesAndAdds) {
    swfwrite::MovieBuilder b(8, 20, 20);
    swf::PlaceObject p;
    p.characterId = b.define(square(0, 0, 20, 20, kRedSwf));
    p.depth = 1;
    p.matrix = swf::Matrix{};
    swf::ColorTransform cx;
    cx.rMult = 128;  // red halved
    cx.gAdd = 40;
    cx.bAdd = 255;
    p.colorTransform = cx;
    b.place(p).showFrame();
    ASSERT_TRUE(load(b));
    const QRgb px = render(20, 20).pixel(5, 5);
    EXPECT_EQ(qRed(px), 127);  // 255 * 128 / 256, truncated
    EXPECT_EQ(qGreen(px), 40);
    EXPECT_EQ(qBlue(px), 255);
}

TEST_F(RenderTest, MaskCutsTheShapesItCovers) {
    swfwrite::MovieBuilder b(8, 40, 40);
    swf::PlaceObject mask;
    mask.characterId = b.define(square(0, 0, 10, 40, {0, 255, 0, 255}));
    mask.depth = 1;
    mask.clipDepth = 2;
    mask.matrix = swf::Matrix{};
    const uint16_t big = b.define(square(0, 0, 40, 40, kRedSwf));
    b.place(mask).place(big, 2).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40);
    EXPECT_EQ(img.pixel(5, 20), kRed);
    EXPECT_EQ(img.pixel(15, 20), kWhite);  // outside the mask; the mask itself is not drawn
}

// Static text as a mask shows what lies under its letters, not its whole box, however it is
// anti-aliased (the advanced kind from version 8) and whether it masks by itself or from
// inside a clip.
TEST_F(RenderTest, StaticTextMasksWithItsLetters) {
    for (const int version : {4, 6, 8}) {
        for (const bool advanced : {false, true}) {
            for (const bool inClip : {false, true}) {
                if (advanced && version < 8) {
                    continue;
                }
                SCOPED_TRACE(testing::Message() << "version " << version << ", advanced "
                                                << advanced << ", in a clip " << inClip);
                swfwrite::MovieBuilder b(version, 80, 40);
                // letters over x 10..20 and 40..50
                const swf::Text text =
                    test::boxLetters(b, {0, 80 * 20, 0, 40 * 20}, 10, {0, 0, 255, 255}, 10, 30);
                uint16_t maskId = b.define(text);
                b.movie().textSettings[maskId].advanced = advanced;
                if (inClip) {
                    swfwrite::TimelineBuilder sprite;
                    sprite.place(maskId, 1).showFrame();
                    maskId = b.define(sprite.sprite());
                }
                swf::PlaceObject mask;
                mask.characterId = maskId;
                mask.depth = 1;
                mask.clipDepth = 2;
                mask.matrix = swf::Matrix{};
                b.place(mask).place(b.define(square(0, 0, 80, 40, kRedSwf)), 2).showFrame();
                ASSERT_TRUE(load(b));
                const QImage img = render(80, 40);
                EXPECT_EQ(img.pixel(15, 25), kRed) << "under the first letter";
                EXPECT_EQ(img.pixel(45, 25), kRed) << "under the second";
                EXPECT_EQ(img.pixel(30, 25), kWhite) << "between them, inside the box";
                EXPECT_EQ(img.pixel(15, 35), kWhite) << "below them";
                EXPECT_EQ(img.pixel(70, 10), kWhite) << "past them";
            }
        }
    }
}

TEST_F(RenderTest, LinearGradientReachesBothEndColours) {
    swfwrite::MovieBuilder b(8, 100, 10);
    swfwrite::ShapeBuilder s;
    const uint32_t fill = s.addFill(swfwrite::gradientFill(
        swf::FillType::LinearGradient, swfwrite::gradientBox(0, 0, 2000, 200),
        {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}}));
    s.rectangle(0, 0, 2000, 200, fill);
    b.place(b.define(s.build()), 1).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(100, 10);
    EXPECT_GE(qRed(img.pixel(0, 5)), 250);
    EXPECT_GE(qBlue(img.pixel(99, 5)), 250);
    EXPECT_NEAR(qRed(img.pixel(50, 5)), 128, 6);
}

TEST_F(RenderTest, BitmapFillShowsItsTexels) {
    swfwrite::MovieBuilder b(8, 20, 20);
    swf::LosslessBitmap bmp;
    bmp.version = 2;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
    const uint16_t id = b.define(bmp);
    swfwrite::ShapeBuilder s;
    const uint32_t fill =
        s.addFill(swfwrite::bitmapFill(id, swf::FillType::ClippedBitmapHard, 0, 0, 200));
    s.rectangle(0, 0, 400, 400, fill);
    b.place(b.define(s.build()), 1).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(20, 20);
    EXPECT_EQ(img.pixel(5, 5), kRed);
    EXPECT_EQ(img.pixel(15, 5), 0xFF00FF00);
    EXPECT_EQ(img.pixel(5, 15), kBlue);
    EXPECT_EQ(img.pixel(15, 15), 0xFF000000);
}

TEST_F(RenderTest, MorphAtHalfRatioLiesHalfWay) {
    swfwrite::MovieBuilder b(8, 40, 40);
    swf::MorphShape m;
    swf::MorphFillStyle f;
    f.startColor = {255, 0, 0, 255};
    f.endColor = {0, 0, 255, 255};
    m.fills = {f};
    swfwrite::ShapeBuilder from, to;
    from.fill1(1).rectangle(0, 0, 200, 200);
    to.rectangle(400, 400, 800, 800);
    m.startRecords = from.records();
    m.endRecords = to.records();
    m.startBounds = m.startEdgeBounds = {0, 200, 0, 200};
    m.endBounds = m.endEdgeBounds = {400, 800, 400, 800};
    swf::PlaceObject p;
    p.characterId = b.define(m);
    p.depth = 1;
    p.matrix = swf::Matrix{};
    p.ratio = 32768;
    b.place(p).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40);
    // Half way from (0,0)-(10,10) to (20,20)-(40,40): (10,10)-(25,25), half red, half blue.
    const QRgb mid = img.pixel(17, 17);
    EXPECT_NEAR(qRed(mid), 128, 2);
    EXPECT_NEAR(qBlue(mid), 127, 2);
    EXPECT_EQ(img.pixel(8, 8), kWhite);
    EXPECT_EQ(img.pixel(26, 26), kWhite);
}

TEST_F(RenderTest, StageMatrixScalesAndTransparentModeKeepsWhatIsUnder) {
    swfwrite::MovieBuilder b(8, 20, 20);
    b.background({0, 0, 0, 255});
    b.place(b.define(square(5, 5, 10, 10, kRedSwf)), 1).showFrame();
    ASSERT_TRUE(load(b));
    const QImage scaled = render(40, 40, flash::Quality::High, 2.0);
    EXPECT_EQ(scaled.pixel(10, 10), kRed);
    EXPECT_EQ(scaled.pixel(19, 19), kRed);
    EXPECT_EQ(scaled.pixel(21, 21), 0xFF000000);  // the movie's own stage colour
    const QImage over = render(20, 20, flash::Quality::High, 1, false, 0xFF00FF00);
    EXPECT_EQ(over.pixel(2, 2), 0xFF00FF00);
    EXPECT_EQ(over.pixel(7, 7), kRed);
}

}  // namespace
}  // namespace pencora::runtime
