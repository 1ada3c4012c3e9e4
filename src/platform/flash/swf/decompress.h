// zlib and LZMA decompression with a cap on the output (internal to pencora_swf).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pencora::swf::detail {

// Inflates up to maxOutput bytes. `complete` tells whether the stream ended cleanly (or the
// cap was reached); a broken or short stream gives what came out before the break.
struct Inflated {
    std::vector<uint8_t> bytes;
    bool complete = false;
};
Inflated inflateCapped(std::span<const uint8_t> data, size_t maxOutput);

// Decodes the LZMA body of a ZWS movie: 5 property bytes followed by the raw LZMA data.
// The dictionary is bound by `dictionaryLimit` (at least 4 KiB) whatever the stream claims.
Inflated unlzmaCapped(std::span<const uint8_t> propsAndData, size_t maxOutput,
                      size_t dictionaryLimit);

}  // namespace pencora::swf::detail
