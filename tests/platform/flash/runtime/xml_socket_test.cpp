// XMLSocket in movies: connections leave through the engine host, whose test side plays the
// peer; what the peer sends reaches the movie's handlers a tick later, cut into messages at
// zero bytes, as text of the movie's version.
#include <gtest/gtest.h>

#include <map>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::null;
using avm1::test::str;
using Code = swf::ActionCode;

struct SocketHost : test::FakeHost {
    std::vector<std::string> lines;
    std::vector<flash::SocketRequest> opened;
    std::map<int, std::string> sent;  // bytes the movie sent, by connection
    std::vector<int> closed;
    void trace(std::u16string_view line) override {
        lines.push_back(QString::fromUtf16(line.data(), qsizetype(line.size())).toStdString());
    }
    void openSocket(const flash::SocketRequest& r) override { opened.push_back(r); }
    void sendSocket(int id, std::span<const std::uint8_t> bytes) override {
        sent[id].append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void closeSocket(int id) override { closed.push_back(id); }
};

// s.NAME = function (PARAM) { trace(LABEL + PARAM); }
Assembler handler(const std::string& socket, const std::string& name, const std::string& label,
                  const std::string& param = "v") {
    Assembler body;
    body.push({str(label)}).getVar(param).op(Code::Add2).trace();
    Assembler as;
    as.getVar(socket).push({str(name)}).function("", {param}, body).op(Code::SetMember);
    return as;
}

// VAR = new XMLSocket();
Assembler newSocket(const std::string& var) {
    Assembler as;
    as.push({str(var), integer(0), str("XMLSocket")}).op(Code::NewObject).op(Code::SetVariable);
    return as;
}

// trace(VAR.connect(HOST, PORT));
Assembler connect(const std::string& var, avm1::test::Operand host, avm1::test::Operand port) {
    Assembler as;
    as.push({port, host, integer(2)}).getVar(var).push({str("connect")});
    as.op(Code::CallMethod).trace();
    return as;
}

// VAR.METHOD(ARG);
Assembler call(const std::string& var, const std::string& method, avm1::test::Operand arg) {
    Assembler as;
    as.push({arg, integer(1)}).getVar(var).push({str(method)}).op(Code::CallMethod).op(Code::Pop);
    return as;
}

struct XmlSocketMovie : testing::Test {
    SocketHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    XmlSocketMovie() { engine->setHost(&host); }

    // Frame 1 runs `setup` and stops; frame 2 holds `later`, which runLater() runs.
    void load(const Assembler& setup, int version = 8, const Assembler& later = Assembler()) {
        swfwrite::MovieBuilder b{uint8_t(version)};
        Assembler first = setup;
        b.doAction(first.op(Code::Stop).op(Code::End).bytes).showFrame();
        Assembler second = later;
        b.doAction(second.op(Code::End).bytes).showFrame();
        const swf::Bytes bytes = b.write();
        ASSERT_TRUE(engine->loadMovie(0, bytes, u"test.swf", {}));
        tick();
    }
    void tick() {
        engine->runFrame();
        engine->advanceClock(1000.0 / 12);
    }
    void runLater() { ASSERT_TRUE(engine->callFrame(u"", 1)); }
    void receive(int id, const std::string& bytes) {
        engine->socketReceived(
            id, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    std::vector<std::string> takeLines() { return std::exchange(host.lines, {}); }
};

using Lines = std::vector<std::string>;

TEST_F(XmlSocketMovie, ConnectChecksItsArgumentsAndReportsTheOutcomeOnALaterTick) {
    Assembler setup = newSocket("s");
    setup.append(handler("s", "onConnect", "connect "));
    setup.append(connect("s", null(), integer(1023)));  // below 1024: refused at once
    setup.append(connect("s", str("example.org"), str("port")));
    setup.append(connect("s", null(), integer(1024)));  // the movie's own host
    setup.append(newSocket("t")).append(handler("t", "onConnect", "t connect "));
    setup.append(connect("t", str("example.org"), integer(5000)));
    load(setup);
    EXPECT_EQ(takeLines(), Lines({"false", "false", "true", "true"}));
    ASSERT_EQ(host.opened.size(), 2u);
    EXPECT_EQ(host.opened[0].host, u"localhost");  // test.swf came from no host
    EXPECT_EQ(host.opened[0].port, 1024);
    EXPECT_EQ(host.opened[1].host, u"example.org");

    // The reports run the handlers on the next tick, not inside the engine call.
    engine->socketConnected(host.opened[0].id, true);
    engine->socketConnected(host.opened[1].id, false);
    EXPECT_TRUE(host.lines.empty());
    tick();
    EXPECT_EQ(takeLines(), Lines({"connect true", "t connect false"}));
    // A failed connection is over: what its host still says is not heard.
    receive(host.opened[1].id, std::string("late\0", 5));
    tick();
    EXPECT_TRUE(host.lines.empty());
}

TEST_F(XmlSocketMovie, SendsTextWithAZeroByteOnlyWhileConnected) {
    Assembler setup = newSocket("s");
    setup.append(call("s", "send", str("too early")));
    setup.append(connect("s", str("example.org"), integer(2000)));
    setup.append(call("s", "send", str("still connecting")));
    Assembler later;
    later.append(call("s", "send", str("plain")));
    later.push({str("<a b=\"1\"/>"), integer(1), str("XML")}).op(Code::NewObject);
    later.storeRegister(0).op(Code::Pop);
    later.append(call("s", "send", avm1::test::reg(0)));
    later.append(call("s", "send", integer(7)));
    load(setup, 8, later);
    ASSERT_EQ(host.opened.size(), 1u);
    const int id = host.opened[0].id;
    EXPECT_TRUE(host.sent.empty());
    engine->socketConnected(id, true);
    tick();
    runLater();
    EXPECT_EQ(host.sent[id], std::string("plain\0", 6) + std::string("<a b=\"1\" />\0", 12) +
                                 std::string("7\0", 2));
}

TEST_F(XmlSocketMovie, MessagesAreCutAtZeroBytesWhereverThePacketsEnd) {
    Assembler setup = newSocket("s");
    setup.append(handler("s", "onData", "data:"));
    setup.append(connect("s", str("example.org"), integer(2000)));
    load(setup);
    EXPECT_EQ(takeLines(), Lines({"true"}));
    const int id = host.opened[0].id;
    engine->socketConnected(id, true);
    for (const std::string& packet :
         {std::string("\0First\0", 7), std::string("Hello"), std::string("World!"),
          std::string("\0", 1), std::string("One\0Two\0Thr", 11), std::string("ee\0\0", 4),
          std::string("unfinished")}) {
        receive(id, packet);
    }
    tick();
    EXPECT_EQ(takeLines(), Lines({"data:", "data:First", "data:HelloWorld!", "data:One", "data:Two",
                                  "data:Three", "data:"}));
}

TEST_F(XmlSocketMovie, DefaultOnDataParsesEachMessageForOnXml) {
    // onXML traces the document and how many children its first element has.
    Assembler body;
    body.getVar("doc").trace();
    body.getVar("doc").push({str("firstChild")}).op(Code::GetMember);
    body.push({str("childNodes")}).op(Code::GetMember).push({str("length")}).op(Code::GetMember);
    body.trace();
    Assembler setup = newSocket("s");
    setup.getVar("s").push({str("onXML")}).function("", {"doc"}, body).op(Code::SetMember);
    setup.append(connect("s", str("example.org"), integer(2000)));
    // Switched on for every document after the first message has been read.
    Assembler later;
    later.getVar("XML").push({str("prototype")}).op(Code::GetMember);
    later.push({str("ignoreWhite"), avm1::test::boolean(true)}).op(Code::SetMember);
    load(setup, 8, later);
    EXPECT_EQ(takeLines(), Lines({"true"}));
    const int id = host.opened[0].id;
    engine->socketConnected(id, true);
    const std::string message("<r> <i/> </r>\0", 14);
    receive(id, message);
    tick();
    EXPECT_EQ(takeLines(), Lines({"<r> <i /> </r>", "3"}));
    runLater();
    receive(id, message);
    tick();
    EXPECT_EQ(takeLines(), Lines({"<r><i /></r>", "1"}));
}

TEST_F(XmlSocketMovie, OnCloseHearsThePeerButNotTheMoviesOwnClose) {
    Assembler setup = newSocket("s");
    setup.append(handler("s", "onClose", "closed", "none"));
    setup.append(handler("s", "onData", "data:"));
    setup.append(connect("s", str("example.org"), integer(2000)));
    setup.append(newSocket("t")).append(handler("t", "onClose", "t closed", "none"));
    setup.append(connect("t", str("example.org"), integer(2001)));
    Assembler later;
    later.append(call("t", "close", integer(0)));
    later.append(call("t", "send", str("after close")));
    load(setup, 8, later);
    EXPECT_EQ(takeLines(), Lines({"true", "true"}));
    const int s = host.opened[0].id;
    const int t = host.opened[1].id;
    engine->socketConnected(s, true);
    engine->socketConnected(t, true);
    tick();
    // What came before the peer closed is delivered first; the rest of a message is lost.
    receive(s, std::string("last\0cut", 8));
    engine->socketClosed(s);
    tick();
    EXPECT_EQ(takeLines(), Lines({"data:last", "closedundefined"}));
    runLater();
    EXPECT_EQ(host.closed, std::vector<int>({t}));
    engine->socketClosed(t);
    tick();
    EXPECT_TRUE(host.lines.empty());
    EXPECT_FALSE(host.sent.count(t));
}

TEST_F(XmlSocketMovie, TextIsUtf8FromVersion6AndTheCodePageBefore) {
    // "中" is E4 B8 AD in UTF-8 and D6 D0 in the code page older movies are written in.
    for (const auto& [version, bytes] :
         {std::pair(5, std::string("\xD6\xD0")), std::pair(6, std::string("\xE4\xB8\xAD"))}) {
        SCOPED_TRACE(version);
        host = SocketHost();
        Assembler setup = newSocket("s");
        setup.append(handler("s", "onData", "data:"));
        setup.append(connect("s", str("example.org"), integer(2000)));
        Assembler later = call("s", "send", str(bytes));
        load(setup, version, later);
        EXPECT_EQ(takeLines(), Lines({"true"}));
        const int id = host.opened.at(0).id;
        engine->socketConnected(id, true);
        tick();
        runLater();
        EXPECT_EQ(host.sent[id], bytes + std::string("\0", 1));
        receive(id, bytes + std::string("\0", 1));
        tick();
        EXPECT_EQ(takeLines(), Lines({"data:\xE4\xB8\xAD"}));
    }
}

}  // namespace
}  // namespace pencora::runtime
