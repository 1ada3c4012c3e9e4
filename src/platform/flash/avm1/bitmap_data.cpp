#include "platform/flash/avm1/bitmap_data.h"

#include <algorithm>

namespace pencora::avm1 {

namespace {

uint32_t channel(uint32_t argb, int shift) {
    return (argb >> shift) & 0xFF;
}

}  // namespace

// Rounds to nearest on the way in and halves down on the way out: 0xAABBCCDD is stored so that
// it reads back as 0xAABBCCDC, 0x12345678 as 0x12395571 (bitmap_data_thorough tests).
uint32_t premultiply(uint32_t argb) {
    const uint32_t a = channel(argb, 24);
    if (a == 0xFF) {
        return argb;
    }
    if (a == 0) {
        return 0;
    }
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul(channel(argb, 16)) << 16) | (mul(channel(argb, 8)) << 8) |
           mul(channel(argb, 0));
}

uint32_t unpremultiply(uint32_t p) {
    const uint32_t a = channel(p, 24);
    if (a == 0xFF || a == 0) {
        return a == 0 ? 0 : p;
    }
    auto div = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + (a - 1) / 2) / a); };
    return (a << 24) | (div(channel(p, 16)) << 16) | (div(channel(p, 8)) << 8) | div(channel(p, 0));
}

bool BitmapDataObject::sizeAllowed(int64_t width, int64_t height, int swfVersion) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    if (swfVersion < 10) {
        return width <= 2880 && height <= 2880;
    }
    return width < 8192 && height < 8192 && width * height < (int64_t(1) << 24);
}

uint32_t BitmapDataObject::stored(uint32_t argb) const {
    return transparent_ ? premultiply(argb) : (argb | 0xFF000000u);
}

void BitmapDataObject::create(int width, int height, bool transparent, uint32_t fillArgb) {
    width_ = width;
    height_ = height;
    transparent_ = transparent;
    pixels_.assign(size_t(width) * size_t(height), stored(fillArgb));
}

void BitmapDataObject::dispose() {
    pixels_.clear();
    pixels_.shrink_to_fit();
    width_ = height_ = 0;
}

uint32_t BitmapDataObject::pixel32(int x, int y) const {
    return disposed() || !contains(x, y) ? 0 : unpremultiply(raw(x, y));
}

void BitmapDataObject::setPixel32(int x, int y, uint32_t argb) {
    if (!disposed() && contains(x, y)) {
        setRaw(x, y, stored(argb));
    }
}

void BitmapDataObject::setPixel(int x, int y, uint32_t rgb) {
    if (!disposed() && contains(x, y)) {
        const uint32_t alpha = pixel32(x, y) & 0xFF000000u;
        setRaw(x, y, stored(alpha | (rgb & 0xFFFFFF)));
    }
}

void BitmapDataObject::fillRect(int x, int y, int w, int h, uint32_t argb) {
    if (disposed()) {
        return;
    }
    const uint32_t p = stored(argb);
    eachPixelIn(x, y, w, h, [&](int xx, int yy) { setRaw(xx, yy, p); });
}

bool BitmapDataObject::floodFill(int x, int y, uint32_t argb) {
    if (disposed() || !contains(x, y)) {
        return false;
    }
    const uint32_t from = raw(x, y);
    const uint32_t to = stored(argb);
    if (from == to) {
        return false;
    }
    std::vector<std::pair<int, int>> todo{{x, y}};
    while (!todo.empty()) {
        auto [px, py] = todo.back();
        todo.pop_back();
        if (!contains(px, py) || raw(px, py) != from) {
            continue;
        }
        setRaw(px, py, to);
        todo.push_back({px + 1, py});
        todo.push_back({px - 1, py});
        todo.push_back({px, py + 1});
        todo.push_back({px, py - 1});
    }
    return true;
}

void BitmapDataObject::colorTransform(int x, int y, int w, int h, const double (&t)[8]) {
    if (disposed()) {
        return;
    }
    auto apply = [](uint32_t c, double mult, double offset) {
        double v = double(c) * mult + offset;
        if (!(v > 0)) {
            return uint32_t(0);
        }
        return v >= 255 ? uint32_t(255) : uint32_t(v);
    };
    eachPixelIn(x, y, w, h, [&](int xx, int yy) {
        const uint32_t p = unpremultiply(raw(xx, yy));
        const uint32_t r = apply(channel(p, 16), t[0], t[4]);
        const uint32_t g = apply(channel(p, 8), t[1], t[5]);
        const uint32_t b = apply(channel(p, 0), t[2], t[6]);
        const uint32_t a = apply(channel(p, 24), t[3], t[7]);
        setRaw(xx, yy, stored((a << 24) | (r << 16) | (g << 8) | b));
    });
}

void BitmapDataObject::scroll(int dx, int dy) {
    if (disposed()) {
        return;
    }
    const std::vector<uint32_t> old = pixels_;
    for (int y = 0; y < height_; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= height_) {
            continue;
        }
        for (int x = 0; x < width_; ++x) {
            const int sx = x - dx;
            if (sx >= 0 && sx < width_) {
                setRaw(x, y, old[size_t(sy) * size_t(width_) + size_t(sx)]);
            }
        }
    }
}

}  // namespace pencora::avm1
