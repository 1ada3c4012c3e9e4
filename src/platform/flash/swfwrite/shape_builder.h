// Builds shapes from absolute pen positions (twips) instead of edge deltas, and the common
// fill and line styles, so tests and tools can say "a red square from (20,20) to (60,60)".
#pragma once

#include <cstdint>
#include <vector>

#include "platform/flash/swf/shape.h"

namespace pencora::swfwrite {

swf::FillStyle solidFill(swf::Rgba color);
// The gradient square (-16384..16384 twips on each axis) mapped onto a box, rotated by
// `angle` radians about its centre.
swf::Matrix gradientBox(double x, double y, double width, double height, double angle = 0.0);
swf::FillStyle gradientFill(swf::FillType type, const swf::Matrix& m,
                            std::vector<swf::GradientStop> stops,
                            swf::SpreadMode spread = swf::SpreadMode::Pad,
                            swf::InterpolationMode interpolation = swf::InterpolationMode::Normal,
                            double focalPoint = 0.0);
// One bitmap pixel per `twipsPerPixel` twips, the bitmap's origin at (x, y).
swf::FillStyle bitmapFill(uint16_t bitmapId, swf::FillType type, int32_t x = 0, int32_t y = 0,
                          double twipsPerPixel = 20.0);
swf::LineStyle solidLine(uint16_t width, swf::Rgba color);

class ShapeBuilder {
public:
    // Style indices are 1-based, as shape records use them.
    uint32_t addFill(const swf::FillStyle& f);
    uint32_t addLine(const swf::LineStyle& l);

    ShapeBuilder& fill0(uint32_t index);
    ShapeBuilder& fill1(uint32_t index);
    ShapeBuilder& line(uint32_t index);
    ShapeBuilder& moveTo(int32_t x, int32_t y);
    ShapeBuilder& lineTo(int32_t x, int32_t y);
    ShapeBuilder& curveTo(int32_t cx, int32_t cy, int32_t x, int32_t y);
    // A closed rectangle drawn clockwise with fill1 = fill (0: the current styles).
    ShapeBuilder& rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t fill = 0);

    const std::vector<swf::ShapeRecord>& records() const { return records_; }
    // The shape: bounds from the points visited, widened by half the widest line.
    swf::Shape build(uint16_t id = 0, uint8_t version = 3) const;

private:
    swf::StyleChange& pending();
    void visit(int32_t x, int32_t y);

    std::vector<swf::FillStyle> fills_;
    std::vector<swf::LineStyle> lines_;
    std::vector<swf::ShapeRecord> records_;
    bool pendingChange_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
    bool any_ = false;
    swf::Rect bounds_;
};

}  // namespace pencora::swfwrite
