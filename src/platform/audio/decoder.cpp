#include "platform/audio/decoder.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>

namespace pencora::audio {

namespace {

// Source frames decoded per step: small enough that the first sound of a stream is ready
// within a fraction of a millisecond, large enough to keep per-call overhead low.
constexpr sf_count_t kBlockFrames = 1024;
constexpr int kMaxChannels = 8;
constexpr int kMaxRate = 384000;

sf_count_t rangeLength(void* user) {
    return static_cast<ByteRange*>(user)->size();
}

sf_count_t rangeSeek(sf_count_t offset, int whence, void* user) {
    auto* range = static_cast<ByteRange*>(user);
    switch (whence) {
        case SEEK_SET:
            return range->seek(offset);
        case SEEK_CUR:
            return range->seek(range->tell() + offset);
        case SEEK_END:
            return range->seek(range->size() + offset);
        default:
            return -1;
    }
}

sf_count_t rangeRead(void* dst, sf_count_t count, void* user) {
    return static_cast<ByteRange*>(user)->read(dst, count);
}

sf_count_t rangeWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t rangeTell(void* user) {
    return static_cast<ByteRange*>(user)->tell();
}

}  // namespace

std::unique_ptr<Decoder> Decoder::open(std::unique_ptr<ByteRange> bytes, int deviceRate) {
    if (!bytes || deviceRate <= 0) {
        return nullptr;
    }
    std::unique_ptr<Decoder> d(new Decoder);
    d->bytes_ = std::move(bytes);
    SF_VIRTUAL_IO io{rangeLength, rangeSeek, rangeRead, rangeWrite, rangeTell};
    SF_INFO info{};
    d->file_ = sf_open_virtual(&io, SFM_READ, &info, d->bytes_.get());
    if (!d->file_ || info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 ||
        info.samplerate > kMaxRate) {
        return nullptr;
    }
    d->sourceRate_ = info.samplerate;
    d->sourceChannels_ = info.channels;
    d->converter_ =
        SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(info.channels), info.samplerate,
                           AUDIO_F32SYS, FrameRing::kChannels, deviceRate);
    if (!d->converter_) {
        return nullptr;
    }
    d->block_.resize(static_cast<size_t>(kBlockFrames * info.channels));
    // Frames decoded only to prime the decoder are not heard.
    for (int64_t skip = d->bytes_->prerollSamples(); skip > 0;) {
        const sf_count_t got =
            sf_readf_float(d->file_, d->block_.data(), std::min<sf_count_t>(skip, kBlockFrames));
        if (got <= 0) {
            break;
        }
        skip -= got;
    }
    return d;
}

Decoder::~Decoder() {
    if (converter_) {
        SDL_FreeAudioStream(converter_);
    }
    if (file_) {
        sf_close(file_);
    }
}

bool Decoder::drainConverted(FrameRing& ring) {
    if (convertedAt_ < convertedFrames_) {
        convertedAt_ += ring.write(converted_.data() + convertedAt_ * FrameRing::kChannels,
                                   convertedFrames_ - convertedAt_);
    }
    return convertedAt_ == convertedFrames_;
}

void Decoder::fill(FrameRing& ring, size_t maxSourceFrames) {
    size_t read = 0;
    while (!finished_ && drainConverted(ring)) {
        if (sourceDone_) {
            finished_ = true;
            break;
        }
        if (maxSourceFrames != 0 && read >= maxSourceFrames) {
            break;
        }
        const sf_count_t got = sf_readf_float(file_, block_.data(), kBlockFrames);
        if (got > 0) {
            read += static_cast<size_t>(got);
            SDL_AudioStreamPut(converter_, block_.data(),
                               static_cast<int>(got * sourceChannels_ * sizeof(float)));
        }
        if (got < kBlockFrames) {
            SDL_AudioStreamFlush(converter_);
            sourceDone_ = true;
        }
        const int available = SDL_AudioStreamAvailable(converter_);
        converted_.resize(static_cast<size_t>(available) / sizeof(float));
        const int bytes =
            available > 0 ? SDL_AudioStreamGet(converter_, converted_.data(), available) : 0;
        convertedFrames_ =
            bytes > 0 ? static_cast<size_t>(bytes) / (sizeof(float) * FrameRing::kChannels) : 0;
        convertedAt_ = 0;
    }
}

}  // namespace pencora::audio
