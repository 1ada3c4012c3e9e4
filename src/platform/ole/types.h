// Plain types of the component contract: integers under their platform names, rectangles,
// points, window messages and opaque handles. Windows do not exist here; a window handle is
// only ever compared or passed on.
#pragma once

#include <cstdint>
#include <string>

namespace pencora::ole {

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using LARGE_INTEGER = std::int64_t;
using ULARGE_INTEGER = std::uint64_t;
using ULONG_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Wide strings of the contract (BSTR and OLE strings) are UTF-16 text.
using BSTR = std::u16string;

struct WindowHandle;
struct MenuHandle;
struct RegionHandle;
using HWND = WindowHandle*;
using HMENU = MenuHandle*;
using HOLEMENU = void*;
using HRGN = RegionHandle*;
using HACCEL = void*;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend constexpr bool operator==(const RECT&, const RECT&) = default;
};
using RECTL = RECT;

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend constexpr bool operator==(const POINT&, const POINT&) = default;
};
using POINTL = POINT;

struct POINTF {
    float x = 0;
    float y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend constexpr bool operator==(const SIZE&, const SIZE&) = default;
};
using SIZEL = SIZE;

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// Packing of mouse positions into a message's lParam: x in the low word, y in the high word,
// each a signed 16-bit value.
constexpr LPARAM MAKELPARAM(int x, int y) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}
constexpr int GET_X_LPARAM(LPARAM l) {
    return static_cast<std::int16_t>(l & 0xFFFF);
}
constexpr int GET_Y_LPARAM(LPARAM l) {
    return static_cast<std::int16_t>((l >> 16) & 0xFFFF);
}

// Window messages the host forwards and the control understands.
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_MOUSELAST = 0x020E;
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;

// Input method composition. The host sends text still being composed one UTF-16 unit at a
// time, each a WM_IME_COMPOSITION with GCS_COMPSTR | CS_INSERTCHAR | CS_NOMOVECARET and the
// unit in wParam, then a WM_IME_COMPOSITION with GCS_COMPSTR alone: the units since the last
// such message are now the whole composition (none: it is empty). Committed text comes as
// WM_CHAR.
inline constexpr UINT WM_IME_COMPOSITION = 0x010F;
inline constexpr LPARAM GCS_COMPSTR = 0x0008;
inline constexpr LPARAM CS_INSERTCHAR = 0x2000;
inline constexpr LPARAM CS_NOMOVECARET = 0x4000;
// Where the caret is, for the input method's candidate window: wParam IMR_QUERYCHARPOSITION,
// lParam an IMECHARPOSITION the control fills in; the result is nonzero when it did.
inline constexpr UINT WM_IME_REQUEST = 0x0288;
inline constexpr WPARAM IMR_QUERYCHARPOSITION = 0x0006;
struct IMECHARPOSITION {
    DWORD dwSize = sizeof(IMECHARPOSITION);
    DWORD dwCharPos = 0;
    POINT pt;  // top of the caret, in the host's client coordinates
    UINT cLineHeight = 0;
    RECT rcDocument;
};

inline constexpr UINT HTCLIENT = 1;
// Cursor identifiers: what the control answers to WM_SETCURSOR (see flash_control.h).
inline constexpr LRESULT IDC_ARROW = 32512;
inline constexpr LRESULT IDC_IBEAM = 32513;
inline constexpr LRESULT IDC_HAND = 32649;

}  // namespace pencora::ole
