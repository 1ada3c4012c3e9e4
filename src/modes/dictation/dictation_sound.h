// How the dictation makes sound: `play` plays a file of the content folder on a channel
// slot, cutting off what the slot played; `stop` frees the slot's stream, so it falls silent.
// By default both go to the sound library; tests put recorders in their place.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace pencora::dictation {

struct DictationSound {
    std::function<void(uint32_t& slot, const QString& relativePath)> play;
    std::function<void(uint32_t& slot)> stop;
};

DictationSound librarySound();

}  // namespace pencora::dictation
