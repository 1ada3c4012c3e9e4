// Any bytes, cut anywhere, must decode to some frames or fail cleanly: the window's first
// two bytes choose where the stream starts, as a byte offset into a recording would.
#include "platform/audio/decoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A damaged Ogg header makes the system's libvorbis (reached through libsndfile) lose a few
// bytes of its own; that library's leaks are not ours, every other leak still stops the run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbis.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint64_t offset = (static_cast<uint64_t>(data[0]) << 8 | data[1]) % size;
    std::span<const uint8_t> bytes(data + 2, size - 2);
    auto decoder = pencora::audio::Decoder::open(
        pencora::audio::ByteRange::openMemory(bytes, offset, 0), 44100);
    if (!decoder) {
        return 0;
    }
    pencora::audio::FrameRing ring(8192);
    std::vector<float> sink(2 * 8192);
    // Bounded: a hostile header may promise hours of sound.
    for (int round = 0; round < 64 && !decoder->finished(); ++round) {
        decoder->fill(ring, 4096);
        ring.mixInto(sink.data(), ring.readable(), 1.0f);
    }
    return 0;
}
