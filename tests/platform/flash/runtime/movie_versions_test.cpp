// Movies of different versions in one player: movies up to SWF 6 and movies from SWF 7 on see
// built-in classes and a _global of their own group, whichever movie loads which; functions keep
// their movie's group wherever they are called from; the clips of a movie take their class from
// its group; the keyboard, mouse and stage objects are one for all. SWF 5 code that calls a later
// movie's function by name, without an object, runs it on its own timeline.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

swf::Bytes twoFrames(uint8_t version, const Assembler& first, const Assembler& second) {
    return test::holderMovie(version, avm1::test::done(first), avm1::test::done(second));
}

// _level0.<name> = <the value `value` leaves on the stack>
Assembler storeOnLevel0(const std::string& name, const Assembler& value) {
    Assembler as;
    as.getVar("_level0").push({str(name)}).append(value);
    return as.op(Code::SetMember);
}

Assembler traceBoth(const Assembler& left, const Assembler& right, Code compare) {
    Assembler as;
    as.append(left).append(right).op(compare);
    return as.trace();
}

Assembler level0(const std::string& name) {
    Assembler as;
    as.getVar("_level0").push({str(name)});
    return as.op(Code::GetMember);
}

Assembler var(const std::string& name) {
    Assembler as;
    return as.getVar(name);
}

struct MovieVersions : testing::Test {
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine;

    // `parent` loads `kid` into its holder in frame 1 and runs `second` in frame 2.
    std::vector<std::string> run(uint8_t parent, const Assembler& second, uint8_t kid,
                                 const Assembler& kidCode) {
        engine = createSwfMovieEngine();
        engine->setHost(&host);
        host.lines.clear();
        host.fetches.clear();
        Assembler load;
        load.push({str("kid.swf"), str("holder")}).record(Code::GetURL2, {0x40});
        EXPECT_TRUE(engine->loadMovie(0, twoFrames(parent, load, second), u"main.swf", {}));
        engine->runFrame();
        EXPECT_EQ(host.fetches.size(), 1u);
        for (const auto& r : host.fetches) {
            engine->fetchCompleted(r.id, twoFrames(kid, kidCode, {}));
        }
        engine->runFrame();
        engine->runFrame();
        std::vector<std::string> lines;
        for (const auto& l : host.lines) {
            lines.push_back(QString::fromStdU16String(l).toStdString());
        }
        return lines;
    }
};

TEST_F(MovieVersions, EachGroupOfVersionsHasItsOwnGlobalAndClasses) {
    // What the loaded movie's own code sees, handed to its parent.
    Assembler kid = storeOnLevel0("kidGlobal", var("_global"));
    kid.append(storeOnLevel0("kidObject", var("Object")));
    kid.append(storeOnLevel0("kidClip", var("MovieClip")));
    Assembler array;
    array.push({integer(1), integer(1)}).op(Code::InitArray);
    kid.append(storeOnLevel0("kidArray", array));
    Assembler make;
    make.push({integer(0)}).op(Code::InitObject).op(Code::Return);
    Assembler maker;
    maker.function("", {}, make);
    kid.append(storeOnLevel0("kidMake", maker));

    Assembler check = traceBoth(level0("kidGlobal"), var("_global"), Code::StrictEquals);
    check.append(traceBoth(level0("kidObject"), var("Object"), Code::StrictEquals));
    check.append(traceBoth(level0("kidArray"), var("Array"), Code::InstanceOf));
    check.append(traceBoth(var("_root"), level0("kidClip"), Code::InstanceOf));
    // A function of the loaded movie makes its objects from its own movie's classes.
    Assembler made;
    made.push({integer(0)}).getVar("_level0").push({str("kidMake")}).op(Code::CallMethod);
    check.append(traceBoth(made, var("Object"), Code::InstanceOf));
    // A primitive the parent boxes finds the parent's String.prototype, not the kid's.
    Assembler proto;
    proto.append(level0("kidObject")).push({str("prototype")}).op(Code::GetMember);
    proto.push({str("shared"), str("kid")}).op(Code::SetMember);
    proto.push({str("text")}).push({str("shared")}).op(Code::GetMember).op(Code::TypeOf).trace();
    check.append(proto);

    for (uint8_t parent : {uint8_t(5), uint8_t(6), uint8_t(7), uint8_t(8), uint8_t(10)}) {
        for (uint8_t child : {uint8_t(5), uint8_t(6), uint8_t(7), uint8_t(9)}) {
            SCOPED_TRACE(testing::Message() << "SWF " << int(parent) << " loads " << int(child));
            const bool same = (parent <= 6) == (child <= 6);
            const std::string s = same ? "true" : "false";
            const std::string shared = same ? "string" : "undefined";
            // SWF 5 code has no _global: the name is an undefined variable there.
            const bool globalSame = same && (parent == 5) == (child == 5);
            const std::string g = globalSame ? "true" : "false";
            EXPECT_EQ(run(parent, check, child, kid),
                      (std::vector<std::string>{g, s, s, s, s, shared}));
        }
    }
}

TEST_F(MovieVersions, AMoviesClipsTakeTheClassesItsCodeExtends) {
    // The loaded movie extends its MovieClip class; its root sees that, its parent's may not.
    Assembler kid;
    kid.getVar("MovieClip").push({str("prototype")}).op(Code::GetMember);
    kid.push({str("greeting"), str("hello")}).op(Code::SetMember);
    kid.getVar("this").push({str("greeting")}).op(Code::GetMember).trace();
    Assembler parent;
    parent.getVar("_root").push({str("greeting")}).op(Code::GetMember).op(Code::TypeOf).trace();
    parent.getVar("holder").push({str("greeting")}).op(Code::GetMember).trace();

    EXPECT_EQ(run(8, parent, 6, kid), (std::vector<std::string>{"hello", "undefined", "hello"}))
        << "holder shows the SWF 6 movie: its clip is of that movie's class";
    EXPECT_EQ(run(6, parent, 8, kid), (std::vector<std::string>{"hello", "undefined", "hello"}));
    EXPECT_EQ(run(7, parent, 8, kid), (std::vector<std::string>{"hello", "string", "hello"}));
}

TEST_F(MovieVersions, KeyboardMouseAndStageAreOneForEveryMovie) {
    Assembler kid;
    for (const char* name : {"Key", "Mouse", "Stage", "Selection"}) {
        kid.append(storeOnLevel0(std::string("kid") + name, var(name)));
    }
    Assembler check;
    for (const char* name : {"Key", "Mouse", "Stage", "Selection"}) {
        check.append(traceBoth(level0(std::string("kid") + name), var(name), Code::StrictEquals));
    }
    EXPECT_EQ(run(8, check, 6, kid), (std::vector<std::string>(4, "true")));
    EXPECT_EQ(run(6, check, 8, kid), (std::vector<std::string>(4, "true")));
}

}  // namespace
}  // namespace pencora::runtime

namespace pencora::runtime {
namespace {

// f() traces whether this is a clip, _target, the timeline variable foo and typeof getDepth;
// obj's toString is f.
Assembler movieWithF(const std::string& foo) {
    Assembler body;
    body.getVar("this").op(Code::TypeOf).push({str("movieclip")}).op(Code::Equals2).trace();
    body.push({str(""), integer(11)}).op(Code::GetProperty).trace();
    body.getVar("foo").trace();
    body.getVar("getDepth").op(Code::TypeOf).trace();
    Assembler as;
    as.setVar("foo", str(foo)).function("f", {}, body);
    as.push({str("obj"), str("toString")}).getVar("f").push({integer(1)}).op(Code::InitObject);
    return as.op(Code::SetVariable);
}

}  // namespace

TEST_F(MovieVersions, FunctionsCalledByNameFromSwf5CodeRunOnTheCallersTimeline) {
    // The parent's g() calls the loaded movie's f through a local variable, then as a method,
    // then through obj's conversion to a string.
    Assembler g;
    g.push({str("h")}).getVar("holder").push({str("f")}).op(Code::GetMember);
    g.op(Code::DefineLocal).push({integer(0), str("h")}).op(Code::CallFunction).op(Code::Pop);
    g.push({integer(0)}).getVar("holder").push({str("f")}).op(Code::CallMethod).op(Code::Pop);
    g.getVar("holder").push({str("obj")}).op(Code::GetMember).op(Code::ToString).op(Code::Pop);
    Assembler second;
    second.setVar("foo", str("parent")).function("g", {}, g);
    second.push({integer(0), str("g")}).op(Code::CallFunction).op(Code::Pop);

    using Lines = std::vector<std::string>;
    const Lines onHolder{"true", "/holder", "kid", "function"};
    const Lines objOnHolder{"false", "/holder", "kid", "function"};
    for (uint8_t parent : {5, 6, 8}) {
        for (uint8_t kid : {6, 7, 8}) {
            SCOPED_TRACE(std::to_string(parent) + " calls " + std::to_string(kid));
            Lines lines = run(parent, second, kid, movieWithF("kid"));
            ASSERT_EQ(lines.size(), 12u);
            Lines byName(lines.begin(), lines.begin() + 4);
            if (parent == 5) {
                // No this; the parent's root, its variables and its version's MovieClip.
                EXPECT_EQ(byName, (Lines{"false", "/", "parent", "undefined"}));
            } else {
                EXPECT_EQ(Lines(byName.begin() + 1, byName.end()),
                          Lines(onHolder.begin() + 1, onHolder.end()));
            }
            EXPECT_EQ(Lines(lines.begin() + 4, lines.begin() + 8), onHolder);
            EXPECT_EQ(Lines(lines.begin() + 8, lines.end()), objOnHolder);
        }
    }
    // A SWF 5 function works on the target of SWF 5 code that calls it, keeping its own
    // variables; called from a later movie it works on its own clip.
    // Found in _global, shared by movies up to SWF 6, the function is no more the caller's
    // object than from a local variable.
    Assembler share = movieWithF("kid");
    share.getVar("_global").push({str("gf")}).getVar("f").op(Code::SetMember);
    Assembler viaGlobal;
    viaGlobal.setVar("foo", str("parent"));
    viaGlobal.push({integer(0), str("gf")}).op(Code::CallFunction).op(Code::Pop);
    EXPECT_EQ(run(5, viaGlobal, 6, share), (Lines{"false", "/", "parent", "undefined"}));
    const Lines global6 = run(6, viaGlobal, 6, share);
    ASSERT_EQ(global6.size(), 4u);
    EXPECT_EQ(Lines(global6.begin() + 1, global6.end()),
              Lines(onHolder.begin() + 1, onHolder.end()));
    Lines fromSwf5 = run(5, second, 5, movieWithF("kid"));
    ASSERT_EQ(fromSwf5.size(), 12u);
    EXPECT_EQ(Lines(fromSwf5.begin(), fromSwf5.begin() + 4),
              (Lines{"true", "/", "kid", "undefined"}));
    Lines fromSwf6 = run(6, second, 5, movieWithF("kid"));
    ASSERT_EQ(fromSwf6.size(), 12u);
    EXPECT_EQ(Lines(fromSwf6.begin() + 1, fromSwf6.begin() + 4),
              (Lines{"/holder", "kid", "undefined"}));
    EXPECT_EQ(Lines(fromSwf6.begin() + 8, fromSwf6.end()),
              (Lines{"false", "/holder", "kid", "undefined"}));
}

}  // namespace pencora::runtime
