// Aliased filling with the movies' own pixel rule, instead of the painter's. Vertices are
// first put on a grid of 1/256 pixel; then a pixel is painted when its centre lies inside,
// and a centre exactly on an edge belongs to the shape when the edge is a left or top one
// (the shape lies to its right or below). The grid decides pixels whose centre lies within a
// hundredth of a pixel of an edge, which the movies' aliased frames show on slanted letters
// (blend_modes/multiply).
#pragma once

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <vector>

namespace pencora::swf::render {

// Vertices are placed on this grid (steps per pixel) before they are rasterised.
inline constexpr int kAliasedSubpixels = 256;

// The pixels of `path` (device coordinates, its own fill rule; every subpath closed; cubic
// curves taken for circular arcs and cut into chords within kAliasedCurveTolerance) within
// `clip`, as disjoint rectangles: runs on one row, equal runs of consecutive rows joined.
std::vector<QRect> aliasedPixels(const QPainterPath& path, const QRect& clip);

// Fills `path` (the painter's coordinates) with `brush` pixel by pixel under that rule.
void fillAliased(QPainter& painter, const QPainterPath& path, const QBrush& brush);

}  // namespace pencora::swf::render
