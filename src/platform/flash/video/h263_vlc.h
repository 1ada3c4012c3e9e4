#pragma once

#include <optional>

#include "platform/flash/video/bit_reader.h"

namespace pencora::flash::video::h263 {

// A macroblock's type and its chroma coded-block bits (bit 1 Cb, bit 0 Cr). Types: 0 inter,
// 1 inter with a quantizer change, 2 inter with four vectors, 3 intra, 4 intra with a
// quantizer change; stuffing, which carries no macroblock, is `stuffing`.
struct Mcbpc {
    int type = 0;
    int cbpc = 0;
    bool stuffing = false;
};

// One run-length coded coefficient: `run` zeros before a level, the last of its block or not.
struct Coefficient {
    bool last = false;
    int run = 0;
    int level = 0;
};

// Each reader gives nothing for a code that is not in its table.
std::optional<Mcbpc> readIntraMcbpc(BitReader& bits);
std::optional<Mcbpc> readInterMcbpc(BitReader& bits);
// The luma coded-block bits as intra macroblocks read them (block 0 is bit 3).
std::optional<int> readCbpy(BitReader& bits);
// A motion vector difference in half pixels, -32..32.
std::optional<int> readMotionDelta(BitReader& bits);
// A coefficient, escaped ones included: format version 0 escapes to an 8-bit level, version 1
// to a 7- or an 11-bit one.
std::optional<Coefficient> readCoefficient(BitReader& bits, int version);

}  // namespace pencora::flash::video::h263
