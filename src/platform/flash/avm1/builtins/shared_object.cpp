// SharedObject in memory only: getLocal(name) hands out one object per name for the life of the
// machine, with a `data` object; flush() reports success, nothing is written anywhere.
#include <set>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

// Answers nothing, also as a subclass's super().
Value sharedObjectCtor(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

// Names are paths of words: no spaces and none of ~ % & \ ; : " ' , < > ? #.
bool validName(const QString& name) {
    static const QString forbidden = QStringLiteral("~%&\\;:\"',<>?#");
    if (name.isEmpty()) {
        return false;
    }
    for (QChar c : name) {
        if (c.isSpace() || forbidden.contains(c)) {
            return false;
        }
    }
    return true;
}

Value getLocal(Machine& m, const Value&, std::vector<Value>& args) {
    QString name = m.toString(argAt(args, 0));
    if (!validName(name)) {
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

// Empties the data object in place, so that a script holding it sees it empty too.
Value clear(Machine& m, const Value& self, std::vector<Value>&) {
    if (Object* data = m.getMember(self, QStringLiteral("data")).object()) {
        data->removeWhere([](const Property&) { return true; });
    }
    return Value();
}

size_t storedSize(Machine& m, Object* o, std::set<const Object*>& seen, int depth, size_t trailer);

// Bytes of one value as the stored file keeps it: type marker and payload; an object met
// before is a three-byte reference; functions are not stored.
size_t storedValueSize(Machine& m, const Value& v, std::set<const Object*>& seen, int depth) {
    if (Object* o = v.object()) {
        if (seen.count(o)) {
            return 3;
        }
        const bool array = o->kind() == ObjectKind::Array;
        return (array ? 5 : 1) + storedSize(m, o, seen, depth + 1, 0) + 3;
    }
    if (v.isString()) {
        const qsizetype bytes = m.toString(v).toUtf8().size();
        return (bytes > 0xFFFF ? 5 : 3) + size_t(bytes);
    }
    if (v.isNumber()) {
        return 9;
    }
    return v.isBoolean() ? 2 : 1;
}

// The properties of an object, each its name, value and `trailer` bytes.
size_t storedSize(Machine& m, Object* o, std::set<const Object*>& seen, int depth, size_t trailer) {
    seen.insert(o);
    if (depth > 64) {
        return 0;  // nesting this deep is not stored
    }
    size_t total = 0;
    for (const QString& name : m.enumerate(o)) {
        const Value v = m.get(o, name);
        if (v.object() && v.object()->kind() == ObjectKind::Function) {
            continue;
        }
        total += 2 + size_t(name.toUtf8().size()) + storedValueSize(m, v, seen, depth) + trailer;
        m.tick();
    }
    return total;
}

// The size of the stored data in bytes: each property's name, value and the byte that ends
// it; nothing stored is 0.
Value getSize(Machine& m, const Value& self, std::vector<Value>&) {
    Object* data = m.getMember(self, QStringLiteral("data")).object();
    if (!data) {
        return Value(0);
    }
    std::set<const Object*> seen;
    return Value(double(storedSize(m, data, seen, 0, 1)));
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
