#include <algorithm>
#include <stdexcept>

#include "platform/flash/swf/tag_codes.h"
#include "platform/flash/swfwrite/encode_internal.h"

namespace pencora::swfwrite::detail {

namespace {

void writeColor(ByteWriter& w, const swf::Rgba& c, uint8_t shapeVersion) {
    if (shapeVersion >= 3) {
        writeRgba(w, c);
    } else {
        writeRgb(w, c);
    }
}

void writeStyleCount(ByteWriter& w, size_t count, uint8_t shapeVersion) {
    if (count >= 0xff && shapeVersion >= 2) {
        w.u8(0xff);
        w.u16(static_cast<uint16_t>(count));
    } else {
        w.u8(static_cast<uint8_t>(std::min<size_t>(count, 0xff)));
    }
}

uint8_t gradientHeader(swf::SpreadMode spread, swf::InterpolationMode interp, size_t count) {
    return static_cast<uint8_t>((static_cast<unsigned>(spread) << 6) |
                                (static_cast<unsigned>(interp) << 4) | (count & 0x0f));
}

template <class Style>
void writeLineStyle2Flags(ByteWriter& w, const Style& s, bool hasFill) {
    {
        BitWriter bits(w);
        bits.ub(static_cast<uint32_t>(s.startCap), 2);
        bits.ub(static_cast<uint32_t>(s.join), 2);
        bits.flag(hasFill);
        bits.flag(s.noHScale);
        bits.flag(s.noVScale);
        bits.flag(s.pixelHinting);
        bits.ub(0, 5);
        bits.flag(s.noClose);
        bits.ub(static_cast<uint32_t>(s.endCap), 2);
    }
    if (s.join == swf::JoinStyle::Miter) {
        w.u16(static_cast<uint16_t>(s.miterLimit * 256.0 + 0.5));
    }
}

void writeMorphFillStyle(ByteWriter& w, const swf::MorphFillStyle& f) {
    w.u8(static_cast<uint8_t>(f.type));
    if (f.type == swf::FillType::Solid) {
        writeRgba(w, f.startColor);
        writeRgba(w, f.endColor);
    } else if (swf::isGradient(f.type)) {
        writeMatrix(w, f.startMatrix);
        writeMatrix(w, f.endMatrix);
        w.u8(gradientHeader(f.spread, f.interpolation, f.stops.size()));
        for (const auto& s : f.stops) {
            w.u8(s.start.ratio);
            writeRgba(w, s.start.color);
            w.u8(s.end.ratio);
            writeRgba(w, s.end.color);
        }
        if (f.type == swf::FillType::FocalGradient) {
            w.fixed8(f.startFocalPoint);
            w.fixed8(f.endFocalPoint);
        }
    } else {
        w.u16(f.bitmapId);
        writeMatrix(w, f.startMatrix);
        writeMatrix(w, f.endMatrix);
    }
}

}  // namespace

void writeFillStyle(ByteWriter& w, const swf::FillStyle& f, uint8_t shapeVersion) {
    w.u8(static_cast<uint8_t>(f.type));
    if (f.type == swf::FillType::Solid) {
        writeColor(w, f.color, shapeVersion);
    } else if (swf::isGradient(f.type)) {
        writeMatrix(w, f.matrix);
        w.u8(gradientHeader(f.gradient.spread, f.gradient.interpolation, f.gradient.stops.size()));
        for (const auto& s : f.gradient.stops) {
            w.u8(s.ratio);
            writeColor(w, s.color, shapeVersion);
        }
        if (f.type == swf::FillType::FocalGradient) {
            w.fixed8(f.gradient.focalPoint);
        }
    } else {
        w.u16(f.bitmapId);
        writeMatrix(w, f.matrix);
    }
}

void writeStyles(ByteWriter& w, const std::vector<swf::FillStyle>& fills,
                 const std::vector<swf::LineStyle>& lines, uint8_t shapeVersion) {
    writeStyleCount(w, fills.size(), shapeVersion);
    for (const auto& f : fills) {
        writeFillStyle(w, f, shapeVersion);
    }
    writeStyleCount(w, lines.size(), shapeVersion);
    for (const auto& l : lines) {
        w.u16(l.width);
        if (shapeVersion < 4) {
            writeColor(w, l.color, shapeVersion);
            continue;
        }
        writeLineStyle2Flags(w, l, l.fill.has_value());
        if (l.fill) {
            writeFillStyle(w, *l.fill, shapeVersion);
        } else {
            writeRgba(w, l.color);
        }
    }
}

void writeShapeRecords(ByteWriter& w, const std::vector<swf::ShapeRecord>& records,
                       size_t fillCount, size_t lineCount, uint8_t shapeVersion) {
    unsigned fillBits = unsignedBits(fillCount);
    unsigned lineBits = unsignedBits(lineCount);
    auto bits = std::make_unique<BitWriter>(w);
    bits->ub(fillBits, 4);
    bits->ub(lineBits, 4);
    for (const auto& rec : records) {
        if (const auto* e = std::get_if<swf::StraightEdge>(&rec)) {
            unsigned n = std::max({signedBits(e->dx), signedBits(e->dy), 2u});
            if (n > 17) {
                throw std::invalid_argument("edge longer than a record can hold");
            }
            bits->ub(1, 1);
            bits->ub(1, 1);
            bits->ub(n - 2, 4);
            if (e->dx != 0 && e->dy != 0) {
                bits->flag(true);
                bits->sb(e->dx, n);
                bits->sb(e->dy, n);
            } else if (e->dx == 0) {
                bits->flag(false);
                bits->flag(true);
                bits->sb(e->dy, n);
            } else {
                bits->flag(false);
                bits->flag(false);
                bits->sb(e->dx, n);
            }
        } else if (const auto* c = std::get_if<swf::CurvedEdge>(&rec)) {
            unsigned n = std::max(
                {signedBits(c->cx), signedBits(c->cy), signedBits(c->ax), signedBits(c->ay), 2u});
            if (n > 17) {
                throw std::invalid_argument("curve longer than a record can hold");
            }
            bits->ub(1, 1);
            bits->ub(0, 1);
            bits->ub(n - 2, 4);
            bits->sb(c->cx, n);
            bits->sb(c->cy, n);
            bits->sb(c->ax, n);
            bits->sb(c->ay, n);
        } else {
            const auto& s = std::get<swf::StyleChange>(rec);
            const bool move = s.moveX.has_value() || s.moveY.has_value();
            uint32_t flags = (move ? 0x01 : 0) | (s.fill0 ? 0x02 : 0) | (s.fill1 ? 0x04 : 0) |
                             (s.line ? 0x08 : 0) | (s.newStyles ? 0x10 : 0);
            if (flags == 0) {
                continue;  // an empty change would read as the end of the shape
            }
            bits->ub(0, 1);
            bits->ub(flags, 5);
            if (move) {
                int32_t x = s.moveX.value_or(0);
                int32_t y = s.moveY.value_or(0);
                unsigned n = std::max(signedBits(x), signedBits(y));
                bits->ub(n, 5);
                bits->sb(x, n);
                bits->sb(y, n);
            }
            if (s.fill0) {
                bits->ub(*s.fill0, fillBits);
            }
            if (s.fill1) {
                bits->ub(*s.fill1, fillBits);
            }
            if (s.line) {
                bits->ub(*s.line, lineBits);
            }
            if (s.newStyles) {
                bits.reset();
                writeStyles(w, s.newStyles->fills, s.newStyles->lines, shapeVersion);
                fillBits = unsignedBits(s.newStyles->fills.size());
                lineBits = unsignedBits(s.newStyles->lines.size());
                bits = std::make_unique<BitWriter>(w);
                bits->ub(fillBits, 4);
                bits->ub(lineBits, 4);
            }
        }
    }
    bits->ub(0, 6);  // end of shape
}

Bytes encodeShape(const swf::Shape& s) {
    static constexpr uint16_t codes[] = {swf::tag::DefineShape, swf::tag::DefineShape,
                                         swf::tag::DefineShape2, swf::tag::DefineShape3,
                                         swf::tag::DefineShape4};
    const uint8_t v = std::clamp<uint8_t>(s.version, 1, 4);
    ByteWriter w;
    w.u16(s.id);
    writeRect(w, s.bounds);
    if (v >= 4) {
        writeRect(w, s.edgeBounds);
        w.u8((s.usesFillWindingRule ? 0x04 : 0) | (s.usesNonScalingStrokes ? 0x02 : 0) |
             (s.usesScalingStrokes ? 0x01 : 0));
    }
    writeStyles(w, s.fills, s.lines, v);
    writeShapeRecords(w, s.records, s.fills.size(), s.lines.size(), v);
    return encodeTag(codes[v], w.data());
}

Bytes encodeMorphShape(const swf::MorphShape& m) {
    const bool v2 = m.version >= 2;
    ByteWriter w;
    w.u16(m.id);
    writeRect(w, m.startBounds);
    writeRect(w, m.endBounds);
    if (v2) {
        writeRect(w, m.startEdgeBounds);
        writeRect(w, m.endEdgeBounds);
        w.u8((m.usesNonScalingStrokes ? 0x02 : 0) | (m.usesScalingStrokes ? 0x01 : 0));
    }
    ByteWriter rest;
    writeStyleCount(rest, m.fills.size(), 2);
    for (const auto& f : m.fills) {
        writeMorphFillStyle(rest, f);
    }
    writeStyleCount(rest, m.lines.size(), 2);
    for (const auto& l : m.lines) {
        rest.u16(l.startWidth);
        rest.u16(l.endWidth);
        if (!v2) {
            writeRgba(rest, l.startColor);
            writeRgba(rest, l.endColor);
            continue;
        }
        writeLineStyle2Flags(rest, l, l.fill.has_value());
        if (l.fill) {
            writeMorphFillStyle(rest, *l.fill);
        } else {
            writeRgba(rest, l.startColor);
            writeRgba(rest, l.endColor);
        }
    }
    writeShapeRecords(rest, m.startRecords, m.fills.size(), m.lines.size(), 3);
    w.u32(static_cast<uint32_t>(rest.size()));
    w.bytes(rest.data());
    // End edges carry no styles: their header says zero style bits.
    writeShapeRecords(w, m.endRecords, 0, 0, 3);
    return encodeTag(v2 ? swf::tag::DefineMorphShape2 : swf::tag::DefineMorphShape, w.data());
}

}  // namespace pencora::swfwrite::detail
