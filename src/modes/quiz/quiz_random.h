// The one random generator of the quizzes. Before each draw of a new current item it is
// re-seeded from the clock; the choices of a question are drawn from it without re-seeding.
// The clock is injectable, so a test that hands in a fixed clock gets a fixed sequence.
#pragma once

#include <cstdint>
#include <functional>
#include <random>

namespace pencora::quiz {

class QuizRandom {
  public:
    using Clock = std::function<uint64_t()>;

    // Seeds from the system clock's nanoseconds.
    QuizRandom();
    explicit QuizRandom(Clock clock);

    void reseedFromClock();

    // A uniform integer in 0..n-1 (0 when n < 1).
    int below(int n);

    // A draw function for code that takes one: `random.drawer()(n)` is `below(n)`.
    std::function<int(int)> drawer() {
        return [this](int n) { return below(n); };
    }

  private:
    Clock clock_;
    std::mt19937_64 engine_;
};

}  // namespace pencora::quiz
