#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace pencora::flash::video {

// Codec ids as movie and FLV files store them.
enum class VideoCodec : uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
    Avc = 7,
};

// Whether a codec id is one VideoDecoder knows.
bool isKnownCodec(int codecId);

// Where packets come from: movie VideoFrame tags carry the codec's bytes as they are; FLV
// video tags put a size adjustment byte before VP6 data (right and bottom pixels to crop).
enum class PacketLayout { Swf, Flv };

// One decoded picture: premultiplied ARGB32 (0xAARRGGBB), rows top to bottom, no padding.
struct DecodedFrame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Decodes the frames of one video stream in order. Packets that fail to decode (corrupt,
// truncated, an inter frame with no key frame before it) give no picture; the decoder stays
// usable for the next packet.
class VideoDecoder {
  public:
    VideoDecoder(int codecId, PacketLayout layout = PacketLayout::Swf);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;
    VideoDecoder(VideoDecoder&&) noexcept;
    VideoDecoder& operator=(VideoDecoder&&) noexcept;

    // False when the codec id is unknown or the codec library could not open it.
    bool valid() const;
    int codecId() const;

    // Decodes one packet; the picture it completes, if any. H.264 packets are the NAL units
    // as FLV stores them (each after a 4-byte length); pictures that B-frames reorder come
    // out a few packets late, the latest one when several come out at once.
    std::optional<DecodedFrame> decode(std::span<const uint8_t> packet);

    // Takes the stream's decoder configuration (for H.264 the AVCDecoderConfigurationRecord
    // of its sequence header) and starts the codec again with it; the next packet should be
    // a key frame. False when the codec refuses it; the decoder then decodes nothing until a
    // configuration it takes.
    bool configure(std::span<const uint8_t> config);

    // The end of the sequence: the last of the pictures the codec still held back for
    // reordering, if any. Decoding can start again at the next key frame.
    std::optional<DecodedFrame> finish();

    // The deblocking setting of the stream or of the Video object showing it: 0 follows each
    // picture's own request, 1 turns the filter off, higher values turn it on. Only Sorenson
    // H.263 pictures are filtered; the other codecs ignore it.
    void setDeblocking(int mode);

    // Forgets earlier frames, for seeking; the next packet should be a key frame.
    void reset();

  private:
    int deblockingStrength(std::span<const uint8_t> payload) const;

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace pencora::flash::video
