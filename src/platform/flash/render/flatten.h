// Curves to straight segments for aliased drawing. Without anti-aliasing every pixel whose
// centre falls inside a shape is painted, so the chords a curve is cut into decide single
// pixels along its edge; the movies' aliased frames match a parabola-fitting subdivision
// (segments spaced so each deviates about equally from the curve) at a tenth of a pixel, a
// curve within that of its chord staying one segment.
#pragma once

#include <QPainterPath>

namespace pencora::swf::render {

inline constexpr double kAliasedCurveTolerance = 0.1;  // device pixels

// `path` with every quadratic curve (stored by the painter path as its cubic form) replaced
// by line segments that stay within `tolerance` of it. Genuine cubics are kept.
QPainterPath flattenCurves(const QPainterPath& path, double tolerance = kAliasedCurveTolerance);

}  // namespace pencora::swf::render
