#include "platform/flash/flv/flv_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/flash/flv/script_data.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace pencora::flv {

namespace {

constexpr int kIoBufferSize = 32 * 1024;
constexpr size_t kHeaderSize = 9;  // signature, version, flags, header size

// The caller's bytes as libavformat reads them.
struct MemoryInput {
    std::span<const uint8_t> bytes;
    int64_t pos = 0;
};

int readInput(void* opaque, uint8_t* buffer, int size) {
    auto* in = static_cast<MemoryInput*>(opaque);
    const int64_t left = int64_t(in->bytes.size()) - in->pos;
    if (left <= 0) {
        return AVERROR_EOF;
    }
    const int n = int(std::min<int64_t>(left, size));
    std::memcpy(buffer, in->bytes.data() + in->pos, size_t(n));
    in->pos += n;
    return n;
}

int64_t seekInput(void* opaque, int64_t offset, int whence) {
    auto* in = static_cast<MemoryInput*>(opaque);
    const int64_t size = int64_t(in->bytes.size());
    int64_t to = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            to = offset;
            break;
        case SEEK_CUR:
            to = in->pos + offset;
            break;
        case SEEK_END:
            to = size + offset;
            break;
        default:
            return -1;
    }
    if (to < 0 || to > size) {
        return -1;
    }
    in->pos = to;
    return to;
}

struct IoDeleter {
    void operator()(AVIOContext* io) const {
        if (io) {
            av_freep(&io->buffer);
        }
        avio_context_free(&io);
    }
};
struct FormatDeleter {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

struct CodecRow {
    AVCodecID id;
    int codec;
};
constexpr CodecRow kAudioCodecs[] = {
    {AV_CODEC_ID_PCM_U8, audio_codec::PcmLittle},
    {AV_CODEC_ID_PCM_S16LE, audio_codec::PcmLittle},
    {AV_CODEC_ID_PCM_S16BE, audio_codec::PcmNative},
    {AV_CODEC_ID_ADPCM_SWF, audio_codec::Adpcm},
    {AV_CODEC_ID_MP3, audio_codec::Mp3},
    {AV_CODEC_ID_NELLYMOSER, audio_codec::Nellymoser},
    {AV_CODEC_ID_AAC, audio_codec::Aac},
    {AV_CODEC_ID_SPEEX, audio_codec::Speex},
};
constexpr CodecRow kVideoCodecs[] = {
    {AV_CODEC_ID_FLV1, video_codec::SorensonH263},
    {AV_CODEC_ID_FLASHSV, video_codec::ScreenVideo},
    {AV_CODEC_ID_VP6F, video_codec::Vp6},
    {AV_CODEC_ID_VP6A, video_codec::Vp6Alpha},
    {AV_CODEC_ID_FLASHSV2, video_codec::ScreenVideo2},
    {AV_CODEC_ID_H264, video_codec::Avc},
};

int codecNumber(AVMediaType type, AVCodecID id) {
    const auto rows = type == AVMEDIA_TYPE_AUDIO ? std::span<const CodecRow>(kAudioCodecs)
                                                 : std::span<const CodecRow>(kVideoCodecs);
    for (const CodecRow& row : rows) {
        if (row.id == id) {
            return row.codec;
        }
    }
    return -1;
}

StreamInfo streamInfo(const AVStream& stream) {
    const AVCodecParameters& p = *stream.codecpar;
    StreamInfo info;
    info.present = true;
    info.codec = codecNumber(p.codec_type, p.codec_id);
    info.decoderId = int(p.codec_id);
    info.sampleRate = p.sample_rate;
    info.channels = p.ch_layout.nb_channels;
    info.width = p.width;
    info.height = p.height;
    if (p.extradata && p.extradata_size > 0) {
        info.extra.assign(p.extradata, p.extradata + p.extradata_size);
    }
    return info;
}

// Opens the FLV demuxer over `in`; null when libavformat does not take the bytes.
std::unique_ptr<AVFormatContext, FormatDeleter> openInput(
    MemoryInput& in, std::unique_ptr<AVIOContext, IoDeleter>& io) {
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (!buffer) {
        return nullptr;
    }
    io.reset(avio_alloc_context(buffer, kIoBufferSize, 0, &in, readInput, nullptr, seekInput));
    if (!io) {
        av_free(buffer);
        return nullptr;
    }
    AVFormatContext* f = avformat_alloc_context();
    if (!f) {
        return nullptr;
    }
    f->pb = io.get();
    f->flags |= AVFMT_FLAG_CUSTOM_IO;
    const AVInputFormat* flvFormat = av_find_input_format("flv");
    if (avformat_open_input(&f, nullptr, flvFormat, nullptr) < 0) {
        return nullptr;  // avformat_open_input frees the context on failure
    }
    return std::unique_ptr<AVFormatContext, FormatDeleter>(f);
}

double toMs(int64_t t, const AVStream& s) {
    return double(t) * 1000.0 * s.time_base.num / s.time_base.den;
}

// The tag's own time (the decoding time) and how much later the picture shows.
void setTimes(const AVPacket& p, const AVStream& s, Packet& out) {
    const int64_t decodeAt = p.dts != AV_NOPTS_VALUE ? p.dts : p.pts;
    if (decodeAt == AV_NOPTS_VALUE) {
        return;
    }
    out.ms = toMs(decodeAt, s);
    if (p.pts != AV_NOPTS_VALUE) {
        out.compositionMs = toMs(p.pts, s) - out.ms;
    }
}

// A sequence header that replaces the stream's configuration part way through the file.
std::vector<uint8_t> newConfig(const AVPacket& p) {
    size_t size = 0;
    const uint8_t* data = av_packet_get_side_data(&p, AV_PKT_DATA_NEW_EXTRADATA, &size);
    if (!data || size == 0) {
        return {};
    }
    return {data, data + size};
}

void readPackets(AVFormatContext& f, File& file) {
    std::unique_ptr<AVPacket, PacketDeleter> p(av_packet_alloc());
    int audioIndex = -1;
    int videoIndex = -1;
    while (p && av_read_frame(&f, p.get()) >= 0) {
        const AVStream& s = *f.streams[p->stream_index];
        const AVMediaType type = s.codecpar->codec_type;
        if (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO) {
            const bool audio = type == AVMEDIA_TYPE_AUDIO;
            int& index = audio ? audioIndex : videoIndex;
            if (index < 0) {
                index = p->stream_index;
            }
            if (index == p->stream_index && p->size > 0) {
                Packet out;
                out.kind = audio ? PacketKind::Audio : PacketKind::Video;
                out.codec = codecNumber(type, s.codecpar->codec_id);
                setTimes(*p, s, out);
                out.keyframe = (p->flags & AV_PKT_FLAG_KEY) != 0;
                out.bytes.assign(p->data, p->data + p->size);
                out.config = newConfig(*p);
                file.packets.push_back(std::move(out));
            }
        }
        av_packet_unref(p.get());
    }
    // Parameters as the demuxer knows them once every tag was seen.
    if (audioIndex >= 0) {
        file.audio = streamInfo(*f.streams[audioIndex]);
    }
    if (videoIndex >= 0) {
        file.video = streamInfo(*f.streams[videoIndex]);
    }
}

// A positive number of onMetaData, or 0.
double metadataNumber(const ScriptValue& meta, const char* key) {
    for (const auto& [name, value] : meta.members) {
        if (name == key && value.type == ScriptValue::Type::Number && value.number > 0 &&
            value.number < 1e9) {
            return value.number;
        }
    }
    return 0;
}

}  // namespace

bool looksLikeFlv(std::span<const uint8_t> bytes) {
    return bytes.size() >= kHeaderSize && bytes[0] == 'F' && bytes[1] == 'L' && bytes[2] == 'V';
}

std::optional<File> readFile(std::span<const uint8_t> bytes) {
    if (!looksLikeFlv(bytes)) {
        return std::nullopt;
    }
    av_log_set_level(AV_LOG_QUIET);
    MemoryInput in{bytes, 0};
    std::unique_ptr<AVIOContext, IoDeleter> io;
    File file;
    {
        auto f = openInput(in, io);
        if (!f) {
            return std::nullopt;
        }
        readPackets(*f, file);
    }
    file.metadata = readMetadata(bytes);
    if (file.metadata) {
        file.durationMs = metadataNumber(*file.metadata, "duration") * 1000.0;
        // The demuxer learns no picture size without decoding; the file's header says it.
        if (file.video.present && file.video.width <= 0) {
            file.video.width = int(metadataNumber(*file.metadata, "width"));
            file.video.height = int(metadataNumber(*file.metadata, "height"));
        }
    }
    if (file.durationMs <= 0 && !file.packets.empty()) {
        for (const Packet& p : file.packets) {
            file.durationMs = std::max(file.durationMs, p.ms);
        }
    }
    return file;
}

}  // namespace pencora::flv
