#include "platform/audio/output_probe.h"

#include "platform/audio/engine.h"

namespace pencora::audio {

OutputFormat outputFormat() {
    Engine& engine = Engine::instance();
    if (!engine.running()) {
        return {};
    }
    return {engine.deviceRate(), engine.bufferFrames(), engine.hasDevice()};
}

uint64_t framesMixed() {
    return Engine::instance().framesMixed();
}

bool pullOutput(float* out, size_t frames) {
    return Engine::instance().pull(out, frames);
}

}  // namespace pencora::audio
