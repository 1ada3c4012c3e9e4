// The interpreter: operators per version, variables and scopes, functions, exceptions,
// enumeration order and the limits that keep a movie's scripts from hanging the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/path_syntax.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// Pushes a, b, applies `op` and traces the result.
Assembler binary(Operand a, Operand b, Code op) {
    Assembler as;
    as.push({a, b}).op(op).trace();
    return as;
}

QString one(int version, Operand a, Operand b, Code op) {
    Fixture f(version);
    QStringList lines = f.run(binary(a, b, op));
    return lines.isEmpty() ? QStringLiteral("<nothing>") : lines.front();
}

}  // namespace

TEST(Operators, Add2ConcatenatesWhenEitherSideIsAString) {
    EXPECT_EQ(one(8, integer(1), integer(2), Code::Add2), "3");
    EXPECT_EQ(one(8, str("1"), integer(2), Code::Add2), "12");
    EXPECT_EQ(one(8, integer(1), str("2"), Code::Add2), "12");
    EXPECT_EQ(one(8, boolean(true), integer(1), Code::Add2), "2");
    EXPECT_EQ(one(8, undef(), integer(1), Code::Add2), "NaN");
    EXPECT_EQ(one(6, undef(), integer(1), Code::Add2), "1");  // undefined is 0 before 7
    EXPECT_EQ(one(6, str("a"), undef(), Code::Add2), "a");    // and "" in strings
    EXPECT_EQ(one(7, str("a"), undef(), Code::Add2), "aundefined");
    EXPECT_EQ(one(8, str("a"), null(), Code::Add2), "anull");
}

TEST(Operators, ComparisonsAndEqualityPerVersion) {
    struct Row {
        int version;
        Operand a, b;
        Code op;
        const char* result;
    };
    const Row rows[] = {
        {8, integer(1), integer(2), Code::Less2, "true"},
        {8, str("10"), str("9"), Code::Less2, "true"},  // two strings compare as text
        {8, str("10"), integer(9), Code::Less2, "false"},
        {8, num(std::nan("")), integer(1), Code::Less2, "undefined"},
        {8, integer(2), integer(1), Code::Greater, "true"},
        {8, str("1"), integer(1), Code::Equals2, "true"},
        {8, null(), undef(), Code::Equals2, "true"},
        {8, null(), integer(0), Code::Equals2, "false"},
        {8, boolean(true), str("1"), Code::Equals2, "true"},
        {8, num(std::nan("")), num(std::nan("")), Code::Equals2, "true"},
        {8, str("1"), integer(1), Code::StrictEquals, "false"},
        {8, num(std::nan("")), num(std::nan("")), Code::StrictEquals, "true"},
        // SWF 4: the old operators work on numbers and answer 1 or 0.
        {4, str("5"), integer(5), Code::Equals, "1"},
        {4, integer(3), integer(5), Code::Less, "1"},
        {4, integer(3), integer(0), Code::Divide, "#ERROR#"},
        {5, integer(3), integer(0), Code::Divide, "Infinity"},
        {8, integer(-1), integer(28), Code::BitURShift, "15"},
        {8, num(4294967296.0 + 5), integer(1), Code::BitAnd, "1"},
        {8, str("abc"), str("abd"), Code::StringLess, "true"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(one(r.version, r.a, r.b, r.op), r.result)
            << "op " << int(r.op) << " swf " << r.version;
    }
}

TEST(Variables, NamesIgnoreCaseBeforeSwf7) {
    for (int version : {6, 7}) {
        Fixture f(version);
        Assembler as;
        as.setVar("Foo", integer(1)).getVar("foo").trace();
        EXPECT_EQ(f.run(as).front(), version == 6 ? "1" : "undefined") << version;
    }
}

TEST(Variables, PathsReachMembersAndClips) {
    Fixture f;
    Assembler as;
    // o = {x: {y: 5}}; trace(o.x.y); trace(_root:o) via slash-colon; o.x.y = 6 through a path
    as.push({str("o"), str("x"), str("y"), integer(5), integer(1)})
        .op(Code::InitObject)
        .push({integer(1)})
        .op(Code::InitObject)
        .op(Code::SetVariable)
        .getVar("o.x.y")
        .trace()
        .push({str("o.x.y"), integer(6)})
        .op(Code::SetVariable)
        .getVar("o.x.y")
        .trace()
        .getVar("/:o")
        .push({str("x")})
        .op(Code::GetMember)
        .push({str("y")})
        .op(Code::GetMember)
        .trace();
    EXPECT_EQ(f.run(as), QStringList({"5", "6", "6"}));
}

// delete by name takes the same paths as reading: dots, the colon form and slash paths from
// the root; a path that leads nowhere deletes nothing. The same in SWF 5 and SWF 8.
TEST(Variables, DeleteByNameFollowsPaths) {
    for (int version : {5, 8}) {
        Fixture f(version);
        Assembler as;
        // o = {x: 1, y: 2, z: 3}; v = 4
        as.push({str("o"), str("x"), integer(1), str("y"), integer(2), str("z"), integer(3),
                 integer(3)})
            .op(Code::InitObject)
            .op(Code::SetVariable)
            .setVar("v", integer(4));
        for (const char* name : {"o.x", "o:y", "/:v", "nowhere.z", "o.x"}) {
            as.push({str(name)}).op(Code::Delete2).trace();
        }
        as.getVar("o.x").trace().getVar("o.y").trace().getVar("o.z").trace().getVar("v").trace();
        EXPECT_EQ(f.run(as), QStringList({"true", "true", "true", "false", "false", "undefined",
                                          "undefined", "3", "undefined"}))
            << "SWF " << version;
    }
}

TEST(Functions, ArgumentsLocalsAndTheTimeline) {
    Fixture f;
    // function add(a, b) { var t = a + b; g = t; return t; } trace(add(2, 3)); trace(g); trace(t)
    Assembler body;
    body.push({str("t"), str("a")})
        .op(Code::GetVariable)
        .getVar("b")
        .op(Code::Add2)
        .op(Code::DefineLocal)
        .push({str("g")})
        .getVar("t")
        .op(Code::SetVariable)
        .getVar("t")
        .op(Code::Return);
    Assembler as;
    as.function("add", {"a", "b"}, body)
        .push({integer(3), integer(2), integer(2), str("add")})
        .op(Code::CallFunction)
        .trace()
        .getVar("g")
        .trace()
        .getVar("t")
        .trace();
    EXPECT_EQ(f.run(as), QStringList({"5", "5", "undefined"}));
}

TEST(Functions, DefineFunction2PreloadsRegistersInOrder) {
    Fixture f;
    // Registers: 1 this, 2 arguments, 3 _root, 4 _global; param x in register 5.
    Assembler body;
    body.push({reg(2), str("length")})
        .op(Code::GetMember)
        .trace()
        .push({reg(5)})
        .trace()
        .push({reg(3), reg(1)})
        .op(Code::StrictEquals)
        .trace()
        .push({reg(4), str("Math")})
        .op(Code::GetMember)
        .push({null()})
        .op(Code::Equals2)
        .op(Code::Not)
        .trace();
    uint16_t flags = pencora::swf::kPreloadThis | pencora::swf::kPreloadArguments |
                     pencora::swf::kPreloadRoot | pencora::swf::kPreloadGlobal;
    Assembler as;
    as.function2("f", 6, flags, {{5, "x"}}, body)
        .push({str("b"), str("a"), integer(2), str("f")})
        .op(Code::CallFunction)
        .op(Code::Pop);
    EXPECT_EQ(f.run(as), QStringList({"2", "a", "true", "true"}));
}

TEST(Exceptions, CatchFinallyAndNesting) {
    Fixture f;
    Assembler t, c, fin;
    t.push({str("boom")}).op(Code::Throw).push({str("not reached")}).trace();
    c.getVar("e").trace();
    fin.push({str("finally")}).trace();
    Assembler as;
    as.tryCatch(t, "e", &c, &fin).push({str("after")}).trace();
    EXPECT_EQ(f.run(as), QStringList({"boom", "finally", "after"}));

    // A throw without a catch runs finally, then ends the run as uncaught.
    Assembler t2;
    t2.push({str("x")}).op(Code::Throw);
    Assembler as2;
    as2.tryCatch(t2, "", nullptr, &fin).push({str("not reached")}).trace();
    RunResult r;
    QStringList lines = f.run(as2, &r);
    EXPECT_EQ(r.status, RunResult::Status::Uncaught);
    EXPECT_EQ(lines.front(), "finally");
}

TEST(Exceptions, ReturnInsideTryRunsFinally) {
    Fixture f;
    Assembler t, fin, body;
    t.push({integer(1)}).op(Code::Return);
    fin.push({str("cleanup")}).trace();
    body.tryCatch(t, "", nullptr, &fin);
    Assembler as;
    as.function("f", {}, body).push({integer(0), str("f")}).op(Code::CallFunction).trace();
    EXPECT_EQ(f.run(as), QStringList({"cleanup", "1"}));
}

TEST(Enumeration, NewestFirst) {
    // InitObject stores its pairs last first, so {a, b} then c enumerates c, a, b.
    Fixture f;
    // o = {a:1, b:2}; o.c = 3; for (k in o) trace(k)
    Assembler loop;
    Assembler as;
    as.push({str("o"), str("a"), integer(1), str("b"), integer(2), integer(2)})
        .op(Code::InitObject)
        .op(Code::SetVariable)
        .getVar("o")
        .push({str("c"), integer(3)})
        .op(Code::SetMember)
        .getVar("o")
        .op(Code::Enumerate2);
    // loop: StoreRegister 0; push null; Equals2; If end; trace(r0); Jump loop
    Assembler tail;
    tail.push({reg(0)}).trace();
    Assembler head;
    head.storeRegister(0).push({null()}).op(Code::Equals2);
    int16_t tailSize = int16_t(tail.bytes.size() + 5);
    head.branch(Code::If, tailSize);
    as.append(head).append(tail);
    as.branch(Code::Jump, int16_t(-(int(head.bytes.size()) + tailSize)));
    EXPECT_EQ(f.run(as), QStringList({"c", "a", "b"}));
}

TEST(Scopes, WithPutsAnObjectFirst) {
    Fixture f;
    Assembler body;
    body.getVar("x").trace().setVar("x", integer(9));
    Assembler as;
    as.setVar("x", integer(1))
        .push({str("x"), integer(5), integer(1)})
        .op(Code::InitObject)
        .storeRegister(1)
        .with(body)
        .getVar("x")
        .trace()
        .push({reg(1), str("x")})
        .op(Code::GetMember)
        .trace();
    EXPECT_EQ(f.run(as), QStringList({"5", "1", "9"}));
}

TEST(Limits, LongLoopStopsAndTheMachineRunsOn) {
    Fixture f;
    ScriptLimits limits;
    limits.seconds = 0.2;
    f.machine.setLimits(limits);
    Assembler spin;
    spin.push({integer(1)}).op(Code::Pop).branch(Code::Jump, -14);
    RunResult r;
    f.run(spin, &r);
    EXPECT_EQ(r.status, RunResult::Status::TimeLimit);
    Assembler next;
    next.push({str("still here")}).trace();
    EXPECT_EQ(f.run(next, &r), QStringList({"still here"}));
    EXPECT_TRUE(r.ok());
}

TEST(Limits, AMachineToldToStopAfterTheTimeLimitRefusesRunsUntilResumed) {
    Fixture f;
    ScriptLimits limits;
    limits.seconds = 0.1;
    limits.stopScriptsAfterTimeLimit = true;
    f.machine.setLimits(limits);
    Assembler spin;
    spin.push({integer(1)}).op(Code::Pop).branch(Code::Jump, -14);
    RunResult r;
    f.run(spin, &r);
    EXPECT_EQ(r.status, RunResult::Status::TimeLimit);
    EXPECT_TRUE(f.machine.scriptsStopped());
    // Refused at once, the hanging script included.
    Assembler next;
    next.push({str("still here")}).trace();
    EXPECT_TRUE(f.run(next, &r).isEmpty());
    EXPECT_EQ(r.status, RunResult::Status::TimeLimit);
    const auto started = std::chrono::steady_clock::now();
    f.run(spin, &r);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
              0.05);
    f.machine.resumeScripts();
    EXPECT_EQ(f.run(next, &r), QStringList({"still here"}));
    EXPECT_TRUE(r.ok());
}

TEST(Limits, DeepRecursionStopsAtTheDepthLimit) {
    Fixture f;
    // function r(n) { trace is skipped; return r(n + 1) }  r(0)
    Assembler body;
    body.getVar("n")
        .op(Code::Increment)
        .push({integer(1), str("r")})
        .op(Code::CallFunction)
        .op(Code::Return);
    Assembler as;
    as.function("r", {"n"}, body).push({integer(0), integer(1), str("r")}).op(Code::CallFunction);
    RunResult r;
    f.run(as, &r);
    EXPECT_EQ(r.status, RunResult::Status::DepthLimit);
    // try/catch cannot swallow the limit.
    Assembler c;
    c.push({str("caught")}).trace();
    Assembler t;
    t.push({integer(0), integer(1), str("r")}).op(Code::CallFunction);
    Assembler guarded;
    guarded.tryCatch(t, "e", &c, nullptr);
    QStringList lines = f.run(guarded, &r);
    EXPECT_EQ(r.status, RunResult::Status::DepthLimit);
    EXPECT_TRUE(lines.isEmpty());
    Assembler next;
    next.push({str("ok")}).trace();
    EXPECT_EQ(f.run(next), QStringList({"ok"}));
}

TEST(Limits, MemoryCapStopsAGrowingScript) {
    Fixture f;
    ScriptLimits limits;
    limits.maxHeapBytes = size_t(4) << 20;
    limits.maxStringLength = size_t(1) << 20;
    f.machine.setLimits(limits);
    // s = "x"; loop: s = s + s  (doubles until the string cap)
    Assembler as;
    as.setVar("s", str("xxxxxxxx"));
    Assembler step;
    step.push({str("s")}).getVar("s").getVar("s").op(Code::Add2).op(Code::SetVariable);
    as.append(step).branch(Code::Jump, int16_t(-(int(step.bytes.size()) + 5)));
    RunResult r;
    f.run(as, &r);
    EXPECT_EQ(r.status, RunResult::Status::MemoryLimit);
    // A loop creating objects stops at the heap cap.
    Assembler objects;
    Assembler make;
    make.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    objects.append(make).branch(Code::Jump, int16_t(-(int(make.bytes.size()) + 5)));
    limits.seconds = 10;
    f.machine.setLimits(limits);
    f.run(objects, &r);
    EXPECT_EQ(r.status, RunResult::Status::MemoryLimit);
    // Garbage collection between runs gives the memory back.
    size_t before = f.machine.heap().bytes();
    f.machine.collectGarbage({f.host.rootClip});
    EXPECT_LT(f.machine.heap().bytes(), before / 2);
}

TEST(Exceptions, FinallyRunsOnceWhicheverWayTheBlockIsLeft) {
    Fixture f;
    auto callAndTrace = [](const Assembler& body) {
        Assembler as;
        as.function("f", {}, body).push({integer(0), str("f")}).op(Code::CallFunction).trace();
        return as;
    };
    Assembler fin;
    fin.push({str("finally")}).trace();
    Assembler throws;
    throws.push({str("boom")}).op(Code::Throw);
    Assembler returnsCaught;
    returnsCaught.getVar("e").op(Code::Return);
    {
        // return from the catch block
        Assembler body;
        body.tryCatch(throws, "e", &returnsCaught, &fin);
        EXPECT_EQ(f.run(callAndTrace(body)), QStringList({"finally", "boom"}));
    }
    {
        // return from an inner try: both finally blocks, inner first, each once
        Assembler ret, innerFin, inner, body;
        ret.push({integer(2)}).op(Code::Return);
        innerFin.push({str("inner")}).trace();
        inner.tryCatch(ret, "", nullptr, &innerFin);
        body.tryCatch(inner, "", nullptr, &fin);
        EXPECT_EQ(f.run(callAndTrace(body)), QStringList({"inner", "finally", "2"}));
    }
    {
        // a return in finally replaces the one in try
        Assembler ret, finRet, body;
        ret.push({integer(1)}).op(Code::Return);
        finRet.push({str("finally")}).trace().push({integer(3)}).op(Code::Return);
        body.tryCatch(ret, "", nullptr, &finRet);
        EXPECT_EQ(f.run(callAndTrace(body)), QStringList({"finally", "3"}));
    }
    {
        // an uncaught throw from the catch block still runs finally once
        Assembler rethrow, outerCatch, inner, body;
        rethrow.getVar("e").op(Code::Throw);
        inner.tryCatch(throws, "e", &rethrow, &fin);
        outerCatch.push({str("outer")}).trace();
        body.tryCatch(inner, "e", &outerCatch, nullptr);
        EXPECT_EQ(f.run(callAndTrace(body)), QStringList({"finally", "outer", "undefined"}));
    }
}

// The pool a block sets stays in force for later blocks that set none; a function reads the
// pool it was defined under wherever it is called from.
TEST(ConstantPools, ReachLaterBlocksAndStayWithTheirFunctions) {
    Fixture f;
    Assembler body;
    body.push({constant(0)}).trace();
    Assembler first;
    first.pool({"first", "f"}).push({constant(1)}).function("", {}, body).op(Code::SetVariable);
    EXPECT_TRUE(f.run(first).isEmpty());

    Assembler noPool;
    noPool.push({constant(0)}).trace();
    noPool.push({integer(0), constant(1)}).op(Code::CallFunction).op(Code::Pop);
    EXPECT_EQ(f.run(noPool), QStringList({"first", "first"}));

    Assembler second;
    second.pool({"second"}).push({constant(0)}).trace();
    second.push({integer(0), str("f")}).op(Code::CallFunction).op(Code::Pop);
    EXPECT_EQ(f.run(second), QStringList({"second", "first"}));
    // The new pool has no second entry: the call names no function.
    EXPECT_EQ(f.run(noPool), QStringList({"second"}));
}

// WaitForFrame2 asks the host about a whole frame number taken as a 32-bit integer and
// counted down in 32 bits; a fraction, NaN, an infinity or text names no frame to wait for.
TEST(Frames, WaitForFrame2AsksAboutWholeFramesIn32Bits) {
    struct FrameHost : TestHost {
        bool frameLoaded(Object*, int frame) override {
            asked << QString::number(frame);
            return frame < 10;
        }
        QStringList asked;
    };
    FrameHost host;
    Machine machine(host, 7);
    host.rootClip = machine.makeObject();
    machine.collectGarbage({host.rootClip});
    const Operand frames[] = {integer(10),       integer(11),       num(10.5),
                              num(2147483648.0), num(2147483649.0), num(-4294967295.0),
                              num(std::nan("")), str("abc"),        str("12")};
    Assembler as;
    for (const Operand& frame : frames) {
        as.push({frame}).record(Code::WaitForFrame2, {2}).push({str("loaded")}).trace();
        as.push({str("--")}).trace();
    }
    machine.runBlock(as.block(), host.rootClip, 7);
    EXPECT_EQ(host.asked, QStringList({"9", "10", "2147483647", "-2147483648", "0", "11"}));
    EXPECT_EQ(host.lines.join(QLatin1Char(' ')).toStdString(),
              "loaded -- -- loaded -- -- loaded -- loaded -- loaded -- loaded -- --");
}

// How SWF 4 code reads a target path: where it starts and the names it steps through.
TEST(Variables, Swf4TargetPathsReadSlashesOnly) {
    auto read = [](const char* path) -> std::string {
        const std::optional<Swf4Path> p = parseSwf4Path(QString::fromLatin1(path));
        if (!p) {
            return "none";
        }
        std::string out = p->start == Swf4Path::Start::Root    ? "root"
                          : p->start == Swf4Path::Start::Level ? "level" + std::to_string(p->level)
                                                               : "here";
        for (const PathStep& s : p->steps) {
            out += s.kind == PathStep::Kind::Parent ? " .." : " " + s.name.toStdString();
        }
        return out;
    };
    EXPECT_EQ(read(""), "here");
    EXPECT_EQ(read("/"), "root");
    EXPECT_EQ(read("/a/"), "root a");
    EXPECT_EQ(read("a/../b"), "here a .. b");
    EXPECT_EQ(read("_level2/a"), "level2 a");
    EXPECT_EQ(read("_flash0..:x"), "level0");  // the rest of a level's name is ignored
    EXPECT_EQ(read("_LEVEL1"), "level1");
    for (const char* nothing :
         {"//", "a//b", "/_level0", "a.b", "a:b", "_root", "this/a", "a/_parent"}) {
        EXPECT_EQ(read(nothing), "none") << nothing;
    }
}

// What a call answers outlives the collection that the call's own growth of the heap brings
// at its end, so the caller can still read it.
TEST(Collection, ACallsAnswerSurvivesTheCollectionItsGrowthBrings) {
    Fixture f(8);
    Machine& m = f.machine;
    Value grow(m.makeNative([](Machine& mm, const Value&, std::vector<Value>&) {
        for (int i = 0; i < 200000; ++i) {
            mm.makeObject();  // garbage enough to bring a collection at the end of the run
        }
        Object* answer = mm.makeObject();
        answer->put(QStringLiteral("kept"), Value(QStringLiteral("still here")));
        return Value(answer);
    }));
    RunResult r = m.callValue(grow, Value(), {}, 8);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(m.toString(m.getMember(r.value, "kept")), "still here");
}
