// Bitmap filters of display objects (blur, drop shadow, glow, bevel, colour matrix,
// convolution), applied to an object drawn on its own into a premultiplied ARGB32 image.
// Distances and blur sizes are in stage pixels: they follow the stage's scale on the
// device, not the object's own matrix.
#pragma once

#include <QImage>
#include <QMargins>
#include <QSizeF>

#include <vector>

#include "platform/flash/swf/control_tags.h"

namespace pencora::swf::render {

// How much the filters let the drawn area grow on each side, in device pixels, for a stage
// drawn at `scaleX` by `scaleY` device pixels per stage pixel.
QMargins filterReach(const std::vector<Filter>& filters, double scaleX, double scaleY);

// Whether an object's filtered image of `size` device pixels (the object and all its filters
// reach) gets its filters: no wider or higher than 8191 pixels and no more than 16,777,215
// pixels in all. A larger one, such as a filtered clip zoomed far in, is drawn without them.
bool filtersFit(QSizeF size);

// Applies the filters in order to `image` (Format_ARGB32_Premultiplied), in place. The
// image must already hold the room the filters reach into (see filterReach).
void applyFilters(QImage& image, const std::vector<Filter>& filters, double scaleX, double scaleY);

// A box blur of an 8-bit plane (`width` by `height`, row after row), `passes` times, with
// boxes `boxX` by `boxY` pixels wide. Exposed for the drop shadow's and the tests' use.
void blurPlane(std::vector<float>& plane, int width, int height, double boxX, double boxY,
               int passes);

}  // namespace pencora::swf::render
