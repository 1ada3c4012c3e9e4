// A line's stroke as an outline to fill, with what Qt's stroker does not draw by itself:
// miter joins cut off at their limit (miter_joins.h) and a line whose two ends are capped
// differently (a movie's extended line style gives each end its own cap). The rest is Qt's
// stroke; the joins and caps added to it run the same way round as it does, so that where
// they meet it the winding adds up and anti-aliased edges show no seam.
#pragma once

#include <QPainterPath>
#include <QPen>

namespace pencora::swf::render {

// Whether Qt's stroker draws `pen` alone: no cut miters and the same cap at both ends.
bool qtStrokes(const QPen& pen, Qt::PenCapStyle endCap);

// The outline of `path` stroked with `pen`, to be filled with the winding rule. Each open
// subpath starts with the pen's cap and ends with `endCap`; a subpath that ends where it
// began is joined there instead.
QPainterPath strokeOutline(const QPainterPath& path, const QPen& pen, Qt::PenCapStyle endCap);

}  // namespace pencora::swf::render
