// A stand-in engine for hosts to run before the real runtime is linked: it reads a movie's
// header and tag list (stage size, frame rate, frame count, background colour, frame labels),
// keeps a root timeline with play, stop and gotos, and variables, and draws the stage colour.
// Nothing else of a movie runs or shows. The control's tests use their own fake instead.
#pragma once

#include <memory>

#include "platform/flash/control/movie_engine.h"

namespace pencora::flash {

std::unique_ptr<MovieEngine> createStubMovieEngine();

}  // namespace pencora::flash
