#include "platform/flash/render/bitmap_fill.h"

#include <algorithm>
#include <cmath>

namespace pencora::swf::render {

namespace {

// A texel coordinate held inside 0..size-1; far positions and NaN go to an edge.
int heldTexel(double t, int size) {
    if (!(t >= 0)) {
        return 0;
    }
    return t >= size - 1 ? size - 1 : static_cast<int>(t);
}

// Two premultiplied pixels blended, `f` of the second in 256ths.
QRgb blend(QRgb a, QRgb b, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = (((a & 0x00ff00ffu) * g + (b & 0x00ff00ffu) * f) >> 8) & 0x00ff00ffu;
    const uint32_t ag =
        ((((a >> 8) & 0x00ff00ffu) * g + ((b >> 8) & 0x00ff00ffu) * f)) & 0xff00ff00u;
    return rb | ag;
}

}  // namespace

bool staysNearBitmap(const QSize& image, const QTransform& texelToDevice, const QRect& area) {
    bool invertible = false;
    const QTransform toTexel = texelToDevice.inverted(&invertible);
    if (!invertible) {
        return true;  // nothing to stretch: the texture brush shows nothing either
    }
    const QRectF reach = toTexel.mapRect(QRectF(area));
    return reach.left() >= -1 && reach.top() >= -1 && reach.right() <= image.width() + 1 &&
           reach.bottom() <= image.height() + 1;
}

QImage clampedBitmapPixels(const QImage& source, const QTransform& texelToDevice, const QRect& area,
                           bool smooth) {
    bool invertible = false;
    const QTransform toTexel = texelToDevice.inverted(&invertible);
    if (area.isEmpty() || source.isNull() || !invertible) {
        return {};
    }
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    auto texel = [&image](int x, int y) {
        return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
    };
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) {
        return {};
    }
    const double stepU = toTexel.m11();
    const double stepV = toTexel.m12();
    for (int row = 0; row < area.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        const QPointF start = toTexel.map(QPointF(area.left() + 0.5, area.top() + row + 0.5));
        double u = start.x();
        double v = start.y();
        for (int col = 0; col < area.width(); ++col, u += stepU, v += stepV) {
            if (!smooth) {
                line[col] = texel(heldTexel(std::floor(u), w), heldTexel(std::floor(v), h));
                continue;
            }
            // Texel centres sit at half positions: blend the four around the point.
            const double su = std::clamp(u - 0.5, 0.0, double(w - 1));
            const double sv = std::clamp(v - 0.5, 0.0, double(h - 1));
            const int x0 = heldTexel(su, w);
            const int y0 = heldTexel(sv, h);
            const int x1 = std::min(x0 + 1, w - 1);
            const int y1 = std::min(y0 + 1, h - 1);
            const auto fx = static_cast<uint32_t>((su - x0) * 256);
            const auto fy = static_cast<uint32_t>((sv - y0) * 256);
            line[col] = blend(blend(texel(x0, y0), texel(x1, y0), fx),
                              blend(texel(x0, y1), texel(x1, y1), fx), fy);
        }
    }
    return out;
}

}  // namespace pencora::swf::render
