// Feeding a sine tone to an audio encoder of the codec library, for the tone makers.
#pragma once

#include <cstdint>
#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace pencora::flash::video::test {

// Gives the open mono encoder `c` (of 16-bit or float samples) `seconds` of a sine of `hz`
// whose peak is `amplitude` in the samples' own scale, a frame at a time, and hands each packet
// it makes to `packet`, the last ones after the encoder is flushed.
void encodeTone(AVCodecContext* c, double hz, double amplitude, double seconds,
                const std::function<void(const AVPacket&)>& packet);

}  // namespace pencora::flash::video::test
