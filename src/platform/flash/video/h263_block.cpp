#include "platform/flash/video/h263_block.h"

#include <algorithm>
#include <cstdlib>

#include "platform/flash/video/float_idct.h"
#include "platform/flash/video/h263_vlc.h"

namespace pencora::flash::video::h263 {

namespace {

constexpr std::array<uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// quantizer * (2 * |level| + 1), one less for even quantizers, with the level's sign.
int16_t dequantize(int level, int quantizer) {
    const int magnitude = quantizer * (2 * std::abs(level) + 1) - (quantizer % 2 == 0 ? 1 : 0);
    return int16_t(std::clamp(level < 0 ? -magnitude : magnitude, -2048, 2047));
}

// Coefficients from scan position `first` on, up to the one marked last.
bool readCoefficients(BitReader& bits, int version, int quantizer, int first, Block& block) {
    for (int i = first;; ++i) {
        const auto c = readCoefficient(bits, version);
        if (!c || bits.overrun()) {
            return false;
        }
        i += c->run;
        if (i > 63) {
            return false;
        }
        block[kZigzag[size_t(i)]] = dequantize(c->level, quantizer);
        if (c->last) {
            return true;
        }
    }
}

}  // namespace

bool readIntraBlock(BitReader& bits, int version, int quantizer, bool coded, Block& block) {
    block.fill(0);
    const uint32_t dc = bits.read(8);
    block[0] = int16_t((dc == 255 ? 128 : dc) * 8);
    return !coded || readCoefficients(bits, version, quantizer, 1, block);
}

bool readInterBlock(BitReader& bits, int version, int quantizer, Block& block) {
    block.fill(0);
    return readCoefficients(bits, version, quantizer, 0, block);
}

void putBlock(const Block& block, uint8_t* to, int stride) {
    const auto samples = inverseTransform(block);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            to[size_t(y) * size_t(stride) + size_t(x)] =
                uint8_t(std::clamp(roundSample(samples[size_t(y * 8 + x)]), 0, 255));
        }
    }
}

void addBlock(const Block& block, uint8_t* to, int stride) {
    const auto samples = inverseTransform(block);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint8_t& p = to[size_t(y) * size_t(stride) + size_t(x)];
            p = uint8_t(std::clamp(p + roundSample(samples[size_t(y * 8 + x)]), 0, 255));
        }
    }
}

}  // namespace pencora::flash::video::h263
