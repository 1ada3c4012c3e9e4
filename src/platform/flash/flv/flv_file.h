// An FLV file read from memory: its audio and video packets in file order and the values of
// its onMetaData script tag. Demuxing goes through libavformat with an I/O context over the
// caller's bytes; nothing here opens a path.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pencora::flv {

enum class PacketKind { Audio, Video };

// Codec numbers as FLV and SWF files write them in their audio and video tag headers.
namespace audio_codec {
inline constexpr int PcmNative = 0;
inline constexpr int Adpcm = 1;
inline constexpr int Mp3 = 2;
inline constexpr int PcmLittle = 3;
inline constexpr int Nellymoser = 6;  // also 4 (16 kHz) and 5 (8 kHz) in files
inline constexpr int Aac = 10;
inline constexpr int Speex = 11;
}  // namespace audio_codec
namespace video_codec {
inline constexpr int SorensonH263 = 2;
inline constexpr int ScreenVideo = 3;
inline constexpr int Vp6 = 4;
inline constexpr int Vp6Alpha = 5;
inline constexpr int ScreenVideo2 = 6;
inline constexpr int Avc = 7;
}  // namespace video_codec

struct Packet {
    PacketKind kind = PacketKind::Audio;
    int codec = -1;  // audio_codec or video_codec; -1 when unknown
    // The tag's time: when the packet is decoded. H.264 pictures are shown
    // `compositionMs` later (B-frames come before the pictures they are shown after).
    double ms = 0;
    double compositionMs = 0;
    bool keyframe = false;
    std::vector<uint8_t> bytes;  // the codec's data, as the decoder takes it
    // A new decoder configuration (an AAC or AVC sequence header) that takes effect from
    // this packet on; empty when the stream's `StreamInfo::extra` still holds.
    std::vector<uint8_t> config;
};

// How to open a decoder for one of the file's streams.
struct StreamInfo {
    bool present = false;
    int codec = -1;              // audio_codec or video_codec
    int decoderId = 0;           // libavcodec's codec id
    int sampleRate = 0;          // audio
    int channels = 0;            // audio
    int width = 0, height = 0;   // video, as onMetaData says (0 when it does not)
    std::vector<uint8_t> extra;  // codec configuration (AAC, AVC, VP6 adjustment)
};

struct ScriptMember;

// A value of a script tag (AMF0): numbers, booleans, strings, dates, objects and arrays.
struct ScriptValue {
    enum class Type { Undefined, Null, Number, Boolean, String, Object, Array, Date };
    Type type = Type::Undefined;
    double number = 0;  // Number, Boolean (0 or 1), Date (milliseconds since 1970)
    std::string text;   // String, UTF-8
    // Object, in file order (a pair would need the value's type complete here, which not
    // every compiler's library allows).
    std::vector<ScriptMember> members;
    std::vector<ScriptValue> elements;  // Array
};

struct ScriptMember {
    std::string name;
    ScriptValue value;
};

struct File {
    std::vector<Packet> packets;  // audio and video, in file order
    StreamInfo audio;
    StreamInfo video;
    std::optional<ScriptValue> metadata;  // the argument of the first onMetaData tag
    double durationMs = 0;                // from onMetaData, else the last packet's time
};

// The file, or nothing when the bytes are not an FLV file libavformat can read. A file that
// breaks off keeps the packets before the break.
std::optional<File> readFile(std::span<const uint8_t> bytes);

// True when `bytes` begin with the FLV signature and hold a whole file header.
bool looksLikeFlv(std::span<const uint8_t> bytes);

}  // namespace pencora::flv
