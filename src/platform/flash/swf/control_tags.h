// The tags that make up a timeline: what each frame does to the display list, the actions
// it runs and the sounds it starts. Action bytecode stays raw here (a byte range exactly as
// stored); the action decoder turns it into action records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/flash/swf/geometry.h"

namespace pencora::swf {

// Strings are kept as stored: UTF-8 from SWF 6 on, the author's ANSI code page before (for
// this course usually GBK). Convert with the movie's version in hand.
using Bytes = std::vector<uint8_t>;

// The bytes of an action block, with where they lie in the movie's (decompressed) file: the
// block's branches may lead into the file's other bytes (see Movie::body). Where they lie is
// not part of what the tag says; blocks compare by their bytes alone.
struct ActionBytes : Bytes {
    static constexpr uint32_t kUnknownOffset = UINT32_MAX;
    using Bytes::Bytes;
    ActionBytes() = default;
    // Bytes from elsewhere (a movie built in memory) lie nowhere in a file.
    ActionBytes(Bytes bytes) : Bytes(std::move(bytes)) {}
    uint32_t fileOffset = kUnknownOffset;
};

enum class FilterType : uint8_t {
    DropShadow = 0,
    Blur = 1,
    Glow = 2,
    Bevel = 3,
    GradientGlow = 4,
    Convolution = 5,
    ColorMatrix = 6,
    GradientBevel = 7,
};

// One filter with the fields its type uses (the others keep their defaults).
struct Filter {
    FilterType type = FilterType::Blur;
    Rgba color;           // drop shadow, glow; bevel shadow colour
    Rgba highlightColor;  // bevel
    double blurX = 0.0;
    double blurY = 0.0;
    double angle = 0.0;     // radians
    double distance = 0.0;  // pixels
    double strength = 0.0;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = false;
    bool onTop = false;
    uint8_t passes = 1;
    std::vector<Rgba> gradientColors;  // gradient glow / bevel
    std::vector<uint8_t> gradientRatios;
    uint8_t matrixX = 0;  // convolution
    uint8_t matrixY = 0;
    float divisor = 1.0f;
    float bias = 0.0f;
    std::vector<float> matrix;  // convolution (matrixX*matrixY) or colour matrix (20)
    Rgba defaultColor;
    bool clamp = false;
    bool preserveAlpha = false;
    friend bool operator==(const Filter&, const Filter&) = default;
};

enum class BlendMode : uint8_t {
    Normal = 1,  // 0 also means normal
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// Clip event bits as stored (first byte lowest). Up to SWF 5 only the low 16 bits exist.
namespace clip_event {
inline constexpr uint32_t Load = 1u << 0;
inline constexpr uint32_t EnterFrame = 1u << 1;
inline constexpr uint32_t Unload = 1u << 2;
inline constexpr uint32_t MouseMove = 1u << 3;
inline constexpr uint32_t MouseDown = 1u << 4;
inline constexpr uint32_t MouseUp = 1u << 5;
inline constexpr uint32_t KeyDown = 1u << 6;
inline constexpr uint32_t KeyUp = 1u << 7;
inline constexpr uint32_t Data = 1u << 8;
inline constexpr uint32_t Initialize = 1u << 9;
inline constexpr uint32_t Press = 1u << 10;
inline constexpr uint32_t Release = 1u << 11;
inline constexpr uint32_t ReleaseOutside = 1u << 12;
inline constexpr uint32_t RollOver = 1u << 13;
inline constexpr uint32_t RollOut = 1u << 14;
inline constexpr uint32_t DragOver = 1u << 15;
inline constexpr uint32_t DragOut = 1u << 16;
inline constexpr uint32_t KeyPress = 1u << 17;
inline constexpr uint32_t Construct = 1u << 18;
}  // namespace clip_event

struct ClipAction {
    uint32_t events = 0;  // clip_event bits
    uint8_t keyCode = 0;  // with clip_event::KeyPress
    ActionBytes actions;  // raw action bytes
    friend bool operator==(const ClipAction&, const ClipAction&) = default;
};

// PlaceObject 1-3. Version 1 always places a new character (characterId and matrix set,
// move false). `move` with a character id replaces the character at the depth.
struct PlaceObject {
    uint8_t version = 2;
    bool move = false;
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<std::string> className;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> backgroundColor;
    uint32_t allClipEvents = 0;
    std::vector<ClipAction> clipActions;
    friend bool operator==(const PlaceObject&, const PlaceObject&) = default;
};

struct RemoveObject {
    uint8_t version = 2;
    std::optional<uint16_t> characterId;  // version 1 only
    uint16_t depth = 0;
    friend bool operator==(const RemoveObject&, const RemoveObject&) = default;
};

struct DoAction {
    ActionBytes actions;
    friend bool operator==(const DoAction&, const DoAction&) = default;
};

struct DoInitAction {
    uint16_t spriteId = 0;
    ActionBytes actions;
    friend bool operator==(const DoInitAction&, const DoInitAction&) = default;
};

struct SoundEnvelopePoint {
    uint32_t pos44 = 0;  // position in 44 kHz samples
    uint16_t left = 0;   // 0..32768
    uint16_t right = 0;
    friend bool operator==(const SoundEnvelopePoint&, const SoundEnvelopePoint&) = default;
};

struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<uint32_t> inPoint;
    std::optional<uint32_t> outPoint;
    std::optional<uint16_t> loopCount;
    std::optional<std::vector<SoundEnvelopePoint>> envelope;
    friend bool operator==(const SoundInfo&, const SoundInfo&) = default;
};

struct StartSound {
    uint16_t soundId = 0;
    SoundInfo info;
    friend bool operator==(const StartSound&, const StartSound&) = default;
};

struct StartSound2 {
    std::string className;
    SoundInfo info;
    friend bool operator==(const StartSound2&, const StartSound2&) = default;
};

// Sound formats as stored.
enum class SoundFormat : uint8_t {
    UncompressedNative = 0,
    Adpcm = 1,
    Mp3 = 2,
    UncompressedLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

// Rate index 0..3 = 5.5, 11, 22, 44 kHz.
inline unsigned soundRateHz(uint8_t rateIndex) {
    static constexpr unsigned rates[4] = {5512, 11025, 22050, 44100};
    return rates[rateIndex & 3];
}

struct SoundStreamHead {
    uint8_t version = 1;
    uint8_t playbackRate = 0;  // rate index
    bool playback16Bit = true;
    bool playbackStereo = false;
    SoundFormat format = SoundFormat::Mp3;
    uint8_t streamRate = 0;
    bool stream16Bit = true;
    bool streamStereo = false;
    uint16_t samplesPerBlock = 0;
    int16_t latencySeek = 0;  // MP3 only
    friend bool operator==(const SoundStreamHead&, const SoundStreamHead&) = default;
};

struct SoundStreamBlock {
    Bytes data;
    friend bool operator==(const SoundStreamBlock&, const SoundStreamBlock&) = default;
};

struct FrameLabel {
    std::string name;
    bool anchor = false;  // a named anchor (SWF 6+)
    friend bool operator==(const FrameLabel&, const FrameLabel&) = default;
};

// Gives the object at `depth` of this timeline its place in the custom Tab order.
struct SetTabIndex {
    uint16_t depth = 0;
    uint16_t tabIndex = 0;
    friend bool operator==(const SetTabIndex&, const SetTabIndex&) = default;
};

struct SetBackgroundColor {
    Rgba color;
    friend bool operator==(const SetBackgroundColor&, const SetBackgroundColor&) = default;
};

struct ExportAssets {
    std::vector<std::pair<uint16_t, std::string>> assets;  // character id, export name
    friend bool operator==(const ExportAssets&, const ExportAssets&) = default;
};

struct ImportAssets {
    uint8_t version = 1;
    std::string url;
    std::vector<std::pair<uint16_t, std::string>> assets;  // id given here, name in the source
    friend bool operator==(const ImportAssets&, const ImportAssets&) = default;
};

// A tag the reader does not interpret, or one that failed to parse, kept with its bytes.
struct UnknownTag {
    uint16_t code = 0;
    Bytes body;
    friend bool operator==(const UnknownTag&, const UnknownTag&) = default;
};

using ControlTag =
    std::variant<PlaceObject, RemoveObject, DoAction, DoInitAction, StartSound, StartSound2,
                 SoundStreamHead, SoundStreamBlock, FrameLabel, SetBackgroundColor, ExportAssets,
                 ImportAssets, SetTabIndex, UnknownTag>;

// One frame: its control tags in file order (the frame ends at ShowFrame). `labels` repeats
// the names of its FrameLabel tags for quick look-up.
struct Frame {
    std::vector<ControlTag> tags;
    std::vector<std::string> labels;
    friend bool operator==(const Frame&, const Frame&) = default;
};

struct Timeline {
    std::vector<Frame> frames;
    // False when the tags stop without an End tag, or tags follow the last ShowFrame: such a
    // timeline plays its frames (the trailing tags as one more) once and then stays on its
    // last frame instead of looping (looping_child_swf5).
    bool complete = true;
    friend bool operator==(const Timeline&, const Timeline&) = default;
};

}  // namespace pencora::swf
