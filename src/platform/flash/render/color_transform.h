// Colour transforms applied to colours and images: channel * mult / 256 + add, clamped.
#pragma once

#include <QColor>
#include <QImage>

#include "platform/flash/swf/geometry.h"

namespace pencora::swf::render {

bool isIdentity(const ColorTransform& cx);
// The transform that applies `inner` first and then `outer` (a child inside its parent).
ColorTransform combine(const ColorTransform& outer, const ColorTransform& inner);
QColor apply(const ColorTransform& cx, const Rgba& c);
// A copy of a premultiplied image with the transform applied (the image itself if identity).
QImage apply(const ColorTransform& cx, const QImage& image);

}  // namespace pencora::swf::render
