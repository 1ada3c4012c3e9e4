// Lines drawn as the filled outline of the pen in the shape's own twips, mapped to the device:
// - under a matrix that scales one way more than the other, the pen is the shape's, so a line
//   is as thick as the matrix makes it each way (a horizontal line scaled twice as high is
//   twice as thick, a vertical one is not);
// - a curved line's pixels are then those of a fill of the same outline, which is how the
//   movies' frames show them without anti-aliasing (filters/drop_shadow_angles).
// Straight lines under an even matrix keep the device pen.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <optional>

#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// The device outline of `line` (in twips) drawn with `style` and `pen` under `world`, when
// one of the cases above holds and the line is at least a device pixel thick every way;
// std::nullopt when the device pen draws it (hairlines, thinner lines, unscaled widths).
std::optional<QPainterPath> lineOutline(const QPainterPath& line, const LineStyle& style,
                                        const QPen& pen, const QTransform& world);

}  // namespace pencora::swf::render
