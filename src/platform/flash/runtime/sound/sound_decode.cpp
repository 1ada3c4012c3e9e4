#include "platform/flash/runtime/sound/sound_decode.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/flash/runtime/sound/nellymoser_decode.h"
#include "platform/flash/runtime/sound/speex_decode.h"

namespace pencora::runtime {

namespace {

// More than ten minutes of 44 kHz stereo is not a sound a movie needs; it caps what a
// broken length field can make us allocate.
constexpr size_t kMaxSamples = size_t(44100) * 2 * 600;

// ---- ADPCM ------------------------------------------------------------------------------------

class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> data) : data_(data) {}
    bool has(int bits) const { return pos_ + size_t(bits) <= data_.size() * 8; }
    uint32_t read(int bits) {
        uint32_t v = 0;
        for (int i = 0; i < bits; ++i, ++pos_) {
            v = (v << 1) | ((data_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1u);
        }
        return v;
    }

  private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

constexpr std::array<int, 89> kStepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int* indexTable(int bits) {
    static constexpr int k2[] = {-1, 2};
    static constexpr int k3[] = {-1, -1, 2, 4};
    static constexpr int k4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
    static constexpr int k5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
    switch (bits) {
        case 2:
            return k2;
        case 3:
            return k3;
        case 4:
            return k4;
        default:
            return k5;
    }
}

struct AdpcmChannel {
    int sample = 0;
    int index = 0;
    int16_t step(uint32_t code, int bits, const int* table) {
        const int stepSize = kStepTable[size_t(index)];
        int diff = stepSize >> (bits - 1);
        for (int k = bits - 2; k >= 0; --k) {
            if (code & (1u << k)) {
                diff += stepSize >> (bits - 2 - k);
            }
        }
        sample += (code & (1u << (bits - 1))) ? -diff : diff;
        sample = std::clamp(sample, -32768, 32767);
        index = std::clamp(index + table[code & ((1u << (bits - 1)) - 1)], 0, 88);
        return int16_t(sample);
    }
};

// Packets of 4096 samples per channel, each starting with the channels' first sample and
// step index; the code size comes once, in the first two bits.
void decodeAdpcm(std::span<const uint8_t> data, int channels, std::vector<int16_t>& out) {
    BitReader in(data);
    if (!in.has(2)) {
        return;
    }
    const int bits = int(in.read(2)) + 2;
    const int* table = indexTable(bits);
    std::array<AdpcmChannel, 2> ch{};
    while (in.has(22 * channels) && out.size() < kMaxSamples) {
        for (int c = 0; c < channels; ++c) {
            ch[size_t(c)].sample = int16_t(in.read(16));
            ch[size_t(c)].index = int(in.read(6));
            out.push_back(int16_t(ch[size_t(c)].sample));
        }
        for (int i = 1; i < 4096 && in.has(bits * channels); ++i) {
            for (int c = 0; c < channels; ++c) {
                out.push_back(ch[size_t(c)].step(in.read(bits), bits, table));
            }
        }
    }
}

// ---- MP3 through libsndfile -----------------------------------------------------------------

struct MemoryFile {
    std::span<const uint8_t> data;
    sf_count_t pos = 0;
};

sf_count_t vioLength(void* user) {
    return sf_count_t(static_cast<MemoryFile*>(user)->data.size());
}
sf_count_t vioSeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t size = sf_count_t(f->data.size());
    sf_count_t to = whence == SEEK_SET   ? offset
                    : whence == SEEK_CUR ? f->pos + offset
                                         : size + offset;
    f->pos = std::clamp<sf_count_t>(to, 0, size);
    return f->pos;
}
sf_count_t vioRead(void* ptr, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(sf_count_t(f->data.size()) - f->pos, 0, count);
    std::memcpy(ptr, f->data.data() + f->pos, size_t(n));
    f->pos += n;
    return n;
}
sf_count_t vioWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t vioTell(void* user) {
    return static_cast<MemoryFile*>(user)->pos;
}

std::shared_ptr<const SoundPcm> decodeMp3(std::span<const uint8_t> data) {
    if (data.empty()) {
        return nullptr;
    }
    MemoryFile file{data, 0};
    SF_VIRTUAL_IO io{vioLength, vioSeek, vioRead, vioWrite, vioTell};
    SF_INFO info{};
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sf) {
        return nullptr;
    }
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = info.samplerate;
    pcm->channels = std::clamp(info.channels, 1, 2);
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0) {
        sf_close(sf);
        return nullptr;
    }
    std::vector<int16_t> block(size_t(4096) * size_t(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_short(sf, block.data(), 4096);
        if (got <= 0 || pcm->samples.size() > kMaxSamples) {
            break;
        }
        pcm->samples.insert(pcm->samples.end(), block.begin(), block.begin() + got * info.channels);
    }
    sf_close(sf);
    return pcm->samples.empty() ? nullptr : pcm;
}

// Nellymoser and Speex are mono whatever the header says; Speex and the two fixed-rate
// Nellymoser kinds carry their own rate too.
bool monoFormat(swf::SoundFormat format) {
    switch (format) {
        case swf::SoundFormat::Nellymoser16k:
        case swf::SoundFormat::Nellymoser8k:
        case swf::SoundFormat::Nellymoser:
        case swf::SoundFormat::Speex:
            return true;
        default:
            return false;
    }
}

int ownRate(swf::SoundFormat format, int headerRate) {
    switch (format) {
        case swf::SoundFormat::Nellymoser16k:
        case swf::SoundFormat::Speex:
            return 16000;
        case swf::SoundFormat::Nellymoser8k:
            return 8000;
        default:
            return headerRate;
    }
}

}  // namespace

std::shared_ptr<const SoundPcm> decodeSoundData(swf::SoundFormat format, int rate, bool is16Bit,
                                                bool stereo, std::span<const uint8_t> data) {
    const int channels = stereo ? 2 : 1;
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = rate;
    pcm->channels = channels;
    auto& out = pcm->samples;
    switch (format) {
        case swf::SoundFormat::UncompressedNative:
        case swf::SoundFormat::UncompressedLittleEndian:
            if (is16Bit) {
                const size_t n = std::min(data.size() / 2, kMaxSamples);
                out.reserve(n);
                for (size_t i = 0; i < n; ++i) {
                    out.push_back(int16_t(uint16_t(data[2 * i] | (data[2 * i + 1] << 8))));
                }
            } else {
                const size_t n = std::min(data.size(), kMaxSamples);
                out.reserve(n);
                for (size_t i = 0; i < n; ++i) {
                    out.push_back(int16_t((int(data[i]) - 128) << 8));
                }
            }
            break;
        case swf::SoundFormat::Adpcm:
            decodeAdpcm(data, channels, out);
            break;
        case swf::SoundFormat::Mp3:
            return decodeMp3(data);
        case swf::SoundFormat::Nellymoser16k:
        case swf::SoundFormat::Nellymoser8k:
        case swf::SoundFormat::Nellymoser:
            pcm->channels = 1;
            pcm->rate = ownRate(format, rate);
            decodeNellymoser(data, pcm->rate, kMaxSamples, out);
            return out.empty() ? nullptr : pcm;
        case swf::SoundFormat::Speex:
            pcm->channels = 1;
            pcm->rate = ownRate(format, rate);
            decodeSpeex(data, kMaxSamples, out);
            return out.empty() ? nullptr : pcm;
        default:
            return nullptr;
    }
    // Whole frames only.
    out.resize(out.size() - out.size() % size_t(channels));
    return out.empty() ? nullptr : pcm;
}

std::shared_ptr<const SoundPcm> decodeSound(const swf::Sound& sound) {
    std::span<const uint8_t> data(sound.data);
    if (sound.format == swf::SoundFormat::Mp3) {
        data = data.size() >= 2 ? data.subspan(2) : std::span<const uint8_t>();
    }
    auto pcm = decodeSoundData(sound.format, int(swf::soundRateHz(sound.rate)), sound.is16Bit,
                               sound.stereo, data);
    // The data may run past the declared count (ADPCM packets, the MP3 decoder's padding);
    // the count is the sound.
    const int declaredRate = int(swf::soundRateHz(sound.rate));
    if (pcm && sound.sampleCount > 0 && declaredRate > 0) {
        const size_t frames =
            size_t(uint64_t(sound.sampleCount) * uint64_t(pcm->rate) / uint64_t(declaredRate));
        if (pcm->frames() > frames) {
            auto cut = std::make_shared<SoundPcm>(*pcm);
            cut->samples.resize(frames * size_t(cut->channels));
            return cut;
        }
    }
    return pcm;
}

std::shared_ptr<const SoundPcm> decodeMp3File(std::span<const uint8_t> data) {
    return decodeMp3(data);
}

std::shared_ptr<const StreamSound> decodeStreamSound(const swf::Timeline& timeline) {
    const swf::SoundStreamHead* head = nullptr;
    for (const swf::Frame& f : timeline.frames) {
        for (const swf::ControlTag& tag : f.tags) {
            if (auto* h = std::get_if<swf::SoundStreamHead>(&tag); h && !head) {
                head = h;
            }
        }
    }
    if (!head) {
        return nullptr;
    }
    const int rate = ownRate(head->format, int(swf::soundRateHz(head->streamRate)));
    const int channels = head->streamStereo && !monoFormat(head->format) ? 2 : 1;
    auto stream = std::make_shared<StreamSound>();
    auto pcm = std::make_shared<SoundPcm>();
    pcm->rate = rate;
    pcm->channels = channels;
    std::vector<uint8_t> mp3;
    int64_t mp3Samples = 0;
    for (const swf::Frame& f : timeline.frames) {
        int64_t start = -1;
        for (const swf::ControlTag& tag : f.tags) {
            auto* block = std::get_if<swf::SoundStreamBlock>(&tag);
            if (!block || start >= 0) {
                continue;
            }
            std::span<const uint8_t> data(block->data);
            if (head->format == swf::SoundFormat::Mp3) {
                // Sample count and seek word, then the frames.
                if (data.size() < 4) {
                    continue;
                }
                start = mp3Samples;
                mp3Samples += data[0] | (data[1] << 8);
                mp3.insert(mp3.end(), data.begin() + 4, data.end());
            } else if (auto part = decodeSoundData(head->format, rate, head->stream16Bit,
                                                   head->streamStereo, data)) {
                start = int64_t(pcm->frames());
                if (part->channels == channels && pcm->samples.size() < kMaxSamples) {
                    pcm->samples.insert(pcm->samples.end(), part->samples.begin(),
                                        part->samples.end());
                }
            }
        }
        stream->frameStart.push_back(start);
    }
    if (head->format == swf::SoundFormat::Mp3) {
        auto decoded = decodeMp3(mp3);
        if (!decoded) {
            return nullptr;
        }
        stream->pcm = decoded;
        // Block sample counts are at the stream's rate; the decoder may report another.
        if (decoded->rate != rate && rate > 0) {
            for (int64_t& s : stream->frameStart) {
                if (s >= 0) {
                    s = s * decoded->rate / rate;
                }
            }
        }
        return stream;
    }
    if (pcm->samples.empty()) {
        return nullptr;
    }
    stream->pcm = pcm;
    return stream;
}

}  // namespace pencora::runtime
