#include "platform/flash/runtime/sound/nellymoser_decode.h"

#include "platform/flash/runtime/sound/mono_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace pencora::runtime {

namespace {

constexpr size_t kBlockBytes = 64;

}  // namespace

bool decodeNellymoser(std::span<const uint8_t> data, int rate, size_t maxSamples,
                      std::vector<int16_t>& out) {
    av_log_set_level(AV_LOG_FATAL);
    MonoDecoder d;
    if (rate <= 0 || !d.open(avcodec_find_decoder(AV_CODEC_ID_NELLYMOSER), rate)) {
        return false;
    }
    for (size_t at = 0; at + kBlockBytes <= data.size() && out.size() < maxSamples;
         at += kBlockBytes) {
        d.decode(data.subspan(at, kBlockBytes), maxSamples, out);
    }
    return true;
}

}  // namespace pencora::runtime
