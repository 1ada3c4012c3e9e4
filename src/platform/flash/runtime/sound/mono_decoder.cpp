#include "platform/flash/runtime/sound/mono_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

namespace pencora::runtime {

namespace {

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

}  // namespace

MonoDecoder::~MonoDecoder() {
    avcodec_free_context(&context_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
}

bool MonoDecoder::open(const AVCodec* codec, int rate) {
    context_ = codec ? avcodec_alloc_context3(codec) : nullptr;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!context_ || !packet_ || !frame_) {
        return false;
    }
    context_->sample_rate = rate;
    av_channel_layout_default(&context_->ch_layout, 1);
    return avcodec_open2(context_, codec, nullptr) == 0;
}

void MonoDecoder::decode(std::span<const uint8_t> bytes, size_t maxSamples,
                         std::vector<int16_t>& out) {
    av_packet_unref(packet_);
    if (!bytes.empty()) {
        if (av_new_packet(packet_, int(bytes.size())) < 0) {
            return;
        }
        std::memcpy(packet_->data, bytes.data(), bytes.size());
    }
    if (avcodec_send_packet(context_, bytes.empty() ? nullptr : packet_) < 0) {
        return;
    }
    while (avcodec_receive_frame(context_, frame_) == 0) {
        appendFrame(*frame_, maxSamples, out);
        av_frame_unref(frame_);
    }
}

}  // namespace pencora::runtime
