#include "platform/flash/control/site_fetch.h"

namespace pencora::flash {

namespace {

using namespace ole;

// Movies and their assets beyond this are not taken.
constexpr std::size_t kMaxFetchSize = 256u << 20;

class Collector final : public ComObject<IBindStatusCallback> {
public:
    HRESULT OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT OnProgress(ULONG, ULONG, ULONG, const BSTR&) override { return S_OK; }
    HRESULT OnStopBinding(HRESULT result, const BSTR&) override {
        stopped = true;
        stopResult = result;
        return S_OK;
    }
    HRESULT OnDataAvailable(DWORD flags, DWORD, FORMATETC*, STGMEDIUM* medium) override {
        if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) {
            return E_INVALIDARG;
        }
        // Everything the stream has from its position on; a host may hand the data in one
        // notification or in several over one stream.
        std::uint8_t chunk[64 * 1024];
        for (;;) {
            ULONG got = 0;
            if (FAILED(medium->pstm->Read(chunk, sizeof chunk, &got)) || got == 0) {
                break;
            }
            if (bytes.size() + got > kMaxFetchSize) {
                tooLarge = true;
                return E_OUTOFMEMORY;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        gotData = true;
        if (flags & BSCF_LASTDATANOTIFICATION) {
            complete = true;
        }
        return S_OK;
    }

    std::vector<std::uint8_t> bytes;
    bool gotData = false;
    bool complete = false;
    bool stopped = false;
    bool tooLarge = false;
    HRESULT stopResult = S_OK;
};

}  // namespace

SiteFetch fetchThroughSite(IOleClientSite* site, const std::u16string& address) {
    SiteFetch result;
    if (!site) {
        return result;
    }
    ComPtr<IServiceProvider> services = ComPtr<IOleClientSite>(site).as<IServiceProvider>();
    ComPtr<IBindHost> bindHost;
    if (!services ||
        FAILED(services->QueryService(SID_SBindHost, IID_IBindHost, bindHost.putVoid())) ||
        !bindHost) {
        return result;
    }
    ComPtr<IBindCtx> context;
    if (FAILED(CreateBindCtx(0, context.put()))) {
        return result;
    }
    auto collector = makeCom<Collector>();
    context->RegisterObjectParam(kBindStatusCallbackHolder, collector->identity());
    ComPtr<IMoniker> moniker;
    const HRESULT created = bindHost->CreateMoniker(address, context.get(), moniker.put(), 0);
    if (FAILED(created) || !moniker) {
        return result;
    }
    result.outcome = SiteFetch::Outcome::Failed;
    ComPtr<IStream> stream;
    const HRESULT bound =
        moniker->BindToStorage(context.get(), nullptr, IID_IStream, stream.putVoid());
    context->RevokeObjectParam(kBindStatusCallbackHolder);
    if (collector->tooLarge) {
        return result;
    }
    if (collector->gotData && (!collector->stopped || SUCCEEDED(collector->stopResult))) {
        result.outcome = SiteFetch::Outcome::Delivered;
        result.bytes = std::move(collector->bytes);
        return result;
    }
    // A moniker that answers with the stream itself instead of notifications.
    if (SUCCEEDED(bound) && stream && SUCCEEDED(readAll(stream.get(), &result.bytes, kMaxFetchSize))) {
        result.outcome = SiteFetch::Outcome::Delivered;
    }
    return result;
}

}  // namespace pencora::flash
