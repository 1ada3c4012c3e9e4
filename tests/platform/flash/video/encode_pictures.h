// Pictures encoded at test time with the codec library's own encoders, one packet per picture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace pencora::flash::video::test {

using Packets = std::vector<std::vector<uint8_t>>;

// Encodes `frames` pictures, filled by `fill(frame, index)`, one packet per picture.
template <class Fill>
Packets encode(AVCodecID id, AVPixelFormat format, int width, int height, int frames, int gop,
               Fill fill, int quantizer = 0) {
    Packets out;
    const AVCodec* codec = avcodec_find_encoder(id);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!c) {
        return out;
    }
    c->width = width;
    c->height = height;
    c->pix_fmt = format;
    c->time_base = {1, 12};
    c->gop_size = std::min(gop, 600);
    // A whole new colour would otherwise start a new key frame.
    av_opt_set_int(c, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
    c->max_b_frames = 0;
    c->bit_rate = 400000;
    if (quantizer > 0) {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * quantizer;
    }
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    if (avcodec_open2(c, codec, nullptr) == 0 && f && p) {
        f->format = format;
        f->width = width;
        f->height = height;
        av_frame_get_buffer(f, 0);
        for (int i = 0; i < frames; ++i) {
            av_frame_make_writable(f);
            fill(*f, i);
            f->pts = i;
            if (quantizer > 0) {
                f->quality = c->global_quality;
            }
            avcodec_send_frame(c, f);
            while (avcodec_receive_packet(c, p) == 0) {
                out.emplace_back(p->data, p->data + p->size);
                av_packet_unref(p);
            }
        }
    }
    av_packet_free(&p);
    av_frame_free(&f);
    avcodec_free_context(&c);
    return out;
}

}  // namespace pencora::flash::video::test
