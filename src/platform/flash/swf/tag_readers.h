// Readers of the individual tag bodies, shared by the movie reader (internal to pencora_swf).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/flash/swf/byte_reader.h"
#include "platform/flash/swf/characters.h"
#include "platform/flash/swf/control_tags.h"
#include "platform/flash/swf/shape.h"

namespace pencora::swf::detail {

// Shapes (read_shapes.cpp). `shapeVersion` decides colour width and line style kind.
FillStyle readFillStyle(ByteReader& r, uint8_t shapeVersion);
std::vector<FillStyle> readFillStyles(ByteReader& r, uint8_t shapeVersion);
std::vector<LineStyle> readLineStyles(ByteReader& r, uint8_t shapeVersion);
std::vector<ShapeRecord> readShapeRecords(ByteReader& r, uint8_t shapeVersion);  // SHAPE
Shape readDefineShape(ByteReader& r, uint8_t version);
MorphShape readDefineMorphShape(ByteReader& r, uint8_t version);

// Bitmaps (read_bitmaps.cpp). A lossless bitmap larger than maxPixels fails to parse.
JpegBitmap readDefineBitsJpeg(ByteReader& r, uint8_t version);
LosslessBitmap readDefineBitsLossless(ByteReader& r, uint8_t version, size_t maxPixels);

// Fonts and text (read_text.cpp).
Font readDefineFont(ByteReader& r, uint8_t version);
void readDefineFontInfo(ByteReader& r, uint8_t version, Font& font);  // after the font id
Text readDefineText(ByteReader& r, uint8_t version);
EditText readDefineEditText(ByteReader& r);

// Buttons (read_buttons.cpp).
Button readDefineButton(ByteReader& r, uint8_t version);
void readDefineButtonSound(ByteReader& r, Button& button);  // after the button id
std::vector<Filter> readFilterList(ByteReader& r);

// Control tags and sounds (read_control.cpp).
PlaceObject readPlaceObject(ByteReader& r, uint8_t version, uint8_t swfVersion);
SoundInfo readSoundInfo(ByteReader& r);
Sound readDefineSound(ByteReader& r);
SoundStreamHead readSoundStreamHead(ByteReader& r, uint8_t version);
VideoStream readDefineVideoStream(ByteReader& r);

}  // namespace pencora::swf::detail
