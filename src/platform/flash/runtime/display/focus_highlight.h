// The yellow rectangle around the object that Tab (or Selection.setFocus) gave the focus,
// drawn over the whole stage just inside the object's bounds.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QTransform>

#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

// What the object and its children paint (edit texts: their box), in stage twips; null when
// it paints nothing.
QRectF stageBounds(const DisplayObject& object);

// Paints the highlight when one shows; `stageToDevice` maps stage pixels to the painter's.
void paintFocusHighlight(QPainter& painter, const Player& player, const QTransform& stageToDevice);

}  // namespace pencora::runtime
