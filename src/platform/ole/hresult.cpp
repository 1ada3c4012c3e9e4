#include "platform/ole/hresult.h"

#include <cstdio>
#include <utility>

namespace pencora::ole {

std::string describeResult(HRESULT code) {
    static constexpr std::pair<HRESULT, const char*> kNames[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_ABORT, "E_ABORT"},
        {E_FAIL, "E_FAIL"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
        {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
        {OLE_E_NOCONNECTION, "OLE_E_NOCONNECTION"},
        {OLE_E_NOT_INPLACEACTIVE, "OLE_E_NOT_INPLACEACTIVE"},
        {INPLACE_E_NOTOOLSPACE, "INPLACE_E_NOTOOLSPACE"},
        {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
        {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
        {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
        {CONNECT_E_NOCONNECTION, "CONNECT_E_NOCONNECTION"},
        {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"},
        {STG_E_INVALIDFUNCTION, "STG_E_INVALIDFUNCTION"},
        {STG_E_INVALIDPOINTER, "STG_E_INVALIDPOINTER"},
        {HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND), "ERROR_RESOURCE_NAME_NOT_FOUND"},
    };
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    for (const auto& [value, name] : kNames) {
        if (value == code) {
            return std::string(name) + " (" + hex + ")";
        }
    }
    return hex;
}

}  // namespace pencora::ole
