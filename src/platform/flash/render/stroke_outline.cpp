#include "platform/flash/render/stroke_outline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/flash/render/flatten.h"
#include "platform/flash/render/line_stroke.h"

namespace pencora::swf::render {

namespace {

bool hasCurves(const QPainterPath& path) {
    for (int i = 0; i < path.elementCount(); ++i) {
        if (path.elementAt(i).type == QPainterPath::CurveToElement) {
            return true;
        }
    }
    return false;
}

// Whether every join of the polyline `chords` (device pixels) turns so little that a round
// join of radius `radius` strays no more than the curve tolerance from the straight cut
// across it: such an arc is filled as that one chord, the same as a bevel.
bool joinsAreFlat(const QPainterPath& chords, double radius) {
    const double minCos = 1.0 - kAliasedCurveTolerance / radius;  // cos of half the turn
    std::vector<QPointF> points;
    auto subpathFlat = [&]() {
        std::vector<QPointF> dirs;
        for (size_t i = 1; i < points.size(); ++i) {
            const QPointF d = points[i] - points[i - 1];
            if (d.x() != 0 || d.y() != 0) {
                dirs.push_back(d);
            }
        }
        // A subpath ending where it began may be joined there too: that turn counts as well.
        const QPointF gap = points.empty() ? QPointF() : points.back() - points.front();
        const bool closed = dirs.size() > 1 && std::abs(gap.x()) < 1e-3 && std::abs(gap.y()) < 1e-3;
        const size_t turns = closed ? dirs.size() : (dirs.empty() ? 0 : dirs.size() - 1);
        for (size_t i = 0; i < turns; ++i) {
            const QPointF a = dirs[i];
            const QPointF b = dirs[(i + 1) % dirs.size()];
            const double cosTurn = (a.x() * b.x() + a.y() * b.y()) /
                                   (std::hypot(a.x(), a.y()) * std::hypot(b.x(), b.y()));
            if (!(std::sqrt(std::max(0.0, (1.0 + cosTurn) / 2.0)) >= minCos)) {
                return false;
            }
        }
        return true;
    };
    for (int i = 0; i < chords.elementCount(); ++i) {
        const QPainterPath::Element e = chords.elementAt(i);
        if (e.isCurveTo()) {
            return false;
        }
        if (e.isMoveTo()) {
            if (!subpathFlat()) {
                return false;
            }
            points.clear();
        }
        points.emplace_back(e.x, e.y);
    }
    return subpathFlat();
}

// A round pen `width` across in the shape is an ellipse on the device, its axes the width
// times the matrix's singular values. The stretch of the shape's space, along the directions
// those axes come from, that makes each axis a whole number of device pixels (at least one).
QTransform hintingStretch(const QTransform& world, double width) {
    // The singular values are the square roots of the eigenvalues of the matrix's transpose
    // times itself, and the directions are its eigenvectors.
    const double a = world.m11() * world.m11() + world.m12() * world.m12();
    const double b = world.m11() * world.m21() + world.m12() * world.m22();
    const double c = world.m21() * world.m21() + world.m22() * world.m22();
    const double mean = (a + c) / 2;
    const double spread = std::hypot((a - c) / 2, b);
    const double values[2] = {mean + spread, std::max(0.0, mean - spread)};
    QPointF first = std::abs(b) > 1e-12 * (a + c) ? QPointF(b, values[0] - a)
                                                  : (a >= c ? QPointF(1, 0) : QPointF(0, 1));
    first /= std::hypot(first.x(), first.y());
    const QPointF directions[2] = {first, QPointF(-first.y(), first.x())};
    double h11 = 0, h12 = 0, h22 = 0;
    for (int i = 0; i < 2; ++i) {
        const double across = width * std::sqrt(values[i]);
        const double k = across > 0 ? std::max(1.0, std::round(across)) / across : 1.0;
        const QPointF v = directions[i];
        h11 += k * v.x() * v.x();
        h12 += k * v.x() * v.y();
        h22 += k * v.y() * v.y();
    }
    return QTransform(h11, h12, h12, h22, 0, 0);
}

}  // namespace

QPainterPath hintedAnchors(const QPainterPath& line, const LineStyle& style,
                           const QTransform& world) {
    bool invertible = false;
    const QTransform back = world.inverted(&invertible);
    if (!style.pixelHinting || !invertible) {
        return line;
    }
    QPainterPath device = world.map(line);
    for (int i = 0; i < device.elementCount(); ++i) {
        // A curve is stored as its two control points and then its end: the end is an anchor.
        const QPainterPath::Element e = device.elementAt(i);
        const bool control =
            e.type == QPainterPath::CurveToElement ||
            (e.type == QPainterPath::CurveToDataElement && i + 1 < device.elementCount() &&
             device.elementAt(i + 1).type == QPainterPath::CurveToDataElement);
        if (!control) {
            device.setElementPositionAt(i, std::round(e.x), std::round(e.y));
        }
    }
    return back.map(device);
}

std::optional<QPainterPath> lineOutline(const QPainterPath& line, const LineStyle& style,
                                        const QPen& pen, const QTransform& world) {
    if (style.width == 0 || style.noHScale || style.noVScale) {
        return std::nullopt;
    }
    const double sx = std::hypot(world.m11(), world.m12());
    const double sy = std::hypot(world.m21(), world.m22());
    // Columns at right angles and of one length: the matrix keeps circles round.
    const bool even =
        std::abs(sx - sy) <= 1e-6 * std::max(sx, sy) &&
        std::abs(world.m11() * world.m21() + world.m12() * world.m22()) <= 1e-6 * sx * sy;
    // The thinnest way the line goes: its width times the matrix's smaller singular value.
    const double det = std::abs(world.m11() * world.m22() - world.m12() * world.m21());
    const double largest = std::max(sx, sy);
    const double thinnest = largest > 0 ? style.width * det / largest : 0.0;
    if (thinnest < 1.0 - 1e-9 || (even && !hasCurves(line))) {
        return std::nullopt;
    }
    double width = style.width;
    if (style.pixelHinting && even) {
        // As wide as the device pen: whole device pixels.
        width *= std::round(style.width * sx) / (style.width * sx);
    }
    QPen shapePen = pen;
    shapePen.setWidthF(width);
    QPainterPath outline;
    if (style.pixelHinting && !even) {
        // The pen is stroked where it is round and then stretched into an ellipse whose axes
        // reach whole device pixels: the line itself goes through unchanged.
        const QTransform stretch = hintingStretch(world, width);
        outline =
            world.map(stretch.map(strokeOutline(stretch.inverted().map(line), shapePen, style)));
    } else {
        outline = world.map(strokeOutline(line, shapePen, style));
    }
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

QPainterPath drawnLineArea(const QPainterPath& line, const LineStyle& style, const QPen& pen,
                           const QTransform& world) {
    if (auto outline = lineOutline(line, style, pen, world)) {
        return *outline;
    }
    QPainterPath outline = strokeOutline(world.map(line), pen, style);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

QPainterPath aliasedLineOutline(const QPainterPath& line, const LineStyle& style, const QPen& pen,
                                const QTransform& world) {
    // The chords are cut on the device, as a fill's are.
    const QPainterPath chords = flattenCurves(world.map(line));
    bool invertible = false;
    const QTransform back = world.inverted(&invertible);
    if (invertible) {
        if (auto outline = lineOutline(back.map(chords), style, pen, world)) {
            return *outline;
        }
    }
    // Round joins that would each be cut into one chord are drawn as bevels straight away:
    // the same pixels, without working out the arcs.
    QPen devicePen = pen;
    if (pen.joinStyle() == Qt::RoundJoin && pen.widthF() > 0 &&
        joinsAreFlat(chords, pen.widthF() / 2)) {
        devicePen.setJoinStyle(Qt::BevelJoin);
    }
    QPainterPath outline = strokeOutline(chords, devicePen, style);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

}  // namespace pencora::swf::render
