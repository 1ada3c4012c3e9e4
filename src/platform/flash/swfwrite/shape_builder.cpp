#include "platform/flash/swfwrite/shape_builder.h"

#include <algorithm>
#include <cmath>

namespace pencora::swfwrite {

swf::FillStyle solidFill(swf::Rgba color) {
    swf::FillStyle f;
    f.type = swf::FillType::Solid;
    f.color = color;
    return f;
}

swf::Matrix gradientBox(double x, double y, double width, double height, double angle) {
    const double sx = width / 32768.0;
    const double sy = height / 32768.0;
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    swf::Matrix m;
    m.a = sx * cs;
    m.b = sx * sn;
    m.c = -sy * sn;
    m.d = sy * cs;
    m.tx = static_cast<int32_t>(std::lround(x + width / 2));
    m.ty = static_cast<int32_t>(std::lround(y + height / 2));
    return m;
}

swf::FillStyle gradientFill(swf::FillType type, const swf::Matrix& m,
                            std::vector<swf::GradientStop> stops, swf::SpreadMode spread,
                            swf::InterpolationMode interpolation, double focalPoint) {
    swf::FillStyle f;
    f.type = type;
    f.matrix = m;
    f.gradient.stops = std::move(stops);
    f.gradient.spread = spread;
    f.gradient.interpolation = interpolation;
    f.gradient.focalPoint = focalPoint;
    return f;
}

swf::FillStyle bitmapFill(uint16_t bitmapId, swf::FillType type, int32_t x, int32_t y,
                          double twipsPerPixel) {
    swf::FillStyle f;
    f.type = type;
    f.bitmapId = bitmapId;
    f.matrix.a = twipsPerPixel;
    f.matrix.d = twipsPerPixel;
    f.matrix.tx = x;
    f.matrix.ty = y;
    return f;
}

swf::LineStyle solidLine(uint16_t width, swf::Rgba color) {
    swf::LineStyle l;
    l.width = width;
    l.color = color;
    return l;
}

uint32_t ShapeBuilder::addFill(const swf::FillStyle& f) {
    fills_.push_back(f);
    return static_cast<uint32_t>(fills_.size());
}

uint32_t ShapeBuilder::addLine(const swf::LineStyle& l) {
    lines_.push_back(l);
    return static_cast<uint32_t>(lines_.size());
}

swf::StyleChange& ShapeBuilder::pending() {
    if (!pendingChange_) {
        records_.emplace_back(swf::StyleChange{});
        pendingChange_ = true;
    }
    return std::get<swf::StyleChange>(records_.back());
}

ShapeBuilder& ShapeBuilder::fill0(uint32_t index) {
    pending().fill0 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::fill1(uint32_t index) {
    pending().fill1 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::line(uint32_t index) {
    pending().line = index;
    return *this;
}

void ShapeBuilder::visit(int32_t x, int32_t y) {
    if (!any_) {
        bounds_ = {x, x, y, y};
        any_ = true;
    }
    bounds_.xMin = std::min(bounds_.xMin, x);
    bounds_.xMax = std::max(bounds_.xMax, x);
    bounds_.yMin = std::min(bounds_.yMin, y);
    bounds_.yMax = std::max(bounds_.yMax, y);
}

ShapeBuilder& ShapeBuilder::moveTo(int32_t x, int32_t y) {
    auto& c = pending();
    c.moveX = x;
    c.moveY = y;
    x_ = x;
    y_ = y;
    return *this;
}

ShapeBuilder& ShapeBuilder::lineTo(int32_t x, int32_t y) {
    visit(x_, y_);  // an outline after a move starts there, not at the last point drawn
    records_.emplace_back(swf::StraightEdge{x - x_, y - y_});
    pendingChange_ = false;
    x_ = x;
    y_ = y;
    visit(x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::curveTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    visit(x_, y_);
    records_.emplace_back(swf::CurvedEdge{cx - x_, cy - y_, x - cx, y - cy});
    pendingChange_ = false;
    visit(cx, cy);
    visit(x, y);
    x_ = x;
    y_ = y;
    return *this;
}

ShapeBuilder& ShapeBuilder::rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                      uint32_t fill) {
    if (fill != 0) {
        fill1(fill);
    }
    moveTo(x0, y0);
    lineTo(x1, y0);
    lineTo(x1, y1);
    lineTo(x0, y1);
    lineTo(x0, y0);
    return *this;
}

swf::Shape ShapeBuilder::build(uint16_t id, uint8_t version) const {
    swf::Shape s;
    s.id = id;
    s.version = version;
    s.fills = fills_;
    s.lines = lines_;
    s.records = records_;
    int32_t pad = 0;
    for (const auto& l : lines_) {
        pad = std::max<int32_t>(pad, (l.width + 1) / 2);
    }
    s.bounds = {bounds_.xMin - pad, bounds_.xMax + pad, bounds_.yMin - pad, bounds_.yMax + pad};
    s.edgeBounds = bounds_;
    return s;
}

}  // namespace pencora::swfwrite
