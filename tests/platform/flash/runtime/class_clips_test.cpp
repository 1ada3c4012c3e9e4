// Class-built movies: super calls from methods and constructors that leave out `this`, through
// a chain of classes; and a clip's onLoad method, from its registered class, its init object
// or MovieClip.prototype, run once the clip is constructed and before its first enterFrame,
// after the script of the frame that placed it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::done;
using avm1::test::integer;
using avm1::test::reg;
using avm1::test::str;
using avm1::test::undef;
using Code = swf::ActionCode;
using testing::ElementsAre;

Assembler says(const std::string& text) {
    return std::move(Assembler().push({str(text)}).trace());
}

// _global[name] (or _global[name].prototype when `proto`) pushed.
Assembler global(const std::string& name, bool proto = false) {
    Assembler as;
    as.push({str("_global")}).op(Code::GetVariable).push({str(name)}).op(Code::GetMember);
    if (proto) {
        as.push({str("prototype")}).op(Code::GetMember);
    }
    return as;
}

// A function with `this` in r1 (DefineFunction2, this preloaded).
Assembler withThis(const Assembler& body) {
    Assembler as;
    as.function2("", 2, swf::kPreloadThis, {}, body);
    return as;
}

// The pattern classes are compiled to when a body names only super: super in r1, no this,
// no arguments.
constexpr uint16_t kOnlySuper = swf::kPreloadSuper | swf::kSuppressThis | swf::kSuppressArguments;

Assembler onlySuper(bool constructor, const std::string& method) {
    Assembler body;
    body.push({integer(0), reg(1)});
    if (constructor) {
        body.push({undef()});
    } else {
        body.push({str(method)});
    }
    body.op(Code::CallMethod).op(Code::Pop);
    Assembler as;
    as.function2("", 2, kOnlySuper, {}, body);
    return as;
}

// The same through the name `super` in a plain DefineFunction: super() or super.method().
Assembler namedSuper(bool constructor, const std::string& method) {
    Assembler body;
    if (constructor) {
        body.push({integer(0), str("super")}).op(Code::CallFunction).op(Code::Pop);
    } else {
        body.push({integer(0), str("super")})
            .op(Code::GetVariable)
            .push({str(method)})
            .op(Code::CallMethod)
            .op(Code::Pop);
    }
    Assembler as;
    as.function("", {}, body);
    return as;
}

Assembler defineGlobal(const std::string& name, const Assembler& fn) {
    Assembler as;
    as.push({str("_global")}).op(Code::GetVariable).push({str(name)}).append(fn);
    as.op(Code::SetMember);
    return as;
}

Assembler defineMethod(const std::string& cls, const std::string& name, const Assembler& fn) {
    Assembler as;
    as.append(global(cls, true)).push({str(name)}).append(fn).op(Code::SetMember);
    return as;
}

Assembler extend(const std::string& sub, const std::string& base) {
    Assembler as;
    as.append(global(sub)).append(global(base)).op(Code::Extends);
    return as;
}

// r1[name] = value, in a body with this in r1.
Assembler setOnThis(const std::string& name, const std::string& value) {
    Assembler as;
    as.push({reg(1), str(name), str(value)}).op(Code::SetMember);
    return as;
}

struct ClassClips : testing::Test {
    Player player;
    struct Traces : PlayerEvents {
        std::vector<std::string> lines;
        std::vector<std::function<void(std::optional<QByteArray>)>> answers;
        void trace(const QString& line) override { lines.push_back(line.toStdString()); }
        void fetch(const QString&, const QString&, const QByteArray&,
                   std::function<void(std::optional<QByteArray>)> done) override {
            answers.push_back(std::move(done));
        }
    } traces;
    ClassClips() {
        player.setActionRunner(std::make_unique<ScriptHost>(player));
        player.setEvents(&traces);
    }
    std::vector<std::string> play(const swfwrite::MovieBuilder& b, int frames) {
        player.load(0, test::share(b));
        for (int i = 0; i < frames; ++i) {
            player.runFrame();
        }
        return std::exchange(traces.lines, {});
    }
    std::vector<std::string> next() {
        player.runFrame();
        return std::exchange(traces.lines, {});
    }
};

// A <- B <- C, each level's constructor and method f handing on to the one above; A's set
// marks on the receiver. `cStyle` and `bStyle` choose how C and B reach super.
Assembler threeLevels(bool cNamesSuper, bool bNamesSuper) {
    auto level = [](bool named, bool ctor) {
        return named ? namedSuper(ctor, "f") : onlySuper(ctor, "f");
    };
    Assembler as;
    as.append(defineGlobal("A", withThis(setOnThis("made", "A"))));
    as.append(defineGlobal("B", level(bNamesSuper, true)));
    as.append(defineGlobal("C", level(cNamesSuper, true)));
    as.append(extend("B", "A")).append(extend("C", "B"));
    as.append(defineMethod("A", "f", withThis(setOnThis("hit", "A.f"))));
    as.append(defineMethod("B", "f", level(bNamesSuper, false)));
    as.append(defineMethod("C", "f", level(cNamesSuper, false)));
    // o = new C(); o.f(); trace(o.made); trace(o.hit)
    as.push({str("o"), integer(0)}).append(global("C")).push({undef()});
    as.op(Code::NewMethod).op(Code::SetVariable);
    as.push({integer(0), str("o")}).op(Code::GetVariable).push({str("f")});
    as.op(Code::CallMethod).op(Code::Pop);
    as.push({str("o")}).op(Code::GetVariable).push({str("made")}).op(Code::GetMember).trace();
    as.push({str("o")}).op(Code::GetVariable).push({str("hit")}).op(Code::GetMember).trace();
    return as;
}

TEST_F(ClassClips, SuperCallsKeepTheReceiverWhenThisIsLeftOut) {
    for (uint8_t version : {6, 7, 8, 10}) {
        for (bool cNamed : {false, true}) {
            for (bool bNamed : {false, true}) {
                swfwrite::MovieBuilder b(version);
                b.doAction(done(threeLevels(cNamed, bNamed))).showFrame();
                EXPECT_THAT(play(b, 1), ElementsAre("A", "A.f"))
                    << "SWF " << int(version) << ", C names super: " << cNamed
                    << ", B names super: " << bNamed;
            }
        }
    }
}

TEST_F(ClassClips, LeftOutThisStillReadsAsTheClipAndSuperStaysOutWhenSuppressed) {
    // A method with this suppressed reads `this` by name as its clip, not as the receiver;
    // one with super suppressed and preloaded gets nothing in the register.
    Assembler readThis;
    readThis.push({str("this")}).op(Code::GetVariable).push({integer(1)});
    readThis.push({str("String")}).op(Code::CallFunction).trace();
    Assembler readSuper;
    readSuper.push({reg(1)}).op(Code::TypeOf).trace();
    Assembler as;
    as.append(defineGlobal("A", withThis(Assembler())));
    as.append(defineGlobal("B", withThis(Assembler())));
    as.append(extend("B", "A"));
    as.append(defineMethod("A", "f", withThis(setOnThis("hit", "A.f"))));
    Assembler f;
    f.function2("", 2, swf::kSuppressThis, {}, readThis);
    as.append(defineMethod("B", "g", f));
    Assembler h;
    h.function2("", 2, swf::kPreloadSuper | swf::kSuppressSuper, {}, readSuper);
    as.append(defineMethod("B", "h", h));
    as.push({str("o"), integer(0)}).append(global("B")).push({undef()});
    as.op(Code::NewMethod).op(Code::SetVariable);
    for (const char* m : {"g", "h"}) {
        as.push({integer(0), str("o")}).op(Code::GetVariable).push({str(m)});
        as.op(Code::CallMethod).op(Code::Pop);
    }
    for (uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version);
        b.doAction(done(as)).showFrame();
        EXPECT_THAT(play(b, 1), ElementsAre("_level0", "undefined")) << int(version);
    }
}

// A one-frame sprite exported as "item", with `init` as its init actions.
uint16_t exportedSprite(swfwrite::MovieBuilder& b, const Assembler& init) {
    swfwrite::TimelineBuilder t;
    t.showFrame();
    const uint16_t id = b.define(t.sprite());
    b.tag(swf::ExportAssets{{{id, "item"}}});
    if (!init.bytes.empty()) {
        b.tag(swf::DoInitAction{id, done(init)});
    }
    return id;
}

// trace(text + this._name), in a body with this in r1.
Assembler saysWithName(const std::string& text) {
    Assembler as;
    as.push({str(text), reg(1), str("_name")}).op(Code::GetMember).op(Code::Add2).trace();
    return as;
}

// _global.Item, its constructor tracing "ctor <name> <ready>", registered for "item", with
// prototype.onLoad tracing "onLoad <name> <ready>" (ready comes from the init object).
Assembler registeredItem() {
    auto body = [](const std::string& what) {
        Assembler as;
        as.push({str(what), reg(1), str("_name")}).op(Code::GetMember).op(Code::Add2);
        as.push({str(" "), reg(1), str("ready")}).op(Code::GetMember).op(Code::Add2);
        as.op(Code::Add2).trace();
        return as;
    };
    Assembler as;
    as.append(defineGlobal("Item", withThis(body("ctor "))));
    as.append(defineMethod("Item", "onLoad", withThis(body("onLoad "))));
    as.append(global("Item")).push({str("item"), integer(2), str("Object")});
    as.op(Code::GetVariable).push({str("registerClass")}).op(Code::CallMethod).op(Code::Pop);
    return as;
}

// attachMovie("item", name, depth, {ready: "yes"}) on _root, with a trace after it.
Assembler attachItem(const std::string& name, int depth) {
    Assembler as;
    as.push({str("ready"), str("yes"), integer(1)}).op(Code::InitObject);
    as.push({integer(depth), str(name), str("item"), integer(4), str("_root")});
    as.op(Code::GetVariable).push({str("attachMovie")}).op(Code::CallMethod).op(Code::Pop);
    return as.append(says("attached " + name));
}

swf::PlaceObject placedItem(uint16_t id, uint16_t depth, const std::string& name) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.clipActions = {{swf::clip_event::Load, 0, done(says("clipEvent load " + name))},
                     {swf::clip_event::EnterFrame, 0, done(says("enterFrame " + name))}};
    p.allClipEvents = swf::clip_event::Load | swf::clip_event::EnterFrame;
    return p;
}

TEST_F(ClassClips, RegisteredClassOnLoadRunsAfterTheConstructorAndLoadEvent) {
    for (uint8_t version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t id = exportedSprite(b, registeredItem());
        b.place(placedItem(id, 1, "placed"));
        b.doAction(done(says("frame 1").append(attachItem("attached", 5)))).showFrame();
        b.doAction(done(says("frame 2").op(Code::Stop))).showFrame();
        // No init object for the timeline's clip: `ready` is undefined, "" before SWF 7. The
        // timeline's clip hears load once its frame's script has run.
        const std::string none = version < 7 ? "" : "undefined";
        EXPECT_THAT(play(b, 1), ElementsAre("ctor placed " + none, "frame 1", "ctor attached yes",
                                            "attached attached", "clipEvent load placed",
                                            "onLoad placed " + none, "onLoad attached yes"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre("enterFrame placed", "frame 2")) << int(version);
        EXPECT_THAT(next(), ElementsAre("enterFrame placed")) << "onLoad runs once";
    }
}

TEST_F(ClassClips, OnLoadFromTheInitObjectOrMovieClipPrototypeOfPlainClips) {
    // No class: one attached clip gets onLoad from its init object, a timeline clip inherits
    // MovieClip.prototype.onLoad (set before it is placed), and one without either gets none.
    Assembler setup;
    setup.push({str("MovieClip")}).op(Code::GetVariable).push({str("prototype")});
    setup.op(Code::GetMember).push({str("onLoad")});
    setup.append(withThis(saysWithName("inherited onLoad "))).op(Code::SetMember);
    Assembler attached;
    attached.push({str("onLoad")}).append(withThis(saysWithName("own onLoad ")));
    attached.push({integer(1)}).op(Code::InitObject);
    attached.push({integer(7), str("own"), str("item"), integer(4), str("_root")});
    attached.op(Code::GetVariable).push({str("attachMovie")}).op(Code::CallMethod).op(Code::Pop);
    attached.append(says("attached own")).op(Code::Stop);
    for (uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t id = exportedSprite(b, Assembler());
        b.doAction(done(setup)).showFrame();
        b.place(placedItem(id, 1, "plain"));
        b.doAction(done(attached)).showFrame();
        play(b, 1);
        EXPECT_THAT(next(), ElementsAre("attached own", "clipEvent load plain",
                                        "inherited onLoad plain", "own onLoad own"))
            << int(version);
    }
}

// A frame that places clips and then, in a script after them, makes what their load handlers
// read: the clips hear load after that script. The onLoad a clip has once constructed runs;
// one the script gives a clip it placed or attached comes too late and never runs.
TEST_F(ClassClips, PlacedClipsHearLoadAfterTheScriptOfTheirFrame) {
    // Item.prototype.onLoad and the load clip event trace _root.made as they find it.
    Assembler readsMade;
    readsMade.push({str("onLoad made "), str("_root")}).op(Code::GetVariable);
    readsMade.push({str("made")}).op(Code::GetMember).op(Code::Add2).trace();
    Assembler init;
    init.append(defineGlobal("Item", withThis(Assembler())));
    init.append(defineMethod("Item", "onLoad", withThis(readsMade)));
    init.append(global("Item")).push({str("item"), integer(2), str("Object")});
    init.op(Code::GetVariable).push({str("registerClass")}).op(Code::CallMethod).op(Code::Pop);
    // made = "yes"; plain.onLoad = late; attachMovie("plainItem", "attached", 5).onLoad = late
    Assembler late;
    late.function("", {}, says("late onLoad"));
    Assembler script;
    script.push({str("made"), str("yes")}).op(Code::SetVariable);
    script.push({str("plain")}).op(Code::GetVariable).push({str("onLoad")}).append(late);
    script.op(Code::SetMember);
    script.push({integer(5), str("attached"), str("plainItem"), integer(3), str("_root")});
    script.op(Code::GetVariable).push({str("attachMovie")}).op(Code::CallMethod);
    script.push({str("onLoad")}).append(late).op(Code::SetMember);
    script.append(says("frame 1")).op(Code::Stop);
    for (uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t id = exportedSprite(b, init);
        swfwrite::TimelineBuilder t;
        t.showFrame();
        const uint16_t plainId = b.define(t.sprite());
        b.tag(swf::ExportAssets{{{plainId, "plainItem"}}});
        swf::PlaceObject item = placedItem(id, 1, "item");
        item.clipActions = {{swf::clip_event::Load, 0, done(says("clipEvent load item"))}};
        item.allClipEvents = swf::clip_event::Load;
        b.place(item);
        swf::PlaceObject plain;
        plain.characterId = plainId;
        plain.depth = 2;
        plain.name = "plain";
        b.place(plain);
        b.doAction(done(script)).showFrame();
        EXPECT_THAT(play(b, 1), ElementsAre("frame 1", "clipEvent load item", "onLoad made yes"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre()) << int(version);
    }
}

// An exported sprite named `name` with nothing on its one frame, or `inside` at depth 1 as "p".
uint16_t namedSprite(swfwrite::MovieBuilder& b, const std::string& name,
                     std::optional<uint16_t> inside = std::nullopt) {
    swfwrite::TimelineBuilder t;
    if (inside) {
        swf::PlaceObject p;
        p.characterId = *inside;
        p.depth = 1;
        p.name = "p";
        t.place(p);
    }
    t.showFrame();
    const uint16_t id = b.define(t.sprite());
    b.tag(swf::ExportAssets{{{id, name}}});
    return id;
}

// The init object given to attachMovie is for the clip attached alone: the clips its first
// frame places inside it do not take it, even one with a class of its own (built first, as
// it is on that frame); and a constructor that attaches a clip with an init object of its
// own while the outer clip is being built leaves the outer one's alone.
TEST_F(ClassClips, TheInitObjectGoesToTheAttachedClipNotToWhatItHolds) {
    // _global.Part, a MovieClip: traces "ctor <name> <ready>", then attaches "leaf" as l with
    // {ready: "leaf"}.
    Assembler part;
    part.push({str("ctor "), reg(1), str("_name")}).op(Code::GetMember).op(Code::Add2);
    part.push({str(" "), reg(1), str("ready")}).op(Code::GetMember).op(Code::Add2);
    part.op(Code::Add2).trace();
    part.push({str("ready"), str("leaf"), integer(1)}).op(Code::InitObject);
    part.push({integer(1), str("l"), str("leaf"), integer(4), reg(1), str("attachMovie")});
    part.op(Code::CallMethod).op(Code::Pop);
    Assembler partClass;
    partClass.append(defineGlobal("Part", withThis(part))).append(extend("Part", "MovieClip"));
    partClass.append(global("Part")).push({str("part"), integer(2), str("Object")});
    partClass.op(Code::GetVariable).push({str("registerClass")}).op(Code::CallMethod);
    partClass.op(Code::Pop);
    // After attaching: trace(a.p.ready); trace(a.p.l.ready)
    Assembler after;
    after.push({str("a")}).op(Code::GetVariable).push({str("p")}).op(Code::GetMember);
    after.push({str("ready")}).op(Code::GetMember).trace();
    after.push({str("a")}).op(Code::GetVariable).push({str("p")}).op(Code::GetMember);
    after.push({str("l")}).op(Code::GetMember).push({str("ready")}).op(Code::GetMember).trace();
    for (uint8_t version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        namedSprite(b, "leaf");
        const uint16_t partId = namedSprite(b, "part");
        b.tag(swf::DoInitAction{partId, done(partClass)});
        const uint16_t item = namedSprite(b, "item", partId);
        b.tag(swf::DoInitAction{item, done(registeredItem())});
        b.doAction(done(attachItem("a", 5).append(after).op(Code::Stop))).showFrame();
        const std::string none = version < 7 ? "" : "undefined";
        const std::vector<std::string> lines = play(b, 1);
        EXPECT_THAT(lines, testing::Contains("ctor p " + none)) << int(version);
        EXPECT_THAT(lines, testing::Contains("ctor a yes")) << int(version);
        // What the frame traces once the clip is attached: p's ready, then l's.
        const auto at = std::find(lines.begin(), lines.end(), "attached a");
        ASSERT_GE(std::distance(at, lines.end()), 3) << int(version);
        EXPECT_THAT(std::vector<std::string>(at, at + 3),
                    ElementsAre("attached a", "undefined", "leaf"))
            << int(version);
    }
}

// Whether `lines` holds one starting with `prefix`.
bool saw(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

// Movies up to SWF 6 share one table of registered classes and movies of SWF 7 on another: a
// SWF 6 movie loaded into a SWF 6 one finds the classes the first registered for its own
// symbols and can take them back, a SWF 8 movie does neither.
TEST_F(ClassClips, ClassRegistrationsStayWithTheirKindOfMovie) {
    for (uint8_t childVersion : {6, 8}) {
        swfwrite::MovieBuilder b(6);
        exportedSprite(b, {});
        swfwrite::TimelineBuilder empty;
        empty.showFrame();
        swf::PlaceObject holder;
        holder.characterId = b.define(empty.sprite());
        holder.depth = 1;
        holder.name = "holder";
        Assembler load;
        load.push({str("child.swf"), str("holder")}).record(Code::GetURL2, {0x40});
        b.place(holder).doAction(done(registeredItem().append(load))).showFrame();
        b.showFrame();
        b.doAction(done(attachItem("late", 6).op(Code::Stop))).showFrame();

        swfwrite::MovieBuilder child(childVersion);
        exportedSprite(child, {});
        Assembler own;
        own.push({str("ready"), str("yes"), integer(1)}).op(Code::InitObject);
        own.push({integer(5), str("mine"), str("ITEM"), integer(4), str("this")});
        own.op(Code::GetVariable).push({str("attachMovie")}).op(Code::CallMethod).op(Code::Pop);
        own.push({avm1::test::null(), str("item"), integer(2), str("Object")});
        own.op(Code::GetVariable).push({str("registerClass")}).op(Code::CallMethod).op(Code::Pop);
        child.doAction(done(own.op(Code::Stop))).showFrame();

        play(b, 1);
        ASSERT_EQ(traces.answers.size(), 1u);
        const swf::Bytes bytes = child.write();
        traces.answers[0](
            QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
        const bool shared = childVersion <= 6;
        EXPECT_EQ(saw(next(), "ctor mine"), shared) << int(childVersion);
        EXPECT_EQ(saw(next(), "ctor late"), !shared) << int(childVersion);
        traces.answers.clear();
    }
}

// Before SWF 7 a symbol's name matches whatever its case, so a class registered under the name
// in another case replaces the first one; from SWF 7 it registers another name.
TEST_F(ClassClips, ARegistrationInAnotherCaseReplacesTheFirstBeforeSwf7) {
    for (uint8_t version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        exportedSprite(b, {});
        Assembler as;
        for (const auto& [cls, symbol] :
             {std::pair<std::string, std::string>{"First", "item"}, {"Second", "ITEM"}}) {
            as.append(defineGlobal(cls, withThis(says("ctor " + cls))));
            as.append(global(cls)).push({str(symbol), integer(2)});
            as.push({str("Object")}).op(Code::GetVariable).push({str("registerClass")});
            as.op(Code::CallMethod).op(Code::Pop);
        }
        b.doAction(done(as.append(attachItem("a", 5)).op(Code::Stop))).showFrame();
        EXPECT_THAT(play(b, 1),
                    ElementsAre(version < 7 ? "ctor Second" : "ctor First", "attached a"))
            << int(version);
    }
}

}  // namespace
}  // namespace pencora::runtime
