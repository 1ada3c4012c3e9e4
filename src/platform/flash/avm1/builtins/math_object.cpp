// Math: the functions and constants.
#include <cmath>
#include <limits>
#include <random>

#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

double num(Machine& m, const std::vector<Value>& args, size_t i) {
    return i < args.size() ? m.toNumber(args[i]) : std::numeric_limits<double>::quiet_NaN();
}

#define PENCORA_MATH1(name, expr)                                           \
    Value name(Machine& m, const Value&, std::vector<Value>& args) {        \
        double x = num(m, args, 0);                                         \
        return Value(double(expr));                                         \
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

Value mathAtan2(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(std::atan2(num(m, args, 0), num(m, args, 1)));
}

Value mathPow(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(std::pow(num(m, args, 0), num(m, args, 1)));
}

Value mathMax(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value(-std::numeric_limits<double>::infinity());
    }
    double r = -std::numeric_limits<double>::infinity();
    for (const Value& v : args) {
        double x = m.toNumber(v);
        if (std::isnan(x)) {
            return Value(x);
        }
        r = std::max(r, x);
    }
    return Value(r);
}

Value mathMin(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value(std::numeric_limits<double>::infinity());
    }
    double r = std::numeric_limits<double>::infinity();
    for (const Value& v : args) {
        double x = m.toNumber(v);
        if (std::isnan(x)) {
            return Value(x);
        }
        r = std::min(r, x);
    }
    return Value(r);
}

Value mathRandom(Machine&, const Value&, std::vector<Value>&) {
    static std::mt19937_64 engine(0x5EED);
    return Value(std::uniform_real_distribution<double>(0.0, 1.0)(engine));
}

const NativeEntry kFunctions[] = {
    {"abs", mathAbs},     {"acos", mathAcos},   {"asin", mathAsin},   {"atan", mathAtan},
    {"atan2", mathAtan2}, {"ceil", mathCeil},   {"cos", mathCos},     {"exp", mathExp},
    {"floor", mathFloor}, {"log", mathLog},     {"max", mathMax},     {"min", mathMin},
    {"pow", mathPow},     {"random", mathRandom}, {"round", mathRound}, {"sin", mathSin},
    {"sqrt", mathSqrt},   {"tan", mathTan},
};

}  // namespace

void installMathObject(Machine& m) {
    Object* math = m.makeObject();
    installTable(m, math, kFunctions);
    const std::pair<const char*, double> constants[] = {
        {"E", M_E},          {"LN10", M_LN10},       {"LN2", M_LN2},     {"LOG10E", M_LOG10E},
        {"LOG2E", M_LOG2E},  {"PI", M_PI},           {"SQRT1_2", M_SQRT1_2}, {"SQRT2", M_SQRT2},
    };
    for (const auto& [name, value] : constants) {
        math->put(QString::fromLatin1(name), Value(value), kDontEnum | kDontDelete | kReadOnly);
    }
    m.global()->put(QStringLiteral("Math"), Value(math), kDontEnum);
}

}  // namespace pencora::avm1
