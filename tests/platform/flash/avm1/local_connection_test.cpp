// LocalConnection inside one player: channels, deferred delivery with the sender's status
// first, and the names a sender may not use.
#include <gtest/gtest.h>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// name = new LocalConnection()
Assembler make(const std::string& name) {
    Assembler as;
    as.push({str(name), integer(0), str("LocalConnection")}).op(Code::NewObject);
    return as.op(Code::SetVariable);
}

// trace(target.method(args...)) with args pushed last first.
Assembler callTraced(const std::string& target, const std::string& method,
                     std::initializer_list<Operand> argsLastFirst, int argc) {
    Assembler as;
    as.push(argsLastFirst).push({integer(argc)}).getVar(target).push({str(method)});
    return as.op(Code::CallMethod).trace();
}

}  // namespace

TEST(LocalConnection, DeliversAfterTheScriptsWithStatusFirst) {
    Fixture f;
    Assembler as;
    as.append(make("rx")).append(make("other")).append(make("tx"));
    // rx.hello = function (a) { trace("hello " + a); }
    as.getVar("rx").push({str("hello")});
    as.function("", {"a"}, Assembler().push({str("hello ")}).getVar("a").op(Code::Add2).trace());
    as.op(Code::SetMember);
    // tx.onStatus = function (s) { trace(s.level); }
    as.getVar("tx").push({str("onStatus")});
    as.function("", {"s"},
                Assembler().getVar("s").push({str("level")}).op(Code::GetMember).trace());
    as.op(Code::SetMember);
    as.append(callTraced("rx", "connect", {str("Chan")}, 1));
    as.append(callTraced("other", "connect", {str("chan")}, 1));  // taken, any case
    as.append(callTraced("other", "connect", {str("a:b")}, 1));   // no domains here
    as.append(callTraced("tx", "send", {str("x"), str("hello"), str("localhost:chan")}, 3));
    as.append(callTraced("tx", "send", {str("hello"), str("nobody")}, 2));
    as.append(callTraced("tx", "send", {str("close"), str("chan")}, 2));  // its own methods
    EXPECT_EQ(f.run(as), (QStringList{"true", "false", "false", "true", "true", "false"}));

    f.host.lines.clear();
    f.machine.runTimers();
    EXPECT_EQ(f.host.lines, (QStringList{"status", "hello x", "error"}));

    // Closed before the delivery: the sender hears of it and nothing is called.
    Assembler late;
    late.append(callTraced("tx", "send", {str("y"), str("hello"), str("chan")}, 3));
    late.push({integer(0)}).getVar("rx").push({str("close")}).op(Code::CallMethod).op(Code::Pop);
    EXPECT_EQ(f.run(late), QStringList{"true"});
    f.host.lines.clear();
    f.machine.runTimers();
    EXPECT_EQ(f.host.lines, QStringList{"error"});
}
