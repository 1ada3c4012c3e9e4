#include "sound/audio_startup.h"

#include "platform/audio/bass.h"

namespace pencora::sound {

namespace {
constexpr DWORD kVersion24 = 0x0204;
}

void startAudio(void* window, const ErrorNotice& showError) {
    if ((BASS_GetVersion() >> 16) != kVersion24 && showError) {
        showError(QString::fromUtf16(kWrongVersionText));
    }
    // A library that is already running is working, not failing: a second main window in
    // one process (the tests make several) must not report an error.
    if (!BASS_Init(-1, 44100, 0, window, nullptr) && BASS_ErrorGetCode() != BASS_ERROR_ALREADY &&
        showError) {
        showError(QString::fromUtf16(kInitFailedText));
    }
}

void shutdownAudio() {
    try {
        BASS_Free();
    } catch (...) {
    }
}

}  // namespace pencora::sound
