// The corpus runner's socket peer: reading socket.json, and playing its steps against what a
// movie sends, with every way of going wrong reported instead of waited on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "served_folder.h"
#include "socket_peer.h"

namespace pencora::swfplay {
namespace {

using namespace ole;

struct RecordingSink final : ComObject<ISocketSink> {
    std::vector<std::string> events;
    HRESULT OnConnect(BOOL ok) override {
        events.push_back(ok ? "connect" : "refused");
        return S_OK;
    }
    HRESULT OnData(const BYTE* bytes, ULONG size) override {
        events.push_back("data " + std::string(reinterpret_cast<const char*>(bytes), size));
        return S_OK;
    }
    HRESULT OnClose() override {
        events.push_back("close");
        return S_OK;
    }
};

std::vector<SocketStep> script(const std::string& json) {
    std::string error;
    auto steps = parseSocketScript(json, &error);
    EXPECT_TRUE(steps) << error;
    return steps.value_or(std::vector<SocketStep>());
}

std::string parseError(const std::string& json) {
    std::string error;
    EXPECT_FALSE(parseSocketScript(json, &error)) << json;
    return error;
}

struct Connected {
    ComPtr<ScriptedPeer> peer;
    ComPtr<RecordingSink> sink = makeCom<RecordingSink>();
    ComPtr<ISocketConnection> connection;
    explicit Connected(const std::string& json) : peer(makeCom<ScriptedPeer>(script(json))) {
        EXPECT_EQ(peer->OpenSocket(u"localhost", 8000, sink.get(), connection.put()), S_OK);
    }
    HRESULT send(const std::string& bytes) {
        return connection->Send(reinterpret_cast<const BYTE*>(bytes.data()), ULONG(bytes.size()));
    }
};

constexpr const char* kEcho = R"([
  {"type": "Receive", "expected": [72, 105, 0]},
  {"type": "Send", "payload": [79, 75, 0]},
  {"type": "Send", "payload": [33]},
  {"type": "Disconnect"}
])";

TEST(SocketScript, ReadsStepsAndNamesWhatIsWrongWithBadOnes) {
    const auto steps = script(kEcho);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].kind, SocketStep::Kind::Receive);
    EXPECT_EQ(steps[0].bytes, std::vector<std::uint8_t>({72, 105, 0}));
    EXPECT_EQ(steps[2].kind, SocketStep::Kind::Send);
    EXPECT_EQ(steps[3].kind, SocketStep::Kind::Disconnect);
    EXPECT_TRUE(script("[]").empty());

    EXPECT_NE(parseError("[{\"type\": \"Send\"").find("not JSON"), std::string::npos);
    EXPECT_EQ(parseError("{\"type\": \"Send\"}"), "expected a list of steps");
    EXPECT_EQ(parseError("[{\"type\": \"Listen\"}]"),
              "step 1: type must be Receive, Send or Disconnect");
    EXPECT_EQ(parseError("[{\"type\": \"Disconnect\"}, 5]"),
              "step 2: type must be Receive, Send or Disconnect");
    for (const char* bad :
         {"[{\"type\": \"Send\", \"payload\": [256]}]", "[{\"type\": \"Send\", \"payload\": [-1]}]",
          "[{\"type\": \"Send\", \"payload\": [1.5]}]",
          "[{\"type\": \"Send\", \"payload\": [\"A\"]}]",
          "[{\"type\": \"Send\", \"payload\": \"AB\"}]", "[{\"type\": \"Send\"}]"}) {
        EXPECT_EQ(parseError(bad), "step 1: payload must be a list of byte values (0 to 255)");
    }
    EXPECT_EQ(parseError("[{\"type\": \"Receive\"}]"),
              "step 1: expected must be a list of byte values (0 to 255)");
}

TEST(ScriptedPeer, AnswersOnceTheMovieHasSentWhatItWaitsFor) {
    Connected c(kEcho);
    EXPECT_EQ(c.sink->events, std::vector<std::string>({"connect"}));
    // The expected bytes may come in pieces; nothing moves until all have come.
    EXPECT_EQ(c.send("H"), S_OK);
    EXPECT_EQ(c.sink->events.size(), 1u);
    EXPECT_EQ(c.peer->problem(true), "the run ended at step 1 of 4");
    EXPECT_EQ(c.send(std::string("i\0", 2)), S_OK);
    EXPECT_EQ(c.sink->events, std::vector<std::string>(
                                  {"connect", std::string("data OK\0", 8), "data !", "close"}));
    EXPECT_EQ(c.peer->problem(true), "");
    // Closed by the peer: nothing more is taken.
    EXPECT_EQ(c.send("late"), E_FAIL);
    // One connection per run.
    ComPtr<ISocketConnection> second;
    auto sink = makeCom<RecordingSink>();
    EXPECT_EQ(c.peer->OpenSocket(u"localhost", 8000, sink.get(), second.put()), E_FAIL);
    EXPECT_FALSE(second);
}

TEST(ScriptedPeer, ReportsMismatchesStrayBytesAndMoviesThatNeverConnect) {
    {
        Connected c(kEcho);
        c.send(std::string("Ho\0", 3));
        EXPECT_EQ(c.peer->problem(false),
                  "step 1 expected [72 105 0] but the movie sent [72 111 0]");
        EXPECT_EQ(c.sink->events.size(), 1u);  // nothing more is played
    }
    {
        Connected c(R"([{"type": "Send", "payload": [65, 0]}])");
        c.send("x");
        EXPECT_EQ(c.peer->problem(false), "the movie sent [120] where no step expected it");
    }
    {
        // More than the step waits for: the rest must be what the next step expects.
        Connected c(
            R"([{"type": "Receive", "expected": [1]}, {"type": "Receive", "expected": [2]}])");
        c.send(std::string("\1\2", 2));
        EXPECT_EQ(c.peer->problem(true), "");
    }
    auto idle = makeCom<ScriptedPeer>(script(kEcho));
    EXPECT_EQ(idle->problem(false), "");
    EXPECT_EQ(idle->problem(true), "the movie never connected");
}

TEST(ScriptedPeer, IsReachedThroughTheServedFoldersBindHostOnly) {
    auto sink = makeCom<RecordingSink>();
    ComPtr<ISocketConnection> connection;
    // Without a peer the bind host refuses every connection.
    auto refusing = makeServedFolder(".").as<ISocketHost>();
    ASSERT_TRUE(refusing);
    EXPECT_TRUE(FAILED(refusing->OpenSocket(u"localhost", 8000, sink.get(), connection.put())));
    EXPECT_FALSE(connection);
    EXPECT_TRUE(sink->events.empty());

    auto peer = makeCom<ScriptedPeer>(script(kEcho));
    auto serving = makeServedFolder(".", peer).as<ISocketHost>();
    ASSERT_TRUE(serving);
    EXPECT_EQ(serving->OpenSocket(u"localhost", 8000, sink.get(), connection.put()), S_OK);
    EXPECT_TRUE(connection);
    EXPECT_EQ(sink->events, std::vector<std::string>({"connect"}));
}

}  // namespace
}  // namespace pencora::swfplay
