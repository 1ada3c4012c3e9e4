// The machine's random numbers: one generator for Math.random and the random(n) action, seeded
// once from the host.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/steps.h"

namespace pencora::avm1 {

namespace {

std::mt19937& generator(Machine& m) {
    Machine::Impl& impl = m.impl();
    if (!impl.randomSeeded) {
        const double now = m.host().wallClock() + m.host().milliseconds();
        const uint64_t bits = std::isfinite(now) ? uint64_t(std::fabs(now)) : 0;
        impl.random.seed(uint32_t(bits ^ (bits >> 32)));
        impl.randomSeeded = true;
    }
    return impl.random;
}

}  // namespace

double randomFraction(Machine& m) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator(m));
}

uint32_t randomBelow(Machine& m, uint32_t n) {
    if (n == 0) {
        return 0;
    }
    return std::uniform_int_distribution<uint32_t>(0, n - 1)(generator(m));
}

// random(n): a whole number from 0 to n - 1, n taken as a whole number; nothing below 1 leaves a
// choice, so the answer is 0.
Flow stepRandomNumber(Machine& m, Activation& act, Step&) {
    const double max = m.toNumber(act.pop());
    const uint32_t n = std::isfinite(max) && max >= 1 ? uint32_t(std::min(max, 2147483647.0)) : 0;
    act.push(Value(double(randomBelow(m, n))));
    return Flow::Next;
}

}  // namespace pencora::avm1
