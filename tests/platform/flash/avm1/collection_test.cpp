// What a collection keeps: what the host holds, in every collection including the one a run
// starts by itself; clip objects only while something reaches them; prepared blocks only
// while their blocks are held; the interfaces a class implements only while the class lives.
#include <gtest/gtest.h>

#include <memory>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/function_object.h"
#include "postfix.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// An object that tells when the heap frees it.
class Watched : public Object {
  public:
    explicit Watched(bool& gone) : gone_(gone) {}
    ~Watched() override { gone_ = true; }

  private:
    bool& gone_;
};

class HoldingHost : public TestHost {
  public:
    void addRoots(std::vector<Object*>& roots) override {
        TestHost::addRoots(roots);
        roots.insert(roots.end(), held.begin(), held.end());
    }
    std::vector<Object*> held;
};

class NoClip : public ClipBinding {
  public:
    bool get(Machine&, const QString&, Value&) override { return false; }
    bool set(Machine&, const QString&, const Value&) override { return false; }
};

// grow(): a native that grows the heap by far more than starts a collection at the end of a
// run, as a script making that much garbage would.
void defineGrow(Machine& m, Object* on) {
    m.set(on, QStringLiteral("grow"),
          Value(m.makeNative([](Machine& mm, const Value&, std::vector<Value>&) {
              mm.heap().charge(size_t(64) << 20);
              return Value();
          })));
}

}  // namespace

TEST(Collection, EveryCollectionKeepsWhatTheHostHoldsAndClipObjectsOnlyWhileReached) {
    for (int version : {5, 6, 8}) {
        SCOPED_TRACE(version);
        HoldingHost host;
        Machine m(host, version);
        host.rootClip = m.makeObject();
        bool heldGone = false, looseGone = false;
        host.held.push_back(m.heap().make<Watched>(heldGone));
        m.heap().make<Watched>(looseGone);
        NoClip binding;
        ClipObject* clip = m.makeClip(nullptr, &binding);
        clip->put(QStringLiteral("v"), Value(1));
        m.set(host.rootClip, QStringLiteral("c"), Value(clip));
        defineGrow(m, host.rootClip);
        // The run collects by itself once it is over: the host's object stays, the other goes.
        RunResult r = m.runBlock(postfix("grow/0 Pop").block(), host.rootClip, version);
        ASSERT_TRUE(r.ok());
        EXPECT_TRUE(looseGone) << "the run collected";
        EXPECT_FALSE(heldGone);
        // The clip object lives while a script variable reaches it, and goes after.
        m.collectGarbage();
        EXPECT_EQ(m.toNumber(m.get(m.get(host.rootClip, "c").object(), "v")), 1);
        const size_t withClip = m.heap().objectCount();
        m.set(host.rootClip, QStringLiteral("c"), Value());
        m.collectGarbage();
        EXPECT_EQ(m.heap().objectCount(), withClip - 1);
        host.held.clear();
        m.collectGarbage();
        EXPECT_TRUE(heldGone);
    }
}

TEST(Collection, PreparedBlocksGoWithTheirBlocksAndFunctionsKeepTheirCode) {
    for (int version : {5, 8}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        std::weak_ptr<const pencora::swf::ActionBlock> plain, defining;
        {
            auto a = postfix("'plain' Trace").block();
            Assembler def;
            def.function("kept", {}, postfix("'still runs' Trace"));
            auto b = def.block();
            plain = a;
            defining = b;
            f.machine.runBlock(a, f.host.rootClip, version);
            f.machine.runBlock(b, f.host.rootClip, version);
            // Run again while held: the prepared block is reused.
            f.machine.collectGarbage();
            f.host.lines.clear();
            f.machine.runBlock(a, f.host.rootClip, version);
            EXPECT_EQ(f.host.lines, QStringList{"plain"});
        }
        f.machine.collectGarbage();
        EXPECT_TRUE(plain.expired());
        EXPECT_FALSE(defining.expired()) << "the function defined there runs it";
        EXPECT_EQ(f.run(postfix("kept/0 Pop")), QStringList{"still runs"});
        f.run(postfix("'kept' Delete2 Pop"));
        f.machine.collectGarbage();
        EXPECT_TRUE(defining.expired());
    }
}

TEST(Collection, ImplementedInterfacesLiveAsLongAsTheirClass) {
    for (int version : {7, 8}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        // C = function () {}; I = function () {}; I.prototype is an object the test watches;
        // C implements I; o = new C.
        Assembler define;
        define.function("", {}, Assembler()).push({str("C")}).op(Code::StackSwap);
        define.op(Code::SetVariable);
        define.function("", {}, Assembler()).push({str("I")}).op(Code::StackSwap);
        define.op(Code::SetVariable);
        f.run(define);
        bool interfaceGone = false;
        Object* interfaceProto = f.machine.heap().make<Watched>(interfaceGone);
        f.machine.set(f.machine.get(f.host.rootClip, "I").object(), "prototype",
                      Value(interfaceProto));
        f.run(postfix("@I 1 @C ImplementsOp new:C/0 >o"));
        EXPECT_EQ(f.run(postfix("@o @I InstanceOf Trace")), QStringList{"true"});
        // With I gone, C's list alone keeps I's prototype: o is still an instance of a class
        // that shares it.
        f.run(postfix("'I' Delete2 Pop"));
        f.machine.collectGarbage();
        ASSERT_FALSE(interfaceGone);
        Assembler j;
        j.function("", {}, Assembler()).push({str("J")}).op(Code::StackSwap);
        j.op(Code::SetVariable);
        f.run(j);
        f.machine.set(f.machine.get(f.host.rootClip, "J").object(), "prototype",
                      Value(interfaceProto));
        EXPECT_EQ(f.run(postfix("@o @J InstanceOf Trace")), QStringList{"true"});
        // With the class and its instance gone, the list goes too.
        f.run(postfix("'C' Delete2 Pop 'o' Delete2 Pop 'J' Delete2 Pop"));
        f.machine.collectGarbage();
        EXPECT_TRUE(interfaceGone);
    }
}
