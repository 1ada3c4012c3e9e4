// GetVariable and SetVariable remember where they found their name; one block run again and
// again, with the object, its properties and their flags changed between runs, must read and
// write exactly as a walk of the scope chain would.
#include <gtest/gtest.h>

#include "platform/flash/avm1/function_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// Runs one block again and again on a chosen timeline object.
struct Rerun {
    explicit Rerun(Fixture& fixture, const Assembler& as) : f(fixture), block(as.block()) {}
    QString on(Object* clip) {
        f.host.lines.clear();
        f.machine.runBlock(block, clip, f.version);
        return f.host.lines.join(u',');
    }
    Fixture& f;
    std::shared_ptr<const pencora::swf::ActionBlock> block;
};

Value gotten(Machine&, const Value&, std::vector<Value>&) {
    return Value("got");
}

// Stores what was assigned under "seen" of the object.
Value recordSet(Machine&, const Value& self, std::vector<Value>& args) {
    if (Object* o = self.object(); o && !args.empty()) {
        o->put("seen", args[0]);
    }
    return Value();
}

// A watch callback: the value assigned becomes "watched".
Value watcher(Machine&, const Value&, std::vector<Value>&) {
    return Value("watched");
}

Value valueOf(Fixture& f, Object* o, const char* name) {
    Property* p = o->find(QString::fromLatin1(name), f.version);
    return p ? p->value : Value();
}

}  // namespace

// x read twice per run: once by a Push joined to its GetVariable, once by a GetVariable alone.
TEST(VariableCache, ReadsFollowTheObjectAndItsProperty) {
    for (int version : {6, 7, 8}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        Object* root = f.host.rootClip;
        Assembler as;
        as.getVar("x").trace();
        as.push({str("x")}).op(Code::PushDuplicate).op(Code::Pop).op(Code::GetVariable).trace();
        Rerun r(f, as);
        root->put("x", Value(1));
        EXPECT_EQ(r.on(root), "1,1");
        f.machine.set(root, "x", Value(2));
        EXPECT_EQ(r.on(root), "2,2");
        // Deleted and added again behind another property: it has another place.
        root->remove("x", version);
        root->put("y", Value(0));
        root->put("x", Value(3));
        EXPECT_EQ(r.on(root), "3,3");
        // Another timeline runs the same block.
        Object* other = f.machine.makeObject();
        other->put("x", Value(4));
        EXPECT_EQ(r.on(other), "4,4");
        EXPECT_EQ(r.on(root), "3,3");
        // An object that only inherits x, made after the one it replaces was collected (it may
        // take its place in memory).
        f.machine.collectGarbage({root});
        Object* proto = f.machine.makeObject();
        proto->put("x", Value(5));
        Object* heir = f.machine.makeObject();
        heir->setProto(proto);
        heir->put("y", Value(0));
        EXPECT_EQ(r.on(heir), "5,5");
        // Hidden from the version, x is read further out, on _global.
        f.machine.global()->put("x", Value("global"));
        root->setFlags("x", kVersion10, 0, version);
        EXPECT_EQ(r.on(root), "global,global");
        root->setFlags("x", 0, kVersion10, version);
        EXPECT_EQ(r.on(root), "3,3");
        // A getter added since is called.
        root->find("x", version)->getter = f.machine.makeNative(gotten);
        EXPECT_EQ(r.on(root), "got,got");
        // Before SWF 7 a name of another case is the same variable.
        root->remove("x", version);
        root->put("X", Value(6));
        EXPECT_EQ(r.on(root), version < 7 ? "6,6" : "global,global");
    }
}

TEST(VariableCache, WritesKeepFlagsWatchesAndSetters) {
    for (int version : {6, 8}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        Object* root = f.host.rootClip;
        Assembler as;
        as.push({str("x")}).getVar("v").op(Code::SetVariable);
        Rerun r(f, as);
        auto runWith = [&](Object* clip, const Value& v) {
            clip->put("v", v);
            r.on(clip);
            return f.machine.toString(valueOf(f, clip, "x"));
        };
        root->put("x", Value(0));
        EXPECT_EQ(runWith(root, Value(1)), "1");
        EXPECT_EQ(runWith(root, Value(2)), "2");
        root->setFlags("x", kReadOnly, 0, version);
        EXPECT_EQ(runWith(root, Value(3)), "2");
        root->setFlags("x", 0, kReadOnly, version);
        EXPECT_EQ(runWith(root, Value(4)), "4");
        // A watch set since decides what is stored.
        Object::Watch watch;
        watch.callback = f.machine.makeNative(watcher);
        root->watches().insert("x", watch);
        EXPECT_EQ(runWith(root, Value(5)), "watched");
        root->watches().clear();
        // Hidden from the version, x is not found in the chain; the timeline gets it again,
        // visible.
        root->setFlags("x", kVersion10, 0, version);
        EXPECT_EQ(runWith(root, Value(6)), "6");
        // A setter added since is called, with the value kept behind the getter.
        Property* x = root->find("x", version);
        x->getter = f.machine.makeNative(gotten);
        x->setter = f.machine.makeNative(recordSet);
        runWith(root, Value(7));
        EXPECT_EQ(f.machine.toString(valueOf(f, root, "seen")), "7");
        // Another timeline gets its own x.
        Object* other = f.machine.makeObject();
        EXPECT_EQ(runWith(other, Value(8)), "8");
        EXPECT_EQ(f.machine.toString(valueOf(f, root, "seen")), "7");
    }
}

// The head of the chain changes within one run: each call has its own call object, and a `with`
// object holds x or leaves it to the chain behind it.
TEST(VariableCache, EachCallAndWithHasItsOwnHead) {
    Fixture f(8);
    Object* a = f.machine.makeObject();
    a->put("x", Value("a"));
    Object* b = f.machine.makeObject();
    b->put("x", Value("b"));
    Object* none = f.machine.makeObject();
    f.host.rootClip->put("a", Value(a));
    f.host.rootClip->put("b", Value(b));
    f.host.rootClip->put("none", Value(none));
    f.host.rootClip->put("x", Value("timeline"));
    Assembler local;
    local.push({str("x")}).getVar("p").op(Code::DefineLocal).getVar("x").trace();
    local.push({str("x"), str("changed")}).op(Code::SetVariable).getVar("x").trace();
    Assembler inWith;
    inWith.getVar("x").trace();
    Assembler withBody;
    withBody.getVar("p").with(inWith);
    Assembler as;
    as.function("local", {"p"}, local);
    as.function("within", {"p"}, withBody);
    for (const char* arg : {"1", "2"}) {
        as.push({str(arg), integer(1), str("local")}).op(Code::CallFunction).op(Code::Pop);
    }
    for (const char* o : {"a", "b", "none", "a"}) {
        as.getVar(o).push({integer(1), str("within")}).op(Code::CallFunction).op(Code::Pop);
    }
    as.getVar("x").trace();
    EXPECT_EQ(f.run(as),
              QStringList({"1", "changed", "2", "changed", "a", "b", "timeline", "a", "timeline"}));
}
