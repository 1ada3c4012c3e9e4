// Encoding of movie records back into SWF tags: the inverse of the reader, used to build
// movies for tests and tools. What the reader reads, these write, so a record survives a
// write and a read unchanged (the round-trip tests hold them to that).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/flash/swf/characters.h"
#include "platform/flash/swf/control_tags.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/byte_writer.h"

namespace pencora::swfwrite {

// A complete tag: header (short or long form) and body.
Bytes encodeTag(uint16_t code, std::span<const uint8_t> body);

// The tag(s) defining a character; a button with sounds or a colour transform also gets
// its DefineButtonSound / DefineButtonCxform tag. JPEG bitmaps of version 1 rely on the
// movie's JPEGTables.
Bytes encodeCharacter(const swf::Character& character, uint8_t swfVersion);

// The tag for one control tag of a frame (an UnknownTag is written back as it was).
Bytes encodeControlTag(const swf::ControlTag& tag, uint8_t swfVersion);

// The tags of a timeline: each frame's tags followed by ShowFrame, then End.
Bytes encodeTimeline(const swf::Timeline& timeline, uint8_t swfVersion);

// A whole movie: header, movie-level tags (file attributes, background, JPEG tables, ...),
// the dictionary in id order before the first frame, then the frames.
Bytes writeMovie(const swf::Movie& movie, swf::Compression compression = swf::Compression::None);

// Wraps an uncompressed movie body (everything after the 8-byte header) in a file header.
Bytes wrapMovie(uint8_t version, std::span<const uint8_t> body, swf::Compression compression);

}  // namespace pencora::swfwrite
