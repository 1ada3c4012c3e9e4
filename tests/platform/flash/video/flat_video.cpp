#include "flat_video.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace pencora::flash::video::test {

namespace {

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

void fillPlane(AVFrame& f, int plane, int rows, int cols, uint8_t value) {
    for (int r = 0; r < rows; ++r) {
        std::memset(f.data[plane] + size_t(r) * f.linesize[plane], value, size_t(cols));
    }
}

}  // namespace

Packets h263Packets(int width, int height, const std::vector<Yuv>& colors, int keyEvery) {
    return encode(AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P, width, height, int(colors.size()), keyEvery,
                  [&](AVFrame& f, int i) {
                      fillPlane(f, 0, height, width, colors[i].y);
                      fillPlane(f, 1, (height + 1) / 2, (width + 1) / 2, colors[i].u);
                      fillPlane(f, 2, (height + 1) / 2, (width + 1) / 2, colors[i].v);
                  });
}

Packets h263SplitPictures(int width, int height, Yuv left, Yuv right, int quantizer, int frames) {
    auto fillHalves = [&](AVFrame& f, int plane, int rows, int cols, uint8_t a, uint8_t b) {
        for (int r = 0; r < rows; ++r) {
            uint8_t* row = f.data[plane] + size_t(r) * f.linesize[plane];
            std::memset(row, a, size_t(cols / 2));
            std::memset(row + cols / 2, b, size_t(cols - cols / 2));
        }
    };
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    return encode(
        AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P, width, height, frames, 600,
        [&](AVFrame& f, int) {
            fillHalves(f, 0, height, width, left.y, right.y);
            fillHalves(f, 1, ch, cw, left.u, right.u);
            fillHalves(f, 2, ch, cw, left.v, right.v);
        },
        quantizer);
}

Packets screenVideoPackets(int width, int height, const std::vector<uint32_t>& colors) {
    return encode(AV_CODEC_ID_FLASHSV, AV_PIX_FMT_BGR24, width, height, int(colors.size()), 1,
                  [&](AVFrame& f, int i) {
                      for (int r = 0; r < height; ++r) {
                          uint8_t* px = f.data[0] + size_t(r) * f.linesize[0];
                          for (int x = 0; x < width; ++x) {
                              px[3 * x] = uint8_t(colors[i]);
                              px[3 * x + 1] = uint8_t(colors[i] >> 8);
                              px[3 * x + 2] = uint8_t(colors[i] >> 16);
                          }
                      }
                  });
}

}  // namespace pencora::flash::video::test
