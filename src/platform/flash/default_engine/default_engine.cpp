#include "platform/flash/default_engine/default_engine.h"

// The one place that picks the engine behind the Flash control: the movie runtime.
#include "platform/flash/runtime/swf_movie_engine.h"

namespace pencora::flash {

std::unique_ptr<MovieEngine> createDefaultMovieEngine() {
    return runtime::createSwfMovieEngine();
}

}  // namespace pencora::flash
