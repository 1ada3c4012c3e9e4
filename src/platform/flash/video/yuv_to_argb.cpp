#include "platform/flash/video/yuv_to_argb.h"

#include <algorithm>

namespace pencora::flash::video {

namespace {

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

// Colour planes that come with an alpha plane are stored premultiplied already; a colour
// brighter than its alpha (coding noise) is held to it.
uint32_t withAlpha(uint32_t rgb, uint32_t alpha) {
    uint32_t r = std::min((rgb >> 16) & 0xff, alpha);
    uint32_t g = std::min((rgb >> 8) & 0xff, alpha);
    uint32_t b = std::min(rgb & 0xff, alpha);
    return (alpha << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

// BT.601 limited range in 16-bit fixed point: luma scaled by 255/219, chroma by 255/224.
uint32_t yuvPixel(int y, int u, int v) {
    constexpr int half = 1 << 15;
    int c = 76309 * (y - 16) + half;
    int d = u - 128;
    int e = v - 128;
    int r = clampByte((c + 104597 * e) >> 16);
    int g = clampByte((c - 25675 * d - 53279 * e) >> 16);
    int b = clampByte((c + 132201 * d) >> 16);
    return 0xff000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

void yuvToArgb(const YuvPlanes& p, std::span<uint32_t> out) {
    for (int row = 0; row < p.height; ++row) {
        const uint8_t* y = p.y.data() + size_t(row) * p.yStride;
        const uint8_t* u = p.u.data() + size_t(row / 2) * p.uStride;
        const uint8_t* v = p.v.data() + size_t(row / 2) * p.vStride;
        const uint8_t* a = p.a.empty() ? nullptr : p.a.data() + size_t(row) * p.aStride;
        uint32_t* dst = out.data() + size_t(row) * p.width;
        for (int col = 0; col < p.width; ++col) {
            uint32_t rgb = yuvPixel(y[col], u[col / 2], v[col / 2]) & 0xffffffu;
            dst[col] = withAlpha(rgb, a ? a[col] : 255u);
        }
    }
}

}  // namespace pencora::flash::video
