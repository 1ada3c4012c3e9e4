// Fuzz target for the SWF reader: any input must be rejected or read without touching
// memory it does not own, within bounded time and memory.
#include <cstddef>
#include <cstdint>

#include "platform/flash/swf/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pencora::swf::ReadOptions options;
    // Smaller caps than a player's keep each run fast; the limits themselves are tested
    // in reader_test.cpp.
    options.maxMovieBytes = 8u << 20;
    options.maxBitmapPixels = 1u << 20;
    auto result = pencora::swf::readMovie({data, size}, options);
    if (result.movie) {
        volatile size_t n = result.movie->dictionary.size() + result.movie->timeline.frames.size();
        (void)n;
    }
    return 0;
}
