// Turns the bytes of one stream (MP3, WAV, OGG and whatever else libsndfile reads) into
// stereo float frames at the device rate, a block at a time, so a long recording costs no
// more to start than a short one.
#pragma once

#include "platform/audio/byte_range.h"
#include "platform/audio/frame_ring.h"

#include <memory>
#include <vector>

struct sf_private_tag;
struct _SDL_AudioStream;

namespace pencora::audio {

class Decoder {
  public:
    // Null when the bytes are not audio libsndfile can read.
    static std::unique_ptr<Decoder> open(std::unique_ptr<ByteRange> bytes, int deviceRate);
    ~Decoder();

    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes until `ring` has no room for another block or the source is exhausted.
    // At most `maxSourceFrames` frames are read from the file (0: no limit).
    void fill(FrameRing& ring, size_t maxSourceFrames = 0);

    // True once every frame of the source has been delivered to the ring.
    bool finished() const { return finished_; }

    int sourceRate() const { return sourceRate_; }
    int sourceChannels() const { return sourceChannels_; }

  private:
    Decoder() = default;
    // Moves converted frames that are waiting in the resampler into the ring.
    bool drainConverted(FrameRing& ring);

    std::unique_ptr<ByteRange> bytes_;
    sf_private_tag* file_ = nullptr;
    _SDL_AudioStream* converter_ = nullptr;
    int sourceRate_ = 0;
    int sourceChannels_ = 0;
    bool sourceDone_ = false;
    bool finished_ = false;
    std::vector<float> block_;
    std::vector<float> converted_;
    size_t convertedFrames_ = 0;  // frames of converted_ not yet in the ring
    size_t convertedAt_ = 0;
};

}  // namespace pencora::audio
