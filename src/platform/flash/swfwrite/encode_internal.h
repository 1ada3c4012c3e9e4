// Encoders shared by the writer's files (internal to pencora_swf_writer).
#pragma once

#include <memory>
#include <vector>

#include "platform/flash/swf/characters.h"
#include "platform/flash/swf/shape.h"
#include "platform/flash/swfwrite/byte_writer.h"
#include "platform/flash/swfwrite/encode.h"

namespace pencora::swfwrite::detail {

void writeFillStyle(ByteWriter& w, const swf::FillStyle& f, uint8_t shapeVersion);
void writeStyles(ByteWriter& w, const std::vector<swf::FillStyle>& fills,
                 const std::vector<swf::LineStyle>& lines, uint8_t shapeVersion);
// A SHAPE: style bit widths from the counts given, then the records and the end record.
void writeShapeRecords(ByteWriter& w, const std::vector<swf::ShapeRecord>& records,
                       size_t fillCount, size_t lineCount, uint8_t shapeVersion);
void writeFilterList(ByteWriter& w, const std::vector<swf::Filter>& filters);
void writeSoundInfo(ByteWriter& w, const swf::SoundInfo& info);

Bytes encodeShape(const swf::Shape& s);
Bytes encodeMorphShape(const swf::MorphShape& m);

}  // namespace pencora::swfwrite::detail
