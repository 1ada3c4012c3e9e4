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

// Listeners compare with ==, so null and undefined are one listener (as_broadcaster_undef).
bool removeEqual(Machine& m, ArrayObject* l, const Value& who) {
    std::vector<Value> list = l->values(m);
    for (size_t i = 0; i < list.size(); ++i) {
        if (looseEquals(m, list[i], who)) {
            list.erase(list.begin() + std::ptrdiff_t(i));
            l->assign(m, list);
            return true;
        }
    }
    return false;
}

// addListener(x): an equal listener already listed gives way to x, at the end.
Value addListener(Machine& m, const Value& self, std::vector<Value>& args) {
    ArrayObject* l = listeners(m, self);
    if (!l) {
        return Value(true);
    }
    Value who = argAt(args, 0);
    removeEqual(m, l, who);
    l->setAt(m, l->count(), who);
    return Value(true);
}

Value removeListener(Machine& m, const Value& self, std::vector<Value>& args) {
    ArrayObject* l = listeners(m, self);
    if (!l) {
        return Value(false);
    }
    return Value(removeEqual(m, l, argAt(args, 0)));
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
        if (name.isEmpty()) {
            // An empty message name calls each listener itself, like a call by empty name.
            m.call(t, Value(), a);
        } else {
            m.callMethodValue(t, name, a);
        }
    }
    return Value(!targets.empty());
}

Value initialize(Machine& m, const Value&, std::vector<Value>& args) {
    Object* o = argAt(args, 0).object();
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
