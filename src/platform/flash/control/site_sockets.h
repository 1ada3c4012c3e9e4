// The movie's socket connections, opened through the site's bind host when it offers sockets
// (ole/socket_host.h); a site without them refuses every connection. What the host reports
// waits in a queue until the control hands it to the engine, outside any engine call.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/flash/control/movie_engine.h"
#include "platform/ole/site.h"
#include "platform/ole/socket_host.h"

namespace pencora::flash {

struct SocketReport {
    enum class Kind { Connected, Failed, Data, Closed };
    Kind kind = Kind::Failed;
    int id = 0;
    std::vector<std::uint8_t> bytes;  // Data only
};

class SiteSockets {
  public:
    SiteSockets();
    ~SiteSockets();
    SiteSockets(const SiteSockets&) = delete;
    SiteSockets& operator=(const SiteSockets&) = delete;

    // Opens `request` through `site`'s bind host; a refusal is reported as Failed.
    void open(ole::IOleClientSite* site, const SocketRequest& request);
    void send(int id, std::span<const std::uint8_t> bytes);
    // The engine is done with the connection: it is closed and its reports dropped.
    void close(int id);
    void closeAll();
    // The oldest report of a connection still open, if any.
    std::optional<SocketReport> take();

    struct Queue;  // the reports, shared with the host's sinks

  private:
    std::shared_ptr<Queue> queue_;
    std::map<int, ole::ComPtr<ole::ISocketConnection>> connections_;
};

}  // namespace pencora::flash
