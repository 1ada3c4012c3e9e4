// A look at the output side of the audio library, for tests and benchmarks: the device's
// actual format, how many frames the mixer has handed to it, and, when the library was
// initialised without an output device (BASS_Init device 0), the mix itself on demand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pencora::audio {

struct OutputFormat {
    int rate = 0;          // frames per second
    int bufferFrames = 0;  // frames per device callback
    bool hasDevice = false;
};

// The format of the running output; rate 0 when the library is not initialised.
OutputFormat outputFormat();

// Frames mixed since the library was first initialised in this process.
uint64_t framesMixed();

// Mixes the next `frames` stereo float frames into `out` (2 * frames floats). Only without
// an output device; false otherwise.
bool pullOutput(float* out, size_t frames);

}  // namespace pencora::audio
