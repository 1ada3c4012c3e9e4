#include "platform/flash/video/video_packet.h"

#include <cstddef>
#include <optional>

namespace pencora::flash::video {

namespace {

// Reads bits most significant first; past the end it reads zeros and says so.
class Bits {
  public:
    explicit Bits(std::span<const uint8_t> data) : data_(data) {}

    uint32_t read(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = (value << 1) | bit();
        }
        return value;
    }
    bool overrun() const { return overrun_; }

  private:
    uint32_t bit() {
        size_t byte = pos_ / 8;
        if (byte >= data_.size()) {
            overrun_ = true;
            return 0;
        }
        uint32_t b = (data_[byte] >> (7 - pos_ % 8)) & 1u;
        ++pos_;
        return b;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool overrun_ = false;
};

// Sorenson H.263: start code, version, temporal reference, picture size (custom sizes
// carry 8 or 16 bits each for width and height), the picture type (0 = intra), the
// deblocking flag and the picture's quantizer.
struct H263Header {
    bool valid = false;
    uint32_t type = 0;
    bool deblocking = false;
    int quantizer = 0;
};

H263Header h263Header(std::span<const uint8_t> packet) {
    Bits bits(packet);
    H263Header h;
    if (bits.read(17) != 1) {
        return h;
    }
    bits.read(5 + 8);
    uint32_t size = bits.read(3);
    if (size == 0) {
        bits.read(16);
    } else if (size == 1) {
        bits.read(32);
    }
    h.type = bits.read(2);
    h.deblocking = bits.read(1) != 0;
    h.quantizer = int(bits.read(5));
    h.valid = !bits.overrun();
    return h;
}

bool h263KeyFrame(std::span<const uint8_t> packet) {
    const H263Header h = h263Header(packet);
    return !h.valid || h.type == 0;
}

// Screen Video: a picture that leaves no block unchanged (a block of size 0 keeps the last
// frame's pixels) stands alone.
bool screenVideoKeyFrame(std::span<const uint8_t> packet) {
    if (packet.size() < 4) {
        return true;
    }
    int blockWidth = ((packet[0] >> 4) + 1) * 16;
    int width = ((packet[0] & 0x0f) << 8) | packet[1];
    int blockHeight = ((packet[2] >> 4) + 1) * 16;
    int height = ((packet[2] & 0x0f) << 8) | packet[3];
    size_t blocks = static_cast<size_t>((width + blockWidth - 1) / blockWidth) *
                    static_cast<size_t>((height + blockHeight - 1) / blockHeight);
    size_t pos = 4;
    for (size_t i = 0; i < blocks; ++i) {
        if (pos + 2 > packet.size()) {
            return true;
        }
        size_t size = (static_cast<size_t>(packet[pos]) << 8) | packet[pos + 1];
        if (size == 0) {
            return false;
        }
        pos += 2 + size;
    }
    return true;
}

}  // namespace

SizeAdjustment sizeAdjustment(uint8_t byte) {
    return {byte >> 4, byte & 0x0f};
}

std::span<const uint8_t> codecPayload(int codecId, std::span<const uint8_t> packet,
                                      PacketLayout layout) {
    bool vp6 = codecId == int(VideoCodec::Vp6) || codecId == int(VideoCodec::Vp6Alpha);
    if (layout == PacketLayout::Flv && vp6 && !packet.empty()) {
        return packet.subspan(1);
    }
    return packet;
}

std::optional<H263Deblocking> h263Deblocking(std::span<const uint8_t> packet) {
    const H263Header h = h263Header(packet);
    if (!h.valid) {
        return std::nullopt;
    }
    return H263Deblocking{h.deblocking, h.quantizer};
}

bool isKeyFramePacket(int codecId, std::span<const uint8_t> packet, PacketLayout layout) {
    std::span<const uint8_t> payload = codecPayload(codecId, packet, layout);
    switch (static_cast<VideoCodec>(codecId)) {
        case VideoCodec::SorensonH263:
            return h263KeyFrame(payload);
        case VideoCodec::ScreenVideo:
            return screenVideoKeyFrame(payload);
        case VideoCodec::Vp6:
            return payload.empty() || (payload[0] & 0x80) == 0;
        case VideoCodec::Vp6Alpha:
            // Three bytes of offset to the alpha picture come first.
            return payload.size() < 4 || (payload[3] & 0x80) == 0;
        default:
            return true;
    }
}

}  // namespace pencora::flash::video
