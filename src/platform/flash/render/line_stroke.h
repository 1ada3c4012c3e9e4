// A line's stroke as an outline to fill, with what Qt's stroker does not draw by itself:
// miter joins cut off at their limit (miter_joins.h), a line whose two ends are capped
// differently (a movie's extended line style gives each end its own cap) and a line that
// returns to its start but is not to be closed there. The rest is Qt's
// stroke; the joins and caps added to it run the same way round as it does, so that where
// they meet it the winding adds up and anti-aliased edges show no seam.
#pragma once

#include <QPainterPath>
#include <QPen>

#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// Whether Qt's stroker draws `pen` alone for a line of `style`: no cut miters, the same cap at
// both ends, and loops joined where they close.
bool qtStrokes(const QPen& pen, const LineStyle& style);

// The outline of `path` stroked with `pen` (its width, join and start cap) for a line of
// `style`, to be filled with the winding rule. Each open subpath starts with the pen's cap and
// ends with the style's end cap; a subpath that ends where it began is joined there instead,
// unless the style keeps it from closing (`noClose`): then it is capped at both ends.
QPainterPath strokeOutline(const QPainterPath& path, const QPen& pen, const LineStyle& style);

}  // namespace pencora::swf::render
