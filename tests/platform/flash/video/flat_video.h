// Video packets made at test time with the codec library's own encoders: pictures of one flat
// colour each, whose decoded colour is known from the colour alone.
#pragma once

#include <cstdint>
#include <vector>

namespace pencora::flash::video::test {

struct Yuv {
    uint8_t y, u, v;
};

// Limited-range BT.601 values of a few colours.
inline constexpr Yuv kRedYuv{81, 90, 240};
inline constexpr Yuv kGreenYuv{145, 54, 34};
inline constexpr Yuv kBlueYuv{41, 240, 110};

// Sorenson H.263 packets, one per colour: the first a key frame, the others inter frames
// (only the first of every `keyEvery` is a key frame). Empty when the encoder is missing.
std::vector<std::vector<uint8_t>> h263Packets(int width, int height, const std::vector<Yuv>& colors,
                                              int keyEvery = 600);

// Sorenson H.263 pictures whose left half is `left` and right half `right`, every macroblock
// coded at `quantizer` (1..31): a key frame, then `frames - 1` inter frames of the same
// picture. With the halves split at a multiple of 16 pixels each block is flat and decodes
// exactly, so the only step is the one between the halves.
std::vector<std::vector<uint8_t>> h263SplitPictures(int width, int height, Yuv left, Yuv right,
                                                    int quantizer, int frames = 1);

// Screen Video packets of flat 0xRRGGBB pictures, every one a key frame.
std::vector<std::vector<uint8_t>> screenVideoPackets(int width, int height,
                                                     const std::vector<uint32_t>& colors);

}  // namespace pencora::flash::video::test
