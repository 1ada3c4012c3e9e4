// Number: conversion, the constants, toString with a radix.
#include <cmath>
#include <limits>

#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"

namespace pencora::avm1 {

namespace {

double thisNumber(Machine& m, const Value& self) {
    if (Object* o = nativeOf(self.object()); o && o->kind() == ObjectKind::Number) {
        return static_cast<PrimitiveObject*>(o)->primitive.number();
    }
    // Another object borrowing the method: converting it would call this method again.
    return self.isObject() ? std::nan("") : m.toNumber(self);
}

Value numberCtor(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(args.empty() ? 0.0 : m.toNumber(args[0]));
}

Value numberConstruct(Machine& m, const Value&, std::vector<Value>& args) {
    const Value n(args.empty() ? 0.0 : m.toNumber(args[0]));
    return Value(m.heap().make<PrimitiveObject>(m.protos().number, ObjectKind::Number, n));
}

Value numberToStringNative(Machine& m, const Value& self, std::vector<Value>& args) {
    int radix = args.empty() || args[0].isUndefined() ? 10 : m.toInt32(args[0]);
    return Value(numberToString(thisNumber(m, self), radix));
}

Value numberValueOf(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(thisNumber(m, self));
}

const NativeEntry kPrototype[] = {
    {"toString", numberToStringNative},
    {"valueOf", numberValueOf},
};

}  // namespace

void installNumberClass(Machine& m) {
    Object* proto =
        m.heap().make<PrimitiveObject>(m.protos().object, ObjectKind::Number, Value(0.0));
    m.protos().number = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(numberCtor, proto, numberConstruct);
    const uint16_t fixed = kDontEnum | kDontDelete | kReadOnly;
    ctor->put(QStringLiteral("MAX_VALUE"), Value(std::numeric_limits<double>::max()), fixed);
    ctor->put(QStringLiteral("MIN_VALUE"), Value(std::numeric_limits<double>::denorm_min()), fixed);
    ctor->put(QStringLiteral("NaN"), Value(std::numeric_limits<double>::quiet_NaN()), fixed);
    ctor->put(QStringLiteral("POSITIVE_INFINITY"), Value(std::numeric_limits<double>::infinity()),
              fixed);
    ctor->put(QStringLiteral("NEGATIVE_INFINITY"), Value(-std::numeric_limits<double>::infinity()),
              fixed);
    m.global()->put(QStringLiteral("Number"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
