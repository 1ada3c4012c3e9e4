#include "platform/flash/swf/decompress.h"
#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf::detail {

JpegBitmap readDefineBitsJpeg(ByteReader& r, uint8_t version) {
    JpegBitmap b;
    b.version = version;
    b.id = r.u16();
    if (version <= 2) {
        auto data = r.rest();
        b.data.assign(data.begin(), data.end());
        return b;
    }
    uint32_t alphaOffset = r.u32();
    if (version >= 4) {
        b.deblock = r.u16() / 256.0;
    }
    if (alphaOffset > r.remaining()) {
        r.fail("alpha offset " + std::to_string(alphaOffset) + " beyond the tag");
    }
    auto data = r.bytes(alphaOffset);
    b.data.assign(data.begin(), data.end());
    auto alpha = r.rest();
    b.alpha.assign(alpha.begin(), alpha.end());
    return b;
}

namespace {

uint32_t premultiply(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    auto pm = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
    return (static_cast<uint32_t>(a) << 24) | (pm(r) << 16) | (pm(g) << 8) | pm(b);
}

// Premultiplied data can hold a channel above alpha; clamp it so later blending stays sane.
uint32_t clampPremultiplied(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    auto c = [a](uint8_t v) { return static_cast<uint32_t>(v > a ? a : v); };
    return (static_cast<uint32_t>(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

}  // namespace

LosslessBitmap readDefineBitsLossless(ByteReader& r, uint8_t version, size_t maxPixels) {
    LosslessBitmap bmp;
    bmp.version = version;
    bmp.id = r.u16();
    uint8_t format = r.u8();
    bmp.width = r.u16();
    bmp.height = r.u16();
    size_t pixels = static_cast<size_t>(bmp.width) * bmp.height;
    if (pixels > maxPixels) {
        r.fail("bitmap of " + std::to_string(pixels) + " pixels is too large");
    }
    const bool alpha = version >= 2;
    size_t paletteSize = 0;
    size_t rowBytes = 0;
    switch (format) {
        case 3:
            paletteSize = static_cast<size_t>(r.u8()) + 1;
            rowBytes = (static_cast<size_t>(bmp.width) + 3) & ~size_t{3};
            break;
        case 4:
            if (alpha) {
                r.fail("15-bit format without alpha in DefineBitsLossless2");
            }
            rowBytes = (static_cast<size_t>(bmp.width) * 2 + 3) & ~size_t{3};
            break;
        case 5:
            rowBytes = static_cast<size_t>(bmp.width) * 4;
            break;
        default:
            r.fail("unknown bitmap format " + std::to_string(format));
    }
    const size_t paletteBytes = paletteSize * (alpha ? 4 : 3);
    const size_t expected = paletteBytes + rowBytes * bmp.height;
    auto inflated = inflateCapped(r.rest(), expected);
    if (inflated.bytes.size() < expected) {
        r.fail("bitmap data holds " + std::to_string(inflated.bytes.size()) + " of " +
               std::to_string(expected) + " bytes");
    }
    const uint8_t* d = inflated.bytes.data();
    bmp.pixels.resize(pixels);

    std::vector<uint32_t> palette(paletteSize);
    for (size_t i = 0; i < paletteSize; ++i) {
        const uint8_t* p = d + i * (alpha ? 4 : 3);
        palette[i] = alpha ? premultiply(p[3], p[0], p[1], p[2]) : premultiply(255, p[0], p[1], p[2]);
    }
    const uint8_t* rows = d + paletteBytes;
    for (size_t y = 0; y < bmp.height; ++y) {
        const uint8_t* row = rows + y * rowBytes;
        uint32_t* out = bmp.pixels.data() + y * bmp.width;
        for (size_t x = 0; x < bmp.width; ++x) {
            if (format == 3) {
                uint8_t index = row[x];
                // An index past the palette reads as transparent black.
                out[x] = index < paletteSize ? palette[index] : 0;
            } else if (format == 4) {
                uint16_t v = static_cast<uint16_t>((row[2 * x] << 8) | row[2 * x + 1]);
                auto expand = [](unsigned c5) { return static_cast<uint8_t>((c5 << 3) | (c5 >> 2)); };
                out[x] = premultiply(255, expand((v >> 10) & 31), expand((v >> 5) & 31),
                                     expand(v & 31));
            } else {
                const uint8_t* p = row + 4 * x;
                // Version 1 stores a padding byte where version 2 stores premultiplied alpha.
                out[x] = alpha ? clampPremultiplied(p[0], p[1], p[2], p[3])
                               : premultiply(255, p[1], p[2], p[3]);
            }
        }
    }
    return bmp;
}

}  // namespace pencora::swf::detail
