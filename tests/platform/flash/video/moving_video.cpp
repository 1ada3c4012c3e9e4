#include "moving_video.h"

#include <algorithm>
#include <cmath>

#include "encode_pictures.h"

namespace pencora::flash::video::test {

namespace {

// Rings and stripes: detail at every scale, so that blocks carry many coefficients.
uint8_t pattern(int x, int y, int scale) {
    const double r = std::hypot(x - 40.0, y - 30.0);
    const double v = 128 + 60 * std::sin(r / 3.0) + 40 * std::cos((x + 2 * y) / double(scale));
    return uint8_t(std::lround(std::fmin(235.0, std::fmax(16.0, v))));
}

void fill(AVFrame& f, int index) {
    const int dx = index * 3;
    const int dy = index * 2;
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            f.data[0][y * f.linesize[0] + x] = pattern(x + dx, y + dy, 5);
        }
    }
    for (int y = 0; y < (f.height + 1) / 2; ++y) {
        for (int x = 0; x < (f.width + 1) / 2; ++x) {
            f.data[1][y * f.linesize[1] + x] = pattern(2 * x + dx, 2 * y + dy, 9);
            f.data[2][y * f.linesize[2] + x] = uint8_t(255 - pattern(2 * x + dy, 2 * y + dx, 7));
        }
    }
}

Planes planesOf(const AVFrame& f) {
    Planes p{f.width, f.height, {}, {}, {}};
    auto copy = [](const AVFrame& f, int i, int w, int h, std::vector<uint8_t>& to) {
        for (int y = 0; y < h; ++y) {
            to.insert(to.end(), f.data[i] + y * f.linesize[i], f.data[i] + y * f.linesize[i] + w);
        }
    };
    copy(f, 0, f.width, f.height, p.y);
    copy(f, 1, (f.width + 1) / 2, (f.height + 1) / 2, p.u);
    copy(f, 2, (f.width + 1) / 2, (f.height + 1) / 2, p.v);
    return p;
}

std::vector<Planes> decodeAll(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<Planes> out;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_FLV1);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    if (c && f && p) {
        c->thread_count = 1;
        c->idct_algo = FF_IDCT_FAAN;
    }
    if (c && f && p && avcodec_open2(c, codec, nullptr) == 0) {
        for (const auto& packet : packets) {
            av_new_packet(p, int(packet.size()));
            std::copy(packet.begin(), packet.end(), p->data);
            avcodec_send_packet(c, p);
            av_packet_unref(p);
            while (avcodec_receive_frame(c, f) == 0) {
                out.push_back(planesOf(*f));
            }
        }
    }
    av_packet_free(&p);
    av_frame_free(&f);
    avcodec_free_context(&c);
    return out;
}

}  // namespace

EncodedClip movingClip(int width, int height, int frames, int quantizer) {
    EncodedClip clip;
    clip.packets =
        encode(AV_CODEC_ID_FLV1, AV_PIX_FMT_YUV420P, width, height, frames, 600, fill, quantizer);
    clip.decoded = decodeAll(clip.packets);
    return clip;
}

}  // namespace pencora::flash::video::test
