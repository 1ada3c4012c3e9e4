// The engine the program's hosts (the player, swfplay) give the Flash control. Which
// implementation this is gets decided in one place: the pencora_flash_default_engine target
// in this folder's CMakeLists.txt and default_engine.cpp.
#pragma once

#include <memory>

#include "platform/flash/control/movie_engine.h"

namespace pencora::flash {

std::unique_ptr<MovieEngine> createDefaultMovieEngine();

}  // namespace pencora::flash
