#include "platform/flash/render/paint_styles.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/flash/render/bitmap_fill.h"
#include "platform/flash/render/color_transform.h"
#include "platform/flash/render/gradient_fill.h"
#include "platform/flash/render/miter_joins.h"

namespace pencora::swf::render {

namespace {

QGradient::Spread spread(SpreadMode m) {
    switch (m) {
        case SpreadMode::Reflect:
            return QGradient::ReflectSpread;
        case SpreadMode::Repeat:
            return QGradient::RepeatSpread;
        default:
            return QGradient::PadSpread;
    }
}

// For a Qt gradient (where no area is known): entry i covers positions i/256 up to
// (i+1)/256, so each entry's colour sits at the middle of its span.
QGradientStops gradientStops(const Gradient& g, const ColorTransform& cx) {
    const auto table = gradientTable(g, cx);
    QGradientStops stops;
    stops.reserve(258);
    stops.append({0.0, table[0]});
    for (int i = 0; i < 256; ++i) {
        stops.append({(i + 0.5) / 256.0, table[i]});
    }
    stops.append({1.0, table[255]});
    return stops;
}

QBrush qtGradientBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx) {
    QBrush brush;
    if (style.type == FillType::LinearGradient) {
        QLinearGradient g(-16384.0, 0.0, 16384.0, 0.0);
        g.setStops(gradientStops(style.gradient, cx));
        g.setSpread(spread(style.gradient.spread));
        brush = QBrush(g);
    } else {
        const double focal = style.type == FillType::FocalGradient
                                 ? std::clamp(style.gradient.focalPoint, -0.98, 0.98)
                                 : 0.0;
        QRadialGradient g(QPointF(0, 0), 16384.0, QPointF(focal * 16384.0, 0));
        g.setStops(gradientStops(style.gradient, cx));
        g.setSpread(spread(style.gradient.spread));
        brush = QBrush(g);
    }
    brush.setTransform(toQTransform(style.matrix) * world);
    return brush;
}

}  // namespace

QImage clampedImage(const QImage& image) {
    if (image.isNull()) {
        return image;
    }
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width();
    const int h = src.height();
    QImage out(w + 2, h + 2, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h + 2; ++y) {
        const auto* from =
            reinterpret_cast<const QRgb*>(src.constScanLine(std::clamp(y - 1, 0, h - 1)));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        to[0] = from[0];
        std::copy_n(from, w, to + 1);
        to[w + 1] = from[w - 1];
    }
    return out;
}

QTransform toQTransform(const Matrix& m) {
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

bool wantsSmoothing(const FillStyle& style) {
    return style.type == FillType::RepeatingBitmap || style.type == FillType::ClippedBitmap;
}

PaintArea paintArea(const QPainter& painter, const QRectF& bounds) {
    PaintArea area;
    area.toDevice = painter.combinedTransform();
    area.smooth = painter.testRenderHint(QPainter::Antialiasing);
    QRect pixels = area.toDevice.mapRect(bounds).toAlignedRect();
    if (const QPaintDevice* device = painter.device()) {
        pixels &= QRect(0, 0, device->width(), device->height());
    }
    if (painter.hasClipping()) {
        pixels &= area.toDevice.mapRect(painter.clipBoundingRect()).toAlignedRect();
    }
    area.pixels = pixels;
    return area;
}

QBrush fillBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx,
                 const ImageLookup& images, const std::optional<PaintArea>& area) {
    if (style.type == FillType::Solid) {
        return QBrush(apply(cx, style.color));
    }
    if (isGradient(style.type)) {
        if (!area) {
            return qtGradientBrush(style, world, cx);
        }
        bool invertible = false;
        const QTransform fromDevice = area->toDevice.inverted(&invertible);
        if (!invertible || area->pixels.isEmpty()) {
            return QBrush(Qt::NoBrush);
        }
        QBrush brush(gradientImage(style, toQTransform(style.matrix) * world * area->toDevice, cx,
                                   area->pixels));
        brush.setTransform(QTransform::fromTranslate(area->pixels.left(), area->pixels.top()) *
                           fromDevice);
        return brush;
    }
    const bool clamped =
        style.type == FillType::ClippedBitmap || style.type == FillType::ClippedBitmapHard;
    QImage image = images ? images(style.bitmapId, clamped) : QImage();
    if (image.isNull()) {
        return QBrush(Qt::NoBrush);
    }
    QTransform t = toQTransform(style.matrix) * world;
    if (clamped) {
        t = QTransform::fromTranslate(-1, -1) * t;
        bool invertible = false;
        const QTransform fromDevice = area ? area->toDevice.inverted(&invertible) : QTransform();
        if (invertible && !area->pixels.isEmpty() &&
            !staysNearBitmap(image.size() - QSize(2, 2),
                             toQTransform(style.matrix) * world * area->toDevice, area->pixels)) {
            // The shape reaches past the padded edge: its pixels are filled here, the edge
            // texels stretched out to them.
            QBrush brush(clampedBitmapPixels(apply(cx, image), t * area->toDevice, area->pixels,
                                             area->smooth && wantsSmoothing(style)));
            brush.setTransform(QTransform::fromTranslate(area->pixels.left(), area->pixels.top()) *
                               fromDevice);
            return brush;
        }
    }
    QBrush brush(apply(cx, image));
    brush.setTransform(t);
    return brush;
}

Qt::PenCapStyle qtCap(CapStyle cap) {
    switch (cap) {
        case CapStyle::None:
            return Qt::FlatCap;
        case CapStyle::Square:
            return Qt::SquareCap;
        default:
            return Qt::RoundCap;
    }
}

namespace {

QPen styledPen(const LineStyle& style, double width, QBrush brush) {
    QPen pen(brush, width);
    pen.setCapStyle(qtCap(style.startCap));  // the end cap is drawn by strokeOutline()
    switch (style.join) {
        case JoinStyle::Bevel:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case JoinStyle::Miter:
            setCutMiterJoin(pen, style.miterLimit);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
    }
    return pen;
}

}  // namespace

QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images) {
    const QBrush brush =
        style.fill ? fillBrush(*style.fill, world, cx, images) : QBrush(apply(cx, style.color));
    return styledPen(style, lineWidth(style, world), brush);
}

QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images, const QPainter& painter, const QRectF& pathBounds) {
    if (!style.fill || !isGradient(style.fill->type)) {
        return linePen(style, world, cx, images);
    }
    const double width = lineWidth(style, world);
    // As far as a miter or a square cap can reach past the path.
    const double reach =
        width * (style.join == JoinStyle::Miter ? std::clamp(style.miterLimit, 1.0, 255.0) : 1.0) +
        1;
    const QBrush brush =
        fillBrush(*style.fill, world, cx, images,
                  paintArea(painter, pathBounds.adjusted(-reach, -reach, reach, reach)));
    return styledPen(style, width, brush);
}

// Width follows the matrix's mean scale unless scaling is switched off.
double lineWidth(const LineStyle& style, const QTransform& world) {
    const double sx = std::hypot(world.m11(), world.m12());
    const double sy = std::hypot(world.m21(), world.m22());
    double scale = std::sqrt((sx * sx + sy * sy) / 2.0);
    if (style.noHScale && style.noVScale) {
        scale = 1.0 / 20.0;
    } else if (style.noHScale) {
        scale = sy;
    } else if (style.noVScale) {
        scale = sx;
    }
    const double width = std::max(1.0, style.width * scale);
    return style.pixelHinting ? std::round(width) : width;
}

}  // namespace pencora::swf::render
