// Defaults every test program starts with unless its environment already says otherwise:
// widgets on Qt's offscreen platform, sound on SDL's silent dummy driver (test machines often
// have no sound device). The ENVIRONMENT property of discovered tests cannot carry more than
// one variable, so they are set here rather than by CTest.
#include <cstdlib>

namespace {

const bool kDefaultsSet = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

}  // namespace
