// Movies of different versions in one player: movies up to SWF 6 and movies from SWF 7 on see
// built-in classes and a _global of their own group, whichever movie loads which; functions keep
// their movie's group wherever they are called from; the clips of a movie take their class from
// its group; the keyboard, mouse and stage objects are one for all.
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
    Assembler a = first;
    Assembler c = second;
    return test::holderMovie(version, a.op(Code::End).bytes, c.op(Code::End).bytes);
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
