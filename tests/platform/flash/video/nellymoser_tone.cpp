#include "nellymoser_tone.h"

#include "tone_encoding.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace pencora::flash::video::test {

std::vector<uint8_t> nellymoserTone(int rate, double hz, double seconds) {
    std::vector<uint8_t> out;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_NELLYMOSER);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!c) {
        return out;
    }
    c->sample_rate = rate;
    c->sample_fmt = AV_SAMPLE_FMT_FLT;
    av_channel_layout_default(&c->ch_layout, 1);
    if (avcodec_open2(c, codec, nullptr) == 0) {
        encodeTone(c, hz, 0.5, seconds,
                   [&](const AVPacket& p) { out.insert(out.end(), p.data, p.data + p.size); });
    }
    avcodec_free_context(&c);
    return out;
}

}  // namespace pencora::flash::video::test
