#include "platform/flash/control/site_sockets.h"

#include "platform/ole/binding.h"

namespace pencora::flash {

using namespace ole;

// Reports in arrival order, shared with the sinks, which may outlive the control's list.
struct SiteSockets::Queue {
    std::deque<SocketReport> reports;
};

namespace {

using Kind = SocketReport::Kind;

class Sink final : public ComObject<ISocketSink> {
  public:
    Sink(std::weak_ptr<SiteSockets::Queue> queue, int id) : queue_(std::move(queue)), id_(id) {}

    HRESULT OnConnect(BOOL connected) override {
        return post(connected ? Kind::Connected : Kind::Failed, {});
    }
    HRESULT OnData(const BYTE* bytes, ULONG size) override {
        if (!bytes && size > 0) {
            return E_POINTER;
        }
        return post(Kind::Data, std::vector<std::uint8_t>(bytes, bytes + size));
    }
    HRESULT OnClose() override { return post(Kind::Closed, {}); }

  private:
    HRESULT post(Kind kind, std::vector<std::uint8_t> bytes) {
        const auto queue = queue_.lock();
        if (!queue) {
            return E_UNEXPECTED;
        }
        queue->reports.push_back(SocketReport{kind, id_, std::move(bytes)});
        return S_OK;
    }

    std::weak_ptr<SiteSockets::Queue> queue_;
    int id_;
};

ComPtr<ISocketHost> socketHostOf(IOleClientSite* site) {
    if (!site) {
        return {};
    }
    ComPtr<IServiceProvider> services = ComPtr<IOleClientSite>(site).as<IServiceProvider>();
    ComPtr<IBindHost> bindHost;
    if (!services ||
        FAILED(services->QueryService(SID_SBindHost, IID_IBindHost, bindHost.putVoid())) ||
        !bindHost) {
        return {};
    }
    return bindHost.as<ISocketHost>();
}

}  // namespace

SiteSockets::SiteSockets() : queue_(std::make_shared<Queue>()) {}

SiteSockets::~SiteSockets() {
    closeAll();
}

void SiteSockets::open(IOleClientSite* site, const SocketRequest& request) {
    close(request.id);
    ComPtr<ISocketConnection> connection;
    const ComPtr<ISocketHost> host = socketHostOf(site);
    const bool portOk = request.port > 0 && request.port <= 65535;
    if (host && portOk) {
        auto sink = makeCom<Sink>(queue_, request.id);
        const HRESULT h =
            host->OpenSocket(request.host, ULONG(request.port), sink.get(), connection.put());
        if (FAILED(h)) {
            connection = {};
        }
    }
    if (!connection) {
        queue_->reports.push_back(SocketReport{Kind::Failed, request.id, {}});
        connections_[request.id] = {};  // known until the failure is taken
        return;
    }
    connections_[request.id] = connection;
}

void SiteSockets::send(int id, std::span<const std::uint8_t> bytes) {
    const auto it = connections_.find(id);
    if (it != connections_.end() && it->second) {
        it->second->Send(bytes.data(), ULONG(bytes.size()));
    }
}

void SiteSockets::close(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    const ComPtr<ISocketConnection> connection = it->second;
    connections_.erase(it);
    if (connection) {
        connection->Close();
    }
}

void SiteSockets::closeAll() {
    while (!connections_.empty()) {
        close(connections_.begin()->first);
    }
    queue_->reports.clear();
}

std::optional<SocketReport> SiteSockets::take() {
    while (!queue_->reports.empty()) {
        SocketReport report = std::move(queue_->reports.front());
        queue_->reports.pop_front();
        const auto it = connections_.find(report.id);
        if (it == connections_.end()) {
            continue;  // closed by the movie since
        }
        if (report.kind == Kind::Failed || report.kind == Kind::Closed) {
            connections_.erase(it);  // the last report: the host forgets it too
        }
        return report;
    }
    return std::nullopt;
}

}  // namespace pencora::flash
