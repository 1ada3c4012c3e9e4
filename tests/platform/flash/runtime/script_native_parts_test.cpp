// Classes of the player extended by scripts: super() gives the instance the class's state, the
// class's methods work on it, and the events of that state reach the instance's own handlers.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

// function Sub() { super(args) }  Sub.prototype = {__proto__: Base.prototype,
// __constructor__: Base}; s = new Sub();
Assembler subclassInstance(const std::string& base,
                           std::initializer_list<avm1::test::Operand> args) {
    const uint16_t flags = swf::kPreloadThis | swf::kPreloadSuper;
    Assembler ctor;
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) {
        ctor.push({*it});
    }
    ctor.push({integer(int(args.size())), avm1::test::reg(2), avm1::test::undef()});
    ctor.op(Code::CallMethod).op(Code::Pop);
    Assembler as;
    as.push({str("Sub")}).function2("", 3, flags, {}, ctor).op(Code::SetVariable);
    as.getVar("Sub").push({str("prototype"), str("__proto__")}).getVar(base);
    as.push({str("prototype")}).op(Code::GetMember);
    as.push({str("__constructor__")}).getVar(base).push({integer(2)}).op(Code::InitObject);
    as.op(Code::SetMember);
    as.push({str("s"), integer(0), str("Sub")}).op(Code::NewObject).op(Code::SetVariable);
    return as;
}

std::vector<std::u16string> run(const Assembler& code, test::TraceHost& host) {
    swfwrite::MovieBuilder b(8);
    Assembler all = code;
    all.op(Code::End);
    b.doAction(all.bytes).showFrame();
    auto engine = createSwfMovieEngine();
    engine->setHost(&host);
    EXPECT_TRUE(engine->loadMovie(0, b.write(), u"main.swf", {}));
    engine->runFrame();
    for (size_t i = 0; i < host.fetches.size(); ++i) {
        engine->fetchCompleted(host.fetches[i].id, std::vector<uint8_t>(16, 0));
    }
    return host.lines;
}

}  // namespace

TEST(ScriptNativeParts, SoundSubclassPlaysItsPartAndHearsItsOwnOnLoad) {
    Assembler as = subclassInstance("Sound", {});
    Assembler onLoad;
    onLoad.push({str("mine loaded ")}).getVar("ok").op(Code::Add2).trace();
    as.getVar("Sub").push({str("prototype")}).op(Code::GetMember).push({str("onLoad")});
    as.function("", {"ok"}, onLoad).op(Code::SetMember);
    as.push({integer(40), integer(1)}).getVar("s").push({str("setVolume")});
    as.op(Code::CallMethod).op(Code::Pop);
    as.push({integer(0)}).getVar("s").push({str("getVolume")}).op(Code::CallMethod).trace();
    as.push({avm1::test::boolean(false), str("a.mp3"), integer(2)}).getVar("s");
    as.push({str("loadSound")}).op(Code::CallMethod).op(Code::Pop);
    test::TraceHost host;
    EXPECT_EQ(run(as, host), (std::vector<std::u16string>{u"40", u"mine loaded false"}));
}

TEST(ScriptNativeParts, TextFormatSubclassKeepsWhatSuperWasGiven) {
    Assembler as = subclassInstance("TextFormat", {str("Arial"), integer(12)});
    as.getVar("s").push({str("font")}).op(Code::GetMember).trace();
    as.getVar("s").push({str("size")}).op(Code::GetMember).trace();
    as.getVar("s").push({str("size"), integer(30)}).op(Code::SetMember);
    as.getVar("s").push({str("size")}).op(Code::GetMember).trace();
    test::TraceHost host;
    EXPECT_EQ(run(as, host), (std::vector<std::u16string>{u"Arial", u"12", u"30"}));
}

}  // namespace pencora::runtime
