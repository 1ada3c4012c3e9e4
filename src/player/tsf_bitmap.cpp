#include "player/tsf_bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pencora::player {

namespace {

void writePixel(std::uint8_t* p, TsfColor c) {
    p[0] = static_cast<std::uint8_t>(c);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    p[2] = static_cast<std::uint8_t>(c >> 16);
    p[3] = static_cast<std::uint8_t>(c >> 24);
}

// `src` over `dst`, both B, G, R, A bytes, `src` not premultiplied.
void blendPixel(std::uint8_t* dst, const std::uint8_t* src) {
    const unsigned a = src[3];
    for (int i = 0; i < 3; ++i) {
        dst[i] = static_cast<std::uint8_t>((src[i] * a + dst[i] * (255 - a) + 127) / 255);
    }
    dst[3] = static_cast<std::uint8_t>(a + (dst[3] * (255 - a) + 127) / 255);
}

}  // namespace

void TsfBitmap::SetSize(int width, int height) {
    width = std::abs(width);
    height = std::abs(height);
    if (width == 0 || height == 0 || (width == FWidth && height == FHeight)) {
        return;
    }
    FBits.assign(static_cast<std::size_t>(width) * height * 4, 0);
    FWidth = width;
    FHeight = height;
    FDC = ole::DeviceContext{FBits.data(), width, height, width * 4, FDC.windowOrigin};
}

void TsfBitmap::Clear(TsfColor color) {
    FillRect(ole::RECT{0, 0, FWidth, FHeight}, color);
}

void TsfBitmap::FillRect(ole::RECT r, TsfColor color) {
    r.left = std::max<ole::LONG>(r.left, 0);
    r.top = std::max<ole::LONG>(r.top, 0);
    r.right = std::min<ole::LONG>(r.right, FWidth);
    r.bottom = std::min<ole::LONG>(r.bottom, FHeight);
    std::uint8_t px[4];
    writePixel(px, color);
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = GetPixelPtr(r.left, y);
        for (int x = r.left; x < r.right; ++x, p += 4) {
            if (FAlphaBlend) {
                blendPixel(p, px);
            } else {
                std::memcpy(p, px, 4);
            }
        }
    }
}

void TsfBitmap::Draw(TsfBitmap& target, int x, int y) const {
    Draw(target, x, y, ole::RECT{0, 0, FWidth, FHeight});
}

void TsfBitmap::Draw(TsfBitmap& target, int x, int y, ole::RECT src) const {
    // Clip the source to this bitmap, then the destination to the target.
    if (src.left < 0) {
        x -= src.left;
        src.left = 0;
    }
    if (src.top < 0) {
        y -= src.top;
        src.top = 0;
    }
    src.right = std::min<ole::LONG>(src.right, FWidth);
    src.bottom = std::min<ole::LONG>(src.bottom, FHeight);
    if (x < 0) {
        src.left -= x;
        x = 0;
    }
    if (y < 0) {
        src.top -= y;
        y = 0;
    }
    const int w = std::min<int>(src.right - src.left, target.FWidth - x);
    const int h = std::min<int>(src.bottom - src.top, target.FHeight - y);
    if (w <= 0 || h <= 0) {
        return;
    }
    const TsfColor key = GetPixel(0, 0);
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* s =
            FBits.data() + (static_cast<std::size_t>(src.top + row) * FWidth + src.left) * 4;
        std::uint8_t* d = target.GetPixelPtr(x, y + row);
        if (!FAlphaBlend && !FTransparent) {
            std::memcpy(d, s, static_cast<std::size_t>(w) * 4);
            continue;
        }
        for (int col = 0; col < w; ++col, s += 4, d += 4) {
            if (FTransparent) {
                TsfColor c;
                std::memcpy(&c, s, 4);
                if ((c & 0xFFFFFF) == (key & 0xFFFFFF)) {
                    continue;
                }
            }
            if (FAlphaBlend) {
                blendPixel(d, s);
            } else {
                std::memcpy(d, s, 4);
            }
        }
    }
}

void TsfBitmap::Assign(const TsfBitmap& source) {
    if (&source == this) {
        return;
    }
    FBits = source.FBits;
    FWidth = source.FWidth;
    FHeight = source.FHeight;
    FDC = ole::DeviceContext{FBits.data(), FWidth, FHeight, FWidth * 4, ole::POINT{}};
    FName = source.FName;
    FAlphaBlend = source.FAlphaBlend;
    FTransparent = source.FTransparent;
}

TsfColor TsfBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) {
        return 0;
    }
    const std::uint8_t* p = FBits.data() + (static_cast<std::size_t>(y) * FWidth + x) * 4;
    return TsfColor{p[0]} | (TsfColor{p[1]} << 8) | (TsfColor{p[2]} << 16) | (TsfColor{p[3]} << 24);
}

void TsfBitmap::SetPixel(int x, int y, TsfColor color) {
    if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) {
        writePixel(GetPixelPtr(x, y), color);
    }
}

QImage TsfBitmap::image() {
    if (empty()) {
        return {};
    }
    return QImage(FBits.data(), FWidth, FHeight, FWidth * 4, QImage::Format_ARGB32_Premultiplied);
}

QImage TsfBitmap::constImage() const {
    if (empty()) {
        return {};
    }
    return QImage(FBits.data(), FWidth, FHeight, FWidth * 4, QImage::Format_ARGB32_Premultiplied);
}

}  // namespace pencora::player
