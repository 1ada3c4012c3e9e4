// The ASCII rules the control reads addresses and property texts by: letters compared without
// case, hex digits of either case. Other characters compare as themselves.
#pragma once

#include <algorithm>
#include <string_view>

namespace pencora::flash {

inline char16_t asciiLower(char16_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
}

inline bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return asciiLower(x) == asciiLower(y); });
}

inline bool startsWithIgnoringCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoringCase(s.substr(0, prefix.size()), prefix);
}

// The value of a hex digit; -1 for any other character.
inline int hexDigit(char16_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = asciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace pencora::flash
