// Global functions and operators whose corner cases movies meet: unescape's broken escapes,
// parseInt's signed hex with a radix, >>> per version, Add2 on objects whose valueOf gives an
// object, the order Math converts its arguments in, InitArray with an impossible count.
#include <gtest/gtest.h>

#include <cmath>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

QString callGlobal(Fixture& f, const char* name, std::vector<Value> args) {
    Machine& m = f.machine;
    RunResult r = m.callValue(m.get(m.global(), QString::fromLatin1(name)), Value(),
                              std::move(args), f.version);
    EXPECT_TRUE(r.ok());
    return m.toString(r.value);
}

}  // namespace

TEST(Globals, UnescapeDropsBrokenEscapes) {
    Fixture f;
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"Hello+World", "Hello World"},
        {"%41%2a", "A*"},
        {"aaa%", "aaa"},
        {"aaa%zz", "aaaz"},   // "%z" goes, the next character stays
        {"aaa%4zz", "aaaz"},  // "%4z" goes
        {"%u0100", "0100"},
        {"%C4%80", "\u0100"},  // UTF-8 bytes from SWF 6 on
    };
    for (const Row& r : rows) {
        EXPECT_EQ(callGlobal(f, "unescape", {Value(r.in)}), QString::fromUtf8(r.out)) << r.in;
    }
}

TEST(Globals, ParseIntSignedHexWithARadix) {
    Fixture f;
    EXPECT_EQ(callGlobal(f, "parseInt", {Value("-0x100")}), "NaN");
    EXPECT_EQ(callGlobal(f, "parseInt", {Value("-0x100"), Value(36)}), "1540944");
    EXPECT_EQ(callGlobal(f, "parseInt", {Value(" -0x100"), Value(36)}), "-1540944");
    EXPECT_EQ(callGlobal(f, "parseInt", {Value("+0x123"), Value(33)}), "NaN");
    EXPECT_EQ(callGlobal(f, "parseInt", {Value("0x100"), Value(36)}), "1296");
}

TEST(Operators, UnsignedShiftIsSignedUpToSwf8) {
    auto shift = [](int version, double x) {
        Fixture f(version);
        Assembler as;
        as.push({num(x), integer(0)}).op(Code::BitURShift).trace();
        return f.run(as).value(0);
    };
    EXPECT_EQ(shift(8, -3), "-3");
    EXPECT_EQ(shift(8, 4294967295.0), "-1");
    EXPECT_EQ(shift(9, -3), "4294967293");
}

TEST(Operators, Add2ConvertsAnObjectValueOfResultAgain) {
    // o.valueOf returns an object and traces; "x" + o converts o again through its own
    // toString, which returns nothing: "[type Object]".
    Fixture f;
    Assembler valueOf;
    valueOf.push({str("valueOf")}).trace().push({integer(0)}).op(Code::InitObject).op(Code::Return);
    Assembler toString;
    toString.push({str("toString")}).trace();
    Assembler as;
    as.push({str("o")})
        .push({str("valueOf")})
        .function("", {}, valueOf)
        .push({str("toString")})
        .function("", {}, toString)
        .push({integer(2)})
        .op(Code::InitObject)
        .op(Code::DefineLocal)
        .push({str("x"), str("o")})
        .op(Code::GetVariable)
        .op(Code::Add2)
        .trace()
        .push({integer(1), str("o")})
        .op(Code::GetVariable)
        .op(Code::Add2)
        .trace();
    EXPECT_EQ(f.run(as).join('|'), "valueOf|toString|x[type Object]|valueOf|valueOf|NaN");
}

TEST(Operators, MathConvertsTwoArgumentsLeftToRight) {
    Fixture f;
    Assembler valueOf;  // traces this.v and returns it
    valueOf.push({str("this")}).op(Code::GetVariable).push({str("v")}).op(Code::GetMember);
    valueOf.op(Code::PushDuplicate).trace().op(Code::Return);
    auto obj = [&](int v) {
        Object* o = f.machine.makeObject();
        o->put("v", Value(v));
        return o;
    };
    Assembler define;
    define.push({str("vo")}).function("", {}, valueOf).op(Code::DefineLocal);
    f.run(define);
    Value fn = f.machine.get(f.host.rootClip, "vo");
    std::vector<Object*> args{obj(3), obj(2), obj(1)};
    for (Object* o : args) {
        o->put("valueOf", fn);
    }
    Value math = f.machine.get(f.machine.global(), "Math");
    f.host.lines.clear();
    RunResult r = f.machine.callValue(f.machine.getMember(math, "min"), math,
                                      {Value(args[0]), Value(args[1]), Value(args[2])}, 8);
    EXPECT_EQ(f.host.lines.join(','), "3,2");  // the third is never converted
    EXPECT_EQ(f.machine.toNumber(r.value), 2);
    f.host.lines.clear();
    f.machine.callValue(f.machine.getMember(math, "atan2"), math, {Value(args[0]), Value(args[1])},
                        8);
    EXPECT_EQ(f.host.lines.join(','), "3,2");
}

TEST(Operators, InitArrayWithAnImpossibleCountPushesUndefined) {
    Fixture f;
    Assembler as;
    as.push({str("a"), str("b"), num(4294967297.0)}).op(Code::InitArray).trace().trace().trace();
    EXPECT_EQ(f.run(as).join(','), "undefined,b,a");
}

TEST(Globals, ParseFloatAddsTheFractionDigitByDigit) {
    Fixture f;
    Machine& m = f.machine;
    auto parse = [&](const char* s) {
        RunResult r = m.callValue(m.get(m.global(), "parseFloat"), Value(), {Value(s)}, 8);
        return m.toNumber(r.value);
    };
    EXPECT_EQ(parse(".1499999"), 0.14999990000000005);  // one unit off the nearest double
    EXPECT_EQ(parse("0.5"), 0.5);
    EXPECT_EQ(parse("-12.25e2"), -1225);
    EXPECT_EQ(parse("1.2345.678"), 1.2345678);
    EXPECT_TRUE(std::isnan(parse("Infinity")));
}

TEST(Strings, IndicesWrapAndCaseMapsUnitForUnit) {
    Fixture f;
    Machine& m = f.machine;
    auto on = [&](const QString& s, const char* method, std::vector<Value> args) {
        Value target(s);
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), 8);
        EXPECT_TRUE(r.ok());
        return m.toString(r.value);
    };
    const QString s = QStringLiteral("Hello");
    EXPECT_EQ(on(s, "charAt", {Value(4294967297.0)}), "e");  // wraps to 1
    EXPECT_EQ(on(s, "slice", {Value(4294967296.0), Value(4294967298.0)}), "He");
    EXPECT_EQ(on(s, "indexOf", {}), "undefined");
    EXPECT_EQ(on(s, "substr", {}), "undefined");
    EXPECT_EQ(on(s, "lastIndexOf", {Value("l"), Value()}), "3");  // undefined: from the end
    EXPECT_EQ(on(QStringLiteral("a,b"), "split", {Value(","), Value(-1)}), "");
    EXPECT_EQ(on(QStringLiteral("a,b"), "split", {Value(), Value(0)}), "a,b");
    // The length never changes and the original's old tables win.
    EXPECT_EQ(on(QString::fromUtf8("İß"), "toLowerCase", {}), QString::fromUtf8("iß"));
    EXPECT_EQ(on(QString::fromUtf8("ßς"), "toUpperCase", {}), QString(QChar(0xDF)) + QChar(0x3A2));
    EXPECT_EQ(on(QString(QChar(0x10A0)), "toLowerCase", {}), QString(QChar(0x10D0)));
}

// A movie reads `o` as null until it sets its own, in every version; other unset names are
// undefined.
TEST(Globals, TheNameOIsNullUntilSet) {
    for (int version : {5, 6, 7, 8}) {
        Fixture f(version);
        Assembler as;
        as.getVar("o").trace().getVar("p").trace();
        as.push({str("o"), integer(1)}).op(Code::SetVariable).getVar("o").trace();
        EXPECT_EQ(f.run(as), QStringList({"null", "undefined", "1"})) << "SWF " << version;
    }
}
