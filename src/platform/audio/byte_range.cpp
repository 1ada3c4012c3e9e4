#include "platform/audio/byte_range.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pencora::audio {

namespace {

// How far past a requested offset we look for the next MPEG frame. The longest legal frame
// is under 3 KiB; junk or a tag between frames is allowed a little more.
constexpr int64_t kResyncWindow = 64 * 1024;

// Layer III frames may take up to 511 bytes of their data from the frames before them.
constexpr int64_t kReservoirBytes = 511;
// How far before a cut we look for those frames: a few of the longest legal frames.
constexpr int64_t kPrerollSearch = 6 * 1441;

struct MpegHeader {
    int version;  // 1, 2, or 25 for 2.5
    int layer;    // 1..3
    int sampleRate;
    int frameBytes;
    int samples;  // per channel per frame
};

bool parseMpegHeader(const uint8_t* p, MpegHeader& out) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3) {
        return false;  // reserved values, or a free-format frame whose length we cannot know
    }
    static constexpr int kRates[3] = {44100, 48000, 32000};
    static constexpr int kKbps[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // v1 layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // v1 layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // v1 layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // v2 layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // v2 layer II, III
    };
    out.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    out.layer = 4 - layerBits;
    out.sampleRate = kRates[rateIndex] >> (out.version == 1 ? 0 : out.version == 2 ? 1 : 2);
    const int table = out.version == 1 ? out.layer - 1 : (out.layer == 1 ? 3 : 4);
    const int bitrate = kKbps[table][bitrateIndex] * 1000;
    if (out.layer == 1) {
        out.frameBytes = (12 * bitrate / out.sampleRate + padding) * 4;
    } else if (out.layer == 3 && out.version != 1) {
        out.frameBytes = 72 * bitrate / out.sampleRate + padding;
    } else {
        out.frameBytes = 144 * bitrate / out.sampleRate + padding;
    }
    out.samples = out.layer == 1 ? 384 : (out.layer == 3 && out.version != 1) ? 576 : 1152;
    return out.frameBytes >= 4;
}

// Frames from `at` that end exactly at `target`, or -1 when the chain misses it.
int chainLength(std::span<const uint8_t> bytes, int64_t at, int64_t target) {
    int count = 0;
    MpegHeader h;
    while (at < target && at + 4 <= static_cast<int64_t>(bytes.size()) &&
           parseMpegHeader(bytes.data() + at, h)) {
        at += h.frameBytes;
        ++count;
    }
    return at == target ? count : -1;
}

}  // namespace

int64_t findMpegFrame(std::span<const uint8_t> bytes, int64_t from) {
    const int64_t n = static_cast<int64_t>(bytes.size());
    for (int64_t at = std::max<int64_t>(from, 0); at + 4 <= n; ++at) {
        MpegHeader first;
        if (!parseMpegHeader(bytes.data() + at, first)) {
            continue;
        }
        const int64_t next = at + first.frameBytes;
        if (next + 4 > n) {
            return next <= n ? at : -1;  // the last frame of the data, or a torn one
        }
        MpegHeader second;
        if (parseMpegHeader(bytes.data() + next, second) && second.version == first.version &&
            second.layer == first.layer && second.sampleRate == first.sampleRate) {
            return at;
        }
    }
    return -1;
}

bool looksLikeMpeg(std::span<const uint8_t> head) {
    if (head.size() >= 3 && std::memcmp(head.data(), "ID3", 3) == 0) {
        return true;
    }
    MpegHeader h;
    return head.size() >= 4 && parseMpegHeader(head.data(), h);
}

std::unique_ptr<ByteRange> ByteRange::openFile(const std::filesystem::path& path, uint64_t offset,
                                               uint64_t length) {
    std::unique_ptr<ByteRange> range(new ByteRange);
    range->file_.open(path, std::ios::binary);
    if (!range->file_) {
        return nullptr;
    }
    range->file_.seekg(0, std::ios::end);
    const std::streamoff total = range->file_.tellg();
    if (total < 0 || !range->place(offset, length, static_cast<uint64_t>(total))) {
        return nullptr;
    }
    return range;
}

std::unique_ptr<ByteRange> ByteRange::openMemory(std::span<const uint8_t> bytes, uint64_t offset,
                                                 uint64_t length) {
    std::unique_ptr<ByteRange> range(new ByteRange);
    range->fromMemory_ = true;
    range->memory_ = bytes;
    if (!range->place(offset, length, bytes.size())) {
        return nullptr;
    }
    return range;
}

bool ByteRange::place(uint64_t offset, uint64_t length, uint64_t total) {
    if (offset >= total) {
        return false;
    }
    begin_ = static_cast<int64_t>(offset);
    end_ = length == 0 || length > total - offset ? static_cast<int64_t>(total)
                                                  : static_cast<int64_t>(offset + length);
    if (offset == 0) {
        return true;
    }
    // A window into MPEG audio starts at the first whole frame inside it.
    uint8_t head[10] = {};
    const int64_t headBytes = readAbsolute(0, head, sizeof head);
    if (!looksLikeMpeg(std::span(head, static_cast<size_t>(headBytes)))) {
        return true;
    }
    // The successor of a frame may lie past the window's end; look at the file's bytes.
    std::vector<uint8_t> ahead(
        static_cast<size_t>(std::min(static_cast<int64_t>(total) - begin_, kResyncWindow)));
    const int64_t got = readAbsolute(begin_, ahead.data(), static_cast<int64_t>(ahead.size()));
    ahead.resize(static_cast<size_t>(got));
    const int64_t frame = findMpegFrame(ahead, 0);
    if (frame < 0 || frame >= end_ - begin_) {
        return false;
    }
    begin_ += frame;
    preroll(begin_);
    return true;
}

void ByteRange::preroll(int64_t frameStart) {
    // The first frame after a cut may draw on the bit reservoir of the frames before it and
    // would come out as silence. Start a few whole frames earlier instead; the decoder drops
    // their sound (prerollSamples), so the stream still begins where it was asked to.
    const int64_t from = std::max<int64_t>(0, frameStart - kPrerollSearch);
    std::vector<uint8_t> before(static_cast<size_t>(frameStart - from + 4));
    before.resize(static_cast<size_t>(
        readAbsolute(from, before.data(), static_cast<int64_t>(before.size()))));
    const int64_t target = frameStart - from;
    int64_t best = -1;
    int frames = 0;
    for (int64_t at = 0; at < target && best < 0; ++at) {
        frames = chainLength(before, at, target);
        best = frames > 0 ? at : -1;
    }
    if (best < 0) {
        return;  // the cut is at the first frame, or junk precedes it
    }
    // A Xing or Info frame describes the whole file; fed to the decoder it would trim and
    // limit the sound as if the file started here.
    MpegHeader h;
    auto isTagFrame = [&](int64_t at) {
        const auto* p = before.data() + at;
        const int64_t n = std::min<int64_t>(48, static_cast<int64_t>(before.size()) - at);
        for (int64_t i = 4; i + 4 <= n; ++i) {
            if (std::memcmp(p + i, "Xing", 4) == 0 || std::memcmp(p + i, "Info", 4) == 0) {
                return true;
            }
        }
        return false;
    };
    if (isTagFrame(best) && parseMpegHeader(before.data() + best, h)) {
        best += h.frameBytes;
        if (--frames == 0) {
            return;
        }
    }
    // Drop leading frames while those left still cover the reservoir and one more frame.
    while (parseMpegHeader(before.data() + best, h) && frames > 1 &&
           target - (best + h.frameBytes) >= kReservoirBytes + h.frameBytes) {
        best += h.frameBytes;
        --frames;
    }
    parseMpegHeader(before.data() + best, h);
    begin_ = from + best;
    prerollSamples_ = static_cast<int64_t>(frames) * h.samples;
}

int64_t ByteRange::readAbsolute(int64_t at, void* dst, int64_t count) {
    if (count <= 0) {
        return 0;
    }
    if (fromMemory_) {
        const int64_t n = std::clamp<int64_t>(static_cast<int64_t>(memory_.size()) - at, 0, count);
        if (n > 0) {
            std::memcpy(dst, memory_.data() + at, static_cast<size_t>(n));
        }
        return n;
    }
    file_.clear();
    file_.seekg(at);
    file_.read(static_cast<char*>(dst), count);
    return file_.gcount();
}

int64_t ByteRange::seek(int64_t position) {
    pos_ = std::clamp<int64_t>(position, 0, size());
    return pos_;
}

int64_t ByteRange::read(void* dst, int64_t count) {
    const int64_t n = std::clamp<int64_t>(size() - pos_, 0, count);
    const int64_t got = readAbsolute(begin_ + pos_, dst, n);
    pos_ += got;
    return got;
}

}  // namespace pencora::audio
