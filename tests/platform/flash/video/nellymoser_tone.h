// Nellymoser sound data made at test time with the codec library's encoder.
#pragma once

#include <cstdint>
#include <vector>

namespace pencora::flash::video::test {

// `seconds` of a sine of `hz` at half scale, mono at `rate`, as 64-byte Nellymoser blocks.
// Empty when the encoder is missing.
std::vector<uint8_t> nellymoserTone(int rate, double hz, double seconds);

}  // namespace pencora::flash::video::test
