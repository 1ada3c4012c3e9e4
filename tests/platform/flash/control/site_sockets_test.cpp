// The movie's connections through the site: refused where the site's bind host offers no
// sockets, and otherwise the host's reports queued in order, dropped once the movie has
// closed the connection.
#include <gtest/gtest.h>

#include <string>

#include "idle_client_site.h"
#include "platform/flash/control/site_sockets.h"
#include "platform/ole/binding.h"

namespace pencora::flash::testing {
namespace {

using namespace ole;

class SocketSite final
    : public IdleClientSite<IServiceProvider, IBindHost, ISocketHost, ISocketConnection> {
  public:
    bool offerSockets = true;
    HRESULT openAnswer = S_OK;
    ComPtr<ISocketSink> sink;
    std::u16string host;
    ULONG port = 0;
    std::string sent;
    int closes = 0;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_ISocketHost && !offerSockets) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return IdleClientSite::QueryInterface(iid, object);
    }
    HRESULT QueryService(REFGUID service, REFIID iid, void** object) override {
        *object = nullptr;
        return service == SID_SBindHost ? QueryInterface(iid, object) : E_NOINTERFACE;
    }
    HRESULT CreateMoniker(const BSTR&, IBindCtx*, IMoniker** moniker, DWORD) override {
        *moniker = nullptr;
        return E_FAIL;
    }
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                 void**) override {
        return E_NOTIMPL;
    }
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                void**) override {
        return E_NOTIMPL;
    }
    HRESULT OpenSocket(const BSTR& h, ULONG p, ISocketSink* s,
                       ISocketConnection** connection) override {
        *connection = nullptr;
        if (FAILED(openAnswer)) {
            return openAnswer;
        }
        host = h;
        port = p;
        sink = ComPtr<ISocketSink>(s);
        return hand(static_cast<ISocketConnection*>(this), reinterpret_cast<void**>(connection));
    }
    HRESULT Send(const BYTE* bytes, ULONG size) override {
        sent.append(reinterpret_cast<const char*>(bytes), size);
        return S_OK;
    }
    HRESULT Close() override {
        ++closes;
        return S_OK;
    }
    void data(const std::string& bytes) {
        sink->OnData(reinterpret_cast<const BYTE*>(bytes.data()), ULONG(bytes.size()));
    }
};

using Kind = SocketReport::Kind;

std::string text(const SocketReport& r) {
    return std::string(r.bytes.begin(), r.bytes.end());
}

TEST(SiteSockets, RefusedWhereTheSiteOffersNoSockets) {
    SiteSockets sockets;
    auto plain = makeCom<SocketSite>();
    plain->offerSockets = false;
    auto failing = makeCom<SocketSite>();
    failing->openAnswer = E_ACCESSDENIED;
    sockets.open(nullptr, {1, u"example.org", 2000});
    sockets.open(plain.get(), {2, u"example.org", 2000});
    sockets.open(failing.get(), {3, u"example.org", 2000});
    auto open = makeCom<SocketSite>();
    sockets.open(open.get(), {4, u"example.org", 70000});  // no such port
    for (int id : {1, 2, 3, 4}) {
        const auto report = sockets.take();
        ASSERT_TRUE(report);
        EXPECT_EQ(report->id, id);
        EXPECT_EQ(report->kind, Kind::Failed);
    }
    EXPECT_FALSE(sockets.take());
    EXPECT_FALSE(open->sink);
}

TEST(SiteSockets, ReportsComeInOrderUntilTheMovieClosesTheConnection) {
    SiteSockets sockets;
    auto site = makeCom<SocketSite>();
    sockets.open(site.get(), {7, u"example.org", 2000});
    EXPECT_EQ(site->host, u"example.org");
    EXPECT_EQ(site->port, 2000u);
    site->sink->OnConnect(TRUE);
    site->data("ab");
    site->data("c");
    const std::uint8_t out[] = {'h', 'i', 0};
    sockets.send(7, out);
    sockets.send(8, out);  // no such connection
    EXPECT_EQ(site->sent, std::string("hi\0", 3));
    auto report = sockets.take();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->kind, Kind::Connected);
    report = sockets.take();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->kind, Kind::Data);
    EXPECT_EQ(text(*report), "ab");
    // Closed by the movie: the host hears it once, and what it reported since is dropped.
    sockets.close(7);
    sockets.close(7);
    EXPECT_EQ(site->closes, 1);
    site->data("late");
    EXPECT_FALSE(sockets.take());

    // Closed by the peer: the last report; the control forgets the connection.
    auto peer = makeCom<SocketSite>();
    sockets.open(peer.get(), {9, u"example.org", 2000});
    peer->sink->OnConnect(TRUE);
    peer->sink->OnClose();
    EXPECT_EQ(sockets.take()->kind, Kind::Connected);
    EXPECT_EQ(sockets.take()->kind, Kind::Closed);
    sockets.send(9, out);
    EXPECT_TRUE(peer->sent.empty());
    sockets.close(9);
    EXPECT_EQ(peer->closes, 0);
}

}  // namespace
}  // namespace pencora::flash::testing
