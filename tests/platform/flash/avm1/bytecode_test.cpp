// Byte code as assemblers and compilers other than the authoring tool write it: branches to
// anywhere, records the machine does not know, stacks that run dry, pools and registers used in
// ways the authoring tool never does.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// trace(text) as bytes, to hide inside the payload of another record.
std::vector<uint8_t> hiddenTrace(const std::string& text) {
    Assembler a;
    a.push({str(text)}).trace();
    return a.bytes;
}

}  // namespace

// A branch may land on the block's end, outside it (which ends the block) or in the middle of a
// record, whose bytes from there on are run as actions until they meet the records around them.
TEST(Bytecode, BranchesLandWhereverTheBytesReadAsActions) {
    {
        Assembler as;
        as.push({str("a")}).trace().branch(Code::Jump, 7).push({str("b")}).trace();
        as.push({str("c")}).trace();
        EXPECT_EQ(tracedIn(8, as), QStringList({"a", "c"})) << "to the start of the last record";
    }
    for (int16_t offset : {5, 200, -200}) {
        Assembler as;
        as.push({str("a")}).trace().branch(Code::Jump, offset).push({str("b")}).trace();
        EXPECT_EQ(tracedIn(8, as), QStringList({"a"})) << offset;
    }
    {
        // Jump over the header of an unknown record into its payload, which holds a trace; the
        // run of hidden records ends where the next real record begins.
        Assembler as;
        as.branch(Code::Jump, 3).record(Code(0xF0), hiddenTrace("hidden"));
        as.push({str("after")}).trace();
        EXPECT_EQ(tracedIn(8, as), QStringList({"hidden", "after"}));
        // Run straight through, the same bytes are one unknown record.
        Assembler plain;
        plain.record(Code(0xF0), hiddenTrace("hidden")).push({str("after")}).trace();
        EXPECT_EQ(tracedIn(8, plain), QStringList({"after"}));
    }
    {
        // The same inside a function body and a with body: the hidden records belong to them.
        Assembler body;
        body.branch(Code::Jump, 3).record(Code(0xF0), hiddenTrace("in f"));
        body.push({str("r")}).op(Code::Return);
        Assembler as;
        as.function("f", {}, body);
        as.push({integer(0), str("f")}).op(Code::CallFunction).trace();
        Assembler inWith;
        inWith.branch(Code::Jump, 3).record(Code(0xF0), hiddenTrace("in with"));
        inWith.getVar("x").trace();
        as.push({str("x"), integer(7), integer(1)}).op(Code::InitObject).with(inWith);
        EXPECT_EQ(tracedIn(8, as), QStringList({"in f", "r", "in with", "7"}));
    }
    {
        // A loop whose backward branch lands inside a Push: the bytes there are the hidden
        // trace, run on every pass.
        Assembler as;
        as.push({integer(0)}).storeRegister(1).op(Code::Pop);
        const size_t loopStart = as.bytes.size();
        as.record(Code(0xF0), hiddenTrace("pass"));
        as.push({reg(1)}).op(Code::Increment).storeRegister(1);
        as.push({integer(3)}).op(Code::Less2);
        const int16_t back = int16_t(int(loopStart) + 3 - int(as.bytes.size() + 5));
        as.branch(Code::If, back);
        as.push({reg(1)}).trace();
        EXPECT_EQ(tracedIn(8, as), QStringList({"pass", "pass", "3"}));
    }
}

// Codes without a step are skipped, by their length from 0x80 on; End stops the block wherever
// it stands, also inside a function, and a block may have no End at all.
TEST(Bytecode, UnknownCodesAreSkippedAndEndStopsWhereItStands) {
    Assembler body;
    body.push({str("in f")}).trace().op(Code::End).push({str("never")}).trace();
    Assembler as;
    as.push({str("a")}).trace();
    as.op(Code(0x3F)).record(Code(0xF0), {1, 2, 3}).op(Code(0x7F)).record(Code(0x80), {});
    as.record(Code(0x89), {1});  // strict mode, which this machine has no use for
    as.function("f", {}, body);
    as.push({integer(0), str("f")}).op(Code::CallFunction).trace();
    as.push({str("b")}).trace().op(Code::End).push({str("c")}).trace();
    EXPECT_EQ(tracedIn(8, as), QStringList({"a", "in f", "undefined", "b"}));
    EXPECT_EQ(tracedIn(5, as), QStringList({"a", "in f", "undefined", "b"}));
}

// Every action that pops more than the stack holds reads undefined for what is missing and the
// block goes on; counts larger than the stack take what there is.
TEST(Bytecode, AStackThatRunsDryReadsUndefined) {
    Assembler as;
    as.op(Code::Add2).trace();
    as.op(Code::StackSwap).trace().trace();
    as.op(Code::PushDuplicate).trace();
    as.push({str("k"), integer(1), integer(5)}).op(Code::InitObject).push({str("k")});
    as.op(Code::GetMember).trace();
    as.push({integer(1), integer(2), integer(9)}).op(Code::InitArray).push({str("length")});
    as.op(Code::GetMember).trace();
    for (Code c :
         {Code::CallMethod,      Code::NewObject,   Code::NewMethod,    Code::CallFunction,
          Code::Extends,         Code::CastOp,      Code::ImplementsOp, Code::InstanceOf,
          Code::Enumerate2,      Code::Enumerate,   Code::GetMember,    Code::SetMember,
          Code::Delete,          Code::Delete2,     Code::TargetPath,   Code::StringExtract,
          Code::MBStringExtract, Code::GetProperty, Code::SetProperty,  Code::CloneSprite,
          Code::StartDrag}) {
        as.op(c);
    }
    as.record(Code::GotoFrame2, {0}).record(Code::GetURL2, {0});
    as.push({str("after")}).trace();
    for (int version : {5, 6, 7}) {
        QStringList out = tracedIn(version, as);
        ASSERT_GE(out.size(), 7) << version;
        // undefined reads as 0 before SWF 7
        EXPECT_EQ(out.mid(0, 6), QStringList({version < 7 ? "0" : "NaN", "undefined", "undefined",
                                              "undefined", "1", "3"}))
            << version;
        EXPECT_EQ(out.last(), "after") << version;
    }
}

// A pool replaced halfway through a block serves the pushes after it; an index past the pool
// (one or two bytes wide) pushes undefined; a function keeps the pool it was defined under.
TEST(Bytecode, ConstantPoolsReplacedInTheMiddleOfABlock) {
    Assembler body;
    body.push({constant(0)}).trace();
    Assembler as;
    as.pool({"a", "b"}).push({constant(0)}).trace();
    as.function("f", {}, body);
    as.pool({"c"}).push({constant(0), constant(1)}).trace().trace();
    as.record(Code::Push, {9, 0, 0, 9, 1, 0}).trace().trace();
    as.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    EXPECT_EQ(tracedIn(8, as), QStringList({"a", "undefined", "c", "undefined", "c", "a"}));
}

// DefineFunction2 may use all 255 registers, take parameters in any of them, and register 0
// stays free; registers are the call's own, so a recursive call does not disturb its caller's.
TEST(Bytecode, Function2RegistersAreTheCallsOwnUpTo255) {
    Assembler body;
    // f(n): r254 = n; if (n > 0) f(n - 1); trace(r254)
    body.push({reg(254), integer(0)}).op(Code::Greater).op(Code::Not);
    Assembler recurse;
    recurse.push({reg(254), integer(1)}).op(Code::Subtract).push({integer(1), str("f")});
    recurse.op(Code::CallFunction).op(Code::Pop);
    body.branch(Code::If, int16_t(recurse.bytes.size())).append(recurse);
    body.push({reg(254), reg(0), reg(200)}).trace().trace().trace();
    Assembler as;
    as.function2("f", 255, 0, {{254, "n"}}, body);
    as.push({integer(2), integer(1), str("f")}).op(Code::CallFunction).op(Code::Pop);
    EXPECT_EQ(tracedIn(7, as), QStringList({"undefined", "undefined", "0", "undefined", "undefined",
                                            "1", "undefined", "undefined", "2"}));
}

// Whatever is thrown arrives in the catch as it was, in a register as well as in a variable.
TEST(Bytecode, EveryTypeIsThrownAndCaughtIntoARegister) {
    Assembler as;
    auto catchOne = [&](Operand v) {
        Assembler t;
        t.push({v}).op(Code::Throw);
        Assembler c;
        c.push({reg(2)}).op(Code::TypeOf).trace();
        std::vector<uint8_t> p = {
            uint8_t(1 | 4), uint8_t(t.bytes.size()), 0, uint8_t(c.bytes.size()), 0, 0, 0, 2};
        as.record(Code::Try, p).append(t).append(c);
    };
    catchOne(str("s"));
    catchOne(integer(1));
    catchOne(undef());
    catchOne(null());
    catchOne(boolean(true));
    EXPECT_EQ(tracedIn(7, as), QStringList({"string", "number", "undefined", "null", "boolean"}));
}

namespace {

// A host where one clip has the root as its parent.
class ParentHost : public TestHost {
  public:
    Object* resolveTarget(Object* base, const QString& path) override {
        return base == child && path == QStringLiteral("_parent") ? parent : nullptr;
    }
    Object* child = nullptr;
    Object* parent = nullptr;
};

}  // namespace

// _root, _parent and _global are preloaded in that order; a root has no parent and takes no
// register for it, so _global moves up into the one _parent would have had.
TEST(Bytecode, PreloadedParentTakesARegisterOnlyWhereThereIsOne) {
    ParentHost host;
    Machine machine(host, 8);
    host.rootClip = machine.makeObject();
    host.parent = machine.makeObject();
    host.child = machine.makeObject();
    machine.collectGarbage({host.rootClip, host.parent, host.child});
    machine.set(host.rootClip, QStringLiteral("name"), Value(QStringLiteral("root")));
    machine.set(host.parent, QStringLiteral("name"), Value(QStringLiteral("parent")));
    Assembler body;
    body.push({reg(1), str("name")}).op(Code::GetMember).trace();
    body.push({reg(2), str("name")}).op(Code::GetMember).trace();
    body.push({reg(2), str("Math")}).op(Code::GetMember).op(Code::TypeOf).trace();
    body.push({reg(3), str("Math")}).op(Code::GetMember).op(Code::TypeOf).trace();
    Assembler as;
    const uint16_t flags =
        pencora::swf::kPreloadRoot | pencora::swf::kPreloadParent | pencora::swf::kPreloadGlobal;
    as.function2("f", 4, flags, {}, body).push({integer(0), str("f")});
    as.op(Code::CallFunction).op(Code::Pop);
    machine.runBlock(as.block(), host.child, 8);
    EXPECT_EQ(host.lines, QStringList({"root", "parent", "undefined", "object"}));
    host.lines.clear();
    machine.runBlock(as.block(), host.rootClip, 8);
    EXPECT_EQ(host.lines, QStringList({"root", "undefined", "object", "undefined"}));
}

namespace {

// `levels` withs, one inside the other, each over a fresh object whose `d` is its level; the
// innermost body traces d, and each level traces "out" after its inner with.
Assembler nestedWiths(int levels) {
    Assembler body;
    body.getVar("d").trace();
    for (int level = levels; level >= 1; --level) {
        Assembler outer;
        outer.push({str("d"), integer(level), integer(1)}).op(Code::InitObject).with(body);
        outer.push({str("out")}).trace();
        body = outer;
    }
    return body;
}

}  // namespace

// A with opened inside as many others as the version allows (7 up to SWF 5, 15 from SWF 6)
// skips its body, as a with over no object does; the bodies around it go on. A function called
// inside them starts with none open.
TEST(Bytecode, WithNestsSevenDeepBeforeSwf6AndFifteenFromIt) {
    const QStringList sevenOuts(7, QStringLiteral("out"));
    EXPECT_EQ(tracedIn(5, nestedWiths(7)), QStringList({"7"}) + sevenOuts);
    EXPECT_EQ(tracedIn(5, nestedWiths(8)), QStringList(8, QStringLiteral("out")));
    EXPECT_EQ(tracedIn(6, nestedWiths(15)), QStringList({"15"}) + QStringList(15, "out"));
    EXPECT_EQ(tracedIn(9, nestedWiths(16)), QStringList(16, QStringLiteral("out")));

    Assembler inner = nestedWiths(7);
    Assembler call;
    call.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    Assembler as;
    as.function("f", {}, inner);
    as.append(nestedWiths(1));  // one level open
    Assembler wrapped;
    wrapped.push({integer(0)}).op(Code::InitObject).with(call);
    for (int i = 0; i < 6; ++i) {
        Assembler w;
        w.push({integer(0)}).op(Code::InitObject).with(wrapped);
        wrapped = w;
    }
    as.append(wrapped);
    EXPECT_EQ(tracedIn(5, as), QStringList({"1", "out", "7"}) + sevenOuts);
}

// Try and with bodies nest the loop on the C++ stack: bytes that open them without end (each
// region running to the block's end) stop the run as too deep a recursion does, and the machine
// runs the next block as usual.
TEST(Bytecode, RegionsOpenedWithoutEndStopTheRun) {
    Fixture f(8);
    Assembler tries;
    for (int i = 0; i < 100000; ++i) {
        tries.record(Code::Try, {0, 0xFF, 0xFF, 0, 0, 0, 0, 'e', 0});
    }
    tries.push({str("innermost")}).trace();
    RunResult r;
    EXPECT_EQ(f.run(tries, &r), QStringList());
    EXPECT_EQ(r.status, RunResult::Status::DepthLimit);

    // Withs stop opening at the version's limit, so these only skip the rest.
    Assembler withs;
    withs.push({integer(0)}).op(Code::InitObject);
    for (int i = 0; i < 100000; ++i) {
        withs.op(Code::PushDuplicate).record(Code::With, {0xFF, 0xFF});
    }
    withs.push({str("innermost")}).trace();
    EXPECT_EQ(f.run(withs, &r), QStringList());
    EXPECT_TRUE(r.ok());

    // A recursive function whose every call opens a few tries stops at one limit or the other.
    Assembler call;
    call.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    Assembler body = call;
    for (int i = 0; i < 4; ++i) {
        Assembler t;
        t.tryCatch(body, "e", nullptr, nullptr);
        body = t;
    }
    Assembler recursive;
    recursive.function("f", {}, body).append(call);
    f.run(recursive, &r);
    EXPECT_EQ(r.status, RunResult::Status::DepthLimit);

    Assembler after;
    after.push({str("next block")}).trace();
    EXPECT_EQ(f.run(after, &r), QStringList({"next block"}));
}

namespace {

// Reads through GetVariable the name a Push leaves on top, either right after the Push or with
// an unknown record between the two, which keeps the loop from running them as one step.
Assembler nameReads(bool apart) {
    auto read = [apart](Assembler& as) -> Assembler& {
        if (apart) {
            as.op(Code(0x2E));  // no action has this code
        }
        return as.op(Code::GetVariable);
    };
    Assembler as;
    as.setVar("x", str("ex")).setVar("y", str("why")).setVar("undefined", str("u"));
    as.push({str("under"), str("x")});
    read(as).trace().trace();
    as.pool({"y"}).push({constant(0)});
    read(as).trace();
    as.push({constant(7)});
    read(as).trace();
    as.push({integer(5), str("y")});
    read(as).op(Code::Add2).trace();
    return as;
}

}  // namespace

// A name pushed just before GetVariable reads as it does through the stack: under other items,
// from the pool or past its end, from every version; a branch may land on the read alone, and
// a with body that ends after the Push leaves the read to the code after the body.
TEST(Bytecode, ANamePushedJustBeforeItsReadReadsAsThroughTheStack) {
    for (int version : {5, 6, 7, 8}) {
        const QStringList together = tracedIn(version, nameReads(false));
        EXPECT_EQ(together, tracedIn(version, nameReads(true))) << version;
        ASSERT_EQ(together.size(), 5) << version;
        EXPECT_EQ(together.mid(0, 3), QStringList({"ex", "under", "why"})) << version;
        EXPECT_EQ(together[4], "5why") << version;
    }
    // Jump over the Push of "x" onto the read: the name is the "y" pushed before the jump.
    Assembler jump;
    jump.setVar("x", str("ex")).setVar("y", str("why"));
    jump.push({str("y")}).branch(Code::Jump, 6).push({str("x")}).op(Code::GetVariable).trace();
    EXPECT_EQ(tracedIn(8, jump), QStringList({"why"}));

    Assembler body;
    body.push({str("x")});
    Assembler with;
    with.setVar("x", str("timeline's"));
    with.push({str("x"), str("with object's"), integer(1)}).op(Code::InitObject).with(body);
    with.op(Code::GetVariable).trace();
    EXPECT_EQ(tracedIn(8, with), QStringList({"timeline's"}));
}

namespace {

// if (left < right), with Less2's result read by If straight away or through Not, or with an
// unknown record after each of them, which keeps the loop from running them as one step.
Assembler lessBranch(Operand left, Operand right, bool negated, bool apart) {
    Assembler taken;
    taken.push({str("taken")}).trace();
    Assembler fall;
    fall.push({str("not")}).trace().branch(Code::Jump, int16_t(taken.bytes.size()));
    Assembler as;
    as.push({left, right}).op(Code::Less2);
    if (apart) {
        as.op(Code(0x2E));
    }
    if (negated) {
        as.op(Code::Not);
        if (apart) {
            as.op(Code(0x2E));
        }
    }
    return as.branch(Code::If, int16_t(fall.bytes.size())).append(fall).append(taken);
}

}  // namespace

// A comparison read at once by If branches as it does through the stack, for numbers, NaN,
// strings, mixed and missing operands in every version; a branch onto the Not or the If
// alone reads whatever the stack holds there.
TEST(Bytecode, AComparisonReadAtOnceByIfBranchesAsThroughTheStack) {
    const std::vector<std::pair<Operand, Operand>> pairs = {
        {integer(1), integer(2)}, {integer(2), integer(1)}, {num(0.5), num(std::nan(""))},
        {str("a"), str("b")},     {str("10"), integer(9)},  {undef(), integer(1)},
        {null(), integer(0)},     {boolean(true), str("2")}};
    for (int version : {5, 6, 7, 8}) {
        for (bool negated : {false, true}) {
            Assembler together;
            Assembler apart;
            for (const auto& [left, right] : pairs) {
                together.append(lessBranch(left, right, negated, false));
                apart.append(lessBranch(left, right, negated, true));
            }
            const QStringList out = tracedIn(version, together);
            EXPECT_EQ(out, tracedIn(version, apart)) << version << negated;
            ASSERT_EQ(out.size(), int(pairs.size())) << version << negated;
            EXPECT_EQ(out[0], negated ? "not" : "taken") << version;
            EXPECT_EQ(out[1], negated ? "taken" : "not") << version;
            EXPECT_EQ(out[2], negated ? "taken" : "not") << version << " NaN";
        }
    }
    // Jump over Less2 onto the Not, and over Less2 and Not onto the If.
    Assembler skipped;
    skipped.push({str("not")}).trace();
    for (int16_t over : {1, 2}) {
        Assembler as;
        as.push({integer(1), integer(2), boolean(false)}).branch(Code::Jump, over);
        as.op(Code::Less2).op(Code::Not).branch(Code::If, int16_t(skipped.bytes.size()));
        as.append(skipped).push({str("end")}).trace();
        EXPECT_EQ(tracedIn(8, as), over == 1 ? QStringList({"end"}) : QStringList({"not", "end"}));
    }
}

// A record's length says where the next one starts, whatever its operands need: bytes to spare
// are skipped, and operands the length leaves out read as zero or empty (a value of Push cut
// short is left out) while the records after it run as usual.
TEST(Bytecode, RecordLengthsGovernWhereTheNextActionStarts) {
    Assembler as;
    // StoreRegister 1 with a Trace to spare; Jump with a byte to spare, over the push below.
    as.push({str("kept")}).record(Code::StoreRegister, {1, uint8_t(Code::Trace)});
    as.op(Code::Pop).push({reg(1)}).trace();
    Assembler skipped;
    skipped.push({str("skipped")}).trace();
    as.record(Code::Jump, {uint8_t(skipped.bytes.size()), 0, uint8_t(Code::Trace)});
    as.append(skipped);
    // Push whose last string has no end within the record: only the values before it.
    as.push({str("under")}).record(Code::Push, {7, 3, 0, 0, 0, 0, 'a', 'b'}).trace().trace();
    // StoreRegister without its register number stores into register 0.
    as.push({str("zero")}).record(Code::StoreRegister, {}).op(Code::Pop).push({reg(0)}).trace();
    // If without its offset branches to the next record either way.
    as.push({boolean(true)}).record(Code::If, {}).push({str("after if")}).trace();
    // With without its size opens an empty body.
    as.push({integer(0)}).op(Code::InitObject).record(Code::With, {}).push({str("end")}).trace();
    for (int version : {5, 6, 7, 8}) {
        EXPECT_EQ(tracedIn(version, as),
                  QStringList({"kept", "3", "under", "zero", "after if", "end"}))
            << version;
    }
    // A function whose header stops before its body size has an empty body.
    Assembler f;
    f.record(Code::DefineFunction, {'f', 0, 0, 0}).push({str("not the body")}).trace();
    f.push({integer(0), str("f")}).op(Code::CallFunction).trace();
    EXPECT_EQ(tracedIn(6, f), QStringList({"not the body", "undefined"}));
}
