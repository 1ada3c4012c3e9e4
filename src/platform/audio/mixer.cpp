#include "platform/audio/mixer.h"

#include <algorithm>

namespace pencora::audio {

void Mixer::add(std::shared_ptr<Voice> voice) {
    std::lock_guard guard(lock_);
    voices_.push_back(std::move(voice));
}

void Mixer::remove(const Voice* voice) {
    std::shared_ptr<Voice> last;  // released after the lock, never inside the callback
    std::lock_guard guard(lock_);
    auto it = std::find_if(voices_.begin(), voices_.end(),
                           [voice](const auto& v) { return v.get() == voice; });
    if (it != voices_.end()) {
        last = std::move(*it);
        voices_.erase(it);
    }
}

void Mixer::clear() {
    std::vector<std::shared_ptr<Voice>> gone;
    std::lock_guard guard(lock_);
    gone.swap(voices_);
}

void Mixer::render(float* out, size_t frames) {
    std::fill(out, out + frames * FrameRing::kChannels, 0.0f);
    {
        std::lock_guard guard(lock_);
        for (const auto& voice : voices_) {
            if (voice->playing.load(std::memory_order_acquire)) {
                voice->ring.mixInto(out, frames, voice->gain.load(std::memory_order_relaxed));
            }
        }
        framesMixed_.fetch_add(frames, std::memory_order_acq_rel);
    }
    for (size_t i = 0; i < frames * FrameRing::kChannels; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

}  // namespace pencora::audio
