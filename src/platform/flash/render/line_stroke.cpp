#include "platform/flash/render/line_stroke.h"

#include <QPainterPathStroker>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/flash/render/miter_joins.h"
#include "platform/flash/render/paint_styles.h"

namespace pencora::swf::render {

namespace {

double length(QPointF v) {
    return std::hypot(v.x(), v.y());
}

QPointF unit(QPointF v) {
    return v / length(v);
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

// Qt's stroker runs round every stroke the same way; the joins and caps added to it must run
// the same way too, or where they touch the stroke the winding cancels and leaves a seam.
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

// The cap at a line's end `end`, the line leaving it along `outward` (unit length).
QPainterPath capAt(QPointF end, QPointF outward, double width, Qt::PenCapStyle cap) {
    const double half = width / 2;
    const QPointF side(-outward.y() * half, outward.x() * half);
    QPainterPath shape;
    if (cap == Qt::SquareCap) {
        const QPointF ahead = outward * half;
        shape.addPolygon(
            QPolygonF({end + side, end + side + ahead, end - side + ahead, end - side}));
        shape.closeSubpath();
    } else if (cap == Qt::RoundCap) {
        // Half a circle round the end, from one side over the front to the other.
        // (Qt counts angles anticlockwise on the screen, which from `side` is over the front.)
        const double start = std::atan2(-side.y(), side.x()) * 180 / M_PI;
        shape.moveTo(end + side);
        shape.arcTo(QRectF(end.x() - half, end.y() - half, width, width), start, 180);
        shape.closeSubpath();
    }
    return shape;
}

// Adds `part` to `outline`, turned to run the same way round as Qt's stroke.
void addAlike(QPainterPath& outline, const QPainterPath& part) {
    if (part.isEmpty()) {
        return;
    }
    const auto polygons = part.toSubpathPolygons();
    const bool reversed = !polygons.isEmpty() && signedArea(polygons.front()) * strokeTurning() < 0;
    outline.addPath(reversed ? part.toReversed() : part);
}

// Qt's stroker joins a subpath whose last point is its first (as points compare, within a
// relative 1e-12), whether or not the subpath was closed.
bool endsWhereItBegan(QPointF first, QPointF last) {
    return first == last;
}

// `path` with the last point of each subpath that ends where it began moved a billionth of
// its size off the start, so that the stroker caps both ends instead of joining them.
QPainterPath openedLoops(const QPainterPath& path) {
    QPainterPath opened = path;
    int start = 0;
    for (int i = 1; i <= path.elementCount(); ++i) {
        if (i < path.elementCount() && !path.elementAt(i).isMoveTo()) {
            continue;
        }
        const QPainterPath::Element first = path.elementAt(start);
        const QPainterPath::Element last = path.elementAt(i - 1);
        if (i - 1 > start && endsWhereItBegan({first.x, first.y}, {last.x, last.y})) {
            const double nudge = 1e-9 * std::max({1.0, std::abs(last.x), std::abs(last.y)});
            opened.setElementPositionAt(i - 1, last.x + nudge, last.y);
        }
        start = i;
    }
    return opened;
}

}  // namespace

bool qtStrokes(const QPen& pen, const LineStyle& style) {
    return pen.joinStyle() != Qt::MiterJoin && qtCap(style.endCap) == pen.capStyle() &&
           !style.noClose;
}

QPainterPath strokeOutline(const QPainterPath& line, const QPen& pen, const LineStyle& style) {
    if (qtStrokes(pen, style)) {
        return QPainterPathStroker(pen).createStroke(line);
    }
    const QPainterPath path = style.noClose ? openedLoops(line) : line;
    const Qt::PenCapStyle endCap = qtCap(style.endCap);
    const bool cutMiters = pen.joinStyle() == Qt::MiterJoin;
    const bool ownCaps = endCap != pen.capStyle();
    QPen base = pen;
    if (cutMiters) {
        base.setJoinStyle(Qt::BevelJoin);
    }
    if (ownCaps) {
        base.setCapStyle(Qt::FlatCap);
    }
    QPainterPath outline = QPainterPathStroker(base).createStroke(path);
    const double width = pen.widthF();
    auto join = [&](const Piece& in, const Piece& out) {
        if (cutMiters) {
            QPainterPath miter;
            miter.addPolygon(
                cutMiter(in.to, unit(in.arriving), unit(out.leaving), width, pen.miterLimit()));
            miter.closeSubpath();
            addAlike(outline, miter);
        }
    };
    for (const auto& pieces : piecesOf(path)) {
        if (pieces.empty()) {
            continue;
        }
        for (size_t i = 1; i < pieces.size(); ++i) {
            join(pieces[i - 1], pieces[i]);
        }
        if (pieces.size() > 1 && endsWhereItBegan(pieces.front().from, pieces.back().to)) {
            join(pieces.back(), pieces.front());
        } else if (ownCaps) {
            addAlike(outline, capAt(pieces.front().from, -unit(pieces.front().leaving), width,
                                    pen.capStyle()));
            addAlike(outline, capAt(pieces.back().to, unit(pieces.back().arriving), width, endCap));
        }
    }
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

}  // namespace pencora::swf::render
