// Speex sound data made at test time with the codec library's encoder.
#pragma once

#include <cstdint>
#include <vector>

namespace pencora::flash::video::test {

// `seconds` of a 440 Hz sine at half scale, 16 kHz mono, as Speex frames of 320 samples,
// `framesPerPacket` a packet (one after another bit by bit, the last padded to its byte): at a
// constant quality 0..10, or with `variable` at a variable rate. Empty when the encoder is
// missing.
std::vector<std::vector<uint8_t>> speexTone(double seconds, int quality, bool variable = false,
                                            int framesPerPacket = 1);

}  // namespace pencora::flash::video::test
