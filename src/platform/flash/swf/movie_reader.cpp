#include <algorithm>
#include <cstring>

#include "platform/flash/swf/decompress.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swf/tag_codes.h"
#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf {

namespace {

using namespace detail;

struct Context {
    Movie& movie;
    const ReadOptions& options;
    size_t tagsRead = 0;
    size_t brokenTags = 0;
    uint8_t version() const { return movie.header.version; }
    void warn(std::string message) {
        // A hostile file could produce one warning per tag; a few hundred tell the story.
        if (movie.warnings.size() < 256) {
            movie.warnings.push_back(std::move(message));
        }
    }
};

Bytes copy(std::span<const uint8_t> s) {
    return Bytes(s.begin(), s.end());
}

std::vector<std::pair<uint16_t, std::string>> readAssetList(ByteReader& r) {
    std::vector<std::pair<uint16_t, std::string>> assets;
    uint16_t count = r.u16();
    for (unsigned i = 0; i < count; ++i) {
        uint16_t id = r.u16();
        assets.emplace_back(id, r.string());
    }
    return assets;
}

void define(Context& ctx, uint16_t id, Character&& character) {
    // Like the player, keep the first definition of an id and ignore later ones.
    if (!ctx.movie.dictionary.emplace(id, std::move(character)).second) {
        ctx.warn("character " + std::to_string(id) + " defined twice; the first one is kept");
    }
}

void readTimeline(ByteReader& r, Context& ctx, Timeline& timeline, bool inSprite);

// A VideoFrame's packet joins its stream; one naming no stream stays in its frame as bytes.
bool readVideoFrame(ByteReader& r, Context& ctx) {
    uint16_t streamId = r.u16();
    uint16_t frameNumber = r.u16();
    auto it = ctx.movie.dictionary.find(streamId);
    auto* stream =
        it == ctx.movie.dictionary.end() ? nullptr : std::get_if<VideoStream>(&it->second);
    if (!stream) {
        ctx.warn("VideoFrame for character " + std::to_string(streamId) + ", which is no video");
        return false;
    }
    stream->frames.emplace(frameNumber, copy(r.rest()));
    return true;
}

// Reads one tag body. Returns false when the tag is not one this reader interprets.
bool readTag(uint16_t code, ByteReader& r, Context& ctx, Frame& frame, bool inSprite) {
    Movie& movie = ctx.movie;
    switch (code) {
        case tag::DefineShape:
        case tag::DefineShape2:
        case tag::DefineShape3:
        case tag::DefineShape4: {
            uint8_t v = code == tag::DefineShape    ? 1
                        : code == tag::DefineShape2 ? 2
                        : code == tag::DefineShape3 ? 3
                                                    : 4;
            Shape s = readDefineShape(r, v);
            define(ctx, s.id, std::move(s));
            return true;
        }
        case tag::DefineMorphShape:
        case tag::DefineMorphShape2: {
            MorphShape m = readDefineMorphShape(r, code == tag::DefineMorphShape ? 1 : 2);
            define(ctx, m.id, std::move(m));
            return true;
        }
        case tag::JpegTables:
            if (movie.jpegTables.empty()) {
                movie.jpegTables = copy(r.rest());
            }
            r.rest();
            return true;
        case tag::DefineBits:
        case tag::DefineBitsJpeg2:
        case tag::DefineBitsJpeg3:
        case tag::DefineBitsJpeg4: {
            uint8_t v = code == tag::DefineBits        ? 1
                        : code == tag::DefineBitsJpeg2 ? 2
                        : code == tag::DefineBitsJpeg3 ? 3
                                                       : 4;
            JpegBitmap b = readDefineBitsJpeg(r, v);
            define(ctx, b.id, std::move(b));
            return true;
        }
        case tag::DefineBitsLossless:
        case tag::DefineBitsLossless2: {
            LosslessBitmap b = readDefineBitsLossless(r, code == tag::DefineBitsLossless ? 1 : 2,
                                                      ctx.options.maxBitmapPixels);
            define(ctx, b.id, std::move(b));
            return true;
        }
        case tag::DefineFont:
        case tag::DefineFont2:
        case tag::DefineFont3: {
            Font f = readDefineFont(r, code == tag::DefineFont    ? 1
                                       : code == tag::DefineFont2 ? 2
                                                                  : 3);
            define(ctx, f.id, std::move(f));
            return true;
        }
        case tag::DefineFontInfo:
        case tag::DefineFontInfo2: {
            uint16_t id = r.u16();
            auto it = movie.dictionary.find(id);
            Font* font = it == movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
            if (font == nullptr) {
                r.fail("font " + std::to_string(id) + " is not defined");
            }
            // Read into a copy so a broken record leaves the font as it was.
            Font updated = *font;
            readDefineFontInfo(r, code == tag::DefineFontInfo ? 1 : 2, updated);
            *font = std::move(updated);
            return true;
        }
        case tag::DefineText:
        case tag::DefineText2: {
            Text t = readDefineText(r, code == tag::DefineText ? 1 : 2);
            define(ctx, t.id, std::move(t));
            return true;
        }
        case tag::DefineEditText: {
            EditText e = readDefineEditText(r);
            define(ctx, e.id, std::move(e));
            return true;
        }
        case tag::DefineSprite: {
            if (inSprite) {
                r.fail("sprite defined inside a sprite");
            }
            Sprite s;
            s.id = r.u16();
            s.frameCount = r.u16();
            s.tagBytes = static_cast<uint32_t>(r.remaining());
            readTimeline(r, ctx, s.timeline, true);
            // Some writers put a second End tag (zero bytes) after the first.
            auto rest = r.rest();
            if (std::any_of(rest.begin(), rest.end(), [](uint8_t b) { return b != 0; })) {
                ctx.warn("DefineSprite " + std::to_string(s.id) + ": " +
                         std::to_string(rest.size()) + " bytes after its End tag");
            }
            define(ctx, s.id, std::move(s));
            return true;
        }
        case tag::DefineButton:
        case tag::DefineButton2: {
            Button b = readDefineButton(r, code == tag::DefineButton ? 1 : 2);
            define(ctx, b.id, std::move(b));
            return true;
        }
        case tag::DefineButtonSound:
        case tag::DefineButtonCxform: {
            uint16_t id = r.u16();
            auto it = movie.dictionary.find(id);
            Button* button =
                it == movie.dictionary.end() ? nullptr : std::get_if<Button>(&it->second);
            if (button == nullptr) {
                r.fail("button " + std::to_string(id) + " is not defined");
            }
            if (code == tag::DefineButtonSound) {
                Button updated = *button;
                readDefineButtonSound(r, updated);
                button->sounds = updated.sounds;
            } else {
                button->colorTransform = readColorTransform(r, false);
            }
            return true;
        }
        case tag::DefineSound: {
            Sound s = readDefineSound(r);
            define(ctx, s.id, std::move(s));
            return true;
        }
        case tag::DefineVideoStream: {
            VideoStream v = readDefineVideoStream(r);
            define(ctx, v.id, std::move(v));
            return true;
        }
        case tag::VideoFrame:
            return readVideoFrame(r, ctx);
        case tag::PlaceObject:
        case tag::PlaceObject2:
        case tag::PlaceObject3: {
            uint8_t v = code == tag::PlaceObject ? 1 : code == tag::PlaceObject2 ? 2 : 3;
            frame.tags.emplace_back(readPlaceObject(r, v, ctx.version()));
            return true;
        }
        case tag::RemoveObject: {
            RemoveObject rm;
            rm.version = 1;
            rm.characterId = r.u16();
            rm.depth = r.u16();
            frame.tags.emplace_back(rm);
            return true;
        }
        case tag::RemoveObject2: {
            RemoveObject rm;
            rm.depth = r.u16();
            frame.tags.emplace_back(rm);
            return true;
        }
        case tag::DoAction: {
            DoAction a;
            const auto offset = uint32_t(r.fileOffset());
            a.actions = copy(r.rest());
            a.actions.fileOffset = offset;
            frame.tags.emplace_back(std::move(a));
            return true;
        }
        case tag::DoInitAction: {
            DoInitAction a;
            a.spriteId = r.u16();
            const auto offset = uint32_t(r.fileOffset());
            a.actions = copy(r.rest());
            a.actions.fileOffset = offset;
            frame.tags.emplace_back(std::move(a));
            return true;
        }
        case tag::StartSound: {
            StartSound s;
            s.soundId = r.u16();
            s.info = readSoundInfo(r);
            frame.tags.emplace_back(std::move(s));
            return true;
        }
        case tag::StartSound2: {
            StartSound2 s;
            s.className = r.string();
            s.info = readSoundInfo(r);
            frame.tags.emplace_back(std::move(s));
            return true;
        }
        case tag::SoundStreamHead:
        case tag::SoundStreamHead2:
            frame.tags.emplace_back(readSoundStreamHead(r, code == tag::SoundStreamHead ? 1 : 2));
            return true;
        case tag::SoundStreamBlock:
            frame.tags.emplace_back(SoundStreamBlock{copy(r.rest())});
            return true;
        case tag::FrameLabel: {
            FrameLabel label;
            label.name = r.string();
            if (!r.atEnd()) {
                label.anchor = r.u8() == 1;
            }
            frame.labels.push_back(label.name);
            frame.tags.emplace_back(std::move(label));
            return true;
        }
        case tag::SetBackgroundColor: {
            SetBackgroundColor bg{readRgb(r)};
            if (!movie.backgroundColor) {
                movie.backgroundColor = bg.color;
            }
            frame.tags.emplace_back(bg);
            return true;
        }
        case tag::SetTabIndex: {
            SetTabIndex t;
            t.depth = r.u16();
            t.tabIndex = r.u16();
            frame.tags.emplace_back(t);
            return true;
        }
        case tag::ExportAssets:
            frame.tags.emplace_back(ExportAssets{readAssetList(r)});
            return true;
        case tag::ImportAssets:
        case tag::ImportAssets2: {
            ImportAssets imp;
            imp.version = code == tag::ImportAssets ? 1 : 2;
            imp.url = r.string();
            if (imp.version == 2) {
                r.u8();  // reserved, 1
                r.u8();  // reserved, 0
            }
            imp.assets = readAssetList(r);
            frame.tags.emplace_back(std::move(imp));
            return true;
        }
        case tag::DefineSceneAndFrameLabelData: {
            uint32_t scenes = r.encodedU32();
            for (uint32_t i = 0; i < scenes; ++i) {
                Scene s;
                s.offset = r.encodedU32();
                s.name = r.string();
                movie.scenes.push_back(std::move(s));
            }
            uint32_t labels = r.encodedU32();
            for (uint32_t i = 0; i < labels; ++i) {
                uint32_t frameNumber = r.encodedU32();
                movie.sceneFrameLabels.emplace_back(frameNumber, r.string());
            }
            return true;
        }
        case tag::Protect:
            movie.protect = true;
            r.rest();
            return true;
        case tag::Metadata:
            movie.metadata = r.string();
            return true;
        case tag::FileAttributes:
            // Older writers store a single byte; the other bytes are reserved.
            movie.fileAttributes = r.remaining() >= 4 ? r.u32() : r.u8();
            return true;
        case tag::ScriptLimits:
            movie.maxRecursionDepth = r.u16();
            movie.scriptTimeoutSeconds = r.u16();
            return true;
        case tag::DefineScalingGrid: {
            uint16_t id = r.u16();
            movie.scalingGrids.emplace(id, readRect(r));
            return true;
        }
        case tag::CsmTextSettings: {
            TextSettings s;
            const uint16_t id = r.u16();
            const uint8_t flags = r.u8();
            s.advanced = (flags >> 6) == 1;
            s.gridFit = uint8_t((flags >> 3) & 7);
            s.thickness = r.f32();
            s.sharpness = r.f32();
            r.rest();  // a reserved byte
            movie.textSettings.emplace(id, s);
            return true;
        }
        case tag::EnableDebugger:
        case tag::EnableDebugger2:
        case tag::DefineFontAlignZones:
        case tag::DefineFontName:
        case tag::DebugId:
            r.rest();  // known, and nothing here needs them
            return true;
        default:
            return false;
    }
}

// Gives up on the rest of the tag stream, which then reads as cut off.
void stopReading(ByteReader& r, Context& ctx, const std::string& why) {
    // Said once, past the cap on warnings: it explains why the movie ends where it does.
    ctx.movie.warnings.push_back(why + ": the rest of the movie is ignored");
    ctx.movie.truncated = true;
    r.rest();
}

// The player stops at End; what a writer left behind it is said once and never read. A
// sprite's trailing bytes are told by its own tag.
void warnAboutTagsAfterEnd(ByteReader& r, Context& ctx, bool inSprite) {
    if (inSprite || r.atEnd()) {
        return;
    }
    auto rest = r.rest();
    if (std::any_of(rest.begin(), rest.end(), [](uint8_t b) { return b != 0; })) {
        ctx.warn(std::to_string(rest.size()) + " bytes after the End tag are ignored");
    }
}

void readTimeline(ByteReader& r, Context& ctx, Timeline& timeline, bool inSprite) {
    Frame current;
    bool ended = false;
    while (!r.atEnd()) {
        const size_t tagOffset = r.fileOffset();
        if (r.remaining() < 2) {
            ctx.warn("stray byte after the last tag at offset " + std::to_string(tagOffset));
            r.rest();
            break;
        }
        uint16_t head = r.u16();
        uint16_t code = head >> 6;
        uint32_t length = head & 0x3f;
        if (length == 0x3f) {
            if (r.remaining() < 4) {
                ctx.movie.truncated |= !inSprite;
                ctx.warn(std::string(tag::name(code)) + " at offset " + std::to_string(tagOffset) +
                         ": header cut off");
                r.rest();
                break;
            }
            length = r.u32();
        }
        if (length > r.remaining()) {
            // Inside a sprite only the sprite is cut short (it is marked incomplete below);
            // the movie's own tags go on after it.
            ctx.movie.truncated |= !inSprite;
            ctx.warn(std::string(tag::name(code)) + " at offset " + std::to_string(tagOffset) +
                     " claims " + std::to_string(length) + " bytes, " +
                     std::to_string(r.remaining()) + " left");
            r.rest();
            break;
        }
        const size_t bodyOffset = r.fileOffset();
        const std::span<const uint8_t> bodyBytes = r.bytes(length);
        if (++ctx.tagsRead > ctx.options.maxTags) {
            stopReading(r, ctx, "more than " + std::to_string(ctx.options.maxTags) + " tags");
            break;
        }
        ByteReader body(bodyBytes, tag::name(code), bodyOffset);
        if (code == tag::End) {
            ended = true;
            warnAboutTagsAfterEnd(r, ctx, inSprite);
            break;
        }
        if (code == tag::ShowFrame) {
            timeline.frames.push_back(std::move(current));
            current = Frame{};
            continue;
        }
        try {
            if (!readTag(code, body, ctx, current, inSprite)) {
                current.tags.emplace_back(UnknownTag{code, copy(body.rest())});
            } else if (!body.atEnd()) {
                ctx.warn(std::string(tag::name(code)) + " at offset " + std::to_string(tagOffset) +
                         ": " + std::to_string(body.remaining()) + " bytes left over");
            }
        } catch (const ParseError& e) {
            ctx.warn(e.what());
            // Keep the tag in its frame, as bytes, so nothing after it moves.
            current.tags.emplace_back(UnknownTag{code, copy(bodyBytes)});
            if (++ctx.brokenTags > ctx.options.maxBrokenTags) {
                stopReading(
                    r, ctx,
                    "more than " + std::to_string(ctx.options.maxBrokenTags) + " broken tags");
                break;
            }
        }
    }
    if (!ended && !inSprite && !ctx.movie.truncated) {
        ctx.warn("the tag stream has no End tag");
    }
    if (!current.tags.empty()) {
        timeline.frames.push_back(std::move(current));
        timeline.complete = false;
    }
    if (!ended) {
        timeline.complete = false;
    }
}

}  // namespace

ReadResult readMovie(std::span<const uint8_t> file, const ReadOptions& options) {
    ReadResult result;
    if (file.size() < 8) {
        result.error = "not a SWF file: shorter than its header";
        return result;
    }
    Compression compression;
    if (std::memcmp(file.data(), "FWS", 3) == 0) {
        compression = Compression::None;
    } else if (std::memcmp(file.data(), "CWS", 3) == 0) {
        compression = Compression::Zlib;
    } else if (std::memcmp(file.data(), "ZWS", 3) == 0) {
        compression = Compression::Lzma;
    } else {
        result.error = "not a SWF file: unknown signature";
        return result;
    }
    auto movie = std::make_shared<Movie>();
    movie->header.compression = compression;
    movie->header.version = file[3];
    uint32_t fileLength = static_cast<uint32_t>(file[4]) | (static_cast<uint32_t>(file[5]) << 8) |
                          (static_cast<uint32_t>(file[6]) << 16) |
                          (static_cast<uint32_t>(file[7]) << 24);
    movie->header.fileLength = fileLength;

    // The declared length bounds what is decompressed; an uncompressed file is read whole.
    size_t wanted = fileLength > 8 ? fileLength - 8 : 0;
    if (wanted > options.maxMovieBytes) {
        movie->warnings.push_back("movie of " + std::to_string(fileLength) +
                                  " bytes read only up to the size limit");
        wanted = options.maxMovieBytes;
    }
    std::vector<uint8_t> inflated;
    std::span<const uint8_t> body;
    if (compression == Compression::None) {
        body = file.subspan(8, std::min(file.size() - 8, options.maxMovieBytes));
    } else {
        // Some writers put a wrong length in the header; a stream that marks its own end
        // (zlib always, LZMA when written with an end marker) is read to that end, still no
        // further than the size limit. An LZMA stream without the marker has only the
        // header's length to end it.
        Inflated out;
        if (compression == Compression::Zlib) {
            out = inflateCapped(file.subspan(8), options.maxMovieBytes);
        } else {
            // ZWS: 4 bytes compressed length, 5 bytes LZMA properties, then the data.
            if (file.size() < 17) {
                result.error = "LZMA movie header cut off";
                return result;
            }
            // The dictionary need not outgrow the declared length: a movie declaring less
            // than it holds decodes as far as its matches stay within that.
            out = unlzmaCapped(file.subspan(12), options.maxMovieBytes, wanted);
            if (!out.complete && out.bytes.size() > wanted) {
                out.bytes.resize(wanted);
                out.complete = true;
            }
        }
        if (out.complete && out.bytes.size() != wanted && wanted < options.maxMovieBytes) {
            movie->warnings.push_back("the header gives " + std::to_string(fileLength) +
                                      " bytes, the compressed data holds " +
                                      std::to_string(out.bytes.size() + 8));
            wanted = out.bytes.size();
        }
        if (!out.complete || out.bytes.size() < wanted) {
            movie->warnings.push_back("compressed data ends after " +
                                      std::to_string(out.bytes.size()) + " of " +
                                      std::to_string(wanted) + " bytes");
        }
        inflated = std::move(out.bytes);
        body = inflated;
    }

    ByteReader r(body, "movie header", 8);
    try {
        movie->header.frameSize = readRect(r);
        movie->header.frameRate = r.u16() / 256.0;
        movie->header.frameCount = r.u16();
    } catch (const ParseError& e) {
        result.error = e.what();
        return result;
    }
    Context ctx{*movie, options};
    readTimeline(r, ctx, movie->timeline, false);
    if (compression == Compression::None) {
        movie->body = std::make_shared<const Bytes>(body.begin(), body.end());
    } else {
        movie->body = std::make_shared<const Bytes>(std::move(inflated));
    }
    result.movie = std::move(movie);
    return result;
}

}  // namespace pencora::swf
