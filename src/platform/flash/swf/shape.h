// Shape records: fill and line styles, gradients, the edge records of a shape and of a morph
// shape. Coordinates are in twips; edge records hold deltas from the current pen position.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/flash/swf/geometry.h"

namespace pencora::swf {

enum class SpreadMode : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : uint8_t { Normal = 0, Linear = 1 };

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;
    double focalPoint = 0.0;  // -1..1, focal radial gradients only
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

enum class FillType : uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    RepeatingBitmapHard = 0x42,  // not smoothed
    ClippedBitmapHard = 0x43,    // not smoothed
};

inline bool isGradient(FillType t) {
    return t == FillType::LinearGradient || t == FillType::RadialGradient ||
           t == FillType::FocalGradient;
}
inline bool isBitmap(FillType t) {
    return static_cast<uint8_t>(t) >= 0x40 && static_cast<uint8_t>(t) <= 0x43;
}

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;             // Solid
    Matrix matrix;          // gradient square or bitmap matrix
    Gradient gradient;      // gradients
    uint16_t bitmapId = 0;  // bitmaps; 0xFFFF means "no bitmap"
    friend bool operator==(const FillStyle&, const FillStyle&) = default;
};

enum class CapStyle : uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// One line style. Shapes 1-3 give width and colour only; the rest are the extended style
// of DefineShape4 (defaults are what the older styles mean).
struct LineStyle {
    uint16_t width = 0;  // twips
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0;  // 8.8 fixed point factor
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // a line painted with a fill style instead of a colour
    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

// Style arrays a style change puts in place of the current ones.
struct NewStyles {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    friend bool operator==(const NewStyles&, const NewStyles&) = default;
};

// A style change. Style indices are 1-based into the current style arrays, 0 meaning "none";
// an index field not present keeps the previous value.
struct StyleChange {
    std::optional<int32_t> moveX;  // absolute move-to, set together with moveY
    std::optional<int32_t> moveY;
    std::optional<uint32_t> fill0;
    std::optional<uint32_t> fill1;
    std::optional<uint32_t> line;
    // New style arrays replacing the current ones (the indices above then refer to them), or
    // null. Held apart because records are many (a font's glyphs are made of them) and new
    // styles rare: every record of a shape is as large as a style change.
    std::shared_ptr<const NewStyles> newStyles;
    friend bool operator==(const StyleChange& a, const StyleChange& b) {
        const bool sameStyles = a.newStyles == b.newStyles ||
                                (a.newStyles && b.newStyles && *a.newStyles == *b.newStyles);
        return a.moveX == b.moveX && a.moveY == b.moveY && a.fill0 == b.fill0 &&
               a.fill1 == b.fill1 && a.line == b.line && sameStyles;
    }
};

struct StraightEdge {
    int32_t dx = 0;
    int32_t dy = 0;
    friend bool operator==(const StraightEdge&, const StraightEdge&) = default;
};

// Quadratic curve: control point at pen + (cx, cy), anchor at control + (ax, ay).
struct CurvedEdge {
    int32_t cx = 0;
    int32_t cy = 0;
    int32_t ax = 0;
    int32_t ay = 0;
    friend bool operator==(const CurvedEdge&, const CurvedEdge&) = default;
};

using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;
// Fonts hold hundreds of thousands of records; keep each one small.
static_assert(sizeof(ShapeRecord) <= 64);

struct Shape {
    uint16_t id = 0;
    uint8_t version = 1;  // DefineShape 1..4
    Rect bounds;
    Rect edgeBounds;  // version 4; otherwise equal to bounds
    bool usesFillWindingRule = false;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeRecord> records;
    friend bool operator==(const Shape&, const Shape&) = default;
};

struct MorphGradientStop {
    GradientStop start;
    GradientStop end;
    friend bool operator==(const MorphGradientStop&, const MorphGradientStop&) = default;
};

struct MorphFillStyle {
    FillType type = FillType::Solid;
    Rgba startColor;
    Rgba endColor;
    Matrix startMatrix;
    Matrix endMatrix;
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<MorphGradientStop> stops;
    double startFocalPoint = 0.0;
    double endFocalPoint = 0.0;
    uint16_t bitmapId = 0;
    friend bool operator==(const MorphFillStyle&, const MorphFillStyle&) = default;
};

struct MorphLineStyle {
    uint16_t startWidth = 0;
    uint16_t endWidth = 0;
    Rgba startColor;
    Rgba endColor;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<MorphFillStyle> fill;
    friend bool operator==(const MorphLineStyle&, const MorphLineStyle&) = default;
};

// Start and end edges have the same sequence of edges; the end records may split a straight
// edge where the start has a curve and carry no style indices of their own.
struct MorphShape {
    uint16_t id = 0;
    uint8_t version = 1;  // DefineMorphShape 1..2
    Rect startBounds;
    Rect endBounds;
    Rect startEdgeBounds;
    Rect endEdgeBounds;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    std::vector<ShapeRecord> startRecords;
    std::vector<ShapeRecord> endRecords;
    friend bool operator==(const MorphShape&, const MorphShape&) = default;
};

}  // namespace pencora::swf
