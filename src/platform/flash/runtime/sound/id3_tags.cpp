#include "platform/flash/runtime/sound/id3_tags.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace pencora::runtime {

namespace {

constexpr size_t kHeaderSize = 10;

uint32_t syncSafe(std::span<const uint8_t> b) {
    return (uint32_t(b[0] & 0x7F) << 21) | (uint32_t(b[1] & 0x7F) << 14) |
           (uint32_t(b[2] & 0x7F) << 7) | uint32_t(b[3] & 0x7F);
}

uint32_t bigEndian(std::span<const uint8_t> b) {
    uint32_t v = 0;
    for (uint8_t byte : b) {
        v = (v << 8) | byte;
    }
    return v;
}

// Text in one of the four encodings a frame names by its first byte, up to its first
// terminator (one zero byte, or two for UTF-16); `rest` is left after that terminator.
QString decodeText(uint8_t encoding, std::span<const uint8_t>& rest) {
    const bool wide = encoding == 1 || encoding == 2;
    size_t end = 0;
    while (end < rest.size()) {
        if (wide ? (end + 1 < rest.size() && rest[end] == 0 && rest[end + 1] == 0)
                 : rest[end] == 0) {
            break;
        }
        end += wide ? 2 : 1;
    }
    end = std::min(end, rest.size());
    const QByteArray bytes(reinterpret_cast<const char*>(rest.data()), qsizetype(end));
    rest = rest.subspan(std::min(rest.size(), end + (wide ? 2 : 1)));
    switch (encoding) {
        case 0:
            return QString::fromLatin1(bytes);
        case 1: {
            if (bytes.startsWith("\xFE\xFF")) {
                return QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
            }
            return QStringDecoder(QStringDecoder::Utf16LE)(
                bytes.startsWith("\xFF\xFE") ? bytes.mid(2) : bytes);
        }
        case 2:
            return QStringDecoder(QStringDecoder::Utf16BE)(bytes);
        default:
            return QString::fromUtf8(bytes);
    }
}

// The value of a text or comment frame's body; nullopt for frames of other kinds.
std::optional<QString> frameValue(const QString& id, std::span<const uint8_t> body) {
    if (body.empty() || (!id.startsWith(u'T') && id != QLatin1String("COMM")) ||
        id == QLatin1String("TXXX")) {
        return std::nullopt;
    }
    const uint8_t encoding = body[0];
    body = body.subspan(1);
    if (id == QLatin1String("COMM")) {
        if (body.size() < 3) {
            return std::nullopt;
        }
        body = body.subspan(3);      // language
        decodeText(encoding, body);  // description
    }
    return decodeText(encoding, body);
}

// Version 2.2 names frames with three letters.
QString fourLetterName(const QString& id) {
    static const std::array<std::pair<const char*, const char*>, 9> kNames{{{"TT2", "TIT2"},
                                                                            {"TP1", "TPE1"},
                                                                            {"TP2", "TPE2"},
                                                                            {"TAL", "TALB"},
                                                                            {"TRK", "TRCK"},
                                                                            {"TYE", "TYER"},
                                                                            {"TCO", "TCON"},
                                                                            {"TCM", "TCOM"},
                                                                            {"COM", "COMM"}}};
    for (const auto& [shortName, longName] : kNames) {
        if (id == QLatin1String(shortName)) {
            return QString::fromLatin1(longName);
        }
    }
    return id;
}

}  // namespace

std::vector<Id3Frame> readId3Frames(std::span<const uint8_t> file) {
    std::vector<Id3Frame> frames;
    if (file.size() < kHeaderSize || file[0] != 'I' || file[1] != 'D' || file[2] != '3') {
        return frames;
    }
    const int version = file[3];
    const uint8_t flags = file[5];
    if (version < 2 || version > 4) {
        return frames;
    }
    std::span<const uint8_t> tag = file.subspan(kHeaderSize);
    tag = tag.first(std::min<size_t>(tag.size(), syncSafe(file.subspan(6, 4))));
    if ((flags & 0x40) && version >= 3 && tag.size() >= 4) {
        const uint32_t extended =
            version == 4 ? syncSafe(tag.first(4)) : bigEndian(tag.first(4)) + 4;
        tag = tag.subspan(std::min<size_t>(tag.size(), extended));
    }
    const size_t idSize = version == 2 ? 3 : 4;
    const size_t headerSize = version == 2 ? 6 : 10;
    while (tag.size() >= headerSize && tag[0] != 0) {
        const QString id =
            QString::fromLatin1(reinterpret_cast<const char*>(tag.data()), qsizetype(idSize));
        const auto sizeBytes = tag.subspan(idSize, idSize == 3 ? 3 : 4);
        const size_t size = version == 4 ? syncSafe(sizeBytes) : bigEndian(sizeBytes);
        if (size > tag.size() - headerSize) {
            break;
        }
        const QString name = fourLetterName(id);
        if (auto value = frameValue(name, tag.subspan(headerSize, size))) {
            frames.push_back({name, *value});
        }
        tag = tag.subspan(headerSize + size);
    }
    return frames;
}

QString id3Alias(const QString& id) {
    static const std::array<std::pair<const char*, const char*>, 7> kAliases{{{"COMM", "comment"},
                                                                              {"TALB", "album"},
                                                                              {"TCON", "genre"},
                                                                              {"TIT2", "songname"},
                                                                              {"TPE1", "artist"},
                                                                              {"TRCK", "track"},
                                                                              {"TYER", "year"}}};
    for (const auto& [frame, alias] : kAliases) {
        if (id == QLatin1String(frame)) {
            return QString::fromLatin1(alias);
        }
    }
    return {};
}

}  // namespace pencora::runtime
