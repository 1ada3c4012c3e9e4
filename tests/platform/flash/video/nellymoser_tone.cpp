#include "nellymoser_tone.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
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
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    if (avcodec_open2(c, codec, nullptr) == 0 && f && p) {
        const int total = int(seconds * rate);
        int64_t at = 0;
        auto drain = [&] {
            while (avcodec_receive_packet(c, p) == 0) {
                out.insert(out.end(), p->data, p->data + p->size);
                av_packet_unref(p);
            }
        };
        while (at < total) {
            f->format = c->sample_fmt;
            f->nb_samples = c->frame_size;
            av_channel_layout_copy(&f->ch_layout, &c->ch_layout);
            av_frame_get_buffer(f, 0);
            auto* s = reinterpret_cast<float*>(f->data[0]);
            for (int i = 0; i < c->frame_size; ++i, ++at) {
                s[i] = float(0.5 * std::sin(2 * M_PI * hz * double(at) / rate));
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
