// Conversion rules, per SWF version where the original changed them.
#include "platform/flash/avm1/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pencora::avm1;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(NumberPrinting, FifteenDigitsAndTheOriginalsExponentForms) {
    struct Row {
        double n;
        const char* text;
    };
    const Row rows[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-42, "-42"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1e+15"},
        {-8.64e15, "-8.64e+15"},
        {1.5e20, "1.5e+20"},
        {0.0001, "0.0001"},
        {0.00001, "1e-5"},
        {5e-25, "5e-25"},
        {4.94065645841247e-324, "4.94065645841247e-324"},
        // Rounding the largest doubles up would overflow: their digits are cut instead.
        {std::numeric_limits<double>::max(), "1.79769313486231e+308"},
        {-std::numeric_limits<double>::max(), "-1.79769313486231e+308"},
        {1.797693134862315e308, "1.79769313486231e+308"},
        {1.79769313486231e308, "1.79769313486231e+308"},
        {1.7976931348623e308, "1.7976931348623e+308"},
        {9.99999999999999e307, "9.99999999999999e+307"},
        {6710886.35, "6710886.35"},
        {kNaN, "NaN"},
        {kInf, "Infinity"},
        {-kInf, "-Infinity"},
        {1234.5678, "1234.5678"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(numberToString(r.n).toStdString(), r.text) << r.text;
    }
    EXPECT_EQ(numberToString(255, 16).toStdString(), "ff");
    EXPECT_EQ(numberToString(-255, 2).toStdString(), "-11111111");
}

TEST(StringToNumber, RulesChangeWithTheVersion) {
    struct Row {
        const char* text;
        int version;
        double expected;  // NaN compares as "is NaN"
    };
    const Row rows[] = {
        {"12", 8, 12},
        {"  12", 8, 12},
        {"12  ", 8, kNaN},  // trailing blanks are not allowed
        {"1e3", 8, 1000},
        {"-.5", 8, -0.5},
        {"0x1F", 8, 31},
        {"0x1F", 5, kNaN},  // hex from SWF 6 on
        {"010", 8, 8},      // all octal digits: octal
        {"019", 8, 19},
        {"010", 5, 10},
        {"", 8, kNaN},
        {"", 4, 0},  // SWF 4 reads junk as 0
        {"abc", 4, 0},
        {"12abc", 4, 12},
        {"12abc", 6, kNaN},
        {"Infinity", 8, kNaN},
        // Hex and octal read as 32-bit integers that wrap; a sign may follow "0x"; a blank
        // before a leading zero makes it decimal.
        {"0x1999999981ffffff", 6, -2113929217},
        {"037777777777", 6, -1},
        {"-037777777777", 6, 1},
        {"0x-10", 6, -16},
        {" 010", 6, 10},
        {"-010", 6, -8},
    };
    for (const Row& r : rows) {
        double got = stringToNumber(QString::fromUtf8(r.text), r.version);
        if (std::isnan(r.expected)) {
            EXPECT_TRUE(std::isnan(got)) << r.text << " v" << r.version << " got " << got;
        } else {
            EXPECT_EQ(got, r.expected) << r.text << " v" << r.version;
        }
    }
}

TEST(PrimitiveConversions, UndefinedAndStringsByVersion) {
    // undefined: "" and 0 before SWF 7, "undefined" and NaN from SWF 7.
    EXPECT_EQ(primitiveToString(Value(), 6), "");
    EXPECT_EQ(primitiveToString(Value(), 7), "undefined");
    EXPECT_EQ(primitiveToNumber(Value(), 6), 0);
    EXPECT_TRUE(std::isnan(primitiveToNumber(Value(), 7)));
    EXPECT_EQ(primitiveToNumber(Value::null(), 6), 0);
    EXPECT_TRUE(std::isnan(primitiveToNumber(Value::null(), 7)));
    EXPECT_EQ(primitiveToString(Value::null(), 5), "null");
    EXPECT_EQ(primitiveToString(Value(true), 5), "true");
    EXPECT_EQ(primitiveToNumber(Value(true), 8), 1);
    // Strings as booleans: by their number before SWF 7, by being non-empty from SWF 7.
    EXPECT_FALSE(toBoolean(Value("abc"), 6));
    EXPECT_TRUE(toBoolean(Value("abc"), 7));
    EXPECT_TRUE(toBoolean(Value("2"), 6));
    EXPECT_FALSE(toBoolean(Value("0"), 6));
    EXPECT_TRUE(toBoolean(Value("0"), 7));
    EXPECT_FALSE(toBoolean(Value(""), 7));
    EXPECT_FALSE(toBoolean(Value(kNaN), 8));
}

TEST(Int32, WrapsLikeEcma) {
    EXPECT_EQ(doubleToInt32(4294967295.0), -1);
    EXPECT_EQ(doubleToInt32(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(doubleToInt32(-1.9), -1);
    EXPECT_EQ(doubleToInt32(kNaN), 0);
    EXPECT_EQ(doubleToInt32(kInf), 0);
    EXPECT_EQ(doubleToUint32(-1), 4294967295u);
}

TEST(ParseIntAndFloat, TheOriginalsQuirks) {
    struct Row {
        const char* text;
        int radix;  // 0: not given
        double expected;
    };
    const Row ints[] = {
        {"100", 0, 100},   {"0x1A", 0, 26},     {"0x-100", 0, -256}, {"-0x100", 0, kNaN},
        {"-0100", 0, -64}, {"-0100z", 0, -100}, {"  077", 0, 77},    {"100", 2, 4},
        {"100", 1, kNaN},  {"100", 37, kNaN},   {"z", 36, 35},       {"", 0, kNaN},
    };
    for (const Row& r : ints) {
        double got = parseIntString(QString::fromUtf8(r.text), r.radix, r.radix != 0);
        if (std::isnan(r.expected)) {
            EXPECT_TRUE(std::isnan(got)) << r.text;
        } else {
            EXPECT_EQ(got, r.expected) << r.text << " radix " << r.radix;
        }
    }
    EXPECT_EQ(parseFloatString("1.2345.678"), 1.2345678);
    EXPECT_EQ(parseFloatString("1.2345.6e50"), 1.23456);
    EXPECT_EQ(parseFloatString("  -034.1+e20"), -34.1);
    EXPECT_EQ(parseFloatString("1e4294967297"), 10);  // the exponent wraps at 32 bits
    EXPECT_EQ(parseFloatString("10e"), 10);
    EXPECT_TRUE(std::isnan(parseFloatString("Infinity")));
    EXPECT_TRUE(std::isnan(parseFloatString("e10")));
}
