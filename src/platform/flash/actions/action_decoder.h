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

}  // namespace pencora::swf
