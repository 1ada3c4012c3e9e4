#include "platform/flash/swfwrite/encode.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "platform/flash/swf/tag_codes.h"
#include "platform/flash/swfwrite/encode_internal.h"

namespace pencora::swfwrite {

namespace tag = swf::tag;
using namespace detail;

Bytes encodeTag(uint16_t code, std::span<const uint8_t> body) {
    ByteWriter w;
    // Bitmap and sound tags are customarily written in the long form even when short.
    if (body.size() >= 0x3f) {
        w.u16(static_cast<uint16_t>((code << 6) | 0x3f));
        w.u32(static_cast<uint32_t>(body.size()));
    } else {
        w.u16(static_cast<uint16_t>((code << 6) | body.size()));
    }
    w.bytes(body);
    return w.take();
}

namespace detail {

void writeSoundInfo(ByteWriter& w, const swf::SoundInfo& info) {
    w.u8((info.syncStop ? 0x20 : 0) | (info.syncNoMultiple ? 0x10 : 0) |
         (info.envelope ? 0x08 : 0) | (info.loopCount ? 0x04 : 0) | (info.outPoint ? 0x02 : 0) |
         (info.inPoint ? 0x01 : 0));
    if (info.inPoint) {
        w.u32(*info.inPoint);
    }
    if (info.outPoint) {
        w.u32(*info.outPoint);
    }
    if (info.loopCount) {
        w.u16(*info.loopCount);
    }
    if (info.envelope) {
        w.u8(static_cast<uint8_t>(info.envelope->size()));
        for (const auto& p : *info.envelope) {
            w.u32(p.pos44);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
}

void writeFilterList(ByteWriter& w, const std::vector<swf::Filter>& filters) {
    using swf::FilterType;
    w.u8(static_cast<uint8_t>(filters.size()));
    for (const auto& f : filters) {
        w.u8(static_cast<uint8_t>(f.type));
        auto flags = [&](uint8_t passesMask, bool withOnTop) {
            w.u8((f.inner ? 0x80 : 0) | (f.knockout ? 0x40 : 0) | (f.compositeSource ? 0x20 : 0) |
                 (withOnTop && f.onTop ? 0x10 : 0) | (f.passes & passesMask));
        };
        switch (f.type) {
            case FilterType::DropShadow:
                writeRgba(w, f.color);
                w.fixed16(f.blurX);
                w.fixed16(f.blurY);
                w.fixed16(f.angle);
                w.fixed16(f.distance);
                w.fixed8(f.strength);
                flags(0x1f, false);
                break;
            case FilterType::Blur:
                w.fixed16(f.blurX);
                w.fixed16(f.blurY);
                w.u8(static_cast<uint8_t>(f.passes << 3));
                break;
            case FilterType::Glow:
                writeRgba(w, f.color);
                w.fixed16(f.blurX);
                w.fixed16(f.blurY);
                w.fixed8(f.strength);
                flags(0x1f, false);
                break;
            case FilterType::Bevel:
            case FilterType::GradientGlow:
            case FilterType::GradientBevel:
                if (f.type == FilterType::Bevel) {
                    writeRgba(w, f.color);
                    writeRgba(w, f.highlightColor);
                } else {
                    w.u8(static_cast<uint8_t>(f.gradientColors.size()));
                    for (const auto& c : f.gradientColors) {
                        writeRgba(w, c);
                    }
                    for (size_t i = 0; i < f.gradientColors.size(); ++i) {
                        w.u8(i < f.gradientRatios.size() ? f.gradientRatios[i] : 0);
                    }
                }
                w.fixed16(f.blurX);
                w.fixed16(f.blurY);
                w.fixed16(f.angle);
                w.fixed16(f.distance);
                w.fixed8(f.strength);
                flags(0x0f, true);
                break;
            case FilterType::Convolution:
                w.u8(f.matrixX);
                w.u8(f.matrixY);
                w.f32(f.divisor);
                w.f32(f.bias);
                for (size_t i = 0; i < size_t{f.matrixX} * f.matrixY; ++i) {
                    w.f32(i < f.matrix.size() ? f.matrix[i] : 0.0f);
                }
                writeRgba(w, f.defaultColor);
                w.u8((f.clamp ? 0x02 : 0) | (f.preserveAlpha ? 0x01 : 0));
                break;
            case FilterType::ColorMatrix:
                for (size_t i = 0; i < 20; ++i) {
                    w.f32(i < f.matrix.size() ? f.matrix[i] : 0.0f);
                }
                break;
        }
    }
}

}  // namespace detail

namespace {

Bytes zlibCompress(std::span<const uint8_t> data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK) {
        throw std::runtime_error("zlib compression failed");
    }
    out.resize(size);
    return out;
}

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

Bytes encodeLossless(const swf::LosslessBitmap& b) {
    // Always the 32-bit format: version 1 writes a padding byte, version 2 premultiplied alpha.
    Bytes raw;
    raw.reserve(b.pixels.size() * 4);
    for (uint32_t p : b.pixels) {
        raw.push_back(b.version >= 2 ? static_cast<uint8_t>(p >> 24) : 0xff);
        raw.push_back(static_cast<uint8_t>(p >> 16));
        raw.push_back(static_cast<uint8_t>(p >> 8));
        raw.push_back(static_cast<uint8_t>(p));
    }
    ByteWriter w;
    w.u16(b.id);
    w.u8(5);
    w.u16(b.width);
    w.u16(b.height);
    w.bytes(zlibCompress(raw));
    return encodeTag(b.version >= 2 ? tag::DefineBitsLossless2 : tag::DefineBitsLossless, w.data());
}

Bytes encodeJpeg(const swf::JpegBitmap& b) {
    ByteWriter w;
    w.u16(b.id);
    if (b.version >= 3) {
        w.u32(static_cast<uint32_t>(b.data.size()));
        if (b.version >= 4) {
            w.u16(static_cast<uint16_t>(b.deblock * 256.0 + 0.5));
        }
    }
    w.bytes(b.data);
    if (b.version >= 3) {
        w.bytes(b.alpha);
    }
    static constexpr uint16_t codes[] = {tag::DefineBits, tag::DefineBits, tag::DefineBitsJpeg2,
                                         tag::DefineBitsJpeg3, tag::DefineBitsJpeg4};
    return encodeTag(codes[std::clamp<uint8_t>(b.version, 1, 4)], w.data());
}

Bytes encodeFont(const swf::Font& f) {
    ByteWriter w;
    w.u16(f.id);
    // Glyph shapes, each a SHAPE with one fill style and no line styles.
    std::vector<Bytes> glyphs;
    for (const auto& g : f.glyphs) {
        ByteWriter gw;
        writeShapeRecords(gw, g, 1, 0, 1);
        glyphs.push_back(gw.take());
    }
    if (f.version <= 1) {
        size_t offset = glyphs.size() * 2;
        for (const auto& g : glyphs) {
            w.u16(static_cast<uint16_t>(offset));
            offset += g.size();
        }
        for (const auto& g : glyphs) {
            w.bytes(g);
        }
        return encodeTag(tag::DefineFont, w.data());
    }
    size_t glyphBytes = 0;
    for (const auto& g : glyphs) {
        glyphBytes += g.size();
    }
    const bool wideOffsets = (glyphs.size() + 1) * 2 + glyphBytes > 0xffff;
    const bool wideCodes =
        f.wideCodes || f.version >= 3 ||
        std::any_of(f.codes.begin(), f.codes.end(), [](uint16_t c) { return c > 0xff; });
    w.u8((f.hasLayout ? 0x80 : 0) | (f.shiftJis ? 0x40 : 0) | (f.smallText ? 0x20 : 0) |
         (f.ansi ? 0x10 : 0) | (wideOffsets ? 0x08 : 0) | (wideCodes ? 0x04 : 0) |
         (f.italic ? 0x02 : 0) | (f.bold ? 0x01 : 0));
    w.u8(f.languageCode);
    w.u8(static_cast<uint8_t>(std::min<size_t>(f.name.size(), 255)));
    w.bytes(std::span(reinterpret_cast<const uint8_t*>(f.name.data()),
                      std::min<size_t>(f.name.size(), 255)));
    w.u16(static_cast<uint16_t>(glyphs.size()));
    const size_t offsetSize = wideOffsets ? 4 : 2;
    size_t offset = (glyphs.size() + 1) * offsetSize;
    auto writeOffset = [&](size_t v) {
        if (wideOffsets) {
            w.u32(static_cast<uint32_t>(v));
        } else {
            w.u16(static_cast<uint16_t>(v));
        }
    };
    for (const auto& g : glyphs) {
        writeOffset(offset);
        offset += g.size();
    }
    writeOffset(offset);
    for (const auto& g : glyphs) {
        w.bytes(g);
    }
    for (size_t i = 0; i < glyphs.size(); ++i) {
        uint16_t code = i < f.codes.size() ? f.codes[i] : 0;
        if (wideCodes) {
            w.u16(code);
        } else {
            w.u8(static_cast<uint8_t>(code));
        }
    }
    if (f.hasLayout) {
        w.s16(f.ascent);
        w.s16(f.descent);
        w.s16(f.leading);
        for (size_t i = 0; i < glyphs.size(); ++i) {
            w.s16(i < f.advances.size() ? f.advances[i] : 0);
        }
        for (size_t i = 0; i < glyphs.size(); ++i) {
            writeRect(w, i < f.glyphBounds.size() ? f.glyphBounds[i] : swf::Rect{});
        }
        w.u16(static_cast<uint16_t>(f.kerning.size()));
        for (const auto& k : f.kerning) {
            if (wideCodes) {
                w.u16(k.left);
                w.u16(k.right);
            } else {
                w.u8(static_cast<uint8_t>(k.left));
                w.u8(static_cast<uint8_t>(k.right));
            }
            w.s16(k.adjustment);
        }
    }
    return encodeTag(f.version >= 3 ? tag::DefineFont3 : tag::DefineFont2, w.data());
}

Bytes encodeText(const swf::Text& t) {
    uint32_t maxIndex = 0;
    unsigned advanceBits = 1;
    for (const auto& r : t.records) {
        for (const auto& g : r.glyphs) {
            maxIndex = std::max(maxIndex, g.index);
            advanceBits = std::max(advanceBits, signedBits(g.advance));
        }
    }
    const unsigned glyphBits = std::max(1u, unsignedBits(maxIndex));
    ByteWriter w;
    w.u16(t.id);
    writeRect(w, t.bounds);
    writeMatrix(w, t.matrix);
    w.u8(static_cast<uint8_t>(glyphBits));
    w.u8(static_cast<uint8_t>(advanceBits));
    for (const auto& r : t.records) {
        // The font and its height travel together; a record with either has both.
        const bool hasFont = r.fontId.has_value() || r.height.has_value();
        w.u8(0x80 | (hasFont ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.yOffset ? 0x02 : 0) |
             (r.xOffset ? 0x01 : 0));
        if (hasFont) {
            w.u16(r.fontId.value_or(0));
        }
        if (r.color) {
            if (t.version >= 2) {
                writeRgba(w, *r.color);
            } else {
                writeRgb(w, *r.color);
            }
        }
        if (r.xOffset) {
            w.s16(*r.xOffset);
        }
        if (r.yOffset) {
            w.s16(*r.yOffset);
        }
        if (hasFont) {
            w.u16(r.height.value_or(0));
        }
        w.u8(static_cast<uint8_t>(std::min<size_t>(r.glyphs.size(), 255)));
        BitWriter bits(w);
        for (size_t i = 0; i < r.glyphs.size() && i < 255; ++i) {
            bits.ub(r.glyphs[i].index, glyphBits);
            bits.sb(r.glyphs[i].advance, advanceBits);
        }
    }
    w.u8(0);
    return encodeTag(t.version >= 2 ? tag::DefineText2 : tag::DefineText, w.data());
}

Bytes encodeEditText(const swf::EditText& e) {
    ByteWriter w;
    w.u16(e.id);
    writeRect(w, e.bounds);
    w.u8((e.initialText ? 0x80 : 0) | (e.wordWrap ? 0x40 : 0) | (e.multiline ? 0x20 : 0) |
         (e.password ? 0x10 : 0) | (e.readOnly ? 0x08 : 0) | (e.textColor ? 0x04 : 0) |
         (e.maxLength ? 0x02 : 0) | (e.fontId ? 0x01 : 0));
    w.u8((e.fontClass ? 0x80 : 0) | (e.autoSize ? 0x40 : 0) | (e.hasLayout ? 0x20 : 0) |
         (e.noSelect ? 0x10 : 0) | (e.border ? 0x08 : 0) | (e.wasStatic ? 0x04 : 0) |
         (e.html ? 0x02 : 0) | (e.useOutlines ? 0x01 : 0));
    if (e.fontId) {
        w.u16(*e.fontId);
    }
    if (e.fontClass) {
        w.string(*e.fontClass);
    }
    if (e.fontId || e.fontClass) {
        w.u16(e.fontHeight);
    }
    if (e.textColor) {
        writeRgba(w, *e.textColor);
    }
    if (e.maxLength) {
        w.u16(*e.maxLength);
    }
    if (e.hasLayout) {
        w.u8(static_cast<uint8_t>(e.align));
        w.u16(e.leftMargin);
        w.u16(e.rightMargin);
        w.u16(e.indent);
        w.s16(e.leading);
    }
    w.string(e.variableName);
    if (e.initialText) {
        w.string(*e.initialText);
    }
    return encodeTag(tag::DefineEditText, w.data());
}

Bytes encodeButton(const swf::Button& b) {
    const bool v2 = b.version >= 2;
    ByteWriter w;
    w.u16(b.id);
    size_t offsetAt = 0;
    if (v2) {
        w.u8(b.trackAsMenu ? 1 : 0);
        offsetAt = w.size();
        w.u16(0);  // action offset, patched below
    }
    for (const auto& r : b.records) {
        const bool hasFilters = v2 && !r.filters.empty();
        const bool hasBlend = v2 && r.blendMode != swf::BlendMode::Normal;
        w.u8((hasBlend ? 0x20 : 0) | (hasFilters ? 0x10 : 0) | (r.states & 0x0f));
        w.u16(r.characterId);
        w.u16(r.depth);
        writeMatrix(w, r.matrix);
        if (v2) {
            writeColorTransform(w, r.colorTransform, true);
            if (hasFilters) {
                writeFilterList(w, r.filters);
            }
            if (hasBlend) {
                w.u8(static_cast<uint8_t>(r.blendMode));
            }
        }
    }
    w.u8(0);
    if (!v2) {
        if (!b.actions.empty()) {
            w.bytes(b.actions.front().actions);
        }
    } else if (!b.actions.empty()) {
        size_t offset = w.size() - offsetAt;
        w.data()[offsetAt] = static_cast<uint8_t>(offset);
        w.data()[offsetAt + 1] = static_cast<uint8_t>(offset >> 8);
        for (size_t i = 0; i < b.actions.size(); ++i) {
            const auto& a = b.actions[i];
            const bool last = i + 1 == b.actions.size();
            w.u16(last ? 0 : static_cast<uint16_t>(a.actions.size() + 4));
            using namespace swf::button_condition;
            uint16_t c = a.conditions;
            w.u8(((c & IdleToOverDown) ? 0x80 : 0) | ((c & OutDownToIdle) ? 0x40 : 0) |
                 ((c & OutDownToOverDown) ? 0x20 : 0) | ((c & OverDownToOutDown) ? 0x10 : 0) |
                 ((c & OverDownToOverUp) ? 0x08 : 0) | ((c & OverUpToOverDown) ? 0x04 : 0) |
                 ((c & OverUpToIdle) ? 0x02 : 0) | ((c & IdleToOverUp) ? 0x01 : 0));
            w.u8(static_cast<uint8_t>((a.keyCode << 1) | ((c & OverDownToIdle) ? 1 : 0)));
            w.bytes(a.actions);
        }
    }
    Bytes out = encodeTag(v2 ? tag::DefineButton2 : tag::DefineButton, w.data());
    if (std::any_of(b.sounds.begin(), b.sounds.end(), [](const auto& s) { return s.soundId; })) {
        ByteWriter s;
        s.u16(b.id);
        for (const auto& sound : b.sounds) {
            s.u16(sound.soundId);
            if (sound.soundId) {
                writeSoundInfo(s, sound.info);
            }
        }
        append(out, encodeTag(tag::DefineButtonSound, s.data()));
    }
    if (b.colorTransform) {
        ByteWriter s;
        s.u16(b.id);
        writeColorTransform(s, *b.colorTransform, false);
        append(out, encodeTag(tag::DefineButtonCxform, s.data()));
    }
    return out;
}

// The stream's definition, then one VideoFrame tag per packet.
Bytes encodeVideoStream(const swf::VideoStream& v) {
    ByteWriter w;
    w.u16(v.id);
    w.u16(v.frameCount);
    w.u16(v.width);
    w.u16(v.height);
    w.u8(static_cast<uint8_t>(((v.deblocking & 7) << 1) | (v.smoothing ? 1 : 0)));
    w.u8(v.codecId);
    Bytes out = encodeTag(tag::DefineVideoStream, w.data());
    for (const auto& [number, packet] : v.frames) {
        ByteWriter f;
        f.u16(v.id);
        f.u16(number);
        f.bytes(packet);
        append(out, encodeTag(tag::VideoFrame, f.data()));
    }
    return out;
}

Bytes encodeSound(const swf::Sound& s) {
    ByteWriter w;
    w.u16(s.id);
    w.u8(static_cast<uint8_t>((static_cast<unsigned>(s.format) << 4) | ((s.rate & 3) << 2) |
                              (s.is16Bit ? 2 : 0) | (s.stereo ? 1 : 0)));
    w.u32(s.sampleCount);
    w.bytes(s.data);
    return encodeTag(tag::DefineSound, w.data());
}

Bytes encodePlace(const swf::PlaceObject& p, uint8_t swfVersion) {
    ByteWriter w;
    if (p.version == 1) {
        w.u16(p.characterId.value_or(0));
        w.u16(p.depth);
        writeMatrix(w, p.matrix.value_or(swf::Matrix{}));
        if (p.colorTransform) {
            writeColorTransform(w, *p.colorTransform, false);
        }
        return encodeTag(tag::PlaceObject, w.data());
    }
    const bool v3 = p.version >= 3;
    const bool hasActions = !p.clipActions.empty();
    w.u8((hasActions ? 0x80 : 0) | (p.clipDepth ? 0x40 : 0) | (p.name ? 0x20 : 0) |
         (p.ratio ? 0x10 : 0) | (p.colorTransform ? 0x08 : 0) | (p.matrix ? 0x04 : 0) |
         (p.characterId ? 0x02 : 0) | (p.move ? 0x01 : 0));
    if (v3) {
        w.u8((p.backgroundColor ? 0x40 : 0) | (p.visible ? 0x20 : 0) | (p.className ? 0x08 : 0) |
             (p.cacheAsBitmap ? 0x04 : 0) | (p.blendMode ? 0x02 : 0) | (p.filters ? 0x01 : 0));
    }
    w.u16(p.depth);
    if (v3 && p.className) {
        w.string(*p.className);
    }
    if (p.characterId) {
        w.u16(*p.characterId);
    }
    if (p.matrix) {
        writeMatrix(w, *p.matrix);
    }
    if (p.colorTransform) {
        writeColorTransform(w, *p.colorTransform, true);
    }
    if (p.ratio) {
        w.u16(*p.ratio);
    }
    if (p.name) {
        w.string(*p.name);
    }
    if (p.clipDepth) {
        w.u16(*p.clipDepth);
    }
    if (v3) {
        if (p.filters) {
            writeFilterList(w, *p.filters);
        }
        if (p.blendMode) {
            w.u8(static_cast<uint8_t>(*p.blendMode));
        }
        if (p.cacheAsBitmap) {
            w.u8(*p.cacheAsBitmap ? 1 : 0);
        }
        if (p.visible) {
            w.u8(*p.visible ? 1 : 0);
        }
        if (p.backgroundColor) {
            writeRgba(w, *p.backgroundColor);
        }
    }
    if (hasActions) {
        auto flags = [&](uint32_t v) {
            if (swfVersion <= 5) {
                w.u16(static_cast<uint16_t>(v));
            } else {
                w.u32(v);
            }
        };
        w.u16(0);
        uint32_t all = p.allClipEvents;
        for (const auto& a : p.clipActions) {
            all |= a.events;
        }
        flags(all);
        for (const auto& a : p.clipActions) {
            flags(a.events);
            const bool key = a.events & swf::clip_event::KeyPress;
            w.u32(static_cast<uint32_t>(a.actions.size() + (key ? 1 : 0)));
            if (key) {
                w.u8(a.keyCode);
            }
            w.bytes(a.actions);
        }
        flags(0);
    }
    return encodeTag(v3 ? tag::PlaceObject3 : tag::PlaceObject2, w.data());
}

void writeAssets(ByteWriter& w, const std::vector<std::pair<uint16_t, std::string>>& assets) {
    w.u16(static_cast<uint16_t>(assets.size()));
    for (const auto& [id, name] : assets) {
        w.u16(id);
        w.string(name);
    }
}

}  // namespace

Bytes encodeControlTag(const swf::ControlTag& t, uint8_t swfVersion) {
    ByteWriter w;
    if (const auto* p = std::get_if<swf::PlaceObject>(&t)) {
        return encodePlace(*p, swfVersion);
    }
    if (const auto* r = std::get_if<swf::RemoveObject>(&t)) {
        if (r->version == 1) {
            w.u16(r->characterId.value_or(0));
            w.u16(r->depth);
            return encodeTag(tag::RemoveObject, w.data());
        }
        w.u16(r->depth);
        return encodeTag(tag::RemoveObject2, w.data());
    }
    if (const auto* a = std::get_if<swf::DoAction>(&t)) {
        return encodeTag(tag::DoAction, a->actions);
    }
    if (const auto* a = std::get_if<swf::DoInitAction>(&t)) {
        w.u16(a->spriteId);
        w.bytes(a->actions);
        return encodeTag(tag::DoInitAction, w.data());
    }
    if (const auto* s = std::get_if<swf::StartSound>(&t)) {
        w.u16(s->soundId);
        writeSoundInfo(w, s->info);
        return encodeTag(tag::StartSound, w.data());
    }
    if (const auto* s = std::get_if<swf::StartSound2>(&t)) {
        w.string(s->className);
        writeSoundInfo(w, s->info);
        return encodeTag(tag::StartSound2, w.data());
    }
    if (const auto* h = std::get_if<swf::SoundStreamHead>(&t)) {
        w.u8(static_cast<uint8_t>(((h->playbackRate & 3) << 2) | (h->playback16Bit ? 2 : 0) |
                                  (h->playbackStereo ? 1 : 0)));
        w.u8(static_cast<uint8_t>((static_cast<unsigned>(h->format) << 4) |
                                  ((h->streamRate & 3) << 2) | (h->stream16Bit ? 2 : 0) |
                                  (h->streamStereo ? 1 : 0)));
        w.u16(h->samplesPerBlock);
        if (h->format == swf::SoundFormat::Mp3) {
            w.s16(h->latencySeek);
        }
        return encodeTag(h->version >= 2 ? tag::SoundStreamHead2 : tag::SoundStreamHead, w.data());
    }
    if (const auto* b = std::get_if<swf::SoundStreamBlock>(&t)) {
        return encodeTag(tag::SoundStreamBlock, b->data);
    }
    if (const auto* l = std::get_if<swf::FrameLabel>(&t)) {
        w.string(l->name);
        if (l->anchor) {
            w.u8(1);
        }
        return encodeTag(tag::FrameLabel, w.data());
    }
    if (const auto* ti = std::get_if<swf::SetTabIndex>(&t)) {
        w.u16(ti->depth);
        w.u16(ti->tabIndex);
        return encodeTag(tag::SetTabIndex, w.data());
    }
    if (const auto* bg = std::get_if<swf::SetBackgroundColor>(&t)) {
        writeRgb(w, bg->color);
        return encodeTag(tag::SetBackgroundColor, w.data());
    }
    if (const auto* e = std::get_if<swf::ExportAssets>(&t)) {
        writeAssets(w, e->assets);
        return encodeTag(tag::ExportAssets, w.data());
    }
    if (const auto* i = std::get_if<swf::ImportAssets>(&t)) {
        w.string(i->url);
        if (i->version >= 2) {
            w.u8(1);
            w.u8(0);
        }
        writeAssets(w, i->assets);
        return encodeTag(i->version >= 2 ? tag::ImportAssets2 : tag::ImportAssets, w.data());
    }
    const auto& u = std::get<swf::UnknownTag>(t);
    return encodeTag(u.code, u.body);
}

Bytes encodeTimeline(const swf::Timeline& timeline, uint8_t swfVersion) {
    Bytes out;
    for (const auto& frame : timeline.frames) {
        for (const auto& t : frame.tags) {
            append(out, encodeControlTag(t, swfVersion));
        }
        append(out, encodeTag(tag::ShowFrame, {}));
    }
    append(out, encodeTag(tag::End, {}));
    return out;
}

Bytes encodeCharacter(const swf::Character& c, uint8_t swfVersion) {
    if (const auto* s = std::get_if<swf::Shape>(&c)) {
        return encodeShape(*s);
    }
    if (const auto* m = std::get_if<swf::MorphShape>(&c)) {
        return encodeMorphShape(*m);
    }
    if (const auto* b = std::get_if<swf::JpegBitmap>(&c)) {
        return encodeJpeg(*b);
    }
    if (const auto* b = std::get_if<swf::LosslessBitmap>(&c)) {
        return encodeLossless(*b);
    }
    if (const auto* f = std::get_if<swf::Font>(&c)) {
        return encodeFont(*f);
    }
    if (const auto* t = std::get_if<swf::Text>(&c)) {
        return encodeText(*t);
    }
    if (const auto* e = std::get_if<swf::EditText>(&c)) {
        return encodeEditText(*e);
    }
    if (const auto* s = std::get_if<swf::Sprite>(&c)) {
        ByteWriter w;
        w.u16(s->id);
        w.u16(s->frameCount ? s->frameCount : static_cast<uint16_t>(s->timeline.frames.size()));
        w.bytes(encodeTimeline(s->timeline, swfVersion));
        return encodeTag(tag::DefineSprite, w.data());
    }
    if (const auto* b = std::get_if<swf::Button>(&c)) {
        return encodeButton(*b);
    }
    if (const auto* v = std::get_if<swf::VideoStream>(&c)) {
        return encodeVideoStream(*v);
    }
    return encodeSound(std::get<swf::Sound>(c));
}

Bytes wrapMovie(uint8_t version, std::span<const uint8_t> body, swf::Compression compression) {
    ByteWriter w;
    const char* sig = compression == swf::Compression::None   ? "FWS"
                      : compression == swf::Compression::Zlib ? "CWS"
                                                              : "ZWS";
    w.u8(static_cast<uint8_t>(sig[0]));
    w.u8(static_cast<uint8_t>(sig[1]));
    w.u8(static_cast<uint8_t>(sig[2]));
    w.u8(version);
    w.u32(static_cast<uint32_t>(body.size() + 8));
    if (compression == swf::Compression::None) {
        w.bytes(body);
    } else if (compression == swf::Compression::Zlib) {
        w.bytes(zlibCompress(body));
    } else {
        // liblzma writes a ".lzma" stream: 5 property bytes, an 8-byte length, the data.
        // A ZWS file keeps the properties, drops the length and states the data's size.
        lzma_options_lzma options;
        lzma_lzma_preset(&options, 6);
        lzma_stream s = LZMA_STREAM_INIT;
        if (lzma_alone_encoder(&s, &options) != LZMA_OK) {
            throw std::runtime_error("LZMA encoder failed to start");
        }
        Bytes out(body.size() + body.size() / 2 + 1024);
        s.next_in = body.data();
        s.avail_in = body.size();
        s.next_out = out.data();
        s.avail_out = out.size();
        lzma_ret rc = lzma_code(&s, LZMA_FINISH);
        size_t produced = out.size() - s.avail_out;
        lzma_end(&s);
        if (rc != LZMA_STREAM_END || produced < 13) {
            throw std::runtime_error("LZMA compression failed");
        }
        w.u32(static_cast<uint32_t>(produced - 13));
        w.bytes(std::span(out).subspan(0, 5));
        w.bytes(std::span(out).subspan(13, produced - 13));
    }
    return w.take();
}

Bytes writeMovie(const swf::Movie& movie, swf::Compression compression) {
    const uint8_t version = movie.header.version;
    ByteWriter body;
    writeRect(body, movie.header.frameSize);
    body.u16(static_cast<uint16_t>(movie.header.frameRate * 256.0 + 0.5));
    body.u16(movie.header.frameCount ? movie.header.frameCount
                                     : static_cast<uint16_t>(movie.timeline.frames.size()));
    Bytes tags;
    if (movie.fileAttributes) {
        ByteWriter w;
        w.u32(*movie.fileAttributes);
        append(tags, encodeTag(tag::FileAttributes, w.data()));
    }
    if (!movie.metadata.empty()) {
        ByteWriter w;
        w.string(movie.metadata);
        append(tags, encodeTag(tag::Metadata, w.data()));
    }
    if (movie.maxRecursionDepth || movie.scriptTimeoutSeconds) {
        ByteWriter w;
        w.u16(movie.maxRecursionDepth.value_or(256));
        w.u16(movie.scriptTimeoutSeconds.value_or(15));
        append(tags, encodeTag(tag::ScriptLimits, w.data()));
    }
    const bool frameHasBackground =
        !movie.timeline.frames.empty() &&
        std::any_of(
            movie.timeline.frames.front().tags.begin(), movie.timeline.frames.front().tags.end(),
            [](const auto& t) { return std::holds_alternative<swf::SetBackgroundColor>(t); });
    if (movie.backgroundColor && !frameHasBackground) {
        append(tags, encodeControlTag(swf::SetBackgroundColor{*movie.backgroundColor}, version));
    }
    if (movie.protect) {
        append(tags, encodeTag(tag::Protect, {}));
    }
    if (!movie.scenes.empty() || !movie.sceneFrameLabels.empty()) {
        ByteWriter w;
        w.encodedU32(static_cast<uint32_t>(movie.scenes.size()));
        for (const auto& s : movie.scenes) {
            w.encodedU32(s.offset);
            w.string(s.name);
        }
        w.encodedU32(static_cast<uint32_t>(movie.sceneFrameLabels.size()));
        for (const auto& [frame, name] : movie.sceneFrameLabels) {
            w.encodedU32(frame);
            w.string(name);
        }
        append(tags, encodeTag(tag::DefineSceneAndFrameLabelData, w.data()));
    }
    if (!movie.jpegTables.empty()) {
        append(tags, encodeTag(tag::JpegTables, movie.jpegTables));
    }
    for (const auto& [id, character] : movie.dictionary) {
        append(tags, encodeCharacter(character, version));
    }
    for (const auto& [id, grid] : movie.scalingGrids) {
        ByteWriter w;
        w.u16(id);
        writeRect(w, grid);
        append(tags, encodeTag(tag::DefineScalingGrid, w.data()));
    }
    append(tags, encodeTimeline(movie.timeline, version));
    body.bytes(tags);
    return wrapMovie(version, body.data(), compression);
}

}  // namespace pencora::swfwrite
