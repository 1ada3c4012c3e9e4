// Putting pixels the renderer painted (premultiplied) back into a BitmapData.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include "platform/flash/avm1/bitmap_data.h"

namespace pencora::runtime {

// Puts the part of `image` (its corner at `at` in the bitmap) inside `area` into the bitmap,
// cut to the bitmap; an opaque bitmap stays opaque.
void storePainted(avm1::BitmapDataObject& bitmap, const QImage& image, QPoint at,
                  const QRect& area);

}  // namespace pencora::runtime
