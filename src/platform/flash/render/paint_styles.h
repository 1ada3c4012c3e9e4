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
#include <optional>

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

// Where a fill is painted: the painter's own transform to its device and the device pixels
// the fill can reach (its bounds cut to the device and the clip).
struct PaintArea {
    QTransform toDevice;
    QRect pixels;
    bool smooth = false;  // anti-aliased drawing, where bitmaps that ask for it are smoothed
};
PaintArea paintArea(const QPainter& painter, const QRectF& bounds);

// `world` maps twips to the painter's coordinates. Given the area, a gradient is painted
// pixel by pixel as the player colours it (gradient_fill.h); without one it is a Qt
// gradient, close to that.
QBrush fillBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx,
                 const ImageLookup& images, const std::optional<PaintArea>& area = std::nullopt);
// A line painted with a fill style takes that fill's brush; drawn with `painter` along a
// path with `pathBounds` (the painter's coordinates), a gradient is painted for the pixels
// the stroke can reach.
QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images);
QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images, const QPainter& painter, const QRectF& pathBounds);
// The width a line is drawn at under `world` (twips to device pixels), in device pixels:
// scaled by the matrix unless the style keeps it from scaling, never under one pixel (a
// width of 0 is a hairline), whole pixels for a hinted line.
double lineWidth(const LineStyle& style, const QTransform& world);
// The Qt cap drawing a line end capped with `cap`.
Qt::PenCapStyle qtCap(CapStyle cap);
// Bitmap fills ask for smoothing (types 0x40 and 0x41).
bool wantsSmoothing(const FillStyle& style);

}  // namespace pencora::swf::render
