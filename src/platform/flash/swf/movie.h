// A whole movie as read from a SWF file: the header, the dictionary of characters and the
// root timeline. Reading never touches Qt; everything here is plain data that stays fixed
// once the movie is loaded, so several players may share one Movie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/flash/swf/characters.h"
#include "platform/flash/swf/control_tags.h"
#include "platform/flash/swf/geometry.h"

namespace pencora::swf {

enum class Compression : uint8_t { None, Zlib, Lzma };

struct Header {
    Compression compression = Compression::None;
    uint8_t version = 0;
    uint32_t fileLength = 0;  // as declared: the uncompressed length including the header
    Rect frameSize;           // twips
    double frameRate = 12.0;  // frames per second
    uint16_t frameCount = 0;  // as declared
};

namespace file_attribute {
inline constexpr uint32_t UseNetwork = 1u << 0;
inline constexpr uint32_t ActionScript3 = 1u << 3;
inline constexpr uint32_t HasMetadata = 1u << 4;
inline constexpr uint32_t UseGpu = 1u << 5;
inline constexpr uint32_t UseDirectBlit = 1u << 6;
}  // namespace file_attribute

struct Scene {
    uint32_t offset = 0;  // first frame, 0-based
    std::string name;
};

// CSMTextSettings: how a text's glyphs are rendered.
struct TextSettings {
    bool advanced = false;  // antiAliasType "advanced"
    uint8_t gridFit = 0;    // 0 none, 1 pixel, 2 subpixel
    float thickness = 0;
    float sharpness = 0;
    friend bool operator==(const TextSettings&, const TextSettings&) = default;
};

struct Movie {
    Header header;
    std::optional<uint32_t> fileAttributes;    // file_attribute bits
    std::optional<Rgba> backgroundColor;       // the first SetBackgroundColor
    Bytes jpegTables;                          // shared by DefineBits (version 1) images
    std::map<uint16_t, Character> dictionary;  // the first definition of an id wins
    Timeline timeline;
    std::vector<Scene> scenes;  // DefineSceneAndFrameLabelData
    std::vector<std::pair<uint32_t, std::string>> sceneFrameLabels;
    bool protect = false;
    std::string metadata;
    std::optional<uint16_t> maxRecursionDepth;
    std::optional<uint16_t> scriptTimeoutSeconds;
    std::map<uint16_t, Rect> scalingGrids;          // DefineScalingGrid, by character id
    std::map<uint16_t, TextSettings> textSettings;  // CSMTextSettings, by character id
    // Leftover bytes, tags that failed to parse (kept as UnknownTag), a truncated end.
    std::vector<std::string> warnings;
    bool truncated = false;  // the tag stream ended early; the movie holds what was sound
    // The file's bytes after its 8-byte header, decompressed (read movies only): action blocks
    // may branch out of their own bytes into others (see ActionBytes).
    std::shared_ptr<const Bytes> body;
    static constexpr uint32_t kBodyOffset = 8;  // file offset of body's first byte

    const Character* find(uint16_t id) const {
        auto it = dictionary.find(id);
        return it == dictionary.end() ? nullptr : &it->second;
    }
    template <class T>
    const T* findAs(uint16_t id) const {
        const Character* c = find(id);
        return c ? std::get_if<T>(c) : nullptr;
    }
};

struct ReadOptions {
    // Largest uncompressed movie accepted; a larger declared length is read up to here.
    size_t maxMovieBytes = 256u << 20;
    // Largest bitmap accepted (pixels); bigger ones are kept out of the dictionary.
    size_t maxBitmapPixels = 16u << 20;
    // Most tags read from all timelines together, ShowFrame included. A few hundred kilobytes
    // of compressed data can unpack into a hundred million empty tags; past this the rest of
    // the movie is ignored, as if it had been cut off.
    size_t maxTags = 2u << 20;
    // Most tags that fail to parse; a movie this broken has nothing more worth reading.
    size_t maxBrokenTags = 4096;
};

struct ReadResult {
    std::shared_ptr<const Movie> movie;  // null when the file is rejected
    std::string error;                   // why it was rejected
    explicit operator bool() const { return movie != nullptr; }
};

// Reads a SWF file (FWS, CWS or ZWS). A file whose header is unsound is rejected; a tag
// stream that breaks off is loaded as far as it goes (truncated set); a tag that fails to
// parse is kept as an UnknownTag with a warning.
ReadResult readMovie(std::span<const uint8_t> file, const ReadOptions& options = {});

// Inflates a zlib stream (alpha planes of JPEG bitmaps, for instance), producing at most
// maxOutput bytes. Returns nothing when the stream is broken before any output is due.
std::optional<Bytes> inflateZlib(std::span<const uint8_t> data, size_t maxOutput);

}  // namespace pencora::swf
