// Curves cut into chords for aliased drawing: every chord point lies on the curve, no chord
// strays beyond the tolerance, cubics that are not quadratics stay curves, and hostile sizes
// cannot make a curve into an unbounded number of segments.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/flash/render/flatten.h"

namespace pencora::swf::render {
namespace {

QPointF quadAt(QPointF p0, QPointF q, QPointF p2, double t) {
    const double s = 1 - t;
    return s * s * p0 + 2 * s * t * q + t * t * p2;
}

TEST(FlattenCurves, ChordsStayWithinTheToleranceOfTheQuadratic) {
    const QPointF p0(0, 0), q(50, 80), p2(100, 0);
    QPainterPath path;
    path.moveTo(p0);
    path.quadTo(q, p2);
    const QPainterPath flat = flattenCurves(path, 0.1);
    ASSERT_GT(flat.elementCount(), 8);
    for (int i = 0; i < flat.elementCount(); ++i) {
        EXPECT_FALSE(flat.elementAt(i).isCurveTo());
    }
    EXPECT_EQ(QPointF(flat.elementAt(flat.elementCount() - 1)), p2);
    // Every point of the curve lies close to some chord.
    for (double t = 0; t <= 1.0; t += 0.01) {
        const QPointF c = quadAt(p0, q, p2, t);
        double best = 1e9;
        for (int i = 1; i < flat.elementCount(); ++i) {
            const QPointF a = flat.elementAt(i - 1);
            const QPointF b = flat.elementAt(i);
            const QPointF d = b - a;
            const double len2 = QPointF::dotProduct(d, d);
            const double u =
                len2 > 0 ? std::clamp(QPointF::dotProduct(c - a, d) / len2, 0.0, 1.0) : 0;
            const QPointF p = a + u * d;
            best = std::min(best, std::hypot(c.x() - p.x(), c.y() - p.y()));
        }
        EXPECT_LT(best, 0.15) << "t=" << t;
    }
}

TEST(FlattenCurves, KeepsCubicsAndLinesAndBoundsHostileCurves) {
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(10, 40, 90, -40, 100, 0);  // not a raised quadratic
    path.lineTo(100, 100);
    const QPainterPath kept = flattenCurves(path);
    EXPECT_EQ(kept.elementCount(), path.elementCount());
    EXPECT_TRUE(kept.elementAt(1).isCurveTo());

    QPainterPath huge;
    huge.moveTo(0, 0);
    huge.quadTo(1e12, 1e12, 2e12, 0);
    EXPECT_LE(flattenCurves(huge).elementCount(), 300);
    // A curve within the tolerance of its chord is that chord (simple_shapes/masks: 0.093).
    QPainterPath flat;
    flat.moveTo(392.1, 303.65);
    flat.quadTo(390.05, 292.45, 389.6, 291.15);
    EXPECT_EQ(flattenCurves(flat, 0.1).elementCount(), 2);
    EXPECT_GT(flattenCurves(flat, 0.09).elementCount(), 2);
    QPainterPath straight;  // a control point on the chord: one segment
    straight.moveTo(0, 0);
    straight.quadTo(50, 0, 100, 0);
    EXPECT_EQ(flattenCurves(straight).elementCount(), 2);
}

}  // namespace
}  // namespace pencora::swf::render
