#include "sound/play_file.h"

#include "platform/audio/bass.h"
#include "platform/fs/program_path.h"

#include <QString>

namespace pencora::sound {

void play_file(uint32_t& slot, QStringView relativePath) {
    try {
        BASS_StreamFree(slot);
        // An uncontained path resolves to nothing, which opens no file: the slot gets 0.
        const QString path = fs::resolveProgramPath(relativePath);
        slot = BASS_StreamCreateFile(0, path.utf16(), 0, 0, BASS_UNICODE);
        BASS_ChannelPlay(slot, 0);
    } catch (...) {
        // A sound that cannot be played is simply not heard.
    }
}

void free_slot(uint32_t& slot) {
    BASS_StreamFree(slot);
}

}  // namespace pencora::sound
