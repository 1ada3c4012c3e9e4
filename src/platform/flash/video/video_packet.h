#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/flash/video/video_decoder.h"

namespace pencora::flash::video {

// Whether a packet starts a picture that needs no earlier frame. Unknown codecs and packets
// too short to tell count as key frames, so seeking never runs backwards past them.
bool isKeyFramePacket(int codecId, std::span<const uint8_t> packet, PacketLayout layout);

// The pixels an FLV VP6 adjustment byte crops from the right (high nibble) and the bottom.
struct SizeAdjustment {
    int right = 0;
    int bottom = 0;
};
SizeAdjustment sizeAdjustment(uint8_t byte);

// What a Sorenson H.263 picture header says for the deblocking filter: whether the encoder
// asks for it, and the picture's quantizer (1..31), which sets its strength. Nothing when the
// header is not there or cut short.
struct H263Deblocking {
    bool requested = false;
    int quantizer = 0;
};
std::optional<H263Deblocking> h263Deblocking(std::span<const uint8_t> packet);

// The part of a packet the codec library is given: FLV VP6 packets lose their adjustment byte.
std::span<const uint8_t> codecPayload(int codecId, std::span<const uint8_t> packet,
                                      PacketLayout layout);

}  // namespace pencora::flash::video
