#pragma once

#include <cstdint>
#include <span>

namespace pencora::flash::video {

// One 4:2:0 picture in planes, as a decoder leaves it; alpha is empty when the picture is opaque.
struct YuvPlanes {
    int width = 0;
    int height = 0;
    std::span<const uint8_t> y, u, v, a;
    int yStride = 0, uStride = 0, vStride = 0, aStride = 0;
};

// BT.601 limited-range colours to premultiplied ARGB32 into `out` (width * height pixels).
// With an alpha plane the colour planes are taken as premultiplied already.
void yuvToArgb(const YuvPlanes& planes, std::span<uint32_t> out);

// One colour, for tests and single samples: opaque 0xFFRRGGBB.
uint32_t yuvPixel(int y, int u, int v);

}  // namespace pencora::flash::video
