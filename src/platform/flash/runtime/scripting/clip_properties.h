// The 22 movie-clip properties by index (0 _x ... 21 _ymouse), read and written on a display
// object: positions in stage pixels, scales and alpha in percent, rotation in degrees.
#pragma once

#include <QString>

#include <optional>

#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

std::optional<double> clipPropertyNumber(const Player& player, const DisplayObject& clip,
                                         int index);
// As text, the way the movie would print it ("12", "0.5", "_level0.a" style paths in slash
// form for _target, "HIGH" for _quality).
std::optional<QString> clipPropertyText(const Player& player, const DisplayObject& clip, int index);
// Returns false for read-only or unknown properties.
bool setClipProperty(Player& player, DisplayObject& clip, int index, const QString& value);

// Numbers as the movie prints them: integers without a point, others with up to 15 digits.
QString numberText(double v);

}  // namespace pencora::runtime
