#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf::detail {

namespace {

// Glyph outlines are SHAPE records laid one after another; offsets locate each one.
void readGlyphs(ByteReader& table, const std::vector<uint32_t>& offsets, uint32_t end, Font& font) {
    for (size_t i = 0; i < offsets.size(); ++i) {
        uint32_t begin = offsets[i];
        uint32_t stop = i + 1 < offsets.size() ? offsets[i + 1] : end;
        if (begin < table.position() || stop < begin ||
            stop - table.position() > table.remaining()) {
            table.fail("glyph " + std::to_string(i) + " offset out of range");
        }
        table.skip(begin - table.position());
        ByteReader glyph = table.sub(stop - begin, "glyph shape");
        font.glyphs.push_back(glyph.atEnd() ? std::vector<ShapeRecord>{}
                                            : readShapeRecords(glyph, 1));
        // A font may hold tens of thousands of glyphs, most never drawn: each keeps no spare
        // room from its growth.
        font.glyphs.back().shrink_to_fit();
    }
}

}  // namespace

Font readDefineFont(ByteReader& r, uint8_t version) {
    Font font;
    font.version = version;
    font.id = r.u16();
    if (version == 1) {
        ByteReader table = r.sub(r.remaining(), "DefineFont glyphs");
        if (table.atEnd()) {
            return font;
        }
        uint16_t first = table.u16();
        size_t count = first / 2;
        if (count == 0) {
            return font;
        }
        std::vector<uint32_t> offsets{first};
        for (size_t i = 1; i < count; ++i) {
            offsets.push_back(table.u16());
        }
        readGlyphs(table, offsets, static_cast<uint32_t>(table.position() + table.remaining()),
                   font);
        return font;
    }
    uint8_t flags = r.u8();
    font.hasLayout = flags & 0x80;
    font.shiftJis = flags & 0x40;
    font.smallText = flags & 0x20;
    font.ansi = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    font.wideCodes = flags & 0x04;
    font.italic = flags & 0x02;
    font.bold = flags & 0x01;
    font.languageCode = r.u8();
    uint8_t nameLength = r.u8();
    auto name = r.bytes(nameLength);
    font.name.assign(name.begin(), name.end());
    while (!font.name.empty() && font.name.back() == '\0') {
        font.name.pop_back();
    }
    uint16_t count = r.u16();
    if (count == 0 && r.atEnd()) {
        return font;  // a font naming a device font, with no tables at all
    }
    // Offsets count from the start of the offset table.
    size_t tableSize = r.remaining();
    ByteReader table = r.sub(tableSize, "DefineFont2 glyphs");
    std::vector<uint32_t> offsets;
    for (size_t i = 0; i < count; ++i) {
        offsets.push_back(wideOffsets ? table.u32() : table.u16());
    }
    uint32_t codeTableOffset = table.atEnd() ? static_cast<uint32_t>(table.position())
                                             : (wideOffsets ? table.u32() : table.u16());
    if (codeTableOffset < table.position() || codeTableOffset > tableSize) {
        table.fail("code table offset out of range");
    }
    readGlyphs(table, offsets, codeTableOffset, font);
    table.skip(codeTableOffset - table.position());
    for (size_t i = 0; i < count; ++i) {
        font.codes.push_back(font.wideCodes ? table.u16() : table.u8());
    }
    if (!font.hasLayout) {
        return font;
    }
    font.ascent = table.s16();
    font.descent = table.s16();
    font.leading = table.s16();
    for (size_t i = 0; i < count; ++i) {
        font.advances.push_back(table.s16());
    }
    for (size_t i = 0; i < count; ++i) {
        font.glyphBounds.push_back(readRect(table));
    }
    // Some writers stop after the bounds; a missing kerning table means no kerning.
    if (table.remaining() >= 2) {
        uint16_t kerningCount = table.u16();
        for (size_t i = 0; i < kerningCount; ++i) {
            KerningPair k;
            k.left = font.wideCodes ? table.u16() : table.u8();
            k.right = font.wideCodes ? table.u16() : table.u8();
            k.adjustment = table.s16();
            font.kerning.push_back(k);
        }
    }
    return font;
}

void readDefineFontInfo(ByteReader& r, uint8_t version, Font& font) {
    uint8_t nameLength = r.u8();
    auto name = r.bytes(nameLength);
    font.name.assign(name.begin(), name.end());
    while (!font.name.empty() && font.name.back() == '\0') {
        font.name.pop_back();
    }
    uint8_t flags = r.u8();
    font.smallText = flags & 0x20;
    font.shiftJis = flags & 0x10;
    font.ansi = flags & 0x08;
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    font.wideCodes = (flags & 0x01) || version >= 2;
    if (version >= 2) {
        font.languageCode = r.u8();
    }
    font.codes.clear();
    for (size_t i = 0; i < font.glyphs.size() && !r.atEnd(); ++i) {
        font.codes.push_back(font.wideCodes ? r.u16() : r.u8());
    }
}

Text readDefineText(ByteReader& r, uint8_t version) {
    Text text;
    text.version = version;
    text.id = r.u16();
    text.bounds = readRect(r);
    text.matrix = readMatrix(r);
    const unsigned glyphBits = r.u8();
    const unsigned advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32) {
        r.fail("glyph field wider than 32 bits");
    }
    // Some writers leave out the final zero byte; the end of the tag ends the records too.
    while (!r.atEnd()) {
        uint8_t flags = r.u8();
        if (flags == 0) {
            break;
        }
        TextRecord rec;
        if (flags & 0x08) {
            rec.fontId = r.u16();
        }
        if (flags & 0x04) {
            rec.color = version >= 2 ? readRgba(r) : readRgb(r);
        }
        if (flags & 0x01) {
            rec.xOffset = r.s16();
        }
        if (flags & 0x02) {
            rec.yOffset = r.s16();
        }
        if (flags & 0x08) {
            rec.height = r.u16();
        }
        uint8_t count = r.u8();
        BitReader bits(r);
        for (unsigned i = 0; i < count; ++i) {
            GlyphEntry g;
            g.index = bits.ub(glyphBits);
            g.advance = bits.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        text.records.push_back(std::move(rec));
    }
    return text;
}

EditText readDefineEditText(ByteReader& r) {
    EditText e;
    e.id = r.u16();
    e.bounds = readRect(r);
    uint8_t f1 = r.u8();
    uint8_t f2 = r.u8();
    const bool hasText = f1 & 0x80;
    e.wordWrap = f1 & 0x40;
    e.multiline = f1 & 0x20;
    e.password = f1 & 0x10;
    e.readOnly = f1 & 0x08;
    const bool hasColor = f1 & 0x04;
    const bool hasMaxLength = f1 & 0x02;
    const bool hasFont = f1 & 0x01;
    const bool hasFontClass = f2 & 0x80;
    e.autoSize = f2 & 0x40;
    e.hasLayout = f2 & 0x20;
    e.noSelect = f2 & 0x10;
    e.border = f2 & 0x08;
    e.wasStatic = f2 & 0x04;
    e.html = f2 & 0x02;
    e.useOutlines = f2 & 0x01;
    if (hasFont) {
        e.fontId = r.u16();
    }
    if (hasFontClass) {
        e.fontClass = r.string();
    }
    if (hasFont || hasFontClass) {
        e.fontHeight = r.u16();
    }
    if (hasColor) {
        e.textColor = readRgba(r);
    }
    if (hasMaxLength) {
        e.maxLength = r.u16();
    }
    if (e.hasLayout) {
        uint8_t align = r.u8();
        e.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
        e.leftMargin = r.u16();
        e.rightMargin = r.u16();
        e.indent = r.u16();
        e.leading = r.s16();
    }
    e.variableName = r.string();
    if (hasText) {
        e.initialText = r.string();
    }
    return e;
}

}  // namespace pencora::swf::detail
