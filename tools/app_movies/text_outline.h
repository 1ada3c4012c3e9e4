// A line of text as a filled movie shape: the glyph outlines of an installed font, drawn
// with straight and quadratic edges, so the movie carries no font of its own. Needs a
// QGuiApplication (the font database).
#pragma once

#include <QString>

#include "platform/flash/swf/shape.h"

namespace app_movies {

// `text` in `family` at `pixelSize`, bold or not, centred on x = `centreX` with its baseline
// at y = `baseline` (pixels), filled with `color`. Coordinates of the shape are in twips.
pencora::swf::Shape textShape(const QString& text, const QString& family, int pixelSize, bool bold,
                              double centreX, double baseline, pencora::swf::Rgba color);

}  // namespace app_movies
