// A movie of the stand-in engine's kind, written to a file for the control to load.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace pencora::swfplay::test {

// A movie of the stand-in engine's kind: 550 x 400, one frame, background #336699.
inline void writeStubMovie(const std::filesystem::path& path) {
    std::vector<std::uint8_t> movie = {'F',  'W',  'S',  6,    0,    0,    0,    0,    0x78, 0x00,
                                       0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 0x0C, 0x01,
                                       0x00, 0x43, 0x02, 0x33, 0x66, 0x99, 0x40, 0x00, 0x00, 0x00};
    movie[4] = static_cast<std::uint8_t>(movie.size());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(movie.data()),
               static_cast<std::streamsize>(movie.size()));
}

}  // namespace pencora::swfplay::test
