// What an embedded control offers its container: the object with its verbs, saved state,
// ambient-change notice, in-place (windowless) activation, drawing, and connection points for
// its event and property-change sinks.
#pragma once

#include <vector>

#include "platform/ole/site.h"

namespace pencora::ole {

inline constexpr LONG OLEIVERB_PRIMARY = 0;
inline constexpr LONG OLEIVERB_SHOW = -1;
inline constexpr LONG OLEIVERB_OPEN = -2;
inline constexpr LONG OLEIVERB_HIDE = -3;
inline constexpr LONG OLEIVERB_UIACTIVATE = -4;
inline constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
inline constexpr LONG OLEIVERB_PROPERTIES = -7;

inline constexpr DWORD OLEVERBATTRIB_NEVERDIRTIES = 1;
inline constexpr DWORD OLEVERBATTRIB_ONCONTAINERMENU = 2;

inline constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
inline constexpr DWORD OLECLOSE_NOSAVE = 1;
inline constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_THUMBNAIL = 2;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD DVASPECT_DOCPRINT = 8;
inline constexpr DWORD DVASPECT_OPAQUE = 16;
inline constexpr DWORD DVASPECT_TRANSPARENT = 32;

inline constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
inline constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
inline constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
inline constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
inline constexpr DWORD OLEMISC_INVISIBLEATRUNTIME = 0x400;
inline constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

struct OLEVERB {
    LONG lVerb = 0;
    BSTR lpszVerbName;
    DWORD fuFlags = 0;
    DWORD grfAttribs = 0;
};

struct IEnumOLEVERB : IUnknown {
    static constexpr IID kIid = guid("{00000104-0000-0000-C000-000000000046}");
    // Up to `count` verbs; S_FALSE when fewer were left.
    virtual HRESULT Next(ULONG count, OLEVERB* verbs, ULONG* fetched) = 0;
    virtual HRESULT Reset() = 0;
};

struct IOleObject : IUnknown {
    static constexpr IID kIid = guid("{00000112-0000-0000-C000-000000000046}");
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT Close(DWORD saveOption) = 0;
    virtual HRESULT DoVerb(LONG verb, MSG* message, IOleClientSite* activeSite, LONG index,
                           HWND parent, const RECT* position) = 0;
    virtual HRESULT EnumVerbs(IEnumOLEVERB** verbs) = 0;
    // The natural size in HIMETRIC (hundredths of a millimetre).
    virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
};
inline constexpr IID IID_IOleObject = IOleObject::kIid;

struct IPersist : IUnknown {
    static constexpr IID kIid = guid("{0000010C-0000-0000-C000-000000000046}");
    virtual HRESULT GetClassID(CLSID* id) = 0;
};

struct IPersistStreamInit : IPersist {
    static constexpr IID kIid = guid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;
    virtual HRESULT InitNew() = 0;
};
inline constexpr IID IID_IPersistStreamInit = IPersistStreamInit::kIid;

struct IOleControl : IUnknown {
    static constexpr IID kIid = guid("{B196B288-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT OnAmbientPropertyChange(DISPID id) = 0;
    virtual HRESULT FreezeEvents(BOOL freeze) = 0;
};
inline constexpr IID IID_IOleControl = IOleControl::kIid;

struct IOleInPlaceObject : IOleWindow {
    static constexpr IID kIid = guid("{00000113-0000-0000-C000-000000000046}");
    virtual HRESULT InPlaceDeactivate() = 0;
    virtual HRESULT UIDeactivate() = 0;
    // `position`: where the control sits, in the coordinates of the device contexts it will
    // be given and of the mouse messages it will receive; `clip`: what of it is visible.
    virtual HRESULT SetObjectRects(const RECT* position, const RECT* clip) = 0;
};
inline constexpr IID IID_IOleInPlaceObject = IOleInPlaceObject::kIid;

struct IOleInPlaceObjectWindowless : IOleInPlaceObject {
    static constexpr IID kIid = guid("{1C2056CC-5EF4-101B-8BC8-00AA003E3B29}");
    // S_OK when the control handled the message, S_FALSE when not.
    virtual HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT* result) = 0;
};
inline constexpr IID IID_IOleInPlaceObjectWindowless = IOleInPlaceObjectWindowless::kIid;

struct IOleInPlaceActiveObject : IOleWindow {
    static constexpr IID kIid = guid("{00000117-0000-0000-C000-000000000046}");
    virtual HRESULT TranslateAccelerator(MSG* message) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
};
inline constexpr IID IID_IOleInPlaceActiveObject = IOleInPlaceActiveObject::kIid;

using ContinueProc = BOOL (*)(ULONG_PTR);

struct IViewObject : IUnknown {
    static constexpr IID kIid = guid("{0000010D-0000-0000-C000-000000000046}");
    // Draws the control into `dc`. `bounds`, in the context's logical coordinates, limits the
    // drawing; null means the control's object rectangle.
    virtual HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, void* targetDevice,
                         HDC targetDc, HDC dc, const RECTL* bounds, const RECTL* windowBounds,
                         ContinueProc keepGoing, ULONG_PTR keepGoingArg) = 0;
};
inline constexpr IID IID_IViewObject = IViewObject::kIid;

struct IConnectionPoint : IUnknown {
    static constexpr IID kIid = guid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    // The sink is asked for the connection's interface; CONNECT_E_CANNOTCONNECT without it.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    // CONNECT_E_NOCONNECTION for an unknown cookie.
    virtual HRESULT Unadvise(DWORD cookie) = 0;
};
inline constexpr IID IID_IConnectionPoint = IConnectionPoint::kIid;

struct IConnectionPointContainer : IUnknown {
    static constexpr IID kIid = guid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    // CONNECT_E_NOCONNECTION for an interface without a connection point.
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;
};
inline constexpr IID IID_IConnectionPointContainer = IConnectionPointContainer::kIid;

// Optional: property display strings for a designer. Nothing here implements it.
struct IPerPropertyBrowsing : IUnknown {
    static constexpr IID kIid = guid("{376BD3AA-3845-101B-84ED-08002B2EC713}");
    virtual HRESULT GetDisplayString(DISPID id, BSTR* text) = 0;
    virtual HRESULT MapPropertyToPage(DISPID id, CLSID* page) = 0;
    virtual HRESULT GetPredefinedStrings(DISPID id, std::vector<BSTR>* strings,
                                         std::vector<DWORD>* cookies) = 0;
    virtual HRESULT GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) = 0;
};
inline constexpr IID IID_IPerPropertyBrowsing = IPerPropertyBrowsing::kIid;

}  // namespace pencora::ole
