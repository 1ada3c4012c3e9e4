// Built-in classes extended by scripts: a built-in's constructor run on an existing object
// through super() gives it the built-in's state, which the built-in's methods then find.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// function Maker() {}
// Maker.prototype.make = function (cls, a, b) {
//     this.__proto__ = {__proto__: cls.prototype, __constructor__: cls};
//     return super(a, b);   // as many arguments as were given
// }
// The object is plain when the method starts; super() reaches the class only through the
// prototype chain the method set.
Assembler defineMaker() {
    const uint16_t flags = pencora::swf::kPreloadThis | pencora::swf::kPreloadSuper;
    Assembler body;
    body.push({reg(1), str("__proto__"), str("__proto__"), reg(3), str("prototype")});
    body.op(Code::GetMember).push({str("__constructor__"), reg(3), integer(2)});
    body.op(Code::InitObject).op(Code::SetMember);
    body.push({integer(1), integer(1), str("arguments")})
        .op(Code::GetVariable)
        .push({str("slice")});
    body.op(Code::CallMethod).storeRegister(4).op(Code::Pop);
    // super.apply is not there: pass up to two arguments by count.
    body.push({reg(4), str("1")}).op(Code::GetMember);
    body.push({reg(4), str("0")}).op(Code::GetMember);
    body.push({reg(4), str("length")}).op(Code::GetMember);
    body.push({reg(2), undef()}).op(Code::CallMethod).op(Code::Return);
    Assembler as;
    as.function("Maker", {}, Assembler());
    as.getVar("Maker").push({str("prototype")}).op(Code::GetMember).push({str("make")});
    as.function2("", 5, flags, {{3, "cls"}}, body).op(Code::SetMember);
    return as;
}

// var name = new Maker(); trace(name.make(cls, args...));
Assembler makeInstance(const std::string& name, const Assembler& cls,
                       std::initializer_list<Operand> args) {
    Assembler as;
    as.push({str(name), integer(0), str("Maker")}).op(Code::NewObject).op(Code::SetVariable);
    std::vector<Operand> reversed(args);
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) {
        as.push({*it});
    }
    as.append(cls).push({integer(int(args.size()) + 1)});
    as.getVar(name).push({str("make")}).op(Code::CallMethod).trace();
    return as;
}

Assembler cls(const std::string& name) {
    Assembler as;
    as.getVar(name);
    return as;
}

Assembler filterClass(const std::string& name) {
    Assembler as;
    as.getVar("flash").push({str("filters")}).op(Code::GetMember);
    as.push({str(name)}).op(Code::GetMember);
    return as;
}

// Maker.prototype.make.call(name, cls, arg): the object no longer inherits make.
Assembler makeAgain(const std::string& name, const Assembler& cls, const Assembler& arg) {
    Assembler as;
    as.append(arg).append(cls).getVar(name).push({integer(3)});
    as.getVar("Maker").push({str("prototype")}).op(Code::GetMember);
    as.push({str("make")}).op(Code::GetMember).push({str("call")});
    as.op(Code::CallMethod).op(Code::Pop);
    return as;
}

// trace(name.member)
Assembler traceMember(const std::string& name, const std::string& member) {
    Assembler as;
    as.getVar(name).push({str(member)}).op(Code::GetMember).trace();
    return as;
}

// trace(name.method())
Assembler traceCall(const std::string& name, const std::string& method) {
    Assembler as;
    as.push({integer(0)}).getVar(name).push({str(method)}).op(Code::CallMethod).trace();
    return as;
}

}  // namespace

// The array part keeps its length in step with the elements written, deleted and shifted
// through the object, and lives as long as the object does.
TEST(NativeParts, ArraySubclassKeepsLengthWithItsElements) {
    for (int version : {6, 7, 8}) {
        Fixture f(version);
        Assembler as;
        as.append(defineMaker()).append(makeInstance("o", cls("Array"), {str("a"), str("b")}));
        as.append(traceMember("o", "length"));
        as.getVar("o").push({integer(5), str("x")}).op(Code::SetMember);
        as.append(traceMember("o", "length"));
        as.getVar("o").push({integer(5)}).op(Code::Delete).op(Code::Pop);
        as.getVar("o").push({integer(5)}).op(Code::GetMember).trace();
        as.getVar("o").push({str("length"), integer(1)}).op(Code::SetMember);
        as.append(traceCall("o", "join"));
        as.getVar("o").getVar("Array").op(Code::InstanceOf).trace();
        EXPECT_EQ(f.run(as), QStringList({"a,b", "2", "6", "undefined", "a", "true"})) << version;
        f.machine.collectGarbage({f.host.rootClip});
        Assembler later;
        later.append(traceCall("o", "shift")).append(traceMember("o", "length"));
        later.append(traceCall("o", "shift")).append(traceMember("o", "length"));
        EXPECT_EQ(f.run(later), QStringList({"a", "0", "undefined", "0"})) << version;
    }
}

TEST(NativeParts, WrappersAnswerWithTheValueGivenToSuper) {
    for (int version : {6, 7, 8}) {
        Fixture f(version);
        Assembler as;
        as.append(defineMaker());
        as.append(makeInstance("b", cls("Boolean"), {boolean(true)}));
        as.push({str(""), integer(0)}).getVar("b").push({str("toString")});
        as.op(Code::CallMethod).op(Code::Add2).trace();
        as.append(makeInstance("n", cls("Number"), {integer(5)}));
        as.getVar("n").push({integer(1)}).op(Code::Add2).trace();
        as.append(makeInstance("s", cls("String"), {str("hey")}));
        as.append(traceMember("s", "length")).append(traceCall("s", "toUpperCase"));
        EXPECT_EQ(f.run(as), QStringList({"true", "true", "5", "6", "hey", "3", "HEY"})) << version;
    }
}

// A Date's state is replaced when its constructor runs again.
TEST(NativeParts, DateSubclassIsResetByASecondConstructor) {
    Fixture f(8);
    Assembler as;
    as.append(defineMaker()).append(makeInstance("d", cls("Date"), {integer(123456)}));
    as.append(traceCall("d", "getTime"));
    as.append(makeAgain("d", cls("Date"), Assembler().push({integer(5)})));
    as.append(traceCall("d", "getTime"));
    // A Date converts to its text, not its number, when added to a string.
    as.push({str("")}).getVar("d").op(Code::Add2);
    as.push({integer(0)}).getVar("d").push({str("toString")}).op(Code::CallMethod);
    as.op(Code::StrictEquals).trace();
    const QStringList out = f.run(as);
    ASSERT_EQ(out.size(), 4);
    EXPECT_EQ(out.mid(1), QStringList({"123456", "5", "true"}));
}

// A filter's parameters are set by the first constructor only; a second one still converts
// its arguments.
TEST(NativeParts, FilterConstructedTwiceKeepsItsFirstParameters) {
    Fixture f(8);
    Assembler valueOf;
    valueOf.push({str("valueOf called")}).trace().push({integer(3)}).op(Code::Return);
    Assembler as;
    as.append(defineMaker());
    as.append(makeInstance("b", filterClass("BlurFilter"), {integer(10), integer(20)}));
    as.append(traceMember("b", "blurX")).append(traceMember("b", "blurY"));
    as.push({str("noisy"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("noisy").push({str("valueOf")}).function("", {}, valueOf).op(Code::SetMember);
    as.append(makeAgain("b", filterClass("BlurFilter"), cls("noisy")));
    as.append(traceMember("b", "blurX")).append(traceMember("b", "blurY"));
    EXPECT_EQ(f.run(as),
              QStringList({"[object Object]", "10", "20", "valueOf called", "10", "20"}));
}

// What super() answers and whether the object keeps a part differ by class.
TEST(NativeParts, SuperAnswersPerClass) {
    Fixture f(8);
    Assembler as;
    as.append(defineMaker());
    as.append(makeInstance("x", cls("XML"), {str("<a><b /></a>")}));
    as.getVar("x").push({str("firstChild")}).op(Code::GetMember);
    as.push({str("nodeName")}).op(Code::GetMember).trace();
    as.append(makeInstance("fn", cls("Function"), {str("given")}));
    as.push({str(""), integer(0)}).getVar("fn").push({str("toString")});
    as.op(Code::CallMethod).op(Code::Add2).trace();
    as.append(makeInstance("nc", cls("NetConnection"), {}));
    as.append(traceMember("nc", "isConnected"));
    EXPECT_EQ(f.run(as),
              QStringList({"<a><b /></a>", "a", "given", "[object Object]", "undefined", "false"}));
}
