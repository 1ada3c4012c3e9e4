// Plain value types shared by every movie record: colours, rectangles, matrices and colour
// transforms. Lengths are in twips (1/20 pixel) as stored in the file.
#pragma once

#include <cstdint>

namespace pencora::swf {

struct Rgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Rect {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty (the order QTransform takes: m11=a, m12=b, m21=c,
// m22=d). a and d are the stored scales, b and c the two skew terms; translation in twips.
struct Matrix {
    double a = 1.0;
    double b = 0.0;
    double c = 0.0;
    double d = 1.0;
    int32_t tx = 0;
    int32_t ty = 0;
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// channel' = clamp(channel * mult / 256 + add). Multipliers are 8.8 fixed point (256 = 1.0);
// a transform read without alpha keeps alpha at 256/0.
struct ColorTransform {
    int16_t rMult = 256;
    int16_t gMult = 256;
    int16_t bMult = 256;
    int16_t aMult = 256;
    int16_t rAdd = 0;
    int16_t gAdd = 0;
    int16_t bAdd = 0;
    int16_t aAdd = 0;
    friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

}  // namespace pencora::swf
