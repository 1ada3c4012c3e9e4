// A small assembler for hand-written action blocks in tests: records are appended in order and
// branch offsets are given in bytes, as in the file format.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/flash/actions/action_decoder.h"

namespace pencora::avm1::test {

struct Operand {
    enum Kind { Str, Num, Int, Bool, Null, Undef, Reg, Const } kind;
    std::string text;
    double number = 0;
};
inline Operand str(const std::string& s) {
    return {Operand::Str, s, 0};
}
inline Operand num(double d) {
    return {Operand::Num, {}, d};
}
inline Operand integer(int n) {
    return {Operand::Int, {}, double(n)};
}
inline Operand boolean(bool b) {
    return {Operand::Bool, {}, b ? 1.0 : 0.0};
}
inline Operand null() {
    return {Operand::Null, {}, 0};
}
inline Operand undef() {
    return {Operand::Undef, {}, 0};
}
inline Operand reg(int r) {
    return {Operand::Reg, {}, double(r)};
}
inline Operand constant(int i) {
    return {Operand::Const, {}, double(i)};
}

class Assembler {
  public:
    using Code = swf::ActionCode;

    Assembler& op(Code c) {
        bytes.push_back(uint8_t(c));
        return *this;
    }
    Assembler& record(Code c, const std::vector<uint8_t>& payload) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(payload.size() & 0xFF));
        bytes.push_back(uint8_t(payload.size() >> 8));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return *this;
    }
    Assembler& push(std::initializer_list<Operand> values) {
        std::vector<uint8_t> p;
        for (const Operand& v : values) {
            switch (v.kind) {
                case Operand::Str:
                    p.push_back(0);
                    p.insert(p.end(), v.text.begin(), v.text.end());
                    p.push_back(0);
                    break;
                case Operand::Num: {
                    p.push_back(6);
                    uint64_t bits;
                    std::memcpy(&bits, &v.number, 8);
                    put32(p, uint32_t(bits >> 32));
                    put32(p, uint32_t(bits));
                    break;
                }
                case Operand::Int:
                    p.push_back(7);
                    put32(p, uint32_t(int32_t(v.number)));
                    break;
                case Operand::Bool:
                    p.push_back(5);
                    p.push_back(v.number != 0);
                    break;
                case Operand::Null:
                    p.push_back(2);
                    break;
                case Operand::Undef:
                    p.push_back(3);
                    break;
                case Operand::Reg:
                    p.push_back(4);
                    p.push_back(uint8_t(v.number));
                    break;
                case Operand::Const:
                    p.push_back(8);
                    p.push_back(uint8_t(v.number));
                    break;
            }
        }
        return record(Code::Push, p);
    }
    // Jump/If with a byte offset from the end of the record.
    Assembler& branch(Code c, int16_t offset) {
        return record(c, {uint8_t(offset & 0xFF), uint8_t(uint16_t(offset) >> 8)});
    }
    Assembler& storeRegister(uint8_t r) { return record(Code::StoreRegister, {r}); }
    Assembler& pool(std::initializer_list<std::string> strings) {
        std::vector<uint8_t> p = {uint8_t(strings.size()), 0};
        for (const auto& s : strings) {
            p.insert(p.end(), s.begin(), s.end());
            p.push_back(0);
        }
        return record(Code::ConstantPool, p);
    }
    // DefineFunction name(params) { body }
    Assembler& function(const std::string& name, std::initializer_list<std::string> params,
                        const Assembler& body) {
        std::vector<uint8_t> p(name.begin(), name.end());
        p.push_back(0);
        p.push_back(uint8_t(params.size()));
        p.push_back(0);
        for (const auto& s : params) {
            p.insert(p.end(), s.begin(), s.end());
            p.push_back(0);
        }
        p.push_back(uint8_t(body.bytes.size() & 0xFF));
        p.push_back(uint8_t(body.bytes.size() >> 8));
        record(Code::DefineFunction, p);
        return append(body);
    }
    // DefineFunction2 with (register, name) parameters.
    Assembler& function2(const std::string& name, uint8_t registers, uint16_t flags,
                         std::initializer_list<std::pair<uint8_t, std::string>> params,
                         const Assembler& body) {
        std::vector<uint8_t> p(name.begin(), name.end());
        p.push_back(0);
        p.push_back(uint8_t(params.size()));
        p.push_back(0);
        p.push_back(registers);
        p.push_back(uint8_t(flags & 0xFF));
        p.push_back(uint8_t(flags >> 8));
        for (const auto& [r, s] : params) {
            p.push_back(r);
            p.insert(p.end(), s.begin(), s.end());
            p.push_back(0);
        }
        p.push_back(uint8_t(body.bytes.size() & 0xFF));
        p.push_back(uint8_t(body.bytes.size() >> 8));
        record(Code::DefineFunction2, p);
        return append(body);
    }
    // try { t } catch (name) { c } finally { f }; empty parts are left out.
    Assembler& tryCatch(const Assembler& t, const std::string& name, const Assembler* c,
                        const Assembler* f) {
        std::vector<uint8_t> p = {uint8_t((c ? 1 : 0) | (f ? 2 : 0))};
        auto size16 = [&](size_t n) {
            p.push_back(uint8_t(n & 0xFF));
            p.push_back(uint8_t(n >> 8));
        };
        size16(t.bytes.size());
        size16(c ? c->bytes.size() : 0);
        size16(f ? f->bytes.size() : 0);
        p.insert(p.end(), name.begin(), name.end());
        p.push_back(0);
        record(Code::Try, p);
        append(t);
        if (c) {
            append(*c);
        }
        if (f) {
            append(*f);
        }
        return *this;
    }
    Assembler& with(const Assembler& body) {
        record(Code::With, {uint8_t(body.bytes.size() & 0xFF), uint8_t(body.bytes.size() >> 8)});
        return append(body);
    }
    // SetTarget: the following actions act on the clip at `path` ("" for the script's own).
    Assembler& setTarget(const std::string& path) {
        std::vector<uint8_t> p(path.begin(), path.end());
        p.push_back(0);
        return record(Code::SetTarget, p);
    }
    Assembler& append(const Assembler& other) {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }
    // for (counter = 0; counter < times; ++counter) { body }
    Assembler& repeat(const std::string& counter, int times, const Assembler& body) {
        setVar(counter, integer(0));
        Assembler test;
        test.getVar(counter).push({integer(times)}).op(Code::Less2).op(Code::Not);
        Assembler step = body;
        step.push({str(counter)}).getVar(counter).op(Code::Increment).op(Code::SetVariable);
        const int stepSize = int(step.bytes.size()) + 5;  // and the jump back
        append(test).branch(Code::If, int16_t(stepSize));
        append(step);
        return branch(Code::Jump, int16_t(-(int(test.bytes.size()) + 5 + stepSize)));
    }
    // Shorthands.
    Assembler& trace() { return op(Code::Trace); }
    Assembler& getVar(const std::string& name) { return push({str(name)}).op(Code::GetVariable); }
    Assembler& setVar(const std::string& name, Operand v) {
        return push({str(name), v}).op(Code::SetVariable);
    }

    std::shared_ptr<const swf::ActionBlock> block() const {
        return std::make_shared<swf::ActionBlock>(swf::decodeActions(bytes));
    }

    std::vector<uint8_t> bytes;

  private:
    static void put32(std::vector<uint8_t>& p, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            p.push_back(uint8_t(v >> (8 * i)));
        }
    }
};

// The script's bytes with its End action.
inline std::vector<uint8_t> done(Assembler a) {
    a.op(swf::ActionCode::End);
    return a.bytes;
}

}  // namespace pencora::avm1::test
