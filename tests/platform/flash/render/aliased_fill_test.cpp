// The aliased pixel rule: which pixel centres a path covers, ties on edges, the 1/256-pixel
// vertex grid, fill rules, hostile coordinates, and painting through a transformed painter
// with a patterned brush.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cmath>
#include <limits>

#include "platform/flash/render/aliased_fill.h"

namespace pencora::swf::render {
namespace {

QRegion regionOf(const std::vector<QRect>& rects) {
    QRegion r;
    for (const QRect& rect : rects) {
        EXPECT_FALSE(r.intersects(rect)) << "overlapping rectangles";
        r += rect;
    }
    return r;
}

long areaOf(const QRegion& r) {
    long n = 0;
    for (const QRect& rect : r) {
        n += long(rect.width()) * rect.height();
    }
    return n;
}

QPainterPath polygon(std::initializer_list<QPointF> points, bool reversed = false) {
    QPolygonF p(points);
    if (reversed) {
        std::reverse(p.begin(), p.end());
    }
    QPainterPath path;
    path.addPolygon(p);
    path.closeSubpath();
    return path;
}

const QRect kClip(0, 0, 400, 400);

TEST(AliasedPixels, ACentreOnAnEdgeGoesToTheFillOnItsRightAndBelow) {
    // Edges through pixel centres: the left and top rows of centres are inside, the right
    // and bottom ones are not, whichever way the outline runs (cache_as_bitmap/avm1_color's
    // square, 12.5 .. 87.5, covers the 75 pixels from 12 on).
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "anticlockwise" : "clockwise");
        const QPainterPath square =
            polygon({{12.5, 12.5}, {87.5, 12.5}, {87.5, 87.5}, {12.5, 87.5}}, reversed);
        EXPECT_EQ(regionOf(aliasedPixels(square, kClip)), QRegion(12, 12, 75, 75));
    }
    // A one-pixel band centred on a pixel boundary covers the row above it.
    const QPainterPath band = polygon({{20, 9.5}, {80, 9.5}, {80, 10.5}, {20, 10.5}});
    EXPECT_EQ(regionOf(aliasedPixels(band, kClip)), QRegion(20, 9, 60, 1));
    // Vertices on pixel centres: a centre on a left vertex is inside, on a top, right or
    // bottom one it is not (it lies on an edge that has the shape on its left).
    const QPainterPath diamond = polygon({{50.5, 40.5}, {60.5, 50.5}, {50.5, 60.5}, {40.5, 50.5}});
    const QRegion d = regionOf(aliasedPixels(diamond, kClip));
    EXPECT_FALSE(d.contains(QPoint(50, 40)));  // the top vertex
    EXPECT_TRUE(d.contains(QPoint(40, 50)));   // the left vertex
    EXPECT_FALSE(d.contains(QPoint(60, 50)));  // the right vertex
    EXPECT_FALSE(d.contains(QPoint(50, 60)));  // the bottom vertex
    EXPECT_EQ(areaOf(d), 2 * 10 * 10);
}

TEST(AliasedPixels, VerticesSitOnAGridOf256thsOfAPixel) {
    // blend_modes/multiply: the slanted edge of a letter from (258.75, 81.95) to
    // (261.85, 61.15), filled on its right. Exactly, the centre (261.5, 63.5) lies 0.0002
    // pixel right of it; on the grid (81.95 and 61.15 rounded down, 261.85 up) it lies left
    // of it, and the movie's frame leaves that pixel to the letter's neighbour.
    const QPainterPath letter =
        polygon({{258.75, 81.95}, {261.85, 61.15}, {280, 61.15}, {280, 81.95}});
    const QRegion r = regionOf(aliasedPixels(letter, kClip));
    EXPECT_FALSE(r.contains(QPoint(261, 63)));
    EXPECT_TRUE(r.contains(QPoint(262, 63)));
    EXPECT_TRUE(r.contains(QPoint(261, 64)));  // one row down the edge has passed it
}

TEST(AliasedPixels, WindingAndOddEvenDecideOverlaps) {
    QPainterPath two = polygon({{10, 10}, {30, 10}, {30, 30}, {10, 30}});
    two.addPath(polygon({{20, 20}, {40, 20}, {40, 40}, {20, 40}}));
    two.setFillRule(Qt::WindingFill);
    const QRegion winding = regionOf(aliasedPixels(two, kClip));
    EXPECT_EQ(areaOf(winding), 400 + 400 - 100);
    EXPECT_TRUE(winding.contains(QPoint(25, 25)));
    two.setFillRule(Qt::OddEvenFill);
    const QRegion oddEven = regionOf(aliasedPixels(two, kClip));
    EXPECT_EQ(areaOf(oddEven), 400 + 400 - 200);
    EXPECT_FALSE(oddEven.contains(QPoint(25, 25)));
    // Equal rows are joined into one rectangle.
    EXPECT_EQ(aliasedPixels(polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), kClip).size(), 1u);
}

TEST(AliasedPixels, HostileCoordinatesStayInsideTheClipAndFinish) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QElapsedTimer timer;
    timer.start();
    // Far beyond any coordinate the arithmetic can hold: clamped, still the whole clip.
    const QPainterPath huge =
        polygon({{-1e300, -1e300}, {1e300, -1e300}, {1e300, 1e300}, {-1e300, 1e300}});
    EXPECT_EQ(regionOf(aliasedPixels(huge, kClip)), QRegion(kClip));
    // Points that are not numbers are left out of their polygon.
    const QPainterPath broken =
        polygon({{10, 10}, {nan, 5}, {50, 10}, {inf, 30}, {50, 50}, {10, 50}});
    EXPECT_EQ(regionOf(aliasedPixels(broken, kClip)), QRegion(10, 10, 40, 40));
    EXPECT_TRUE(aliasedPixels(huge, QRect()).empty());
    // A sliver far off the clip costs nothing.
    const QPainterPath away = polygon({{0, 1e9}, {1e6, 1e9}, {1e6, 1e9 + 1e6}});
    EXPECT_TRUE(aliasedPixels(away, kClip).empty());
    // A comb of many tall teeth: every row crosses every tooth, row by row.
    QPolygonF comb;
    comb << QPointF(0, 400);
    for (int i = 0; i < 5000; ++i) {
        comb << QPointF(i * 0.08, 0) << QPointF(i * 0.08 + 0.04, 400);
    }
    QPainterPath teeth;
    teeth.addPolygon(comb);
    EXPECT_FALSE(aliasedPixels(teeth, kClip).empty());
    EXPECT_LT(timer.elapsed(), 3000);
}

TEST(FillAliased, FollowsThePainterAndKeepsTheBrushPatternInPlace) {
    // A checkered texture through a translated, scaled painter: the same pixels as the
    // painter's own filling of the same whole-pixel rectangle.
    QImage tile(4, 4, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            tile.setPixel(x, y, (x + y) % 2 ? 0xff0000ff : 0xffffff00);
        }
    }
    QBrush brush(tile);
    brush.setTransform(QTransform::fromTranslate(1, 3));
    QImage ours(64, 64, QImage::Format_ARGB32_Premultiplied);
    QImage theirs = ours;
    ours.fill(Qt::white);
    theirs.fill(Qt::white);
    for (QImage* image : {&ours, &theirs}) {
        QPainter p(image);
        p.translate(7, 5);
        p.scale(2, 2);
        if (image == &ours) {
            QPainterPath rect;
            rect.addRect(QRectF(2, 3, 20, 15));
            fillAliased(p, rect, brush);
        } else {
            p.fillRect(QRectF(2, 3, 20, 15), brush);
        }
    }
    EXPECT_EQ(ours, theirs);
    // The painter's own clip still holds.
    QImage clipped(64, 64, QImage::Format_ARGB32_Premultiplied);
    clipped.fill(Qt::white);
    {
        QPainter p(&clipped);
        p.setClipRect(QRect(0, 0, 20, 64));
        QPainterPath all;
        all.addRect(QRectF(0, 0, 64, 64));
        fillAliased(p, all, QBrush(Qt::black));
    }
    EXPECT_EQ(clipped.pixelColor(19, 30), QColor(Qt::black));
    EXPECT_EQ(clipped.pixelColor(20, 30), QColor(Qt::white));
}

}  // namespace
}  // namespace pencora::swf::render
