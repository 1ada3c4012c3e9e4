// Movie sound data from a hostile movie: the first byte picks the format, rate, size and
// channels as a DefineSound header would, the rest is the data. Every input decodes to some
// samples or to nothing, within the decoder's caps; then the mixer plays it with a loop and
// an envelope taken from the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/flash/runtime/sound/sound_decode.h"
#include "platform/flash/runtime/sound/sound_mixing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pencora;
    if (size < 1) {
        return 0;
    }
    const uint8_t head = data[0];
    const auto format = static_cast<swf::SoundFormat>(head >> 4);
    const int rate = int(swf::soundRateHz((head >> 2) & 3));
    std::span<const uint8_t> bytes(data + 1, size - 1);
    auto pcm = runtime::decodeSoundData(format, rate, head & 2, head & 1, bytes);
    if (!pcm) {
        return 0;
    }
    runtime::SoundMixer mixer;
    swf::SoundInfo info;
    info.loopCount = uint16_t(1 + (size % 3));
    info.inPoint = uint32_t(size % 97);
    info.outPoint = uint32_t(size % 5000);
    info.envelope = std::vector<swf::SoundEnvelopePoint>{{0, uint16_t(head << 7), 32768},
                                                         {uint32_t(size), 0, uint16_t(size)}};
    mixer.start(pcm, info, nullptr, 1);
    std::vector<int16_t> out(2 * 4096);
    for (int i = 0; i < 8 && mixer.voiceCount() > 0; ++i) {
        mixer.mix(out.data(), 4096);
    }
    return 0;
}
