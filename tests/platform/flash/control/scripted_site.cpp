#include "scripted_site.h"

namespace pencora::flash::testing {

namespace {
std::string narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }
}  // namespace

HRESULT ScriptedSite::SaveObject() { return S_OK; }
HRESULT ScriptedSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    *moniker = nullptr;
    return E_NOTIMPL;
}
HRESULT ScriptedSite::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}
HRESULT ScriptedSite::ShowObject() { return S_OK; }
HRESULT ScriptedSite::OnShowWindow(BOOL) { return S_OK; }
HRESULT ScriptedSite::RequestNewObjectLayout() { return S_OK; }
HRESULT ScriptedSite::GetWindow(HWND* window) {
    log.push_back("GetWindow");
    *window = nullptr;
    return E_FAIL;
}
HRESULT ScriptedSite::ContextSensitiveHelp(BOOL) { return S_OK; }
HRESULT ScriptedSite::CanInPlaceActivate() {
    log.push_back("CanInPlaceActivate");
    return S_OK;
}
HRESULT ScriptedSite::OnInPlaceActivate() {
    log.push_back("OnInPlaceActivate");
    return S_OK;
}
HRESULT ScriptedSite::OnUIActivate() { return S_OK; }
HRESULT ScriptedSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                       RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) {
    log.push_back("GetWindowContext");
    *frame = nullptr;
    *document = nullptr;
    *position = windowPosition;
    *clip = RECT{0, 0, 32767, 32767};
    *info = OLEINPLACEFRAMEINFO{};
    return S_OK;
}
HRESULT ScriptedSite::Scroll(SIZE) { return E_NOTIMPL; }
HRESULT ScriptedSite::OnUIDeactivate(BOOL) { return S_OK; }
HRESULT ScriptedSite::OnInPlaceDeactivate() {
    log.push_back("OnInPlaceDeactivate");
    return S_OK;
}
HRESULT ScriptedSite::DiscardUndoState() { return E_NOTIMPL; }
HRESULT ScriptedSite::DeactivateAndUndo() { return S_OK; }
HRESULT ScriptedSite::OnPosRectChange(const RECT*) { return S_OK; }
HRESULT ScriptedSite::OnInPlaceActivateEx(BOOL*, DWORD flags) {
    log.push_back("OnInPlaceActivateEx " + std::to_string(flags));
    return S_OK;
}
HRESULT ScriptedSite::OnInPlaceDeactivateEx(BOOL) { return S_OK; }
HRESULT ScriptedSite::RequestUIActivate() { return S_OK; }
HRESULT ScriptedSite::CanWindowlessActivate() {
    log.push_back("CanWindowlessActivate");
    return windowlessAllowed ? S_OK : S_FALSE;
}
HRESULT ScriptedSite::GetCapture() { return captured ? S_OK : S_FALSE; }
HRESULT ScriptedSite::SetCapture(BOOL capture) {
    captured = capture != FALSE;
    return S_OK;
}
HRESULT ScriptedSite::GetFocus() { return S_OK; }
HRESULT ScriptedSite::SetFocus(BOOL) { return S_OK; }
HRESULT ScriptedSite::GetDC(const RECT*, DWORD, HDC* dc) {
    *dc = nullptr;
    return E_FAIL;
}
HRESULT ScriptedSite::ReleaseDC(HDC) { return S_OK; }
HRESULT ScriptedSite::InvalidateRect(const RECT* rect, BOOL) {
    invalidated.push_back(rect ? std::optional<RECT>(*rect) : std::nullopt);
    if (onInvalidate) {
        onInvalidate();
    }
    return S_OK;
}
HRESULT ScriptedSite::InvalidateRgn(HRGN, BOOL) { return S_OK; }
HRESULT ScriptedSite::ScrollRect(int, int, const RECT*, const RECT*) { return S_OK; }
HRESULT ScriptedSite::AdjustRect(RECT*) { return S_OK; }
HRESULT ScriptedSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    return S_OK;
}
HRESULT ScriptedSite::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}
HRESULT ScriptedSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}
HRESULT ScriptedSite::GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT ScriptedSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                             EXCEPINFO*, UINT*) {
    log.push_back("ambient " + std::to_string(id));
    if (!(flags & DISPATCH_PROPERTYGET) || !result) {
        return DISP_E_MEMBERNOTFOUND;
    }
    switch (id) {
        case DISPID_AMBIENT_USERMODE:
            *result = VARIANT::fromBool(userMode);
            return S_OK;
        case DISPID_AMBIENT_UIDEAD:
            *result = VARIANT::fromBool(uiDead);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}
HRESULT ScriptedSite::QueryService(REFGUID, REFIID iid, void** object) {
    log.push_back("QueryService");
    *object = nullptr;
    if (!offerBindHost && iid == IID_IBindHost) {
        return E_NOINTERFACE;
    }
    return QueryInterface(iid, object);
}
HRESULT ScriptedSite::CreateMoniker(const BSTR& name, IBindCtx*, IMoniker** moniker, DWORD) {
    log.push_back("CreateMoniker " + narrow(name));
    *moniker = nullptr;
    if (!served.count(name)) {
        return E_NOTIMPL;
    }
    pending_ = name;
    return hand(static_cast<IMoniker*>(this), reinterpret_cast<void**>(moniker));
}
HRESULT ScriptedSite::MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                           void**) {
    return S_OK;
}
HRESULT ScriptedSite::MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                          void**) {
    return S_OK;
}
HRESULT ScriptedSite::BindToObject(IBindCtx*, IMoniker*, REFIID, void** object) {
    *object = nullptr;
    return E_NOTIMPL;
}
// Delivers the pending address in one notification marked first and last, as the player does.
HRESULT ScriptedSite::BindToStorage(IBindCtx* context, IMoniker*, REFIID, void**) {
    log.push_back("BindToStorage");
    if (!context) {
        return E_FAIL;
    }
    ComPtr<IUnknown> holder;
    if (FAILED(context->GetObjectParam(kBindStatusCallbackHolder, holder.put()))) {
        return E_FAIL;
    }
    auto callback = holder.as<IBindStatusCallback>();
    holderHadCallback = static_cast<bool>(callback);
    if (!callback) {
        return E_FAIL;
    }
    const auto bytes = served[pending_];
    pending_.clear();
    ComPtr<IStream> stream = streamOnBytes(bytes);
    STGMEDIUM medium;
    medium.pstm = stream.get();
    callback->OnStartBinding(0, nullptr);
    callback->OnProgress(100, 100, BINDSTATUS_ENDDOWNLOADDATA, u"");
    callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION,
                              static_cast<DWORD>(bytes.size()), nullptr, &medium);
    callback->OnStopBinding(S_OK, u"");
    return S_OK;
}
HRESULT ScriptedSite::GetDisplayName(IBindCtx*, IMoniker*, BSTR*) { return E_NOTIMPL; }
HRESULT ScriptedSite::OnChanged(DISPID id) {
    changed.push_back(id);
    return S_OK;
}
HRESULT ScriptedSite::OnRequestEdit(DISPID) { return S_OK; }

HRESULT EventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}
HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT EventSink::GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT*) {
    Event e{id, {params->rgvarg.rbegin(), params->rgvarg.rend()}};
    events.push_back(e);
    if (onEvent) {
        onEvent(e);
    }
    return S_OK;
}

}  // namespace pencora::flash::testing
