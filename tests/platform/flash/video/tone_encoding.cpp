#include "tone_encoding.h"

#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

namespace pencora::flash::video::test {

void encodeTone(AVCodecContext* c, double hz, double amplitude, double seconds,
                const std::function<void(const AVPacket&)>& packet) {
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    if (f && p && c->frame_size > 0) {
        auto drain = [&] {
            while (avcodec_receive_packet(c, p) == 0) {
                packet(*p);
                av_packet_unref(p);
            }
        };
        const int rate = c->sample_rate;
        const int64_t total = int64_t(seconds * rate);
        for (int64_t at = 0; at < total;) {
            f->format = c->sample_fmt;
            f->nb_samples = c->frame_size;
            av_channel_layout_copy(&f->ch_layout, &c->ch_layout);
            av_frame_get_buffer(f, 0);
            for (int i = 0; i < c->frame_size; ++i, ++at) {
                const double v = amplitude * std::sin(2 * M_PI * hz * double(at) / rate);
                if (c->sample_fmt == AV_SAMPLE_FMT_FLT) {
                    reinterpret_cast<float*>(f->data[0])[i] = float(v);
                } else {
                    reinterpret_cast<int16_t*>(f->data[0])[i] = int16_t(v);
                }
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
}

}  // namespace pencora::flash::video::test
