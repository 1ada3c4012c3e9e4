// Device contexts: where a control draws. A context is a view of a 32-bit top-down pixel
// buffer (four bytes per pixel in memory order blue, green, red, alpha; rows `stride` bytes
// apart) with a window origin: logical point (origin.x, origin.y) lands on pixel (0, 0), so a
// host can shift the origin to make a control's drawing at a dirty rectangle land at the top
// of a scratch buffer. A context does not own its pixels; DibSection does.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ole/types.h"

namespace pencora::ole {

struct DeviceContext {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    POINT windowOrigin;

    std::uint8_t* pixel(int x, int y) const { return bits + y * stride + x * 4; }
};
using HDC = DeviceContext*;

// Sets the window origin, giving the previous one in *previous when asked.
inline BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
    if (!dc) {
        return FALSE;
    }
    if (previous) {
        *previous = dc->windowOrigin;
    }
    dc->windowOrigin = POINT{x, y};
    return TRUE;
}

inline BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous) {
    if (!dc) {
        return FALSE;
    }
    return SetWindowOrgEx(dc, dc->windowOrigin.x + dx, dc->windowOrigin.y + dy, previous);
}

// A 32-bit top-down bitmap with its own context, pixels zero (transparent black) when made.
class DibSection {
public:
    DibSection() = default;
    DibSection(int width, int height) { resize(width, height); }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // Negative sizes are clamped to 0; the pixels are cleared.
    void resize(int width, int height) {
        width = width < 0 ? 0 : width;
        height = height < 0 ? 0 : height;
        pixels_.assign(static_cast<std::size_t>(width) * height * 4, 0);
        dc_ = DeviceContext{pixels_.data(), width, height, width * 4, POINT{}};
    }
    // Every pixel := colour, 0xAARRGGBB.
    void fill(std::uint32_t argb) {
        for (std::size_t i = 0; i + 3 < pixels_.size(); i += 4) {
            pixels_[i] = static_cast<std::uint8_t>(argb);
            pixels_[i + 1] = static_cast<std::uint8_t>(argb >> 8);
            pixels_[i + 2] = static_cast<std::uint8_t>(argb >> 16);
            pixels_[i + 3] = static_cast<std::uint8_t>(argb >> 24);
        }
    }
    // 0xAARRGGBB of one pixel; 0 outside.
    std::uint32_t pixelAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= dc_.width || y >= dc_.height) {
            return 0;
        }
        const std::uint8_t* p = pixels_.data() + (static_cast<std::size_t>(y) * dc_.width + x) * 4;
        return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    }

    HDC dc() { return &dc_; }
    int width() const { return dc_.width; }
    int height() const { return dc_.height; }
    std::uint8_t* bits() { return pixels_.data(); }
    const std::uint8_t* bits() const { return pixels_.data(); }

private:
    std::vector<std::uint8_t> pixels_;
    DeviceContext dc_;
};

}  // namespace pencora::ole
