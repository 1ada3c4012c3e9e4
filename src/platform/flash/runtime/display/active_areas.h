// Where a pointer finds something to act on, for tools that drive a movie without a person:
// the buttons, button-like clips and input text fields that show now.
#pragma once

#include <QRectF>

#include <vector>

namespace pencora::runtime {

class Player;

// The stage boxes (pixels) of every visible button, clip with mouse handlers and input text
// field of every layer, in display order; objects that paint nothing are left out.
std::vector<QRectF> activeAreas(Player& player);

}  // namespace pencora::runtime
