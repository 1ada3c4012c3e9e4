#include "platform/flash/video/h263_picture.h"

namespace pencora::flash::video::h263 {

namespace {

// Sizes 2 to 6 of the three-bit size code; 0 and 1 are followed by the size itself.
constexpr int kStandardSizes[][2] = {{352, 288}, {176, 144}, {128, 96}, {320, 240}, {160, 120}};

}  // namespace

std::optional<PictureHeader> readPictureHeader(BitReader& bits) {
    if (bits.read(17) != 1) {
        return std::nullopt;
    }
    PictureHeader h;
    h.version = int(bits.read(5));
    bits.skip(8);  // temporal reference
    const uint32_t size = bits.read(3);
    if (size <= 1) {
        const int width = size == 0 ? 8 : 16;
        h.width = int(bits.read(width));
        h.height = int(bits.read(width));
    } else if (size <= 6) {
        h.width = kStandardSizes[size - 2][0];
        h.height = kStandardSizes[size - 2][1];
    } else {
        return std::nullopt;
    }
    const uint32_t type = bits.read(2);
    if (type > 2) {
        return std::nullopt;
    }
    h.type = PictureType(type);
    h.deblocking = bits.read(1) != 0;
    h.quantizer = int(bits.read(5));
    while (bits.read(1) && !bits.overrun()) {
        bits.skip(8);
    }
    if (h.version > 1 || h.width == 0 || h.height == 0 || h.quantizer == 0 || bits.overrun()) {
        return std::nullopt;
    }
    return h;
}

Picture pictureFor(const PictureHeader& h) {
    Picture p;
    p.width = h.width;
    p.height = h.height;
    p.mbCols = (h.width + 15) / 16;
    p.mbRows = (h.height + 15) / 16;
    p.y.assign(size_t(p.lumaStride()) * size_t(p.mbRows) * 16, 0);
    p.u.assign(size_t(p.chromaStride()) * size_t(p.mbRows) * 8, 128);
    p.v.assign(p.u.size(), 128);
    return p;
}

}  // namespace pencora::flash::video::h263
