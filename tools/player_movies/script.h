// A small writer of action code for the player's movies: expressions are Script values that
// leave one value on the stack, statements leave none. Paths ("_root.ns.time") read the first
// name as a variable and the rest as members.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/flash/swf/control_tags.h"

namespace pencora::player_movies {

class Script {
  public:
    // Values.
    static Script str(const std::string& s) { return Script().pushed(0, bytesOf(s, true)); }
    static Script number(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        // Doubles are stored as two little-endian words, the high word first.
        swf::Bytes b;
        for (int shift : {32, 40, 48, 56, 0, 8, 16, 24}) {
            b.push_back(uint8_t(bits >> shift));
        }
        return Script().pushed(6, b);
    }
    static Script null() { return Script().pushed(2, {}); }
    static Script boolean(bool v) { return Script().pushed(5, {uint8_t(v)}); }
    static Script get(const std::string& path);
    // a.b.m(args...) and f(args...), their result on the stack.
    static Script call(const std::string& path, const std::vector<Script>& args = {});
    static Script newObject(const std::string& className, const std::vector<Script>& args = {});
    // function (params) { body }
    static Script function(const std::vector<std::string>& params, const Script& body);
    // Operators without operands (Add2, Less2, Not, Divide, ...).
    static Script binary(const Script& a, const Script& b, uint8_t code) {
        Script s = a;
        return s.append(b).op(code);
    }
    static Script unary(const Script& a, uint8_t code) {
        Script s = a;
        return s.op(code);
    }

    // Statements.
    static Script set(const std::string& path, const Script& value);
    static Script run(const Script& expression) { return unary(expression, kPop); }
    // if (condition) { body }
    static Script when(const Script& condition, const Script& body);
    Script& then(const Script& next) { return append(next); }

    swf::Bytes end() const {
        swf::Bytes b = bytes_;
        b.push_back(0);
        return b;
    }
    const swf::Bytes& bytes() const { return bytes_; }

    static constexpr uint8_t kPop = 0x17, kAdd2 = 0x47, kLess2 = 0x48, kEquals2 = 0x49, kNot = 0x12,
                             kMultiply = 0x0C, kDivide = 0x0D, kToNumber = 0x4A;

  private:
    static swf::Bytes bytesOf(const std::string& s, bool terminate) {
        swf::Bytes b(s.begin(), s.end());
        if (terminate) {
            b.push_back(0);
        }
        return b;
    }
    Script& op(uint8_t code) {
        bytes_.push_back(code);
        return *this;
    }
    Script& record(uint8_t code, const swf::Bytes& body) {
        bytes_.push_back(code);
        bytes_.push_back(uint8_t(body.size()));
        bytes_.push_back(uint8_t(body.size() >> 8));
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return *this;
    }
    Script& pushed(uint8_t type, const swf::Bytes& value) {
        swf::Bytes body{type};
        body.insert(body.end(), value.begin(), value.end());
        return record(0x96, body);
    }
    Script& append(const Script& other) {
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }
    static Script arguments(const std::vector<Script>& args);

    swf::Bytes bytes_;
};

}  // namespace pencora::player_movies
