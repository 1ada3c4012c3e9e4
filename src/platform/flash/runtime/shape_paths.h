// Shape records as painter paths, built once per shape: the edges of each fill style joined
// into closed areas (an edge bounds fill1 on its left as drawn and fill0 on its right, so
// fill0 edges are taken reversed), and the strokes of each line style.
#pragma once

#include <QPainterPath>
#include <QRectF>

#include <vector>

#include "platform/flash/swf/shape.h"

namespace pencora::runtime {

struct FillPath {
    swf::FillStyle style;
    QPainterPath path;  // twips
};

struct LinePath {
    swf::LineStyle style;
    QPainterPath path;
};

struct ShapePaths {
    std::vector<FillPath> fills;  // in drawing order
    std::vector<LinePath> lines;  // drawn after the fills of the same style group
    QPainterPath outline;         // every filled area, for hit tests and masks
    QRectF bounds;
};

ShapePaths buildShapePaths(const std::vector<swf::FillStyle>& fills,
                           const std::vector<swf::LineStyle>& lines,
                           const std::vector<swf::ShapeRecord>& records, bool windingRule = false);

// The records of a morph shape at `ratio` (0..65535), with styles interpolated alike.
struct MorphFrame {
    std::vector<swf::FillStyle> fills;
    std::vector<swf::LineStyle> lines;
    std::vector<swf::ShapeRecord> records;
};
MorphFrame morphAt(const swf::MorphShape& morph, uint16_t ratio);

}  // namespace pencora::runtime
