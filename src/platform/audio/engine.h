// The audio library's one context: the output device, the mixer behind it, the worker that
// decodes ahead, and the table of stream handles and PCM sources. The functions of bass.h
// and pcm_source.h are thin calls into it.
#pragma once

#include "platform/audio/byte_range.h"
#include "platform/audio/mixer.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace pencora::audio {

struct Stream;
struct PcmFeed;

class Engine {
  public:
    static Engine& instance();
    ~Engine();

    // device: -1 the default output, 0 no output (the caller pulls the mix, see
    // output_probe.h), n >= 1 the n-th output device. False when already running or when
    // the device cannot be opened.
    bool init(int device, int rate);
    // Stops and frees everything; the device is closed when this returns.
    bool shutdown();
    bool running() const;

    using Opener = std::function<std::unique_ptr<ByteRange>()>;
    // Opens the stream's bytes and decodes its first block on the calling thread, so a
    // stream that exists is ready to sound. 0 when not running or the bytes are no audio.
    uint32_t createStream(Opener open);
    bool freeStream(uint32_t handle);
    bool play(uint32_t handle, bool restart);
    bool stop(uint32_t handle);

    uint32_t openPcm(int rate, int channels);
    size_t writePcm(uint32_t id, const int16_t* samples, size_t frames);
    size_t queuedPcm(uint32_t id);
    bool setVolume(uint32_t handle, int volume);
    bool closePcm(uint32_t id);

    int deviceRate() const { return rate_; }
    int bufferFrames() const { return bufferFrames_; }
    bool hasDevice() const { return device_ != 0; }
    uint64_t framesMixed() const { return mixer_.framesMixed(); }
    bool pull(float* out, size_t frames);

  private:
    Engine() = default;
    void decodeAhead();
    uint32_t nextHandle();
    std::shared_ptr<Stream> findStream(uint32_t handle);
    std::shared_ptr<PcmFeed> findPcm(uint32_t id);

    mutable std::mutex apiLock_;  // serialises init, shutdown and the handle tables
    std::mutex workLock_;         // guards the worker's wake-up state
    std::condition_variable wake_;
    bool quit_ = false;
    bool kicked_ = false;
    std::thread worker_;

    bool running_ = false;
    uint32_t device_ = 0;  // SDL device id, 0 for no output
    int rate_ = 0;
    int bufferFrames_ = 0;
    Mixer mixer_;
    uint32_t lastHandle_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<Stream>> streams_;
    std::unordered_map<uint32_t, std::shared_ptr<PcmFeed>> pcm_;
};

}  // namespace pencora::audio
