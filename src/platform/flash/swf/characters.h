// Character definitions: everything a movie puts into its dictionary under an id.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/flash/swf/control_tags.h"
#include "platform/flash/swf/geometry.h"
#include "platform/flash/swf/shape.h"

namespace pencora::swf {

// DefineBits (1, uses the movie's JPEGTables), DefineBitsJPEG2, 3 (with alpha), 4 (with
// deblocking). `data` is the image as stored: JPEG, or from SWF 8 also PNG or GIF; JPEG data
// may start with an extra FF D9 FF D8 marker pair. `alpha` is the zlib-compressed alpha
// plane (one byte per pixel) of versions 3 and 4, undecoded.
struct JpegBitmap {
    uint16_t id = 0;
    uint8_t version = 2;
    Bytes data;
    Bytes alpha;
    double deblock = 0.0;
    friend bool operator==(const JpegBitmap&, const JpegBitmap&) = default;
};

// DefineBitsLossless 1-2, decompressed: width*height pixels, premultiplied 0xAARRGGBB (the
// layout of QImage::Format_ARGB32_Premultiplied). Version 1 pixels are opaque.
struct LosslessBitmap {
    uint16_t id = 0;
    uint8_t version = 1;
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint32_t> pixels;
    friend bool operator==(const LosslessBitmap&, const LosslessBitmap&) = default;
};

struct KerningPair {
    uint16_t left = 0;  // character codes
    uint16_t right = 0;
    int16_t adjustment = 0;
    friend bool operator==(const KerningPair&, const KerningPair&) = default;
};

// DefineFont 1-3, with DefineFontInfo/2 folded in. Glyph outlines are shape records drawn
// with fill style 1; version 3 glyphs use a 20480-unit em square, older ones 1024.
struct Font {
    uint16_t id = 0;
    uint8_t version = 1;
    std::string name;
    bool bold = false;
    bool italic = false;
    bool smallText = false;
    bool shiftJis = false;
    bool ansi = false;
    bool wideCodes = false;
    uint8_t languageCode = 0;
    std::vector<std::vector<ShapeRecord>> glyphs;
    std::vector<uint16_t> codes;  // per glyph; empty when not given
    bool hasLayout = false;
    int16_t ascent = 0;
    int16_t descent = 0;
    int16_t leading = 0;
    std::vector<int16_t> advances;  // per glyph, with layout
    std::vector<Rect> glyphBounds;  // per glyph, with layout (often all zero)
    std::vector<KerningPair> kerning;
    friend bool operator==(const Font&, const Font&) = default;
};

struct GlyphEntry {
    uint32_t index = 0;
    int32_t advance = 0;  // twips
    friend bool operator==(const GlyphEntry&, const GlyphEntry&) = default;
};

// One run of a static text: fields not present keep the previous record's values.
struct TextRecord {
    std::optional<uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<int16_t> xOffset;
    std::optional<int16_t> yOffset;
    std::optional<uint16_t> height;  // twips, given with the font
    std::vector<GlyphEntry> glyphs;
    friend bool operator==(const TextRecord&, const TextRecord&) = default;
};

// DefineText 1-2 (version 2 colours carry alpha).
struct Text {
    uint16_t id = 0;
    uint8_t version = 1;
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
    friend bool operator==(const Text&, const Text&) = default;
};

enum class TextAlign : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditText {
    uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;
    std::optional<uint16_t> fontId;
    std::optional<std::string> fontClass;
    uint16_t fontHeight = 0;  // twips
    std::optional<Rgba> textColor;
    std::optional<uint16_t> maxLength;
    bool hasLayout = false;
    TextAlign align = TextAlign::Left;
    uint16_t leftMargin = 0;
    uint16_t rightMargin = 0;
    uint16_t indent = 0;
    int16_t leading = 0;
    std::string variableName;
    std::optional<std::string> initialText;
    friend bool operator==(const EditText&, const EditText&) = default;
};

struct Sprite {
    uint16_t id = 0;
    uint16_t frameCount = 0;  // as declared; the timeline holds the frames actually read
    Timeline timeline;
    // The length of its tag list as read, the sprite's own bytes: a fact of the file, not of
    // the records, so equal sprites may differ in it.
    uint32_t tagBytes = 0;
    friend bool operator==(const Sprite& a, const Sprite& b) {
        return a.id == b.id && a.frameCount == b.frameCount && a.timeline == b.timeline;
    }
};

// Button state bits of a button record.
namespace button_state {
inline constexpr uint8_t Up = 1u << 0;
inline constexpr uint8_t Over = 1u << 1;
inline constexpr uint8_t Down = 1u << 2;
inline constexpr uint8_t HitTest = 1u << 3;
}  // namespace button_state

struct ButtonRecord {
    uint8_t states = 0;  // button_state bits
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;  // DefineButton2 only
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
    friend bool operator==(const ButtonRecord&, const ButtonRecord&) = default;
};

// Button transition bits of a condition (DefineButton's single action list runs on
// OverDownToOverUp, i.e. release).
namespace button_condition {
inline constexpr uint16_t IdleToOverUp = 1u << 0;       // roll over
inline constexpr uint16_t OverUpToIdle = 1u << 1;       // roll out
inline constexpr uint16_t OverUpToOverDown = 1u << 2;   // press
inline constexpr uint16_t OverDownToOverUp = 1u << 3;   // release
inline constexpr uint16_t OverDownToOutDown = 1u << 4;  // drag out
inline constexpr uint16_t OutDownToOverDown = 1u << 5;  // drag over
inline constexpr uint16_t OutDownToIdle = 1u << 6;      // release outside
inline constexpr uint16_t IdleToOverDown = 1u << 7;     // drag over (menu)
inline constexpr uint16_t OverDownToIdle = 1u << 8;     // drag out (menu)
}  // namespace button_condition

struct ButtonCondAction {
    uint16_t conditions = 0;  // button_condition bits
    uint8_t keyCode = 0;      // 0 = none; else the key press code
    ActionBytes actions;      // raw action bytes
    friend bool operator==(const ButtonCondAction&, const ButtonCondAction&) = default;
};

struct ButtonSound {
    uint16_t soundId = 0;  // 0 = none
    SoundInfo info;
    friend bool operator==(const ButtonSound&, const ButtonSound&) = default;
};

struct Button {
    uint16_t id = 0;
    uint8_t version = 1;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonCondAction> actions;
    // From DefineButtonSound: over-up to idle, idle to over-up, over-up to over-down,
    // over-down to over-up.
    std::array<ButtonSound, 4> sounds{};
    std::optional<ColorTransform> colorTransform;  // DefineButtonCxform (version 1)
    friend bool operator==(const Button&, const Button&) = default;
};

struct Sound {
    uint16_t id = 0;
    SoundFormat format = SoundFormat::Mp3;
    uint8_t rate = 0;  // rate index, see soundRateHz
    bool is16Bit = true;
    bool stereo = false;
    uint32_t sampleCount = 0;
    Bytes data;  // as stored (for MP3: the seek-samples word and the frames)
    friend bool operator==(const Sound&, const Sound&) = default;
};

// DefineVideoStream, with the packets of the VideoFrame tags that name it, by frame number
// (from whichever timeline they sit in; the first packet of a number is kept).
struct VideoStream {
    uint16_t id = 0;
    uint16_t frameCount = 0;
    uint16_t width = 0;  // pixels
    uint16_t height = 0;
    uint8_t deblocking = 0;  // 0: as each packet says, 1: off, 2 and up: on at that level
    bool smoothing = false;
    uint8_t codecId = 0;  // 2 H.263, 3 Screen Video, 4 VP6, 5 VP6 with alpha, 6 Screen Video 2
    std::map<uint16_t, Bytes> frames;
    friend bool operator==(const VideoStream&, const VideoStream&) = default;
};

using Character = std::variant<Shape, MorphShape, JpegBitmap, LosslessBitmap, Font, Text, EditText,
                               Sprite, Button, Sound, VideoStream>;

}  // namespace pencora::swf
