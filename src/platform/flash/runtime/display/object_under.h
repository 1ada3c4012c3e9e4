// What lies under a point of the stage, for the scripts that ask (the wheel's target).
#pragma once

#include <QPointF>

namespace pencora::runtime {

class Player;
struct DisplayObject;

// The innermost clip, button or text field painted at the point (stage pixels), or a level's
// root where only the root's own drawing is; null over nothing.
DisplayObject* objectUnder(const Player& player, QPointF stage);

}  // namespace pencora::runtime
