#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct AVCodec;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace pencora::runtime {

// A codec library decoder for a mono sound, fed one packet at a time. What it decodes is
// appended as 16-bit samples, up to a limit.
class MonoDecoder {
  public:
    MonoDecoder() = default;
    MonoDecoder(const MonoDecoder&) = delete;
    MonoDecoder& operator=(const MonoDecoder&) = delete;
    ~MonoDecoder();

    // False when the codec is missing or will not open at this rate.
    bool open(const AVCodec* codec, int rate);
    // One packet, or with none the frames the decoder still holds.
    void decode(std::span<const uint8_t> bytes, size_t maxSamples, std::vector<int16_t>& out);

  private:
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
};

}  // namespace pencora::runtime
