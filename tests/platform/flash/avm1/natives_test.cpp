// The prototype link as a property, the numbered natives (ASnative, ASSetNative,
// ASSetNativeAccessor, ASnew), this for call/apply, and argument-less conversions.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

Value global(Fixture& f, const char* name) {
    return f.machine.get(f.machine.global(), QString::fromLatin1(name));
}

Value call(Fixture& f, const Value& fn, std::vector<Value> args, Value self = Value()) {
    RunResult r = f.machine.callValue(fn, self, std::move(args), f.version);
    EXPECT_TRUE(r.ok());
    return r.value;
}

Value callGlobal(Fixture& f, const char* name, std::vector<Value> args) {
    return call(f, global(f, name), std::move(args));
}

QString text(Fixture& f, const Value& v) {
    return f.machine.toString(v);
}

Value member(Fixture& f, const Value& o, const char* name) {
    return f.machine.getMember(o, QString::fromLatin1(name));
}

}  // namespace

TEST(ProtoProperty, HoldsWhatIsStoredAndDeletesOnlyWhenAllowed) {
    Fixture f(6);
    Machine& m = f.machine;
    Object* o = m.makeObject();
    m.set(o, "__proto__", Value(123));
    EXPECT_EQ(m.typeOf(m.get(o, "__proto__")), "number");
    EXPECT_EQ(o->proto(), nullptr);  // a primitive ends the chain
    EXPECT_TRUE(m.get(o, "toString").isUndefined());

    Object* fresh = m.makeObject();
    EXPECT_EQ(m.get(fresh, "__PROTO__").object(), m.protos().object);  // SWF 6 ignores case
    EXPECT_FALSE(fresh->remove("__proto__", 6));                       // DontDelete at first
    call(f, global(f, "ASSetPropFlags"), {Value(fresh), Value("__proto__"), Value(0), Value(7)});
    EXPECT_TRUE(fresh->remove("__proto__", 6));
    EXPECT_TRUE(m.get(fresh, "__proto__").isUndefined());
    EXPECT_TRUE(m.get(fresh, "toString").isUndefined());
}

TEST(ProtoProperty, AssignmentGoesThroughAWatch) {
    Fixture f(6);
    Assembler cb;
    cb.push({str("watched")}).trace().push({str("ret")}).op(Code::Return);
    Assembler as;
    as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::DefineLocal);
    as.function("", {}, cb).storeRegister(1).op(Code::Pop);
    as.push({reg(1), str("__proto__"), integer(2), str("o")})
        .op(Code::GetVariable)
        .push({str("watch")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    as.getVar("o").push({str("__proto__"), str("foo")}).op(Code::SetMember);
    as.getVar("o").push({str("__proto__")}).op(Code::GetMember).trace();
    EXPECT_EQ(f.run(as), QStringList({"watched", "ret"}));
}

TEST(NativeTables, ASnativeNumbersTheBuiltIns) {
    Fixture f;
    Value abs = callGlobal(f, "ASnative", {Value(200), Value(0)});
    ASSERT_TRUE(abs.isObject());
    EXPECT_EQ(text(f, call(f, abs, {Value(-4)})), "4");
    Value escape = callGlobal(f, "ASnative", {Value("100"), Value("0")});
    EXPECT_EQ(text(f, call(f, escape, {Value("&")})), "%26");
    call(f, callGlobal(f, "ASnative", {Value(100), Value(4)}), {Value("traced")});
    EXPECT_EQ(f.host.lines, QStringList({"traced"}));

    // Not two arguments, or no such table: nothing.
    EXPECT_TRUE(callGlobal(f, "ASnative", {Value(100)}).isUndefined());
    EXPECT_TRUE(callGlobal(f, "ASnative", {Value(100), Value(0), Value(0)}).isUndefined());
    EXPECT_TRUE(callGlobal(f, "ASnative", {Value("onehundred"), Value(0)}).isUndefined());

    // An index the maths table has no entry for still reads two numbers, then gives NaN.
    Value unknown = callGlobal(f, "ASnative", {Value(200), Value(50)});
    ASSERT_TRUE(unknown.isObject());
    EXPECT_EQ(text(f, call(f, unknown, {Value(1), Value(2)})), "NaN");
}

TEST(NativeTables, ASSetNativeNamesARunWithVersionDigits) {
    Fixture f(7);
    Machine& m = f.machine;
    Object* o = m.makeObject();
    o->put("h", Value("kept"));
    // ",getTime" starts at 15: the empty slot counts, getTime is 103,16.
    callGlobal(f, "ASSetNative", {Value(o), Value(103), Value("a,8h,9i,,x"), Value(0)});
    EXPECT_EQ(m.typeOf(m.get(o, "a")), "function");
    EXPECT_EQ(m.typeOf(m.get(o, "h")), "function");  // an own property keeps its flags
    EXPECT_TRUE(m.get(o, "i").isUndefined());        // new, and hidden before SWF 9
    EXPECT_TRUE(m.get(o, "").isUndefined());

    std::vector<Value> time{Value(1234)};
    Object* date = m.construct(global(f, "Date"), time).object();
    ASSERT_NE(date, nullptr);
    callGlobal(f, "ASSetNative", {Value(date), Value(103), Value(",getTime3"), Value(15)});
    EXPECT_EQ(text(f, call(f, m.get(date, "getTime3"), {}, Value(date))), "1234");
}

TEST(NativeTables, ASSetNativeAccessorPairsGetterAndSetter) {
    Fixture f(8);
    Machine& m = f.machine;
    Object* filter = m.makeObject();
    filter->put("alpha", Value(0.5));
    // The convolution filter's alpha is 1109,17 (get) and 1109,18 (set); two numbers a name.
    callGlobal(f, "ASSetNativeAccessor",
               {Value(filter), Value(1109), Value(",alphaThree"), Value(15)});
    EXPECT_EQ(text(f, m.get(filter, "alphaThree")), "0.5");
    m.set(filter, "alphaThree", Value(0.25));
    EXPECT_EQ(text(f, m.get(filter, "alpha")), "0.25");
}

TEST(NativeTables, ASnewTellsAConstructorCall) {
    Fixture f;
    // function F() { trace(ASnew()); }  F(); new F();
    Assembler body;
    body.push({integer(0), str("ASnew")}).op(Code::CallFunction).trace();
    Assembler as;
    as.push({str("ASnew"), integer(0), integer(2), integer(2), str("ASnative")})
        .op(Code::CallFunction)
        .op(Code::DefineLocal);
    as.function("F", {}, body);
    as.push({integer(0), str("F")}).op(Code::CallFunction).op(Code::Pop);
    as.push({integer(0), str("F")}).op(Code::NewObject).op(Code::Pop);
    EXPECT_EQ(f.run(as), QStringList({"false", "true"}));
}

TEST(Functions, CallAndApplyWithoutAThisRunOnGlobal) {
    Fixture f;
    Assembler body;
    body.push({str("this")}).op(Code::GetVariable).op(Code::Return);
    Assembler as;
    as.function("g", {}, body);
    f.run(as);
    Value g = f.machine.get(f.host.rootClip, "g");
    Value callFn = member(f, g, "call");
    EXPECT_EQ(call(f, callFn, {Value::null()}, g).object(), f.machine.global());
    EXPECT_EQ(call(f, member(f, g, "apply"), {Value()}, g).object(), f.machine.global());
    EXPECT_EQ(text(f, call(f, callFn, {Value(5)}, g)), "5");
}

TEST(Functions, ArgumentlessConversions) {
    Fixture f(6);
    EXPECT_EQ(callGlobal(f, "isNaN", {}).boolean(), true);  // no argument is no number
    EXPECT_EQ(callGlobal(f, "isFinite", {}).boolean(), false);
    EXPECT_TRUE(callGlobal(f, "Boolean", {}).isUndefined());
    std::vector<Value> none;
    Value made = f.machine.construct(global(f, "Boolean"), none);
    EXPECT_EQ(text(f, made), "false");
    // NaN goes through the smallest int: its digits are remainders at or below zero.
    Value nanToString = member(f, Value(std::nan("")), "toString");
    EXPECT_EQ(text(f, call(f, nanToString, {Value(2)}, Value(std::nan("")))),
              "-/" + QString(31, '0'));
    EXPECT_EQ(text(f, call(f, nanToString, {Value(10)}, Value(std::nan("")))), "NaN");
}

TEST(Filters, DisplacementMapPointReadsBothCoordinates) {
    Fixture f(10);
    Machine& m = f.machine;
    Value filters = member(f, global(f, "flash"), "filters");
    std::vector<Value> none;
    Value filter = m.construct(member(f, filters, "DisplacementMapFilter"), none);
    ASSERT_TRUE(filter.isObject());
    auto point = [&] { return text(f, member(f, filter, "mapPoint")); };
    EXPECT_EQ(point(), "(x=0, y=0)");

    Object* p = m.makeObject();
    p->put("x", Value(3.7));
    p->put("y", Value(8));
    m.setMember(filter, "mapPoint", Value(p));
    EXPECT_EQ(point(), "(x=3, y=8)");

    Object* half = m.makeObject();
    half->put("x", Value(1));
    m.setMember(filter, "mapPoint", Value(half));  // no y: back to the origin
    EXPECT_EQ(point(), "(x=0, y=0)");

    p->put("x", Value(std::nan("")));
    m.setMember(filter, "mapPoint", Value(p));
    EXPECT_EQ(point(), "(x=-2147483648, y=8)");
}

TEST(Objects, PropertyTestsArriveWithSwf6) {
    for (int version : {5, 6}) {
        Fixture f(version);
        Object* o = f.machine.makeObject();
        for (const char* name : {"hasOwnProperty", "isPropertyEnumerable", "isPrototypeOf"}) {
            EXPECT_EQ(f.machine.get(o, QString::fromLatin1(name)).isUndefined(), version < 6)
                << name << " in SWF " << version;
        }
    }
}
