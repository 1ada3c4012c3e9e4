// A single-producer, single-consumer ring of interleaved stereo float frames at the device
// rate. The decoder worker (or a PCM feeder) writes, the device callback reads; neither
// side ever waits for the other, so the callback never blocks on decoding.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace pencora::audio {

class FrameRing {
  public:
    explicit FrameRing(size_t capacityFrames)
        : capacity_(capacityFrames), samples_(capacityFrames * kChannels) {}

    static constexpr int kChannels = 2;

    size_t capacity() const { return capacity_; }

    // Frames the consumer can read now.
    size_t readable() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_acquire);
    }
    // Frames the producer can write now.
    size_t writable() const { return capacity_ - readable(); }

    // Producer side: copies up to `frames` frames, returns how many fit.
    size_t write(const float* src, size_t frames) {
        size_t head = head_.load(std::memory_order_relaxed);
        size_t tail = tail_.load(std::memory_order_acquire);
        size_t n = std::min(frames, capacity_ - (head - tail));
        for (size_t i = 0; i < n; ++i) {
            size_t at = ((head + i) % capacity_) * kChannels;
            samples_[at] = src[i * kChannels];
            samples_[at + 1] = src[i * kChannels + 1];
        }
        head_.store(head + n, std::memory_order_release);
        return n;
    }

    // Consumer side: adds up to `frames` frames, scaled by `gain`, onto `dst`; returns how
    // many were there.
    size_t mixInto(float* dst, size_t frames, float gain) {
        size_t tail = tail_.load(std::memory_order_relaxed);
        size_t head = head_.load(std::memory_order_acquire);
        size_t n = std::min(frames, head - tail);
        for (size_t i = 0; i < n; ++i) {
            size_t at = ((tail + i) % capacity_) * kChannels;
            dst[i * kChannels] += samples_[at] * gain;
            dst[i * kChannels + 1] += samples_[at + 1] * gain;
        }
        tail_.store(tail + n, std::memory_order_release);
        return n;
    }

  private:
    size_t capacity_;
    std::vector<float> samples_;
    // Running frame counts; only their difference matters, so wrap-around is harmless.
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

}  // namespace pencora::audio
