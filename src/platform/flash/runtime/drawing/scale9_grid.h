// Nine-slice scaling: a clip's scaling grid cuts its own shapes into nine regions. When the
// clip is scaled, the four corners keep their size, the top and bottom edges stretch only
// across, the left and right edges only down, and the centre both ways; the outer edges still
// land where plain scaling puts them. A clip too small for its corners shrinks them in
// proportion, leaving no centre. A rotated or skewed clip scales plainly.
#pragma once

#include <QRectF>
#include <QTransform>

#include <optional>
#include <vector>

namespace pencora::runtime {

struct DisplayObject;

// One region: its rectangle in the clip's own twips and the matrix that takes it to the
// clip's parent (in place of the clip's own matrix).
struct Scale9Slice {
    QRectF local;
    QTransform toParent;
};

// The regions of content covering `bounds` (own twips) for `grid` (own twips) under the
// clip's matrix `own`; empty when the grid does not apply (a rotated or skewed matrix, empty
// bounds, or a grid that leaves no room for corners).
std::vector<Scale9Slice> scale9Slices(const QRectF& grid, const QRectF& bounds,
                                      const QTransform& own);

// The regions a clip's or button's grid cuts its own shapes and drawn graphics into under its
// matrix, when the grid is at work: the clip is scaled, not rotated or skewed, and has no
// scroll rectangle. Empty otherwise (a clip at its own size draws as it would without one).
std::vector<Scale9Slice> gridSlicesOf(const DisplayObject& clip);

// Where a stage point (twips) lands among the regions a grid places: the point in the clip's
// own twips as the region holding it draws there, and that region's matrix to the stage in
// place of the clip's own. `clipToStage` is the clip's own matrix joined with its parents'.
struct GridPoint {
    QPointF local;
    QTransform toStage;
};
// std::nullopt when no region of `slices` holds the point.
std::optional<GridPoint> gridPointOf(const std::vector<Scale9Slice>& slices,
                                     const DisplayObject& clip, const QTransform& clipToStage,
                                     QPointF stage);

}  // namespace pencora::runtime
