// Reading and writing members: the prototype chain, getters and setters, __resolve, display
// objects, and the names for..in visits.
#include <QStringList>

#include <cmath>
#include <optional>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/super_object.h"
#include "platform/flash/avm1/watch_names.h"

namespace pencora::avm1 {

Value Machine::get(Object* o, const QString& name) {
    return lookupMember(o, name, true);
}

Value Machine::getWithoutResolve(Object* o, const QString& name) {
    return lookupMember(o, name, false);
}

Value Machine::lookupMember(Object* o, const QString& name, bool resolve) {
    if (Object::isProtoName(name, version_)) {
        // super stands for the super prototype itself, so its __proto__ is one further up.
        if (dynamic_cast<SuperObject*>(o)) {
            Object* p = o->proto() ? o->proto()->proto() : nullptr;
            return p ? Value(p) : Value();
        }
        return o->protoProperty();
    }
    Value out;
    if (findInChain(o, HashedName(name), out)) {
        return out;
    }
    if (resolve && name != QLatin1String("__resolve")) {
        Value resolver;
        int guard = 0;
        for (Object* p = o; p && guard < 256; p = p->proto(), ++guard) {
            if (Property* prop = p->find(QStringLiteral("__resolve"), version_)) {
                resolver = prop->value;
                break;
            }
        }
        if (Object* r = resolver.object(); r && r->kind() == ObjectKind::Function) {
            std::vector<Value> args{Value(name)};
            return call(resolver, Value(o), args);
        }
    }
    return Value();
}

namespace {

// A getter, setter or watch callback runs at most this deep within itself, whether it reaches
// its own property again directly or through others. Past that a read finds the value kept
// behind the getter and a write stores the value there, calling nothing.
constexpr int kMostNestedAccessorCalls = 65;

// One call of a property's getter/setter pair, counted while it runs.
class AccessorCall {
  public:
    AccessorCall(Machine::Impl& st, Property& p) : nesting_(st.accessorNesting) {
        if (p.accessorId == 0) {
            p.accessorId = ++st.lastAccessorId;
        }
        id_ = p.accessorId;
        int& running = nesting_[id_];
        allowed_ = running < kMostNestedAccessorCalls;
        if (allowed_) {
            ++running;
        }
    }
    ~AccessorCall() {
        auto it = nesting_.find(id_);
        if (allowed_ && it != nesting_.end() && --*it <= 0) {
            nesting_.erase(it);
        }
    }
    AccessorCall(const AccessorCall&) = delete;
    AccessorCall& operator=(const AccessorCall&) = delete;
    bool allowed() const { return allowed_; }
    uint32_t id() const { return id_; }

  private:
    QHash<uint32_t, int>& nesting_;
    uint32_t id_ = 0;
    bool allowed_ = false;
};

// Assigns `v` to `name` of `self` through the getter/setter pair of `p`, a property of
// `holder`. Once the setter is done the value is kept behind the getter as well.
void assignThroughAccessor(Machine& m, Object* holder, Property* p, Object* self,
                           const QString& name, const Value& v) {
    if (!p->setter) {
        return;
    }
    AccessorCall counted(m.impl(), *p);
    if (!counted.allowed()) {
        p->value = v;
        return;
    }
    std::vector<Value> args{v};
    m.call(Value(p->setter), Value(self), args);
    // The call may have deleted the property or put another in its place.
    Property* now = holder->findAny(name, m.version());
    if (now && now->accessorId == counted.id()) {
        now->value = v;
    }
}

// Runs the watch callback on `name` of `o`, if there is one, for an assignment of `value`,
// and returns what is to be assigned: the callback's answer.
Value runWatcher(Machine& m, Object* o, const QString& name, bool isProto, const Value& value) {
    Object::Watch* w = findWatch(*o, name, m.version());
    if (!w || !w->callback) {
        return value;
    }
    const Object::Watch watch = *w;
    Property* cur = isProto ? nullptr : o->find(name, m.version());
    // A property of a plain object that does not exist yet is made first, so the callback
    // sees the new value as the old one too; a timeline variable starts out undefined (watch
    // test: LoggingWatcher and variable).
    Value unused;
    if (!cur && !isProto && o->kind() != ObjectKind::Clip && !o->getOwnVirtual(m, name, unused)) {
        m.heap().charge(sizeof(Property));
        o->put(name, value);
        cur = o->find(name, m.version());
    }
    // A property with a getter gives the value kept behind it: the getter is not called for
    // the callback's old value.
    const Value old = isProto ? o->protoProperty() : cur ? cur->value : Value();
    // The callback may set the property again and so run again. It counts as a call of the
    // property's getter/setter pair, so the two together run as deep as one may; past that
    // the assignment stores its value as it is. A name with no property counts on the watch.
    std::optional<AccessorCall> counted;
    if (cur) {
        counted.emplace(m.impl(), *cur);
        if (!counted->allowed()) {
            return value;
        }
    } else if (w->running >= kMostNestedAccessorCalls) {
        return value;
    }
    const bool onWatch = !cur;
    if (onWatch) {
        ++w->running;
    }
    // The callback may add or remove watches: the entry is looked up again afterwards.
    struct Unwind {
        Object* o;
        QString name;
        int version;
        bool onWatch;
        ~Unwind() {
            Object::Watch* it = onWatch ? findWatch(*o, name, version) : nullptr;
            if (it && it->running > 0) {
                --it->running;
            }
        }
    } unwind{o, name, m.version(), onWatch};
    std::vector<Value> args{Value(name), old, value, watch.userData};
    try {
        return m.call(Value(watch.callback), Value(o), args);
    } catch (ScriptThrow&) {
        // A callback that throws leaves the property undefined (watch test).
        if (Property* p = o->find(name, m.version()); p && !p->getter) {
            p->value = Value();
        }
        throw;
    }
}

}  // namespace

bool Machine::findInChain(Object* o, HashedName name, Value& out) {
    int guard = 0;
    for (Object* p = o; p; p = p->proto(), ++guard) {
        if (guard == kMaxPrototypeChain) {
            // A chain that loops (a.__proto__ = a) ends the script, as in the original
            // (recursive_prototypes test).
            throw LimitExceeded{LimitExceeded::Kind::Depth};
        }
        // A getter added with addProperty wins over what the object computes itself
        // (an array's length, add_property test).
        Property* prop = p->find(name.text, name.hash, version_);
        if (prop && prop->getter) {
            AccessorCall counted(*impl_, *prop);
            if (!counted.allowed()) {
                out = prop->value;
                return true;
            }
            std::vector<Value> none;
            out = call(Value(prop->getter), Value(o), none);
            return true;
        }
        if (p->getOwnVirtual(*this, name.text, out)) {
            return true;
        }
        if (prop) {
            out = prop->value;
            return true;
        }
    }
    return false;
}

bool Machine::getIfPresent(Object* o, const QString& name, Value& out) {
    return getIfPresent(o, HashedName(name), out);
}

bool Machine::getIfPresent(Object* o, HashedName name, Value& out) {
    if (Object::isProtoName(name.text, version_)) {
        if (!hasProperty(o, name)) {
            return false;
        }
        out = get(o, name.text);
        return true;
    }
    return findInChain(o, name, out);
}

bool Machine::hasProperty(Object* o, const QString& name) {
    return hasProperty(o, HashedName(name));
}

bool Machine::hasProperty(Object* o, HashedName name) {
    int guard = 0;
    for (Object* p = o; p; p = p->proto(), ++guard) {
        if (guard == kMaxPrototypeChain) {
            throw LimitExceeded{LimitExceeded::Kind::Depth};
        }
        Value out;
        if (p->find(name.text, name.hash, version_) || p->getOwnVirtual(*this, name.text, out)) {
            return true;
        }
    }
    return false;
}

Value Machine::getMember(const Value& target, const QString& name) {
    if (!target.isObject() && !target.isNullish()) {
        bool noBox = false;
        if (Object* boxed = boxIfReplaced(target, &noBox)) {
            return get(boxed, name);
        }
        if (noBox) {
            return Value();
        }
    }
    switch (target.type()) {
        case Value::Type::Object:
            if (Object* o = target.object(); o->kind() == ObjectKind::Clip &&
                                             !static_cast<ClipObject*>(o)->lastPath().isEmpty()) {
                // A removed clip stands for the clip now at its path, or for nothing
                // (string_paths_other).
                Object* now = currentClip(*this, o);
                return now == o ? Value() : get(now, name);
            }
            return get(target.object(), name);
        case Value::Type::String:
            if (Object::isBuiltInName(name, QLatin1String("length"), version_)) {
                return Value(double(target.string().size()));
            }
            return primitiveMember(protos_.string, name);
        case Value::Type::Number:
            return primitiveMember(protos_.number, name);
        case Value::Type::Boolean:
            return primitiveMember(protos_.boolean, name);
        default:
            return Value();
    }
}

// A member of a string, number or boolean is read from the object that would box it, whose
// __proto__ is the class's prototype, not the prototype's own __proto__.
Value Machine::primitiveMember(Object* proto, const QString& name) {
    if (!proto) {
        return Value();
    }
    return Object::isProtoName(name, version_) ? Value(proto) : get(proto, name);
}

void Machine::set(Object* o, const QString& name, const Value& value) {
    set(o, HashedName(name), value);
}

void Machine::set(Object* o, HashedName hashed, const Value& value) {
    const QString& name = hashed.text;
    // Anything but an object ends the chain: {__proto__: undefined} inherits nothing
    // (equals2_swf7 test, "bare object"), yet reads back as what was stored.
    const bool isProto = Object::isProtoName(name, version_);
    Value v = value;
    if (o->hasWatches()) {
        v = runWatcher(*this, o, name, isProto, value);
    }
    if (isProto) {
        o->assignProto(v);
        return;
    }
    if (o->setOwnVirtual(*this, name, v)) {
        return;
    }
    if (Property* p = o->findAny(name, hashed.hash, version_)) {
        // Assigning a property hidden from this version makes it visible again
        // (as_set_prop_flags_version test).
        if ((p->flags & kVersionFlags) && hiddenFromVersion(p->flags, version_)) {
            p->flags &= uint16_t(
                ~(kVersion6 | kVersion7 | kVersion7b | kVersion8 | kVersion9 | kVersion10));
        }
        if (p->getter) {
            assignThroughAccessor(*this, o, p, o, name, v);
            return;
        }
        if (p->flags & kReadOnly) {
            return;
        }
        p->value = v;
        return;
    }
    // A getter/setter pair on a prototype handles the assignment for its instances.
    int guard = 0;
    for (Object* p = o->proto(); p && guard < 256; p = p->proto(), ++guard) {
        if (Property* prop = p->find(name, hashed.hash, version_)) {
            if (prop->getter) {
                assignThroughAccessor(*this, p, prop, o, name, v);
                return;
            }
            break;
        }
    }
    heap_.charge(sizeof(Property));
    o->put(name, v);
}

void Machine::setMember(const Value& target, const QString& name, const Value& v) {
    if (Object* o = target.object()) {
        set(currentClip(*this, o), name, v);
    }
}

// The original lists own properties in insertion order, then each prototype's, skipping names
// already met, and for..in visits that list backwards: newest own property first, the
// prototypes' after (prototype_enumerate test).
std::vector<QString> Machine::enumerate(Object* o) {
    std::vector<QString> listed;
    std::unordered_set<QString> seen;
    int guard = 0;
    for (Object* p = o; p && guard < 256; p = p->proto(), ++guard) {
        std::vector<QString> virt;
        p->enumerateVirtual(*this, virt);
        for (auto it = virt.rbegin(); it != virt.rend(); ++it) {
            if (seen.insert(*it).second) {
                listed.push_back(*it);
            }
        }
        for (const Property& prop : p->properties()) {
            if (seen.insert(prop.name).second && !(prop.flags & kDontEnum) &&
                p->findAny(prop.name, version_)) {
                listed.push_back(prop.name);
            }
        }
    }
    return std::vector<QString>(listed.rbegin(), listed.rend());
}

}  // namespace pencora::avm1
