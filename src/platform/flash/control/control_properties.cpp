#include "platform/flash/control/control_properties.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/flash/control/ascii_text.h"

namespace pencora::flash {

namespace {

constexpr std::array<std::u16string_view, 6> kQualities = {u"Low",  u"Medium",  u"High",
                                                           u"Best", u"AutoLow", u"AutoHigh"};

enum class Kind : std::uint8_t { Int = 1, Bool = 2, Text = 3 };

// One row per saved property: its number and where it lives.
struct Field {
    std::int16_t id;
    Kind kind;
    std::int32_t* intValue;
    bool* boolValue;
    std::u16string* textValue;
};

std::vector<Field> fields(ControlProperties& p, std::int32_t& windowMode, std::int32_t& scaleMode) {
    return {
        {102, Kind::Text, nullptr, nullptr, &p.movie},
        {133, Kind::Int, &windowMode, nullptr, nullptr},
        {141, Kind::Text, nullptr, nullptr, &p.quality},
        {106, Kind::Bool, nullptr, &p.loop, nullptr},
        {125, Kind::Bool, nullptr, &p.playing, nullptr},
        {120, Kind::Int, &scaleMode, nullptr, nullptr},
        {121, Kind::Int, &p.align, nullptr, nullptr},
        {123, Kind::Int, &p.backgroundColor, nullptr, nullptr},
        {135, Kind::Bool, nullptr, &p.menu, nullptr},
        {136, Kind::Text, nullptr, nullptr, &p.base},
        {138, Kind::Bool, nullptr, &p.deviceFont, nullptr},
        {139, Kind::Bool, nullptr, &p.embedMovie, nullptr},
        {159, Kind::Text, nullptr, nullptr, &p.swRemote},
        {170, Kind::Text, nullptr, nullptr, &p.flashVars},
        {171, Kind::Text, nullptr, nullptr, &p.allowScriptAccess},
        {190, Kind::Text, nullptr, nullptr, &p.movieData},
        {192, Kind::Bool, nullptr, &p.seamlessTabbing, nullptr},
    };
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> b) : bytes_(b) {}
    bool read(void* out, std::size_t n) {
        if (n > bytes_.size() - pos_) {
            return false;
        }
        std::memcpy(out, bytes_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    std::optional<std::uint32_t> u32() {
        std::uint8_t b[4];
        if (!read(b, 4)) {
            return std::nullopt;
        }
        return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
               (std::uint32_t{b[3]} << 24);
    }
    std::optional<std::uint16_t> u16() {
        std::uint8_t b[2];
        if (!read(b, 2)) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::size_t left() const { return bytes_.size() - pos_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

std::u16string urlDecode(std::u16string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out.push_back(' ');
        } else if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 &&
                   hexDigit(s[i + 2]) >= 0) {
            out.push_back(static_cast<char16_t>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> saveControlState(const ControlProperties& properties) {
    ControlProperties p = properties;
    std::int32_t windowMode = static_cast<std::int32_t>(p.windowMode);
    std::int32_t scaleMode = static_cast<std::int32_t>(p.scaleMode);
    const auto rows = fields(p, windowMode, scaleMode);
    std::vector<std::uint8_t> out = {'P', 'n', 'F', 'l'};
    put16(out, 1);
    put32(out, static_cast<std::uint32_t>(rows.size()));
    for (const Field& f : rows) {
        put16(out, static_cast<std::uint16_t>(f.id));
        out.push_back(static_cast<std::uint8_t>(f.kind));
        switch (f.kind) {
            case Kind::Int:
                put32(out, static_cast<std::uint32_t>(*f.intValue));
                break;
            case Kind::Bool:
                out.push_back(*f.boolValue ? 1 : 0);
                break;
            case Kind::Text:
                put32(out, static_cast<std::uint32_t>(f.textValue->size()));
                for (char16_t c : *f.textValue) {
                    put16(out, c);
                }
                break;
        }
    }
    return out;
}

std::optional<ControlProperties> loadControlState(std::span<const std::uint8_t> bytes) {
    Reader r(bytes);
    char magic[4];
    if (!r.read(magic, 4) || std::memcmp(magic, "PnFl", 4) != 0) {
        return std::nullopt;
    }
    const auto version = r.u16();
    const auto count = r.u32();
    if (!version || *version != 1 || !count) {
        return std::nullopt;
    }
    ControlProperties p;
    std::int32_t windowMode = static_cast<std::int32_t>(p.windowMode);
    std::int32_t scaleMode = static_cast<std::int32_t>(p.scaleMode);
    const auto rows = fields(p, windowMode, scaleMode);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto id = r.u16();
        std::uint8_t kind = 0;
        if (!id || !r.read(&kind, 1)) {
            return std::nullopt;
        }
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const Field& f) {
            return f.id == static_cast<std::int16_t>(*id) &&
                   static_cast<std::uint8_t>(f.kind) == kind;
        });
        switch (static_cast<Kind>(kind)) {
            case Kind::Int: {
                const auto v = r.u32();
                if (!v) {
                    return std::nullopt;
                }
                if (row != rows.end()) {
                    *row->intValue = static_cast<std::int32_t>(*v);
                }
                break;
            }
            case Kind::Bool: {
                std::uint8_t v = 0;
                if (!r.read(&v, 1)) {
                    return std::nullopt;
                }
                if (row != rows.end()) {
                    *row->boolValue = v != 0;
                }
                break;
            }
            case Kind::Text: {
                const auto length = r.u32();
                if (!length || *length > r.left() / 2) {
                    return std::nullopt;
                }
                std::u16string text;
                text.reserve(*length);
                for (std::uint32_t k = 0; k < *length; ++k) {
                    text.push_back(static_cast<char16_t>(*r.u16()));
                }
                if (row != rows.end()) {
                    *row->textValue = std::move(text);
                }
                break;
            }
            default:
                return std::nullopt;
        }
    }
    if (windowMode < 0 || windowMode > 2 || scaleMode < 0 || scaleMode > 3) {
        return std::nullopt;
    }
    p.windowMode = static_cast<WindowMode>(windowMode);
    p.scaleMode = static_cast<ScaleMode>(scaleMode);
    p.quality = canonicalQuality(p.quality);
    return p;
}

WindowMode parseWindowMode(std::u16string_view text) {
    if (equalsIgnoringCase(text, u"Transparent")) {
        return WindowMode::Transparent;
    }
    if (equalsIgnoringCase(text, u"Opaque")) {
        return WindowMode::Opaque;
    }
    return WindowMode::Window;
}

std::u16string windowModeText(WindowMode mode) {
    switch (mode) {
        case WindowMode::Opaque:
            return u"Opaque";
        case WindowMode::Transparent:
            return u"Transparent";
        case WindowMode::Window:
            break;
    }
    return u"Window";
}

ScaleMode parseScaleMode(std::u16string_view text) {
    if (equalsIgnoringCase(text, u"NoBorder")) {
        return ScaleMode::NoBorder;
    }
    if (equalsIgnoringCase(text, u"ExactFit")) {
        return ScaleMode::ExactFit;
    }
    if (equalsIgnoringCase(text, u"NoScale")) {
        return ScaleMode::NoScale;
    }
    return ScaleMode::ShowAll;
}

std::u16string scaleModeText(ScaleMode mode) {
    switch (mode) {
        case ScaleMode::NoBorder:
            return u"NoBorder";
        case ScaleMode::ExactFit:
            return u"ExactFit";
        case ScaleMode::NoScale:
            return u"NoScale";
        case ScaleMode::ShowAll:
            break;
    }
    return u"ShowAll";
}

std::u16string canonicalQuality(std::u16string_view text) {
    for (auto q : kQualities) {
        if (equalsIgnoringCase(text, q)) {
            return std::u16string(q);
        }
    }
    return u"High";
}

int qualityNumber(std::u16string_view quality) {
    if (equalsIgnoringCase(quality, u"Low")) {
        return 0;
    }
    if (equalsIgnoringCase(quality, u"AutoLow")) {
        return 2;
    }
    if (equalsIgnoringCase(quality, u"AutoHigh")) {
        return 3;
    }
    return 1;
}

std::u16string qualityFromNumber(int number) {
    switch (number) {
        case 0:
            return u"Low";
        case 2:
            return u"AutoLow";
        case 3:
            return u"AutoHigh";
        default:
            return u"High";
    }
}

Quality renderQuality(std::u16string_view quality) {
    if (equalsIgnoringCase(quality, u"Low") || equalsIgnoringCase(quality, u"AutoLow")) {
        return Quality::Low;
    }
    if (equalsIgnoringCase(quality, u"Medium")) {
        return Quality::Medium;
    }
    if (equalsIgnoringCase(quality, u"Best")) {
        return Quality::Best;
    }
    return Quality::High;
}

int parseAlign(std::u16string_view letters) {
    int bits = 0;
    for (char16_t c : letters) {
        switch (asciiLower(c)) {
            case 'l':
                bits |= kAlignLeft;
                break;
            case 'r':
                bits |= kAlignRight;
                break;
            case 't':
                bits |= kAlignTop;
                break;
            case 'b':
                bits |= kAlignBottom;
                break;
            default:
                break;
        }
    }
    return bits;
}

std::u16string alignText(int bits) {
    std::u16string out;
    if (bits & kAlignLeft) {
        out += u'L';
    }
    if (bits & kAlignTop) {
        out += u'T';
    }
    if (bits & kAlignRight) {
        out += u'R';
    }
    if (bits & kAlignBottom) {
        out += u'B';
    }
    return out;
}

std::int32_t parseColor(std::u16string_view text) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && asciiLower(text[1]) == 'x') {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 6) {
        return -1;
    }
    std::int32_t value = 0;
    for (char16_t c : text) {
        const int d = hexDigit(c);
        if (d < 0) {
            return -1;
        }
        value = value * 16 + d;
    }
    return value;
}

std::u16string colorText(std::int32_t color) {
    if (color < 0) {
        return {};
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string out = u"#";
    for (int shift = 20; shift >= 0; shift -= 4) {
        out += static_cast<char16_t>(kHex[(color >> shift) & 0xF]);
    }
    return out;
}

std::vector<std::pair<std::u16string, std::u16string>> parseQueryVariables(
    std::u16string_view text) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    while (!text.empty()) {
        const auto amp = text.find(u'&');
        const std::u16string_view pair = text.substr(0, amp);
        text = amp == std::u16string_view::npos ? std::u16string_view() : text.substr(amp + 1);
        if (pair.empty()) {
            continue;
        }
        const auto eq = pair.find(u'=');
        std::u16string name = urlDecode(pair.substr(0, eq));
        std::u16string value =
            eq == std::u16string_view::npos ? std::u16string() : urlDecode(pair.substr(eq + 1));
        if (!name.empty()) {
            out.emplace_back(std::move(name), std::move(value));
        }
    }
    return out;
}

}  // namespace pencora::flash
