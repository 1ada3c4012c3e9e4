// The runtime as the Flash control drives it (control/movie_engine.h): movies read with the
// SWF reader and played by a Player, drawn with QPainter into the host's pixel buffer.
#pragma once

#include <memory>

#include "platform/flash/control/movie_engine.h"
#include "platform/flash/runtime/drawing/character_drawing.h"

namespace pencora::runtime {

std::unique_ptr<flash::MovieEngine> createSwfMovieEngine(
    std::unique_ptr<DrawingFactory> drawings = makeDefaultDrawingFactory());

}  // namespace pencora::runtime
