// Actions given what the authoring tool never gives them: calls by empty names and odd counts,
// members of what is no object, functions that leave their stack untidy, branches out of
// protected regions. Assemblers and other compilers write all of these.
#include <gtest/gtest.h>

#include <cmath>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

Assembler callByName(const std::string& name) {
    Assembler a;
    a.push({integer(0), str(name)}).op(Code::CallFunction);
    return a;
}

// Runs the for..in loop of the compilers over what Enumerate2 (or Enumerate, by name) makes of
// `target`, and traces how many names it met.
Assembler countEnumerated(Operand target, Code code = Code::Enumerate2) {
    Assembler body;
    body.push({reg(1)}).op(Code::Increment).storeRegister(1).op(Code::Pop);
    Assembler loop;
    loop.storeRegister(0).push({null()}).op(Code::Equals2);
    loop.branch(Code::If, int16_t(body.bytes.size() + 5)).append(body);
    loop.branch(Code::Jump, int16_t(-int(loop.bytes.size() + 5)));
    Assembler as;
    as.push({integer(0)}).storeRegister(1).op(Code::Pop);
    as.push({target}).op(code).append(loop).push({reg(1)}).trace();
    return as;
}

}  // namespace

// A function's stack is its own: what it leaves is dropped, Return takes only the top, and a
// body that pops more than it pushed reads undefined without reaching the caller's values.
// Return outside any function ends the block.
TEST(OddOperands, FunctionsKeepTheirStacksToThemselves) {
    Assembler leaves;
    leaves.push({integer(1), integer(2), integer(3)});
    Assembler returns;
    returns.push({str("x"), str("y"), str("r")}).op(Code::Return);
    Assembler overPops;
    overPops.op(Code::Pop).op(Code::Pop).trace();
    Assembler as;
    as.function("leaves", {}, leaves).function("returns", {}, returns);
    as.function("overPops", {}, overPops);
    as.push({str("a")}).append(callByName("leaves")).trace().trace();
    as.push({str("b")}).append(callByName("returns")).trace().trace();
    as.push({str("c")}).append(callByName("overPops")).op(Code::Pop).trace();
    as.push({str("last")}).op(Code::Return).push({str("never")}).trace();
    for (int version : {5, 6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as),
                  QStringList({"undefined", "a", "r", "b", "undefined", "c"}))
            << version;
    }
}

// CallMethod and NewMethod with an empty or undefined name call or construct the object
// itself; calling or constructing what is no function gives undefined; argument counts are
// whole numbers taken from the value (fractions dropped, below zero or NaN none, text read as
// a number), as are the counts of InitArray and InitObject.
TEST(OddOperands, CallsWithEmptyNamesAndOddCounts) {
    Assembler f;
    f.push({str("called")}).trace().push({str("ret")}).op(Code::Return);
    Assembler as;
    as.function("f", {}, f).setVar("five", integer(5));
    for (Operand name : {str(""), undef()}) {
        as.push({integer(0)}).getVar("f").push({name}).op(Code::CallMethod).trace();
        as.push({integer(0)}).getVar("f").push({name}).op(Code::NewMethod).op(Code::TypeOf);
        as.trace();
    }
    as.append(callByName("five")).trace().append(callByName("missing")).trace();
    as.push({integer(0), str("five")}).op(Code::NewObject).trace();
    as.push({integer(0), integer(5), str("missing")}).op(Code::NewMethod).trace();
    Assembler count;
    count.getVar("arguments").push({str("length")}).op(Code::GetMember).trace();
    as.function("count", {}, count);
    for (Operand n : {integer(-1), num(1.5), num(std::nan("")), str("2")}) {
        as.push({str("a1"), str("a2"), n, str("count")}).op(Code::CallFunction).op(Code::Pop);
        as.op(Code::Pop).op(Code::Pop);
        as.push({str("a1"), str("a2"), n}).op(Code::InitArray).push({str("length")});
        as.op(Code::GetMember).trace().op(Code::Pop).op(Code::Pop);
    }
    const QStringList expected = {"called",    "ret",       "called", "object",    "called",
                                  "ret",       "called",    "object", "undefined", "undefined",
                                  "undefined", "undefined",  // no functions
                                  "0",         "0",         "1",      "1",         "0",
                                  "0",         "2",         "2"};  // counts
    for (int version : {5, 6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as), expected) << version;
    }
}

// Members of undefined, null and numbers read undefined and take no writes; a string has its
// length; deleting what is not there answers false; for..in over what is no object meets no
// names, and over a name that holds nothing neither.
TEST(OddOperands, MembersAndNamesOfWhatIsNoObject) {
    Assembler as;
    as.push({undef(), str("x")}).op(Code::GetMember).trace();
    as.push({null(), str("x")}).op(Code::GetMember).trace();
    as.push({integer(5), str("x")}).op(Code::GetMember).trace();
    as.push({str("abc"), str("length")}).op(Code::GetMember).trace();
    as.push({undef(), str("x"), integer(1)}).op(Code::SetMember);
    as.push({null(), str("x"), integer(1)}).op(Code::SetMember);
    as.push({str("abc"), str("length"), integer(9)}).op(Code::SetMember);
    as.push({str("abc"), str("length")}).op(Code::GetMember).trace();
    as.push({str("missing")}).op(Code::Delete2).trace();
    as.push({integer(0)}).op(Code::InitObject).push({str("x")}).op(Code::Delete).trace();
    as.push({undef(), str("x")}).op(Code::Delete).trace();
    for (Operand target : {undef(), null(), str("abc"), integer(5), boolean(true)}) {
        as.append(countEnumerated(target));
    }
    as.append(countEnumerated(str("missing"), Code::Enumerate));
    const QStringList expected = {"undefined", "undefined", "undefined", "3", "3", "false", "false",
                                  "false",     "0",         "0",         "0", "0", "0",     "0"};
    for (int version : {5, 6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as), expected) << version;
    }
}

// Class operations on what is no class: instanceof answers false, a cast null, and extends
// or implements with a number or undefined leave the block running.
TEST(OddOperands, ClassOperationsWithWhatIsNoClass) {
    Assembler as;
    as.push({integer(0)}).op(Code::InitObject).push({integer(5)}).op(Code::InstanceOf).trace();
    as.push({integer(0)}).op(Code::InitObject).push({undef()}).op(Code::InstanceOf).trace();
    as.push({integer(5), integer(0)}).op(Code::InitObject).op(Code::CastOp).trace();
    as.push({undef(), undef()}).op(Code::CastOp).trace();
    as.push({integer(0)}).op(Code::InitObject).push({integer(5), integer(1)});
    as.op(Code::ImplementsOp);
    as.push({integer(5), integer(3)}).op(Code::Extends);
    as.push({integer(0)}).op(Code::InitObject).push({undef()}).op(Code::Extends);
    as.push({str("still running")}).trace();
    for (int version : {6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as),
                  QStringList({"false", "false", "null", "null", "still running"}))
            << version;
    }
}

// A branch out of a try body runs the finally before landing; a throw from a finally takes
// the place of what was being handled and reaches the handler around it.
TEST(OddOperands, BranchesAndThrowsLeavingProtectedRegions) {
    Assembler finally;
    finally.push({str("finally")}).trace();
    Assembler after;
    after.push({str("after")}).trace();
    Assembler body;
    body.push({str("in try")}).trace();
    body.branch(Code::Jump, int16_t(finally.bytes.size() + after.bytes.size()));
    Assembler jumpOut;
    jumpOut.tryCatch(body, "e", nullptr, &finally).append(after).push({str("landed")}).trace();
    EXPECT_EQ(tracedIn(7, jumpOut), QStringList({"in try", "finally", "landed"}));

    Assembler throws;
    throws.push({str("first")}).op(Code::Throw);
    Assembler caught;
    caught.getVar("e").trace();
    Assembler rethrows;
    rethrows.push({str("fin")}).trace().push({str("from finally")}).op(Code::Throw);
    Assembler inner;
    inner.tryCatch(throws, "e", &caught, &rethrows);
    Assembler outerCatch;
    outerCatch.getVar("e2").trace();
    Assembler as;
    as.tryCatch(inner, "e2", &outerCatch, nullptr).push({str("end")}).trace();
    for (int version : {7, 8}) {
        EXPECT_EQ(tracedIn(version, as), QStringList({"first", "fin", "from finally", "end"}))
            << version;
    }
}

// Outside functions there are four registers: a store past them is lost and a read gives
// undefined, as does a register never set. A plain function has four of its own, and a
// DefineFunction2 called inside another has its own registers, not its caller's.
TEST(OddOperands, RegistersOutsideAndInsideFunctions) {
    Assembler plain;
    plain.push({reg(1)}).trace().push({str("plain's")}).storeRegister(1).op(Code::Pop);
    Assembler inner;
    inner.push({reg(1)}).trace().push({str("inner's")}).storeRegister(1).op(Code::Pop);
    Assembler outer;
    outer.push({str("outer's")}).storeRegister(1).op(Code::Pop);
    outer.function2("inner", 2, 0, {}, inner).append(callByName("inner")).op(Code::Pop);
    outer.push({reg(1)}).trace();
    Assembler as;
    as.push({str("r3")}).storeRegister(3).storeRegister(4).storeRegister(255).op(Code::Pop);
    as.push({reg(3), reg(4), reg(255), reg(2)}).trace().trace().trace().trace();
    as.push({str("timeline's")}).storeRegister(1).op(Code::Pop);
    as.function("plain", {}, plain).append(callByName("plain")).op(Code::Pop);
    as.push({reg(1)}).trace();
    const QStringList registers = {"undefined", "undefined", "undefined",
                                   "r3",        "undefined", "timeline's"};
    for (int version : {5, 6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as), registers) << version;
    }
    Assembler nested;
    nested.function2("outer", 2, 0, {}, outer).append(callByName("outer")).op(Code::Pop);
    for (int version : {7, 8}) {
        EXPECT_EQ(tracedIn(version, nested), QStringList({"undefined", "outer's"})) << version;
    }
}
