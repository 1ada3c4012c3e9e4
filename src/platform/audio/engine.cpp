#include "platform/audio/engine.h"

#include "platform/audio/decoder.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace pencora::audio {

namespace {

// Sound decoded on the caller's thread when a stream is created: enough to cover the
// first device buffers even when the worker is slow to be scheduled.
constexpr int kFirstMilliseconds = 250;
// How far the worker decodes ahead of the device.
constexpr int kAheadMilliseconds = 1000;
// A PCM source may be fed this far ahead.
constexpr int kPcmAheadMilliseconds = 2000;
// Device buffer asked for: about 23 ms at 44.1 kHz.
constexpr Uint16 kDeviceBufferFrames = 1024;
// While a stream still has data to decode the worker looks at it this often; the ring
// holds a second, so this is far more often than needed.
constexpr auto kWorkerPoll = std::chrono::milliseconds(10);

size_t framesFor(int rate, int milliseconds) {
    return std::max<size_t>(static_cast<size_t>(rate) * milliseconds / 1000, 4096);
}

void deviceCallback(void* user, Uint8* stream, int len) {
    static_cast<Mixer*>(user)->render(
        reinterpret_cast<float*>(stream),
        static_cast<size_t>(len) / (sizeof(float) * FrameRing::kChannels));
}

}  // namespace

struct Stream {
    std::mutex lock;  // the decoder and the voice, against the worker
    Engine::Opener open;
    std::unique_ptr<Decoder> decoder;
    std::shared_ptr<Voice> voice;
    std::atomic<bool> freed{false};
};

struct PcmFeed {
    ~PcmFeed() {
        if (converter) {
            SDL_FreeAudioStream(converter);
        }
    }
    std::mutex lock;  // one converter, whichever thread feeds
    SDL_AudioStream* converter = nullptr;
    int rate = 0;
    int channels = 0;
    std::shared_ptr<Voice> voice;
    std::vector<float> scratch;
};

Engine& Engine::instance() {
    static Engine engine;
    return engine;
}

Engine::~Engine() {
    shutdown();
}

bool Engine::running() const {
    std::lock_guard guard(apiLock_);
    return running_;
}

bool Engine::init(int device, int rate) {
    std::lock_guard guard(apiLock_);
    if (running_ || device < -1 || rate < 0 || rate > 384000) {
        return false;
    }
    rate_ = rate == 0 ? 44100 : rate;
    bufferFrames_ = kDeviceBufferFrames;
    device_ = 0;
    if (device != 0) {
        // SDL would otherwise take over SIGINT and SIGTERM for an event loop we do not run,
        // and the program could no longer be ended by them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        const char* name = nullptr;
        if (device > 0) {
            name = SDL_GetAudioDeviceName(device - 1, 0);
            if (!name) {
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                return false;
            }
        }
        SDL_AudioSpec want{};
        want.freq = rate_;
        want.format = AUDIO_F32SYS;
        want.channels = FrameRing::kChannels;
        want.samples = kDeviceBufferFrames;
        want.callback = deviceCallback;
        want.userdata = &mixer_;
        SDL_AudioSpec have{};
        // The device may run at its own rate; every voice is resampled to it.
        device_ = SDL_OpenAudioDevice(name, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (device_ == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        rate_ = have.freq;
        bufferFrames_ = have.samples;
    }
    {
        std::lock_guard work(workLock_);
        quit_ = false;
        kicked_ = false;
    }
    worker_ = std::thread([this] { decodeAhead(); });
    running_ = true;
    if (device_ != 0) {
        SDL_PauseAudioDevice(device_, 0);
    }
    return true;
}

bool Engine::shutdown() {
    std::unordered_map<uint32_t, std::shared_ptr<Stream>> streams;
    std::unordered_map<uint32_t, std::shared_ptr<PcmFeed>> pcm;
    std::thread worker;
    uint32_t device = 0;
    {
        std::lock_guard guard(apiLock_);
        if (!running_) {
            return false;
        }
        running_ = false;
        streams.swap(streams_);
        pcm.swap(pcm_);
        worker = std::move(worker_);
        device = device_;
        device_ = 0;
    }
    {
        std::lock_guard work(workLock_);
        quit_ = true;
    }
    wake_.notify_all();
    worker.join();
    if (device != 0) {
        // Closing waits for a callback in progress, so nothing sounds after this.
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    mixer_.clear();
    return true;
}

uint32_t Engine::nextHandle() {
    do {
        ++lastHandle_;
    } while (lastHandle_ == 0 || streams_.contains(lastHandle_) || pcm_.contains(lastHandle_));
    return lastHandle_;
}

std::shared_ptr<Stream> Engine::findStream(uint32_t handle) {
    std::lock_guard guard(apiLock_);
    auto it = streams_.find(handle);
    return it == streams_.end() ? nullptr : it->second;
}

std::shared_ptr<PcmFeed> Engine::findPcm(uint32_t id) {
    std::lock_guard guard(apiLock_);
    auto it = pcm_.find(id);
    return it == pcm_.end() ? nullptr : it->second;
}

uint32_t Engine::createStream(Opener open) {
    int rate = 0;
    {
        std::lock_guard guard(apiLock_);
        if (!running_) {
            return 0;
        }
        rate = rate_;
    }
    auto decoder = Decoder::open(open(), rate);
    if (!decoder) {
        return 0;
    }
    auto stream = std::make_shared<Stream>();
    stream->open = std::move(open);
    stream->voice = std::make_shared<Voice>(framesFor(rate, kAheadMilliseconds));
    decoder->fill(stream->voice->ring, framesFor(decoder->sourceRate(), kFirstMilliseconds));
    stream->decoder = std::move(decoder);

    std::lock_guard guard(apiLock_);
    if (!running_ || rate_ != rate) {
        return 0;
    }
    const uint32_t handle = nextHandle();
    streams_.emplace(handle, stream);
    mixer_.add(stream->voice);
    return handle;
}

bool Engine::freeStream(uint32_t handle) {
    std::shared_ptr<Stream> stream;
    {
        std::lock_guard guard(apiLock_);
        auto it = streams_.find(handle);
        if (it == streams_.end()) {
            return false;
        }
        stream = std::move(it->second);
        streams_.erase(it);
    }
    stream->freed = true;
    std::lock_guard guard(stream->lock);
    mixer_.remove(stream->voice.get());
    return true;
}

bool Engine::play(uint32_t handle, bool restart) {
    auto stream = findStream(handle);
    if (!stream) {
        return false;
    }
    if (restart) {
        // A fresh decoder from the start of the bytes, on a fresh voice, so the callback
        // never sees a ring being emptied under it.
        auto decoder = Decoder::open(stream->open(), rate_);
        if (!decoder) {
            return false;
        }
        auto voice = std::make_shared<Voice>(stream->voice->ring.capacity());
        voice->gain.store(stream->voice->gain.load());
        decoder->fill(voice->ring, framesFor(decoder->sourceRate(), kFirstMilliseconds));
        std::lock_guard guard(stream->lock);
        if (stream->freed) {
            return false;
        }
        mixer_.remove(stream->voice.get());
        stream->voice = voice;
        stream->decoder = std::move(decoder);
        mixer_.add(voice);
    }
    {
        std::lock_guard guard(stream->lock);
        stream->voice->playing = true;
    }
    {
        std::lock_guard work(workLock_);
        kicked_ = true;
    }
    wake_.notify_one();
    return true;
}

bool Engine::stop(uint32_t handle) {
    auto stream = findStream(handle);
    if (!stream) {
        return false;
    }
    std::lock_guard guard(stream->lock);
    stream->voice->playing = false;
    return true;
}

void Engine::decodeAhead() {
    std::vector<std::shared_ptr<Stream>> batch;
    for (;;) {
        {
            std::lock_guard guard(apiLock_);
            batch.clear();
            for (const auto& [handle, stream] : streams_) {
                batch.push_back(stream);
            }
        }
        bool pending = false;
        for (const auto& stream : batch) {
            std::lock_guard guard(stream->lock);
            if (stream->freed || !stream->voice->playing || stream->decoder->finished()) {
                continue;
            }
            stream->decoder->fill(stream->voice->ring);
            pending = pending || !stream->decoder->finished();
        }
        batch.clear();  // a freed stream is released here, not kept alive while we sleep

        std::unique_lock work(workLock_);
        auto woken = [this] { return quit_ || kicked_; };
        if (pending) {
            wake_.wait_for(work, kWorkerPoll, woken);
        } else {
            wake_.wait(work, woken);
        }
        kicked_ = false;
        if (quit_) {
            return;
        }
    }
}

uint32_t Engine::openPcm(int rate, int channels) {
    if (rate < 1 || rate > 384000 || channels < 1 || channels > 2) {
        return 0;
    }
    std::lock_guard guard(apiLock_);
    if (!running_) {
        return 0;
    }
    auto feed = std::make_shared<PcmFeed>();
    feed->converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channels), rate,
                                         AUDIO_F32SYS, FrameRing::kChannels, rate_);
    if (!feed->converter) {
        return 0;
    }
    feed->rate = rate;
    feed->channels = channels;
    feed->voice = std::make_shared<Voice>(framesFor(rate_, kPcmAheadMilliseconds));
    feed->voice->playing = true;
    const uint32_t id = nextHandle();
    pcm_.emplace(id, feed);
    mixer_.add(feed->voice);
    return id;
}

size_t Engine::writePcm(uint32_t id, const int16_t* samples, size_t frames) {
    auto feed = findPcm(id);
    if (!feed || !samples) {
        return 0;
    }
    std::lock_guard guard(feed->lock);
    constexpr int kOutFrameBytes = sizeof(float) * FrameRing::kChannels;
    auto& ring = feed->voice->ring;
    const int64_t waiting = SDL_AudioStreamAvailable(feed->converter) / kOutFrameBytes;
    const int64_t room = static_cast<int64_t>(ring.writable()) - waiting;
    const size_t accepted =
        room <= 0 ? 0
                  : std::min(frames, static_cast<size_t>(room * feed->rate / std::max(rate_, 1)));
    if (accepted > 0) {
        SDL_AudioStreamPut(feed->converter, samples,
                           static_cast<int>(accepted * feed->channels * sizeof(int16_t)));
    }
    const int ready = std::min<int>(SDL_AudioStreamAvailable(feed->converter) / kOutFrameBytes,
                                    static_cast<int>(ring.writable()));
    if (ready > 0) {
        feed->scratch.resize(static_cast<size_t>(ready) * FrameRing::kChannels);
        const int got =
            SDL_AudioStreamGet(feed->converter, feed->scratch.data(), ready * kOutFrameBytes);
        if (got > 0) {
            ring.write(feed->scratch.data(), static_cast<size_t>(got) / kOutFrameBytes);
        }
    }
    return accepted;
}

size_t Engine::queuedPcm(uint32_t id) {
    auto feed = findPcm(id);
    if (!feed) {
        return 0;
    }
    std::lock_guard guard(feed->lock);
    const size_t deviceFrames = feed->voice->ring.readable() +
                                static_cast<size_t>(SDL_AudioStreamAvailable(feed->converter)) /
                                    (sizeof(float) * FrameRing::kChannels);
    return deviceFrames * static_cast<size_t>(feed->rate) / static_cast<size_t>(std::max(rate_, 1));
}

bool Engine::setVolume(uint32_t id, int volume) {
    auto feed = findPcm(id);
    if (!feed) {
        return false;
    }
    feed->voice->gain = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
    return true;
}

bool Engine::closePcm(uint32_t id) {
    std::shared_ptr<PcmFeed> feed;
    {
        std::lock_guard guard(apiLock_);
        auto it = pcm_.find(id);
        if (it == pcm_.end()) {
            return false;
        }
        feed = std::move(it->second);
        pcm_.erase(it);
    }
    mixer_.remove(feed->voice.get());
    return true;
}

bool Engine::pull(float* out, size_t frames) {
    {
        std::lock_guard guard(apiLock_);
        if (!running_ || device_ != 0) {
            return false;
        }
    }
    mixer_.render(out, frames);
    return true;
}

}  // namespace pencora::audio
