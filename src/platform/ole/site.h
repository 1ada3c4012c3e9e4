// What a container offers an embedded control: the client site, the windowless in-place
// site with its frame and document window, the control site, and the property-change sink.
// Each interface has the methods the control and its host use, in the platform's order.
#pragma once

#include "platform/ole/binding.h"
#include "platform/ole/device_context.h"
#include "platform/ole/dispatch.h"
#include "platform/ole/unknown.h"

namespace pencora::ole {

struct IOleInPlaceActiveObject;

// Not offered by any host here; exists for GetContainer's signature.
struct IOleContainer : IUnknown {
    static constexpr IID kIid = guid("{0000011B-0000-0000-C000-000000000046}");
};

struct IOleClientSite : IUnknown {
    static constexpr IID kIid = guid("{00000118-0000-0000-C000-000000000046}");
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) = 0;
    virtual HRESULT GetContainer(IOleContainer** container) = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(BOOL show) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;
};
inline constexpr IID IID_IOleClientSite = IOleClientSite::kIid;

struct IOleWindow : IUnknown {
    static constexpr IID kIid = guid("{00000114-0000-0000-C000-000000000046}");
    virtual HRESULT GetWindow(HWND* window) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL enterMode) = 0;
};
inline constexpr IID IID_IOleWindow = IOleWindow::kIid;

using BORDERWIDTHS = RECT;

struct IOleInPlaceUIWindow : IOleWindow {
    static constexpr IID kIid = guid("{00000115-0000-0000-C000-000000000046}");
    virtual HRESULT GetBorder(RECT* border) = 0;
    virtual HRESULT RequestBorderSpace(const BORDERWIDTHS* widths) = 0;
    virtual HRESULT SetBorderSpace(const BORDERWIDTHS* widths) = 0;
    virtual HRESULT SetActiveObject(IOleInPlaceActiveObject* object, const BSTR& name) = 0;
};
inline constexpr IID IID_IOleInPlaceUIWindow = IOleInPlaceUIWindow::kIid;

struct OLEMENUGROUPWIDTHS {
    LONG width[6]{};
};

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
    static constexpr IID kIid = guid("{00000116-0000-0000-C000-000000000046}");
    virtual HRESULT InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS* widths) = 0;
    virtual HRESULT SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) = 0;
    virtual HRESULT RemoveMenus(HMENU shared) = 0;
    virtual HRESULT SetStatusText(const BSTR& text) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT TranslateAccelerator(MSG* message, WORD id) = 0;
};
inline constexpr IID IID_IOleInPlaceFrame = IOleInPlaceFrame::kIid;

struct OLEINPLACEFRAMEINFO {
    UINT cb = sizeof(OLEINPLACEFRAMEINFO);
    BOOL fMDIApp = FALSE;
    HWND hwndFrame = nullptr;
    HACCEL haccel = nullptr;
    UINT cAccelEntries = 0;
};

struct IOleInPlaceSite : IOleWindow {
    static constexpr IID kIid = guid("{00000119-0000-0000-C000-000000000046}");
    virtual HRESULT CanInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceActivate() = 0;
    virtual HRESULT OnUIActivate() = 0;
    virtual HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                     RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) = 0;
    virtual HRESULT Scroll(SIZE extent) = 0;
    virtual HRESULT OnUIDeactivate(BOOL undoable) = 0;
    virtual HRESULT OnInPlaceDeactivate() = 0;
    virtual HRESULT DiscardUndoState() = 0;
    virtual HRESULT DeactivateAndUndo() = 0;
    virtual HRESULT OnPosRectChange(const RECT* position) = 0;
};
inline constexpr IID IID_IOleInPlaceSite = IOleInPlaceSite::kIid;

inline constexpr DWORD ACTIVATE_WINDOWLESS = 1;

struct IOleInPlaceSiteEx : IOleInPlaceSite {
    static constexpr IID kIid = guid("{9C2CAD80-3424-11CF-B670-00AA004CD6D8}");
    virtual HRESULT OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) = 0;
    virtual HRESULT OnInPlaceDeactivateEx(BOOL noRedraw) = 0;
    virtual HRESULT RequestUIActivate() = 0;
};
inline constexpr IID IID_IOleInPlaceSiteEx = IOleInPlaceSiteEx::kIid;

struct IOleInPlaceSiteWindowless : IOleInPlaceSiteEx {
    static constexpr IID kIid = guid("{922EADA0-3424-11CF-B670-00AA004CD6D8}");
    virtual HRESULT CanWindowlessActivate() = 0;
    virtual HRESULT GetCapture() = 0;
    virtual HRESULT SetCapture(BOOL capture) = 0;
    virtual HRESULT GetFocus() = 0;
    virtual HRESULT SetFocus(BOOL focus) = 0;
    virtual HRESULT GetDC(const RECT* rect, DWORD flags, HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    // `rect` in the control's coordinates (those of SetObjectRects); null for everything.
    virtual HRESULT InvalidateRect(const RECT* rect, BOOL erase) = 0;
    virtual HRESULT InvalidateRgn(HRGN region, BOOL erase) = 0;
    virtual HRESULT ScrollRect(int dx, int dy, const RECT* scroll, const RECT* clip) = 0;
    virtual HRESULT AdjustRect(RECT* rect) = 0;
    virtual HRESULT OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT* result) = 0;
};
inline constexpr IID IID_IOleInPlaceSiteWindowless = IOleInPlaceSiteWindowless::kIid;

inline constexpr DWORD XFORMCOORDS_POSITION = 0x1;
inline constexpr DWORD XFORMCOORDS_SIZE = 0x2;
inline constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
inline constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;

struct IOleControlSite : IUnknown {
    static constexpr IID kIid = guid("{B196B289-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT OnControlInfoChanged() = 0;
    virtual HRESULT LockInPlaceActive(BOOL lock) = 0;
    virtual HRESULT GetExtendedControl(IDispatch** control) = 0;
    virtual HRESULT TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) = 0;
    virtual HRESULT TranslateAccelerator(MSG* message, DWORD modifiers) = 0;
    virtual HRESULT OnFocus(BOOL gotFocus) = 0;
    virtual HRESULT ShowPropertyFrame() = 0;
};
inline constexpr IID IID_IOleControlSite = IOleControlSite::kIid;

struct IPropertyNotifySink : IUnknown {
    static constexpr IID kIid = guid("{9BFBBC02-EFF1-101A-84ED-00AA00341D07}");
    virtual HRESULT OnChanged(DISPID id) = 0;
    virtual HRESULT OnRequestEdit(DISPID id) = 0;
};
inline constexpr IID IID_IPropertyNotifySink = IPropertyNotifySink::kIid;

// Ambient properties a container answers through its IDispatch.
inline constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
inline constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
inline constexpr DISPID DISPID_AMBIENT_FONT = -703;
inline constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
inline constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
inline constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
inline constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
inline constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
inline constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
inline constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
inline constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -714;
inline constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -715;
inline constexpr DISPID DISPID_UNKNOWN_ALL = -1;  // OnAmbientPropertyChange: all changed

// Stock properties a control may report through IPropertyNotifySink.
inline constexpr DISPID DISPID_BACKCOLOR = -501;
inline constexpr DISPID DISPID_FONT = -512;
inline constexpr DISPID DISPID_FORECOLOR = -513;
inline constexpr DISPID DISPID_ENABLED = -514;
inline constexpr DISPID DISPID_READYSTATE = -525;

}  // namespace pencora::ole
