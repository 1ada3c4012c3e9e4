#include "player/address_rules.h"

#include <QFileInfo>
#include <QString>
#include <array>

namespace pencora::player {

namespace {

// Replaces every `from` by `to`, scanning on after the inserted text.
void replaceAll(std::string& s, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = s.find(from, at)) != std::string::npos) {
        s.replace(at, from.size(), to);
        at += to.size();
    }
}

}  // namespace

bool hasServedTrigger(std::string_view s) {
    static constexpr std::array<std::string_view, 11> kTriggers{
        ".swf", ".flv", ".xml", ".jpg", ".png",       ".mp3",
        ".ogg", ".txt", ".adf", ".ADF", "youtube.com"};
    for (const auto t : kTriggers) {
        if (s.find(t) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string StripExtension(std::string_view s) {
    const auto dot = s.rfind('.');
    return std::string(dot == std::string_view::npos ? s : s.substr(0, dot));
}

namespace {

// The escapes of DecodeAddress; with `keepCase` the letters outside escapes keep their case
// (file names on this platform are case-sensitive, where the original's were not).
std::string decodeEscapes(std::string_view s, bool keepCase) {
    std::string r(s);
    for (std::size_t i = 0; i < r.size(); ++i) {
        char& c = r[i];
        const bool inEscape = (i >= 1 && r[i - 1] == '%') || (i >= 2 && r[i - 2] == '%');
        if (c >= 'A' && c <= 'Z' && (!keepCase || inEscape)) {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    replaceAll(r, "%3f", "?");
    replaceAll(r, "%3d", "=");
    replaceAll(r, "%26", "&");
    replaceAll(r, "%20", " ");
    replaceAll(r, "%2d", "-");
    replaceAll(r, "%2f", "/");
    return r;
}

}  // namespace

std::string DecodeAddress(std::string_view s) {
    return decodeEscapes(s, false);
}

std::string UrlFileName(std::string_view s) {
    std::string r = DecodeAddress(s);
    const auto cut = r.find_first_of("&?");
    if (cut != std::string::npos) {
        r.resize(cut);
    }
    const auto last = r.find_last_of("/:|\\");
    return last == std::string::npos ? r : r.substr(last + 1);
}

std::string LocalPathOf(std::string_view s) {
    std::string r = decodeEscapes(s, true);
    if (r.size() >= 7 && QString::fromStdString(r.substr(0, 7)).toLower() == "file://") {
        r.erase(0, 7);
    }
    // "/C:/..." is a drive path written as an address; a plain "/home/..." is an absolute
    // path of this platform and keeps its slash.
    if (r.size() >= 3 && r[0] == '/' && r[2] == ':') {
        r.erase(0, 1);
    }
    for (auto& c : r) {
        if (c == '\\') {
            c = '/';
        } else if (c == '|') {
            c = ':';
        }
    }
    const auto cut = r.find_first_of("&?");
    if (cut != std::string::npos) {
        r.resize(cut);
    }
    return r;
}

bool LocalFileExists(std::string_view s) {
    const std::string path = LocalPathOf(s);
    if (path.empty()) {
        return false;
    }
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.isFile();
}

}  // namespace pencora::player
