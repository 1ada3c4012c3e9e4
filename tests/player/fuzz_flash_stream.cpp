// Fuzz target for the stored form of a movie-list entry ("FlashStream"): reading any bytes
// must never read out of bounds, and whatever is accepted must write back to a form that
// reads to the same entry.
#include "player/flash_list.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using pencora::player::TsfFlashStream;
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TsfFlashStream entry(nullptr);
    if (!entry.ReadFlashStream(stored)) {
        return 0;
    }
    TsfFlashStream again(nullptr);
    if (!again.ReadFlashStream(entry.WriteFlashStream())) {
        std::abort();
    }
    if (again.Flash() != entry.Flash() || again.FlashStore() != entry.FlashStore()) {
        std::abort();
    }
    return 0;
}
