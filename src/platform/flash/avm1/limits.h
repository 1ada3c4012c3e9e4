// Limits that keep a movie's scripts from hanging or exhausting the program.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pencora::avm1 {

struct ScriptLimits {
    double seconds = 15;                      // one script run; the ScriptLimits tag may raise it
    int maxDepth = 256;                       // nested function calls, as the original counts them
    size_t maxHeapBytes = size_t(512) << 20;  // all script objects of the machine
    size_t maxStringLength = size_t(64) << 20;  // UTF-16 units in one string
    uint32_t maxArrayLength = 1u << 24;         // elements an array method walks or stores densely
    uint64_t maxActions = 0;                    // actions per run, 0 = no count (fuzzing sets one)
    // Once a run has been stopped by the time limit, refuse every later run until the machine
    // is told to resume: a movie whose script hung then runs no more scripts.
    bool stopScriptsAfterTimeLimit = false;
};

// `base` with the depth and time a movie's ScriptLimits tag asks for (0 = not given: the
// defaults). A movie may lower both and raise the time up to a minute; the depth never goes
// past the default, which is what the machine's stack is sized for.
inline ScriptLimits limitsAskedByMovie(ScriptLimits base, uint16_t maxRecursion,
                                       uint16_t timeoutSeconds) {
    const ScriptLimits defaults;
    base.maxDepth =
        maxRecursion > 0 ? std::min<int>(maxRecursion, defaults.maxDepth) : defaults.maxDepth;
    base.seconds = timeoutSeconds > 0 ? std::min<double>(timeoutSeconds, 60) : defaults.seconds;
    return base;
}

// Thrown inside the machine when a limit is hit; never seen by scripts (try/catch cannot
// catch it). The run that hit it stops; the machine stays usable.
struct LimitExceeded {
    enum class Kind { Time, Depth, Memory, Actions };
    Kind kind;
};

}  // namespace pencora::avm1
