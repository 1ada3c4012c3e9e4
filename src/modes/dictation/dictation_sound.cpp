#include "modes/dictation/dictation_sound.h"

#include "platform/audio/bass.h"
#include "sound/play_file.h"

namespace pencora::dictation {

DictationSound librarySound() {
    return {
        [](uint32_t& slot, const QString& relativePath) { sound::play_file(slot, relativePath); },
        [](uint32_t& slot) { BASS_StreamFree(slot); }};
}

}  // namespace pencora::dictation
