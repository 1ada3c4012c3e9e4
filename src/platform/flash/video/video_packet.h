#pragma once

#include <cstdint>
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

// The part of a packet the codec library is given: FLV VP6 packets lose their adjustment byte.
std::span<const uint8_t> codecPayload(int codecId, std::span<const uint8_t> packet,
                                      PacketLayout layout);

}  // namespace pencora::flash::video
