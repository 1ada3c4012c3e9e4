#include "platform/audio/bass.h"

#include "platform/audio/engine.h"

#include <filesystem>
#include <string>

using pencora::audio::ByteRange;
using pencora::audio::Engine;

namespace {

// Build 0 of 2.4: the program checks the high 16 bits only.
constexpr DWORD kVersion = 0x02040000;

thread_local int lastError = BASS_OK;

// Records the outcome of a call: `failure` when it failed, told apart from not running.
BOOL outcome(bool ok, int failure) {
    lastError = ok ? BASS_OK : Engine::instance().running() ? failure : BASS_ERROR_INIT;
    return ok ? 1 : 0;
}

std::filesystem::path pathOf(const void* file, DWORD flags) {
    if (flags & BASS_UNICODE) {
        return std::filesystem::path(std::u16string(static_cast<const char16_t*>(file)));
    }
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(static_cast<const char*>(file))));
}

}  // namespace

DWORD BASS_GetVersion() {
    return kVersion;
}

int BASS_ErrorGetCode() {
    return lastError;
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
    if (Engine::instance().running()) {
        lastError = BASS_ERROR_ALREADY;
        return 0;
    }
    const bool ok = Engine::instance().init(device, static_cast<int>(freq));
    lastError = ok ? BASS_OK : BASS_ERROR_DEVICE;
    return ok ? 1 : 0;
}

BOOL BASS_Free() {
    return outcome(Engine::instance().shutdown(), BASS_ERROR_INIT);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    Engine& engine = Engine::instance();
    if (!engine.running()) {
        lastError = BASS_ERROR_INIT;
        return 0;
    }
    if (!file) {
        lastError = BASS_ERROR_ILLPARAM;
        return 0;
    }
    HSTREAM handle = 0;
    if (mem) {
        const auto* bytes = static_cast<const uint8_t*>(file);
        const QWORD size = length;
        handle = engine.createStream([bytes, size] {
            return ByteRange::openMemory(std::span(bytes, static_cast<size_t>(size)), 0, 0);
        });
    } else {
        std::filesystem::path path;
        try {
            path = pathOf(file, flags);
        } catch (const std::exception&) {
            lastError = BASS_ERROR_FILEOPEN;  // a name that is no valid text names no file
            return 0;
        }
        if (!ByteRange::openFile(path, offset, length)) {
            lastError = BASS_ERROR_FILEOPEN;
            return 0;
        }
        handle = engine.createStream(
            [path, offset, length] { return ByteRange::openFile(path, offset, length); });
    }
    outcome(handle != 0, BASS_ERROR_FILEFORM);
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    return outcome(Engine::instance().freeStream(handle), BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return outcome(Engine::instance().play(handle, restart != 0), BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelStop(DWORD handle) {
    return outcome(Engine::instance().stop(handle), BASS_ERROR_HANDLE);
}
