#include "modes/quiz/quiz_random.h"

#include <chrono>

namespace pencora::quiz {

namespace {

uint64_t systemClockNanoseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

QuizRandom::QuizRandom() : QuizRandom(systemClockNanoseconds) {}

QuizRandom::QuizRandom(Clock clock) : clock_(std::move(clock)) {
    reseedFromClock();
}

void QuizRandom::reseedFromClock() {
    engine_.seed(clock_ ? clock_() : 0);
}

int QuizRandom::below(int n) {
    if (n < 1) {
        return 0;
    }
    // Rejection keeps every value equally likely, whatever n is.
    const uint64_t range = static_cast<uint64_t>(n);
    const uint64_t limit = std::mt19937_64::max() - std::mt19937_64::max() % range;
    uint64_t x = engine_();
    while (x >= limit) {
        x = engine_();
    }
    return static_cast<int>(x % range);
}

}  // namespace pencora::quiz
