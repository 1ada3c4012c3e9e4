// Filters on small images whose result is known by construction: a point blurred by boxes,
// a square's drop shadow in each compositing mode, channels swapped by a colour matrix, and
// hostile sizes that must neither hang nor reach outside the image.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <numeric>
#include <string>

#include "platform/flash/render/filters.h"

namespace pencora::swf::render {
namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kClear = 0x00000000;

// A transparent image of `size` with `red` opaque red.
QImage redRect(QSize size, QRect red) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = red.top(); y <= red.bottom(); ++y) {
        for (int x = red.left(); x <= red.right(); ++x) {
            image.setPixel(x, y, kRed);
        }
    }
    return image;
}

// A 40 x 40 transparent image with an opaque red square over x and y 10..19.
QImage redSquare() {
    return redRect({40, 40}, {10, 10, 10, 10});
}

// A plane of `size` by `size` with one bright point in the middle. Its level divides evenly
// by every box the tests use (5 twice, 6 with half end pixels, 2), so nothing is lost to the
// whole levels each pass keeps.
constexpr float kPoint = 90000.0f;

std::vector<float> pointPlane(int size) {
    std::vector<float> plane(size_t(size) * size, 0.0f);
    plane[size_t(size / 2) * size + size / 2] = kPoint;
    return plane;
}

TEST(BlurPlane, AveragesOverTheBoxWidthAndKeepsTheTotal) {
    const int n = 21;
    struct Row {
        const char* name;
        double box;
        int passes;
        int reach;  // farthest offset from the centre that receives anything
    };
    for (const Row& row :
         {Row{"box 5", 5, 1, 2}, Row{"box 6 takes half of its end pixels", 6, 1, 3},
          Row{"box 5 twice", 5, 2, 4}, Row{"box 1 does nothing", 1, 3, 0}}) {
        SCOPED_TRACE(row.name);
        auto plane = pointPlane(n);
        blurPlane(plane, n, n, row.box, row.box, row.passes);
        EXPECT_NEAR(std::accumulate(plane.begin(), plane.end(), 0.0), kPoint, 1e-2);
        const int c = n / 2;
        EXPECT_GT(plane[size_t(c) * n + c + row.reach], 0.0f);
        EXPECT_EQ(plane[size_t(c) * n + c + row.reach + 1], 0.0f);
        EXPECT_EQ(plane[size_t(c + row.reach + 1) * n + c], 0.0f);
    }
    // A box of 2 weighs a pixel 1/2 and each neighbour 1/4, each way.
    auto plane = pointPlane(n);
    blurPlane(plane, n, n, 2, 2, 1);
    const int c = n / 2;
    EXPECT_FLOAT_EQ(plane[size_t(c) * n + c], kPoint / 4);
    EXPECT_FLOAT_EQ(plane[size_t(c) * n + c + 1], kPoint / 8);
    EXPECT_FLOAT_EQ(plane[size_t(c + 1) * n + c - 1], kPoint / 16);
}

TEST(BlurPlane, EachPassKeepsWholeLevelsAndDropsTheFraction) {
    // A one-pixel line of 255 through a box of 3, twice: 85 over three pixels, then 85 in the
    // middle, 170 / 3 = 56.7 beside it and 85 / 3 = 28.3 next: 56 and 28, never rounded up.
    std::vector<float> line(9, 0.0f);
    line[4] = 255.0f;
    blurPlane(line, 9, 1, 3, 1, 2);
    EXPECT_EQ(line, (std::vector<float>{0, 0, 28, 56, 85, 56, 28, 0, 0}));
    // A box of 4 weighs its two end pixels half: 255 / 4 = 63.75 in the middle three and
    // 31.9 at the ends.
    std::vector<float> wide(9, 0.0f);
    wide[4] = 255.0f;
    blurPlane(wide, 9, 1, 4, 1, 1);
    EXPECT_EQ(wide, (std::vector<float>{0, 0, 31, 63, 63, 63, 31, 0, 0}));
    // A faint edge fades out before the box's end: 2 / 3 of a level is no level.
    std::vector<float> faint{0, 0, 2, 2, 2};
    blurPlane(faint, 5, 1, 3, 1, 1);
    EXPECT_EQ(faint, (std::vector<float>{0, 0, 1, 2, 1}));
}

TEST(Blur, SpansItsStagePixelsCentresPlusOneDevicePixel) {
    // A blur of 10 stage pixels drawn twice as large is a box of 19 device pixels: an edge
    // becomes a ramp of 19 even steps; at the stage's size a blur of 2 spreads a one-pixel
    // line over three pixels, half in the middle.
    QImage edge(60, 1, QImage::Format_ARGB32_Premultiplied);
    edge.fill(Qt::transparent);
    for (int x = 30; x < 60; ++x) {
        edge.setPixel(x, 0, kBlack);
    }
    Filter blur;
    blur.type = FilterType::Blur;
    blur.blurX = 10;
    applyFilters(edge, {blur}, 2, 2);
    EXPECT_EQ(qAlpha(edge.pixel(20, 0)), 0);
    EXPECT_NEAR(qAlpha(edge.pixel(21, 0)), 255 / 19, 1);
    EXPECT_NEAR(qAlpha(edge.pixel(30, 0)), 255 * 10 / 19, 1);
    EXPECT_NEAR(qAlpha(edge.pixel(38, 0)), 255 * 18 / 19, 1);
    EXPECT_EQ(qAlpha(edge.pixel(39, 0)), 255);
    QImage line(9, 1, QImage::Format_ARGB32_Premultiplied);
    line.fill(Qt::transparent);
    line.setPixel(4, 0, kBlack);
    blur.blurX = 2;
    applyFilters(line, {blur}, 1, 1);
    EXPECT_EQ(qAlpha(line.pixel(2, 0)), 0);
    EXPECT_NEAR(qAlpha(line.pixel(3, 0)), 64, 1);
    EXPECT_NEAR(qAlpha(line.pixel(4, 0)), 128, 1);
    EXPECT_NEAR(qAlpha(line.pixel(5, 0)), 64, 1);
    EXPECT_EQ(qAlpha(line.pixel(6, 0)), 0);
}

TEST(DropShadow, EachCompositingModeKeepsWhatItShould) {
    Filter shadow;
    shadow.type = FilterType::DropShadow;
    shadow.color = Rgba{0, 0, 0, 255};
    shadow.distance = 5;  // to the right: the shadow covers x 15..24
    shadow.angle = 0;
    shadow.strength = 1;
    shadow.compositeSource = true;
    struct Row {
        const char* name;
        bool inner, knockout, hide;
        QRgb objectLeft;   // (12, 15): inside the object, not under an outer shadow
        QRgb objectRight;  // (18, 15): inside the object, over the outer shadow
        QRgb beside;       // (22, 15): outside the object
    };
    const Row rows[] = {
        {"object over its shadow", false, false, false, kRed, kRed, kBlack},
        {"knockout: only the shadow outside", false, true, false, kClear, kClear, kBlack},
        {"hidden object: the shadow alone", false, false, true, kClear, kBlack, kBlack},
        {"inner: the shadow inside, at the near edge", true, false, false, kBlack, kRed, kClear},
        {"inner knockout: the inner shadow alone", true, true, false, kBlack, kClear, kClear},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Filter f = shadow;
        f.inner = row.inner;
        f.knockout = row.knockout;
        f.compositeSource = !row.hide;
        QImage image = redSquare();
        applyFilters(image, {f}, 1, 1);
        EXPECT_EQ(image.pixel(12, 15), row.objectLeft);
        EXPECT_EQ(image.pixel(18, 15), row.objectRight);
        EXPECT_EQ(image.pixel(22, 15), row.beside);
    }
}

TEST(InnerFilters, KeepTheObjectsOwnAlphaAndHideItByTheirFullStrength) {
    // A half-transparent blue object (alpha 128) covering the whole image. An inner glow and
    // an inner bevel go on top of it with its alpha (source atop): the result keeps alpha
    // 128, and the object shows through by what the effect leaves of it, not more.
    QImage object(20, 20, QImage::Format_ARGB32_Premultiplied);
    object.fill(qRgba(0, 0, 128, 128));
    Filter glow;
    glow.type = FilterType::Glow;
    glow.color = Rgba{255, 0, 0, 255};
    glow.strength = 2;  // the glow inside: (255 - 128) * 2, nearly full
    glow.inner = true;
    glow.compositeSource = true;
    Filter bevel;
    bevel.type = FilterType::Bevel;
    bevel.color = Rgba{0, 0, 0, 255};
    bevel.highlightColor = Rgba{255, 0, 0, 255};
    bevel.distance = 2;  // angle 0: the shadow side is the left edge, x 0..1
    bevel.strength = 1;
    bevel.inner = true;
    bevel.compositeSource = true;
    QImage glowed = object;
    applyFilters(glowed, {glow}, 1, 1);
    const QRgb g = glowed.pixel(10, 10);
    EXPECT_NEAR(qAlpha(g), 128, 1);
    EXPECT_NEAR(qRed(g), 127, 2);  // the glow, opaque red, at the object's alpha
    EXPECT_LE(qBlue(g), 2);        // and the object's blue almost all hidden
    QImage bevelled = object;
    applyFilters(bevelled, {bevel}, 1, 1);
    const QRgb b = bevelled.pixel(1, 10);  // a black shadow of half strength on top
    EXPECT_NEAR(qAlpha(b), 128, 1);
    EXPECT_NEAR(qBlue(b), 64, 2);
    EXPECT_EQ(bevelled.pixel(10, 10), object.pixel(10, 10));  // no bevel in the middle
}

// A gradient glow or bevel whose stops are `colours` at `ratios`.
Filter gradientFilter(FilterType type, std::vector<Rgba> colours, std::vector<uint8_t> ratios) {
    Filter f;
    f.type = type;
    f.gradientColors = std::move(colours);
    f.gradientRatios = std::move(ratios);
    f.strength = 1;
    f.compositeSource = true;
    return f;
}

int maxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qAlpha(p) - qAlpha(q), qRed(p) - qRed(q), qGreen(p) - qGreen(q),
                          qBlue(p) - qBlue(q)}) {
                worst = std::max(worst, std::abs(d));
            }
        }
    }
    return worst;
}

TEST(GradientFilters, APlainGlowOrBevelIsAGradientOfItsColours) {
    // A glow in one colour is the gradient from that colour, transparent, to it, opaque; a
    // bevel is the highlight fading out by the middle entry and the shadow fading in from it.
    // Blurred, so every entry of the gradient is met, in every placement and with knockout.
    const Rgba blue{0, 0, 255, 255}, clearBlue{0, 0, 255, 0};
    const Rgba white{255, 255, 255, 255}, black{0, 0, 0, 255}, clear{0, 0, 0, 0};
    const Rgba clearWhite{255, 255, 255, 0};
    for (bool inner : {false, true}) {
        for (bool knockout : {false, true}) {
            SCOPED_TRACE(std::string(inner ? "inner" : "outer") + (knockout ? ", knockout" : ""));
            Filter glow;
            glow.type = FilterType::Glow;
            glow.color = blue;
            glow.blurX = glow.blurY = 6;
            glow.strength = 1.5;
            glow.inner = inner;
            glow.knockout = knockout;
            glow.compositeSource = true;
            Filter gradientGlow =
                gradientFilter(FilterType::GradientGlow, {clearBlue, blue}, {0, 255});
            gradientGlow.blurX = gradientGlow.blurY = 6;
            gradientGlow.strength = 1.5;
            gradientGlow.inner = inner;
            gradientGlow.knockout = knockout;
            QImage a = redSquare(), b = redSquare();
            applyFilters(a, {glow}, 1, 1);
            applyFilters(b, {gradientGlow}, 1, 1);
            EXPECT_LE(maxChannelDifference(a, b), 2) << "glow";

            Filter bevel;
            bevel.type = FilterType::Bevel;
            bevel.highlightColor = white;
            bevel.color = black;
            bevel.distance = 3;
            bevel.angle = 0.7;
            bevel.blurX = bevel.blurY = 5;
            bevel.strength = 1;
            bevel.inner = inner;
            bevel.onTop = !inner && knockout;  // also the full bevel
            bevel.knockout = knockout;
            bevel.compositeSource = true;
            // Colours blend straight, not premultiplied: each half fades in its own colour.
            Filter gradientBevel = gradientFilter(
                FilterType::GradientBevel, {white, clearWhite, clear, black}, {0, 127, 128, 255});
            gradientBevel.distance = 3;
            gradientBevel.angle = 0.7;
            gradientBevel.blurX = gradientBevel.blurY = 5;
            gradientBevel.inner = inner;
            gradientBevel.onTop = bevel.onTop;
            gradientBevel.knockout = knockout;
            a = redSquare();
            b = redSquare();
            applyFilters(a, {bevel}, 1, 1);
            applyFilters(b, {gradientBevel}, 1, 1);
            EXPECT_LE(maxChannelDifference(a, b), 3) << "bevel";
        }
    }
}

// A 20 x 3 image, opaque red over x 0..9: a straight edge between x 9 and 10.
QImage redHalf() {
    return redRect({20, 3}, {0, 0, 10, 3});
}

TEST(GradientFilters, EachPixelTakesTheEntryItsStrengthReaches) {
    // Blurred across by a box of 2 (a pixel and its neighbours 1/2, 1/4, 1/4), the edge's
    // alpha is 255, 191 | 63, 0 in whole levels; at strength 2.03125 (the 8.8 value just over
    // 128 / 63) the glow reaches half way (entry 128, the green stop) at x 10 and nothing at
    // x 11. Inside, the inverted alpha does the same at
    // x 9, and nothing at x 8 leaves the object as it was.
    const Rgba clear{0, 0, 0, 0}, green{0, 255, 0, 255}, white{255, 255, 255, 255};
    Filter glow = gradientFilter(FilterType::GradientGlow, {clear, green, white}, {0, 128, 255});
    glow.blurX = 2;
    glow.strength = 2.03125;
    QImage outer = redHalf();
    applyFilters(outer, {glow}, 1, 1);
    EXPECT_EQ(outer.pixel(10, 1), 0xFF00FF00u);
    EXPECT_EQ(outer.pixel(11, 1), kClear);
    EXPECT_EQ(outer.pixel(9, 1), kRed) << "the object over its glow";
    glow.inner = true;
    QImage inner = redHalf();
    applyFilters(inner, {glow}, 1, 1);
    EXPECT_EQ(inner.pixel(9, 1), 0xFF00FF00u);
    EXPECT_EQ(inner.pixel(8, 1), kRed);
    EXPECT_EQ(inner.pixel(10, 1), kClear) << "an inner glow stays inside";

    // A bevel lit from the left (angle 0) at distance 1, unblurred: the right edge takes the
    // first stop, the left edge the last, the middle of the object the middle one.
    const Rgba yellow{255, 255, 0, 255}, blue{0, 0, 255, 255};
    Filter bevel = gradientFilter(FilterType::GradientBevel, {yellow, clear, blue}, {0, 128, 255});
    bevel.distance = 1;
    bevel.inner = true;
    QImage square = redRect({20, 3}, {5, 0, 10, 3});
    applyFilters(square, {bevel}, 1, 1);
    EXPECT_EQ(square.pixel(14, 1), 0xFFFFFF00u);
    EXPECT_EQ(square.pixel(5, 1), 0xFF0000FFu);
    EXPECT_EQ(square.pixel(10, 1), kRed);
    EXPECT_EQ(square.pixel(4, 1), kClear);
}

TEST(GradientFilters, AFullGlowCoversTheObjectAndAnOffsetGlowReachesAsFarAsItMoves) {
    // A glow from clear to opaque blue, unblurred at full strength: it is blue wherever the
    // object is. Outer, it lies under the object; full, over it, hiding it; either way its
    // outside edge is where the object's is.
    const Rgba clearBlue{0, 0, 255, 0}, blue{0, 0, 255, 255};
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "full" : "outer");
        Filter glow = gradientFilter(FilterType::GradientGlow, {clearBlue, blue}, {0, 255});
        glow.strength = 10;
        glow.onTop = full;
        QImage image = redSquare();
        applyFilters(image, {glow}, 1, 1);
        EXPECT_EQ(image.pixel(15, 15), full ? 0xFF0000FFu : kRed);
        EXPECT_EQ(image.pixel(9, 15), kClear);
    }
    // Moved 8 pixels to the right (a gradient glow has a distance and an angle, like a
    // shadow), the glow reaches 8 pixels further than it spreads.
    Filter moved = gradientFilter(FilterType::GradientGlow, {clearBlue, blue}, {0, 255});
    moved.strength = 10;
    moved.distance = 8;
    const QMargins reach = filterReach({moved}, 1, 1);
    EXPECT_GE(reach.right(), 8);
    EXPECT_GE(reach.left(), 8);
    QImage image = redSquare();
    applyFilters(image, {moved}, 1, 1);
    EXPECT_EQ(image.pixel(27, 15), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(28, 15), kClear);
}

TEST(DropShadow, DistanceAndBlurFollowTheStageScale) {
    Filter shadow;
    shadow.type = FilterType::DropShadow;
    shadow.color = Rgba{0, 0, 0, 255};
    shadow.distance = 4;
    shadow.strength = 1;
    shadow.compositeSource = true;
    QImage image = redSquare();
    applyFilters(image, {shadow}, 2, 2);  // 8 device pixels to the right
    EXPECT_EQ(image.pixel(26, 15), kBlack);
    EXPECT_EQ(image.pixel(28, 15), kClear);
    const QMargins m = filterReach({shadow}, 2, 2);
    EXPECT_GE(m.right(), 8);
    shadow.blurX = shadow.blurY = 10;
    EXPECT_GE(filterReach({shadow}, 2, 2).left(), filterReach({shadow}, 1, 1).left() + 5);
}

TEST(ColorMatrix, WorksOnStraightColoursAndKeepsThemPremultiplied) {
    Filter swap;
    swap.type = FilterType::ColorMatrix;
    swap.matrix = {0, 0, 1, 0, 0,   // red from blue
                   0, 1, 0, 0, 0,   //
                   1, 0, 0, 0, 0,   // blue from red
                   0, 0, 0, 1, 0};  //
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, kRed);
    image.setPixel(1, 0, qPremultiply(qRgba(255, 0, 0, 128)));
    applyFilters(image, {swap}, 1, 1);
    EXPECT_EQ(image.pixel(0, 0), 0xFF0000FFu);
    const QRgb half = qUnpremultiply(image.pixel(1, 0));
    EXPECT_EQ(qAlpha(half), 128);
    EXPECT_NEAR(qBlue(half), 255, 2);
    EXPECT_EQ(qRed(half), 0);
}

TEST(Filters, HostileValuesStayBoundedAndFinish) {
    Filter blur;
    blur.type = FilterType::Blur;
    blur.blurX = blur.blurY = 1e12;
    blur.passes = 255;
    Filter conv;
    conv.type = FilterType::Convolution;
    conv.matrixX = 3;
    conv.matrixY = 3;
    conv.matrix = {1};  // shorter than 3 x 3: ignored, not read past its end
    Filter matrix;
    matrix.type = FilterType::ColorMatrix;  // no matrix at all
    QImage image = redSquare();
    applyFilters(image, {blur, conv, matrix}, 1, 1);
    const QMargins m = filterReach({blur}, 1, 1);
    EXPECT_LE(m.left(), 255 * 15);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_LE(qRed(p), qAlpha(p)) << x << "," << y;  // still premultiplied
        }
    }
}

}  // namespace
}  // namespace pencora::swf::render
