// Turns the movie's bitmap records into images: JPEG (with the movie's shared tables and an
// optional alpha plane), PNG and GIF data of DefineBitsJPEG2/3, and lossless pixels.
#pragma once

#include <QImage>
#include <span>

#include "platform/flash/swf/characters.h"

namespace pencora::swf::render {

// A premultiplied ARGB image; a null image when the data cannot be decoded.
QImage decodeJpegBitmap(const JpegBitmap& bitmap, std::span<const uint8_t> jpegTables);
QImage losslessImage(const LosslessBitmap& bitmap);

}  // namespace pencora::swf::render
