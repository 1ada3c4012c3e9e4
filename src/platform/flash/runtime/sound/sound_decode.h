// Movie sound data as 16-bit PCM: DefineSound characters, the blocks of a timeline's stream
// sound, and MP3 files that Sound.loadSound fetched. Uncompressed (8 and 16 bit), ADPCM
// (2 to 5 bits), MP3 (through libsndfile), Nellymoser and Speex (through libavcodec) decode.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/flash/swf/movie.h"

namespace pencora::runtime {

struct SoundPcm {
    int rate = 44100;
    int channels = 1;
    std::vector<int16_t> samples;  // interleaved
    size_t frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
    double milliseconds() const { return rate > 0 ? 1000.0 * double(frames()) / rate : 0; }
};

// Null when the format is not one we decode or the data is broken.
std::shared_ptr<const SoundPcm> decodeSound(const swf::Sound& sound);

// One run of sound data in a given format. `data` is what follows the sound's header: for
// MP3 the frames themselves (without DefineSound's seek word).
std::shared_ptr<const SoundPcm> decodeSoundData(swf::SoundFormat format, int rate, bool is16Bit,
                                                bool stereo, std::span<const uint8_t> data);

// A whole MP3 file (ID3 tags allowed).
std::shared_ptr<const SoundPcm> decodeMp3File(std::span<const uint8_t> data);

// The stream sound of a timeline, decoded once: its PCM and where each frame's block starts
// (in frames of the PCM). Null when the timeline has no stream sound we can decode.
struct StreamSound {
    std::shared_ptr<const SoundPcm> pcm;
    std::vector<int64_t> frameStart;  // per timeline frame; -1 where no block starts
};
std::shared_ptr<const StreamSound> decodeStreamSound(const swf::Timeline& timeline);

}  // namespace pencora::runtime
