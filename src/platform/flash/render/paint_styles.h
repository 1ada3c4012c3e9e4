// Fill and line styles as Qt brushes and pens for one draw: gradients over the gradient
// square (-16384..16384 twips), bitmap fills, line widths scaled with the matrix, and the
// colour transform applied to every colour.
#pragma once

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <array>
#include <functional>

#include "platform/flash/swf/geometry.h"
#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// Finds a decoded bitmap by character id (a null image when there is none). With `clamped`
// it is the image for a clipped fill: one edge pixel wider on each side (see clampedImage).
using ImageLookup = std::function<QImage(uint16_t id, bool clamped)>;

// A clipped bitmap fill repeats its edge pixels beyond the bitmap; a texture brush repeats
// the whole bitmap. Padding the image with a copy of its edge keeps smoothing at the edges
// from mixing in the opposite edge, which covers the shapes such fills are drawn in.
QImage clampedImage(const QImage& image);

QTransform toQTransform(const Matrix& m);

// `world` maps twips to device pixels.
QBrush fillBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx,
                 const ImageLookup& images);
QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images);
// The 256 colours a gradient spreads over its square, colour transform applied.
std::array<QColor, 256> gradientTable(const Gradient& g, const ColorTransform& cx);
// Bitmap fills ask for smoothing (types 0x40 and 0x41).
bool wantsSmoothing(const FillStyle& style);

}  // namespace pencora::swf::render
