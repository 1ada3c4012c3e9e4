// Error: message, name and toString.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Value errorCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || o == m.global()) {
        o = m.heap().make<Object>(m.protos().error, ObjectKind::Error);
    }
    if (!args.empty() && !args[0].isUndefined()) {
        o->put(QStringLiteral("message"), args[0]);
    }
    return Value(o);
}

Value errorToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(m.toString(m.getMember(self, QStringLiteral("message"))));
}

const NativeEntry kPrototype[] = {
    {"toString", errorToString},
};

}  // namespace

void installErrorClass(Machine& m) {
    Object* proto = m.heap().make<Object>(m.protos().object);
    m.protos().error = proto;
    installTable(m, proto, kPrototype);
    proto->put(QStringLiteral("message"), Value("Error"), kDontEnum);
    proto->put(QStringLiteral("name"), Value("Error"), kDontEnum);
    FunctionObject* ctor = m.makeClass(errorCtor, proto);
    m.global()->put(QStringLiteral("Error"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
