// What a movie learns of where it came from and what it loads: the variables of the address
// it was loaded by, its security sandbox (each movie its own, not the first movie's), the
// bytes a clip counts as its own, and the code page loaded text is read in.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

using test::TracingHost;

struct MovieOrigin : testing::Test {
    TracingHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    MovieOrigin() { restart(); }

    // A fresh engine, so that cases of one test share nothing.
    void restart() {
        engine = createSwfMovieEngine();
        engine->setHost(&host);
        host.fetches.clear();
        host.lines.clear();
    }

    // A movie with an empty sprite "holder" at depth 1, `first` run in frame 1 and `second` in
    // frame 2.
    static swf::Bytes twoFrames(uint8_t version, const Assembler& first, const Assembler& second,
                                std::optional<uint32_t> fileAttributes = std::nullopt) {
        return test::holderMovie(version, avm1::test::done(first), avm1::test::done(second),
                                 fileAttributes);
    }

    void answerAll(const swf::Bytes& bytes) {
        auto fetches = std::move(host.fetches);
        host.fetches.clear();
        for (const auto& r : fetches) {
            engine->fetchCompleted(r.id, bytes);
        }
    }

    std::string variable(std::u16string_view path) {
        auto v = engine->getVariable(path);
        return v ? QString::fromStdU16String(*v).toStdString() : "<none>";
    }
};

Assembler loadInto(const std::string& url, const std::string& target) {
    Assembler as;
    as.push({str(url), str(target)});
    return as.record(Code::GetURL2, {target.starts_with("_level") ? uint8_t(0) : uint8_t(0x40)});
}

Assembler traceSandbox(const std::string& who) {
    Assembler as;
    as.push({str(who + " ")}).getVar("System").push({str("security")}).op(Code::GetMember);
    return as.push({str("sandboxType")}).op(Code::GetMember).op(Code::Add2).trace();
}

TEST_F(MovieOrigin, TheQueryOfALoadedMoviesAddressBecomesItsVariables) {
    for (uint8_t version : {uint8_t(6), uint8_t(8)}) {
        SCOPED_TRACE(version);
        restart();
        Assembler first = loadInto("kid.swf?a=1&b=x%20y+z&flag", "holder");
        first.append(loadInto("kid.swf?a=level", "_level1"));
        ASSERT_TRUE(engine->loadMovie(0, twoFrames(version, first, {}), u"main.swf", {}));
        engine->runFrame();
        ASSERT_EQ(host.fetches.size(), 2u);
        EXPECT_EQ(host.fetches[0].url, u"kid.swf?a=1&b=x%20y+z&flag");

        Assembler kid;
        kid.push({str("a is ")}).getVar("a").op(Code::Add2).trace();
        answerAll(twoFrames(version, kid, {}));
        engine->runFrame();
        std::sort(host.lines.begin(), host.lines.end());
        EXPECT_EQ(host.lines, (std::vector<std::string>{"a is 1", "a is level"}))
            << "the variables are there before the movie's first frame";
        EXPECT_EQ(variable(u"holder.b"), "x y z");
        EXPECT_EQ(variable(u"holder.flag"), "");
        EXPECT_EQ(variable(u"_level0.a"), "<none>") << "the loading movie gets none";
    }
}

TEST_F(MovieOrigin, EachMovieHasTheSandboxOfWhereItCameFrom) {
    struct Case {
        std::optional<uint32_t> attributes;
        const char* local;
    };
    for (const Case& c : {Case{std::nullopt, "localWithFile"}, Case{0x08, "localWithFile"},
                          Case{0x09, "localWithNetwork"}}) {
        SCOPED_TRACE(c.local);
        restart();
        Assembler first = traceSandbox("main");
        first.append(loadInto("http://example.com/kid.swf", "holder"));
        const swf::Bytes main = twoFrames(8, first, traceSandbox("main again"), c.attributes);
        ASSERT_TRUE(engine->loadMovie(0, main, u"file:///course/main.swf", {}));
        engine->runFrame();
        // The remote movie asks for no network and is remote all the same.
        answerAll(twoFrames(8, traceSandbox("kid"), {}, 0x08));
        engine->runFrame();
        std::sort(host.lines.begin() + 1, host.lines.end());
        EXPECT_EQ(host.lines,
                  (std::vector<std::string>{std::string("main ") + c.local, "kid remote",
                                            std::string("main again ") + c.local}));
    }
}

TEST_F(MovieOrigin, AClipCountsTheBytesOfItsOwnDefinition) {
    for (uint8_t version : {uint8_t(6), uint8_t(8)}) {
        SCOPED_TRACE(version);
        restart();
        Assembler first;
        for (const char* who : {"_root", "holder", "blank"}) {
            if (std::string(who) == "blank") {
                first.push({integer(5), str("blank"), integer(2), str("this")});
                first.op(Code::GetVariable).push({str("createEmptyMovieClip")});
                first.op(Code::CallMethod).op(Code::Pop);
            }
            for (const char* method : {"getBytesLoaded", "getBytesTotal"}) {
                first.push({integer(0)}).getVar(who).push({str(method)});
                first.op(Code::CallMethod).trace();
            }
        }
        const swf::Bytes main = twoFrames(version, first, {});
        ASSERT_TRUE(engine->loadMovie(0, main, u"main.swf", {}));
        engine->runFrame();
        const std::string whole = std::to_string(main.size());
        // The holder's tags: ShowFrame and End, two bytes each.
        EXPECT_EQ(host.lines, (std::vector<std::string>{whole, whole, "4", "4", "0", "0"}));
    }
}

// Loads text three ways: as variables into the holder, through LoadVars and through XML
// (each onData traces what arrived).
Assembler loadTextThreeWays() {
    Assembler as;
    as.push({str("vars.txt"), str("holder")}).record(Code::GetURL2, {0xC0});
    for (const char* cls : {"LoadVars", "XML"}) {
        Assembler onData;
        onData.push({str(std::string(cls) + " ")}).getVar("t").op(Code::Add2).trace();
        as.push({str("o"), integer(0), str(cls)}).op(Code::NewObject).op(Code::SetVariable);
        as.getVar("o").push({str("onData")}).function("", {"t"}, onData).op(Code::SetMember);
        as.push({str("data.txt"), integer(1)}).getVar("o").push({str("load")});
        as.op(Code::CallMethod).op(Code::Pop);
    }
    return as;
}

TEST_F(MovieOrigin, LoadedTextIsReadInTheCodePageOnlyWhenAskedAndNotUtf8) {
    const std::string gbk = "w=\xD6\xD0\xCE\xC4";  // 中文 in the Chinese code page
    const std::string utf8 = "w=\xE4\xB8\xAD\xE6\x96\x87";
    struct Case {
        bool useCodepage;
        std::string bytes;
        bool readsRight;
    };
    for (const Case& c : {Case{false, gbk, false}, Case{true, gbk, true}, Case{true, utf8, true},
                          Case{false, utf8, true}}) {
        SCOPED_TRACE(std::to_string(c.useCodepage) + " " + std::to_string(c.bytes == gbk));
        restart();
        Assembler first;
        first.getVar("System").push({str("useCodepage"), avm1::test::boolean(c.useCodepage)});
        first.op(Code::SetMember).append(loadTextThreeWays());
        ASSERT_TRUE(engine->loadMovie(0, twoFrames(8, first, {}), u"main.swf", {}));
        engine->runFrame();
        ASSERT_EQ(host.fetches.size(), 3u);
        answerAll(swf::Bytes(c.bytes.begin(), c.bytes.end()));
        const std::string expected = c.readsRight ? "w=中文" : "<garbled>";
        auto seen = [](const std::string& s) {
            return s.find("中文") != std::string::npos ? "w=中文" : "<garbled>";
        };
        EXPECT_EQ(seen("w=" + variable(u"holder.w")), expected);
        ASSERT_EQ(host.lines.size(), 2u);
        EXPECT_EQ(seen(host.lines[0]), expected);
        EXPECT_EQ(seen(host.lines[1]), expected);
    }
}

}  // namespace
}  // namespace pencora::runtime
