#include <optional>

#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf::detail {

namespace {

Rgba readColor(ByteReader& r, uint8_t shapeVersion) {
    return shapeVersion >= 3 ? readRgba(r) : readRgb(r);
}

size_t readStyleCount(ByteReader& r, uint8_t shapeVersion) {
    size_t count = r.u8();
    if (count == 0xff && shapeVersion >= 2) {
        count = r.u16();
    }
    return count;
}

void readGradientHeader(ByteReader& r, SpreadMode& spread, InterpolationMode& interpolation,
                        size_t& count) {
    uint8_t b = r.u8();
    // Reserved values read as the nearest meaning the player gives them.
    uint8_t s = b >> 6;
    spread = s == 1 ? SpreadMode::Reflect : s == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    interpolation = ((b >> 4) & 3) == 1 ? InterpolationMode::Linear : InterpolationMode::Normal;
    count = b & 0x0f;
}

Gradient readGradient(ByteReader& r, uint8_t shapeVersion, bool focal) {
    Gradient g;
    size_t count = 0;
    readGradientHeader(r, g.spread, g.interpolation, count);
    for (size_t i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = r.u8();
        stop.color = readColor(r, shapeVersion);
        g.stops.push_back(stop);
    }
    if (focal) {
        g.focalPoint = r.fixed8();
    }
    return g;
}

FillType readFillType(ByteReader& r) {
    uint8_t t = r.u8();
    switch (t) {
        case 0x00:
        case 0x10:
        case 0x12:
        case 0x13:
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            return static_cast<FillType>(t);
        default:
            r.fail("unknown fill style type " + std::to_string(t));
    }
}

CapStyle capStyle(uint32_t v) {
    return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round;
}

JoinStyle joinStyle(uint32_t v) {
    return v == 1 ? JoinStyle::Bevel : v == 2 ? JoinStyle::Miter : JoinStyle::Round;
}

// The flag bits shared by LINESTYLE2 and MORPHLINESTYLE2; returns HasFill.
template <class Style>
bool readLineStyle2Flags(ByteReader& r, Style& style) {
    bool hasFill = false;
    {
        BitReader bits(r);
        style.startCap = capStyle(bits.ub(2));
        style.join = joinStyle(bits.ub(2));
        hasFill = bits.flag();
        style.noHScale = bits.flag();
        style.noVScale = bits.flag();
        style.pixelHinting = bits.flag();
        bits.ub(5);
        style.noClose = bits.flag();
        style.endCap = capStyle(bits.ub(2));
    }
    if (style.join == JoinStyle::Miter) {
        style.miterLimit = r.u16() / 256.0;
    }
    return hasFill;
}

LineStyle readLineStyle(ByteReader& r, uint8_t shapeVersion) {
    LineStyle style;
    style.width = r.u16();
    if (shapeVersion < 4) {
        style.color = readColor(r, shapeVersion);
        return style;
    }
    if (readLineStyle2Flags(r, style)) {
        style.fill = readFillStyle(r, shapeVersion);
        if (style.fill->type == FillType::Solid) {
            style.color = style.fill->color;
        }
    } else {
        style.color = readRgba(r);
    }
    return style;
}

MorphFillStyle readMorphFillStyle(ByteReader& r) {
    MorphFillStyle f;
    f.type = readFillType(r);
    if (f.type == FillType::Solid) {
        f.startColor = readRgba(r);
        f.endColor = readRgba(r);
    } else if (isGradient(f.type)) {
        f.startMatrix = readMatrix(r);
        f.endMatrix = readMatrix(r);
        size_t count = 0;
        readGradientHeader(r, f.spread, f.interpolation, count);
        for (size_t i = 0; i < count; ++i) {
            MorphGradientStop stop;
            stop.start.ratio = r.u8();
            stop.start.color = readRgba(r);
            stop.end.ratio = r.u8();
            stop.end.color = readRgba(r);
            f.stops.push_back(stop);
        }
        if (f.type == FillType::FocalGradient) {
            f.startFocalPoint = r.fixed8();
            f.endFocalPoint = r.fixed8();
        }
    } else {
        f.bitmapId = r.u16();
        f.startMatrix = readMatrix(r);
        f.endMatrix = readMatrix(r);
    }
    return f;
}

MorphLineStyle readMorphLineStyle(ByteReader& r, uint8_t version) {
    MorphLineStyle style;
    style.startWidth = r.u16();
    style.endWidth = r.u16();
    if (version < 2) {
        style.startColor = readRgba(r);
        style.endColor = readRgba(r);
        return style;
    }
    if (readLineStyle2Flags(r, style)) {
        style.fill = readMorphFillStyle(r);
        if (style.fill->type == FillType::Solid) {
            style.startColor = style.fill->startColor;
            style.endColor = style.fill->endColor;
        }
    } else {
        style.startColor = readRgba(r);
        style.endColor = readRgba(r);
    }
    return style;
}

}  // namespace

FillStyle readFillStyle(ByteReader& r, uint8_t shapeVersion) {
    FillStyle f;
    f.type = readFillType(r);
    if (f.type == FillType::Solid) {
        f.color = readColor(r, shapeVersion);
    } else if (isGradient(f.type)) {
        f.matrix = readMatrix(r);
        f.gradient = readGradient(r, shapeVersion, f.type == FillType::FocalGradient);
    } else {
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r);
    }
    return f;
}

std::vector<FillStyle> readFillStyles(ByteReader& r, uint8_t shapeVersion) {
    size_t count = readStyleCount(r, shapeVersion);
    std::vector<FillStyle> styles;
    for (size_t i = 0; i < count; ++i) {
        styles.push_back(readFillStyle(r, shapeVersion));
    }
    return styles;
}

std::vector<LineStyle> readLineStyles(ByteReader& r, uint8_t shapeVersion) {
    size_t count = readStyleCount(r, shapeVersion);
    std::vector<LineStyle> styles;
    for (size_t i = 0; i < count; ++i) {
        styles.push_back(readLineStyle(r, shapeVersion));
    }
    return styles;
}

std::vector<ShapeRecord> readShapeRecords(ByteReader& r, uint8_t shapeVersion) {
    std::vector<ShapeRecord> records;
    unsigned fillBits = 0;
    unsigned lineBits = 0;
    std::optional<BitReader> bits;
    bits.emplace(r);
    fillBits = bits->ub(4);
    lineBits = bits->ub(4);
    for (;;) {
        if (bits->flag()) {
            bool straight = bits->flag();
            unsigned n = bits->ub(4) + 2;
            if (straight) {
                StraightEdge e;
                if (bits->flag()) {
                    e.dx = bits->sb(n);
                    e.dy = bits->sb(n);
                } else if (bits->flag()) {
                    e.dy = bits->sb(n);
                } else {
                    e.dx = bits->sb(n);
                }
                records.emplace_back(e);
            } else {
                CurvedEdge e;
                e.cx = bits->sb(n);
                e.cy = bits->sb(n);
                e.ax = bits->sb(n);
                e.ay = bits->sb(n);
                records.emplace_back(e);
            }
            continue;
        }
        uint32_t flags = bits->ub(5);
        if (flags == 0) {
            break;  // end of shape
        }
        StyleChange change;
        if (flags & 0x01) {
            unsigned n = bits->ub(5);
            change.moveX = bits->sb(n);
            change.moveY = bits->sb(n);
        }
        if (flags & 0x02) {
            change.fill0 = bits->ub(fillBits);
        }
        if (flags & 0x04) {
            change.fill1 = bits->ub(fillBits);
        }
        if (flags & 0x08) {
            change.line = bits->ub(lineBits);
        }
        if (flags & 0x10) {
            // New styles start on a byte boundary; the bit stream resumes after them.
            bits.reset();
            auto styles = std::make_shared<NewStyles>();
            styles->fills = readFillStyles(r, shapeVersion);
            styles->lines = readLineStyles(r, shapeVersion);
            change.newStyles = std::move(styles);
            bits.emplace(r);
            fillBits = bits->ub(4);
            lineBits = bits->ub(4);
        }
        records.emplace_back(std::move(change));
    }
    return records;
}

Shape readDefineShape(ByteReader& r, uint8_t version) {
    Shape s;
    s.version = version;
    s.id = r.u16();
    s.bounds = readRect(r);
    s.edgeBounds = s.bounds;
    if (version >= 4) {
        s.edgeBounds = readRect(r);
        uint8_t flags = r.u8();
        s.usesFillWindingRule = flags & 0x04;
        s.usesNonScalingStrokes = flags & 0x02;
        s.usesScalingStrokes = flags & 0x01;
    }
    s.fills = readFillStyles(r, version);
    s.lines = readLineStyles(r, version);
    s.records = readShapeRecords(r, version);
    return s;
}

MorphShape readDefineMorphShape(ByteReader& r, uint8_t version) {
    MorphShape m;
    m.version = version;
    m.id = r.u16();
    m.startBounds = readRect(r);
    m.endBounds = readRect(r);
    m.startEdgeBounds = m.startBounds;
    m.endEdgeBounds = m.endBounds;
    if (version >= 2) {
        m.startEdgeBounds = readRect(r);
        m.endEdgeBounds = readRect(r);
        uint8_t flags = r.u8();
        m.usesNonScalingStrokes = flags & 0x02;
        m.usesScalingStrokes = flags & 0x01;
    }
    uint32_t offset = r.u32();
    size_t afterOffset = r.position();
    size_t count = readStyleCount(r, 2);
    for (size_t i = 0; i < count; ++i) {
        m.fills.push_back(readMorphFillStyle(r));
    }
    count = readStyleCount(r, 2);
    for (size_t i = 0; i < count; ++i) {
        m.lines.push_back(readMorphLineStyle(r, version));
    }
    // The offset locates the end edges; where it is unusable, they follow the start edges.
    size_t endAt = afterOffset + offset;
    if (offset != 0 && endAt >= r.position() && endAt - r.position() <= r.remaining()) {
        ByteReader start = r.sub(endAt - r.position(), "DefineMorphShape start edges");
        m.startRecords = readShapeRecords(start, 3);
    } else {
        m.startRecords = readShapeRecords(r, 3);
    }
    if (!r.atEnd()) {
        m.endRecords = readShapeRecords(r, 3);
    }
    return m;
}

}  // namespace pencora::swf::detail
