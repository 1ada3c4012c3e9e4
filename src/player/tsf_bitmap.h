// TsfBitmap: a 32-bit top-down bitmap (bytes blue, green, red, alpha per pixel) with its own
// device context, the drawing surface the player composes movie frames on. Colours are
// 0xAARRGGBB (TsfColor).
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/ole/device_context.h"

namespace pencora::player {

using TsfColor = std::uint32_t;

class TsfBitmap {
  public:
    TsfBitmap() = default;
    TsfBitmap(const TsfBitmap&) = delete;
    TsfBitmap& operator=(const TsfBitmap&) = delete;

    // Negative sizes count as positive; a zero size or the current size changes nothing;
    // otherwise the pixels are made anew (zero).
    void SetSize(int width, int height);
    void Clear(TsfColor color);
    // `r` clipped to the bitmap; blended over the pixels when FAlphaBlend is set.
    void FillRect(ole::RECT r, TsfColor color);
    // Copies `src` of this bitmap (the whole bitmap by default) to x, y of `target`, clipped to
    // both: blended by alpha with FAlphaBlend, colour-keyed (the top-left pixel's colour is
    // left out) with FTransparent, a plain copy otherwise.
    void Draw(TsfBitmap& target, int x, int y) const;
    void Draw(TsfBitmap& target, int x, int y, ole::RECT src) const;
    void Assign(const TsfBitmap& source);

    std::uint8_t* GetScanLine(int y) {
        return FBits.data() + static_cast<std::size_t>(y) * stride();
    }
    std::uint8_t* GetPixelPtr(int x, int y) { return GetScanLine(y) + x * 4; }
    // 0 outside the bitmap.
    TsfColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TsfColor color);

    int width() const { return FWidth; }
    int height() const { return FHeight; }
    bool empty() const { return FWidth == 0 || FHeight == 0; }
    int stride() const { return FWidth * 4; }
    std::uint8_t* bits() { return FBits.data(); }
    const std::uint8_t* bits() const { return FBits.data(); }
    // The device context on the pixels (null while empty); its window origin is kept.
    ole::HDC dc() { return empty() ? nullptr : &FDC; }
    // A view of the pixels (no copy) for painting with Qt; valid until the next SetSize.
    // Painting on the view paints on the bitmap.
    QImage image();
    // A read-only view; painting on it would detach a copy.
    QImage constImage() const;

    QString FName;
    bool FAlphaBlend = false;
    bool FTransparent = false;

  private:
    std::vector<std::uint8_t> FBits;
    int FWidth = 0;
    int FHeight = 0;
    ole::DeviceContext FDC;
};

}  // namespace pencora::player
