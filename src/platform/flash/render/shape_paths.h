// A shape's edges turned into painter paths, once: the edges of each fill style (fill1 on
// an edge's right, fill0 on its left, so fill0 edges are reversed) joined end to end into
// closed areas, and the edges of each line style joined into strokes. Coordinates stay in
// twips; drawing maps them to the device.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <cstdint>
#include <vector>

#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

struct StyledFill {
    QPainterPath path;
    FillStyle style;
};

struct StyledLine {
    QPainterPath path;
    LineStyle style;
};

// One group of styles: a shape's initial styles, or those of a style change with new
// styles. Groups draw in order; within a group all fills draw before all lines.
struct StyleGroup {
    std::vector<StyledFill> fills;
    std::vector<StyledLine> lines;
};

struct ShapePaths {
    std::vector<StyleGroup> groups;
    QRectF bounds;  // twips, of the edges (lines not widened)
};

// An edge with absolute positions and the style indices in force when it was drawn.
struct Edge {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved = false;
    uint32_t fill0 = 0;
    uint32_t fill1 = 0;
    uint32_t line = 0;
    size_t group = 0;
};

struct EdgeGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

// Walks shape records into absolute edges; the styles given are group 0, each style change
// with new styles opens the next group.
void collectEdges(const std::vector<ShapeRecord>& records, const std::vector<FillStyle>& fills,
                  const std::vector<LineStyle>& lines, std::vector<EdgeGroup>& groups,
                  std::vector<Edge>& edges);

ShapePaths assemblePaths(const std::vector<EdgeGroup>& groups, const std::vector<Edge>& edges,
                         Qt::FillRule rule);

ShapePaths shapePaths(const Shape& shape);

}  // namespace pencora::swf::render
