#include "platform/flash/render/color_transform.h"

#include <algorithm>

namespace pencora::swf::render {

namespace {

int clampChannel(int v) { return std::clamp(v, 0, 255); }

int16_t clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

}  // namespace

bool isIdentity(const ColorTransform& cx) { return cx == ColorTransform{}; }

ColorTransform combine(const ColorTransform& outer, const ColorTransform& inner) {
    // outer(inner(c)) = c * (im*om) + (ia*om + oa)
    ColorTransform r;
    auto mult = [](int o, int i) { return clamp16(o * i / 256); };
    auto add = [](int om, int ia, int oa) { return clamp16(ia * om / 256 + oa); };
    r.rMult = mult(outer.rMult, inner.rMult);
    r.gMult = mult(outer.gMult, inner.gMult);
    r.bMult = mult(outer.bMult, inner.bMult);
    r.aMult = mult(outer.aMult, inner.aMult);
    r.rAdd = add(outer.rMult, inner.rAdd, outer.rAdd);
    r.gAdd = add(outer.gMult, inner.gAdd, outer.gAdd);
    r.bAdd = add(outer.bMult, inner.bAdd, outer.bAdd);
    r.aAdd = add(outer.aMult, inner.aAdd, outer.aAdd);
    return r;
}

QColor apply(const ColorTransform& cx, const Rgba& c) {
    return QColor(clampChannel(c.r * cx.rMult / 256 + cx.rAdd),
                  clampChannel(c.g * cx.gMult / 256 + cx.gAdd),
                  clampChannel(c.b * cx.bMult / 256 + cx.bAdd),
                  clampChannel(c.a * cx.aMult / 256 + cx.aAdd));
}

QImage apply(const ColorTransform& cx, const QImage& image) {
    if (isIdentity(cx)) {
        return image;
    }
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QRgb p = row[x];
            QColor c = apply(cx, Rgba{static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)),
                                      static_cast<uint8_t>(qBlue(p)),
                                      static_cast<uint8_t>(qAlpha(p))});
            row[x] = c.rgba();
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace pencora::swf::render
