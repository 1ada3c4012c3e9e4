// Steps that work on names: variables through the scope chain, members, calls and new, object
// and array literals, for..in, and the class actions (instanceof, cast, implements, extends).
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/steps.h"
#include "platform/flash/avm1/variable_cache.h"
#include "platform/flash/avm1/variables.h"

namespace pencora::avm1 {

Flow stepGetVariable(Machine& m, Activation& act, Step& s) {
    const Value held = act.pop();
    pushVariableCached(m, act, held, s.p.variable);
    return Flow::Next;
}

Flow stepPushGetVariable(Machine& m, Activation& act, Step& s) {
    const std::vector<PreparedPush>& items = s.p.push;
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        pushItem(act, items[i]);
    }
    Value none;
    const Value& held = pushedValue(act, items.back(), none);
    pushVariableCached(m, act, held, s.p.variable);
    return Flow::Next;
}

Flow stepSetVariable(Machine& m, Activation& act, Step& s) {
    Value v = act.pop();
    const Value held = act.pop();
    setVariableCached(m, act, held, v, s.p.variable);
    return Flow::Next;
}

Flow stepDefineLocal(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    QString name = m.toString(act.pop());
    defineLocal(m, act, name, v);
    return Flow::Next;
}

Flow stepDefineLocal2(Machine& m, Activation& act, Step&) {
    QString name = m.toString(act.pop());
    Object* where = act.locals;
    if (where && !where->find(name, act.swfVersion)) {
        where->put(name, Value());
    }
    return Flow::Next;
}

Flow stepDelete(Machine& m, Activation& act, Step&) {
    QString name = m.toString(act.pop());
    Value target = act.pop();
    Object* o = target.object();
    act.push(Value(o ? o->remove(name, act.swfVersion) : false));
    return Flow::Next;
}

Flow stepDelete2(Machine& m, Activation& act, Step&) {
    QString name = m.toString(act.pop());
    act.push(Value(deleteVariable(m, act, name)));
    return Flow::Next;
}

Flow stepGetMember(Machine& m, Activation& act, Step&) {
    Value name = act.pop();
    Value target = act.pop();
    act.push(m.getMember(target, m.toString(name)));
    return Flow::Next;
}

Flow stepSetMember(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    Value name = act.pop();
    Value target = act.pop();
    m.setMember(target, m.toString(name), v);
    return Flow::Next;
}

// Code whose clip a call removed from the display list (or was removed before) stops after the
// call (removed_clip_halts_script).
Flow stepCallFunction(Machine& m, Activation& act, Step&) {
    QString name = m.toString(act.pop());
    std::vector<Value> args = popArgs(m, act);
    act.push(callFunctionByName(m, act, name, args));
    return baseClipRemoved(act) ? Flow::Return : Flow::Next;
}

Flow stepCallMethod(Machine& m, Activation& act, Step&) {
    Value name = act.pop();
    Value target = act.pop();
    std::vector<Value> args = popArgs(m, act);
    act.push(callMethod(m, act, target, name, args));
    // A method of nothing (undefined.f()) does not stop it.
    return target.isObject() && baseClipRemoved(act) ? Flow::Return : Flow::Next;
}

Flow stepNewObject(Machine& m, Activation& act, Step&) {
    QString name = m.toString(act.pop());
    std::vector<Value> args = popArgs(m, act);
    Value ctor = getVariable(m, act, name);
    act.push(m.construct(ctor, args));
    return baseClipRemoved(act) ? Flow::Return : Flow::Next;
}

Flow stepNewMethod(Machine& m, Activation& act, Step&) {
    Value name = act.pop();
    Value target = act.pop();
    std::vector<Value> args = popArgs(m, act);
    Value ctor = target;
    if (!name.isUndefined() && !(name.isString() && name.string().isEmpty())) {
        ctor = m.getMember(target, m.toString(name));
    } else if (Object* boxed = target.isObject() ? nullptr : m.boxIfReplaced(target)) {
        ctor = Value(boxed);  // a primitive is boxed as for any other use
    }
    act.push(m.construct(ctor, args));
    return target.isObject() && baseClipRemoved(act) ? Flow::Return : Flow::Next;
}

Flow stepInitArray(Machine& m, Activation& act, Step&) {
    // A count beyond 32 bits pops nothing and gives undefined (init_array_invalid test).
    if (!act.stack.empty() && act.stack.back().isNumber() &&
        act.stack.back().number() > 2147483647.0) {
        act.pop();
        act.push(Value());
        return Flow::Next;
    }
    std::vector<Value> values = popArgs(m, act);
    act.push(Value(m.makeArray(std::move(values))));
    return Flow::Next;
}

Flow stepInitObject(Machine& m, Activation& act, Step&) {
    // Pairs go in as they come off the stack, the last one written first, so a for..in over
    // {a: 1, b: 2} sees a before b (enumerate test).
    size_t n = popCount(act, m);
    Object* o = m.makeObject();
    for (size_t i = 0; i < n; ++i) {
        Value v = act.pop();
        QString name = m.toString(act.pop());
        m.set(o, name, v);
    }
    act.push(Value(o));
    return Flow::Next;
}

Flow stepEnumerate(Machine& m, Activation& act, Step& s) {
    Value v = act.pop();
    Object* o = s.a.code == swf::ActionCode::Enumerate ? getVariable(m, act, m.toString(v)).object()
                                                       : v.object();
    // The end marker is undefined (enumerate test).
    act.push(Value());
    if (o) {
        std::vector<QString> names = m.enumerate(o);
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            act.push(Value(*it));
        }
    }
    return Flow::Next;
}

namespace {

// A primitive is an instance of nothing, and the class is not looked at; otherwise a class
// given as a primitive is boxed first (a movie's own String class sees that happen).
bool instanceOfOperator(Machine& m, const Value& v, const Value& ctor) {
    if (!v.isObject()) {
        return false;
    }
    Object* c = m.toObject(ctor);
    return c && m.instanceOf(v, c);
}

}  // namespace

Flow stepInstanceOf(Machine& m, Activation& act, Step&) {
    Value ctor = act.pop();
    Value v = act.pop();
    act.push(Value(instanceOfOperator(m, v, ctor)));
    return Flow::Next;
}

// A cast of a primitive boxes it and gives null whatever the class.
Flow stepCastOp(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    Value ctor = act.pop();
    if (!v.isObject()) {
        m.toObject(v);
        act.push(Value::null());
        return Flow::Next;
    }
    act.push(instanceOfOperator(m, v, ctor) ? v : Value::null());
    return Flow::Next;
}

namespace {

// What is stored under "prototype" on the object itself: no getter runs, nothing is inherited.
Object* storedPrototype(Machine& m, const Value& v) {
    Object* o = v.object();
    Property* p = o ? o->findAny(QStringLiteral("prototype"), m.version()) : nullptr;
    return p ? p->value.object() : nullptr;
}

}  // namespace

// The interfaces' prototypes as they are now are recorded with the class's prototype, once: a
// class implements what the first ImplementsOp naming any interfaces named (even if none of
// them was an object).
Flow stepImplementsOp(Machine& m, Activation& act, Step&) {
    Value ctor = act.pop();
    size_t n = popCount(act, m);
    std::vector<Object*> list;
    for (size_t i = 0; i < n; ++i) {
        if (Object* proto = storedPrototype(m, act.pop())) {
            list.push_back(proto);
        }
    }
    if (Object* proto = storedPrototype(m, ctor);
        proto && n > 0 && !m.impl().interfaces.contains(proto)) {
        m.impl().interfaces.emplace(proto, std::move(list));
    }
    return Flow::Next;
}

Flow stepExtends(Machine& m, Activation& act, Step&) {
    Value superClass = act.pop();
    Value subClass = act.pop();
    Object* sup = superClass.object();
    Object* sub = subClass.object();
    if (sup && sub) {
        Object* proto = m.heap().make<Object>(m.get(sup, "prototype").object());
        proto->put("__constructor__", superClass, kDontEnum);
        proto->put("constructor", superClass, kDontEnum);
        m.set(sub, "prototype", Value(proto));
    }
    return Flow::Next;
}

}  // namespace pencora::avm1
