#include "platform/flash/flv/flv_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
}

namespace pencora::flv {

namespace {

// A whole file's audio is held in memory; more than an hour of it is not decoded.
constexpr size_t kMaxSamples = size_t(48000) * 2 * 3600;

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

int16_t clampSample(double v) {
    return int16_t(std::clamp(std::lround(v), -32768L, 32767L));
}

// Sample `i` of channel `c` of a decoded frame, as a 16-bit value.
int16_t sampleAt(const AVFrame& f, int c, int i) {
    const auto format = AVSampleFormat(f.format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int channels = f.ch_layout.nb_channels;
    const uint8_t* base = planar ? f.extended_data[c] : f.extended_data[0];
    const int index = planar ? i : i * channels + c;
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_U8:
            return int16_t((int(base[index]) - 128) << 8);
        case AV_SAMPLE_FMT_S16: {
            int16_t v;
            std::memcpy(&v, base + size_t(index) * 2, 2);
            return v;
        }
        case AV_SAMPLE_FMT_S32: {
            int32_t v;
            std::memcpy(&v, base + size_t(index) * 4, 4);
            return int16_t(v >> 16);
        }
        case AV_SAMPLE_FMT_FLT: {
            float v;
            std::memcpy(&v, base + size_t(index) * 4, 4);
            return clampSample(double(v) * 32767.0);
        }
        case AV_SAMPLE_FMT_DBL: {
            double v;
            std::memcpy(&v, base + size_t(index) * 8, 8);
            return clampSample(v * 32767.0);
        }
        default:
            return 0;
    }
}

// Appends a decoded frame, folded to the output's channel count.
void appendFrame(const AVFrame& f, Pcm& out) {
    const int channels = f.ch_layout.nb_channels;
    if (channels <= 0 || out.samples.size() + size_t(f.nb_samples) * 2 > kMaxSamples) {
        return;
    }
    for (int i = 0; i < f.nb_samples; ++i) {
        for (int c = 0; c < out.channels; ++c) {
            out.samples.push_back(sampleAt(f, std::min(c, channels - 1), i));
        }
    }
}

// Speex tags may hold several frames: the Speex library's own decoder takes them all, the
// built-in one only the first.
const AVCodec* findDecoder(int decoderId) {
    if (decoderId == AV_CODEC_ID_SPEEX) {
        if (const AVCodec* codec = avcodec_find_decoder_by_name("libspeex")) {
            return codec;
        }
    }
    return avcodec_find_decoder(AVCodecID(decoderId));
}

std::unique_ptr<AVCodecContext, CodecDeleter> openDecoder(const StreamInfo& info) {
    const AVCodec* codec = findDecoder(info.decoderId);
    if (!codec) {
        return nullptr;
    }
    std::unique_ptr<AVCodecContext, CodecDeleter> c(avcodec_alloc_context3(codec));
    if (!c) {
        return nullptr;
    }
    c->sample_rate = info.sampleRate;
    av_channel_layout_default(&c->ch_layout, std::clamp(info.channels, 1, 2));
    if (!info.extra.empty()) {
        c->extradata =
            static_cast<uint8_t*>(av_mallocz(info.extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!c->extradata) {
            return nullptr;
        }
        std::memcpy(c->extradata, info.extra.data(), info.extra.size());
        c->extradata_size = int(info.extra.size());
    }
    if (avcodec_open2(c.get(), codec, nullptr) < 0) {
        return nullptr;
    }
    return c;
}

// Takes every frame the decoder has ready; the first fixes the output's rate and channels.
void drain(AVCodecContext& c, AVFrame& frame, Pcm& out, bool& started) {
    while (avcodec_receive_frame(&c, &frame) >= 0) {
        if (!started && frame.sample_rate > 0) {
            out.rate = frame.sample_rate;
            out.channels = std::clamp(frame.ch_layout.nb_channels, 1, 2);
            started = true;
        }
        if (started) {
            appendFrame(frame, out);
        }
        av_frame_unref(&frame);
    }
}

// A sequence header part way through the stream reaches the decoder with the packet after it.
void addNewConfig(AVPacket& packet, const std::vector<uint8_t>& config) {
    if (config.empty()) {
        return;
    }
    uint8_t* side = av_packet_new_side_data(&packet, AV_PKT_DATA_NEW_EXTRADATA, config.size());
    if (side) {
        std::memcpy(side, config.data(), config.size());
    }
}

}  // namespace

std::optional<Pcm> decodeAudio(const File& file) {
    if (!file.audio.present) {
        return std::nullopt;
    }
    auto c = openDecoder(file.audio);
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (!c || !frame || !packet) {
        return std::nullopt;
    }
    Pcm out;
    bool started = false;
    bool first = true;
    for (const Packet& p : file.packets) {
        if (p.kind != PacketKind::Audio || p.bytes.empty()) {
            continue;
        }
        if (first) {
            out.startMs = p.ms;
            first = false;
        }
        if (av_new_packet(packet.get(), int(p.bytes.size())) < 0) {
            break;
        }
        std::memcpy(packet->data, p.bytes.data(), p.bytes.size());
        addNewConfig(*packet, p.config);
        if (avcodec_send_packet(c.get(), packet.get()) >= 0) {
            drain(*c, *frame, out, started);
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(c.get(), nullptr);
    drain(*c, *frame, out, started);
    if (!started || out.samples.empty()) {
        return std::nullopt;
    }
    return out;
}

}  // namespace pencora::flv
