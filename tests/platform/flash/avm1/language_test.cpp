// The language core against the original's quirks: comparisons of objects and of SWF 4
// values, and the other rules movies of each version rely on.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

// SWF 4 movies see comparison results as 1 and 0, cannot see NaN or Infinity, and read
// objects as 0, so dividing by one is the "#ERROR#" of a division by zero.
TEST(Swf4, BooleansPrintAsDigitsAndGlobalsAreOutOfSight) {
    Assembler as;
    as.push({boolean(true)}).trace();
    as.push({integer(1), integer(2)}).op(Code::Less).trace();
    as.push({str("v"), integer(1), integer(2)}).op(Code::Equals).op(Code::SetVariable);
    as.getVar("v").op(Code::TypeOf).trace();
    as.push({integer(0)}).getVar("NaN").op(Code::Equals).trace();
    as.push({integer(3), integer(0)}).op(Code::InitObject).op(Code::Divide).trace();
    EXPECT_EQ(tracedIn(4, as), QStringList({"1", "1", "boolean", "1", "#ERROR#"}));
    // The same code in SWF 5 has booleans and NaN.
    EXPECT_EQ(tracedIn(5, as), QStringList({"true", "true", "boolean", "false", "NaN"}));
}

TEST(Operators, ObjectsAgainstPrimitivesConvertFirst) {
    struct Row {
        const char* what;
        Assembler code;
        const char* result;
    };
    auto bare = [] {
        // {__proto__: undefined}: no valueOf anywhere.
        Assembler a;
        a.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
        a.getVar("o").push({str("__proto__"), undef()}).op(Code::SetMember);
        return a;
    };
    std::vector<Row> rows;
    rows.push_back({"bare object == undefined",
                    bare().getVar("o").push({undef()}).op(Code::Equals2).trace(), "true"});
    rows.push_back({"bare object == null",
                    bare().getVar("o").push({null()}).op(Code::Equals2).trace(), "true"});
    {
        Assembler a;
        a.push({integer(0)}).op(Code::InitObject).push({undef()}).op(Code::Equals2).trace();
        rows.push_back({"{} == undefined", a, "false"});
    }
    {
        Assembler a;
        a.push({integer(0)}).op(Code::InitObject).push({integer(0)}).op(Code::Less2).trace();
        rows.push_back({"{} < 0 is false, not undefined", a, "false"});
    }
    {
        Assembler a;
        a.push({integer(1)}).getVar("NaN").op(Code::Less2).trace();
        rows.push_back({"1 < NaN", a, "undefined"});
    }
    {
        Assembler a;
        a.getVar("NaN").getVar("NaN").op(Code::Equals2).trace();
        rows.push_back({"NaN == NaN", a, "true"});
    }
    for (Row& r : rows) {
        EXPECT_EQ(tracedIn(7, r.code), QStringList({r.result})) << r.what;
    }
}

// `this`, `arguments` and `super` are variables of the call object: a script can assign
// them, a suppressed one resolves further out (to the timeline's clip for this), and a
// variable named like a special name shadows it.
TEST(Functions, ThisArgumentsAndSuperAreVariablesOfTheCall) {
    using namespace pencora::swf;
    Fixture f(8);
    f.machine.global()->put("marker", Value("T"));
    f.host.rootClip->put("name", Value("root"));
    Assembler reads;
    reads.getVar("this").push({str("name")}).op(Code::GetMember).trace();
    reads.getVar("arguments").op(Code::TypeOf).trace();
    Assembler assign;
    assign.setVar("this", integer(1234)).getVar("this").trace();
    Assembler suppressedReg;
    suppressedReg.push({reg(1)}).trace().push({reg(2), str("length")}).op(Code::GetMember).trace();

    Assembler as;
    as.push({str("o"), str("name"), str("obj"), integer(1)})
        .op(Code::InitObject)
        .op(Code::SetVariable);
    as.function2("plain", 2, 0, {}, reads);
    as.function2("suppressed", 2, kSuppressThis | kSuppressArguments, {}, reads);
    as.function2("assign", 2, 0, {}, assign);
    // Suppressing this keeps its register, undefined; preloading arguments beats suppressing.
    as.function2("both", 3, kPreloadThis | kSuppressThis | kPreloadArguments | kSuppressArguments,
                 {}, suppressedReg);
    for (const char* fn : {"plain", "suppressed", "assign", "both"}) {
        as.getVar("o").push({str(fn)}).getVar(fn).op(Code::SetMember);
        as.push({integer(7), integer(1)}).getVar("o").push({str(fn)}).op(Code::CallMethod);
        as.op(Code::Pop);
    }
    // On the timeline a variable called _root shadows the real one.
    as.setVar("_root", str("fake")).getVar("_root").trace();
    EXPECT_EQ(f.run(as), QStringList({"obj", "object", "root", "undefined", "1234", "undefined",
                                      "1", "fake"}));
}

// Registers past a DefineFunction2 function's count are the calling timeline's registers.
TEST(Functions, RegistersPastTheCountReachTheTimeline) {
    Fixture f(8);
    Assembler body;
    body.push({reg(1)}).trace().push({integer(9)}).storeRegister(1).op(Code::Pop);
    Assembler as;
    as.function2("f", 1, 0, {}, body);
    as.push({integer(5)}).storeRegister(1).op(Code::Pop);
    as.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    as.push({reg(1)}).trace();
    EXPECT_EQ(f.run(as), QStringList({"5", "9"}));
}

// for..in over arguments lists an argument passed as undefined, unlike an array's hole.
TEST(Functions, ArgumentsListEveryPassedValue) {
    Fixture f(8);
    Assembler loop;  // for (k in arguments) trace(k)
    loop.getVar("arguments").op(Code::Enumerate2);
    Assembler step;
    step.storeRegister(0).push({null()}).op(Code::Equals2);
    Assembler print;
    print.push({reg(0)}).trace();
    int printSize = int(print.bytes.size());
    step.branch(Code::If, int16_t(printSize + 5));
    step.append(print);
    step.branch(Code::Jump, int16_t(-(int(step.bytes.size()) + 5)));
    loop.append(step);
    Assembler as;
    as.function("f", {}, loop);
    as.push({str("c"), undef(), str("a"), integer(3), str("f")}).op(Code::CallFunction);
    EXPECT_EQ(f.run(as), QStringList({"2", "1", "0"}));  // newest first, as arrays
}

TEST(Scopes, WithAndVarOnTheTimeline) {
    Fixture f(8);
    Object* o = f.machine.makeObject();
    Object* proto = f.machine.makeObject();
    proto->put("inherited", Value(20));
    Object* child = f.machine.makeObject();
    child->setProto(proto);
    child->put("own", Value(20));
    f.host.rootClip->put("o", Value(o));
    f.host.rootClip->put("child", Value(child));
    Assembler body;
    body.push({str("own"), integer(10)}).op(Code::DefineLocal);
    body.push({str("inherited"), integer(10)}).op(Code::DefineLocal);
    Assembler skipped;
    skipped.push({str("unreachable")}).trace();
    Assembler as;
    as.getVar("child").with(body);
    as.push({undef()}).with(skipped).push({null()}).with(skipped);
    as.getVar("child").push({str("own")}).op(Code::GetMember).trace();
    as.getVar("child").push({str("inherited")}).op(Code::GetMember).trace();
    as.getVar("inherited").trace();
    EXPECT_EQ(f.run(as), QStringList({"10", "20", "10"}));
}

// A prototype chain that loops ends the script instead of answering undefined.
TEST(Limits, LoopingPrototypeChainStopsTheScript) {
    Fixture f(8);
    Assembler as;
    as.push({str("a"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("a").push({str("__proto__")}).getVar("a").op(Code::SetMember);
    as.getVar("a").push({str("missing")}).op(Code::GetMember).trace();
    RunResult r;
    EXPECT_TRUE(f.run(as, &r).isEmpty());
    EXPECT_EQ(r.status, RunResult::Status::DepthLimit);
    Assembler next;
    next.push({str("ok")}).trace();
    EXPECT_EQ(f.run(next), QStringList({"ok"}));
}

TEST(Objects, ObjectCalledOrConstructed) {
    Fixture f(8);
    Assembler as;
    // Object() as a function: an object that inherits nothing, so it prints as [type Object].
    as.push({integer(0), str("Object")}).op(Code::CallFunction).trace();
    as.push({integer(0), str("Object")}).op(Code::NewObject).trace();
    as.push({str("x"), integer(1), str("Object")}).op(Code::CallFunction).op(Code::TypeOf).trace();
    EXPECT_EQ(f.run(as), QStringList({"[type Object]", "[object Object]", "object"}));
}

// A getter added with addProperty answers before the array's own length.
TEST(Objects, AddedGetterBeatsComputedProperty) {
    Fixture f(8);
    Assembler ten;
    ten.push({integer(10)}).op(Code::Return);
    Assembler as;
    as.function("ten", {}, ten);
    as.push({str("a"), integer(3), integer(2), integer(1), integer(3)})
        .op(Code::InitArray)
        .op(Code::SetVariable);
    as.push({null()}).getVar("ten").push({str("length"), integer(3)}).getVar("a");
    as.push({str("addProperty")}).op(Code::CallMethod).op(Code::Pop);
    as.getVar("a").push({str("length")}).op(Code::GetMember).trace();
    as.push({integer(0)}).getVar("a").push({str("pop")}).op(Code::CallMethod).trace();
    EXPECT_EQ(f.run(as), QStringList({"10", "3"}));
}

// watch(): a new property of a plain object is made before the callback runs; a callback
// that throws leaves the property undefined.
TEST(Objects, WatchCallbacksOnNewPropertiesAndThrows) {
    Fixture f(8);
    Assembler logger;  // function(name, old, value) { trace(old + ">" + value); return value }
    logger.getVar("old").push({str(">")}).op(Code::Add2).getVar("value").op(Code::Add2).trace();
    logger.getVar("value").op(Code::Return);
    Assembler thrower;
    thrower.push({str("no")}).op(Code::Throw);
    Assembler as;
    as.function("logger", {"name", "old", "value"}, logger);
    as.function("thrower", {"name", "old", "value"}, thrower);
    as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("logger").push({str("p"), integer(2)}).getVar("o");
    as.push({str("watch")}).op(Code::CallMethod).op(Code::Pop);
    as.getVar("o").push({str("p"), integer(1)}).op(Code::SetMember);
    as.getVar("o").push({str("p"), integer(2)}).op(Code::SetMember);
    as.getVar("thrower").push({str("p"), integer(2)}).getVar("o");
    as.push({str("watch")}).op(Code::CallMethod).op(Code::Pop);
    Assembler set, caught;
    set.getVar("o").push({str("p"), integer(3)}).op(Code::SetMember);
    caught.push({str("caught")}).trace();
    as.tryCatch(set, "e", &caught, nullptr);
    as.getVar("o").push({str("p")}).op(Code::GetMember).trace();
    EXPECT_EQ(f.run(as), QStringList({"1>1", "1>2", "caught", "undefined"}));
}

// Conversions of objects: methods are looked up without __resolve; when valueOf gives an
// object, SWF 5 asks toString and later versions convert the original object again.
TEST(Operators, ObjectConversionsInAdd2) {
    auto program = [](Assembler& as) {
        Assembler objectBack;  // valueOf: return {}
        objectBack.push({integer(0)}).op(Code::InitObject).op(Code::Return);
        Assembler text;  // toString: return "T"
        text.push({str("T")}).op(Code::Return);
        Assembler resolver;  // __resolve: return a function giving 7
        Assembler seven;
        seven.push({integer(7)}).op(Code::Return);
        resolver.function("", {}, seven).op(Code::Return);
        as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
        as.getVar("o").push({str("valueOf")}).function("", {}, objectBack).op(Code::SetMember);
        as.getVar("o").push({str("toString")}).function("", {}, text).op(Code::SetMember);
        as.getVar("o").push({integer(1)}).op(Code::Add2).trace();
        as.getVar("o").push({str("x")}).op(Code::Add2).trace();
        // An object answering everything through __resolve still has no valueOf.
        as.push({str("r"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
        as.getVar("r").push({str("__proto__"), null()}).op(Code::SetMember);
        as.getVar("r").push({str("__resolve")}).function("", {}, resolver).op(Code::SetMember);
        as.getVar("r").op(Code::ToNumber).trace();
    };
    Assembler as;
    program(as);
    EXPECT_EQ(tracedIn(5, as), QStringList({"T1", "Tx", "0"}));  // undefined is 0 before 7
    EXPECT_EQ(tracedIn(8, as), QStringList({"NaN", "Tx", "NaN"}));
}

// A toString that throws still prints a line before the exception goes on.
TEST(Operators, TraceOfAThrowingToString) {
    Assembler thrower;
    thrower.push({str("bad")}).op(Code::Throw);
    Assembler body;
    body.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    body.getVar("o").push({str("toString")}).function("", {}, thrower).op(Code::SetMember);
    body.getVar("o").trace();
    Assembler caught;
    caught.push({str("caught")}).trace();
    Assembler as;
    as.tryCatch(body, "e", &caught, nullptr);
    EXPECT_EQ(tracedIn(8, as), QStringList({"[type Object]", "caught"}));
}

// class Stack extends Array: the instance is an array from the start, and super(...) fills it.
TEST(Classes, SubclassOfArrayIsAnArray) {
    Fixture f(8);
    Assembler ctor;  // function Stack() { super("a", "b") }
    ctor.push({str("b"), str("a"), integer(2), str("super")}).op(Code::CallFunction).op(Code::Pop);
    Assembler as;
    as.function("Stack", {}, ctor);
    as.getVar("Stack").getVar("Array").op(Code::Extends);
    as.push({str("s"), integer(0), str("Stack")}).op(Code::NewObject).op(Code::SetVariable);
    as.getVar("s").push({str("length")}).op(Code::GetMember).trace();
    as.push({str("c"), integer(1)}).getVar("s").push({str("push")}).op(Code::CallMethod).trace();
    as.getVar("s").getVar("Array").op(Code::InstanceOf).trace();
    EXPECT_EQ(f.run(as), QStringList({"2", "3", "true"}));
}

// A property hidden from the movie's version by ASSetPropFlags cannot be read, but it is
// still owned, listed, deleted, and an assignment brings it back.
TEST(Objects, PropertiesHiddenFromTheVersion) {
    for (int version : {6, 8}) {
        Fixture f(version);
        Object* o = f.machine.makeObject();
        o->put("p", Value("v"));
        f.host.rootClip->put("o", Value(o));
        // 0x100 hides from SWF 6, 0x4000 from everything before 10.
        const int bit = version == 6 ? 0x100 : 0x4000;
        Assembler as;
        as.push({integer(0), integer(bit), str("p")}).getVar("o");
        as.push({integer(4), str("ASSetPropFlags")}).op(Code::CallFunction).op(Code::Pop);
        as.getVar("o").push({str("p")}).op(Code::GetMember).trace();
        as.push({str("p"), integer(1)}).getVar("o");
        as.push({str("hasOwnProperty")}).op(Code::CallMethod).trace();
        as.getVar("o").push({str("p"), str("again")}).op(Code::SetMember);
        as.getVar("o").push({str("p")}).op(Code::GetMember).trace();
        EXPECT_EQ(f.run(as), QStringList({"undefined", "true", "again"})) << version;
        EXPECT_TRUE(hiddenFromVersion(0x100, 6));
        EXPECT_FALSE(hiddenFromVersion(0x100, 7));
        EXPECT_FALSE(hiddenFromVersion(0x200 | 0x800, 6));
    }
}

// AsBroadcaster compares listeners with ==: null replaces undefined, removeListener()
// removes a null listener.
TEST(Broadcaster, ListenersCompareLoosely) {
    Fixture f(8);
    Assembler count;  // trace(b._listeners.length)
    count.getVar("b").push({str("_listeners")}).op(Code::GetMember);
    count.push({str("length")}).op(Code::GetMember).trace();
    auto callOnB = [](Assembler& as, const char* method, Operand v, bool hasArg) {
        if (hasArg) {
            as.push({v, integer(1)});
        } else {
            as.push({integer(0)});
        }
        as.getVar("b").push({str(method)}).op(Code::CallMethod).trace();
    };
    Assembler as;
    as.push({str("b"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("b").push({integer(1)}).getVar("AsBroadcaster");
    as.push({str("initialize")}).op(Code::CallMethod).op(Code::Pop);
    callOnB(as, "addListener", undef(), false);
    callOnB(as, "addListener", null(), true);
    as.append(count);
    callOnB(as, "addListener", boolean(false), true);
    as.append(count);
    callOnB(as, "removeListener", undef(), false);
    callOnB(as, "removeListener", str("x"), true);
    as.append(count);
    EXPECT_EQ(f.run(as), QStringList({"true", "true", "1", "true", "2", "true", "false", "1"}));
}

// Primitives box into the class _global names for them, and a script method called on a
// primitive sees an object as this.
TEST(Objects, PrimitivesBoxIntoTheGlobalClass) {
    Fixture f(8);
    Assembler kind;  // function() { return typeof this }
    kind.getVar("this").op(Code::TypeOf).op(Code::Return);
    Assembler empty;
    Assembler as;
    as.getVar("String").push({str("prototype")}).op(Code::GetMember);
    as.push({str("kind")}).function("", {}, kind).op(Code::SetMember);
    as.push({integer(0)}).push({str("abc"), str("kind")}).op(Code::CallMethod).trace();
    as.function("MyBool", {}, empty);
    as.getVar("MyBool").push({str("prototype")}).op(Code::GetMember);
    as.push({str("mark"), str("mine")}).op(Code::SetMember);
    as.getVar("_global").push({str("Boolean")}).getVar("MyBool").op(Code::SetMember);
    as.push({boolean(true), str("mark")}).op(Code::GetMember).trace();
    EXPECT_EQ(f.run(as), QStringList({"object", "mine"}));
}

// Getters and setters that reach each other's property recurse, each pair at most 65 deep.
// The innermost write then stores its value behind the getter, every setter call stores its
// value there when done, and the innermost read finds what was stored.
TEST(Objects, AccessorPairsRecurseAsDeepAsAllowed) {
    for (int version : {6, 7, 8}) {
        Fixture f(version);
        auto counting = [](Assembler& as) {
            as.push({str("calls")}).getVar("calls").push({integer(1)}).op(Code::Add2);
            as.op(Code::SetVariable);
        };
        Assembler setA, setB, getA, getB;  // a's setter writes b, b's setter writes a
        counting(setA);
        setA.getVar("o").push({str("b"), str("fromA")}).op(Code::SetMember);
        counting(setB);
        setB.getVar("o").push({str("a"), str("fromB")}).op(Code::SetMember);
        getA.getVar("o").push({str("b")}).op(Code::GetMember).op(Code::Return);
        getB.getVar("o").push({str("a")}).op(Code::GetMember).op(Code::Return);
        Assembler as;
        as.push({str("calls"), integer(0)}).op(Code::SetVariable);
        as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
        as.function("", {"v"}, setA).function("", {}, getA).push({str("a"), integer(3)});
        as.getVar("o").push({str("addProperty")}).op(Code::CallMethod).op(Code::Pop);
        as.function("", {"v"}, setB).function("", {}, getB).push({str("b"), integer(3)});
        as.getVar("o").push({str("addProperty")}).op(Code::CallMethod).op(Code::Pop);
        as.getVar("o").push({str("a"), str("x")}).op(Code::SetMember);
        as.getVar("calls").trace();
        as.getVar("o").push({str("a")}).op(Code::GetMember).trace();
        as.getVar("o").push({str("b")}).op(Code::GetMember).trace();
        RunResult r;
        EXPECT_EQ(f.run(as, &r), QStringList({"130", "x", "fromA"})) << "SWF " << version;
        EXPECT_TRUE(r.ok());
    }
}

// Two watches whose callbacks set each other's property run 65 deep each, then the innermost
// assignment is stored as it is and the callbacks' answers are stored while they unwind. A
// watched property with a getter gives its callback the value kept behind the getter.
TEST(Objects, WatchCallbacksRecurseAsDeepAsAccessors) {
    Fixture f(7);
    Assembler onP, onQ;  // function(name, old, value): count, set the other one, answer
    onP.push({str("n")}).getVar("n").push({integer(1)}).op(Code::Add2).op(Code::SetVariable);
    onP.getVar("o").push({str("q"), str("fromP")}).op(Code::SetMember);
    onP.push({str("answerP")}).op(Code::Return);
    onQ.push({str("n")}).getVar("n").push({integer(1)}).op(Code::Add2).op(Code::SetVariable);
    onQ.getVar("o").push({str("p"), str("fromQ")}).op(Code::SetMember);
    onQ.push({str("answerQ")}).op(Code::Return);
    Assembler oldValue, seven;  // function(name, old, value): trace(old); return value
    oldValue.getVar("old").trace().getVar("value").op(Code::Return);
    seven.push({integer(7)}).op(Code::Return);
    Assembler as;
    as.push({str("n"), integer(0)}).op(Code::SetVariable);
    as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.function("", {"name", "old", "value"}, onP).push({str("p"), integer(2)}).getVar("o");
    as.push({str("watch")}).op(Code::CallMethod).op(Code::Pop);
    as.function("", {"name", "old", "value"}, onQ).push({str("q"), integer(2)}).getVar("o");
    as.push({str("watch")}).op(Code::CallMethod).op(Code::Pop);
    as.getVar("o").push({str("p"), str("x")}).op(Code::SetMember);
    as.getVar("n").trace();
    as.getVar("o").push({str("p")}).op(Code::GetMember).trace();
    as.getVar("o").push({str("q")}).op(Code::GetMember).trace();
    // r.g: a getter giving 7 over the stored "kept"; the watch traces the old value.
    as.push({str("r"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("r").push({str("g"), str("kept")}).op(Code::SetMember);
    as.push({null()}).function("", {}, seven).push({str("g"), integer(3)}).getVar("r");
    as.push({str("addProperty")}).op(Code::CallMethod).op(Code::Pop);
    as.function("", {"name", "old", "value"}, oldValue).push({str("g"), integer(2)}).getVar("r");
    as.push({str("watch")}).op(Code::CallMethod).op(Code::Pop);
    as.getVar("r").push({str("g"), str("new")}).op(Code::SetMember);
    as.getVar("r").push({str("g")}).op(Code::GetMember).trace();
    EXPECT_EQ(f.run(as), QStringList({"130", "answerP", "answerQ", "kept", "7"}));
}
