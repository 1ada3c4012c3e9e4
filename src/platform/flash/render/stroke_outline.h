// Lines under a matrix that scales one way more than the other: the pen is the shape's own,
// so the line is as wide as the matrix makes it in each direction (a horizontal line scaled
// twice as high is twice as thick, a vertical one is not). Drawn as the filled outline of
// the line in the shape's twips, mapped to the device.
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <optional>

#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// The device outline of `line` (in twips) drawn with `style` under `world`, when `world`
// scales unevenly or skews and the line stays at least a device pixel thick every way;
// std::nullopt when a pen in device pixels draws it just as well (or a hairline is wanted).
std::optional<QPainterPath> unevenLineOutline(const QPainterPath& line, const LineStyle& style,
                                              const QPen& pen, const QTransform& world);

}  // namespace pencora::swf::render
