#include "platform/flash/render/paint_styles.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "platform/flash/render/color_transform.h"

namespace pencora::swf::render {

namespace {

double toLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c) {
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

QColor mixLinear(const QColor& a, const QColor& b, double t) {
    auto mix = [t](double x, double y) {
        return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
    };
    return QColor::fromRgbF(static_cast<float>(mix(a.redF(), b.redF())),
                            static_cast<float>(mix(a.greenF(), b.greenF())),
                            static_cast<float>(mix(a.blueF(), b.blueF())),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QGradientStops gradientStops(const Gradient& g, const ColorTransform& cx) {
    QGradientStops stops;
    // Ratios should rise; a ratio below its predecessor is raised to it, and equal ratios
    // give a hard step, the later colour winning past the step.
    double last = 0.0;
    for (size_t i = 0; i < g.stops.size(); ++i) {
        double pos = std::max(last, g.stops[i].ratio / 255.0);
        QColor c = apply(cx, g.stops[i].color);
        if (!stops.isEmpty() && pos == stops.back().first) {
            pos = std::min(1.0, pos + 1e-6);
        }
        if (g.interpolation == InterpolationMode::Linear && !stops.isEmpty()) {
            const auto prev = stops.back();
            for (int k = 1; k < 8; ++k) {
                double t = k / 8.0;
                stops.append({prev.first + (pos - prev.first) * t, mixLinear(prev.second, c, t)});
            }
        }
        stops.append({pos, c});
        last = pos;
    }
    if (stops.isEmpty()) {
        stops.append({0.0, QColor(0, 0, 0, 0)});
    }
    return stops;
}

QGradient::Spread spread(SpreadMode m) {
    switch (m) {
        case SpreadMode::Reflect: return QGradient::ReflectSpread;
        case SpreadMode::Repeat: return QGradient::RepeatSpread;
        default: return QGradient::PadSpread;
    }
}

}  // namespace

QTransform toQTransform(const Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

bool wantsSmoothing(const FillStyle& style) {
    return style.type == FillType::RepeatingBitmap || style.type == FillType::ClippedBitmap;
}

QBrush fillBrush(const FillStyle& style, const QTransform& world, const ColorTransform& cx,
                 const ImageLookup& images) {
    if (style.type == FillType::Solid) {
        return QBrush(apply(cx, style.color));
    }
    if (isGradient(style.type)) {
        QBrush brush;
        if (style.type == FillType::LinearGradient) {
            QLinearGradient g(-16384.0, 0.0, 16384.0, 0.0);
            g.setStops(gradientStops(style.gradient, cx));
            g.setSpread(spread(style.gradient.spread));
            brush = QBrush(g);
        } else {
            const double focal =
                style.type == FillType::FocalGradient ? std::clamp(style.gradient.focalPoint, -0.98, 0.98) : 0.0;
            QRadialGradient g(QPointF(0, 0), 16384.0, QPointF(focal * 16384.0, 0));
            g.setStops(gradientStops(style.gradient, cx));
            g.setSpread(spread(style.gradient.spread));
            brush = QBrush(g);
        }
        brush.setTransform(toQTransform(style.matrix) * world);
        return brush;
    }
    QImage image = images ? images(style.bitmapId) : QImage();
    if (image.isNull()) {
        return QBrush(Qt::NoBrush);
    }
    QBrush brush(apply(cx, image));
    brush.setTransform(toQTransform(style.matrix) * world);
    return brush;
}

QPen linePen(const LineStyle& style, const QTransform& world, const ColorTransform& cx,
             const ImageLookup& images) {
    // Width follows the matrix's mean scale unless scaling is switched off; no line is
    // thinner than one device pixel (width 0 is a hairline).
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
    QBrush brush = style.fill ? fillBrush(*style.fill, world, cx, images)
                              : QBrush(apply(cx, style.color));
    QPen pen(brush, width);
    switch (style.startCap) {
        case CapStyle::None: pen.setCapStyle(Qt::FlatCap); break;
        case CapStyle::Square: pen.setCapStyle(Qt::SquareCap); break;
        default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (style.join) {
        case JoinStyle::Bevel: pen.setJoinStyle(Qt::BevelJoin); break;
        case JoinStyle::Miter:
            pen.setJoinStyle(Qt::MiterJoin);
            pen.setMiterLimit(std::max(1.0, style.miterLimit));
            break;
        default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return pen;
}

}  // namespace pencora::swf::render
