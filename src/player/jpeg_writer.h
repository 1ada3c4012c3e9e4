// A frame as a 24-bit JPEG image, through libjpeg (the alpha bytes are dropped).
#pragma once

#include <QByteArray>

#include "player/tsf_bitmap.h"

namespace pencora::player {

// Raises std::runtime_error for an empty bitmap or an encoder failure.
QByteArray encodeJpeg(TsfBitmap& frame, int quality);

}  // namespace pencora::player
