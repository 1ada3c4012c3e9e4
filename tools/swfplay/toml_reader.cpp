#include "toml_reader.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace pencora::swfplay {

const TomlValue* TomlValue::find(std::string_view key) const {
    if (type != Type::Table) {
        return nullptr;
    }
    const auto it = table.find(std::string(key));
    return it == table.end() ? nullptr : &it->second;
}

std::optional<double> TomlValue::asNumber() const {
    if (type == Type::Integer) {
        return static_cast<double>(integer);
    }
    if (type == Type::Float) {
        return number;
    }
    return std::nullopt;
}

std::optional<std::int64_t> TomlValue::asInteger() const {
    if (type == Type::Integer) {
        return integer;
    }
    return std::nullopt;
}

std::optional<std::string> TomlValue::asString() const {
    if (type == Type::String) {
        return string;
    }
    return std::nullopt;
}

std::optional<bool> TomlValue::asBool() const {
    if (type == Type::Boolean) {
        return boolean;
    }
    return std::nullopt;
}

namespace {

// Nesting of arrays and inline tables beyond this is refused rather than recursed into.
constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    TomlDocument run() {
        TomlDocument doc;
        TomlValue root;
        TomlValue* current = &root;
        while (true) {
            skipBlank(true);
            if (atEnd()) {
                break;
            }
            if (peek() == '[') {
                const bool arrayOfTables = s_.substr(pos_, 2) == "[[";
                pos_ += arrayOfTables ? 2 : 1;
                std::vector<std::string> path;
                if (!readKeyPath(path)) {
                    return fail(doc);
                }
                skipSpaces();
                if (!expect(']') || (arrayOfTables && !expect(']'))) {
                    return fail(doc);
                }
                current = openTable(root, path, arrayOfTables);
                if (!current) {
                    return failWith(doc, "table path crosses a value");
                }
                if (!endOfLine()) {
                    return fail(doc);
                }
                continue;
            }
            if (!readKeyValue(*current, 0) || !endOfLine()) {
                return fail(doc);
            }
        }
        doc.root = std::move(root);
        return doc;
    }

private:
    bool atEnd() const { return pos_ >= s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[pos_]; }

    void skipSpaces() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t')) {
            ++pos_;
        }
    }
    // Spaces, comments and (when `newlines`) line breaks.
    void skipBlank(bool newlines) {
        for (;;) {
            skipSpaces();
            if (peek() == '#') {
                while (!atEnd() && peek() != '\n') {
                    ++pos_;
                }
            } else if (newlines && (peek() == '\n' || peek() == '\r')) {
                if (peek() == '\n') {
                    ++line_;
                }
                ++pos_;
            } else {
                return;
            }
        }
    }
    bool endOfLine() {
        skipBlank(false);
        if (atEnd()) {
            return true;
        }
        if (peek() == '\r') {
            ++pos_;
        }
        if (peek() == '\n') {
            ++pos_;
            ++line_;
            return true;
        }
        error_ = "expected the end of the line";
        return false;
    }
    bool expect(char c) {
        if (peek() != c) {
            error_ = std::string("expected '") + c + "'";
            return false;
        }
        ++pos_;
        return true;
    }

    TomlDocument fail(TomlDocument& doc) {
        doc.error = "line " + std::to_string(line_) + ": " + (error_.empty() ? "malformed" : error_);
        return doc;
    }
    TomlDocument failWith(TomlDocument& doc, const std::string& why) {
        error_ = why;
        return fail(doc);
    }

    static bool isBareKeyChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    }

    bool readKey(std::string& key) {
        skipSpaces();
        if (peek() == '"' || peek() == '\'') {
            TomlValue v;
            if (!readString(v)) {
                return false;
            }
            key = v.string;
            return true;
        }
        const std::size_t start = pos_;
        while (!atEnd() && isBareKeyChar(peek())) {
            ++pos_;
        }
        if (pos_ == start) {
            error_ = "expected a key";
            return false;
        }
        key = std::string(s_.substr(start, pos_ - start));
        return true;
    }

    bool readKeyPath(std::vector<std::string>& path) {
        for (;;) {
            std::string key;
            if (!readKey(key)) {
                return false;
            }
            path.push_back(std::move(key));
            skipSpaces();
            if (peek() != '.') {
                return true;
            }
            ++pos_;
        }
    }

    static TomlValue* openTable(TomlValue& root, const std::vector<std::string>& path,
                                bool arrayOfTables) {
        TomlValue* t = &root;
        for (std::size_t i = 0; i < path.size(); ++i) {
            TomlValue& child = t->table[path[i]];
            const bool last = i + 1 == path.size();
            if (last && arrayOfTables) {
                if (child.type != TomlValue::Type::Array) {
                    child = TomlValue{};
                    child.type = TomlValue::Type::Array;
                }
                child.array.emplace_back();
                return &child.array.back();
            }
            if (child.type == TomlValue::Type::Array && !child.array.empty() &&
                child.array.back().type == TomlValue::Type::Table) {
                t = &child.array.back();
            } else if (child.type == TomlValue::Type::Table) {
                t = &child;
            } else {
                return nullptr;
            }
        }
        return t;
    }

    bool readKeyValue(TomlValue& table, int depth) {
        std::vector<std::string> path;
        if (!readKeyPath(path)) {
            return false;
        }
        skipSpaces();
        if (!expect('=')) {
            return false;
        }
        skipSpaces();
        TomlValue value;
        if (!readValue(value, depth)) {
            return false;
        }
        TomlValue* t = &table;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            t = &t->table[path[i]];
            if (t->type != TomlValue::Type::Table) {
                error_ = "dotted key crosses a value";
                return false;
            }
        }
        t->table[path.back()] = std::move(value);
        return true;
    }

    bool readValue(TomlValue& v, int depth) {
        if (depth > kMaxDepth) {
            error_ = "nested too deeply";
            return false;
        }
        const char c = peek();
        if (c == '"' || c == '\'') {
            return readString(v);
        }
        if (c == '[') {
            return readArray(v, depth);
        }
        if (c == '{') {
            return readInlineTable(v, depth);
        }
        if (s_.substr(pos_, 4) == "true") {
            pos_ += 4;
            v.type = TomlValue::Type::Boolean;
            v.boolean = true;
            return true;
        }
        if (s_.substr(pos_, 5) == "false") {
            pos_ += 5;
            v.type = TomlValue::Type::Boolean;
            v.boolean = false;
            return true;
        }
        return readNumber(v);
    }

    bool readNumber(TomlValue& v) {
        const std::size_t start = pos_;
        while (!atEnd() && (isBareKeyChar(peek()) || peek() == '+' || peek() == '.')) {
            ++pos_;
        }
        std::string text;
        for (char ch : s_.substr(start, pos_ - start)) {
            if (ch != '_') {
                text += ch;
            }
        }
        if (text.empty()) {
            error_ = "expected a value";
            return false;
        }
        std::string body = text;
        bool negative = false;
        if (body[0] == '+' || body[0] == '-') {
            negative = body[0] == '-';
            body.erase(0, 1);
        }
        if (body == "inf" || body == "nan") {
            v.type = TomlValue::Type::Float;
            v.number = body == "inf" ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
            if (negative) {
                v.number = -v.number;
            }
            return true;
        }
        int base = 10;
        if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'o' || body[1] == 'b')) {
            base = body[1] == 'x' ? 16 : body[1] == 'o' ? 8 : 2;
            body.erase(0, 2);
        }
        const bool isFloat = base == 10 && body.find_first_of(".eE") != std::string::npos;
        if (isFloat) {
            double d = 0;
            const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), d);
            if (ec != std::errc() || end != body.data() + body.size()) {
                error_ = "malformed number '" + text + "'";
                return false;
            }
            v.type = TomlValue::Type::Float;
            v.number = negative ? -d : d;
            return true;
        }
        std::int64_t i = 0;
        const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), i, base);
        if (ec != std::errc() || end != body.data() + body.size()) {
            error_ = "malformed value '" + text + "'";
            return false;
        }
        v.type = TomlValue::Type::Integer;
        v.integer = negative ? -i : i;
        return true;
    }

    static void appendUtf8(std::string& out, std::uint32_t c) {
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

    bool readString(TomlValue& v) {
        v.type = TomlValue::Type::String;
        const char quote = peek();
        const bool literal = quote == '\'';
        const std::string triple(3, quote);
        const bool multiline = s_.substr(pos_, 3) == triple;
        pos_ += multiline ? 3 : 1;
        if (multiline && (peek() == '\n' || s_.substr(pos_, 2) == "\r\n")) {
            pos_ += peek() == '\n' ? 1 : 2;
            ++line_;
        }
        for (;;) {
            if (atEnd()) {
                error_ = "unterminated string";
                return false;
            }
            if (multiline ? s_.substr(pos_, 3) == triple : peek() == quote) {
                pos_ += multiline ? 3 : 1;
                return true;
            }
            const char c = s_[pos_++];
            if (c == '\n') {
                if (!multiline) {
                    error_ = "line break in a string";
                    return false;
                }
                ++line_;
            }
            if (c != '\\' || literal) {
                v.string += c;
                continue;
            }
            if (atEnd()) {
                error_ = "unterminated string";
                return false;
            }
            const char e = s_[pos_++];
            switch (e) {
                case 'n':
                    v.string += '\n';
                    break;
                case 't':
                    v.string += '\t';
                    break;
                case 'r':
                    v.string += '\r';
                    break;
                case 'b':
                    v.string += '\b';
                    break;
                case 'f':
                    v.string += '\f';
                    break;
                case '"':
                case '\\':
                    v.string += e;
                    break;
                case 'u':
                case 'U': {
                    const std::size_t n = e == 'u' ? 4 : 8;
                    std::uint32_t code = 0;
                    const auto hex = s_.substr(pos_, n);
                    const auto [end, ec] =
                        std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
                    if (hex.size() != n || ec != std::errc() || end != hex.data() + n ||
                        code > 0x10FFFF) {
                        error_ = "malformed escape";
                        return false;
                    }
                    pos_ += n;
                    appendUtf8(v.string, code);
                    break;
                }
                default:
                    if (multiline && (e == '\n' || e == ' ' || e == '\r' || e == '\t')) {
                        // A line-ending backslash drops the break and the blanks after it.
                        --pos_;
                        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' ||
                                            peek() == '\r')) {
                            if (peek() == '\n') {
                                ++line_;
                            }
                            ++pos_;
                        }
                        break;
                    }
                    error_ = "unknown escape";
                    return false;
            }
        }
    }

    bool readArray(TomlValue& v, int depth) {
        v.type = TomlValue::Type::Array;
        ++pos_;
        for (;;) {
            skipBlank(true);
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            TomlValue item;
            if (!readValue(item, depth + 1)) {
                return false;
            }
            v.array.push_back(std::move(item));
            skipBlank(true);
            if (peek() == ',') {
                ++pos_;
            } else if (peek() != ']') {
                error_ = "expected ',' or ']'";
                return false;
            }
        }
    }

    bool readInlineTable(TomlValue& v, int depth) {
        v.type = TomlValue::Type::Table;
        ++pos_;
        for (;;) {
            skipBlank(true);
            if (peek() == '}') {
                ++pos_;
                return true;
            }
            if (!readKeyValue(v, depth + 1)) {
                return false;
            }
            skipBlank(true);
            if (peek() == ',') {
                ++pos_;
            } else if (peek() != '}') {
                error_ = "expected ',' or '}'";
                return false;
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string error_;
};

}  // namespace

TomlDocument parseToml(std::string_view text) { return Parser(text).run(); }

}  // namespace pencora::swfplay
