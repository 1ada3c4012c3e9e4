// Nellymoser Asao sound data (mono, 64-byte blocks of 256 samples) to 16-bit PCM, through
// libavcodec.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pencora::runtime {

// Appends the samples of every whole block in `data` to `out`, stopping at `maxSamples`.
// False when the codec library cannot decode Nellymoser at all.
bool decodeNellymoser(std::span<const uint8_t> data, int rate, size_t maxSamples,
                      std::vector<int16_t>& out);

}  // namespace pencora::runtime
