// What the runtime's painting methods of BitmapData share: the prototype they are put on, and
// putting pixels the renderer painted (premultiplied) back into a bitmap.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/avm1/machine.h"

namespace pencora::runtime {

// flash.display.BitmapData.prototype; null where there is none.
avm1::Object* bitmapDataPrototype(avm1::Machine& m);

// Puts the part of `image` (its corner at `at` in the bitmap) inside `area` into the bitmap,
// cut to the bitmap; an opaque bitmap stays opaque.
void storePainted(avm1::BitmapDataObject& bitmap, const QImage& image, QPoint at,
                  const QRect& area);

}  // namespace pencora::runtime
