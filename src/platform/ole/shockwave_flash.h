// The Shockwave Flash control as its hosts see it: class and interface identifiers, the
// dispatch numbers of its properties and events, and IShockwaveFlash with the operations the
// player calls. Frame numbers are 0-based; Booleans travel as 16-bit -1 / 0.
#pragma once

#include "platform/ole/control.h"

namespace pencora::ole {

inline constexpr CLSID CLSID_ShockwaveFlash = guid("{D27CDB6E-AE6D-11CF-96B8-444553540000}");
inline constexpr IID DIID__IShockwaveFlashEvents = guid("{D27CDB6D-AE6D-11CF-96B8-444553540000}");

// Events raised through the event sink's IDispatch::Invoke (arguments last first).
inline constexpr DISPID DISPID_FLASH_READYSTATECHANGE = -609;  // (long newState)
inline constexpr DISPID DISPID_FLASH_PROGRESS = 1958;          // (long percentDone)
inline constexpr DISPID DISPID_FLASH_FSCOMMAND = 150;          // (BSTR command, BSTR args)
inline constexpr DISPID DISPID_FLASH_FLASHCALL = 197;          // (BSTR request)

// Ready states of -609 and of the ReadyState property.
inline constexpr LONG FLASH_READYSTATE_LOADING = 0;
inline constexpr LONG FLASH_READYSTATE_UNINITIALIZED = 1;
inline constexpr LONG FLASH_READYSTATE_LOADED = 2;
inline constexpr LONG FLASH_READYSTATE_INTERACTIVE = 3;
inline constexpr LONG FLASH_READYSTATE_COMPLETE = 4;

// Dispatch numbers of the control's properties.
inline constexpr DISPID DISPID_FLASH_READYSTATE = -525;  // long, read only
inline constexpr DISPID DISPID_FLASH_MOVIE = 102;        // BSTR; writing loads layer 0
inline constexpr DISPID DISPID_FLASH_QUALITY = 105;      // 0 low, 1 high, 2 auto-low, 3 auto-high
inline constexpr DISPID DISPID_FLASH_LOOP = 106;         // bool
inline constexpr DISPID DISPID_FLASH_FRAMENUM = 107;     // long, 0-based; writing goes there
inline constexpr DISPID DISPID_FLASH_SCALEMODE = 120;    // 0 ShowAll, 1 NoBorder, 2 ExactFit, 3 NoScale
inline constexpr DISPID DISPID_FLASH_ALIGNMODE = 121;    // bits: 1 left, 2 right, 4 top, 8 bottom
inline constexpr DISPID DISPID_FLASH_BACKGROUNDCOLOR = 123;  // long 0xRRGGBB, -1 the movie's
inline constexpr DISPID DISPID_FLASH_TOTALFRAMES = 124;  // long, read only
inline constexpr DISPID DISPID_FLASH_PLAYING = 125;      // bool
inline constexpr DISPID DISPID_FLASH_WMODE = 133;        // "Window", "Opaque", "Transparent"
inline constexpr DISPID DISPID_FLASH_SALIGN = 134;       // letters of "LTRB"
inline constexpr DISPID DISPID_FLASH_MENU = 135;         // bool
inline constexpr DISPID DISPID_FLASH_BASE = 136;         // BSTR
inline constexpr DISPID DISPID_FLASH_SCALE = 137;        // "ShowAll", "NoBorder", "ExactFit", "NoScale"
inline constexpr DISPID DISPID_FLASH_DEVICEFONT = 138;   // bool
inline constexpr DISPID DISPID_FLASH_EMBEDMOVIE = 139;   // bool
inline constexpr DISPID DISPID_FLASH_BGCOLOR = 140;      // "RRGGBB" or "#RRGGBB"
inline constexpr DISPID DISPID_FLASH_QUALITY2 = 141;     // "Low", "Medium", "High", "Best", "AutoLow", "AutoHigh"
inline constexpr DISPID DISPID_FLASH_SWREMOTE = 159;     // BSTR
inline constexpr DISPID DISPID_FLASH_FLASHVARS = 170;    // "a=1&b=2", variables of layer 0
inline constexpr DISPID DISPID_FLASH_ALLOWSCRIPTACCESS = 171;  // BSTR
inline constexpr DISPID DISPID_FLASH_MOVIEDATA = 190;    // BSTR
inline constexpr DISPID DISPID_FLASH_SEAMLESSTABBING = 192;  // bool

struct IShockwaveFlash : IDispatch {
    static constexpr IID kIid = guid("{D27CDB6C-AE6D-11CF-96B8-444553540000}");
    virtual HRESULT SetZoomRect(LONG left, LONG top, LONG right, LONG bottom) = 0;
    virtual HRESULT Zoom(int factor) = 0;
    virtual HRESULT Pan(LONG x, LONG y, int mode) = 0;
    virtual HRESULT Play() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Back() = 0;
    virtual HRESULT Forward() = 0;
    virtual HRESULT Rewind() = 0;
    virtual HRESULT StopPlay() = 0;
    virtual HRESULT GotoFrame(LONG frameNum) = 0;
    virtual HRESULT CurrentFrame(LONG* frameNum) = 0;
    virtual HRESULT IsPlaying(VARIANT_BOOL* playing) = 0;
    virtual HRESULT PercentLoaded(LONG* percent) = 0;
    virtual HRESULT FrameLoaded(LONG frameNum, VARIANT_BOOL* loaded) = 0;
    virtual HRESULT FlashVersion(LONG* version) = 0;
    virtual HRESULT LoadMovie(int layer, const BSTR& url) = 0;
    virtual HRESULT TGotoFrame(const BSTR& target, LONG frameNum) = 0;
    virtual HRESULT TGotoLabel(const BSTR& target, const BSTR& label) = 0;
    virtual HRESULT TCurrentFrame(const BSTR& target, LONG* frameNum) = 0;
    virtual HRESULT TCurrentLabel(const BSTR& target, BSTR* label) = 0;
    virtual HRESULT TPlay(const BSTR& target) = 0;
    virtual HRESULT TStopPlay(const BSTR& target) = 0;
    virtual HRESULT SetVariable(const BSTR& name, const BSTR& value) = 0;
    virtual HRESULT GetVariable(const BSTR& name, BSTR* value) = 0;
    virtual HRESULT TSetProperty(const BSTR& target, int property, const BSTR& value) = 0;
    virtual HRESULT TGetProperty(const BSTR& target, int property, BSTR* value) = 0;
    virtual HRESULT TCallFrame(const BSTR& target, int frameNum) = 0;
    virtual HRESULT TCallLabel(const BSTR& target, const BSTR& label) = 0;
    virtual HRESULT TSetPropertyNum(const BSTR& target, int property, double value) = 0;
    virtual HRESULT TGetPropertyNum(const BSTR& target, int property, double* value) = 0;
    virtual HRESULT TGetPropertyAsNumber(const BSTR& target, int property, double* value) = 0;
    virtual HRESULT CallFunction(const BSTR& request, BSTR* response) = 0;
    virtual HRESULT SetReturnValue(const BSTR& returnValue) = 0;
};
inline constexpr IID IID_IShockwaveFlash = IShockwaveFlash::kIid;

}  // namespace pencora::ole
