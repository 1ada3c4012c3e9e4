// A placed video as a drawing: its current picture over the stream's declared rectangle.
#pragma once

#include <QImage>

#include <memory>

#include "platform/flash/runtime/drawing/character_drawing.h"

namespace pencora::runtime {

class VideoPlayback;

// The drawing shows the frame its ratio names. Make a new one after a script changes what the
// video shows (clear, smoothing), so that the frame's draw list sees the object changed.
std::shared_ptr<const CharacterDrawing> makeVideoDrawing(std::shared_ptr<VideoPlayback> playback);

// A net stream's picture (null: none yet) shown by the video object `video` plays for: the
// object keeps the size its stream declares and the picture is stretched over it.
std::shared_ptr<const CharacterDrawing> makeStreamPictureDrawing(const QImage& picture,
                                                                 const VideoPlayback& video);

}  // namespace pencora::runtime
