#include "platform/flash/flv/script_data.h"

#include <cstring>

namespace pencora::flv {

namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxEntries = 1 << 16;  // per object or array
constexpr uint8_t kScriptTag = 18;

// Reads AMF0 within one tag body; any read past its end fails the whole value.
class AmfReader {
  public:
    explicit AmfReader(std::span<const uint8_t> body) : body_(body) {}

    bool value(ScriptValue& out, int depth) {
        uint8_t marker = 0;
        if (depth > kMaxDepth || !u8(marker)) {
            return false;
        }
        switch (marker) {
            case 0:
                out.type = ScriptValue::Type::Number;
                return number(out.number);
            case 1:
                return boolean(out);
            case 2:
                out.type = ScriptValue::Type::String;
                return shortString(out.text);
            case 3:
                out.type = ScriptValue::Type::Object;
                return members(out, depth);
            case 5:
                out.type = ScriptValue::Type::Null;
                return true;
            case 6:
                out.type = ScriptValue::Type::Undefined;
                return true;
            case 8:
                return ecmaArray(out, depth);
            case 10:
                return strictArray(out, depth);
            case 11:
                return date(out);
            case 12:
                out.type = ScriptValue::Type::String;
                return longString(out.text);
            default:
                return false;  // references, typed objects, AMF3: not in metadata
        }
    }

    bool shortString(std::string& out) {
        uint16_t n = 0;
        return u16(n) && chars(n, out);
    }

  private:
    bool u8(uint8_t& v) {
        if (pos_ + 1 > body_.size()) {
            return false;
        }
        v = body_[pos_++];
        return true;
    }
    bool u16(uint16_t& v) {
        if (pos_ + 2 > body_.size()) {
            return false;
        }
        v = uint16_t(body_[pos_] << 8 | body_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool u32(uint32_t& v) {
        if (pos_ + 4 > body_.size()) {
            return false;
        }
        v = uint32_t(body_[pos_]) << 24 | uint32_t(body_[pos_ + 1]) << 16 |
            uint32_t(body_[pos_ + 2]) << 8 | body_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    bool number(double& v) {
        if (pos_ + 8 > body_.size()) {
            return false;
        }
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = bits << 8 | body_[pos_ + size_t(i)];
        }
        pos_ += 8;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool chars(size_t n, std::string& out) {
        if (n > body_.size() - pos_) {
            return false;
        }
        out.assign(reinterpret_cast<const char*>(body_.data() + pos_), n);
        pos_ += n;
        return true;
    }
    bool longString(std::string& out) {
        uint32_t n = 0;
        return u32(n) && chars(n, out);
    }
    bool boolean(ScriptValue& out) {
        uint8_t b = 0;
        out.type = ScriptValue::Type::Boolean;
        out.number = 0;
        if (!u8(b)) {
            return false;
        }
        out.number = b ? 1 : 0;
        return true;
    }
    bool date(ScriptValue& out) {
        uint16_t zone = 0;
        out.type = ScriptValue::Type::Date;
        return number(out.number) && u16(zone);
    }
    // Name/value pairs up to the empty name and the object-end marker (9). A list that runs
    // to the end of the tag without its end marker keeps what it read.
    bool members(ScriptValue& out, int depth) {
        while (out.members.size() < kMaxEntries) {
            std::string name;
            if (!shortString(name)) {
                return pos_ >= body_.size();
            }
            if (name.empty() && pos_ < body_.size() && body_[pos_] == 9) {
                ++pos_;
                return true;
            }
            ScriptValue v;
            if (!value(v, depth + 1)) {
                return false;
            }
            out.members.push_back({std::move(name), std::move(v)});
        }
        return false;
    }
    bool ecmaArray(ScriptValue& out, int depth) {
        uint32_t count = 0;  // a hint only; the end marker ends it
        out.type = ScriptValue::Type::Object;
        return u32(count) && members(out, depth);
    }
    bool strictArray(ScriptValue& out, int depth) {
        uint32_t count = 0;
        out.type = ScriptValue::Type::Array;
        if (!u32(count) || count > kMaxEntries) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            ScriptValue v;
            if (!value(v, depth + 1)) {
                return false;
            }
            out.elements.push_back(std::move(v));
        }
        return true;
    }

    std::span<const uint8_t> body_;
    size_t pos_ = 0;
};

std::optional<ScriptValue> metadataOfTag(std::span<const uint8_t> body) {
    AmfReader r(body);
    ScriptValue name;
    if (!r.value(name, 0) || name.type != ScriptValue::Type::String || name.text != "onMetaData") {
        return std::nullopt;
    }
    ScriptValue arg;
    if (!r.value(arg, 0)) {
        return std::nullopt;
    }
    return arg;
}

}  // namespace

std::optional<ScriptValue> readMetadata(std::span<const uint8_t> file) {
    if (file.size() < 9 || !looksLikeFlv(file)) {
        return std::nullopt;
    }
    size_t pos = size_t(file[5]) << 24 | size_t(file[6]) << 16 | size_t(file[7]) << 8 | file[8];
    pos += 4;  // the first previous-tag size
    while (pos + 11 <= file.size()) {
        const uint8_t type = file[pos] & 0x1F;
        const size_t size =
            size_t(file[pos + 1]) << 16 | size_t(file[pos + 2]) << 8 | file[pos + 3];
        const size_t body = pos + 11;
        if (size > file.size() - body) {
            return std::nullopt;
        }
        if (type == kScriptTag) {
            if (auto meta = metadataOfTag(file.subspan(body, size))) {
                return meta;
            }
        }
        pos = body + size + 4;
    }
    return std::nullopt;
}

}  // namespace pencora::flv
