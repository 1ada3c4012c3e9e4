#include "platform/audio/bass.h"

#include "platform/audio/engine.h"

#include <filesystem>
#include <string>

using pencora::audio::ByteRange;
using pencora::audio::Engine;

namespace {

// Build 0 of 2.4: the program checks the high 16 bits only.
constexpr DWORD kVersion = 0x02040000;

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

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
    return Engine::instance().init(device, static_cast<int>(freq)) ? 1 : 0;
}

BOOL BASS_Free() {
    return Engine::instance().shutdown() ? 1 : 0;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    if (!file) {
        return 0;
    }
    if (mem) {
        const auto* bytes = static_cast<const uint8_t*>(file);
        const QWORD size = length;
        return Engine::instance().createStream([bytes, size] {
            return ByteRange::openMemory(std::span(bytes, static_cast<size_t>(size)), 0, 0);
        });
    }
    std::filesystem::path path;
    try {
        path = pathOf(file, flags);
    } catch (const std::exception&) {
        return 0;  // a name that is no valid text names no file
    }
    return Engine::instance().createStream(
        [path, offset, length] { return ByteRange::openFile(path, offset, length); });
}

BOOL BASS_StreamFree(HSTREAM handle) {
    return Engine::instance().freeStream(handle) ? 1 : 0;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return Engine::instance().play(handle, restart != 0) ? 1 : 0;
}

BOOL BASS_ChannelStop(DWORD handle) {
    return Engine::instance().stop(handle) ? 1 : 0;
}
