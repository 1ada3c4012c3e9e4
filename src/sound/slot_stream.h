// A channel slot's stream driven step by step, for the lesson reading: opened on a window of
// a file, started and paused apart from opening, as the lesson movie asks.
#pragma once

#include <QStringView>
#include <cstdint>

namespace pencora::sound {

// Frees the slot's stream, then opens a stream on `length` bytes of `relativePath` from byte
// `offset` (`length` 0: up to the end of the file) and keeps it in the slot without playing
// it. A file that is missing, unreadable, outside the program folder or holds no sound at
// that offset leaves the slot 0; no error is reported.
void open_slot(uint32_t& slot, QStringView relativePath, uint64_t offset = 0, uint64_t length = 0);

// Frees the slot's stream (its sound stops at once) and leaves the slot 0.
void clear_slot(uint32_t& slot);

// Starts the slot's stream, or resumes it where it was paused. A slot naming no stream
// plays nothing.
void play_slot(uint32_t slot);

// Pauses the slot's stream where it is.
void stop_slot(uint32_t slot);

}  // namespace pencora::sound
