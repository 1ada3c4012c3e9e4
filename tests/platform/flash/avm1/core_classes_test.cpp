// The core classes as movies of each version use them: String, Number, Boolean, Math, Array,
// Object and Function methods with missing, odd and out-of-range arguments, the global
// functions, and what ASSetPropFlags and for..in hide.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

const Value kUndef = Value::undefined();
const Value kNull = Value::null();
const double kNaN = std::nan("");
const double kInf = INFINITY;

// A machine of one SWF version whose calls print their results as that version prints them;
// strings come back in quotes so that "" and undefined differ.
struct Movie {
    explicit Movie(int version) : f(version) {}
    Fixture f;
    Machine& m = f.machine;

    Value global(const char* name) { return m.get(m.global(), QString::fromLatin1(name)); }
    Value array(std::vector<Value> v) { return Value(m.makeArray(std::move(v))); }
    QString print(const Value& v) {
        return v.isString() ? QLatin1Char('"') + v.string() + QLatin1Char('"') : m.toString(v);
    }
    Value callValue(const Value& target, const char* method, std::vector<Value> args) {
        const RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                        std::move(args), f.version);
        EXPECT_TRUE(r.ok()) << method;
        return r.value;
    }
    QString call(const Value& target, const char* method, std::vector<Value> args) {
        return print(callValue(target, method, std::move(args)));
    }
    QString fn(const char* name, std::vector<Value> args) {
        return print(m.callValue(global(name), Value(), std::move(args), f.version).value);
    }
    QString member(const Value& target, const char* name) {
        return print(m.getMember(target, QString::fromLatin1(name)));
    }
};

struct Row {
    const char* label;
    std::vector<Value> args;
    const char* expected;
};

void check(Movie& movie, const Value& target, const char* method, const std::vector<Row>& rows) {
    for (const Row& r : rows) {
        EXPECT_EQ(movie.call(target, method, r.args), QString::fromUtf8(r.expected))
            << "SWF " << movie.f.version << " " << method << "(" << r.label << ")";
    }
}

}  // namespace

TEST(CoreClasses, StringMethodsReadMissingAndOddArguments) {
    for (int version : {6, 7}) {
        Movie movie(version);
        const Value s("Hello");
        const char* none = version >= 7 ? "undefined" : "";
        check(movie, s, "charAt",
              {{"", {}, "\"H\""},
               {"NaN", {Value(kNaN)}, "\"H\""},
               {"-1", {Value(-1)}, "\"\""},
               {"1.7", {Value(1.7)}, "\"e\""},
               {"5", {Value(5)}, "\"\""}});
        check(movie, s, "charCodeAt", {{"10", {Value(10)}, "NaN"}, {"'1'", {Value("1")}, "101"}});
        check(movie, s, "slice",
              {{"", {}, none},
               {"-3", {Value(-3)}, "\"llo\""},
               {"1,-1", {Value(1), Value(-1)}, "\"ell\""},
               {"3,1", {Value(3), Value(1)}, "\"\""},
               {"NaN,2", {Value(kNaN), Value(2)}, "\"He\""},
               {"1,undefined", {Value(1), kUndef}, "\"ello\""}});
        check(movie, s, "substring",
              {{"", {}, none},
               {"3,1", {Value(3), Value(1)}, "\"el\""},
               {"-2,2", {Value(-2), Value(2)}, "\"He\""},
               {"1,NaN", {Value(1), Value(kNaN)}, "\"H\""},
               {"1,undefined", {Value(1), kUndef}, "\"ello\""},
               {"9", {Value(9)}, "\"\""}});
        check(movie, s, "substr",
              {{"1", {Value(1)}, "\"ello\""},
               {"-3,2", {Value(-3), Value(2)}, "\"ll\""},
               {"1,0", {Value(1), Value(0)}, "\"\""},
               {"1,undefined", {Value(1), kUndef}, "\"ello\""},
               {"NaN,2", {Value(kNaN), Value(2)}, "\"He\""}});
        check(movie, s, "split",
              {{"''", {Value("")}, "H,e,l,l,o"},
               {"'',2", {Value(""), Value(2)}, "H,e"},
               {"'l'", {Value("l")}, "He,,o"},
               {"undefined", {kUndef}, "Hello"}});
        check(movie, s, "indexOf",
              {{"'l'", {Value("l")}, "2"},
               {"'l',3", {Value("l"), Value(3)}, "3"},
               {"'z'", {Value("z")}, "-1"}});
        check(movie, s, "lastIndexOf",
              {{"'l'", {Value("l")}, "3"},
               {"'l',2", {Value("l"), Value(2)}, "2"},
               {"'l',-1", {Value("l"), Value(-1)}, "-1"}});
        check(movie, s, "toUpperCase", {{"", {}, "\"HELLO\""}});
        check(movie, s, "toLowerCase", {{"", {}, "\"hello\""}});
        check(movie, s, "concat",
              {{"undefined", {kUndef}, version >= 7 ? "\"Helloundefined\"" : "\"Hello\""},
               {"1,true", {Value(1), Value(true)}, "\"Hello1true\""}});
        check(movie, movie.global("String"), "fromCharCode",
              {{"", {}, "\"\""}, {"72,105", {Value(72), Value(105)}, "\"Hi\""}});
        EXPECT_EQ(movie.member(Value("中文"), "length"), "2");
    }
}

// String(x) converts, new String(x) boxes: both answer the string's methods and length, and
// the conversion of undefined follows the version.
TEST(CoreClasses, StringCalledOrConstructed) {
    for (int version : {6, 7}) {
        Fixture f(version);
        Assembler as;
        as.push({undef(), integer(1), str("String")}).op(Code::CallFunction).trace();
        as.push({integer(0), str("String")}).op(Code::CallFunction).op(Code::StringLength).trace();
        as.push({str("s"), str("abc"), integer(1), str("String")}).op(Code::NewObject);
        as.op(Code::SetVariable);
        as.push({str("s")}).op(Code::GetVariable).push({str("length")}).op(Code::GetMember).trace();
        as.push({str("s")}).op(Code::GetVariable).push({str("abc")}).op(Code::Equals2).trace();
        as.push({str("s")}).op(Code::GetVariable).push({str("abc")}).op(Code::StrictEquals).trace();
        as.push({integer(1), integer(1), str("s")}).op(Code::GetVariable);
        as.push({str("charAt")}).op(Code::CallMethod).trace();
        const QString undefinedText = version >= 7 ? "undefined" : "";
        EXPECT_EQ(f.run(as), QStringList({undefinedText, "0", "3", "true", "false", "b"}))
            << "SWF " << version;
    }
}

// Number(x) and Boolean(x) convert by the version's rules; Number's constants and toString
// with a radix.
TEST(CoreClasses, NumberAndBooleanConvertByTheVersion) {
    for (int version : {6, 7}) {
        Movie movie(version);
        const bool v7 = version >= 7;
        EXPECT_EQ(movie.fn("Number", {}), "0");
        EXPECT_EQ(movie.fn("Number", {kUndef}), v7 ? "NaN" : "0");
        EXPECT_EQ(movie.fn("Number", {kNull}), v7 ? "NaN" : "0");
        EXPECT_EQ(movie.fn("Number", {Value("")}), "NaN");
        EXPECT_EQ(movie.fn("Number", {Value("1e3")}), "1000");
        EXPECT_EQ(movie.fn("Number", {Value("0x1A")}), "26");
        EXPECT_EQ(movie.fn("Number", {Value(true)}), "1");
        EXPECT_EQ(movie.fn("Boolean", {Value("")}), "false");
        EXPECT_EQ(movie.fn("Boolean", {Value("0")}), v7 ? "true" : "false");
        EXPECT_EQ(movie.fn("Boolean", {Value("a")}), v7 ? "true" : "false");
        EXPECT_EQ(movie.fn("Boolean", {Value(kNaN)}), "false");
        EXPECT_EQ(movie.call(Value(true), "toString", {}), "\"true\"");
        EXPECT_EQ(movie.call(Value(false), "valueOf", {}), "false");

        const Value number = movie.global("Number");
        EXPECT_EQ(movie.member(number, "MAX_VALUE"), "1.79769313486231e+308");
        EXPECT_EQ(movie.member(number, "MIN_VALUE"), "4.94065645841247e-324");
        EXPECT_EQ(movie.member(number, "NaN"), "NaN");
        EXPECT_EQ(movie.member(number, "POSITIVE_INFINITY"), "Infinity");
        EXPECT_EQ(movie.member(number, "NEGATIVE_INFINITY"), "-Infinity");
        movie.m.setMember(number, "MAX_VALUE", Value(1));
        EXPECT_EQ(movie.member(number, "MAX_VALUE"), "1.79769313486231e+308") << "read-only";

        check(movie, Value(255), "toString",
              {{"16", {Value(16)}, "\"ff\""},
               {"2", {Value(2)}, "\"11111111\""},
               {"36", {Value(36)}, "\"73\""},
               {"1", {Value(1)}, "\"255\""},
               {"37", {Value(37)}, "\"255\""},
               {"undefined", {kUndef}, "\"255\""},
               {"", {}, "\"255\""}});
        check(movie, Value(-255), "toString", {{"2", {Value(2)}, "\"-11111111\""}});
        check(movie, Value(kInf), "toString", {{"16", {Value(16)}, "\"Infinity\""}});
    }
}

// Math with NaN, infinities, -0 and missing arguments; its constants do not change.
TEST(CoreClasses, MathAtTheEdges) {
    Movie movie(7);
    const Value math = movie.global("Math");
    const auto one = [&](const char* f, double x) { return movie.call(math, f, {Value(x)}); };
    const auto inverse = [&](const char* f, double x) {  // tells -0 from 0
        return movie.m.toString(Value(1 / movie.m.toNumber(movie.callValue(math, f, {Value(x)}))));
    };
    EXPECT_EQ(one("abs", -3.5), "3.5");
    EXPECT_EQ(inverse("abs", -0.0), "Infinity");
    EXPECT_EQ(movie.call(math, "abs", {Value("-3")}), "3");
    EXPECT_EQ(one("round", 2.5), "3");
    EXPECT_EQ(one("round", -2.5), "-2");
    EXPECT_EQ(one("round", -2.6), "-3");
    EXPECT_EQ(one("round", kNaN), "NaN");
    EXPECT_EQ(one("ceil", 1.1), "2");
    EXPECT_EQ(inverse("ceil", -0.5), "-Infinity");
    EXPECT_EQ(one("floor", -1.1), "-2");
    EXPECT_EQ(one("floor", kInf), "Infinity");
    EXPECT_EQ(one("sqrt", -1), "NaN");
    EXPECT_EQ(inverse("sqrt", -0.0), "-Infinity");
    EXPECT_EQ(one("log", 0), "-Infinity");
    EXPECT_EQ(one("log", -1), "NaN");
    EXPECT_EQ(one("exp", 0), "1");
    EXPECT_EQ(one("sin", kInf), "NaN");
    EXPECT_EQ(one("acos", 2), "NaN");
    EXPECT_EQ(one("asin", 1), "1.5707963267949");
    EXPECT_EQ(one("atan", kInf), "1.5707963267949");
    EXPECT_EQ(one("cos", 0), "1");
    EXPECT_EQ(one("tan", 0), "0");
    for (const char* f : {"abs", "round", "ceil", "floor", "sqrt", "exp", "sin", "cos"}) {
        EXPECT_EQ(movie.call(math, f, {}), "NaN") << f << "()";
    }
    EXPECT_EQ(movie.call(math, "pow", {Value(2), Value(10)}), "1024");
    EXPECT_EQ(movie.call(math, "pow", {Value(kNaN), Value(0)}), "1");
    EXPECT_EQ(movie.call(math, "pow", {Value(-8), Value(1.0 / 3)}), "NaN");
    EXPECT_EQ(movie.call(math, "pow", {Value(2)}), "NaN");
    EXPECT_EQ(movie.call(math, "atan2", {Value(0), Value(-0.0)}), "3.14159265358979");
    EXPECT_EQ(movie.call(math, "atan2", {Value(1), Value(0)}), "1.5707963267949");
    EXPECT_EQ(movie.call(math, "max", {Value(1), Value(3)}), "3");
    EXPECT_EQ(movie.call(math, "min", {Value(1), Value(kNaN)}), "NaN");
    EXPECT_EQ(movie.call(math, "max", {}), "-Infinity");
    EXPECT_EQ(movie.call(math, "min", {}), "Infinity");

    const std::pair<const char*, const char*> constants[] = {
        {"PI", "3.14159265358979"},       {"E", "2.71828182845905"},
        {"LN2", "0.693147180559945"},     {"LN10", "2.30258509299405"},
        {"LOG2E", "1.44269504088896"},    {"LOG10E", "0.434294481903252"},
        {"SQRT1_2", "0.707106781186548"}, {"SQRT2", "1.4142135623731"},
    };
    for (const auto& [name, value] : constants) {
        movie.m.setMember(math, QString::fromLatin1(name), Value(1));
        EXPECT_EQ(movie.member(math, name), value) << name;
    }
}

// parseInt reads a sign, 0x and (without a radix) a leading 0 as octal; parseFloat the longest
// number at the start; isNaN and isFinite convert by the version; escape writes every byte
// that is no letter or digit, of UTF-8 from SWF 6 and of Latin-1 before; getVersion names the
// player.
TEST(CoreClasses, GlobalFunctionsParseEscapeAndName) {
    for (int version : {5, 6, 7}) {
        Movie movie(version);
        const bool v7 = version >= 7;
        const std::pair<std::vector<Value>, const char*> parseInts[] = {
            {{Value("010")}, "8"},
            {{Value("-010")}, "-8"},
            {{Value("0x1f")}, "31"},
            {{Value(" 12abc")}, "12"},
            {{Value("ff"), Value(16)}, "255"},
            {{Value("11"), Value(2)}, "3"},
            {{Value("11"), Value(1)}, "NaN"},
            {{Value("11"), Value(37)}, "NaN"},
            {{Value("z"), Value(36)}, "35"},
            {{Value("")}, "NaN"},
            {{Value("1e3")}, "1"},
            {{Value(3.9)}, "3"},
            {{Value("0x")}, "NaN"},
            {{Value("0.5")}, "0"},
        };
        for (const auto& [args, expected] : parseInts) {
            EXPECT_EQ(movie.fn("parseInt", args), expected)
                << "SWF " << version << " parseInt(" << movie.m.toString(args[0]).toStdString()
                << ")";
        }
        EXPECT_EQ(movie.fn("parseFloat", {Value("3.5e2x")}), "350");
        EXPECT_EQ(movie.fn("parseFloat", {Value(" .5")}), "0.5");
        EXPECT_EQ(movie.fn("parseFloat", {Value("-.5")}), "-0.5");
        EXPECT_EQ(movie.fn("parseFloat", {Value("abc")}), "NaN");
        EXPECT_EQ(movie.fn("parseFloat", {Value("1e")}), "1");
        EXPECT_EQ(movie.fn("isNaN", {}), "true");
        EXPECT_EQ(movie.fn("isNaN", {Value("abc")}), "true");
        EXPECT_EQ(movie.fn("isNaN", {Value("12")}), "false");
        EXPECT_EQ(movie.fn("isNaN", {kUndef}), v7 ? "true" : "false");
        EXPECT_EQ(movie.fn("isFinite", {}), "false");
        EXPECT_EQ(movie.fn("isFinite", {Value("12")}), "true");
        EXPECT_EQ(movie.fn("isFinite", {kNull}), v7 ? "false" : "true");
        EXPECT_EQ(movie.fn("isFinite", {Value(kInf)}), "false");

        EXPECT_EQ(movie.fn("escape", {Value("a b+c/@*_-.~9")}),
                  "\"a%20b%2Bc%2F%40%2A%5F%2D%2E%7E9\"");
        EXPECT_EQ(movie.fn("escape", {Value(QString::fromUtf8("é"))}),
                  version >= 6 ? "\"%C3%A9\"" : "\"%E9\"");
        EXPECT_EQ(movie.fn("unescape", {Value(version >= 6 ? "%C3%A9" : "%E9")}),
                  QString::fromUtf8("\"é\""));
        EXPECT_EQ(movie.fn("unescape", {Value("a+b%20c")}), "\"a b c\"");
        EXPECT_EQ(movie.fn("getVersion", {}), "\"WIN 10,0,0,0\"");
    }
}

// While System.useCodepage is true, escape, unescape and LoadVars.decode work in the system's
// code page (the Chinese one: 中 is D6 D0) in every version, as they always do before SWF 6;
// set back to false, a movie of SWF 6 on is back to UTF-8. Latin-1 characters are their own
// byte.
TEST(CoreClasses, EscapesFollowUseCodepage) {
    const QString zhong(QChar(0x4E2D));
    for (int version : {5, 6, 7, 8}) {
        Movie movie(version);
        Machine& m = movie.m;
        Object* system = m.makeObject();
        m.set(m.global(), "System", Value(system));
        const bool utf8 = version >= 6;
        EXPECT_EQ(movie.fn("escape", {Value(zhong)}), utf8 ? "\"%E4%B8%AD\"" : "\"%D6%D0\"")
            << version;
        m.set(system, "useCodepage", Value(true));
        EXPECT_EQ(movie.fn("escape", {Value(zhong + QChar(0xE9) + "a")}), "\"%D6%D0%E9a\"")
            << version;
        EXPECT_EQ(movie.fn("unescape", {Value("%D6%D0%E9+a")}), "\"" + zhong + QChar(0xE9) + " a\"")
            << version;
        EXPECT_EQ(movie.fn("unescape", {Value(zhong + "%41")}), "\"" + zhong + "A\"") << version;
        std::vector<Value> none;
        const Value vars = m.construct(movie.global("LoadVars"), none);
        movie.call(vars, "decode", {Value("w%E9=%D6%D0+1")});
        EXPECT_EQ(movie.print(m.getMember(vars, QString("w") + QChar(0xE9))), "\"" + zhong + " 1\"")
            << version;
        EXPECT_EQ(movie.call(vars, "toString", {}), "\"w%E9=%D6%D0%201\"") << version;
        m.set(system, "useCodepage", Value(false));
        if (utf8) {
            EXPECT_EQ(movie.fn("unescape", {Value("%E4%B8%AD")}), "\"" + zhong + "\"") << version;
        }
    }
}

// new Array(n) makes n empty places, one other argument is the element; the length cuts and
// extends; join and toString print holes and undefined by the version and nested arrays flat.
TEST(CoreClasses, ArrayConstructionLengthAndPrinting) {
    for (int version : {6, 7}) {
        Movie movie(version);
        const QString hole = version >= 7 ? "undefined" : "";
        EXPECT_EQ(movie.fn("Array", {Value(3)}), hole + "," + hole + "," + hole);
        EXPECT_EQ(
            movie.member(
                movie.m.callValue(movie.global("Array"), Value(), {Value("3")}, version).value,
                "length"),
            "1");
        EXPECT_EQ(movie.fn("Array", {Value(1), Value("b"), kNull}), "1,b,null");

        Value a = movie.array({Value(1), Value(2), Value(3)});
        movie.m.setMember(a, "length", Value(1));
        EXPECT_EQ(movie.call(a, "toString", {}), "\"1\"");
        movie.m.setMember(a, "length", Value(3));
        EXPECT_EQ(movie.call(a, "join", {}), "\"1," + hole + "," + hole + "\"");
        movie.m.setMember(a, "4", Value("x"));
        EXPECT_EQ(movie.member(a, "length"), "5");

        const Value nested = movie.array(
            {Value(1), movie.array({Value(2), movie.array({Value(3), kUndef})}), kNull});
        EXPECT_EQ(movie.call(nested, "toString", {}), "\"1,2,3," + hole + ",null\"");
        const Value pair = movie.array({Value(1), Value(2)});
        check(movie, pair, "join",
              {{"", {}, "\"1,2\""},
               {"undefined", {kUndef}, "\"1,2\""},
               {"null", {kNull}, "\"1null2\""},
               {"''", {Value("")}, "\"12\""},
               {"3", {Value(3)}, "\"132\""}});
    }
}

// The list methods with missing and odd arguments, each on a fresh array.
TEST(CoreClasses, ArrayListMethodsReadOddArguments) {
    Movie movie(7);
    const auto fresh = [&] { return movie.array({Value(1), Value(2), Value(3)}); };
    const auto after = [&](const char* method, std::vector<Value> args) {
        const Value a = fresh();
        const QString result = movie.call(a, method, std::move(args));
        return result + " " + movie.call(a, "toString", {});
    };
    EXPECT_EQ(after("push", {}), "3 \"1,2,3\"");
    EXPECT_EQ(after("push", {Value(4), Value(5)}), "5 \"1,2,3,4,5\"");
    EXPECT_EQ(after("pop", {}), "3 \"1,2\"");
    EXPECT_EQ(after("shift", {}), "1 \"2,3\"");
    EXPECT_EQ(after("unshift", {Value(0)}), "4 \"0,1,2,3\"");
    EXPECT_EQ(after("reverse", {}), "3,2,1 \"3,2,1\"");
    EXPECT_EQ(after("slice", {Value(-2)}), "2,3 \"1,2,3\"");
    EXPECT_EQ(after("slice", {Value(1), Value(-1)}), "2 \"1,2,3\"");
    EXPECT_EQ(after("slice", {Value(2), Value(1)}), " \"1,2,3\"");
    EXPECT_EQ(after("splice", {Value(1)}), "2,3 \"1\"");
    EXPECT_EQ(after("splice", {Value(-1), Value(1), Value("a"), Value("b")}), "3 \"1,2,a,b\"");
    EXPECT_EQ(after("splice", {Value(1), Value(0), Value("x")}), " \"1,x,2,3\"");
    EXPECT_EQ(after("concat", {Value(4), movie.array({Value(5), movie.array({Value(6)})})}),
              "1,2,3,4,5,6 \"1,2,3\"");
    EXPECT_EQ(movie.call(movie.array({}), "pop", {}), "undefined");
    EXPECT_EQ(movie.call(movie.array({}), "shift", {}), "undefined");
}

// sort and sortOn flags: 1 case-insensitive, 2 descending, 4 unique (0 when two are equal),
// 8 an array of indices instead of sorting, 16 numeric.
TEST(CoreClasses, ArraySortFlagCombinations) {
    Movie movie(7);
    const auto sorted = [&](std::vector<Value> v, std::vector<Value> args) {
        return movie.call(movie.array(std::move(v)), "sort", std::move(args));
    };
    const std::vector<Value> numbers{Value(3), Value(10), Value(2)};
    const std::vector<Value> words{Value("B"), Value("a"), Value("C")};
    EXPECT_EQ(sorted(numbers, {}), "10,2,3");
    EXPECT_EQ(sorted(numbers, {Value(16)}), "2,3,10");
    EXPECT_EQ(sorted(numbers, {Value(18)}), "10,3,2");
    EXPECT_EQ(sorted(numbers, {Value(24)}), "2,0,1");
    EXPECT_EQ(sorted(numbers, {Value(26)}), "1,0,2");
    EXPECT_EQ(sorted(words, {}), "B,C,a");
    EXPECT_EQ(sorted(words, {Value(1)}), "a,B,C");
    EXPECT_EQ(sorted(words, {Value(2)}), "a,C,B");
    EXPECT_EQ(sorted(words, {Value(3)}), "C,B,a");
    EXPECT_EQ(sorted(words, {Value(9)}), "1,0,2");
    EXPECT_EQ(sorted({Value("b"), Value("a"), Value("b")}, {Value(4)}), "0");
    EXPECT_EQ(sorted({Value("b"), Value("a"), Value("B")}, {Value(4)}), "B,a,b");
    EXPECT_EQ(sorted({Value("b"), Value("a"), Value("B")}, {Value(5)}), "0");

    const auto record = [&](const char* name, double age) {
        Object* o = movie.m.makeObject();
        o->put("name", Value(name));
        o->put("age", Value(age));
        return Value(o);
    };
    const Value people = movie.array({record("bob", 30), record("Al", 4), record("cy", 100)});
    const auto names = [&](const Value& list) {
        QStringList out;
        for (int i = 0; i < 3; ++i) {
            out << movie.m.toString(
                movie.m.getMember(movie.m.getMember(list, QString::number(i)), "name"));
        }
        return out.join(',');
    };
    movie.callValue(people, "sortOn", {Value("age")});
    EXPECT_EQ(names(people), "cy,bob,Al") << "as strings";
    movie.callValue(people, "sortOn", {Value("age"), Value(16)});
    EXPECT_EQ(names(people), "Al,bob,cy");
    movie.callValue(people, "sortOn", {Value("name"), Value(1)});
    EXPECT_EQ(names(people), "Al,bob,cy");
    movie.callValue(people, "sortOn", {Value("name")});
    EXPECT_EQ(names(people), "Al,bob,cy");
    movie.callValue(people, "sortOn", {Value("age"), Value(18)});
    EXPECT_EQ(names(people), "cy,bob,Al");
    EXPECT_EQ(movie.call(people, "sortOn", {Value("age"), Value(24)}), "2,1,0");
}

// call and apply: this is what is given (null and undefined leave _global), a primitive arrives
// boxed; apply spreads an array and takes anything else as no arguments.
TEST(CoreClasses, FunctionCallAndApplyWithOddThisAndArguments) {
    Fixture f(7);
    Assembler body;  // trace(typeof this); trace(arguments.length); trace(arguments.join("+"))
    body.push({str("this")}).op(Code::GetVariable).op(Code::TypeOf).trace();
    body.push({str("arguments")}).op(Code::GetVariable).push({str("length")});
    body.op(Code::GetMember).trace();
    body.push({str("+"), integer(1), str("arguments")}).op(Code::GetVariable);
    body.push({str("join")}).op(Code::CallMethod).trace();
    Assembler define;
    define.push({str("probe")}).function("", {}, body).op(Code::SetVariable);
    f.run(define);
    Machine& m = f.machine;
    const Value probe = m.get(f.host.rootClip, "probe");
    const auto run = [&](const char* method, std::vector<Value> args) {
        f.host.lines.clear();
        m.callValue(m.getMember(probe, QString::fromLatin1(method)), probe, std::move(args), 7);
        return f.host.lines.join(' ');
    };
    const Value list(m.makeArray({Value(1), Value(2)}));
    EXPECT_EQ(run("call", {Value(5), Value("a"), Value("b")}), "object 2 a+b");
    EXPECT_EQ(run("call", {Value("s")}), "object 0 ");
    EXPECT_EQ(run("call", {}), "object 0 ");
    EXPECT_EQ(run("apply", {Value(m.makeObject()), list}), "object 2 1+2");
    EXPECT_EQ(run("apply", {kNull, list}), "object 2 1+2");
    EXPECT_EQ(run("apply", {kUndef, Value(3)}), "object 0 ");
    EXPECT_EQ(run("apply", {kUndef, Value("ab")}), "object 0 ");
    EXPECT_EQ(run("apply", {}), "object 0 ");
}

// Object's own methods answer what they did: addProperty and watch report whether they took,
// unwatch whether there was a watch; hasOwnProperty and isPropertyEnumerable look at the
// object itself; isPrototypeOf walks the chain.
TEST(CoreClasses, ObjectMethodsReportWhatTheyDid) {
    Fixture f(7);
    Machine& m = f.machine;
    Assembler define;
    define.push({str("getter")}).function("", {}, Assembler().push({integer(7)}).op(Code::Return));
    define.op(Code::SetVariable);
    f.run(define);
    const Value getter = m.get(f.host.rootClip, "getter");
    Object* o = m.makeObject();
    const Value obj(o);
    const auto call = [&](const Value& target, const char* method, std::vector<Value> args) {
        return m.toString(
            m.callValue(m.getMember(target, QString::fromLatin1(method)), target, args, 7).value);
    };
    EXPECT_EQ(call(obj, "addProperty", {Value("p"), getter, kNull}), "true");
    EXPECT_EQ(m.toString(m.getMember(obj, "p")), "7");
    m.setMember(obj, "p", Value(1));
    EXPECT_EQ(m.toString(m.getMember(obj, "p")), "7") << "no setter: the value stays";
    EXPECT_EQ(call(obj, "addProperty", {Value("q"), Value(1), kNull}), "false");
    EXPECT_EQ(call(obj, "addProperty", {Value(""), getter, kNull}), "false");
    EXPECT_EQ(call(obj, "addProperty", {Value("r")}), "false");
    EXPECT_EQ(call(obj, "watch", {Value("w"), getter}), "true");
    EXPECT_EQ(call(obj, "watch", {Value("w"), Value(1)}), "false");
    EXPECT_EQ(call(obj, "unwatch", {Value("w")}), "true");
    EXPECT_EQ(call(obj, "unwatch", {Value("w")}), "false");

    o->put("own", Value(1));
    EXPECT_EQ(call(obj, "hasOwnProperty", {Value("own")}), "true");
    EXPECT_EQ(call(obj, "hasOwnProperty", {Value("toString")}), "false");
    EXPECT_EQ(call(obj, "hasOwnProperty", {Value("p")}), "true");
    EXPECT_EQ(call(obj, "isPropertyEnumerable", {Value("own")}), "true");
    EXPECT_EQ(call(obj, "isPropertyEnumerable", {Value("toString")}), "false");
    EXPECT_EQ(call(obj, "isPropertyEnumerable", {Value("missing")}), "false");

    const Value objectProto(m.protos().object);
    EXPECT_EQ(call(objectProto, "isPrototypeOf", {obj}), "true");
    EXPECT_EQ(call(obj, "isPrototypeOf", {objectProto}), "false");
    EXPECT_EQ(call(objectProto, "isPrototypeOf", {Value(1)}), "false");
    EXPECT_EQ(call(obj, "toString", {}), "[object Object]");
    EXPECT_EQ(m.callValue(m.getMember(obj, "valueOf"), obj, {}, 7).value.object(), o);
}

// ASSetPropFlags(o, names, set, clear): 1 hides from for..in, 2 keeps from delete, 4 keeps
// from writes; names are a list, an array or null for all; clearing gives each back.
TEST(CoreClasses, AsSetPropFlagsHidesProtectsAndGivesBack) {
    Fixture f(7);
    Machine& m = f.machine;
    Object* o = m.makeObject();
    for (const char* name : {"a", "b", "c", "d"}) {
        o->put(QString::fromLatin1(name), Value(name));
    }
    const Value flags = m.get(m.global(), "ASSetPropFlags");
    const auto setFlags = [&](Value names, int set, int clear) {
        m.callValue(flags, Value(), {Value(o), names, Value(set), Value(clear)}, 7);
    };
    const auto names = [&] {
        QStringList out;
        for (const QString& n : m.enumerate(o)) {
            out << n;
        }
        out.sort();
        return out.join(',');
    };
    setFlags(Value("a,b"), 1, 0);
    EXPECT_EQ(names(), "c,d");
    setFlags(Value(m.makeArray({Value("c")})), 1, 0);
    EXPECT_EQ(names(), "d");
    setFlags(kNull, 0, 1);
    EXPECT_EQ(names(), "a,b,c,d");

    setFlags(Value("a"), 4, 0);
    m.set(o, "a", Value("changed"));
    EXPECT_EQ(m.toString(m.get(o, "a")), "a");
    setFlags(Value("a"), 0, 4);
    m.set(o, "a", Value("changed"));
    EXPECT_EQ(m.toString(m.get(o, "a")), "changed");

    setFlags(Value("b"), 2, 0);
    Assembler del;  // delete o.b; delete o.c
    del.push({str("o")}).op(Code::GetVariable).push({str("b")}).op(Code::Delete).trace();
    del.push({str("o")}).op(Code::GetVariable).push({str("c")}).op(Code::Delete).trace();
    f.host.rootClip->put("o", Value(o));
    EXPECT_EQ(f.run(del), QStringList({"false", "true"}));
    EXPECT_EQ(names(), "a,b,d");
}

// Before SWF 7 every name matches whatever its case: the lengths of arrays, strings and String
// objects, the built-in methods and constants, the properties of XML nodes, and the names
// ASSetPropFlags is given.
TEST(CoreClasses, BuiltInNamesIgnoreCaseBeforeSwf7) {
    for (int version : {5, 6, 7}) {
        Movie movie(version);
        Machine& m = movie.m;
        const bool v7 = version >= 7;
        const Value list = movie.array({Value(1), Value(2)});
        EXPECT_EQ(movie.member(list, "LENGTH"), v7 ? "undefined" : "2") << version;
        EXPECT_EQ(movie.member(Value("abc"), "Length"), v7 ? "undefined" : "3") << version;
        std::vector<Value> abc{Value("abc")};
        const Value boxed = m.construct(movie.global("String"), abc);
        EXPECT_EQ(movie.member(boxed, "LENGTH"), v7 ? "undefined" : "3") << version;
        m.setMember(list, "Length", Value(1));
        EXPECT_EQ(movie.call(list, "toString", {}), v7 ? "\"1,2\"" : "\"1\"") << version;
        EXPECT_EQ(movie.member(movie.global("Math"), "pi"), v7 ? "undefined" : "3.14159265358979");
        if (!v7) {
            EXPECT_EQ(movie.call(Value("abc"), "TOUPPERCASE", {}), "\"ABC\"");
        }

        Object* o = m.makeObject();
        o->put("Foo", Value(1));
        o->put("bar", Value(2));
        m.callValue(movie.global("ASSetPropFlags"), Value(), {Value(o), Value("foo,BAR"), Value(1)},
                    version);
        EXPECT_EQ(m.enumerate(o).size(), v7 ? 2u : 0u) << version;

        std::vector<Value> markup{Value("<a><b/></a>")};
        const Value doc = m.construct(movie.global("XML"), markup);
        const Value a = m.getMember(doc, "FIRSTCHILD");
        EXPECT_EQ(movie.member(a, "nodename"), v7 ? "undefined" : "\"a\"") << version;
        if (!v7) {
            m.setMember(m.getMember(a, "firstchild"), "NODENAME", Value("c"));
            EXPECT_EQ(m.toString(doc), "<a><c /></a>");
        }
    }
}

// new Error(message) keeps the message; without one the prototype's "Error" shows through, and
// toString prints the message. Called without new, Error still makes an error.
TEST(CoreClasses, ErrorsCarryTheirMessage) {
    Movie movie(7);
    Machine& m = movie.m;
    std::vector<Value> none;
    std::vector<Value> message{Value("disk full")};
    const Value plain = m.construct(movie.global("Error"), none);
    const Value full = m.construct(movie.global("Error"), message);
    EXPECT_EQ(movie.member(plain, "message"), "\"Error\"");
    EXPECT_EQ(movie.member(plain, "name"), "\"Error\"");
    EXPECT_EQ(movie.call(plain, "toString", {}), "\"Error\"");
    EXPECT_EQ(movie.member(full, "message"), "\"disk full\"");
    EXPECT_EQ(movie.call(full, "toString", {}), "\"disk full\"");
    EXPECT_TRUE(m.instanceOf(full, movie.global("Error").object()));
    const Value called = m.callValue(movie.global("Error"), Value(), {Value("x")}, 7).value;
    EXPECT_EQ(movie.call(called, "toString", {}), "\"x\"");
    EXPECT_TRUE(m.instanceOf(called, movie.global("Error").object()));
    m.setMember(full, "message", Value(42));
    EXPECT_EQ(movie.call(full, "toString", {}), "\"42\"");
}

// setInterval and setTimeout without a function and a time start nothing and answer undefined;
// the method form calls the method by its name each time; a time that is no number fires on
// every turn without holding the others up; clearing an unknown id is harmless.
TEST(CoreClasses, TimersTakeOnlyWhatTheyCanRun) {
    Movie movie(7);
    Machine& m = movie.m;
    Fixture& f = movie.f;
    f.run(Assembler().function("tick", {"label"}, Assembler().getVar("label").trace()));
    const Value tick = m.get(f.host.rootClip, "tick");
    const auto start = [&](const char* kind, std::vector<Value> args) {
        return movie.print(m.callValue(movie.global(kind), Value(), std::move(args), 7).value);
    };
    EXPECT_EQ(start("setInterval", {}), "undefined");
    EXPECT_EQ(start("setInterval", {tick}), "undefined");
    EXPECT_EQ(start("setInterval", {Value("tick"), Value(10)}), "undefined");
    EXPECT_EQ(start("setTimeout", {Value(5), Value(10)}), "undefined");
    Object* owner = m.makeObject();
    EXPECT_EQ(start("setInterval", {Value(owner), Value("later")}), "undefined");
    const QString byName =
        start("setInterval", {Value(owner), Value("later"), Value(100), Value("m")});
    const QString often = start("setInterval", {tick, Value("soon"), Value("n")});
    EXPECT_NE(byName, often);
    start("clearInterval", {Value(12345)});
    start("clearInterval", {Value("x")});
    start("clearInterval", {});

    f.host.lines.clear();
    f.host.clock = 50;
    m.runTimers();
    f.host.clock = 100;
    m.runTimers();  // the method is not there yet: nothing for it
    owner->put("later", tick);
    f.host.clock = 200;
    m.runTimers();
    EXPECT_EQ(f.host.lines, QStringList({"n", "n", "m", "n"})) << "due timers fire oldest first";
    m.callValue(movie.global("clearInterval"), Value(), {Value(often.toDouble())}, 7);
    m.callValue(movie.global("clearInterval"), Value(), {Value(byName.toDouble())}, 7);
    f.host.lines.clear();
    f.host.clock = 1000;
    m.runTimers();
    EXPECT_TRUE(f.host.lines.isEmpty());
}
