// A moving picture encoded at test time with the codec library's Sorenson H.263 encoder, and
// the library's own decoding of it, to hold our decoder against.
#pragma once

#include <cstdint>
#include <vector>

namespace pencora::flash::video::test {

// One picture's planes, cropped to its size, rows without padding.
struct Planes {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> y, u, v;
};

struct EncodedClip {
    std::vector<std::vector<uint8_t>> packets;
    std::vector<Planes> decoded;  // the library's pictures, one per packet
};

// `frames` pictures of a textured pattern drifting by a few pixels a frame in both directions,
// the first a key frame and the rest inter frames, coded at `quantizer` (1..31). Empty when
// the encoder is missing.
EncodedClip movingClip(int width, int height, int frames, int quantizer);

}  // namespace pencora::flash::video::test
