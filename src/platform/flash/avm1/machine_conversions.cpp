// The machine's conversions of values: to number, string, primitive and object, typeof, and the
// length limit of strings built by scripts.
#include <QStringList>

#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/super_object.h"

namespace pencora::avm1 {

double Machine::toNumber(const Value& v) {
    if (v.isObject()) {
        // valueOf only; an object that stays an object is NaN (no toString fallback).
        Value p = toPrimitive(v, 1);
        double d = p.isObject() ? std::nan("") : primitiveToNumber(p, version_);
        // SWF 4 has no NaN: what does not read as a number is 0 there (divide_swf4 test).
        return version_ < 5 && std::isnan(d) ? 0 : d;
    }
    return primitiveToNumber(v, version_);
}

QString Machine::toString(const Value& v) {
    if (Object* o = v.object()) {
        // Conversions never ask __resolve for toString or valueOf (coerce_to_primitive_resolve).
        Value fn = getWithoutResolve(o, QStringLiteral("toString"));
        if (Object* f = fn.object(); f && f->kind() == ObjectKind::Function) {
            std::vector<Value> none;
            Value r = call(fn, v, none);
            if (r.isString()) {
                return r.string();
            }
        }
        return o->kind() == ObjectKind::Function ? QStringLiteral("[type Function]")
                                                 : QStringLiteral("[type Object]");
    }
    return primitiveToString(v, version_);
}

bool Machine::toBoolean(const Value& v) const {
    return avm1::toBoolean(v, version_);
}

int32_t Machine::toInt32(const Value& v) {
    return doubleToInt32(toNumber(v));
}

// The original's ToPrimitive calls one method only: valueOf for numbers (and the default,
// except for dates), toString for strings. What it returns is used even if it is an object.
Value Machine::toPrimitive(const Value& v, int hint) {
    Object* o = v.object();
    if (!o) {
        return v;
    }
    if (hint == 0) {
        // Dates prefer toString from SWF 6 on; SWF 5 asks valueOf (object_string_coerce_swf5).
        hint = nativeOf(o)->kind() == ObjectKind::Date && version_ >= 6 ? 2 : 1;
    }
    if (hint == 2) {
        return Value(toString(v));
    }
    Value fn = getWithoutResolve(o, QStringLiteral("valueOf"));
    if (Object* f = fn.object(); f && f->kind() == ObjectKind::Function) {
        std::vector<Value> none;
        return call(fn, v, none);
    }
    // Without a valueOf the object reads as undefined (_global == undefined is true).
    return Value();
}

namespace {

struct BoxClass {
    const char* name;
    Object* proto;
    ObjectKind kind;
};

}  // namespace

namespace {

// The property `name` of _global or of the first of its prototypes that has one.
Property* findOnChain(Object* o, const QString& name, int version) {
    for (int up = 0; o && up < kMaxPrototypeChain; o = o->proto(), ++up) {
        if (Property* p = o->find(name, version)) {
            return p;
        }
    }
    return nullptr;
}

}  // namespace

// A primitive boxes into the class _global names for it (found like any of _global's members,
// through its prototypes and getters but not __resolve): the built-in one unless a movie put
// another in its place, whose constructor then makes the box (coerce_to_object_monkeypatch).
// When what _global names is no class, or its constructor gives no object, the primitive has
// no box at all.
Object* Machine::boxIfReplaced(const Value& v, bool* noBox) {
    BoxClass c{};
    switch (v.type()) {
        case Value::Type::String:
            c = {"String", protos_.string, ObjectKind::String};
            break;
        case Value::Type::Number:
            c = {"Number", protos_.number, ObjectKind::Number};
            break;
        case Value::Type::Boolean:
            c = {"Boolean", protos_.boolean, ObjectKind::Boolean};
            break;
        default:
            return nullptr;
    }
    const QString name = QLatin1String(c.name);
    Property* p = findOnChain(global_, name, 10);
    if (p && !p->getter) {
        if (Object* ctor = p->value.object()) {
            Property* proto = ctor->find(QStringLiteral("prototype"), 10);
            if (proto && !proto->getter && proto->value.object() == c.proto) {
                return nullptr;  // the built-in class
            }
        }
    }
    std::vector<Value> args{v};
    Object* boxed = construct(getWithoutResolve(global_, name), args).object();
    if (!boxed && noBox) {
        *noBox = true;
    }
    return boxed;
}

Object* Machine::toObject(const Value& v) {
    switch (v.type()) {
        case Value::Type::Object:
            return v.object();
        case Value::Type::String:
        case Value::Type::Number:
        case Value::Type::Boolean: {
            bool noBox = false;
            if (Object* boxed = boxIfReplaced(v, &noBox)) {
                return boxed;
            }
            if (noBox) {
                return nullptr;
            }
            break;
        }
        default:
            return nullptr;
    }
    switch (v.type()) {
        case Value::Type::String:
            return heap_.make<PrimitiveObject>(protos_.string, ObjectKind::String, v);
        case Value::Type::Number:
            return heap_.make<PrimitiveObject>(protos_.number, ObjectKind::Number, v);
        default:
            return heap_.make<PrimitiveObject>(protos_.boolean, ObjectKind::Boolean, v);
    }
}

QString Machine::typeOf(const Value& v) {
    switch (v.type()) {
        case Value::Type::Undefined:
            return QStringLiteral("undefined");
        case Value::Type::Null:
            return QStringLiteral("null");
        case Value::Type::Boolean:
            return QStringLiteral("boolean");
        case Value::Type::Number:
            return QStringLiteral("number");
        case Value::Type::String:
            return QStringLiteral("string");
        case Value::Type::Object: {
            ObjectKind k = v.object()->kind();
            if (k == ObjectKind::Function) {
                return QStringLiteral("function");
            }
            if (k == ObjectKind::Clip) {
                Value name = get(v.object(), QStringLiteral("__typeof__"));
                return name.isString() ? name.string() : QStringLiteral("movieclip");
            }
            return QStringLiteral("object");
        }
    }
    return {};
}

void Machine::checkedAppend(QString& to, const QString& more) {
    if (size_t(to.size()) + size_t(more.size()) > limits_.maxStringLength) {
        throw LimitExceeded{LimitExceeded::Kind::Memory};
    }
    to += more;
}

QString Machine::checkedConcat(const QString& a, const QString& b) {
    if (size_t(a.size()) + size_t(b.size()) > limits_.maxStringLength) {
        throw LimitExceeded{LimitExceeded::Kind::Memory};
    }
    return a + b;
}

}  // namespace pencora::avm1
