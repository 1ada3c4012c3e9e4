#include "listening.h"

#include "platform/audio/bass.h"
#include "platform/audio/output_probe.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <thread>

namespace pencora::audio::testing {

bool writeTone(const std::filesystem::path& path, ToneFormat format, int rate, int channels,
               double seconds, double frequency, double amplitude) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format == ToneFormat::Wav   ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
                  : format == ToneFormat::Mp3 ? SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III
                                              : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) {
        return false;
    }
    if (format == ToneFormat::Mp3) {
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(f, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    }
    const auto frames = static_cast<size_t>(seconds * rate);
    std::vector<float> block(static_cast<size_t>(channels) * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double v =
            amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) {
            block[i * channels + c] = static_cast<float>(v);
        }
    }
    const bool ok = sf_writef_float(f, block.data(), static_cast<sf_count_t>(frames)) ==
                    static_cast<sf_count_t>(frames);
    return sf_close(f) == 0 && ok;
}

DiskOutput::DiskOutput(const std::filesystem::path& folder) : file_(folder / "output.raw") {}

bool DiskOutput::start() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    // Read before the device starts: it may run a callback before BASS_Init returns.
    startFrame_ = framesMixed();
    return BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
}

size_t DiskOutput::elapsed() const {
    return static_cast<size_t>(framesMixed() - startFrame_);
}

void DiskOutput::waitFor(double seconds) const {
    const size_t target = elapsed() + static_cast<size_t>(seconds * 44100);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (elapsed() < target && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Capture DiskOutput::finish() {
    Capture c;
    c.rate = 44100;  // the disk driver takes the rate it is asked for
    BASS_Free();
    std::ifstream in(file_, std::ios::binary);
    in.seekg(0, std::ios::end);
    const auto bytes = static_cast<size_t>(in.tellg());
    in.seekg(0);
    c.samples.resize(bytes / sizeof(float));
    in.read(reinterpret_cast<char*>(c.samples.data()),
            static_cast<std::streamsize>(c.samples.size() * sizeof(float)));
    // SDL writes silence of its own while the device is still paused during BASS_Init;
    // drop it so frame n of the capture is frame n the mixer produced.
    const size_t mixed = elapsed();
    if (c.frames() > mixed) {
        c.samples.erase(c.samples.begin(),
                        c.samples.begin() + static_cast<std::ptrdiff_t>(2 * (c.frames() - mixed)));
    }
    return c;
}

namespace {
bool sounds(const Capture& c, size_t frame, float threshold) {
    return std::fabs(c.samples[2 * frame]) > threshold ||
           std::fabs(c.samples[2 * frame + 1]) > threshold;
}
}  // namespace

size_t firstSounding(const Capture& c, size_t from, float threshold) {
    for (size_t i = from; i < c.frames(); ++i) {
        if (sounds(c, i, threshold)) {
            return i;
        }
    }
    return c.frames();
}

size_t endOfSound(const Capture& c, float threshold) {
    for (size_t i = c.frames(); i > 0; --i) {
        if (sounds(c, i - 1, threshold)) {
            return i;
        }
    }
    return c.frames();
}

size_t soundingFrames(const Capture& c, size_t from, size_t to, float threshold) {
    size_t n = 0;
    for (size_t i = from; i < std::min(to, c.frames()); ++i) {
        n += sounds(c, i, threshold) ? 1 : 0;
    }
    return n;
}

double toneAmplitude(const Capture& c, size_t from, size_t to, double frequency) {
    to = std::min(to, c.frames());
    if (to <= from) {
        return 0;
    }
    double re = 0;
    double im = 0;
    for (size_t i = from; i < to; ++i) {
        const double phase = 2 * std::numbers::pi * frequency * static_cast<double>(i) / c.rate;
        re += c.samples[2 * i] * std::cos(phase);
        im += c.samples[2 * i] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(to - from);
}

TempFolder::TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("pencora-audio-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace pencora::audio::testing
