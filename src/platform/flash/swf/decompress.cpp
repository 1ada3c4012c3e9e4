#include "platform/flash/swf/decompress.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>

#include "platform/flash/swf/movie.h"

namespace pencora::swf::detail {

namespace {
constexpr size_t kChunk = 64 * 1024;
}

Inflated inflateCapped(std::span<const uint8_t> data, size_t maxOutput) {
    Inflated out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return out;
    }
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(std::min<size_t>(data.size(), UINT32_MAX));
    for (;;) {
        size_t have = out.bytes.size();
        if (have >= maxOutput) {
            out.complete = true;
            break;
        }
        size_t grow = std::min(kChunk, maxOutput - have);
        out.bytes.resize(have + grow);
        z.next_out = out.bytes.data() + have;
        z.avail_out = static_cast<uInt>(grow);
        int rc = inflate(&z, Z_NO_FLUSH);
        out.bytes.resize(have + (grow - z.avail_out));
        if (rc == Z_STREAM_END) {
            out.complete = true;
            break;
        }
        if (rc != Z_OK) {
            break;  // Z_BUF_ERROR: input ran out; others: corrupt data
        }
    }
    inflateEnd(&z);
    return out;
}

Inflated unlzmaCapped(std::span<const uint8_t> propsAndData, size_t maxOutput,
                      size_t dictionaryLimit) {
    Inflated out;
    if (propsAndData.size() < 5) {
        return out;
    }
    // The stream is a ".lzma" (LZMA_alone) stream without its 8-byte length field; put an
    // "unknown length" field back so liblzma's decoder accepts it.
    std::vector<uint8_t> alone;
    alone.reserve(propsAndData.size() + 8);
    alone.insert(alone.end(), propsAndData.begin(), propsAndData.begin() + 5);
    // No match reaches further back than the output so far, so a dictionary larger than the
    // movie buys nothing; the header's own claim (up to a gigabyte for a file of a few hundred
    // bytes) would be allocated whole.
    const uint64_t enough = std::max<uint64_t>(std::min(maxOutput, dictionaryLimit), 4096);
    uint32_t dictionary = 0;
    for (int i = 4; i >= 1; --i) {
        dictionary = (dictionary << 8) | alone[size_t(i)];
    }
    if (dictionary > enough) {
        for (int i = 1; i <= 4; ++i) {
            alone[size_t(i)] = uint8_t(enough >> (8 * (i - 1)));
        }
    }
    alone.insert(alone.end(), 8, 0xff);
    alone.insert(alone.end(), propsAndData.begin() + 5, propsAndData.end());

    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&s, UINT64_C(1) << 30) != LZMA_OK) {
        return out;
    }
    s.next_in = alone.data();
    s.avail_in = alone.size();
    for (;;) {
        size_t have = out.bytes.size();
        if (have >= maxOutput) {
            out.complete = true;
            break;
        }
        size_t grow = std::min(kChunk, maxOutput - have);
        out.bytes.resize(have + grow);
        s.next_out = out.bytes.data() + have;
        s.avail_out = grow;
        lzma_ret rc = lzma_code(&s, s.avail_in == 0 ? LZMA_FINISH : LZMA_RUN);
        out.bytes.resize(have + (grow - s.avail_out));
        if (rc == LZMA_STREAM_END) {
            out.complete = true;
            break;
        }
        if (rc != LZMA_OK) {
            break;  // no end marker (the usual case: the length is known), or corrupt
        }
        if (s.avail_in == 0 && s.avail_out != 0 && out.bytes.size() == have) {
            break;  // no progress possible
        }
    }
    lzma_end(&s);
    return out;
}

}  // namespace pencora::swf::detail

namespace pencora::swf {

std::optional<Bytes> inflateZlib(std::span<const uint8_t> data, size_t maxOutput) {
    auto result = detail::inflateCapped(data, maxOutput);
    if (result.bytes.empty() && !result.complete) {
        return std::nullopt;
    }
    return std::move(result.bytes);
}

}  // namespace pencora::swf
