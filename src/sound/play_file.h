// The one way the program plays a sound of the content folder: on a channel slot, cutting
// off what the slot was playing. Slot 0 carries cues, prompts and pronunciations, slot 1
// the lesson reading; the two sound together.
#pragma once

#include <QStringView>
#include <cstdint>

namespace pencora::sound {

// Frees the slot's stream (its sound stops at once), then plays `relativePath` (below the
// program folder, `\` separated, matched ignoring case) on a new stream kept in the slot.
// A file that is missing, unreadable or outside the program folder leaves the slot 0 and
// plays nothing; no error is reported.
void play_file(uint32_t& slot, QStringView relativePath);

// Frees the slot's stream, so its sound stops at once. The slot keeps its number, which
// names nothing any more.
void free_slot(uint32_t& slot);

}  // namespace pencora::sound
