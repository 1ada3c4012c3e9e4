// Boolean: conversion, toString and valueOf.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"

namespace pencora::avm1 {

namespace {

bool thisBoolean(Machine& m, const Value& self) {
    if (Object* o = nativeOf(self.object()); o && o->kind() == ObjectKind::Boolean) {
        return static_cast<PrimitiveObject*>(o)->primitive.boolean();
    }
    return !self.isObject() && m.toBoolean(self);
}

// Boolean() converts nothing and gives undefined; new Boolean() is false.
Value booleanCtor(Machine& m, const Value&, std::vector<Value>& args) {
    return args.empty() ? Value() : Value(m.toBoolean(args[0]));
}

Value booleanConstruct(Machine& m, const Value&, std::vector<Value>& args) {
    const Value b(args.empty() ? false : m.toBoolean(args[0]));
    return Value(m.heap().make<PrimitiveObject>(m.protos().boolean, ObjectKind::Boolean, b));
}

Value booleanToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(thisBoolean(m, self) ? "true" : "false");
}

Value booleanValueOf(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(thisBoolean(m, self));
}

const NativeEntry kPrototype[] = {
    {"toString", booleanToString},
    {"valueOf", booleanValueOf},
};

}  // namespace

void installBooleanClass(Machine& m) {
    Object* proto =
        m.heap().make<PrimitiveObject>(m.protos().object, ObjectKind::Boolean, Value(false));
    m.protos().boolean = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(booleanCtor, proto, booleanConstruct);
    m.global()->put(QStringLiteral("Boolean"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
