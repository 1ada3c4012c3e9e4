// External calls through the engine: the program's FLV player movie answers "playflv" and
// "stopflv" by playing and stopping its video clip, and a movie's ExternalInterface.call
// reaches the host and gets its answer back.
#include <gtest/gtest.h>

#include <QFile>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

struct AnsweringHost : test::FakeHost {
    std::vector<std::u16string> requests;
    std::vector<std::u16string> lines;
    std::u16string answer;
    std::u16string flashCall(std::u16string_view request) override {
        requests.emplace_back(request);
        return answer;
    }
    void trace(std::u16string_view line) override { lines.emplace_back(line); }
};

TEST(ExternalCalls, FlvPlayerMovieAnswersPlayAndStop) {
    QFile f(QStringLiteral(PENCORA_FLVPLAYBACK_PATH));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    test::EngineFixture e;
    ASSERT_TRUE(e.engine->loadMovie(
        0, std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
        u"flvplayback.swf", {}));
    e.engine->runFrame();
    e.engine->runFrame();
    EXPECT_FALSE(e.engine->isPlaying(u"flv"));
    EXPECT_EQ(e.engine->callFunction(u"<invoke name=\"playflv\" returntype=\"xml\"></invoke>"),
              u"<undefined/>");
    EXPECT_TRUE(e.engine->isPlaying(u"flv"));
    EXPECT_EQ(e.engine->callFunction(u"<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"),
              u"<undefined/>");
    EXPECT_FALSE(e.engine->isPlaying(u"flv"));
    EXPECT_FALSE(e.engine->callFunction(u"<invoke name=\"rewind\" returntype=\"xml\"></invoke>"))
        << "an unknown function has no answer";
}

TEST(ExternalCalls, CallReachesTheHostAndReturnsItsAnswer) {
    AnsweringHost host;
    host.answer = u"<string>from host</string>";
    auto engine = createSwfMovieEngine();
    engine->setHost(&host);
    // trace(ExternalInterface.call("ask", 7))
    Assembler code;
    code.push({integer(7), str("ask"), integer(2)}).getVar("ExternalInterface");
    code.push({str("call")}).op(Code::CallMethod).trace().op(Code::End);
    swfwrite::MovieBuilder b(8);
    b.doAction(code.bytes).showFrame();
    ASSERT_TRUE(engine->loadMovie(0, b.write(), u"ask.swf", {}));
    engine->runFrame();
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0],
              u"<invoke name=\"ask\" returntype=\"xml\"><arguments><number>7</number>"
              u"</arguments></invoke>");
    EXPECT_EQ(host.lines, std::vector<std::u16string>{u"from host"});
}

}  // namespace
}  // namespace pencora::runtime
