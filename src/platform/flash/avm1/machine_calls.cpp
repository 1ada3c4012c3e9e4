// Calls and construction of script and native functions, and instanceof.
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

namespace {

// The prototype on this's chain that holds the running method; `super` starts above it. A
// method held by the object itself counts as held by its prototype, so super in o.f() is
// o.__proto__.__proto__ (define_function2_preload test).
Object* superHolderFor(Object* self, Object* fn) {
    int guard = 0;
    for (Object* p = self->proto(); p && guard < 256; p = p->proto(), ++guard) {
        for (const Property& prop : p->properties()) {
            if (prop.value.object() == fn) {
                return p;
            }
        }
    }
    return self->proto();
}

}  // namespace

Value Machine::call(const Value& fn, const Value& thisValue, std::vector<Value>& args) {
    Object* o = fn.object();
    if (!o || o->kind() != ObjectKind::Function) {
        return Value();
    }
    auto* f = static_cast<FunctionObject*>(o);
    if (f->tableId >= 0) {
        return callNativeTable(*this, f->tableId, f->tableIndex, thisValue, args);
    }
    if (f->native) {
        // Natives that call back into scripts (valueOf, toString, sort ...) nest on the C++
        // stack too; they count against a looser bound of their own.
        struct NativeDepth {
            int& d;
            explicit NativeDepth(int& depth) : d(depth) {
                if (++d > 1024) {
                    --d;
                    throw LimitExceeded{LimitExceeded::Kind::Depth};
                }
            }
            ~NativeDepth() { --d; }
        } guard(impl_->nativeDepth);
        return f->native(*this, thisValue, args);
    }
    if (f->script) {
        // A script function called on a primitive sees it boxed (natives take it as it is).
        Value self = thisValue;
        if (self.isString() || self.isNumber() || self.isBoolean()) {
            // Without a box (the movie took its class away) this is _global, as for undefined.
            Object* boxed = toObject(self);
            self = boxed ? Value(boxed) : Value(global_);
        }
        Object* superBase = nullptr;
        if (f->script->mayUseSuper && self.object()) {
            superBase = superHolderFor(self.object(), f);
        }
        return callScript(*this, f, self, args, superBase);
    }
    return Value();
}

Value Machine::callMethodValue(const Value& target, const QString& name, std::vector<Value>& args) {
    Value fn = getMember(target, name);
    return call(fn, target, args);
}

Value Machine::construct(const Value& ctor, std::vector<Value>& args) {
    Object* c = ctor.object();
    if (!c || c->kind() != ObjectKind::Function) {
        return Value();
    }
    auto* f = static_cast<FunctionObject*>(c);
    Value protoValue = get(c, QStringLiteral("prototype"));
    Object* obj =
        f->script ? makeInstanceFor(protoValue.object()) : heap_.make<Object>(protoValue.object());
    if (!protoValue.isObject() && !protoValue.isNullish()) {
        obj->assignProto(protoValue);  // a primitive prototype is kept as the new __proto__
    }
    obj->put(QStringLiteral("__constructor__"), ctor, kDontEnum);
    if (version_ < 7) {
        obj->put(QStringLiteral("constructor"), ctor, kDontEnum);
    }
    if (f->constructNative) {
        Value r = f->constructNative(*this, Value(obj), args);
        if (r.isObject()) {
            return r;
        }
        return f->constructMayFail ? Value() : Value(obj);
    }
    if (f->native) {
        Value r = f->native(*this, Value(obj), args);
        return r.isObject() ? r : Value(obj);
    }
    Value r = callScript(*this, f, Value(obj), args, protoValue.object(), true);
    return r.isObject() ? r : Value(obj);
}

// An instance of a script class whose prototypes lead to Array, Boolean, Number or String
// is made of that kind from the start, so super() can fill it in (native_subclasses test).
Object* Machine::makeInstanceFor(Object* proto) {
    int guard = 0;
    for (Object* p = proto; p && guard < kMaxPrototypeChain; p = p->proto(), ++guard) {
        if (p == protos_.array) {
            return heap_.make<ArrayObject>(proto);
        }
        if (p == protos_.boolean) {
            return heap_.make<PrimitiveObject>(proto, ObjectKind::Boolean, Value(false));
        }
        if (p == protos_.number) {
            return heap_.make<PrimitiveObject>(proto, ObjectKind::Number, Value(0));
        }
        if (p == protos_.string) {
            return heap_.make<PrimitiveObject>(proto, ObjectKind::String, Value(QString()));
        }
    }
    return heap_.make<Object>(proto);
}

namespace {

bool goneFromStage(const Object* o) {
    return o && o->kind() == ObjectKind::Clip && static_cast<const ClipObject*>(o)->removed();
}

// A class's prototype as instanceof sees it: its own stored value, read past getters (what was
// stored before one was added) and version flags, a primitive boxed like any other (the box is
// never anyone's prototype).
Object* prototypeForInstanceOf(Machine& m, Object* ctor) {
    ctor = currentClip(m, ctor);
    if (goneFromStage(ctor)) {
        return nullptr;  // a clip gone from the stage has nothing left to read
    }
    Property* p = ctor->findAny(QStringLiteral("prototype"), m.version());
    if (!p) {
        return nullptr;
    }
    Object* proto = m.toObject(p->value);
    // A display object standing in as a prototype is never matched.
    return proto && proto->kind() == ObjectKind::Clip ? nullptr : proto;
}

// Whether the interfaces' prototypes a prototype recorded (ImplementsOp), or theirs in turn,
// include `proto`.
bool implementsProto(Machine& m, Object* p, Object* proto, int depth) {
    if (depth > 32) {
        return false;
    }
    const auto it = m.impl().interfaces.find(p);
    if (it == m.impl().interfaces.end()) {
        return false;
    }
    for (Object* ip : it->second) {
        if (ip == proto || implementsProto(m, ip, proto, depth + 1)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Machine::instanceOf(const Value& v, Object* ctor) {
    Object* o = v.object();
    if (!o) {
        return false;
    }
    Object* proto = prototypeForInstanceOf(*this, ctor);
    o = currentClip(*this, o);
    if (!proto || goneFromStage(o)) {
        return false;
    }
    int guard = 0;
    for (Object* p = o->proto(); p && guard < 256; p = p->proto(), ++guard) {
        if (p == proto || implementsProto(*this, p, proto, 0)) {
            return true;
        }
    }
    return false;
}

void Machine::throwError(const QString& message) {
    Object* e = heap_.make<Object>(protos_.error, ObjectKind::Error);
    e->put(QStringLiteral("message"), Value(message));
    throw ScriptThrow{Value(e)};
}

}  // namespace pencora::avm1
