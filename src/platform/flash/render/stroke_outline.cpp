#include "platform/flash/render/stroke_outline.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

#include "platform/flash/render/flatten.h"

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

}  // namespace

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
    QPainterPathStroker stroker(pen);
    stroker.setWidth(style.width);
    QPainterPath outline = world.map(stroker.createStroke(line));
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
    QPainterPath outline = QPainterPathStroker(pen).createStroke(chords);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

}  // namespace pencora::swf::render
