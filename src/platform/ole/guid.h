// Class and interface identifiers: 128-bit GUIDs written "{D27CDB6E-AE6D-11CF-96B8-444553540000}".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pencora::ole {

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

inline constexpr GUID GUID_NULL{};

namespace detail {
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
}  // namespace detail

// Reads "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without the braces, hex digits in
// either case. Anything else (a digit short, a stray character, unbalanced braces) is nullopt.
constexpr std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::uint8_t bytes[16]{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int hi = detail::hexValue(text[i]);
        const int lo = detail::hexValue(text[i + 1]);
        if (hi < 0 || lo < 0 || n >= 16) {
            return std::nullopt;
        }
        bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    GUID g;
    g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
              (std::uint32_t{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = bytes[8 + i];
    }
    return g;
}

// A GUID written in source; a malformed literal does not compile.
consteval GUID guid(std::string_view text) {
    const auto g = parseGuid(text);
    if (!g) {
        throw "malformed GUID literal";
    }
    return *g;
}

// "{D27CDB6E-AE6D-11CF-96B8-444553540000}": braces, upper-case digits.
std::string toString(const GUID& g);

}  // namespace pencora::ole

template <>
struct std::hash<pencora::ole::GUID> {
    std::size_t operator()(const pencora::ole::GUID& g) const noexcept {
        std::size_t h = g.Data1;
        h = h * 31 + g.Data2;
        h = h * 31 + g.Data3;
        for (auto b : g.Data4) {
            h = h * 31 + b;
        }
        return h;
    }
};
