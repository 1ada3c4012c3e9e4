// Speex sound data (16 kHz wideband, mono) to 16-bit PCM, through libavcodec.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pencora::runtime {

// A run of Speex data cut into packets for the decoder: the narrowband layer's mode and the
// wideband layer's mode above it give every frame's size. A frame padded to its byte with a
// terminator ends its packet; frames that follow one another bit by bit share one. Stops at
// the end of the data, at a frame cut short or at a mode that is not there.
struct SpeexPacket {
    std::span<const uint8_t> bytes;
    int frames = 0;
};
std::vector<SpeexPacket> speexPackets(std::span<const uint8_t> data);

// Appends the 320 samples of every frame in `data` to `out`, stopping at `maxSamples`.
// False when the codec library cannot decode Speex at all.
bool decodeSpeex(std::span<const uint8_t> data, size_t maxSamples, std::vector<int16_t>& out);

}  // namespace pencora::runtime
