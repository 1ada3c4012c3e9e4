// Function: call and apply.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

// Called on an object (a subclass's super()), Function gives back its first argument and
// leaves the object as it was.
Value functionCtor(Machine&, const Value&, std::vector<Value>& args) {
    return argAt(args, 0);
}

// A null or undefined this stands for the global object (funky_function_calls).
Value thisArg(Machine& m, const Value& v) {
    return v.isNullish() ? Value(m.global()) : v;
}

Value functionCall(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> rest(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
    return m.call(self, thisArg(m, argAt(args, 0)), rest);
}

Value functionApply(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list;
    if (Object* a = argAt(args, 1).object()) {
        if (a->kind() == ObjectKind::Array) {
            list = static_cast<ArrayObject*>(a)->values(m);
        } else {
            double n = m.toNumber(m.get(a, QStringLiteral("length")));
            for (uint32_t i = 0; n > 0 && i < n && i < m.limits().maxArrayLength; ++i) {
                list.push_back(m.get(a, QString::number(i)));
            }
        }
    }
    return m.call(self, thisArg(m, argAt(args, 0)), list);
}

const NativeEntry kPrototype[] = {
    {"call", functionCall},
    {"apply", functionApply},
};

}  // namespace

void installFunctionClass(Machine& m) {
    Object* proto = m.protos().function;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(functionCtor, proto);
    m.global()->put(QStringLiteral("Function"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
