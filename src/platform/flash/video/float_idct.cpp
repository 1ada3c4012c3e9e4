#include "platform/flash/video/float_idct.h"

#include <cmath>
#include <numbers>

namespace pencora::flash::video {

namespace {

using Table = std::array<std::array<float, 8>, 8>;

// cosine[x][u]: the weight of frequency u at sample x, each entry computed in single
// precision. Entries for x and 7 - x are not exact mirrors of each other, and pictures
// depend on that: a block and its upside-down twin may round a sample differently.
Table cosines() {
    Table t{};
    const float pi = std::numbers::pi_v<float>;
    for (int x = 0; x < 8; ++x) {
        for (int u = 0; u < 8; ++u) {
            const float scale = u == 0 ? std::sqrt(0.5f) : 1.0f;
            t[x][u] = scale / 2.0f * std::cos(float((2 * x + 1) * u) * pi / 16.0f);
        }
    }
    return t;
}

}  // namespace

std::array<float, 64> inverseTransform(const std::array<int16_t, 64>& coefficients) {
    static const Table cosine = cosines();
    std::array<float, 64> rows{};
    for (int v = 0; v < 8; ++v) {
        for (int x = 0; x < 8; ++x) {
            float sum = 0.0f;
            for (int u = 0; u < 8; ++u) {
                sum += float(coefficients[size_t(v * 8 + u)]) * cosine[x][u];
            }
            rows[size_t(v * 8 + x)] = sum;
        }
    }
    std::array<float, 64> out{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            float sum = 0.0f;
            for (int v = 0; v < 8; ++v) {
                sum += rows[size_t(v * 8 + x)] * cosine[y][v];
            }
            out[size_t(y * 8 + x)] = sum;
        }
    }
    return out;
}

}  // namespace pencora::flash::video
