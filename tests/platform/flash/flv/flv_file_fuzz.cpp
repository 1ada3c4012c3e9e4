// Any bytes given to the FLV reader and the audio decoder must come back without a crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/flash/flv/flv_audio.h"
#include "platform/flash/flv/flv_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (auto file = pencora::flv::readFile(std::span(data, size))) {
        (void)pencora::flv::decodeAudio(*file);
    }
    return 0;
}
