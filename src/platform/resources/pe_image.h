// The headers of a PE file (PE32 or PE32+) as far as a resource reader needs them: where the
// resource directory lies and how the section table maps relative virtual addresses (RVAs)
// to offsets in the file. Reads only from the byte span it is given, every field checked.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace pencora::resources {

struct PeSection {
    QString name;
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;  // never reaches past the end of the file
};

struct PeImage {
    bool pe32Plus = false;
    uint32_t resourceRva = 0;  // 0: the file has no resource directory
    uint32_t resourceSize = 0;
    std::vector<PeSection> sections;
};

struct PeImageResult {
    PeImage image;
    QString error;  // empty on success
};

// Reads the DOS stub's pointer, the PE signature, the file header, the optional header's
// resource data directory and the section table.
PeImageResult readPeImage(std::span<const uint8_t> file);

// Where `size` bytes starting at `rva` lie in the file: found only when the whole range sits
// in the file data of one section.
struct FileRange {
    uint64_t offset = 0;
    uint64_t size = 0;
};
bool mapRva(const PeImage& image, uint32_t rva, uint32_t size, FileRange& range);

// The file range from `rva` to the end of its section's file data; found only when `rva`
// lies in one.
bool mapRvaToSectionEnd(const PeImage& image, uint32_t rva, FileRange& range);

}  // namespace pencora::resources
