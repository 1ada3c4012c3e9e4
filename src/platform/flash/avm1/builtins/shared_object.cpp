// SharedObject in memory only: getLocal(name) hands out one object per name for the life of the
// machine, with a `data` object; flush() reports success, nothing is written anywhere.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Value sharedObjectCtor(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

Value getLocal(Machine& m, const Value&, std::vector<Value>& args) {
    QString name = m.toString(argAt(args, 0));
    if (name.isEmpty()) {
        return Value::null();
    }
    Object* ctor = m.get(m.global(), QStringLiteral("SharedObject")).object();
    if (!ctor) {
        return Value::null();
    }
    // The store hangs off the constructor, hidden, so collection keeps it.
    Object* store = m.get(ctor, QStringLiteral("__store")).object();
    if (!store) {
        store = m.heap().make<Object>(nullptr);
        ctor->put(QStringLiteral("__store"), Value(store), kDontEnum);
    }
    QString key = name + QLatin1Char('\n') + m.toString(argAt(args, 1));
    if (Property* p = store->find(key, 10)) {
        return p->value;
    }
    Object* so = m.heap().make<Object>(m.get(ctor, QStringLiteral("prototype")).object());
    so->put(QStringLiteral("data"), Value(m.makeObject()), kDontDelete);
    store->put(key, Value(so));
    return Value(so);
}

Value flush(Machine&, const Value&, std::vector<Value>&) {
    return Value(true);
}

Value clear(Machine& m, const Value& self, std::vector<Value>&) {
    if (Object* o = self.object()) {
        o->put(QStringLiteral("data"), Value(m.makeObject()), kDontDelete);
    }
    return Value();
}

Value getSize(Machine& m, const Value& self, std::vector<Value>&) {
    Object* data = m.getMember(self, QStringLiteral("data")).object();
    return Value(data && !data->properties().empty() ? 1 : 0);
}

const NativeEntry kPrototype[] = {
    {"flush", flush},
    {"clear", clear},
    {"getSize", getSize},
};

}  // namespace

void installSharedObject(Machine& m) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(sharedObjectCtor, proto);
    ctor->putNative(m, QStringLiteral("getLocal"), getLocal);
    m.global()->put(QStringLiteral("SharedObject"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
