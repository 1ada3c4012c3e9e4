// Little-endian reads from a byte span that report, instead of reading, a range outside it.
#pragma once

#include <cstdint>
#include <span>

namespace pencora::resources {

inline bool fits(std::span<const uint8_t> bytes, uint64_t offset, uint64_t size) {
    return offset <= bytes.size() && size <= bytes.size() - offset;
}

inline bool readU16(std::span<const uint8_t> bytes, uint64_t offset, uint16_t& value) {
    if (!fits(bytes, offset, 2)) {
        return false;
    }
    value = static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
    return true;
}

inline bool readU32(std::span<const uint8_t> bytes, uint64_t offset, uint32_t& value) {
    if (!fits(bytes, offset, 4)) {
        return false;
    }
    value = static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
            static_cast<uint32_t>(bytes[offset + 2]) << 16 |
            static_cast<uint32_t>(bytes[offset + 3]) << 24;
    return true;
}

}  // namespace pencora::resources
