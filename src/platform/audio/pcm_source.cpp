#include "platform/audio/pcm_source.h"

#include "platform/audio/engine.h"

namespace pencora::audio {

PcmSourceId pcmSourceOpen(int sampleRate, int channels) {
    return Engine::instance().openPcm(sampleRate, channels);
}

size_t pcmSourceWrite(PcmSourceId source, const int16_t* samples, size_t frames) {
    return Engine::instance().writePcm(source, samples, frames);
}

size_t pcmSourceQueued(PcmSourceId source) {
    return Engine::instance().queuedPcm(source);
}

bool pcmSourceSetVolume(PcmSourceId source, int volume) {
    return Engine::instance().setVolume(source, volume);
}

bool pcmSourceClose(PcmSourceId source) {
    return Engine::instance().closePcm(source);
}

}  // namespace pencora::audio
