// Tag bodies written out by hand from the file format's documented layouts, each with the
// record it stands for. The reader must read each body into its record and the writer must
// write each record back into the same bytes (rows marked readOnly are layouts the writer
// does not produce, e.g. zlib data or a legacy form).
//
// Bit-packed fields are noted as "field:bits=value" in the comments; to check a row again,
// pack the fields most significant bit first and pad the last byte with zeros.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/flash/swf/characters.h"
#include "platform/flash/swf/control_tags.h"
#include "platform/flash/swf/tag_codes.h"

namespace pencora::swf::testing {

using Record = std::variant<ControlTag, Character>;

struct TagRow {
    std::string name;
    uint16_t code;
    std::vector<uint8_t> body;
    Record expected;
    uint8_t swfVersion = 8;
    bool readOnly = false;
};

std::vector<TagRow> tagRows();

// A FWS movie of the given version holding the tags (each a complete tag), a ShowFrame and End.
std::vector<uint8_t> movieWithTags(const std::vector<std::vector<uint8_t>>& tags,
                                   uint8_t version = 8);
// A complete tag: short header when the body is shorter than 63 bytes.
std::vector<uint8_t> tagBytes(uint16_t code, const std::vector<uint8_t>& body);

}  // namespace pencora::swf::testing
