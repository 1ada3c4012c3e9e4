#pragma once

#include <array>
#include <cstdint>

#include "platform/flash/video/bit_reader.h"

namespace pencora::flash::video::h263 {

// A block's coefficients after inverse quantization, in raster order.
using Block = std::array<int16_t, 64>;

// Reads an intra block: its DC level, then, when `coded`, its other coefficients.
bool readIntraBlock(BitReader& bits, int version, int quantizer, bool coded, Block& block);

// Reads a coded inter block.
bool readInterBlock(BitReader& bits, int version, int quantizer, Block& block);

// Writes an intra block's samples, and adds an inter block's to the prediction there.
void putBlock(const Block& block, uint8_t* to, int stride);
void addBlock(const Block& block, uint8_t* to, int stride);

}  // namespace pencora::flash::video::h263
