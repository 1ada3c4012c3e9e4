#include "platform/flash/runtime/sound/speex_decode.h"

#include "platform/flash/runtime/sound/mono_decoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace pencora::runtime {

namespace {

constexpr int kRate = 16000;

// Bits of a frame's narrowband layer by its mode (0..8), counting the layer bit and the
// 4-bit mode; and of the wideband layer by its mode (0..4), counting its bit and 3-bit mode.
constexpr std::array<int, 9> kNarrowbandBits = {5, 43, 119, 160, 220, 300, 364, 492, 79};
constexpr std::array<int, 5> kWidebandBits = {4, 36, 112, 192, 352};
constexpr int kTerminator = 15;

// Reads bits most significant first; past the end it reads zeros.
uint32_t bitsAt(std::span<const uint8_t> data, size_t pos, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++pos) {
        const size_t byte = pos / 8;
        const uint32_t bit = byte < data.size() ? (data[byte] >> (7 - pos % 8)) & 1u : 0u;
        value = (value << 1) | bit;
    }
    return value;
}

// The size in bits of the frame at bit `pos`, or 0 where no frame starts.
size_t frameBits(std::span<const uint8_t> data, size_t pos) {
    if (bitsAt(data, pos, 1) != 0) {
        return 0;  // a frame starts with its narrowband layer
    }
    const uint32_t mode = bitsAt(data, pos + 1, 4);
    if (mode == kTerminator || mode >= kNarrowbandBits.size()) {
        return 0;
    }
    size_t bits = size_t(kNarrowbandBits[mode]);
    if (bitsAt(data, pos + bits, 1) == 1) {
        const uint32_t wide = bitsAt(data, pos + bits + 1, 3);
        if (wide >= kWidebandBits.size()) {
            return 0;
        }
        bits += size_t(kWidebandBits[wide]);
    }
    return bits;
}

// The bits from `from` to the byte boundary `to` are the padding an encoder puts after a
// packet's last frame: a 0, then 1s (a terminator mode, cut to the byte).
bool isPadding(std::span<const uint8_t> data, size_t from, size_t to) {
    const int count = int(to - from);
    return bitsAt(data, from, count) == (1u << (count - 1)) - 1u;
}

}  // namespace

std::vector<SpeexPacket> speexPackets(std::span<const uint8_t> data) {
    std::vector<SpeexPacket> packets;
    const size_t end = data.size() * 8;
    size_t start = 0;  // bit where the packet being cut starts, always on a byte
    size_t pos = 0;
    int frames = 0;
    auto cut = [&](size_t to) {
        packets.push_back({data.subspan(start / 8, (to - start) / 8), frames});
        start = pos = to;
        frames = 0;
    };
    while (pos < end) {
        const size_t bits = frameBits(data, pos);
        if (bits == 0 || bits > end - pos) {
            break;
        }
        pos += bits;
        ++frames;
        const size_t boundary = (pos + 7) / 8 * 8;
        if (boundary == pos || boundary >= end || isPadding(data, pos, boundary)) {
            cut(std::min(boundary, end));
        }
    }
    if (frames > 0 && pos <= end) {
        cut((pos + 7) / 8 * 8);
    }
    return packets;
}

bool decodeSpeex(std::span<const uint8_t> data, size_t maxSamples, std::vector<int16_t>& out) {
    av_log_set_level(AV_LOG_FATAL);
    // The Speex library's own decoder takes packets of several frames; the built-in one
    // only the first of them.
    const AVCodec* codec = avcodec_find_decoder_by_name("libspeex");
    if (!codec) {
        codec = avcodec_find_decoder(AV_CODEC_ID_SPEEX);
    }
    MonoDecoder d;
    if (!d.open(codec, kRate)) {
        return false;
    }
    for (const SpeexPacket& packet : speexPackets(data)) {
        if (out.size() >= maxSamples) {
            break;
        }
        d.decode(packet.bytes, maxSamples, out);
    }
    d.decode({}, maxSamples, out);
    return true;
}

}  // namespace pencora::runtime
