#include "platform/resources/pe_image.h"

#include "platform/resources/byte_view.h"

#include <algorithm>

namespace pencora::resources {
namespace {

constexpr uint64_t kDosHeaderSize = 0x40;
constexpr uint64_t kPeOffsetField = 0x3C;
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;

QString hex(uint64_t value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

QString pastEnd(const QString& what, uint64_t offset, uint64_t fileSize) {
    return QStringLiteral("%1 at %2 runs past the end of the file (%3 bytes)")
        .arg(what, hex(offset))
        .arg(fileSize);
}

QString sectionName(std::span<const uint8_t> header) {
    const auto* chars = reinterpret_cast<const char*>(header.data());
    const auto length = std::find(chars, chars + 8, '\0') - chars;
    return QString::fromLatin1(chars, length);
}

// Reads the optional header's magic and, when present, the resource data directory.
QString readOptionalHeader(std::span<const uint8_t> file, uint64_t at, uint16_t declaredSize,
                           PeImage& image) {
    uint16_t magic = 0;
    if (declaredSize < 2 || !readU16(file, at, magic)) {
        return pastEnd(QStringLiteral("optional header"), at, file.size());
    }
    if (magic != kPe32Magic && magic != kPe32PlusMagic) {
        return QStringLiteral("optional header at %1 has unknown magic %2")
            .arg(hex(at), hex(magic));
    }
    image.pe32Plus = magic == kPe32PlusMagic;
    const uint64_t countField = image.pe32Plus ? 108 : 92;
    const uint64_t directories = countField + 4;
    const uint64_t resourceField = directories + 8 * kResourceDirectoryIndex;
    uint32_t count = 0;
    if (declaredSize < resourceField + 8 || !readU32(file, at + countField, count) ||
        count <= kResourceDirectoryIndex) {
        return {};  // no resource directory
    }
    if (!readU32(file, at + resourceField, image.resourceRva) ||
        !readU32(file, at + resourceField + 4, image.resourceSize)) {
        return pastEnd(QStringLiteral("resource data directory"), at + resourceField, file.size());
    }
    return {};
}

QString readSections(std::span<const uint8_t> file, uint64_t at, uint16_t count, PeImage& image) {
    if (!fits(file, at, count * kSectionHeaderSize)) {
        return pastEnd(QStringLiteral("section table of %1 sections").arg(count), at, file.size());
    }
    image.sections.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        const uint64_t header = at + i * kSectionHeaderSize;
        PeSection section;
        section.name = sectionName(file.subspan(header, 8));
        readU32(file, header + 8, section.virtualSize);
        readU32(file, header + 12, section.virtualAddress);
        readU32(file, header + 16, section.rawSize);
        readU32(file, header + 20, section.rawOffset);
        if (section.rawSize != 0 && !fits(file, section.rawOffset, section.rawSize)) {
            return pastEnd(QStringLiteral("data of section %1 (%2, %3 bytes)")
                               .arg(i)
                               .arg(section.name)
                               .arg(section.rawSize),
                           section.rawOffset, file.size());
        }
        image.sections.push_back(section);
    }
    return {};
}

}  // namespace

PeImageResult readPeImage(std::span<const uint8_t> file) {
    PeImageResult result;
    if (file.size() < kDosHeaderSize || file[0] != 'M' || file[1] != 'Z') {
        result.error = QStringLiteral("not a PE file: no DOS header with the MZ signature");
        return result;
    }
    uint32_t peOffset = 0;
    readU32(file, kPeOffsetField, peOffset);
    if (!fits(file, peOffset, 4 + kFileHeaderSize)) {
        result.error = pastEnd(QStringLiteral("PE header"), peOffset, file.size());
        return result;
    }
    if (file[peOffset] != 'P' || file[peOffset + 1] != 'E' || file[peOffset + 2] != 0 ||
        file[peOffset + 3] != 0) {
        result.error = QStringLiteral("not a PE file: no PE signature at %1").arg(hex(peOffset));
        return result;
    }
    const uint64_t fileHeader = uint64_t{peOffset} + 4;
    uint16_t sectionCount = 0;
    uint16_t optionalSize = 0;
    readU16(file, fileHeader + 2, sectionCount);
    readU16(file, fileHeader + 16, optionalSize);
    const uint64_t optional = fileHeader + kFileHeaderSize;
    result.error = readOptionalHeader(file, optional, optionalSize, result.image);
    if (result.error.isEmpty()) {
        result.error = readSections(file, optional + optionalSize, sectionCount, result.image);
    }
    return result;
}

namespace {

// The bytes of a section that hold file data as loaded: its raw data, cut to its virtual size.
uint32_t loadedExtent(const PeSection& section) {
    if (section.virtualSize != 0) {
        return std::min(section.rawSize, section.virtualSize);
    }
    return section.rawSize;
}

const PeSection* sectionHolding(const PeImage& image, uint32_t rva) {
    for (const PeSection& section : image.sections) {
        if (rva >= section.virtualAddress && rva - section.virtualAddress < loadedExtent(section)) {
            return &section;
        }
    }
    return nullptr;
}

}  // namespace

bool mapRva(const PeImage& image, uint32_t rva, uint32_t size, FileRange& range) {
    const PeSection* section = sectionHolding(image, rva);
    if (section == nullptr) {
        return false;
    }
    const uint32_t inSection = rva - section->virtualAddress;
    if (size > loadedExtent(*section) - inSection) {
        return false;
    }
    range.offset = uint64_t{section->rawOffset} + inSection;
    range.size = size;
    return true;
}

bool mapRvaToSectionEnd(const PeImage& image, uint32_t rva, FileRange& range) {
    const PeSection* section = sectionHolding(image, rva);
    if (section == nullptr) {
        return false;
    }
    const uint32_t inSection = rva - section->virtualAddress;
    range.offset = uint64_t{section->rawOffset} + inSection;
    range.size = loadedExtent(*section) - inSection;
    return true;
}

}  // namespace pencora::resources
