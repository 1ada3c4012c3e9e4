#include "platform/flash/avm1/variable_cache.h"

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/variables.h"

namespace pencora::avm1 {

namespace {

[[gnu::always_inline]] inline bool isRemoved(const Object* o) {
    return o->kind() == ObjectKind::Clip && static_cast<const ClipObject*>(o)->removed();
}

// A property the cache may stand for: read as it is stored and written in place.
[[gnu::always_inline]] inline bool plainProperty(const Property& p) {
    return !p.getter && !(p.flags & kVersionFlags);
}

// Whether the cache was filled for `name` on the object now at the head of the scope chain.
[[gnu::always_inline]] inline bool cachedHead(const Activation& act, const VariableCache& c,
                                              const Value& name) {
    return c.holder && !act.scope.empty() && act.scope.back() == c.holder &&
           name.sharesString(c.name) && !isRemoved(c.holder);
}

// The holder's property the cache was filled with, when it is still at its place and plain. The
// cache keeps the property's name alive: a name with the same characters at the same address is
// that name.
[[gnu::always_inline]] inline Property* cachedProperty(const VariableCache& c) {
    Property* p = c.holder->propertyAt(c.index);
    return p && p->name.constData() == c.propertyName.constData() &&
                   p->name.size() == c.propertyName.size() && plainProperty(*p)
               ? p
               : nullptr;
}

HashedName hashedOf(const Value& name) {
    return HashedName(name.string(), name.nameHash());
}

// Records where the walk found `name` when that is the head of the scope chain holding it as a
// plain property under exactly that name. A name that may be a path or __proto__ (in any case)
// is never cached: the walk treats those apart.
void fill(Machine& m, Activation& act, const Value& name, Object* holder, VariableCache& c) {
    if (!holder || act.scope.empty() || act.scope.back() != holder || !name.isString() ||
        isRemoved(holder)) {
        return;
    }
    const QString& text = name.string();
    if (hasPathCharacters(text) || Object::isProtoName(text, 6)) {
        return;
    }
    const Property* p = holder->findAny(text, name.nameHash(), m.version());
    if (!p || !plainProperty(*p) || !sameName(p->name, text)) {
        return;
    }
    c.name = name;
    c.propertyName = p->name;
    c.holder = holder;
    c.index = uint32_t(p - holder->properties().data());
}

// The read the walk would make on the head, pushed: its own property, unless the object
// answers the name itself (a clip's _x, a child clip).
bool pushCached(Machine& m, Activation& act, const Value& name, VariableCache& c) {
    if (act.swfVersion < 5 || !cachedHead(act, c, name) || !cachedProperty(c)) {
        return false;
    }
    Value computed;
    if (c.holder->getOwnVirtual(m, name.string(), computed)) {
        act.push(std::move(computed));
        return true;
    }
    const Property* p = cachedProperty(c);
    if (!p) {
        return false;
    }
    act.stack.push_back(p->value);
    return true;
}

// The assignment the walk would make on the head; false, with nothing done, when the cache
// does not apply.
bool writeCached(Machine& m, Activation& act, const Value& name, const Value& v, VariableCache& c) {
    if (!cachedHead(act, c, name)) {
        return false;
    }
    const Property* p = cachedProperty(c);
    Object* o = c.holder;
    if (!p || (p->flags & kReadOnly) || o == m.global() || o->hasWatches()) {
        return false;
    }
    if (o->setOwnVirtual(m, name.string(), v)) {
        return true;
    }
    if (Property* now = cachedProperty(c); now && !(now->flags & kReadOnly)) {
        now->value = v;
    } else {
        m.set(o, hashedOf(name), v);
    }
    return true;
}

}  // namespace

void pushVariableCached(Machine& m, Activation& act, const Value& name, VariableCache& cache) {
    if (pushCached(m, act, name, cache)) {
        return;
    }
    if (!name.isString()) {
        act.push(getVariable(m, act, m.toString(name)));
        return;
    }
    Object* holder = nullptr;
    act.push(getVariable(m, act, hashedOf(name), &holder));
    fill(m, act, name, holder, cache);
}

void setVariableCached(Machine& m, Activation& act, const Value& name, const Value& v,
                       VariableCache& cache) {
    if (writeCached(m, act, name, v, cache)) {
        return;
    }
    if (!name.isString()) {
        setVariable(m, act, m.toString(name), v);
        return;
    }
    Object* holder = setVariable(m, act, hashedOf(name), v);
    if (holder != m.global()) {
        fill(m, act, name, holder, cache);
    }
}

}  // namespace pencora::avm1
