// The onMetaData script tag of an FLV file, read straight from the file's tag stream: a
// bounded AMF0 reader (libavformat keeps only a few of its values, and those as text).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/flash/flv/flv_file.h"

namespace pencora::flv {

// The value passed to onMetaData by the file's first such script tag, if any.
std::optional<ScriptValue> readMetadata(std::span<const uint8_t> file);

}  // namespace pencora::flv
