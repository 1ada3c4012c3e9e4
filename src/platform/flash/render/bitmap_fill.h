// Clipped bitmap fills beyond their bitmap: the player stretches the edge texels outwards
// as far as the shape goes, where a texture brush would repeat the whole bitmap.
#pragma once

#include <QImage>
#include <QRect>
#include <QTransform>

namespace pencora::swf::render {

// Whether the device pixels of `area` all fall within a texel of `image`'s edge, where a
// texture brush of the image padded by one texel (clampedImage) draws them right.
bool staysNearBitmap(const QSize& image, const QTransform& texelToDevice, const QRect& area);

// The device pixels of `area` filled with `image` (premultiplied) mapped by `texelToDevice`,
// texel positions past the edge held at the edge. Each pixel takes the texel under its centre,
// or with `smooth` the four around it blended. A null image when the area is empty or the
// mapping has no inverse.
QImage clampedBitmapPixels(const QImage& image, const QTransform& texelToDevice, const QRect& area,
                           bool smooth);

}  // namespace pencora::swf::render
