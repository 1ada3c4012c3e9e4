// The audio packets of an FLV file decoded to 16-bit PCM through libavcodec: MP3, ADPCM,
// Nellymoser, AAC and uncompressed PCM. More than two channels are folded to the first two.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/flash/flv/flv_file.h"

namespace pencora::flv {

struct Pcm {
    int rate = 44100;
    int channels = 1;
    std::vector<int16_t> samples;  // interleaved
    double startMs = 0;            // time of the first sample in the file
};

// The file's whole audio, or nothing when it has none or no decoder takes it. Packets that
// fail to decode are skipped.
std::optional<Pcm> decodeAudio(const File& file);

}  // namespace pencora::flv
