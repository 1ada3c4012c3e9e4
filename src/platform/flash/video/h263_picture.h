#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/flash/video/bit_reader.h"

namespace pencora::flash::video::h263 {

enum class PictureType { Intra, Inter, DisposableInter };

// A Sorenson H.263 picture header: format version (0 or 1), size, type, the deblocking flag
// and the picture's quantizer.
struct PictureHeader {
    int version = 0;
    int width = 0;
    int height = 0;
    PictureType type = PictureType::Intra;
    bool deblocking = false;
    int quantizer = 1;
};

// Reads the header and the extra information after it; nothing for a header that is not one.
std::optional<PictureHeader> readPictureHeader(BitReader& bits);

// A decoded picture's planes, covering whole macroblocks (16 x 16 luma, 8 x 8 chroma); the
// picture itself is the top left `width` x `height` of them.
struct Picture {
    int width = 0;
    int height = 0;
    int mbCols = 0;
    int mbRows = 0;
    std::vector<uint8_t> y, u, v;

    int lumaStride() const { return mbCols * 16; }
    int chromaStride() const { return mbCols * 8; }
};

// A picture of the header's size with its planes allocated.
Picture pictureFor(const PictureHeader& h);

}  // namespace pencora::flash::video::h263
