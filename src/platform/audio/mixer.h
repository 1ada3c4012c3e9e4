// The one output mix: every voice that is playing (a stream of the audio library or a PCM
// source of the movie engine) is summed into the device buffer in the device callback.
#pragma once

#include "platform/audio/frame_ring.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace pencora::audio {

// One sound being mixed: frames waiting in its ring, whether it sounds, and how loud.
struct Voice {
    explicit Voice(size_t capacityFrames) : ring(capacityFrames) {}
    FrameRing ring;
    std::atomic<bool> playing{false};
    std::atomic<float> gain{1.0f};
};

class Mixer {
  public:
    void add(std::shared_ptr<Voice> voice);
    // When this returns the voice is no longer mixed: the next device buffer is without it.
    void remove(const Voice* voice);
    void clear();

    // Fills `out` with `frames` stereo frames: the sum of the playing voices, clipped.
    // Called from the device callback; it does not allocate and holds its lock only as
    // long as the mix takes.
    void render(float* out, size_t frames);

    uint64_t framesMixed() const { return framesMixed_.load(std::memory_order_acquire); }

  private:
    std::mutex lock_;
    std::vector<std::shared_ptr<Voice>> voices_;
    std::atomic<uint64_t> framesMixed_{0};
};

}  // namespace pencora::audio
