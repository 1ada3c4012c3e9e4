#include "sound/slot_stream.h"

#include "platform/audio/bass.h"
#include "platform/fs/program_path.h"

#include <QString>

namespace pencora::sound {

void open_slot(uint32_t& slot, QStringView relativePath, uint64_t offset, uint64_t length) {
    try {
        BASS_StreamFree(slot);
        // An uncontained path resolves to nothing, which opens no file: the slot gets 0.
        const QString path = fs::resolveProgramPath(relativePath);
        slot = BASS_StreamCreateFile(0, path.utf16(), offset, length, BASS_UNICODE);
    } catch (...) {
        slot = 0;
    }
}

void clear_slot(uint32_t& slot) {
    BASS_StreamFree(slot);
    slot = 0;
}

void play_slot(uint32_t slot) {
    BASS_ChannelPlay(slot, 0);
}

void stop_slot(uint32_t slot) {
    BASS_ChannelStop(slot);
}

}  // namespace pencora::sound
