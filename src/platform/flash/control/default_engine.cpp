#include "platform/flash/control/default_engine.h"

// The one place that picks the engine behind the Flash control. Swap the stand-in for the
// runtime here (and the link in this folder's CMakeLists.txt).
#include "platform/flash/control/stub_engine.h"

namespace pencora::flash {

std::unique_ptr<MovieEngine> createDefaultMovieEngine() { return createStubMovieEngine(); }

}  // namespace pencora::flash
