// The player's rules for the addresses its control asks for: which it serves (the triggers),
// and the small text operations its bind host decides with. Addresses are 8-bit strings here,
// UTF-8 on this platform.
#pragma once

#include <string>
#include <string_view>

namespace pencora::player {

// The prefix the player puts before every address it hands its control; it names no server.
inline constexpr std::string_view kHostPrefix = "http://zzz/";

// True when `s` contains one of the extensions the player serves (case-sensitive, anywhere)
// or the video site's host name.
bool hasServedTrigger(std::string_view s);

// `s` up to (not including) its last '.'; unchanged without one.
std::string StripExtension(std::string_view s);

// Lower case, then "%3f" "%3d" "%26" "%20" "%2d" "%2f" decoded, one pass each, in that order.
std::string DecodeAddress(std::string_view s);

// The decoded address cut before its first '&' or '?', then after its last '/', ':', '|', '\'.
std::string UrlFileName(std::string_view s);

// The local path an address names: decoded, "file://" dropped, '\' and '/' read as
// separators, '|' as ':', cut before its first '&' or '?'.
std::string LocalPathOf(std::string_view s);

// True when LocalPathOf(s) is an existing file.
bool LocalFileExists(std::string_view s);

// True when `s` starts with `prefix`.
inline bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace pencora::player
