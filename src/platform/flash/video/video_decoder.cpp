#include "platform/flash/video/video_decoder.h"

#include <algorithm>
#include <cstring>

#include "platform/flash/video/deblock_filter.h"
#include "platform/flash/video/h263_decoder.h"
#include "platform/flash/video/video_packet.h"
#include "platform/flash/video/yuv_to_argb.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixfmt.h>
}

namespace pencora::flash::video {

namespace {

AVCodecID libraryCodec(int codecId) {
    switch (static_cast<VideoCodec>(codecId)) {
        case VideoCodec::SorensonH263:
            return AV_CODEC_ID_FLV1;
        case VideoCodec::ScreenVideo:
            return AV_CODEC_ID_FLASHSV;
        case VideoCodec::Vp6:
            return AV_CODEC_ID_VP6F;
        case VideoCodec::Vp6Alpha:
            return AV_CODEC_ID_VP6A;
        case VideoCodec::ScreenVideo2:
            return AV_CODEC_ID_FLASHSV2;
        case VideoCodec::Avc:
            return AV_CODEC_ID_H264;
    }
    return AV_CODEC_ID_NONE;
}

// Broken packets are expected input; the library's own complaints about them are noise.
void quietLibrary() {
    static const bool done = [] {
        av_log_set_level(AV_LOG_FATAL);
        return true;
    }();
    (void)done;
}

YuvPlanes planesOf(const AVFrame& f, int width, int height, bool alpha) {
    auto plane = [&](int i, int rows) {
        return std::span<const uint8_t>(f.data[i], size_t(f.linesize[i]) * size_t(rows));
    };
    YuvPlanes p;
    p.width = width;
    p.height = height;
    int chromaRows = (height + 1) / 2;
    p.y = plane(0, height);
    p.u = plane(1, chromaRows);
    p.v = plane(2, chromaRows);
    p.yStride = f.linesize[0];
    p.uStride = f.linesize[1];
    p.vStride = f.linesize[2];
    if (alpha) {
        p.a = plane(3, height);
        p.aStride = f.linesize[3];
    }
    return p;
}

void bgrToArgb(const AVFrame& f, int width, int height, std::span<uint32_t> out) {
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = f.data[0] + size_t(row) * f.linesize[0];
        uint32_t* dst = out.data() + size_t(row) * width;
        for (int col = 0; col < width; ++col) {
            const uint8_t* px = src + 3 * col;
            dst[col] = 0xff000000u | (uint32_t(px[2]) << 16) | (uint32_t(px[1]) << 8) | px[0];
        }
    }
}

// A copy of the picture's colour planes with the deblocking filter run over them; the
// decoder's own planes stay as they are for the frames that predict from them.
struct FilteredPlanes {
    std::vector<uint8_t> y, u, v;
};

YuvPlanes deblocked(YuvPlanes p, int strength, FilteredPlanes& out) {
    const int chromaWidth = (p.width + 1) / 2;
    const int chromaHeight = (p.height + 1) / 2;
    auto filtered = [strength](std::span<const uint8_t> from, int stride, int w, int h,
                               std::vector<uint8_t>& to) {
        to.assign(from.begin(), from.end());
        deblockPlane({to, w, h, stride}, strength);
        return std::span<const uint8_t>(to);
    };
    p.y = filtered(p.y, p.yStride, p.width, p.height, out.y);
    p.u = filtered(p.u, p.uStride, chromaWidth, chromaHeight, out.u);
    p.v = filtered(p.v, p.vStride, chromaWidth, chromaHeight, out.v);
    return p;
}

// Planar colour in ARGB, through the deblocking filter at `strength` when that is above 0.
DecodedFrame planarToArgb(const YuvPlanes& p, int strength) {
    DecodedFrame out{p.width, p.height, std::vector<uint32_t>(size_t(p.width) * size_t(p.height))};
    if (strength > 0) {
        FilteredPlanes copy;
        yuvToArgb(deblocked(p, strength, copy), out.pixels);
    } else {
        yuvToArgb(p, out.pixels);
    }
    return out;
}

// A Sorenson picture's visible part.
YuvPlanes planesOf(const h263::Picture& pic) {
    YuvPlanes p;
    p.width = pic.width;
    p.height = pic.height;
    p.y = pic.y;
    p.u = pic.u;
    p.v = pic.v;
    p.yStride = pic.lumaStride();
    p.uStride = p.vStride = pic.chromaStride();
    return p;
}

// The picture in ARGB, cropped to `width` x `height` (never larger than the frame), with the
// deblocking filter at `strength` when that is above 0 (planar pictures only).
std::optional<DecodedFrame> convert(const AVFrame& f, int width, int height, int strength) {
    // Frame strides are negative for codecs that store pictures bottom up; spans need them
    // positive, and every format here is stored top down.
    for (int i = 0; i < 4 && f.data[i]; ++i) {
        if (f.linesize[i] < 0) {
            return std::nullopt;
        }
    }
    if (f.format == AV_PIX_FMT_YUV420P || f.format == AV_PIX_FMT_YUVJ420P) {
        return planarToArgb(planesOf(f, width, height, false), strength);
    }
    DecodedFrame out{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    switch (f.format) {
        case AV_PIX_FMT_YUVA420P:
            yuvToArgb(planesOf(f, width, height, true), out.pixels);
            return out;
        case AV_PIX_FMT_BGR24:
            bgrToArgb(f, width, height, out.pixels);
            return out;
        default:
            return std::nullopt;
    }
}

// The largest picture decoded: 2880 x 2880, the largest bitmap the movies' player drew.
constexpr int64_t kMaxPixels = h263::kMaxPicturePixels;

}  // namespace

bool isKnownCodec(int codecId) {
    return libraryCodec(codecId) != AV_CODEC_ID_NONE;
}

struct VideoDecoder::State {
    int codecId = 0;
    PacketLayout layout = PacketLayout::Swf;
    int deblocking = 0;
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* latest = nullptr;
    std::vector<uint8_t> config;
    // Sorenson H.263 has a decoder of its own: its pictures depend on how the inverse
    // transform rounds, which the library offers no way to match.
    std::unique_ptr<h263::Decoder> h263;

    ~State() {
        avcodec_free_context(&context);
        av_packet_free(&packet);
        av_frame_free(&frame);
        av_frame_free(&latest);
    }

    bool open(std::span<const uint8_t> config = {}) {
        const AVCodec* codec = avcodec_find_decoder(libraryCodec(codecId));
        if (!codec) {
            return false;
        }
        context = avcodec_alloc_context3(codec);
        if (!packet) {
            packet = av_packet_alloc();
            frame = av_frame_alloc();
            latest = av_frame_alloc();
        }
        if (!context || !packet || !frame || !latest || !setExtradata(config)) {
            avcodec_free_context(&context);
            return false;
        }
        context->thread_count = 1;
        // A broken header may claim any size; no movie's video is larger than this.
        context->max_pixels = kMaxPixels;
        if (avcodec_open2(context, codec, nullptr) < 0) {
            avcodec_free_context(&context);
            return false;
        }
        return true;
    }

    // The codec's configuration, in a padded copy the context owns.
    bool setExtradata(std::span<const uint8_t> config) {
        if (config.empty()) {
            return true;
        }
        context->extradata =
            static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!context->extradata) {
            return false;
        }
        std::memcpy(context->extradata, config.data(), config.size());
        context->extradata_size = int(config.size());
        return true;
    }

    // The library reads a little past the end of its input: packets get padded copies.
    bool send(std::span<const uint8_t> payload) {
        av_packet_unref(packet);
        if (av_new_packet(packet, int(payload.size())) < 0) {
            return false;
        }
        if (!payload.empty()) {
            std::memcpy(packet->data, payload.data(), payload.size());
        }
        return avcodec_send_packet(context, packet) >= 0;
    }

    // The latest of the pictures the codec has ready.
    std::optional<DecodedFrame> receive(SizeAdjustment crop, int strength) {
        bool got = false;
        while (avcodec_receive_frame(context, frame) >= 0) {
            av_frame_unref(latest);
            av_frame_move_ref(latest, frame);
            got = true;
        }
        if (!got) {
            return std::nullopt;
        }
        int width = std::max(0, latest->width - crop.right);
        int height = std::max(0, latest->height - crop.bottom);
        std::optional<DecodedFrame> out;
        if (width > 0 && height > 0) {
            out = convert(*latest, width, height, strength);
        }
        av_frame_unref(latest);
        return out;
    }
};

VideoDecoder::VideoDecoder(int codecId, PacketLayout layout) : state_(std::make_unique<State>()) {
    quietLibrary();
    state_->codecId = codecId;
    state_->layout = layout;
    if (codecId == int(VideoCodec::SorensonH263)) {
        state_->h263 = std::make_unique<h263::Decoder>();
    } else if (!isKnownCodec(codecId) || !state_->open()) {
        state_->context = nullptr;
    }
}

VideoDecoder::~VideoDecoder() = default;
VideoDecoder::VideoDecoder(VideoDecoder&&) noexcept = default;
VideoDecoder& VideoDecoder::operator=(VideoDecoder&&) noexcept = default;

bool VideoDecoder::valid() const {
    return state_ && (state_->context || state_->h263);
}

int VideoDecoder::codecId() const {
    return state_ ? state_->codecId : 0;
}

std::optional<DecodedFrame> VideoDecoder::decode(std::span<const uint8_t> packet) {
    if (!valid() || packet.empty() || packet.size() > (1u << 28)) {
        return std::nullopt;
    }
    bool vp6 =
        state_->codecId == int(VideoCodec::Vp6) || state_->codecId == int(VideoCodec::Vp6Alpha);
    SizeAdjustment crop;
    if (vp6 && state_->layout == PacketLayout::Flv) {
        crop = sizeAdjustment(packet[0]);
    }
    std::span<const uint8_t> payload = codecPayload(state_->codecId, packet, state_->layout);
    if (state_->h263) {
        const h263::Picture* picture = state_->h263->decode(payload);
        if (!picture) {
            return std::nullopt;
        }
        return planarToArgb(planesOf(*picture), deblockingStrength(payload));
    }
    if (payload.empty() || !state_->send(payload)) {
        return std::nullopt;
    }
    return state_->receive(crop, deblockingStrength(payload));
}

void VideoDecoder::setDeblocking(int mode) {
    if (state_) {
        state_->deblocking = mode;
    }
}

int VideoDecoder::deblockingStrength(std::span<const uint8_t> payload) const {
    if (state_->codecId != int(VideoCodec::SorensonH263) || state_->deblocking == 1) {
        return 0;
    }
    const auto header = h263Deblocking(payload);
    if (!header || (state_->deblocking == 0 && !header->requested)) {
        return 0;
    }
    return deblockStrength(header->quantizer);
}

bool VideoDecoder::configure(std::span<const uint8_t> config) {
    if (!state_ || !isKnownCodec(state_->codecId) || config.size() > (1u << 20)) {
        return false;
    }
    if (state_->h263) {
        state_->h263->reset();
        return true;
    }
    // Streams repeat their sequence header before key frames; the same one changes nothing.
    if (valid() && std::ranges::equal(config, state_->config)) {
        return true;
    }
    avcodec_free_context(&state_->context);
    state_->config.assign(config.begin(), config.end());
    return state_->open(config);
}

std::optional<DecodedFrame> VideoDecoder::finish() {
    if (!valid() || state_->h263) {
        return std::nullopt;
    }
    std::optional<DecodedFrame> out;
    if (avcodec_send_packet(state_->context, nullptr) >= 0) {
        out = state_->receive({}, 0);
    }
    // A drained codec takes no more packets until it is flushed.
    avcodec_flush_buffers(state_->context);
    return out;
}

void VideoDecoder::reset() {
    if (state_ && state_->h263) {
        state_->h263->reset();
    } else if (valid()) {
        avcodec_flush_buffers(state_->context);
    }
}

}  // namespace pencora::flash::video
