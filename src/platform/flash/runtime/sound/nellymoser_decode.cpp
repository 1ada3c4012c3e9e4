#include "platform/flash/runtime/sound/nellymoser_decode.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

namespace pencora::runtime {

namespace {

constexpr size_t kBlockBytes = 64;

int16_t toSample(float v) {
    return int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

// Interleaved or planar float, or 16-bit: the mono samples of one decoded frame.
void appendFrame(const AVFrame& f, size_t maxSamples, std::vector<int16_t>& out) {
    for (int i = 0; i < f.nb_samples && out.size() < maxSamples; ++i) {
        if (f.format == AV_SAMPLE_FMT_FLT || f.format == AV_SAMPLE_FMT_FLTP) {
            out.push_back(toSample(reinterpret_cast<const float*>(f.data[0])[i]));
        } else if (f.format == AV_SAMPLE_FMT_S16 || f.format == AV_SAMPLE_FMT_S16P) {
            out.push_back(reinterpret_cast<const int16_t*>(f.data[0])[i]);
        }
    }
}

struct Decoder {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    ~Decoder() {
        avcodec_free_context(&context);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
    bool open(int rate) {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_NELLYMOSER);
        context = codec ? avcodec_alloc_context3(codec) : nullptr;
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        if (!context || !packet || !frame) {
            return false;
        }
        context->sample_rate = rate;
        av_channel_layout_default(&context->ch_layout, 1);
        return avcodec_open2(context, codec, nullptr) == 0;
    }
};

}  // namespace

bool decodeNellymoser(std::span<const uint8_t> data, int rate, size_t maxSamples,
                      std::vector<int16_t>& out) {
    av_log_set_level(AV_LOG_FATAL);
    Decoder d;
    if (rate <= 0 || !d.open(rate)) {
        return false;
    }
    for (size_t at = 0; at + kBlockBytes <= data.size() && out.size() < maxSamples;
         at += kBlockBytes) {
        av_packet_unref(d.packet);
        if (av_new_packet(d.packet, int(kBlockBytes)) < 0) {
            break;
        }
        std::memcpy(d.packet->data, data.data() + at, kBlockBytes);
        if (avcodec_send_packet(d.context, d.packet) < 0) {
            continue;
        }
        while (avcodec_receive_frame(d.context, d.frame) == 0) {
            appendFrame(*d.frame, maxSamples, out);
            av_frame_unref(d.frame);
        }
    }
    return true;
}

}  // namespace pencora::runtime
