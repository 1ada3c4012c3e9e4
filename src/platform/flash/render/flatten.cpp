#include "platform/flash/render/flatten.h"

#include <algorithm>
#include <cmath>

namespace pencora::swf::render {

namespace {

// The subdivision maps the quadratic onto the parabola y = x^2 and spaces the points evenly
// in an approximation of the integral of the square root of its curvature, which makes each
// chord's error about equal. The two functions approximate that integral and its inverse.
double parabolaIntegral(double x) {
    constexpr double d = 0.67;
    return x / (1.0 - d + std::sqrt(std::sqrt(d * d * d * d + 0.25 * x * x)));
}

double parabolaIntegralInverse(double x) {
    constexpr double b = 0.39;
    return x * (1.0 - b + std::sqrt(b * b + 0.25 * x * x));
}

// A cap on the segments of one curve, so that a hostile coordinate cannot make millions.
constexpr int kMaxSegments = 256;

void addQuadratic(QPainterPath& out, QPointF p0, QPointF p1, QPointF p2, double tolerance) {
    const double ddx = 2 * p1.x() - p0.x() - p2.x();
    const double ddy = 2 * p1.y() - p0.y() - p2.y();
    const double cross = (p2.x() - p0.x()) * ddy - (p2.y() - p0.y()) * ddx;
    if (!std::isfinite(cross) || std::abs(cross) < 1e-9) {
        out.lineTo(p2);  // straight (or degenerate): one segment
        return;
    }
    // A curve that strays no further than the tolerance from its chord is that chord: the
    // spacing below would still cut one that strays 0.093 pixel in two (simple_shapes/masks).
    const double chord = std::hypot(p2.x() - p0.x(), p2.y() - p0.y());
    if (chord > 0 && std::abs(cross) / chord / 4 <= tolerance) {
        out.lineTo(p2);
        return;
    }
    const double u0 = (p1.x() - p0.x()) * ddx + (p1.y() - p0.y()) * ddy;
    const double u2 = (p2.x() - p1.x()) * ddx + (p2.y() - p1.y()) * ddy;
    const double x0 = u0 / cross;
    const double x2 = u2 / cross;
    const double scale = std::abs(cross) / (std::hypot(ddx, ddy) * std::abs(x2 - x0));
    const double a0 = parabolaIntegral(x0);
    const double a2 = parabolaIntegral(x2);
    const double count = 0.5 * std::abs(a2 - a0) * std::sqrt(scale / tolerance);
    const int n = std::isfinite(count) ? std::clamp(int(std::ceil(count)), 1, kMaxSegments) : 1;
    const double v0 = parabolaIntegralInverse(a0);
    const double v2 = parabolaIntegralInverse(a2);
    for (int i = 1; i < n; ++i) {
        const double u = parabolaIntegralInverse(a0 + (a2 - a0) * i / n);
        const double t = (u - v0) / (v2 - v0);
        const double s = 1 - t;
        out.lineTo(s * s * p0 + 2 * s * t * p1 + t * t * p2);
    }
    out.lineTo(p2);
}

bool near(QPointF a, QPointF b) {
    return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
}

}  // namespace

QPainterPath flattenCurves(const QPainterPath& path, double tolerance) {
    QPainterPath out;
    out.setFillRule(path.fillRule());
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            out.moveTo(e);
            current = e;
        } else if (e.isLineTo()) {
            out.lineTo(e);
            current = e;
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF c1 = path.elementAt(i);
            const QPointF c2 = path.elementAt(i + 1);
            const QPointF to = path.elementAt(i + 2);
            // A quadratic with control q is stored as the cubic (p0 + 2q) / 3, (to + 2q) / 3.
            const QPointF q = (3 * c1 - current) / 2;
            if (near(c2, (to + 2 * q) / 3)) {
                addQuadratic(out, current, q, to, tolerance);
            } else {
                out.cubicTo(c1, c2, to);
            }
            current = to;
            i += 2;
        }
    }
    return out;
}

}  // namespace pencora::swf::render
