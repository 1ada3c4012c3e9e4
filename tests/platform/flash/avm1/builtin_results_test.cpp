// Results of the built-in String, Array, Math and Number methods that the original player
// printed for the movies of the conformance corpus (string_methods, string_methods_negative_args,
// array_slice, array_splice, array_concat, math_min_max ...), row by row. Arguments out of the
// usual range are the point: negative and huge indices, null and undefined, missing ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

const Value kUndef = Value::undefined();
const Value kNull = Value::null();
const double kNaN = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

struct Call {
    const char* label;
    std::vector<Value> args;
    const char* expected;  // the result as the movie's trace printed it
};

struct BuiltinResults : ::testing::Test {
    explicit BuiltinResults(int version = 8) : f(version) {}
    Fixture f;
    Machine& m = f.machine;

    Value call(const Value& target, const char* method, std::vector<Value> args) {
        const RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                        std::move(args), f.version);
        EXPECT_TRUE(r.ok()) << method;
        return r.value;
    }
    QString text(const Value& v) { return m.toString(v); }
    // Runs every row as target.method(args) and compares what it prints.
    void check(const Value& target, const char* method, const std::vector<Call>& rows) {
        for (const Call& row : rows) {
            EXPECT_EQ(text(call(target, method, row.args)), QString::fromUtf8(row.expected))
                << method << " " << row.label;
        }
    }
    Value array(std::vector<Value> v) { return Value(m.makeArray(std::move(v))); }
    Value global(const char* name) { return m.get(m.global(), QString::fromLatin1(name)); }
};

struct BuiltinResultsSwf15 : BuiltinResults {
    BuiltinResultsSwf15() : BuiltinResults(15) {}
};

struct BuiltinResultsSwf7 : BuiltinResults {
    BuiltinResultsSwf7() : BuiltinResults(7) {}
};

// Strings with a lone surrogate, as charAt and substr cut them out of a pair.
QString units(std::initializer_list<char16_t> u) {
    return QString(reinterpret_cast<const QChar*>(std::data(u)), qsizetype(u.size()));
}

}  // namespace

TEST_F(BuiltinResultsSwf15, CharactersAndCodesByIndex) {
    const Value s("foo😋foo");
    check(s, "charAt",
          {{"0", {Value(0)}, "f"},
           {"5", {Value(5)}, "f"},
           {"-100", {Value(-100)}, ""},
           {"4294967297", {Value(4294967297.0)}, "o"}});
    EXPECT_EQ(text(call(s, "charAt", {Value(3)})), units({0xD83D}));
    EXPECT_EQ(text(call(s, "charAt", {Value(4)})), units({0xDE0B}));
    check(s, "charCodeAt",
          {{"0", {Value(0)}, "102"},
           {"3", {Value(3)}, "55357"},
           {"4", {Value(4)}, "56843"},
           {"6", {Value(6)}, "111"},
           {"none", {}, "102"},
           {"-1", {Value(-1)}, "NaN"},
           {"9", {Value(9)}, "NaN"},
           {"\"1\"", {Value("1")}, "111"},
           {"undefined", {kUndef}, "102"},
           {"NaN", {Value(kNaN)}, "102"}});
    EXPECT_EQ(m.toNumber(m.getMember(Value("😋Спасибо𝌆𝌆hello"), "length")), 18);

    const Value fromCharCode = m.getMember(global("String"), "fromCharCode");
    const auto from = [&](std::vector<Value> args) {
        return text(m.callValue(fromCharCode, Value(), std::move(args), f.version).value);
    };
    EXPECT_EQ(from({Value(80)}), "P");
    EXPECT_EQ(from({Value(12345)}), QString(QChar(12345)));
    EXPECT_EQ(from({Value(65616)}), "P") << "codes wrap at 16 bits";
    EXPECT_EQ(from({Value(-65456)}), "P");
    EXPECT_EQ(from({Value(80), Value(81), Value(82)}), "PQR");
    EXPECT_EQ(from({Value(80), Value(0), Value(82)}), "P") << "a zero code ends the string";
    EXPECT_EQ(from({Value("BAD")}), "");
    EXPECT_EQ(from({}), "");
}

TEST_F(BuiltinResultsSwf15, ConcatConvertsEveryArgument) {
    const Value s("foo");
    // An object whose toString says "toString".
    f.run(Assembler().function("named", {},
                               Assembler().push({str("toString")}).op(Assembler::Code::Return)));
    Object* o = m.makeObject();
    m.set(o, "toString", m.get(f.host.rootClip, "named"));
    check(s, "concat",
          {{"self", {s}, "foofoo"},
           {"three", {s, s, s}, "foofoofoofoo"},
           {"none", {}, "foo"},
           {"mixed",
            {kNull, s, kUndef, Value(0), Value(o), Value(true)},
            "foonullfooundefined0toStringtrue"}});
}

TEST_F(BuiltinResultsSwf15, IndexOfAndLastIndexOfClampTheirStart) {
    const Value s("aaatestFOOtestaaanull");
    check(s, "indexOf",
          {{"a", {Value("a")}, "0"},
           {"a 16", {Value("a"), Value(16)}, "16"},
           {"a 13", {Value("a"), Value(13)}, "14"},
           {"test 4", {Value("test"), Value(4)}, "10"},
           {"test 100", {Value("test"), Value(100)}, "-1"},
           {"test -1", {Value("test"), Value(-1)}, "3"},
           {"test 4294967300", {Value("test"), Value(4294967300.0)}, "10"},
           {"test null", {Value("test"), kNull}, "3"},
           {"test undefined", {Value("test"), kUndef}, "3"},
           {"empty", {Value("")}, "0"},
           {"empty 5", {Value(""), Value(5)}, "5"},
           {"empty 100", {Value(""), Value(100)}, "-1"},
           {"none", {}, "undefined"},
           {"null", {kNull}, "17"},
           {"undefined", {kUndef}, "-1"}});
    check(Value("hello undefined hi"), "indexOf", {{"undefined", {kUndef}, "6"}});
    check(s, "lastIndexOf",
          {{"a", {Value("a")}, "16"},
           {"a 14", {Value("a"), Value(14)}, "14"},
           {"a 13", {Value("a"), Value(13)}, "2"},
           {"a 0", {Value("a"), Value(0)}, "0"},
           {"test 11", {Value("test"), Value(11)}, "10"},
           {"test 100", {Value("test"), Value(100)}, "10"},
           {"test -1", {Value("test"), Value(-1)}, "-1"},
           {"test 4294967300", {Value("test"), Value(4294967300.0)}, "3"},
           {"test null", {Value("test"), kNull}, "-1"},
           {"test undefined", {Value("test"), kUndef}, "10"},
           {"empty", {Value("")}, "21"},
           {"empty 3", {Value(""), Value(3)}, "3"},
           {"empty 0", {Value(""), Value(0)}, "0"},
           {"none", {}, "undefined"},
           {"null", {kNull}, "17"}});
}

TEST_F(BuiltinResultsSwf15, SliceSubstrAndSubstringReadTheirArgumentsDifferently) {
    check(Value("Hello1234"), "slice",
          {{"1 4", {Value(1), Value(4)}, "ell"},
           {"3 1", {Value(3), Value(1)}, ""},
           {"-3 -1", {Value(-3), Value(-1)}, "23"},
           {"-1 -3", {Value(-1), Value(-3)}, ""},
           {"2^32 2^32+2", {Value(4294967296.0), Value(4294967298.0)}, "He"},
           {"none", {}, "undefined"},
           {"null null", {kNull, kNull}, ""},
           {"undefined undefined", {kUndef, kUndef}, "Hello1234"}});
    const Value s("HELLO𝔄hello");
    check(s, "substr",
          {{"1 2", {Value(1), Value(2)}, "EL"},
           {"1", {Value(1)}, "ELLO𝔄hello"},
           {"-5", {Value(-5)}, "hello"},
           {"3 0", {Value(3), Value(0)}, ""},
           {"3 undefined", {Value(3), kUndef}, "LO𝔄hello"},
           {"3 null", {Value(3), kNull}, ""},
           {"null 4", {kNull, Value(4)}, "HELL"},
           {"2^32 -(2^32-2)", {Value(4294967296.0), Value(-4294967294.0)}, "HE"},
           {"none", {}, "undefined"},
           {"null undefined", {kNull, kUndef}, "HELLO𝔄hello"},
           {"null null", {kNull, kNull}, ""}});
    EXPECT_EQ(text(call(s, "substr", {Value(6), Value(3)})), units({0xDD04, 'h', 'e'}));
    check(s, "substring",
          {{"1 2", {Value(1), Value(2)}, "E"},
           {"-5", {Value(-5)}, "HELLO𝔄hello"},
           {"3 0", {Value(3), Value(0)}, "HEL"},
           {"3 undefined", {Value(3), kUndef}, "LO𝔄hello"},
           {"3 null", {Value(3), kNull}, "HEL"},
           {"2^32 -(2^32-2)", {Value(4294967296.0), Value(-4294967294.0)}, "HE"},
           {"none", {}, "undefined"},
           {"undefined undefined", {kUndef, kUndef}, "HELLO𝔄hello"},
           {"null null", {kNull, kNull}, ""}});
    EXPECT_EQ(text(call(s, "substring", {Value(6), Value(3)})), units({'L', 'O', 0xD835}));
}

TEST_F(BuiltinResultsSwf7, SubstrWithANegativeLengthCountsFromTheEnd) {
    check(Value("hello world"), "substr",
          {{"0 -1", {Value(0), Value(-1)}, "hello worl"},
           {"0 -4", {Value(0), Value(-4)}, "hello w"},
           {"8 -4", {Value(8), Value(-4)}, ""},
           {"3 -3", {Value(3), Value(-3)}, ""},
           {"3 -4", {Value(3), Value(-4)}, "lo worl"},
           {"3 -5", {Value(3), Value(-5)}, "lo wor"},
           {"4 -4", {Value(4), Value(-4)}, ""},
           {"4 -5", {Value(4), Value(-5)}, "o worl"},
           {"null -1", {kNull, Value(-1)}, "hello worl"},
           {"undefined -1", {kUndef, Value(-1)}, "hello worl"}});
    check(Value("abcd"), "substr",
          {{"-5", {Value(-5)}, "abcd"},
           {"-5 -3", {Value(-5), Value(-3)}, "a"},
           {"-5 -1", {Value(-5), Value(-1)}, "abc"},
           {"-4 -4", {Value(-4), Value(-4)}, ""},
           {"-3 -3", {Value(-3), Value(-3)}, "b"},
           {"-3 -2", {Value(-3), Value(-2)}, "bc"},
           {"-3 -1", {Value(-3), Value(-1)}, ""},
           {"-3 4", {Value(-3), Value(4)}, "bcd"},
           {"-2 -3", {Value(-2), Value(-3)}, "c"},
           {"-2 -2", {Value(-2), Value(-2)}, ""},
           {"-1 1", {Value(-1), Value(1)}, "d"},
           {"0 -3", {Value(0), Value(-3)}, "a"},
           {"1 -2", {Value(1), Value(-2)}, "bc"},
           {"1 -1", {Value(1), Value(-1)}, ""},
           {"2 -3", {Value(2), Value(-3)}, "c"},
           {"2 -1", {Value(2), Value(-1)}, ""}});
}

TEST_F(BuiltinResultsSwf15, SplitCountsAndLimits) {
    const Value s("A,,b,undefined0,c,");
    struct Row {
        const char* label;
        std::vector<Value> args;
        int length;
        const char* joined;
    };
    const Row rows[] = {
        {"comma", {Value(",")}, 6, "A,,b,undefined0,c,"},
        {"comma 2", {Value(","), Value(2)}, 2, "A,"},
        {"comma 0", {Value(","), Value(0)}, 0, ""},
        {"comma -100", {Value(","), Value(-100)}, 0, ""},
        {"comma undefined", {Value(","), kUndef}, 6, "A,,b,undefined0,c,"},
        {"comma null", {Value(","), kNull}, 0, ""},
        {"empty", {Value("")}, 18, "A,,,,,b,,,u,n,d,e,f,i,n,e,d,0,,,c,,"},
        {"undefined", {kUndef}, 1, "A,,b,undefined0,c,"},
        {"undefined 0", {kUndef, Value(0)}, 1, "A,,b,undefined0,c,"},
        {"none", {}, 1, "A,,b,undefined0,c,"},
    };
    for (const Row& row : rows) {
        const Value parts = call(s, "split", row.args);
        EXPECT_EQ(m.toNumber(m.getMember(parts, "length")), row.length) << row.label;
        EXPECT_EQ(text(parts), QString::fromUtf8(row.joined)) << row.label;
    }
}

TEST_F(BuiltinResults, ArraySliceAndSpliceReadNegativeAndMissingArguments) {
    auto abcde = [&] {
        return array({Value("a"), Value("b"), Value("c"), Value("d"), Value("e")});
    };
    check(abcde(), "slice",
          {{"none", {}, "a,b,c,d,e"},
           {"3", {Value(3)}, "d,e"},
           {"1 3", {Value(1), Value(3)}, "b,c"},
           {"0 -3", {Value(0), Value(-3)}, "a,b"},
           {"3 2", {Value(3), Value(2)}, ""},
           {"-2 4", {Value(-2), Value(4)}, "d"},
           {"1 \"3\"", {Value(1), Value("3")}, "b,c"},
           {"1 undefined", {Value(1), kUndef}, "b,c,d,e"},
           {"1 null", {Value(1), kNull}, ""},
           {"1 0", {Value(1), Value(0)}, ""}});

    struct Row {
        const char* label;
        std::vector<Value> args;
        const char* removed;
        const char* left;
        int length;
    };
    const Row rows[] = {
        {"none", {}, "undefined", "a,b,c,d,e", 5},
        {"undefined", {kUndef}, "undefined", "a,b,c,d,e", 5},
        {"0", {Value(0)}, "a,b,c,d,e", "", 0},
        {"null", {kNull}, "a,b,c,d,e", "", 0},
        {"2", {Value(2)}, "c,d,e", "a,b", 2},
        {"6", {Value(6)}, "", "a,b,c,d,e", 5},
        {"2 2", {Value(2), Value(2)}, "c,d", "a,b,e", 3},
        {"2 undefined", {Value(2), kUndef}, "undefined", "a,b,c,d,e", 5},
        {"2 8", {Value(2), Value(8)}, "c,d,e", "a,b", 2},
        {"1 3 one", {Value(1), Value(3), Value("deleted")}, "b,c,d", "a,deleted,e", 3},
        {"1 2 three",
         {Value(1), Value(2), Value("x"), Value("y"), Value("z")},
         "b,c",
         "a,x,y,z,d,e",
         6},
        // An array inserted stays one element.
        {"0 0 nested",
         {Value(0), Value(0), Value("w"), array({Value("x"), Value("y")}), Value("z")},
         "",
         "w,x,y,z,a,b,c,d,e",
         8},
    };
    for (const Row& row : rows) {
        const Value a = abcde();
        EXPECT_EQ(text(call(a, "splice", row.args)), QString::fromUtf8(row.removed)) << row.label;
        EXPECT_EQ(text(a), QString::fromUtf8(row.left)) << row.label;
        EXPECT_EQ(m.toNumber(m.getMember(a, "length")), row.length) << row.label;
    }
    // Inserting into an empty array, and from a start far before its beginning.
    const Value grown = array({});
    call(grown, "splice", {Value(1), Value(0), Value("a")});
    EXPECT_EQ(text(grown), "a");
    call(grown, "push", {Value("b")});
    call(grown, "splice", {Value(-9), Value(0), Value("c")});
    EXPECT_EQ(text(grown), "c,a,b");
}

TEST_F(BuiltinResults, ArrayConcatOpensArraysOneLevelDeep) {
    const Value a = array({Value("a"), Value("b")});
    const Value b = array({Value("c"), Value("d")});
    const Value c = call(a, "concat", {b});
    EXPECT_EQ(text(c), "a,b,c,d");
    EXPECT_EQ(text(a), "a,b") << "concat leaves its receiver alone";
    const Value d = call(a, "concat", {Value("e"), b, c});
    EXPECT_EQ(text(d), "a,b,e,c,d,a,b,c,d");
    EXPECT_EQ(m.toNumber(m.getMember(d, "length")), 9);
    EXPECT_TRUE(m.getMember(d, "9").isUndefined());

    const Value nested = call(array({Value(1)}), "concat", {array({Value(2), array({Value(3)})})});
    EXPECT_EQ(m.toNumber(m.getMember(nested, "length")), 3);
    EXPECT_EQ(text(nested), "1,2,3") << "printing opens every level";
    EXPECT_EQ(text(call(nested, "join", {Value(" + ")})), "1 + 2 + 3");
    EXPECT_EQ(text(call(array({}), "join", {})), "");
    EXPECT_EQ(text(call(array({kUndef, kNull, Value(true)}), "join", {Value("-")})),
              "undefined-null-true");
}

TEST_F(BuiltinResults, MathMinMaxTakeTwoArgumentsAndConvertThem) {
    const Value math = global("Math");
    struct Row {
        const char* method;
        std::vector<Value> args;
        const char* expected;
    };
    const Row rows[] = {
        {"min", {Value(1), Value(2)}, "1"},
        {"min", {Value(2), Value(1)}, "1"},
        {"min", {Value(1)}, "NaN"},
        {"min", {}, "Infinity"},
        {"min", {Value("10"), Value("2")}, "2"},
        {"min", {Value("1"), Value("a")}, "NaN"},
        {"min", {Value("a"), Value(1)}, "NaN"},
        {"min", {Value(1), Value("2")}, "1"},
        {"min", {Value(kNaN), Value(1)}, "NaN"},
        {"min", {Value(1), Value(kNaN)}, "NaN"},
        {"max", {Value(1)}, "NaN"},
        {"max", {}, "-Infinity"},
        {"max", {Value("10"), Value("2")}, "10"},
        {"max", {Value("2"), Value("10")}, "10"},
        {"max", {Value(1), Value("a")}, "NaN"},
        {"max", {Value("1"), Value(2)}, "2"},
        {"max", {Value(1), Value(kNaN)}, "NaN"},
        // Plain arithmetic of the C library.
        {"round", {Value(2.5)}, "3"},
        {"round", {Value(-2.5)}, "-2"},
        {"round", {Value(-0.4)}, "0"},
        {"floor", {Value(-0.5)}, "-1"},
        {"abs", {kUndef}, "NaN"},
        {"sqrt", {Value(-1)}, "NaN"},
        {"pow", {Value(0), Value(0)}, "1"},
        {"pow", {Value(2), Value(-1)}, "0.5"},
        // Powers are the C library's, not NaN where a browser's script gives it: 1 and -1
        // to an infinite power and 1 to a NaN power are 1. Any other base to a NaN power is
        // NaN, NaN to the power 0 is 1.
        {"pow", {Value(1), Value(kNaN)}, "1"},
        {"pow", {Value(true), Value(kUndef)}, "1"},
        {"pow", {Value(0), Value(kUndef)}, "NaN"},
        {"pow", {Value(2), Value(kNaN)}, "NaN"},
        {"pow", {Value(1), Value(kInf)}, "1"},
        {"pow", {Value(-1), Value(-kInf)}, "1"},
        {"pow", {Value(kNaN), Value(0)}, "1"},
        {"pow", {Value(0.5), Value(kInf)}, "0"},
        {"log", {Value(0)}, "-Infinity"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(text(call(math, row.method, row.args)), QString::fromLatin1(row.expected))
            << row.method << " of " << row.args.size();
    }
    EXPECT_DOUBLE_EQ(m.toNumber(call(math, "atan2", {Value(0), Value(-1)})), M_PI);
}

TEST_F(BuiltinResults, NumberToStringInOtherRadixes) {
    const struct {
        double n;
        int radix;
        const char* expected;
    } rows[] = {
        {255, 16, "ff"}, {-255, 16, "-ff"}, {255, 2, "11111111"},
        {35, 36, "z"},   {0, 2, "0"},       {8, 8, "10"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(text(call(Value(row.n), "toString", {Value(row.radix)})),
                  QString::fromLatin1(row.expected))
            << row.n << " radix " << row.radix;
    }
    EXPECT_EQ(text(call(Value(0.1 + 0.2), "toString", {})), "0.3");
    EXPECT_EQ(text(call(Value(1e21), "toString", {Value(10)})), "1e+21");
}
