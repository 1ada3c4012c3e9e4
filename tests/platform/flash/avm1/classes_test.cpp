// Classes and the runtime seam: Extends, super, instanceof and interfaces; clip objects whose
// properties a binding answers; fetches through the host; collection between runs.
#include <gtest/gtest.h>

#include "platform/flash/avm1/clip_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

// function Name(args) { body } defined on _global via DefineFunction2 with this/super preloaded
// (r1 = this, r2 = super).
Assembler defineClass(const std::string& name, const Assembler& body) {
    uint16_t flags = pencora::swf::kPreloadThis | pencora::swf::kPreloadSuper;
    Assembler as;
    as.push({str("_global")}).op(Code::GetVariable).push({str(name)});
    as.function2("", 3, flags, {}, body).op(Code::SetMember);
    return as;
}

Assembler global(const std::string& name) {
    Assembler as;
    as.push({str("_global")}).op(Code::GetVariable).push({str(name)}).op(Code::GetMember);
    return as;
}

}  // namespace

TEST(Classes, ExtendsSuperAndInstanceOf) {
    Fixture f;
    Assembler baseBody;
    baseBody.push({str("Base ctor")}).trace();
    Assembler childBody;
    childBody.push({integer(0), reg(2), undef()}).op(Code::CallMethod).op(Code::Pop);
    childBody.push({str("Child ctor")}).trace();
    Assembler as;
    as.append(defineClass("Base", baseBody)).append(defineClass("Child", childBody));
    as.append(global("Child")).append(global("Base")).op(Code::Extends);
    // Base.prototype.hello = function () { trace("Base hello") }
    as.append(global("Base")).push({str("prototype")}).op(Code::GetMember).push({str("hello")});
    as.function("", {}, Assembler().push({str("Base hello")}).trace()).op(Code::SetMember);
    // c = new Child(); c.hello(); trace(c instanceof Base); trace(Base(cast c) == c)
    as.push({str("c"), integer(0), str("_global")})
        .op(Code::GetVariable)
        .push({str("Child")})
        .op(Code::NewMethod)
        .op(Code::SetVariable);
    as.push({integer(0)}).getVar("c").push({str("hello")}).op(Code::CallMethod).op(Code::Pop);
    as.getVar("c").append(global("Base")).op(Code::InstanceOf).trace();
    as.append(global("Base"))
        .getVar("c")
        .op(Code::CastOp)
        .getVar("c")
        .op(Code::StrictEquals)
        .trace();
    as.append(global("Child")).push({integer(0)}).op(Code::InitObject).op(Code::CastOp).trace();
    EXPECT_EQ(f.run(as),
              QStringList({"Base ctor", "Child ctor", "Base hello", "true", "true", "null"}));
}

// A String class of the movie's own, put in the built-in one's place, that says when it boxes.
Assembler noisyStringInPlaceOfString() {
    const uint16_t flags = pencora::swf::kPreloadThis | pencora::swf::kPreloadSuper;
    Assembler body;
    body.push({reg(3), integer(1), reg(2), undef()}).op(Code::CallMethod).op(Code::Pop);
    body.push({str("boxed "), reg(3)}).op(Code::Add2).trace();
    Assembler as;
    as.push({str("_global")}).op(Code::GetVariable).push({str("Noisy")});
    as.function2("", 4, flags, {{3, "v"}}, body).op(Code::SetMember);
    as.append(global("Noisy")).append(global("String")).op(Code::Extends);
    as.push({str("_global")}).op(Code::GetVariable).push({str("String")});
    as.append(global("Noisy")).op(Code::SetMember);
    return as;
}

TEST(Classes, InstanceOfReadsTheOwnStoredPrototypeAndBoxesPrimitiveOperands) {
    Fixture f;
    Assembler as;
    as.push({str("o"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    // A class whose prototype is a getter (never called) ...
    as.push({str("getterClass"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.push({null()}).function("", {}, Assembler().push({str("getter!")}).trace());
    as.push({str("prototype"), integer(3)}).getVar("getterClass").push({str("addProperty")});
    as.op(Code::CallMethod).op(Code::Pop);
    as.getVar("o").getVar("getterClass").op(Code::InstanceOf).trace();
    // ... one that only inherits a prototype ...
    as.push({str("inherits"), str("__proto__"), str("prototype")}).append(global("Object"));
    as.push({str("prototype")}).op(Code::GetMember).push({integer(1)}).op(Code::InitObject);
    as.push({integer(1)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("o").getVar("inherits").op(Code::InstanceOf).trace();
    // ... and one whose prototype is hidden from this version: instanceof still sees it.
    as.push({str("hidden"), str("prototype")}).append(global("Object"));
    as.push({str("prototype")}).op(Code::GetMember).push({integer(1)}).op(Code::InitObject);
    as.op(Code::SetVariable);
    as.push({integer(0x2000), str("prototype")}).getVar("hidden");
    as.push({integer(3), str("ASSetPropFlags")}).op(Code::CallFunction).op(Code::Pop);
    as.getVar("o").getVar("hidden").op(Code::InstanceOf).trace();

    // Primitive operands, with a String class of the movie's own in place.
    as.append(noisyStringInPlaceOfString());
    as.push({str("left"), str("right")}).op(Code::InstanceOf).trace();  // nothing boxed
    as.getVar("o").push({str("right")}).op(Code::InstanceOf).trace();   // the class boxed
    as.push({str("right"), str("left")}).op(Code::CastOp).trace();      // the value boxed
    as.append(global("Object")).getVar("o").op(Code::CastOp).op(Code::TypeOf).trace();
    // new Noisy("y"): the built-in constructor, reached through super(), boxes by itself.
    as.push({str("y"), integer(1), str("_global")}).op(Code::GetVariable);
    as.push({str("Noisy")}).op(Code::NewMethod).op(Code::Pop);
    EXPECT_EQ(f.run(as), QStringList({"false", "false", "true", "false", "boxed right", "false",
                                      "boxed left", "null", "object", "boxed y"}));
}

TEST(Classes, PrimitivesBoxThroughTheClassGlobalNamesOrHaveNoBoxAtAll) {
    Fixture f;
    Assembler as;
    as.append(noisyStringInPlaceOfString());
    // _global.__proto__ = holder, whose String getter gives Noisy; _global's own String goes.
    as.push({str("holder"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.push({null()});
    as.function("", {},
                Assembler().push({str("getter")}).trace().append(global("Noisy")).op(Code::Return));
    as.push({str("String"), integer(3)}).getVar("holder").push({str("addProperty")});
    as.op(Code::CallMethod).op(Code::Pop);
    as.push({str("_global")}).op(Code::GetVariable).push({str("__proto__")}).getVar("holder");
    as.op(Code::SetMember);
    as.push({str("_global")}).op(Code::GetVariable).push({str("String")}).op(Code::Delete);
    as.op(Code::Pop);
    as.push({str("ab"), str("length")}).op(Code::GetMember).trace();  // even length boxes
    as.push({integer(0), str("fn"), undef()}).op(Code::CallMethod).op(Code::Pop);

    // A Number that is no class leaves numbers without a box: members are undefined and a
    // function called on one runs on _global.
    as.push({str("_global")}).op(Code::GetVariable).push({str("Number"), integer(5)});
    as.op(Code::SetMember);
    as.push({integer(42), str("toString")}).op(Code::GetMember).op(Code::TypeOf).trace();
    as.push({integer(42), integer(1)});
    as.function("", {},
                Assembler()
                    .push({str("this")})
                    .op(Code::GetVariable)
                    .push({str("_global")})
                    .op(Code::GetVariable)
                    .op(Code::StrictEquals)
                    .op(Code::Return));
    as.push({str("call")}).op(Code::CallMethod).trace();

    // A class whose prototype is a primitive gives its instances that primitive as __proto__.
    as.append(defineClass("P", Assembler()));
    as.append(global("P")).push({str("prototype"), boolean(true)}).op(Code::SetMember);
    as.push({integer(0), str("_global")}).op(Code::GetVariable).push({str("P")});
    as.op(Code::NewMethod).push({str("__proto__")}).op(Code::GetMember).op(Code::TypeOf).trace();
    EXPECT_EQ(f.run(as), QStringList({"getter", "boxed ab", "2", "getter", "boxed fn", "undefined",
                                      "true", "boolean"}));
}

TEST(Classes, ImplementsOpMakesInstanceOfTrue) {
    Fixture f;
    Assembler as;
    as.append(defineClass("Shape", Assembler())).append(defineClass("Drawable", Assembler()));
    // Shape implements Drawable
    as.append(global("Drawable")).push({integer(1)}).append(global("Shape")).op(Code::ImplementsOp);
    as.push({str("s"), integer(0), str("_global")})
        .op(Code::GetVariable)
        .push({str("Shape")})
        .op(Code::NewMethod)
        .op(Code::SetVariable);
    as.getVar("s").append(global("Drawable")).op(Code::InstanceOf).trace();
    EXPECT_EQ(f.run(as), QStringList({"true"}));
}

namespace {

// ctor implements interfaces..., all names on _global.
Assembler implementsOp(const std::string& ctor, std::initializer_list<std::string> interfaces) {
    Assembler as;
    for (const std::string& i : interfaces) {
        as.append(global(i));
    }
    as.push({integer(int32_t(interfaces.size()))}).append(global(ctor)).op(Code::ImplementsOp);
    return as;
}

Assembler newGlobal(const std::string& var, const std::string& ctor) {
    Assembler as;
    as.push({str(var), integer(0), str("_global")}).op(Code::GetVariable).push({str(ctor)});
    return as.op(Code::NewMethod).op(Code::SetVariable);
}

Assembler instanceOfGlobal(const std::string& var, const std::string& ctor) {
    Assembler as;
    return as.getVar(var).append(global(ctor)).op(Code::InstanceOf).trace();
}

}  // namespace

TEST(Classes, ImplementsOpRecordsTheFirstListNamingInterfacesWithTheirPrototypesThen) {
    Fixture f;
    Assembler as;
    for (const char* name : {"Shape", "A", "B", "N", "Late", "Shape2"}) {
        as.append(defineClass(name, Assembler()));
    }
    as.append(implementsOp("Shape", {}));  // names nothing: does not count
    as.append(implementsOp("Shape", {"A", "NoSuchClass"}));
    as.append(implementsOp("Shape", {"B"}));  // too late: Shape has its interfaces
    as.append(implementsOp("A", {"N"}));      // interfaces of interfaces count too
    as.append(newGlobal("s", "Shape"));
    as.append(instanceOfGlobal("s", "A"))
        .append(instanceOfGlobal("s", "B"))
        .append(instanceOfGlobal("s", "N"));
    // A getter put on A.prototype is not asked: the prototype stored before it still counts.
    as.push({null()}).function("", {}, Assembler().push({str("getter!"), integer(0)}).trace());
    as.push({str("prototype"), integer(3)}).append(global("A")).push({str("addProperty")});
    as.op(Code::CallMethod).op(Code::Pop);
    as.append(instanceOfGlobal("s", "A"));
    // The interface's prototype is taken when ImplementsOp runs, not when instanceof does.
    as.append(implementsOp("Shape2", {"Late"}));
    as.append(global("Late")).push({str("prototype"), integer(0)}).op(Code::InitObject);
    as.op(Code::SetMember);
    as.append(newGlobal("s2", "Shape2")).append(instanceOfGlobal("s2", "Late"));
    EXPECT_EQ(f.run(as), QStringList({"true", "false", "true", "true", "false"}));
}

namespace {

// A clip whose _x and child "kid" the runtime answers.
class FakeClip : public ClipBinding {
  public:
    bool get(Machine&, const QString& name, Value& out) override {
        if (name == QLatin1String("_x")) {
            out = Value(x);
            return true;
        }
        if (name == QLatin1String("kid") && kid) {
            out = Value(kid);
            return true;
        }
        return false;
    }
    bool set(Machine& m, const QString& name, const Value& v) override {
        if (name == QLatin1String("_x")) {
            x = m.toNumber(v);
            return true;
        }
        return false;
    }
    void childNames(std::vector<QString>& out) override { out.push_back("kid"); }
    double x = 10;
    Object* kid = nullptr;
};

class ClipHost : public TestHost {
  public:
    QString targetPath(Object* clip, bool) override {
        return clip == rootClip ? QStringLiteral("_level0") : QStringLiteral("_level0.kid");
    }
};

}  // namespace

TEST(Seam, ClipBindingsAnswerBuiltInPropertiesAndChildren) {
    ClipHost host;
    Machine m(host, 8);
    FakeClip rootBinding, kidBinding;
    ClipObject* root = m.makeClip(nullptr, &rootBinding);
    ClipObject* kid = m.makeClip(nullptr, &kidBinding);
    rootBinding.kid = kid;
    host.rootClip = root;
    Assembler as;
    // trace(_x); _x = 25; trace(kid._x); myVar = 1 (a script variable kept in the object);
    // trace(kid) prints its path; typeof kid is movieclip; for..in lists the child.
    as.getVar("_x").trace().setVar("_x", integer(25)).getVar("kid._x").trace();
    as.setVar("myVar", integer(1)).getVar("kid").trace().getVar("kid").op(Code::TypeOf).trace();
    as.getVar("/kid:_x").trace();
    RunResult r = m.runBlock(as.block(), root, 8);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(host.lines, QStringList({"10", "10", "_level0.kid", "movieclip", "10"}));
    EXPECT_EQ(rootBinding.x, 25);
    EXPECT_EQ(m.toNumber(m.get(root, "myVar")), 1);
    std::vector<QString> names = m.enumerate(root);
    EXPECT_NE(std::find(names.begin(), names.end(), QString("kid")), names.end());
    // A detached clip keeps its variables and stops answering built-ins.
    root->detach();
    EXPECT_TRUE(m.get(root, "_x").isUndefined());
    EXPECT_EQ(m.toNumber(m.get(root, "myVar")), 1);
}

TEST(Seam, ClipsAreNeverAPrototypeInstanceOfMatchesAndStopBeingInstancesWhenRemoved) {
    ClipHost host;
    Machine m(host, 8);
    FakeClip binding;
    ClipObject* clip = m.makeClip(m.protos().object, &binding);
    Object* objectClass = m.get(m.global(), "Object").object();
    // A class whose prototype is the clip, and an object inheriting from the clip.
    Object* clipClass = m.makeObject();
    clipClass->put("prototype", Value(clip));
    Object* child = m.heap().make<Object>(clip);
    // A clip standing as a class whose prototype is Object.prototype.
    clip->put("prototype", Value(m.protos().object));
    Object* plain = m.makeObject();

    EXPECT_TRUE(m.instanceOf(Value(clip), objectClass));
    EXPECT_FALSE(m.instanceOf(Value(child), clipClass));
    EXPECT_TRUE(m.instanceOf(Value(plain), clip));
    clip->detach();
    EXPECT_FALSE(m.instanceOf(Value(clip), objectClass));
    EXPECT_FALSE(m.instanceOf(Value(plain), clip));
}

namespace {

class FetchHost : public TestHost {
  public:
    void fetch(FetchRequest r) override { pending.push_back(std::move(r)); }
    std::vector<FetchRequest> pending;
};

}  // namespace

TEST(Seam, LoadVarsFetchesThroughTheHostAndCallsOnLoad) {
    FetchHost host;
    Machine m(host, 8);
    Object* root = m.makeObject();
    host.rootClip = root;
    Assembler as;
    // lv = new LoadVars(); lv.onLoad = function (ok) { trace(ok); trace(this.name) }
    as.push({str("lv"), integer(0), str("LoadVars")}).op(Code::NewObject).op(Code::SetVariable);
    as.getVar("lv").push({str("onLoad")});
    as.function("", {"ok"},
                Assembler()
                    .getVar("ok")
                    .trace()
                    .push({str("this")})
                    .op(Code::GetVariable)
                    .push({str("name")})
                    .op(Code::GetMember)
                    .trace())
        .op(Code::SetMember);
    as.push({str("vars.txt"), integer(1)})
        .getVar("lv")
        .push({str("load")})
        .op(Code::CallMethod)
        .trace();
    m.runBlock(as.block(), root, 8);
    EXPECT_EQ(host.lines, QStringList({"true"}));
    ASSERT_EQ(host.pending.size(), 1u);
    EXPECT_EQ(host.pending[0].url, "vars.txt");
    // The loader is kept alive by the machine while the fetch is out.
    m.collectGarbage({});
    host.pending[0].done(true, "name=%E6%B1%89+x&n=2");
    EXPECT_EQ(host.lines, QStringList({"true", "true", "汉 x"}));
}

TEST(Heap, CollectionKeepsWhatIsReachableAndFreesCycles) {
    Fixture f;
    Assembler as;
    // kept = {}; kept.self = kept; lost = {}; lost.self = lost; delete lost
    as.push({str("kept"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    as.getVar("kept").push({str("self")}).getVar("kept").op(Code::SetMember);
    Assembler cycle;
    cycle.push({str("lost"), integer(0)}).op(Code::InitObject).op(Code::SetVariable);
    cycle.getVar("lost").push({str("self")}).getVar("lost").op(Code::SetMember);
    cycle.push({str("lost")}).op(Code::Delete2).op(Code::Pop);
    for (int i = 0; i < 200; ++i) {
        as.append(cycle);
    }
    f.run(as);
    size_t before = f.machine.heap().objectCount();
    f.machine.collectGarbage({f.host.rootClip});
    EXPECT_LE(f.machine.heap().objectCount() + 200, before);
    Assembler check;
    check.getVar("kept")
        .push({str("self")})
        .op(Code::GetMember)
        .getVar("kept")
        .op(Code::StrictEquals)
        .trace();
    EXPECT_EQ(f.run(check), QStringList({"true"}));
}
