// The shape builder that tests draw their movies with: pen positions become the deltas the
// file stores, bounds cover every point and line, style lists of any length and edges at
// every bit width read back unchanged, and the gradient and bitmap matrices land where
// their boxes say.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf {
namespace {

using namespace swfwrite;

const Rgba kRed{255, 0, 0, 255};

// The absolute points the records of a shape visit, pen moves included.
std::vector<std::pair<int32_t, int32_t>> walk(const Shape& s) {
    std::vector<std::pair<int32_t, int32_t>> points;
    int32_t x = 0, y = 0;
    for (const ShapeRecord& r : s.records) {
        if (const auto* c = std::get_if<StyleChange>(&r)) {
            if (c->moveX) {
                x = *c->moveX;
                y = *c->moveY;
                points.emplace_back(x, y);
            }
        } else if (const auto* e = std::get_if<StraightEdge>(&r)) {
            x += e->dx;
            y += e->dy;
            points.emplace_back(x, y);
        } else {
            const auto& q = std::get<CurvedEdge>(r);
            points.emplace_back(x + q.cx, y + q.cy);
            x += q.cx + q.ax;
            y += q.cy + q.ay;
            points.emplace_back(x, y);
        }
    }
    return points;
}

// The shape as the reader reads it back from a written movie.
Shape roundTrip(const Shape& shape, uint8_t version = 8) {
    MovieBuilder b(version);
    const uint16_t id = b.define(shape);
    b.place(id, 1).showFrame();
    auto read = readMovie(b.write());
    EXPECT_TRUE(read) << read.error;
    if (!read) {
        return {};
    }
    EXPECT_TRUE(read.movie->warnings.empty()) << read.movie->warnings.front();
    const Shape* s = read.movie->findAs<Shape>(id);
    EXPECT_NE(s, nullptr);
    return s ? *s : Shape{};
}

TEST(ShapeBuilder, PenPositionsBecomeDeltasThatWalkBackToThem) {
    ShapeBuilder b;
    const uint32_t fill = b.addFill(solidFill(kRed));
    b.fill1(fill).moveTo(100, 200).lineTo(300, 200).curveTo(400, 250, 300, 400).lineTo(100, 200);
    b.moveTo(-50, -60).lineTo(-40, -60);
    const Shape s = b.build();
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {100, 200}, {300, 200}, {400, 250}, {300, 400}, {100, 200}, {-50, -60}, {-40, -60}};
    EXPECT_EQ(walk(s), expected);
    // A fill given before the move goes into the same change record.
    ASSERT_TRUE(std::holds_alternative<StyleChange>(s.records.front()));
    EXPECT_EQ(std::get<StyleChange>(s.records.front()).fill1, fill);
    EXPECT_EQ(s.records.size(), 6u);

    // rectangle() closes itself: it ends where it began, clockwise on the screen.
    ShapeBuilder r;
    r.rectangle(10, 20, 30, 60, r.addFill(solidFill(kRed)));
    const auto corners = walk(r.build());
    ASSERT_EQ(corners.size(), 5u);
    EXPECT_EQ(corners.front(), corners.back());
    EXPECT_EQ(corners[1], std::make_pair(30, 20));
    EXPECT_EQ(corners[2], std::make_pair(30, 60));
}

TEST(ShapeBuilder, BoundsCoverEveryPointAndHalfTheWidestLine) {
    ShapeBuilder b;
    b.line(b.addLine(solidLine(40, kRed)));
    b.addLine(solidLine(7, kRed));
    b.moveTo(0, 0).lineTo(100, 0);
    // A second outline starting far from the first: its starting point counts too.
    b.moveTo(-500, -300).lineTo(-400, -300);
    // A curve's control point counts, though the curve itself stays closer.
    b.moveTo(0, 100).curveTo(50, 900, 100, 100);
    const Shape s = b.build();
    EXPECT_EQ(s.edgeBounds, (Rect{-500, 100, -300, 900}));
    EXPECT_EQ(s.bounds, (Rect{-520, 120, -320, 920}));

    // An odd width rounds the half up.
    ShapeBuilder odd;
    odd.line(odd.addLine(solidLine(7, kRed))).moveTo(0, 0).lineTo(10, 10);
    EXPECT_EQ(odd.build().bounds, (Rect{-4, 14, -4, 14}));
}

TEST(ShapeBuilder, EdgesAtEveryBitWidthReadBackUnchanged) {
    // Deltas on both sides of each power of two up to the widest an edge record holds.
    ShapeBuilder b;
    b.line(b.addLine(solidLine(20, kRed)));
    int32_t x = 0, y = 0;
    b.moveTo(x, y);
    for (int bits = 0; bits < 16; ++bits) {
        const int32_t p = int32_t(1) << bits;
        for (int32_t d : {p - 1, p, -p, -p - 1}) {
            x += d;
            b.lineTo(x, y);  // horizontal
            y -= d;
            b.lineTo(x, y);  // vertical
            x -= d;
            y += d / 2 + 1;
            b.lineTo(x, y);  // both
            b.curveTo(x + d, y - d, x + d / 3, y + 1);
            x += d / 3;
            y += 1;
        }
    }
    b.lineTo(x, y);  // a zero-length edge
    const Shape built = b.build();
    const Shape read = roundTrip(built);
    EXPECT_EQ(read.records.size(), built.records.size());
    EXPECT_TRUE(read.records == built.records);
    EXPECT_EQ(read.bounds, built.bounds);
}

TEST(ShapeBuilder, StyleListsOfAnyLengthAndVersionRules) {
    // Past 254 styles the count takes its extended form, and style indices take nine bits.
    for (int count : {1, 254, 255, 256, 300}) {
        ShapeBuilder b;
        uint32_t last = 0;
        for (int i = 0; i < count; ++i) {
            last = b.addFill(solidFill({uint8_t(i), uint8_t(i >> 8), 7, 255}));
            b.addLine(solidLine(uint16_t(i + 1), {1, 2, uint8_t(i), 255}));
        }
        b.fill0(last).line(last).rectangle(0, 0, 200, 200, 1);
        const Shape built = b.build(0, 3);
        const Shape read = roundTrip(built);
        EXPECT_EQ(read.fills.size(), size_t(count)) << count;
        EXPECT_TRUE(read.fills == built.fills) << count;
        EXPECT_TRUE(read.lines == built.lines) << count;
        EXPECT_TRUE(read.records == built.records) << count;
    }

    // DefineShape and DefineShape2 store colours without alpha: they come back opaque.
    for (uint8_t version : {1, 2}) {
        ShapeBuilder b;
        b.rectangle(0, 0, 20, 20, b.addFill(solidFill({10, 20, 30, 128})));
        const Shape read = roundTrip(b.build(0, version));
        ASSERT_EQ(read.fills.size(), 1u);
        EXPECT_EQ(read.fills[0].color, (Rgba{10, 20, 30, 255})) << int(version);
    }
    ShapeBuilder translucent;
    translucent.rectangle(0, 0, 20, 20, translucent.addFill(solidFill({10, 20, 30, 128})));
    EXPECT_EQ(roundTrip(translucent.build(0, 3)).fills[0].color.a, 128);
}

TEST(ShapeBuilder, GradientAndBitmapMatricesMapTheirBoxes) {
    const auto apply = [](const Matrix& m, double x, double y) {
        return std::make_pair(m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty);
    };
    // The gradient square's corners land on the box's corners.
    const Matrix box = gradientBox(200, 400, 1000, 600);
    auto [x0, y0] = apply(box, -16384, -16384);
    auto [x1, y1] = apply(box, 16384, 16384);
    EXPECT_NEAR(x0, 200, 1);
    EXPECT_NEAR(y0, 400, 1);
    EXPECT_NEAR(x1, 1200, 1);
    EXPECT_NEAR(y1, 1000, 1);

    // Turned a quarter about the box's centre, the square's right edge points down.
    const Matrix turned = gradientBox(0, 0, 800, 800, std::numbers::pi / 2);
    auto [rx, ry] = apply(turned, 16384, 0);
    EXPECT_NEAR(rx, 400, 1);
    EXPECT_NEAR(ry, 800, 1);

    // A bitmap pixel covers twipsPerPixel twips from the given origin.
    const FillStyle bitmap = bitmapFill(9, FillType::ClippedBitmap, 100, 60, 40);
    auto [bx, by] = apply(bitmap.matrix, 2, 3);
    EXPECT_EQ(bx, 180);
    EXPECT_EQ(by, 180);
    EXPECT_EQ(bitmap.bitmapId, 9);

    // Both survive the file's fixed-point matrices to within a twip.
    ShapeBuilder b;
    b.addFill(gradientFill(FillType::LinearGradient, turned,
                           {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}}));
    b.addFill(bitmap);
    b.rectangle(0, 0, 800, 800, 1);
    const Shape read = roundTrip(b.build(0, 3));
    ASSERT_EQ(read.fills.size(), 2u);
    auto [gx, gy] = apply(read.fills[0].matrix, 16384, 0);
    EXPECT_NEAR(gx, 400, 1);
    EXPECT_NEAR(gy, 800, 1);
    EXPECT_EQ(read.fills[1].matrix, bitmap.matrix);
}

}  // namespace
}  // namespace pencora::swf
