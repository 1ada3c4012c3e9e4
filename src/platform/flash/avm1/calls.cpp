// Calls of script functions: the call object, arguments, registers preloaded as
// DefineFunction2 asks, the depth limit.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/super_object.h"
#include "platform/flash/avm1/variables.h"

#include <algorithm>

namespace pencora::avm1 {

Activation Activation::forTimeline(Machine& m, std::shared_ptr<const PreparedBlock> code,
                                   Object* clip) {
    Activation a;
    a.swfVersion = code->swfVersion;
    a.code = std::move(code);
    a.constants = m.impl().constants;
    a.scope = {m.global()};
    if (clip) {
        a.scope.push_back(clip);
    }
    a.locals = clip;
    a.registers.resize(4);
    a.thisValue = clip ? Value(clip) : Value();
    a.target = clip;
    a.originalTarget = clip;
    return a;
}

Activation Activation::forCall(Machine& m, FunctionObject* fn, const Value& thisValue) {
    const ScriptFunction& s = *fn->script;
    Activation a;
    // Functions of SWF 4 movies run with SWF 5 rules: comparisons give booleans and division
    // by zero gives Infinity.
    a.swfVersion = std::max(s.swfVersion, 5);
    a.code = s.code;
    a.constants = s.constants;
    a.scope = s.scope;
    a.locals = m.heap().make<Object>(nullptr);
    a.scope.push_back(a.locals);
    a.registers.resize(s.def->version2 ? s.def->registerCount : 4);
    if (Activation* caller = m.current()) {
        a.outerRegisters = caller->outerRegisters ? caller->outerRegisters : &caller->registers;
    }
    a.thisValue = thisValue;
    a.originalTarget = currentClip(m, s.targetClip);
    auto liveClip = [](Object* o) {
        return o && o->kind() == ObjectKind::Clip && !static_cast<ClipObject*>(o)->removed();
    };
    if (a.originalTarget && a.originalTarget->kind() == ObjectKind::Clip &&
        !liveClip(a.originalTarget)) {
        // The clip that defined it is gone and nothing stands at its path: the function works
        // on the clip it is called on, or else on the root.
        Object* self = thisValue.object();
        Object* root = m.host().root(nullptr);
        a.originalTarget = liveClip(self) ? self : root ? root : a.originalTarget;
    }
    a.target = a.originalTarget;
    // A SWF 5 function called from SWF 5 code sends its timeline actions and properties to
    // the caller's target; from SWF 6 on, and whenever either side is a SWF 6 movie, they go
    // to the clip that defined it.
    const Activation* caller = m.current();
    if (s.swfVersion < 6 && caller && caller->swfVersion < 6 && caller->target) {
        a.target = caller->target;
    }
    if (caller && caller->callOnTimeline == fn && caller->target) {
        // Called by name from SWF 5 code without an object, the function runs as part of its
        // caller: under the caller's version rules, with the caller's timeline standing in for
        // the defining one, in the scope chain as for properties and timeline actions.
        Object* defined = a.originalTarget;
        for (Object*& o : a.scope) {
            if (o == defined || o == s.targetClip) {
                o = caller->target;
            }
        }
        a.originalTarget = a.target = caller->target;
        a.swfVersion = caller->swfVersion;
    }
    a.callee = fn;
    a.isFunction = true;
    return a;
}

namespace {

struct DepthGuard {
    Machine::Impl& st;
    explicit DepthGuard(Machine& m) : st(m.impl()) {
        if (++st.depth > m.limits().maxDepth) {
            --st.depth;
            throw LimitExceeded{LimitExceeded::Kind::Depth};
        }
    }
    ~DepthGuard() { --st.depth; }
};

Object* makeSuper(Machine& m, Object* holder, Object* self) {
    if (!holder) {
        return nullptr;
    }
    int depth = 0;
    int up = 1;
    for (Object* p = self ? self->proto() : nullptr; p && up < 256; p = p->proto(), ++up) {
        if (p == holder) {
            depth = up;
            break;
        }
    }
    return m.heap().make<SuperObject>(holder, depth ? self : nullptr, depth);
}

}  // namespace

Value callScript(Machine& m, FunctionObject* fn, const Value& thisValue, std::vector<Value>& args,
                 Object* superHolder, bool constructing) {
    DepthGuard depth(m);
    const ScriptFunction& s = *fn->script;
    const swf::FunctionDef& def = *s.def;
    Activation act = Activation::forCall(m, fn, thisValue);
    act.constructing = constructing;

    ArrayObject* arguments = m.heap().make<ArrayObject>(m.protos().array);
    // Every argument is an element, undefined ones too, so for..in lists them all.
    arguments->assign(m, args);
    arguments->put("callee", Value(fn), kDontEnum);
    if (Activation* caller = m.current(); caller && caller->callee) {
        arguments->put("caller", Value(caller->callee), kDontEnum);
    } else {
        arguments->put("caller", Value::null(), kDontEnum);
    }
    act.arguments = arguments;
    Object* super = makeSuper(m, superHolder, thisValue.object());
    act.superObject = super;

    // The call object holds this, arguments and super as variables, so a script may assign
    // them and names it does not hold resolve further out.
    bool nameThis = true;
    bool nameArguments = true;
    bool nameSuper = super != nullptr;
    if (def.version2) {
        uint16_t f = def.flags;
        size_t r = 1;
        auto preload = [&](const Value& v) {
            // Preloads past the function's registers are dropped.
            if (r < act.registers.size()) {
                act.registers[r] = v;
            }
            ++r;
        };
        // A suppressed this or super still takes its register, left undefined; preloading
        // the arguments wins over suppressing them.
        if (f & swf::kPreloadThis) {
            preload((f & swf::kSuppressThis) ? Value() : thisValue);
        }
        if (f & swf::kPreloadArguments) {
            preload(Value(arguments));
        }
        if (f & swf::kPreloadSuper) {
            preload(super && !(f & swf::kSuppressSuper) ? Value(super) : Value());
        }
        if (f & swf::kPreloadRoot) {
            preload(Value(m.host().root(act.originalTarget)));
        }
        if (f & swf::kPreloadParent) {
            // The display-list parent of the clip the call works on (which stands in for a
            // removed defining clip), whatever a script stored as _parent. A clip without a
            // parent (a root) takes no register: _global, if asked for, moves up into the one
            // _parent would have had.
            Object* base = act.originalTarget;
            Object* parent =
                base ? m.host().resolveTarget(base, QStringLiteral("_parent")) : nullptr;
            if (parent) {
                preload(Value(parent));
            }
        }
        if (f & swf::kPreloadGlobal) {
            preload(Value(m.global()));
        }
        // Suppressing this only leaves out the variable: the call keeps its receiver in
        // act.thisValue, which super.method() and super() run on.
        nameThis = !(f & (swf::kSuppressThis | swf::kPreloadThis));
        nameArguments = !(f & (swf::kSuppressArguments | swf::kPreloadArguments));
        nameSuper = nameSuper && !(f & (swf::kSuppressSuper | swf::kPreloadSuper));
        if (!nameArguments) {
            act.arguments = nullptr;
        }
        if (!nameSuper) {
            act.superObject = nullptr;
        }
    }
    if (nameThis) {
        act.locals->put(QStringLiteral("this"), thisValue, kDontEnum);
    }
    if (nameArguments) {
        act.locals->put(QStringLiteral("arguments"), Value(arguments), kDontEnum);
    }
    if (nameSuper) {
        act.locals->put(QStringLiteral("super"), Value(super), kDontEnum);
    }
    const auto& names = s.code->actions[s.defIndex].names;
    for (size_t i = 0; i < def.params.size() && i < names.size(); ++i) {
        Value v = i < args.size() ? args[i] : Value();
        uint8_t reg = def.params[i].reg;
        if (def.version2 && reg != 0) {
            act.setReg(reg, v);
        } else {
            act.locals->put(names[i], v);
        }
    }

    Activation* saved = m.current();
    int savedVersion = m.version();
    m.setCurrent(&act);
    m.setVersion(act.swfVersion);
    struct Restore {
        Machine& m;
        Activation* a;
        int v;
        ~Restore() {
            m.setCurrent(a);
            m.setVersion(v);
        }
    } restore{m, saved, savedVersion};
    uint32_t pc = 0;
    Value result;
    Completion c = runRange(m, act, def.bodyBegin, def.bodyEnd, pc, result);
    return c == Completion::Return ? result : Value();
}

}  // namespace pencora::avm1

namespace pencora::avm1 {

namespace {

void adoptNativeState(Machine& m, Object* self, Object* made) {
    if (!self || !made || self == made || self->kind() != made->kind()) {
        return;
    }
    switch (self->kind()) {
        case ObjectKind::Array: {
            auto* to = static_cast<ArrayObject*>(self);
            auto* from = static_cast<ArrayObject*>(made);
            to->clearElements();
            to->setLength(m, from->length());
            const uint32_t n = std::min(from->count(), m.limits().maxArrayLength);
            for (uint32_t i = 0; i < n; ++i) {
                if (from->has(i)) {
                    to->setAt(m, i, from->at(i));
                }
            }
            break;
        }
        case ObjectKind::Boolean:
        case ObjectKind::Number:
        case ObjectKind::String:
            static_cast<PrimitiveObject*>(self)->primitive =
                static_cast<PrimitiveObject*>(made)->primitive;
            break;
        default:
            break;
    }
}

}  // namespace

Object* SuperObject::currentHolder() const {
    Object* p = self;
    for (int i = 0; p && i < depth; ++i) {
        p = p->proto();
    }
    return p ? p : holder;
}

Value callThroughSuper(Machine& m, SuperObject* super, const Value& thisValue,
                       const QString* method, std::vector<Value>& args) {
    Object* holder = super->currentHolder();
    // A display object standing in as a prototype gives super nothing (super_edge_cases).
    if (holder->kind() == ObjectKind::Clip) {
        return Value();
    }
    if (!method) {
        // The constructor is looked up from the holder upwards, through getters but never
        // through __resolve.
        Value ctor;
        int up = 0;
        for (Object* p = holder; p && up < 256; p = p->proto(), ++up) {
            if (Property* prop = p->find(QStringLiteral("__constructor__"), m.version())) {
                if (prop->getter) {
                    std::vector<Value> none;
                    ctor = m.call(Value(prop->getter), thisValue, none);
                } else {
                    ctor = prop->value;
                }
                break;
            }
        }
        Object* c = ctor.object();
        if (!c || c->kind() != ObjectKind::Function) {
            return Value();
        }
        auto* f = static_cast<FunctionObject*>(c);
        if (!f->script) {
            if (!f->constructNative) {
                return m.call(ctor, thisValue, args);
            }
            // A built-in class's constructor makes its own object; an instance of the same
            // kind takes over what it made (a Boolean subclass holds the boolean), a plain
            // one keeps it as its native part, replacing any it had (a Date constructed
            // twice is reset).
            Value made = f->constructNative(m, thisValue, args);
            Object* self = thisValue.object();
            if (self && self->kind() == ObjectKind::Plain && made.object() &&
                made.object() != self) {
                self->setNativePart(made.object());
                return f->superGivesUndefined ? Value() : thisValue;
            }
            adoptNativeState(m, self, made.object());
            return made;
        }
        return callScript(m, f, thisValue, args, m.get(c, QStringLiteral("prototype")).object());
    }
    int guard = 0;
    for (Object* p = holder->proto(); p && guard < 256; p = p->proto(), ++guard) {
        if (Property* prop = p->find(*method, m.version())) {
            Value fn = prop->getter ? m.get(p, *method) : prop->value;
            Object* o = fn.object();
            if (!o || o->kind() != ObjectKind::Function) {
                return Value();
            }
            auto* f = static_cast<FunctionObject*>(o);
            if (!f->script) {
                return m.call(fn, thisValue, args);
            }
            return callScript(m, f, thisValue, args, p);
        }
    }
    return Value();
}

}  // namespace pencora::avm1
