// Object: the root class, and the property services every object inherits.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/watch_names.h"

namespace pencora::avm1 {

namespace {

// Object(v) called as a function: v itself if it is an object, else v boxed; without a value
// an object that inherits nothing, not even toString (object_function test).
Value objectCall(Machine& m, const Value&, std::vector<Value>& args) {
    Value v = argAt(args, 0);
    if (v.isObject()) {
        return v;
    }
    if (!v.isNullish()) {
        return Value(m.toObject(v));
    }
    return Value(m.heap().make<Object>(nullptr));
}

// new Object(v): the same, but without a value the fresh object the machine made.
Value objectConstruct(Machine& m, const Value& self, std::vector<Value>& args) {
    Value v = argAt(args, 0);
    if (v.isObject()) {
        return v;
    }
    if (!v.isNullish()) {
        return Value(m.toObject(v));
    }
    return self.isObject() ? self : Value(m.makeObject());
}

Value objectToString(Machine& m, const Value& self, std::vector<Value>&) {
    Object* o = self.object();
    if (o && o->kind() == ObjectKind::Function) {
        return Value("[type Function]");
    }
    if (o && o->kind() == ObjectKind::Clip) {
        return Value(m.host().targetPath(o, false));
    }
    return Value("[object Object]");
}

Value objectValueOf(Machine&, const Value& self, std::vector<Value>&) {
    if (Object* o = self.object(); o) {
        if (o->kind() == ObjectKind::Number || o->kind() == ObjectKind::String ||
            o->kind() == ObjectKind::Boolean) {
            return static_cast<PrimitiveObject*>(o)->primitive;
        }
    }
    return self;
}

Value hasOwnProperty(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value(false);
    }
    QString name = m.toString(argAt(args, 0));
    // The empty name is never an own property, __proto__ always is (has_own_property test).
    if (name.isEmpty()) {
        return Value(false);
    }
    if (Object::isProtoName(name, m.version())) {
        return Value(o->hasProtoProperty());
    }
    Value out;
    return Value(o->findAny(name, m.version()) != nullptr || o->getOwnVirtual(m, name, out));
}

Value isPropertyEnumerable(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value(false);
    }
    Property* p = o->find(m.toString(argAt(args, 0)), m.version());
    return Value(p && !(p->flags & kDontEnum));
}

Value isPrototypeOf(Machine&, const Value& self, std::vector<Value>& args) {
    Object* proto = self.object();
    Object* o = argAt(args, 0).object();
    if (!proto || !o) {
        return Value(false);
    }
    int guard = 0;
    for (Object* p = o->proto(); p && guard < 256; p = p->proto(), ++guard) {
        if (p == proto) {
            return Value(true);
        }
    }
    return Value(false);
}

bool isFunction(const Value& v) {
    return v.object() && v.object()->kind() == ObjectKind::Function;
}

// addProperty(name, getter, setter): false unless the name is non-empty and the getter is a
// function; the setter may be null.
Value addProperty(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    QString name = m.toString(argAt(args, 0));
    Value getter = argAt(args, 1);
    Value setter = argAt(args, 2);
    if (!o || name.isEmpty() || !isFunction(getter)) {
        return Value(false);
    }
    if (!setter.isNull() && !isFunction(setter)) {
        return Value(false);
    }
    Property* p = o->find(name, m.version());
    if (!p) {
        o->put(name, Value());
        p = o->find(name, m.version());
    }
    p->getter = getter.object();
    p->setter = isFunction(setter) ? setter.object() : nullptr;
    // The value stored under the name stays in place behind the getter: an array's pop() still
    // finds the element (add_property test), instanceof the prototype it held.
    return Value(true);
}

Value watch(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    Value cb = argAt(args, 1);
    if (!o || !isFunction(cb)) {
        return Value(false);
    }
    Object::Watch w;
    w.callback = cb.object();
    w.userData = argAt(args, 2);
    setWatch(*o, m.toString(argAt(args, 0)), w, m.version());
    return Value(true);
}

Value unwatch(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value(false);
    }
    return Value(removeWatch(*o, m.toString(argAt(args, 0)), m.version()));
}

// Object.registerClass(symbol, class): the runtime reads the table when it attaches symbols.
Value registerClass(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.size() < 2) {
        return Value(false);
    }
    // A class is a function; null takes the registration back. Anything else is refused
    // (register_class_return_value).
    const bool isClass = args[1].isObject() && args[1].object()->kind() == ObjectKind::Function;
    if (!isClass && !args[1].isNull()) {
        return Value(false);
    }
    const QString tableName = registeredClassTable(m.version());
    Value table = m.get(m.global(), tableName);
    Object* t = table.object();
    if (!t) {
        t = m.heap().make<Object>(nullptr);
        m.global()->put(tableName, Value(t), kDontEnum);
    }
    // The symbol's name matches as the movie's names do: before SWF 7 another registration
    // of the name in any case replaces the first.
    const QString symbol = m.toString(args[0]);
    if (Property* p = t->findAny(symbol, m.version())) {
        p->value = args[1];
    } else {
        t->put(symbol, args[1]);
    }
    return Value(true);
}

const NativeEntry kPrototype[] = {
    {"toString", objectToString},
    {"toLocaleString", objectToString},
    {"valueOf", objectValueOf},
    {"hasOwnProperty", hasOwnProperty},
    {"isPropertyEnumerable", isPropertyEnumerable},
    {"isPrototypeOf", isPrototypeOf},
    {"addProperty", addProperty},
    {"watch", watch},
    {"unwatch", unwatch},
};

}  // namespace

void installObjectClass(Machine& m) {
    Object* proto = m.protos().object;
    installTable(m, proto, kPrototype);
    // The ECMAScript property tests arrived with SWF 6 (focusrect_property_swf5).
    for (const char* name : {"hasOwnProperty", "isPropertyEnumerable", "isPrototypeOf"}) {
        proto->setFlags(QString::fromLatin1(name), kVersion6, 0, 10);
    }
    m.impl().objectToString = proto->find(QStringLiteral("toString"), 10)->value.object();
    FunctionObject* ctor = m.makeClass(objectCall, proto, objectConstruct);
    ctor->putNative(m, QStringLiteral("registerClass"), registerClass);
    m.global()->put(QStringLiteral("Object"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
