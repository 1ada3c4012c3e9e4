// Fill and line styles as Qt brushes and pens for one draw: gradients over the gradient
// square (-16384..16384 twips), bitmap fills, line widths scaled with the matrix, and the
// colour transform applied to every colour.
#pragma once

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <functional>

#include "platform/flash/swf/geometry.h"
#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// Finds a decoded bitmap by character id (a null image when there is none).
using ImageLookup = std::function<QImage(uint16_t)>;

QTransform toQTransform(const Matrix& m);

// `world` maps twips to device pixels.
QBrush fillBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx,
                 const ImageLookup& images);
QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images);
// Bitmap fills ask for smoothing (types 0x40 and 0x41).
bool wantsSmoothing(const FillStyle& style);

}  // namespace pencora::swf::render
