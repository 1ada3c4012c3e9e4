#include "platform/flash/control/local_fetch.h"

#include <fstream>
#include <system_error>

#include "platform/flash/control/ascii_text.h"
#include "platform/ole/file_scope.h"

namespace pencora::flash {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 to UTF-8; a lone surrogate (a movie can write any code units) becomes U+FFFD
// instead of failing the conversion.
std::string toUtf8(std::u16string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

// UTF-8 to UTF-16; each byte that does not begin a well-formed sequence becomes U+FFFD.
std::u16string fromUtf8(std::string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t c = length == 1   ? b
                     : length == 2 ? (b & 0x1F)
                     : length == 3 ? (b & 0x0F)
                                   : (b & 0x07);
        bool ok = length > 0 && i + length <= s.size();
        for (int k = 1; ok && k < length; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            ok = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && c >= kMinimum[length] && c <= 0x10FFFF && !(c >= 0xD800 && c < 0xE000);
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::filesystem::path pathOf(std::u16string_view s) {
    const std::string utf8 = toUtf8(s);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Percent escapes as UTF-8 bytes, the rest as written.
std::u16string percentDecode(std::u16string_view s) {
    std::string utf8;
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            utf8 += toUtf8(s.substr(plainFrom, i - plainFrom));
            utf8 += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
            plainFrom = i + 1;
        }
    }
    utf8 += toUtf8(s.substr(plainFrom));
    return fromUtf8(utf8);
}

bool isDrivePath(std::u16string_view s) {
    return s.size() >= 2 && s[1] == ':' &&
           ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'));
}

// A scheme is letters, digits, '+', '-', '.' before the first ':', at least two long (a
// single letter is a drive).
bool hasScheme(std::u16string_view s) {
    const auto colon = s.find(u':');
    if (colon == std::u16string_view::npos || colon < 2) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char16_t c = asciiLower(s[i]);
        const bool ok = (c >= 'a' && c <= 'z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::u16string slashes(std::u16string s) {
    for (char16_t& c : s) {
        if (c == '\\') {
            c = '/';
        }
    }
    return s;
}

std::u16string withoutQuery(std::u16string_view s) {
    return std::u16string(s.substr(0, s.find_first_of(u"?#")));
}

// The local path part of an absolute address, or nullopt when it is not local.
std::optional<std::u16string> absoluteLocal(std::u16string_view address) {
    if (startsWithIgnoringCase(address, u"file:")) {
        std::u16string_view rest = address.substr(5);
        if (rest.starts_with(u"//")) {
            rest.remove_prefix(2);
            if (startsWithIgnoringCase(rest, u"localhost/")) {
                rest.remove_prefix(9);
            }
        }
        std::u16string path = percentDecode(withoutQuery(rest));
        // file:///C:/x names the drive path C:/x.
        if (path.size() >= 3 && path[0] == '/' &&
            isDrivePath(std::u16string_view(path).substr(1))) {
            path.erase(0, 1);
        }
        return slashes(path);
    }
    if (hasScheme(address)) {
        return std::nullopt;
    }
    std::u16string path = slashes(withoutQuery(address));
    if (path.starts_with(u"/") || isDrivePath(path)) {
        return path;
    }
    return std::u16string();  // relative
}

// The folder a relative address is read against: `base` as a local address, or a relative
// base as a folder path as it stands; nullopt when `base` is not local.
std::optional<std::u16string> baseFolder(std::u16string_view base) {
    auto folder = absoluteLocal(base);
    if (folder && folder->empty()) {
        folder = slashes(std::u16string(base));
    }
    return folder;
}

}  // namespace

std::optional<std::filesystem::path> localFilePath(std::u16string_view address,
                                                   std::u16string_view base) {
    if (address.empty()) {
        return std::nullopt;
    }
    const auto absolute = absoluteLocal(address);
    if (!absolute) {
        return std::nullopt;
    }
    // A NUL, written or escaped, would end the path early and name another file.
    if (absolute->find(u'\0') != std::u16string::npos ||
        address.find(u'\0') != std::u16string_view::npos) {
        return std::nullopt;
    }
    if (!absolute->empty()) {
        return pathOf(*absolute);
    }
    if (base.empty() || !baseFolder(base)) {
        return std::nullopt;
    }
    // A movie's relative address stays below the movie's folder.
    const std::filesystem::path relative = pathOf(slashes(withoutQuery(address)));
    for (const auto& part : relative) {
        if (part == "..") {
            return std::nullopt;
        }
    }
    return pathOf(*baseFolder(base)) / relative;
}

std::optional<std::filesystem::path> movieFilePath(std::u16string_view address,
                                                   std::u16string_view base,
                                                   const std::filesystem::path& programFolder) {
    auto path = localFilePath(address, base);
    if (!path) {
        return std::nullopt;
    }
    if (ole::liesBelow(*path, programFolder)) {
        return path;
    }
    const auto absolute = absoluteLocal(address);
    const bool relative = absolute && absolute->empty();
    if (relative && ole::liesBelow(*path, pathOf(*baseFolder(base)))) {
        return path;
    }
    return std::nullopt;
}

std::u16string localFolderOf(std::u16string_view address) {
    const auto absolute = absoluteLocal(address);
    if (!absolute || absolute->empty()) {
        return {};
    }
    const auto slash = absolute->rfind(u'/');
    return slash == std::u16string::npos ? std::u16string() : absolute->substr(0, slash + 1);
}

std::optional<std::vector<std::uint8_t>> readLocalFile(const std::filesystem::path& path,
                                                       std::uintmax_t limit) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > limit) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 &&
        !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace pencora::flash
