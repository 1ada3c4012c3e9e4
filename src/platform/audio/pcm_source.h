// PCM sources: sound that a producer computes itself (the movie engine's event and stream
// sounds) fed into the same mix as the audio library's streams, so the program opens one
// output device only. Each source has its own volume and is resampled to the device rate.
// A source exists only while the audio library is initialised (BASS_Init .. BASS_Free).
//
// One thread feeds a given source; different sources may be fed from different threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pencora::audio {

using PcmSourceId = uint32_t;

// A new source of 16-bit signed interleaved samples, 1 or 2 channels, at `sampleRate` Hz;
// it sounds as soon as frames are written. 0 when the library is not initialised or the
// format is not supported.
PcmSourceId pcmSourceOpen(int sampleRate, int channels);

// Queues up to `frames` frames and returns how many were taken; a source holds about two
// seconds ahead of the device, so a producer that is ahead gets a short count and writes
// the rest later. 0 for an unknown source.
size_t pcmSourceWrite(PcmSourceId source, const int16_t* samples, size_t frames);

// Frames written that the device has not played yet, in the source's own rate.
size_t pcmSourceQueued(PcmSourceId source);

// Volume 0 (silent) .. 100 (as written); values outside are clamped. New sources are at 100.
bool pcmSourceSetVolume(PcmSourceId source, int volume);

// Removes the source from the mix at once, dropping what is queued.
bool pcmSourceClose(PcmSourceId source);

}  // namespace pencora::audio
