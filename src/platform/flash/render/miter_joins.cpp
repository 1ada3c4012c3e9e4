#include "platform/flash/render/miter_joins.h"

#include <algorithm>
#include <cmath>

namespace pencora::swf::render {

namespace {

double dot(QPointF a, QPointF b) {
    return a.x() * b.x() + a.y() * b.y();
}

double length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

}  // namespace

double miterReach(double width, double limit) {
    return std::clamp(limit, 1.0, 255.0) * width / 2;
}

QPolygonF cutMiter(QPointF corner, QPointF in, QPointF out, double width, double limit) {
    const QPointF spread = in - out;  // points from the corner towards the tip
    const double spreadLength = length(spread);
    const double halfSine = length(in + out) / 2;  // of half the angle between the lines
    if (spreadLength < 1e-9) {
        return {};  // the line goes straight on
    }
    const QPointF tipward = spread / spreadLength;
    auto outerNormal = [&](QPointF d) {
        const QPointF n(-d.y(), d.x());
        return dot(n, tipward) >= 0 ? n : -n;
    };
    const double half = width / 2;
    const QPointF outer1 = corner + outerNormal(in) * half;
    const QPointF outer2 = corner + outerNormal(out) * half;
    const double bevel = dot(outer1 - corner, tipward);
    const double reach = miterReach(width, limit);
    if (reach <= bevel + 1e-9) {
        return {};
    }
    // Along each outer edge towards the tip the distance along the bisector grows at this rate.
    const double rate = dot(in, tipward);
    if (halfSine > 1e-9 && reach >= half / halfSine) {
        return QPolygonF({corner, outer1, corner + tipward * (half / halfSine), outer2});
    }
    const double along = (reach - bevel) / rate;
    return QPolygonF({corner, outer1, outer1 + in * along, outer2 - out * along, outer2});
}

void setCutMiterJoin(QPen& pen, double limit) {
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(std::clamp(limit, 1.0, 255.0));
}

}  // namespace pencora::swf::render
