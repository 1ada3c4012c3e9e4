// Helpers for tests that listen to the audio library: sound files made on the spot, the
// engine run on SDL's disk driver (which writes every device buffer to a file, in real
// time), and a few measures of the captured PCM.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pencora::audio::testing {

enum class ToneFormat { Wav, Mp3, Ogg };

// A sine tone of `seconds` at `frequency` Hz, written as `format` (MP3 at a constant bit
// rate). Returns false when libsndfile cannot write the format.
bool writeTone(const std::filesystem::path& path, ToneFormat format, int rate, int channels,
               double seconds, double frequency, double amplitude = 0.5);

// Captured output: interleaved stereo float frames at `rate`.
struct Capture {
    int rate = 0;
    std::vector<float> samples;
    size_t frames() const { return samples.size() / 2; }
    double seconds(size_t frames) const { return static_cast<double>(frames) / rate; }
};

// Runs the library on SDL's disk driver for one test: start() calls BASS_Init, finish()
// BASS_Free and returns what the device was given.
class DiskOutput {
  public:
    explicit DiskOutput(const std::filesystem::path& folder);
    bool start();
    // Frames handed to the device since start(): the position in the capture.
    size_t elapsed() const;
    // Waits until the device has been handed `seconds` more of sound (not wall-clock time:
    // a busy machine may run the device late).
    void waitFor(double seconds) const;
    Capture finish();

  private:
    std::filesystem::path file_;
    uint64_t startFrame_ = 0;
};

// First and one-past-last frame whose left or right sample exceeds `threshold`, from frame
// `from` on; both are `frames()` when there is none.
size_t firstSounding(const Capture& c, size_t from = 0, float threshold = 0.02f);
size_t endOfSound(const Capture& c, float threshold = 0.02f);
// Frames between `from` and `to` whose samples exceed `threshold`.
size_t soundingFrames(const Capture& c, size_t from, size_t to, float threshold = 0.02f);

// Amplitude of the `frequency` component of the left channel over frames from..to.
double toneAmplitude(const Capture& c, size_t from, size_t to, double frequency);

// A fresh folder under the system's temporary folder, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace pencora::audio::testing
