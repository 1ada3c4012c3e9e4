// AsBroadcaster: initialize(obj) gives obj a listener list and the three methods that manage
// and notify it.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

ArrayObject* listeners(Machine& m, const Value& self) {
    Object* l = m.getMember(self, QStringLiteral("_listeners")).object();
    return l && l->kind() == ObjectKind::Array ? static_cast<ArrayObject*>(l) : nullptr;
}

Value addListener(Machine& m, const Value& self, std::vector<Value>& args) {
    ArrayObject* l = listeners(m, self);
    if (!l) {
        return Value(true);
    }
    Value who = arg(args, 0);
    for (const Value& v : l->values(m)) {
        if (v.object() == who.object() && v.type() == who.type()) {
            return Value(true);
        }
    }
    l->setAt(m, l->count(), who);
    return Value(true);
}

Value removeListener(Machine& m, const Value& self, std::vector<Value>& args) {
    ArrayObject* l = listeners(m, self);
    if (!l) {
        return Value(false);
    }
    Value who = arg(args, 0);
    std::vector<Value> list = l->values(m);
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].isObject() && list[i].object() == who.object()) {
            list.erase(list.begin() + i);
            l->assign(m, list);
            return Value(true);
        }
    }
    return Value(false);
}

Value broadcastMessage(Machine& m, const Value& self, std::vector<Value>& args) {
    ArrayObject* l = listeners(m, self);
    if (!l || args.empty()) {
        return Value();
    }
    QString name = m.toString(args[0]);
    std::vector<Value> rest(args.begin() + 1, args.end());
    // A copy: listeners may remove themselves while being told.
    std::vector<Value> targets = l->values(m);
    for (const Value& t : targets) {
        std::vector<Value> a = rest;
        m.callMethodValue(t, name, a);
    }
    return Value(!targets.empty());
}

Value initialize(Machine& m, const Value&, std::vector<Value>& args) {
    Object* o = arg(args, 0).object();
    if (!o) {
        return Value();
    }
    Object* b = m.get(m.global(), QStringLiteral("AsBroadcaster")).object();
    for (const char* name : {"broadcastMessage", "addListener", "removeListener"}) {
        QString n = QString::fromLatin1(name);
        Value fn = b ? m.get(b, n) : Value();
        o->put(n, fn, kDontEnum);
    }
    o->put(QStringLiteral("_listeners"), Value(m.makeArray()), kDontEnum);
    return Value();
}

Value broadcasterCtor(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

const NativeEntry kStatics[] = {
    {"initialize", initialize},
    {"addListener", addListener},
    {"removeListener", removeListener},
    {"broadcastMessage", broadcastMessage},
};

}  // namespace

void installAsBroadcaster(Machine& m) {
    FunctionObject* ctor = m.makeClass(broadcasterCtor, m.makeObject());
    installTable(m, ctor, kStatics);
    m.global()->put(QStringLiteral("AsBroadcaster"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
