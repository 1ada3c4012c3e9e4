// Geometry of display objects as scripts ask for it: bounds of an object with its children in
// another object's space, points between a clip and the stage, and hit tests by bounds or by
// painted shape. Everything works in twips; callers convert to pixels.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <optional>

#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {

// The union of what `object` and its children paint, mapped by `toSpace` (object's own twips to
// the space wanted). Masks do not count. `withStrokes` false leaves line widths out
// (getRect). Nothing when nothing is drawn; a clip scaled to nothing has a point.
std::optional<QRectF> contentBounds(const DisplayObject& object, const QTransform& toSpace,
                                    bool withStrokes);

// A rectangle in twips with its edges on whole twips, the way the player stores bounds.
QRectF wholeTwips(const QRectF& twips);
// A point in twips on the nearest whole twip.
QPointF wholeTwips(QPointF twips);

// Maps the object's twips to the stage's as points are carried between spaces: the object's
// matrix joined with each parent's in turn, from the object up, every product keeping its
// offset on whole twips as any stored matrix does.
QTransform wholeTwipsToStage(const DisplayObject& object);

// Maps `from`'s twips to `to`'s twips through the stage; `to` null means the stage itself.
QTransform spaceToSpace(const DisplayObject& from, const DisplayObject* to);

// Whether a point (twips, in the coordinates of the object's level root) falls inside the
// object's bounds, or with `shape` on what it and its children actually paint.
bool hitsPoint(const DisplayObject& object, QPointF point, bool shape);

// Whether a mask (a timeline mask layer or a script's mask) lets a stage point (twips) show.
bool maskShows(const DisplayObject& mask, QPointF stage);

}  // namespace pencora::runtime
