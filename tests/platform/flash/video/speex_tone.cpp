#include "speex_tone.h"

#include <cmath>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
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
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    if (c && f && p && c->frame_size > 0) {
        auto drain = [&] {
            while (avcodec_receive_packet(c, p) == 0) {
                out.emplace_back(p->data, p->data + p->size);
                av_packet_unref(p);
            }
        };
        const int total = int(seconds * kRate);
        for (int at = 0; at < total;) {
            f->format = c->sample_fmt;
            f->nb_samples = c->frame_size;
            av_channel_layout_copy(&f->ch_layout, &c->ch_layout);
            av_frame_get_buffer(f, 0);
            auto* s = reinterpret_cast<int16_t*>(f->data[0]);
            for (int i = 0; i < c->frame_size; ++i, ++at) {
                s[i] = int16_t(16000 * std::sin(2 * M_PI * 440.0 * at / kRate));
            }
            f->pts = at;
            avcodec_send_frame(c, f);
            av_frame_unref(f);
            drain();
        }
        avcodec_send_frame(c, nullptr);
        drain();
    }
    av_packet_free(&p);
    av_frame_free(&f);
    avcodec_free_context(&c);
    return out;
}

}  // namespace pencora::flash::video::test
