#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace pencora::flash::video {

// The inverse transform of an 8 x 8 block of coefficients (rows of horizontal frequencies)
// into samples, in single precision: a row pass, then a column pass, each a plain sum over a
// table of cosines that are themselves worked out in single precision. Results are not
// rounded; `roundSample` rounds one half up.
std::array<float, 64> inverseTransform(const std::array<int16_t, 64>& coefficients);

inline int roundSample(float v) {
    return int(std::floor(v + 0.5f));
}

}  // namespace pencora::flash::video
