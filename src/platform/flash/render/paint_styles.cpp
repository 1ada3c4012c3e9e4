#include "platform/flash/render/paint_styles.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <array>
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

QColor mix(const QColor& a, const QColor& b, double t, bool linear) {
    auto channel = [t, linear](double x, double y) {
        if (!linear) {
            return x + (y - x) * t;
        }
        return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
    };
    return QColor::fromRgbF(static_cast<float>(channel(a.redF(), b.redF())),
                            static_cast<float>(channel(a.greenF(), b.greenF())),
                            static_cast<float>(channel(a.blueF(), b.blueF())),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

}  // namespace

// The player turns a gradient into a 256-entry colour table, segment by segment from the
// first stop: a segment fills only the entries after those already filled (so a ratio
// lower than its predecessor takes nothing back), two stops at one ratio give a step to
// the later colour, and entries before the first stop or after the last one filled keep
// the first and the last stop's colours. gradient_nonsequential_ratios and
// gradient_issue_9892 in the visual corpus show these rules.
std::array<QColor, 256> gradientTable(const Gradient& g, const ColorTransform& cx) {
    std::array<QColor, 256> table;
    if (g.stops.empty()) {
        table.fill(QColor(0, 0, 0, 0));
        return table;
    }
    std::vector<QColor> colors;
    for (const auto& stop : g.stops) {
        colors.push_back(apply(cx, stop.color));
    }
    const bool linear = g.interpolation == InterpolationMode::Linear;
    const int first = g.stops.front().ratio;
    for (int i = 0; i < first; ++i) {
        table[i] = colors.front();
    }
    int filled = first - 1;
    for (size_t k = 0; k + 1 < g.stops.size(); ++k) {
        const int r0 = g.stops[k].ratio;
        const int r1 = g.stops[k + 1].ratio;
        for (int i = std::max(filled + 1, r0); i <= r1; ++i) {
            const double t = r1 == r0 ? 1.0 : static_cast<double>(i - r0) / (r1 - r0);
            table[i] = mix(colors[k], colors[k + 1], t, linear);
        }
        filled = std::max(filled, r1);
    }
    for (int i = std::max(filled + 1, 0); i < 256; ++i) {
        table[i] = colors.back();
    }
    return table;
}

namespace {

QGradientStops gradientStops(const Gradient& g, const ColorTransform& cx) {
    const auto table = gradientTable(g, cx);
    QGradientStops stops;
    stops.reserve(256);
    for (int i = 0; i < 256; ++i) {
        stops.append({i / 255.0, table[i]});
    }
    return stops;
}

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
    const bool clamped =
        style.type == FillType::ClippedBitmap || style.type == FillType::ClippedBitmapHard;
    QImage image = images ? images(style.bitmapId, clamped) : QImage();
    if (image.isNull()) {
        return QBrush(Qt::NoBrush);
    }
    QBrush brush(apply(cx, image));
    QTransform t = toQTransform(style.matrix) * world;
    if (clamped) {
        t = QTransform::fromTranslate(-1, -1) * t;
    }
    brush.setTransform(t);
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
    QBrush brush =
        style.fill ? fillBrush(*style.fill, world, cx, images) : QBrush(apply(cx, style.color));
    QPen pen(brush, width);
    switch (style.startCap) {
        case CapStyle::None:
            pen.setCapStyle(Qt::FlatCap);
            break;
        case CapStyle::Square:
            pen.setCapStyle(Qt::SquareCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
            break;
    }
    switch (style.join) {
        case JoinStyle::Bevel:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case JoinStyle::Miter:
            pen.setJoinStyle(Qt::MiterJoin);
            pen.setMiterLimit(std::max(1.0, style.miterLimit));
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
    }
    return pen;
}

}  // namespace pencora::swf::render
