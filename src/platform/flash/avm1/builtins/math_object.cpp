// Math: the functions and constants.
#include <cmath>
#include <limits>

#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

double num(Machine& m, const std::vector<Value>& args, size_t i) {
    return i < args.size() ? m.toNumber(args[i]) : std::numeric_limits<double>::quiet_NaN();
}

// One-argument functions still convert a second argument, but no more (math_swf7 counts the
// valueOf calls).
void convertRest(Machine& m, const std::vector<Value>& args, size_t from) {
    if (from < args.size()) {
        m.toNumber(args[from]);
    }
}

#define PENCORA_MATH1(name, expr)                                    \
    Value name(Machine& m, const Value&, std::vector<Value>& args) { \
        double x = num(m, args, 0);                                  \
        convertRest(m, args, 1);                                     \
        return Value(double(expr));                                  \
    }

PENCORA_MATH1(mathAbs, std::fabs(x))
PENCORA_MATH1(mathAcos, std::acos(x))
PENCORA_MATH1(mathAsin, std::asin(x))
PENCORA_MATH1(mathAtan, std::atan(x))
PENCORA_MATH1(mathCeil, std::ceil(x))
PENCORA_MATH1(mathCos, std::cos(x))
PENCORA_MATH1(mathExp, std::exp(x))
PENCORA_MATH1(mathFloor, std::floor(x))
PENCORA_MATH1(mathLog, std::log(x))
PENCORA_MATH1(mathSin, std::sin(x))
PENCORA_MATH1(mathSqrt, std::sqrt(x))
PENCORA_MATH1(mathTan, std::tan(x))
// Rounds halves up, like floor(x + 0.5).
PENCORA_MATH1(mathRound, std::floor(x + 0.5))
#undef PENCORA_MATH1

// Two-argument functions convert their arguments left to right (math_swf7 counts the valueOf
// calls), so the conversions are sequenced, not left to the compiler.
Value mathAtan2(Machine& m, const Value&, std::vector<Value>& args) {
    double y = num(m, args, 0);
    double x = num(m, args, 1);
    return Value(std::atan2(y, x));
}

// The C library's powers: 1 to a NaN or infinite power is 1, not NaN.
Value mathPow(Machine& m, const Value&, std::vector<Value>& args) {
    double x = num(m, args, 0);
    double y = num(m, args, 1);
    return Value(std::pow(x, y));
}

// min and max compare two arguments only: a missing second one is NaN (math_min_max), a third
// is not even converted (math_swf7). Both are converted, in order, even after a NaN.
Value minMax(Machine& m, std::vector<Value>& args, bool max) {
    if (args.empty()) {
        return Value(max ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity());
    }
    double a = num(m, args, 0);
    double b = num(m, args, 1);
    if (std::isnan(a) || std::isnan(b)) {
        return Value(std::numeric_limits<double>::quiet_NaN());
    }
    return Value(max ? std::max(a, b) : std::min(a, b));
}

Value mathMax(Machine& m, const Value&, std::vector<Value>& args) {
    return minMax(m, args, true);
}

Value mathMin(Machine& m, const Value&, std::vector<Value>& args) {
    return minMax(m, args, false);
}

Value mathRandom(Machine& m, const Value&, std::vector<Value>& args) {
    convertRest(m, args, 0);
    convertRest(m, args, 1);
    return Value(randomFraction(m));
}

const NativeEntry kFunctions[] = {
    {"abs", mathAbs},     {"acos", mathAcos},     {"asin", mathAsin},   {"atan", mathAtan},
    {"atan2", mathAtan2}, {"ceil", mathCeil},     {"cos", mathCos},     {"exp", mathExp},
    {"floor", mathFloor}, {"log", mathLog},       {"max", mathMax},     {"min", mathMin},
    {"pow", mathPow},     {"random", mathRandom}, {"round", mathRound}, {"sin", mathSin},
    {"sqrt", mathSqrt},   {"tan", mathTan},
};

}  // namespace

void installMathObject(Machine& m) {
    Object* math = m.makeObject();
    installTable(m, math, kFunctions);
    const std::pair<const char*, double> constants[] = {
        {"E", M_E},         {"LN10", M_LN10}, {"LN2", M_LN2},         {"LOG10E", M_LOG10E},
        {"LOG2E", M_LOG2E}, {"PI", M_PI},     {"SQRT1_2", M_SQRT1_2}, {"SQRT2", M_SQRT2},
    };
    for (const auto& [name, value] : constants) {
        math->put(QString::fromLatin1(name), Value(value), kDontEnum | kDontDelete | kReadOnly);
    }
    m.global()->put(QStringLiteral("Math"), Value(math), kDontEnum);
}

}  // namespace pencora::avm1
