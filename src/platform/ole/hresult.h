// Result codes of the component contract, with the values the platform gives them, so that
// codes read in logs, tests and stored traces mean what they mean there.
#pragma once

#include <cstdint>
#include <string>

namespace pencora::ole {

using HRESULT = std::int32_t;

constexpr HRESULT hr(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool SUCCEEDED(HRESULT h) { return h >= 0; }
constexpr bool FAILED(HRESULT h) { return h < 0; }
// A Win32 error number as a result code (ERROR_RESOURCE_NAME_NOT_FOUND and the like).
constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t error) {
    return error == 0 ? 0 : hr((error & 0xFFFF) | 0x80070000u);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = hr(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = hr(0x80004002);
inline constexpr HRESULT E_POINTER = hr(0x80004003);
inline constexpr HRESULT E_ABORT = hr(0x80004004);
inline constexpr HRESULT E_FAIL = hr(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = hr(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = hr(0x80070005);
inline constexpr HRESULT E_HANDLE = hr(0x80070006);
inline constexpr HRESULT E_OUTOFMEMORY = hr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = hr(0x80070057);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = hr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hr(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = hr(0x80040154);

inline constexpr HRESULT OLE_S_USEREG = hr(0x00040000);
inline constexpr HRESULT OLE_E_OLEVERB = hr(0x80040000);
inline constexpr HRESULT OLE_E_ADVF = hr(0x80040001);
inline constexpr HRESULT OLE_E_ENUM_NOMORE = hr(0x80040002);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = hr(0x80040003);
inline constexpr HRESULT OLE_E_NOCONNECTION = hr(0x80040004);
inline constexpr HRESULT OLE_E_NOTRUNNING = hr(0x80040005);
inline constexpr HRESULT OLE_E_NOCACHE = hr(0x80040006);
inline constexpr HRESULT OLE_E_BLANK = hr(0x80040007);
inline constexpr HRESULT OLE_E_CLASSDIFF = hr(0x80040008);
inline constexpr HRESULT OLE_E_CANT_GETMONIKER = hr(0x80040009);
inline constexpr HRESULT OLE_E_CANT_BINDTOSOURCE = hr(0x8004000A);
inline constexpr HRESULT OLE_E_STATIC = hr(0x8004000B);
inline constexpr HRESULT OLE_E_PROMPTSAVECANCELLED = hr(0x8004000C);
inline constexpr HRESULT OLE_E_INVALIDRECT = hr(0x8004000D);
inline constexpr HRESULT OLE_E_WRONGCOMPOBJ = hr(0x8004000E);
inline constexpr HRESULT OLE_E_INVALIDHWND = hr(0x8004000F);
inline constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = hr(0x80040010);
inline constexpr HRESULT OLE_E_CANTCONVERT = hr(0x80040011);
inline constexpr HRESULT OLE_E_NOSTORAGE = hr(0x80040012);

inline constexpr HRESULT DV_E_FORMATETC = hr(0x80040064);
inline constexpr HRESULT DV_E_LINDEX = hr(0x80040068);
inline constexpr HRESULT DV_E_DVASPECT = hr(0x8004006B);
inline constexpr HRESULT VIEW_E_DRAW = hr(0x80040140);

inline constexpr HRESULT INPLACE_E_NOTUNDOABLE = hr(0x800401A0);
inline constexpr HRESULT INPLACE_E_NOTOOLSPACE = hr(0x800401A1);

inline constexpr HRESULT MK_E_UNAVAILABLE = hr(0x800401E3);
inline constexpr HRESULT MK_E_SYNTAX = hr(0x800401E4);
inline constexpr HRESULT MK_E_NOOBJECT = hr(0x800401E5);

inline constexpr HRESULT CONNECT_E_NOCONNECTION = hr(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = hr(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = hr(0x80040202);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hr(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = hr(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = hr(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = hr(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = hr(0x80020006);
inline constexpr HRESULT DISP_E_BADVARTYPE = hr(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = hr(0x80020009);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = hr(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hr(0x8002000F);

inline constexpr HRESULT STG_E_INVALIDFUNCTION = hr(0x80030001);
inline constexpr HRESULT STG_E_FILENOTFOUND = hr(0x80030002);
inline constexpr HRESULT STG_E_INVALIDPOINTER = hr(0x80030009);
inline constexpr HRESULT STG_E_READFAULT = hr(0x8003001E);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = hr(0x80030057);
inline constexpr HRESULT STG_E_MEDIUMFULL = hr(0x80030070);

inline constexpr HRESULT INET_E_INVALID_URL = hr(0x800C0002);
inline constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = hr(0x800C0005);
inline constexpr HRESULT INET_E_OBJECT_NOT_FOUND = hr(0x800C0006);
inline constexpr HRESULT INET_E_DOWNLOAD_FAILURE = hr(0x800C0008);

// Win32 errors the callers of the contract raise as result codes.
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// "0x80004005" and, where known, the code's name: "E_FAIL (0x80004005)". For error texts.
std::string describeResult(HRESULT code);

}  // namespace pencora::ole
