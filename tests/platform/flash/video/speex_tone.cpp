#include "speex_tone.h"

#include <string>

#include "tone_encoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace pencora::flash::video::test {

namespace {

constexpr int kRate = 16000;

AVCodecContext* openEncoder(int quality, bool variable, int framesPerPacket) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_SPEEX);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!c) {
        return nullptr;
    }
    c->sample_rate = kRate;
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&c->ch_layout, 1);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "frames_per_packet", std::to_string(framesPerPacket).c_str(), 0);
    if (variable) {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = quality * FF_QP2LAMBDA;
    } else {
        av_dict_set(&options, "cbr_quality", std::to_string(quality).c_str(), 0);
    }
    const int opened = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        avcodec_free_context(&c);
    }
    return c;
}

}  // namespace

std::vector<std::vector<uint8_t>> speexTone(double seconds, int quality, bool variable,
                                            int framesPerPacket) {
    std::vector<std::vector<uint8_t>> out;
    AVCodecContext* c = openEncoder(quality, variable, framesPerPacket);
    if (c) {
        encodeTone(c, 440.0, 16000, seconds,
                   [&](const AVPacket& p) { out.emplace_back(p.data, p.data + p.size); });
    }
    avcodec_free_context(&c);
    return out;
}

}  // namespace pencora::flash::video::test
