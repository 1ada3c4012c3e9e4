#include "platform/ole/dispatch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace pencora::ole {

namespace {

std::string narrowAscii(const BSTR& s) {
    std::string out;
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c > 0x7F) {
            return {};
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::optional<double> parseNumber(const BSTR& s) {
    std::string text = narrowAscii(s);
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    text = text.substr(first, last - first + 1);
    double value = 0;
    const char* begin = text.data();
    if (*begin == '+') {
        ++begin;
    }
    // One sign at most, and only digits: "inf" and "nan" read as words here, not numbers.
    if (begin == text.data() + text.size() || *begin == '+' ||
        (*begin == '-' && begin != text.data())) {
        return std::nullopt;
    }
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    std::string lower = a;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == b;
}

}  // namespace

std::optional<double> variantToDouble(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY:
            return 0.0;
        case VT_BOOL:
            return v.boolVal ? -1.0 : 0.0;
        case VT_I2:
            return v.iVal;
        case VT_I4:
            return v.lVal;
        case VT_UI4:
            return static_cast<double>(static_cast<std::uint32_t>(v.lVal));
        case VT_R8:
            return v.dblVal;
        case VT_BSTR:
            return parseNumber(v.bstrVal);
        case VT_BYREF | VT_I2:
            return v.piVal ? std::optional<double>(*v.piVal) : std::nullopt;
        default:
            return std::nullopt;
    }
}

std::optional<std::int32_t> variantToInt(const VARIANT& v) {
    if (v.vt == VT_UI4 || v.vt == VT_I4) {
        return v.lVal;
    }
    const auto d = variantToDouble(v);
    if (!d || !std::isfinite(*d)) {
        return std::nullopt;
    }
    // Banker's rounding, as the platform's conversion rounds.
    const double r = std::nearbyint(*d);
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

std::optional<bool> variantToBool(const VARIANT& v) {
    if (v.vt == VT_BSTR) {
        const std::string text = narrowAscii(v.bstrVal);
        if (equalsIgnoringCase(text, "true")) {
            return true;
        }
        if (equalsIgnoringCase(text, "false")) {
            return false;
        }
    }
    const auto d = variantToDouble(v);
    if (!d) {
        return std::nullopt;
    }
    return *d != 0;
}

std::optional<BSTR> variantToString(const VARIANT& v) {
    auto fromAscii = [](const std::string& s) { return BSTR(s.begin(), s.end()); };
    switch (v.vt) {
        case VT_EMPTY:
            return BSTR();
        case VT_BSTR:
            return v.bstrVal;
        case VT_BYREF | VT_BSTR:
            return v.pbstrVal ? std::optional<BSTR>(*v.pbstrVal) : std::nullopt;
        case VT_BOOL:
            return fromAscii(v.boolVal ? "True" : "False");
        case VT_R8: {
            if (std::isfinite(v.dblVal) && v.dblVal == std::trunc(v.dblVal) &&
                std::abs(v.dblVal) < 1e15) {
                return fromAscii(std::to_string(static_cast<long long>(v.dblVal)));
            }
            char buffer[64];
            const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v.dblVal);
            return fromAscii(std::string(buffer, ec == std::errc() ? end : buffer));
        }
        default: {
            const auto i = variantToDouble(v);
            if (!i) {
                return std::nullopt;
            }
            return fromAscii(std::to_string(static_cast<long long>(*i)));
        }
    }
}

HRESULT dispatchGet(IDispatch* target, DISPID id, VARIANT* result) {
    if (!target) {
        return E_POINTER;
    }
    DISPPARAMS none;
    return target->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result,
                          nullptr, nullptr);
}

HRESULT dispatchPut(IDispatch* target, DISPID id, const VARIANT& value) {
    if (!target) {
        return E_POINTER;
    }
    DISPPARAMS params;
    params.rgvarg.push_back(value);
    params.rgdispidNamedArgs.push_back(DISPID_PROPERTYPUT);
    return target->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                          nullptr, nullptr, nullptr);
}

HRESULT dispatchCall(IDispatch* target, DISPID id, std::vector<VARIANT> args, VARIANT* result) {
    if (!target) {
        return E_POINTER;
    }
    DISPPARAMS params;
    params.rgvarg.assign(std::make_move_iterator(args.rbegin()),
                         std::make_move_iterator(args.rend()));
    return target->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                          nullptr, nullptr);
}

}  // namespace pencora::ole
