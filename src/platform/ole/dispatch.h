// IDispatch and the small VARIANT it carries: empty, 16-bit Boolean (-1 / 0), 16- and 32-bit
// integers, double, wide string, and interface pointers, plus references to a 16-bit integer
// or a string for arguments a callee writes back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ole/unknown.h"

namespace pencora::ole {

using VARTYPE = std::uint16_t;
inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_BYREF = 0x4000;

using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IDispatch;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    VARIANT_BOOL boolVal = 0;
    std::int16_t iVal = 0;
    std::int32_t lVal = 0;  // VT_I4, VT_UI4 (as bits)
    double dblVal = 0;
    BSTR bstrVal;
    ComPtr<IUnknown> punkVal;  // VT_UNKNOWN and VT_DISPATCH (as the IDispatch's IUnknown)
    std::int16_t* piVal = nullptr;  // VT_BYREF | VT_I2
    BSTR* pbstrVal = nullptr;       // VT_BYREF | VT_BSTR

    static VARIANT fromBool(bool b) {
        VARIANT v;
        v.vt = VT_BOOL;
        v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static VARIANT fromInt(std::int32_t i) {
        VARIANT v;
        v.vt = VT_I4;
        v.lVal = i;
        return v;
    }
    static VARIANT fromDouble(double d) {
        VARIANT v;
        v.vt = VT_R8;
        v.dblVal = d;
        return v;
    }
    static VARIANT fromString(BSTR s) {
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = std::move(s);
        return v;
    }
    static VARIANT fromUnknown(IUnknown* p) {
        VARIANT v;
        v.vt = VT_UNKNOWN;
        v.punkVal = ComPtr<IUnknown>(p);
        return v;
    }
};

// Conversions as the platform's VariantChangeType makes them for the types above: numbers
// and Booleans convert among each other (true is -1, any non-zero number is true), strings
// convert to numbers only when they read as one ("12", " -3.5 "), and "True"/"False" (any
// case) to Booleans; numbers convert to text in their shortest round-trip form. nullopt means
// DISP_E_TYPEMISMATCH.
std::optional<std::int32_t> variantToInt(const VARIANT& v);
std::optional<double> variantToDouble(const VARIANT& v);
std::optional<bool> variantToBool(const VARIANT& v);
std::optional<BSTR> variantToString(const VARIANT& v);

// Arguments of Invoke, last argument first (rgvarg[0] is the rightmost argument), as the
// platform orders them. A property put names its value DISPID_PROPERTYPUT.
struct DISPPARAMS {
    std::vector<VARIANT> rgvarg;
    std::vector<DISPID> rgdispidNamedArgs;
    UINT cArgs() const { return static_cast<UINT>(rgvarg.size()); }
};

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

struct EXCEPINFO {
    WORD wCode = 0;
    BSTR bstrSource;
    BSTR bstrDescription;
    HRESULT scode = S_OK;
};

inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

// Type information is not offered by anything here; the type exists for the signatures.
struct ITypeInfo : IUnknown {
    static constexpr IID kIid = guid("{00020401-0000-0000-C000-000000000046}");
};

struct IDispatch : IUnknown {
    static constexpr IID kIid = guid("{00020400-0000-0000-C000-000000000046}");
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, const BSTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};
inline constexpr IID IID_IDispatch = IDispatch::kIid;

// Convenience for callers: a property get / put / method call through Invoke.
HRESULT dispatchGet(IDispatch* target, DISPID id, VARIANT* result);
HRESULT dispatchPut(IDispatch* target, DISPID id, const VARIANT& value);
// `args` in natural (left to right) order.
HRESULT dispatchCall(IDispatch* target, DISPID id, std::vector<VARIANT> args,
                     VARIANT* result = nullptr);

}  // namespace pencora::ole
