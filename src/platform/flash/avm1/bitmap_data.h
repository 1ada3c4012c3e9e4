// The pixels of a flash.display.BitmapData: premultiplied ARGB, as the original keeps them, so
// a colour read back from a translucent pixel has lost what premultiplying rounds away
// (0xAABBCCDD reads back as 0xAABBCCDC). Opaque bitmaps force alpha to 0xFF.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

// Straight ARGB -> premultiplied, and back.
uint32_t premultiply(uint32_t argb);
uint32_t unpremultiply(uint32_t premultiplied);

class BitmapDataObject : public Object {
  public:
    explicit BitmapDataObject(Object* proto) : Object(proto, ObjectKind::Host) {}

    // Largest sizes a movie may ask for: before SWF 10 each side up to 2880; from SWF 10 each
    // side below 8192 and fewer than 2^24 pixels.
    static bool sizeAllowed(int64_t width, int64_t height, int swfVersion);

    void create(int width, int height, bool transparent, uint32_t fillArgb);
    void dispose();
    bool disposed() const { return pixels_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    bool transparent() const { return transparent_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Straight ARGB in and out; reading outside the bitmap gives 0, writing there does nothing.
    uint32_t pixel32(int x, int y) const;
    void setPixel32(int x, int y, uint32_t argb);
    // Keeps the pixel's alpha, replaces its colour.
    void setPixel(int x, int y, uint32_t rgb);
    // The rectangle clipped to the bitmap.
    void fillRect(int x, int y, int w, int h, uint32_t argb);
    // Replaces the 4-connected area of pixels equal to the one at (x, y); false when nothing
    // changed (outside the bitmap, or already that colour).
    bool floodFill(int x, int y, uint32_t argb);
    // Moves the content by (dx, dy); what is uncovered keeps its old pixels.
    void scroll(int dx, int dy);
    // Each channel of the straight colour becomes c * multiplier + offset, truncated and
    // clamped to 0..255; `t` is red, green, blue, alpha multipliers then the four offsets.
    void colorTransform(int x, int y, int w, int h, const double (&t)[8]);

    uint32_t raw(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    void setRaw(int x, int y, uint32_t p) { pixels_[size_t(y) * size_t(width_) + size_t(x)] = p; }
    size_t footprint() const override {
        return Object::footprint() + pixels_.size() * sizeof(uint32_t);
    }

  private:
    uint32_t stored(uint32_t argb) const;
    // Calls `visit(x, y)` for each pixel of the rectangle that lies in the bitmap.
    template <class Visit>
    void eachPixelIn(int x, int y, int w, int h, Visit visit) const {
        const int x0 = std::max(0, x);
        const int y0 = std::max(0, y);
        const int x1 = int(std::min<int64_t>(width_, int64_t(x) + std::max(0, w)));
        const int y1 = int(std::min<int64_t>(height_, int64_t(y) + std::max(0, h)));
        for (int yy = y0; yy < y1; ++yy) {
            for (int xx = x0; xx < x1; ++xx) {
                visit(xx, yy);
            }
        }
    }

    int width_ = 0;
    int height_ = 0;
    bool transparent_ = true;
    std::vector<uint32_t> pixels_;  // premultiplied ARGB, row by row
};

}  // namespace pencora::avm1
