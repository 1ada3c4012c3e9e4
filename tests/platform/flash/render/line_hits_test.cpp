// Hit tests of lines: a point is on a line where the line is drawn on the stage, with its caps,
// joins, open loops and widths as the renderer draws them, whatever the matrix placing it.
// Points are placed by construction in the line's own space at fractions of its width, then
// tested under scaled and rotated matrices (which keep those fractions) and uneven ones.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int W = 400;  // the line's width in twips: 20 pixels unscaled
const Rgba kBlack{0, 0, 0, 255};

// A polyline of `style` through `points` (twips), prepared for drawing.
std::shared_ptr<const Drawable> polyline(const LineStyle& style,
                                         const std::vector<QPoint>& points) {
    MovieBuilder b;
    ShapeBuilder s;
    s.line(s.addLine(style)).moveTo(points[0].x(), points[0].y());
    for (size_t i = 1; i < points.size(); ++i) {
        s.lineTo(points[i].x(), points[i].y());
    }
    const uint16_t id = b.define(s.build(0, 4));
    Library library(readMovie(b.write()).movie);
    return library.prepare(id);
}

// Even matrices: scaled by 0.5 and 3, turned by 0, 30 and 90 degrees, moved.
std::vector<QTransform> evenMatrices() {
    std::vector<QTransform> out;
    for (double scale : {0.5, 3.0}) {
        for (double turn : {0.0, 30.0, 90.0}) {
            out.push_back(QTransform::fromScale(scale, scale) * QTransform().rotate(turn) *
                          QTransform::fromTranslate(4000, 3000));
        }
    }
    return out;
}

// A point a fraction of the width along and across from `at`.
QPointF off(QPointF at, double along, double across) {
    return at + QPointF(along * W, across * W);
}

TEST(LineHits, EachEndIsHitAsItsCapIsDrawn) {
    // A line from (0, 0) to (2000, 0). Past each end: 0.4 widths on the axis lies in a round
    // or a square cap; 0.4 out and 0.4 aside in a square cap only (0.57 from the end); 0.6
    // out in none. Inside the line, 0.45 aside hits and 0.55 aside does not.
    struct Row {
        CapStyle start, end;
    };
    const Row rows[] = {{CapStyle::None, CapStyle::None},
                        {CapStyle::Round, CapStyle::Round},
                        {CapStyle::Square, CapStyle::Square},
                        {CapStyle::None, CapStyle::Square},
                        {CapStyle::Round, CapStyle::None}};
    for (const Row& r : rows) {
        LineStyle l = solidLine(W, kBlack);
        l.startCap = r.start;
        l.endCap = r.end;
        const auto d = polyline(l, {{0, 0}, {2000, 0}});
        for (const QTransform& m : evenMatrices()) {
            SCOPED_TRACE(testing::Message() << int(r.start) << "/" << int(r.end) << " scale "
                                            << m.m11() << "," << m.m12());
            EXPECT_TRUE(hitTest(*d, {1000, 0.45 * W}, 0, m));
            EXPECT_FALSE(hitTest(*d, {1000, -0.55 * W}, 0, m));
            const struct {
                QPointF end;
                double out;  // which way is past the end
                CapStyle cap;
            } ends[] = {{{0, 0}, -1, r.start}, {{2000, 0}, 1, r.end}};
            for (const auto& e : ends) {
                EXPECT_EQ(hitTest(*d, off(e.end, 0.4 * e.out, 0), 0, m), e.cap != CapStyle::None);
                EXPECT_EQ(hitTest(*d, off(e.end, 0.4 * e.out, 0.4), 0, m),
                          e.cap == CapStyle::Square);
                EXPECT_FALSE(hitTest(*d, off(e.end, 0.6 * e.out, 0), 0, m));
            }
        }
    }
}

TEST(LineHits, JoinsAreHitAsTheyAreDrawnAndCutMitersNotPastTheirCut) {
    // A right angle at (2000, 2000): a miter's tip lies 0.71 widths past the corner along the
    // bisector, a round join 0.5, a bevel 0.35. A limit of 1.5 keeps the whole tip; a limit of
    // 1 cuts it 0.5 widths out.
    const std::vector<QPoint> right = {{0, 2000}, {2000, 2000}, {2000, 0}};
    const QPointF corner(2000, 2000);
    const double d = 1 / std::sqrt(2.0);
    auto out = [&](double widths) { return off(corner, widths * d, widths * d); };
    struct Row {
        JoinStyle join;
        double limit;
        bool at045, at06, at075;  // hit 0.45, 0.6 and 0.75 widths out
    };
    const Row rows[] = {{JoinStyle::Miter, 1.5, true, true, false},
                        {JoinStyle::Miter, 1.0, true, false, false},
                        {JoinStyle::Round, 3.0, true, false, false},
                        {JoinStyle::Bevel, 3.0, false, false, false}};
    for (const Row& r : rows) {
        LineStyle l = solidLine(W, kBlack);
        l.startCap = l.endCap = CapStyle::None;
        l.join = r.join;
        l.miterLimit = r.limit;
        const auto shape = polyline(l, right);
        for (const QTransform& m : evenMatrices()) {
            SCOPED_TRACE(testing::Message() << int(r.join) << " limit " << r.limit << " scale "
                                            << m.m11() << "," << m.m12());
            EXPECT_TRUE(hitTest(*shape, out(0.3), 0, m));
            EXPECT_EQ(hitTest(*shape, out(0.45), 0, m), r.at045);
            EXPECT_EQ(hitTest(*shape, out(0.6), 0, m), r.at06);
            EXPECT_EQ(hitTest(*shape, out(0.75), 0, m), r.at075);
        }
    }
}

TEST(LineHits, ALoopKeptFromClosingIsHitOnlyWhereItsEndsAreDrawn) {
    // A square outline from (0, 0) round to (0, 0), mitered. Closed, its first corner is
    // mitered: 0.45 widths out on the diagonal hits. Kept from closing, flat ends leave that
    // corner's outside out and square caps cover it.
    const std::vector<QPoint> square = {{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}, {0, 0}};
    struct Row {
        bool noClose;
        CapStyle cap;
        bool corner;
    };
    const Row rows[] = {{false, CapStyle::None, true},
                        {true, CapStyle::None, false},
                        {true, CapStyle::Square, true}};
    for (const Row& r : rows) {
        LineStyle l = solidLine(W, kBlack);
        l.join = JoinStyle::Miter;
        l.noClose = r.noClose;
        l.startCap = l.endCap = r.cap;
        const auto d = polyline(l, square);
        for (const QTransform& m : evenMatrices()) {
            SCOPED_TRACE(testing::Message() << r.noClose << " " << int(r.cap));
            EXPECT_EQ(hitTest(*d, off({0, 0}, -0.45, -0.45), 0, m), r.corner);
            EXPECT_TRUE(hitTest(*d, off({2000, 2000}, 0.45, 0.45), 0, m));
            EXPECT_FALSE(hitTest(*d, {1000, 1000}, 0, m));
        }
    }
}

TEST(LineHits, AnUnevenMatrixThickensALineTheWayItStretches) {
    // Stretched three times as high: a horizontal line 20 pixels wide is 60 high on the
    // stage, a vertical one stays 20 wide (not one width between them for both). On the stage
    // the first is hit 25 pixels (500 twips) off its middle and not 33; the second 8 pixels
    // off and not 12.
    const QTransform m = QTransform::fromScale(1, 3) * QTransform::fromTranslate(4000, 3000);
    LineStyle l = solidLine(W, kBlack);
    const auto across = polyline(l, {{0, 0}, {2000, 0}});
    const auto down = polyline(l, {{0, 0}, {0, 2000}});
    EXPECT_TRUE(hitTest(*across, {1000, 500.0 / 3}, 0, m));
    EXPECT_FALSE(hitTest(*across, {1000, 660.0 / 3}, 0, m));
    EXPECT_FALSE(hitTest(*down, {240, 1000}, 0, m));
    EXPECT_TRUE(hitTest(*down, {160, 1000}, 0, m));
    // A line kept from scaling is 20 pixels wide either way.
    l.noHScale = l.noVScale = true;
    const auto fixed = polyline(l, {{0, 0}, {2000, 0}});
    EXPECT_TRUE(hitTest(*fixed, {1000, 160.0 / 3}, 0, m));
    EXPECT_FALSE(hitTest(*fixed, {1000, 240.0 / 3}, 0, m));
}

TEST(LineHits, AHairlineIsHitWithinHalfAPixelOfItsMiddleAtAnyScaleOrTurn) {
    const auto d = polyline(solidLine(0, kBlack), {{0, 0}, {2000, 0}});
    for (const QTransform& m : evenMatrices()) {
        SCOPED_TRACE(testing::Message() << m.m11() << "," << m.m12());
        const double scale = std::hypot(m.m11(), m.m12());
        // 0.4 and 1.5 stage pixels from the line, in the line's own twips.
        EXPECT_TRUE(hitTest(*d, {1000, 8 / scale}, 0, m));
        EXPECT_TRUE(hitTest(*d, {1000, -8 / scale}, 0, m));
        EXPECT_FALSE(hitTest(*d, {1000, 30 / scale}, 0, m));
    }
}

}  // namespace
}  // namespace pencora::swf::render
