// Decodes a block of action bytecode into action records (see action.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/flash/actions/action.h"

namespace pencora::swf {

// Reads actions until the bytes run out. An End record is kept in the list (the machine stops
// there) and decoding goes on past it, because function bodies and branch targets may lie behind
// an End. Never reads outside `bytes`; a record that claims more bytes than remain ends decoding
// with a note.
ActionBlock decodeActions(std::span<const uint8_t> bytes);

// Decodes the block that lies at [offset, offset + size) of `file` (the movie's bytes as
// decompressed). The block decodes as decodeActions would, except where a branch leaves it:
// the player runs action bytes where they lie, so the decoder follows the branch into the
// file and reads the records it finds there, one after another, through their own branches,
// up to an End record, a record already read or bytes that read as no record. These records
// follow the block's own in the list (see ActionBlock::outsideBegin). A branch out of the file
// ends the block, and a bounded number of records is read outside it.
ActionBlock decodeActionsInFile(std::span<const uint8_t> file, size_t offset, size_t size);

}  // namespace pencora::swf
