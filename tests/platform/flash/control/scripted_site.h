// A container for the control under test, in the manner of the player: one object offering
// the client site, the windowless in-place site, ambient properties, the service provider,
// the bind host and its one moniker, and the property sink; plus an event sink. Every call
// the control makes is written to `log`.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ole/shockwave_flash.h"

namespace pencora::flash::testing {

using namespace ole;

class ScriptedSite final
    : public ComObject<IOleClientSite, IOleInPlaceSiteWindowless, IDispatch, IServiceProvider,
                       IBindHost, IMoniker, IPropertyNotifySink> {
public:
    std::vector<std::string> log;
    // Addresses the bind host serves, with their bytes; others are refused.
    std::map<std::u16string, std::vector<std::uint8_t>> served;
    bool offerBindHost = true;
    bool windowlessAllowed = true;
    bool userMode = true;
    bool uiDead = false;
    RECT windowPosition{10, 20, 110, 120};
    std::vector<std::optional<RECT>> invalidated;
    std::vector<DISPID> changed;
    bool captured = false;
    bool holderHadCallback = false;
    std::function<void()> onInvalidate;

    // IOleClientSite
    HRESULT SaveObject() override;
    HRESULT GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT GetContainer(IOleContainer** container) override;
    HRESULT ShowObject() override;
    HRESULT OnShowWindow(BOOL) override;
    HRESULT RequestNewObjectLayout() override;
    // IOleWindow and the in-place sites
    HRESULT GetWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL) override;
    HRESULT CanInPlaceActivate() override;
    HRESULT OnInPlaceActivate() override;
    HRESULT OnUIActivate() override;
    HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                             RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override;
    HRESULT Scroll(SIZE) override;
    HRESULT OnUIDeactivate(BOOL) override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT DiscardUndoState() override;
    HRESULT DeactivateAndUndo() override;
    HRESULT OnPosRectChange(const RECT*) override;
    HRESULT OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    HRESULT OnInPlaceDeactivateEx(BOOL) override;
    HRESULT RequestUIActivate() override;
    HRESULT CanWindowlessActivate() override;
    HRESULT GetCapture() override;
    HRESULT SetCapture(BOOL capture) override;
    HRESULT GetFocus() override;
    HRESULT SetFocus(BOOL) override;
    HRESULT GetDC(const RECT*, DWORD, HDC* dc) override;
    HRESULT ReleaseDC(HDC) override;
    HRESULT InvalidateRect(const RECT* rect, BOOL) override;
    HRESULT InvalidateRgn(HRGN, BOOL) override;
    HRESULT ScrollRect(int, int, const RECT*, const RECT*) override;
    HRESULT AdjustRect(RECT*) override;
    HRESULT OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override;
    // IDispatch (ambient properties)
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) override;
    // IServiceProvider, IBindHost, IMoniker
    HRESULT QueryService(REFGUID, REFIID iid, void** object) override;
    HRESULT CreateMoniker(const BSTR& name, IBindCtx*, IMoniker** moniker, DWORD) override;
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                 void**) override;
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                void**) override;
    HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID, void** object) override;
    HRESULT BindToStorage(IBindCtx* context, IMoniker*, REFIID, void** object) override;
    HRESULT GetDisplayName(IBindCtx*, IMoniker*, BSTR*) override;
    // IPropertyNotifySink
    HRESULT OnChanged(DISPID id) override;
    HRESULT OnRequestEdit(DISPID) override;

private:
    std::u16string pending_;
};

// Records the control's events: number and arguments in natural order.
class EventSink final : public ComObject<IDispatch> {
public:
    struct Event {
        DISPID id;
        std::vector<VARIANT> args;
    };
    std::vector<Event> events;
    std::function<void(const Event&)> onEvent;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override;

protected:
    void* queryExtra(REFIID iid) override {
        return iid == DIID__IShockwaveFlashEvents ? static_cast<IDispatch*>(this) : nullptr;
    }
};

}  // namespace pencora::flash::testing
