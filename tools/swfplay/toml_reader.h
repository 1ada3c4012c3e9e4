// A small TOML reader for the corpus's test.toml files: tables, arrays of tables, dotted and
// quoted keys, strings (basic, literal, multi-line), integers, floats, Booleans, arrays and
// inline tables (which may span lines, as some test files write them). Dates are not read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pencora::swfplay {

struct TomlValue {
    enum class Type { String, Integer, Float, Boolean, Array, Table };
    Type type = Type::Table;
    std::string string;
    std::int64_t integer = 0;
    double number = 0;
    bool boolean = false;
    std::vector<TomlValue> array;
    std::map<std::string, TomlValue> table;

    // The member `key` of a table; nullptr when absent or not a table.
    const TomlValue* find(std::string_view key) const;
    // Integers and floats as a number.
    std::optional<double> asNumber() const;
    std::optional<std::int64_t> asInteger() const;
    std::optional<std::string> asString() const;
    std::optional<bool> asBool() const;
};

struct TomlDocument {
    std::optional<TomlValue> root;  // a table; none when the text is malformed
    std::string error;              // "line 3: expected '='"
};

TomlDocument parseToml(std::string_view text);

}  // namespace pencora::swfplay
