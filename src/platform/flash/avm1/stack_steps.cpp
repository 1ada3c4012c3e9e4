// Steps of the stack, registers and constants, arithmetic, comparisons and conversions.
#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/steps.h"

namespace pencora::avm1 {

using swf::ActionCode;

namespace {

// Comparisons answer booleans in every version; SWF 4 movies print them as 1 and 0
// (conversions.cpp), which is how they look like numbers there.
Value truth(bool b) {
    return Value(b);
}

Value asTruth(const Value& v) {
    return v.isBoolean() ? truth(v.boolean()) : v;
}

// ECMA-262 abstract relational comparison x < y; undefined when either side is NaN.
Value lessThan(Machine& m, const Value& x, const Value& y) {
    // An operand whose valueOf leaves an object makes the comparison false, and the right
    // one is then not converted at all; a display object left that way reads as NaN instead
    // (lessthan2_swf5 test).
    Value px = m.toPrimitive(x, 1);
    if (px.isObject()) {
        return px.object()->kind() == ObjectKind::Clip ? Value() : Value(false);
    }
    Value py = m.toPrimitive(y, 1);
    if (py.isObject()) {
        return py.object()->kind() == ObjectKind::Clip ? Value() : Value(false);
    }
    if (px.isString() && py.isString()) {
        return Value(px.string() < py.string());
    }
    double a = m.toNumber(px);
    double b = m.toNumber(py);
    if (std::isnan(a) || std::isnan(b)) {
        return Value();
    }
    return Value(a < b);
}

bool strictEquals(const Value& x, const Value& y) {
    if (x.type() != y.type()) {
        return false;
    }
    switch (x.type()) {
        case Value::Type::Undefined:
        case Value::Type::Null:
            return true;
        case Value::Type::Number:
            // NaN === NaN holds in the original (strictly_equals test).
            return x.number() == y.number() || (std::isnan(x.number()) && std::isnan(y.number()));
        case Value::Type::Boolean:
            return x.number() == y.number();
        case Value::Type::String:
            return x.string() == y.string();
        case Value::Type::Object:
            return x.object() == y.object();
    }
    return false;
}

// Both operands of a binary action, the right one popped first.
struct Operands {
    Value left;
    Value right;
};

// The two numbers on top of the stack, when both are numbers: the slot of the left one, which
// takes the result once the right one is dropped.
Value* numberPair(Activation& act) {
    const size_t n = act.stack.size();
    if (n < 2 || !act.stack[n - 1].isNumber() || !act.stack[n - 2].isNumber()) {
        return nullptr;
    }
    return &act.stack[n - 2];
}

Operands popOperands(Activation& act) {
    Value right = act.pop();
    Value left = act.pop();
    return {std::move(left), std::move(right)};
}

}  // namespace

bool looseEquals(Machine& m, const Value& x, const Value& y) {
    using T = Value::Type;
    if (x.type() == y.type()) {
        switch (x.type()) {
            case T::Undefined:
            case T::Null:
                return true;
            case T::Number:
                // NaN equals NaN here, as with StrictEquals (equals2_swf7 test).
                return x.number() == y.number() ||
                       (std::isnan(x.number()) && std::isnan(y.number()));
            case T::Boolean:
                return x.number() == y.number();
            case T::String:
                return x.string() == y.string();
            case T::Object:
                return x.object() == y.object();
        }
    }
    if (x.isNullish() && y.isNullish()) {
        return true;
    }
    // An object meeting a primitive converts first, even against undefined: an object whose
    // valueOf gives undefined (or that has none, like _global) equals undefined and null.
    if (x.isObject() && !y.isObject()) {
        Value px = m.toPrimitive(x);
        return !px.isObject() && looseEquals(m, px, y);
    }
    if (y.isObject() && !x.isObject()) {
        Value py = m.toPrimitive(y);
        return !py.isObject() && looseEquals(m, x, py);
    }
    if (x.isNullish() || y.isNullish()) {
        return false;
    }
    if (x.isNumber() && y.isString()) {
        return x.number() == m.toNumber(y);
    }
    if (x.isString() && y.isNumber()) {
        return m.toNumber(x) == y.number();
    }
    if (x.isBoolean()) {
        return looseEquals(m, Value(x.number()), y);
    }
    if (y.isBoolean()) {
        return looseEquals(m, x, Value(y.number()));
    }
    return false;
}

Flow stepPush(Machine&, Activation& act, Step& s) {
    for (const PreparedPush& v : s.p.push) {
        pushItem(act, v);
    }
    return Flow::Next;
}

Flow stepPop(Machine&, Activation& act, Step&) {
    act.pop();
    return Flow::Next;
}

Flow stepPushDuplicate(Machine&, Activation& act, Step&) {
    Value v = act.stack.empty() ? Value() : act.stack.back();
    act.push(std::move(v));
    return Flow::Next;
}

Flow stepStackSwap(Machine&, Activation& act, Step&) {
    Value a1 = act.pop();
    Value a2 = act.pop();
    act.push(std::move(a1));
    act.push(std::move(a2));
    return Flow::Next;
}

Flow stepStoreRegister(Machine&, Activation& act, Step& s) {
    act.setReg(s.a.byteArg, act.stack.empty() ? Value() : act.stack.back());
    return Flow::Next;
}

Flow stepConstantPool(Machine& m, Activation& act, Step& s) {
    act.constants = s.p.pool;
    m.impl().constants = s.p.pool;
    return Flow::Next;
}

Flow stepArithmetic(Machine& m, Activation& act, Step& s) {
    Operands o = popOperands(act);
    double x = m.toNumber(o.left);
    double b = m.toNumber(o.right);
    double r = 0;
    switch (s.a.code) {
        case ActionCode::Add:
            r = x + b;
            break;
        case ActionCode::Subtract:
            r = x - b;
            break;
        case ActionCode::Multiply:
            r = x * b;
            break;
        case ActionCode::Divide:
            if (b == 0 && act.swfVersion < 5) {
                act.push(Value("#ERROR#"));
                return Flow::Next;
            }
            r = x / b;
            break;
        default:
            r = std::fmod(x, b);
            break;
    }
    act.push(Value(r));
    return Flow::Next;
}

Flow stepAdd2(Machine& m, Activation& act, Step&) {
    if (Value* left = numberPair(act)) {
        *left = Value(left->number() + act.stack.back().number());
        act.stack.pop_back();
        return Flow::Next;
    }
    // The right operand converts first (add2 test); an object whose valueOf gives an object
    // converts again when it meets a string or a number.
    Value b = act.pop();
    Value x = act.pop();
    Value pb = m.toPrimitive(b);
    Value px = m.toPrimitive(x);
    // In SWF 5, when valueOf gives an object the original object's own toString is asked
    // instead (object_string_coerce_swf5 test); later versions keep the object, which reads as
    // NaN unless it meets a string (add2 test). From SWF 6 such an operand converts again from
    // the original object: by toString against a string, else by valueOf once more (add2 test).
    auto stays = [](const Value& v) {
        return v.isObject() && v.object()->kind() != ObjectKind::Clip;
    };
    if (act.swfVersion < 6) {
        if (stays(pb)) {
            pb = Value(m.toString(b));
        }
        if (stays(px)) {
            px = Value(m.toString(x));
        }
    } else {
        if (stays(pb)) {
            pb = px.isString() ? Value(m.toString(b)) : Value(m.toNumber(b));
        }
        if (stays(px)) {
            px = pb.isString() ? Value(m.toString(x)) : Value(m.toNumber(x));
        }
    }
    if (px.isString() || pb.isString()) {
        QString left = m.toString(px);
        act.push(Value(m.checkedConcat(left, m.toString(pb))));
    } else {
        double left = m.toNumber(px);
        act.push(Value(left + m.toNumber(pb)));
    }
    return Flow::Next;
}

Flow stepIncrement(Machine& m, Activation& act, Step&) {
    if (!act.stack.empty() && act.stack.back().isNumber()) {
        act.stack.back() = Value(act.stack.back().number() + 1);
        return Flow::Next;
    }
    act.push(Value(m.toNumber(act.pop()) + 1));
    return Flow::Next;
}

Flow stepDecrement(Machine& m, Activation& act, Step&) {
    act.push(Value(m.toNumber(act.pop()) - 1));
    return Flow::Next;
}

Flow stepEquals(Machine& m, Activation& act, Step&) {
    // Unlike Add, Equals converts its right operand first (equals test).
    Operands o = popOperands(act);
    double b = m.toNumber(o.right);
    double x = m.toNumber(o.left);
    act.push(truth(x == b));
    return Flow::Next;
}

Flow stepLess(Machine& m, Activation& act, Step&) {
    Operands o = popOperands(act);
    double x = m.toNumber(o.left);
    double b = m.toNumber(o.right);
    act.push(truth(x < b));
    return Flow::Next;
}

Flow stepAnd(Machine& m, Activation& act, Step&) {
    Operands o = popOperands(act);
    bool x = m.toBoolean(o.left);
    bool b = m.toBoolean(o.right);
    act.push(truth(x && b));
    return Flow::Next;
}

Flow stepOr(Machine& m, Activation& act, Step&) {
    Operands o = popOperands(act);
    bool x = m.toBoolean(o.left);
    bool b = m.toBoolean(o.right);
    act.push(truth(x || b));
    return Flow::Next;
}

Flow stepNot(Machine& m, Activation& act, Step&) {
    act.push(truth(!m.toBoolean(act.pop())));
    return Flow::Next;
}

Flow stepLess2(Machine& m, Activation& act, Step&) {
    if (Value* left = numberPair(act)) {
        const double a = left->number();
        const double b = act.stack.back().number();
        *left = std::isnan(a) || std::isnan(b) ? Value() : Value(a < b);
        act.stack.pop_back();
        return Flow::Next;
    }
    Operands o = popOperands(act);
    act.push(asTruth(lessThan(m, o.left, o.right)));
    return Flow::Next;
}

bool less2Truth(Machine& m, Activation& act) {
    if (Value* left = numberPair(act)) {
        const double a = left->number();
        const double b = act.stack.back().number();
        act.stack.pop_back();
        act.stack.pop_back();
        return a < b;  // false for NaN, as undefined is
    }
    Operands o = popOperands(act);
    return m.toBoolean(asTruth(lessThan(m, o.left, o.right)));
}

Flow stepGreater(Machine& m, Activation& act, Step&) {
    Operands o = popOperands(act);
    act.push(asTruth(lessThan(m, o.right, o.left)));
    return Flow::Next;
}

Flow stepEquals2(Machine& m, Activation& act, Step&) {
    Operands o = popOperands(act);
    act.push(truth(looseEquals(m, o.left, o.right)));
    return Flow::Next;
}

Flow stepStrictEquals(Machine&, Activation& act, Step&) {
    Operands o = popOperands(act);
    act.push(truth(strictEquals(o.left, o.right)));
    return Flow::Next;
}

Flow stepBitwise(Machine& m, Activation& act, Step& s) {
    Operands o = popOperands(act);
    int32_t x = m.toInt32(o.left);
    int32_t b = m.toInt32(o.right);
    double r = 0;
    switch (s.a.code) {
        case ActionCode::BitAnd:
            r = x & b;
            break;
        case ActionCode::BitOr:
            r = x | b;
            break;
        case ActionCode::BitXor:
            r = x ^ b;
            break;
        case ActionCode::BitLShift:
            r = int32_t(uint32_t(x) << (b & 31));
            break;
        case ActionCode::BitRShift:
            r = x >> (b & 31);
            break;
        default:
            // Up to SWF 8 the unsigned result comes back as a signed 32-bit number: -3 >>> 0
            // is -3 there (biturshift_swf8 test).
            r = act.swfVersion <= 8 ? double(int32_t(uint32_t(x) >> (b & 31)))
                                    : double(uint32_t(x) >> (b & 31));
            break;
    }
    act.push(Value(r));
    return Flow::Next;
}

// int() works in 32 bits: it truncates toward zero and wraps what lies outside the signed range,
// as the bit operations do; NaN and the infinities are 0.
Flow stepToInteger(Machine& m, Activation& act, Step&) {
    act.push(Value(double(m.toInt32(act.pop()))));
    return Flow::Next;
}

Flow stepToNumber(Machine& m, Activation& act, Step&) {
    act.push(Value(m.toNumber(act.pop())));
    return Flow::Next;
}

Flow stepToString(Machine& m, Activation& act, Step&) {
    act.push(Value(m.toString(act.pop())));
    return Flow::Next;
}

Flow stepTypeOf(Machine& m, Activation& act, Step&) {
    act.push(Value(m.typeOf(act.pop())));
    return Flow::Next;
}

Flow stepGetTime(Machine& m, Activation& act, Step&) {
    act.push(Value(std::floor(m.host().milliseconds())));
    return Flow::Next;
}

}  // namespace pencora::avm1
