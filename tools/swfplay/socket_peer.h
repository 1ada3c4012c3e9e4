// The peer of a corpus test's socket.json: the runner plays the server end of the movie's one
// XMLSocket connection, step by step. "Receive" waits until the movie has sent exactly the
// `expected` bytes, "Send" delivers its `payload` as one packet, "Disconnect" closes the
// connection from the peer's side. The peer never waits itself: it acts on each call of the
// movie's, and whatever is left undone when the run ends is reported as the test's failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ole/socket_host.h"

namespace pencora::swfplay {

struct SocketStep {
    enum class Kind { Receive, Send, Disconnect };
    Kind kind = Kind::Disconnect;
    std::vector<std::uint8_t> bytes;  // expected (Receive) or payload (Send)
};

// The steps of a socket.json; nullopt with `error` for text that is not such a list.
std::optional<std::vector<SocketStep>> parseSocketScript(const std::string& json,
                                                         std::string* error);

// A bind host's socket service (ole/socket_host.h) that plays the steps on the first
// connection and refuses any further one.
class ScriptedPeer final : public ole::ComObject<ole::ISocketHost, ole::ISocketConnection> {
  public:
    explicit ScriptedPeer(std::vector<SocketStep> steps) : steps_(std::move(steps)) {}

    ole::HRESULT OpenSocket(const ole::BSTR& host, ole::ULONG port, ole::ISocketSink* sink,
                            ole::ISocketConnection** connection) override;
    ole::HRESULT Send(const ole::BYTE* bytes, ole::ULONG size) override;
    ole::HRESULT Close() override;

    // What went wrong: a mismatch or bytes no step expected, and once the run has `ended`
    // the steps left undone. Empty when nothing did.
    std::string problem(bool ended) const;

  private:
    // Plays the steps from the current one until one must wait for the movie.
    void run();

    std::vector<SocketStep> steps_;
    std::size_t next_ = 0;
    std::vector<std::uint8_t> received_;  // sent by the movie, not yet matched
    ole::ComPtr<ole::ISocketSink> sink_;
    bool connected_ = false;
    bool closed_ = false;
    std::string error_;
};

}  // namespace pencora::swfplay
