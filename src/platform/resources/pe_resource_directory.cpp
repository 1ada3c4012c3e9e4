#include "platform/resources/pe_resource_directory.h"

#include "platform/resources/byte_view.h"
#include "platform/resources/pe_image.h"

#include <array>
#include <unordered_set>

namespace pencora::resources {
namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;

enum Level { kType = 0, kName = 1, kLanguage = 2 };
constexpr std::array<const char*, 3> kLevelNames{"type", "name", "language"};

QString hex(uint64_t value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

// One walk over the resource section. Offsets in the directory count from the section's
// start (`base` in the file); `bytes` ends where the section's file data ends.
class DirectoryWalk {
  public:
    DirectoryWalk(const PeImage& image, std::span<const uint8_t> bytes, uint64_t base)
        : image_(image), bytes_(bytes), base_(base) {}

    QString walk(std::vector<PeResource>& out) { return readDirectory(0, kType, out); }

  private:
    QString where(uint64_t offset) const { return hex(base_ + offset); }

    QString readDirectory(uint32_t offset, Level level, std::vector<PeResource>& out);
    QString readEntry(uint64_t at, Level level, std::vector<PeResource>& out);
    QString readName(uint32_t field, QString& name) const;
    QString readData(uint32_t offset, std::vector<PeResource>& out) const;

    const PeImage& image_;
    std::span<const uint8_t> bytes_;
    uint64_t base_;
    std::unordered_set<uint32_t> visited_;
    std::array<QString, 2> path_;  // the type and name being walked
};

QString DirectoryWalk::readDirectory(uint32_t offset, Level level, std::vector<PeResource>& out) {
    if (!visited_.insert(offset).second) {
        return QStringLiteral("resource directory at %1 is reached a second time (a loop)")
            .arg(where(offset));
    }
    uint16_t named = 0;
    uint16_t numbered = 0;
    if (!fits(bytes_, offset, kDirectoryHeaderSize)) {
        return QStringLiteral("%1 directory at %2 runs past the end of the resource section")
            .arg(kLevelNames[level], where(offset));
    }
    readU16(bytes_, offset + 12, named);
    readU16(bytes_, offset + 14, numbered);
    const uint64_t count = uint64_t{named} + numbered;
    const uint64_t entries = offset + kDirectoryHeaderSize;
    if (!fits(bytes_, entries, count * kEntrySize)) {
        return QStringLiteral(
                   "%1 directory at %2 claims %3 entries, more than the resource "
                   "section holds")
            .arg(kLevelNames[level], where(offset))
            .arg(count);
    }
    for (uint64_t i = 0; i < count; ++i) {
        QString error = readEntry(entries + i * kEntrySize, level, out);
        if (!error.isEmpty()) {
            return error;
        }
    }
    return {};
}

QString DirectoryWalk::readEntry(uint64_t at, Level level, std::vector<PeResource>& out) {
    uint32_t nameField = 0;
    uint32_t target = 0;
    readU32(bytes_, at, nameField);
    readU32(bytes_, at + 4, target);
    const bool isDirectory = (target & kHighBit) != 0;
    if (level == kLanguage) {
        if (isDirectory || (nameField & kHighBit) != 0) {
            return QStringLiteral("language entry at %1 of %2/%3 is not a numbered data entry")
                .arg(where(at), path_[0], path_[1]);
        }
        out.push_back({path_[0], path_[1], static_cast<uint16_t>(nameField), 0, 0});
        return readData(target, out);
    }
    QString error = readName(nameField, path_[level]);
    if (!error.isEmpty()) {
        return error;
    }
    if (!isDirectory) {
        return QStringLiteral("%1 entry at %2 (%3) points to data, not to a directory")
            .arg(kLevelNames[level], where(at), path_[level]);
    }
    return readDirectory(target & ~kHighBit, static_cast<Level>(level + 1), out);
}

QString DirectoryWalk::readName(uint32_t field, QString& name) const {
    if ((field & kHighBit) == 0) {
        name = QLatin1Char('#') + QString::number(field);
        return {};
    }
    const uint32_t offset = field & ~kHighBit;
    uint16_t length = 0;
    if (!readU16(bytes_, offset, length) || !fits(bytes_, offset + 2, uint64_t{length} * 2)) {
        return QStringLiteral("name at %1 runs past the end of the resource section")
            .arg(where(offset));
    }
    name.resize(length);
    for (uint16_t i = 0; i < length; ++i) {
        uint16_t unit = 0;
        readU16(bytes_, offset + 2 + uint64_t{i} * 2, unit);
        name[i] = QChar(unit);
    }
    return {};
}

QString DirectoryWalk::readData(uint32_t offset, std::vector<PeResource>& out) const {
    PeResource& resource = out.back();
    const QString what =
        QStringLiteral("%1/%2/%3").arg(resource.type, resource.name).arg(resource.language);
    uint32_t rva = 0;
    if (!fits(bytes_, offset, kDataEntrySize)) {
        return QStringLiteral("data entry of %1 at %2 runs past the end of the resource section")
            .arg(what, where(offset));
    }
    readU32(bytes_, offset, rva);
    readU32(bytes_, offset + 4, resource.size);
    FileRange range;
    if (!mapRva(image_, rva, resource.size, range)) {
        return QStringLiteral("data of %1 (RVA %2, %3 bytes) lies outside every section")
            .arg(what, hex(rva))
            .arg(resource.size);
    }
    resource.offset = range.offset;
    return {};
}

}  // namespace

PeResourceResult readPeResources(std::span<const uint8_t> file) {
    PeResourceResult result;
    PeImageResult headers = readPeImage(file);
    if (!headers.error.isEmpty()) {
        result.error = headers.error;
        return result;
    }
    const PeImage& image = headers.image;
    if (image.resourceRva == 0) {
        return result;
    }
    FileRange section;
    if (!mapRvaToSectionEnd(image, image.resourceRva, section)) {
        result.error = QStringLiteral("resource directory (RVA %1) lies outside every section")
                           .arg(hex(image.resourceRva));
        return result;
    }
    DirectoryWalk walk(image, file.subspan(section.offset, section.size), section.offset);
    result.error = walk.walk(result.resources);
    if (!result.error.isEmpty()) {
        result.resources.clear();
    }
    return result;
}

}  // namespace pencora::resources
