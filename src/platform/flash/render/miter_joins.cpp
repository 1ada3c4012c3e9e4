#include "platform/flash/render/miter_joins.h"

#include <QPainterPathStroker>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pencora::swf::render {

namespace {

double dot(QPointF a, QPointF b) {
    return a.x() * b.x() + a.y() * b.y();
}

double length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

// Twice the signed area of a closed polygon.
double signedArea(const QPolygonF& polygon) {
    double area = 0;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF a = polygon[i];
        const QPointF b = polygon[(i + 1) % polygon.size()];
        area += a.x() * b.y() - b.x() * a.y();
    }
    return area;
}

// Qt's stroker runs round every stroke the same way; the miters added to it must run the
// same way too, or where they touch the stroke the winding cancels and leaves a seam.
double strokeTurning() {
    static const double sign = [] {
        QPainterPath probe;
        probe.moveTo(0, 0);
        probe.lineTo(10, 0);
        QPainterPathStroker stroker;
        stroker.setWidth(2);
        stroker.setCapStyle(Qt::FlatCap);
        const auto polygons = stroker.createStroke(probe).toSubpathPolygons();
        return polygons.isEmpty() || signedArea(polygons.front()) >= 0 ? 1.0 : -1.0;
    }();
    return sign;
}

// One drawn piece of a subpath: where it starts and ends and which way it leaves and arrives.
struct Piece {
    QPointF from;
    QPointF to;
    QPointF leaving;
    QPointF arriving;
};

QPointF firstNonZero(std::initializer_list<QPointF> vectors) {
    for (QPointF v : vectors) {
        if (v.x() != 0 || v.y() != 0) {
            return v;
        }
    }
    return {};
}

// The pieces of each subpath, pieces of no length left out as the stroker leaves them out.
std::vector<std::vector<Piece>> piecesOf(const QPainterPath& path) {
    std::vector<std::vector<Piece>> subpaths;
    QPointF at;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            subpaths.emplace_back();
            at = p;
            continue;
        }
        if (subpaths.empty()) {
            subpaths.emplace_back();
        }
        Piece piece{at, p, p - at, p - at};
        if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF c1 = p;
            const QPointF c2(path.elementAt(i + 1).x, path.elementAt(i + 1).y);
            const QPointF end(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
            piece = {at, end, firstNonZero({c1 - at, c2 - at, end - at}),
                     firstNonZero({end - c2, end - c1, end - at})};
            i += 2;
        }
        at = piece.to;
        if (length(piece.leaving) > 0 && length(piece.arriving) > 0) {
            subpaths.back().push_back(piece);
        }
    }
    return subpaths;
}

// The part of a cut miter beyond the bevel at `corner`, where a line arriving along `in`
// leaves along `out` (both of unit length), as a polygon through the corner.
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

QPointF unit(QPointF v) {
    return v / length(v);
}

}  // namespace

double miterReach(double width, double limit) {
    return std::clamp(limit, 1.0, 255.0) * width / 2;
}

void setCutMiterJoin(QPen& pen, double limit) {
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(std::clamp(limit, 1.0, 255.0));
}

QPainterPath strokeOutline(const QPainterPath& path, const QPen& pen) {
    if (pen.joinStyle() != Qt::MiterJoin) {
        return QPainterPathStroker(pen).createStroke(path);
    }
    QPen bevelled = pen;
    bevelled.setJoinStyle(Qt::BevelJoin);
    QPainterPath outline = QPainterPathStroker(bevelled).createStroke(path);
    const double width = pen.widthF();
    const double turning = strokeTurning();
    auto addJoin = [&](const Piece& in, const Piece& out) {
        QPolygonF miter =
            cutMiter(in.to, unit(in.arriving), unit(out.leaving), width, pen.miterLimit());
        if (miter.isEmpty()) {
            return;
        }
        if (signedArea(miter) * turning < 0) {
            std::reverse(miter.begin(), miter.end());
        }
        outline.addPolygon(miter);
        outline.closeSubpath();
    };
    for (const auto& pieces : piecesOf(path)) {
        for (size_t i = 1; i < pieces.size(); ++i) {
            addJoin(pieces[i - 1], pieces[i]);
        }
        // A subpath that ends where it began is joined there as well.
        const QPointF gap = pieces.empty() ? QPointF() : pieces.back().to - pieces.front().from;
        if (pieces.size() > 1 && std::abs(gap.x()) < 1e-6 && std::abs(gap.y()) < 1e-6) {
            addJoin(pieces.back(), pieces.front());
        }
    }
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

}  // namespace pencora::swf::render
