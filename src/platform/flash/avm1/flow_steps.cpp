// Steps of control flow: jumps, return, throw, try, with, and the definition of functions.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/steps.h"
#include "platform/flash/avm1/variables.h"

namespace pencora::avm1 {

namespace {

// Whether the body of the function defined at `a` names `super`: finding the super prototype
// costs a walk up the chain, so only such bodies pay for it.
bool bodyNamesSuper(const Activation& act, const swf::Action& a) {
    const swf::FunctionDef& def = *a.function;
    if (def.version2 && (def.flags & swf::kSuppressSuper)) {
        return false;
    }
    if (def.version2 && (def.flags & swf::kPreloadSuper)) {
        return true;
    }
    for (uint32_t i = def.bodyBegin; i < def.bodyEnd; ++i) {
        for (const PreparedPush& v : act.code->actions[i].push) {
            if ((v.kind == PreparedPush::Kind::Literal && v.value.isString() &&
                 v.value.string() == QLatin1String("super")) ||
                (v.kind == PreparedPush::Kind::Constant && act.constants &&
                 v.index < act.constants->size() &&
                 (*act.constants)[v.index].string() == QLatin1String("super"))) {
                return true;
            }
        }
    }
    return false;
}

FunctionObject* defineFunction(Machine& m, Activation& act, uint32_t index) {
    const swf::Action& a = act.code->block->actions[index];
    auto s = std::make_unique<ScriptFunction>();
    s->code = act.code;
    s->def = a.function.get();
    s->defIndex = index;
    s->constants = act.constants;
    s->scope = act.scope;
    s->targetClip = act.originalTarget;
    s->swfVersion = act.swfVersion;
    s->mayUseSuper = bodyNamesSuper(act, a);
    FunctionObject* f = m.heap().make<FunctionObject>(m.protos().function, std::move(s));
    Object* proto = m.makeObject();
    proto->put("constructor", Value(f), kDontEnum);
    // A function's prototype survives delete (prototype_delete test).
    f->put("prototype", Value(proto), kDontEnum | kDontDelete);
    return f;
}

// Far more than any compiler nests, and few enough for the C++ stack beside the deepest
// recursion of script and native calls.
constexpr int kMostOpenRegions = 1024;

}  // namespace

RegionGuard::RegionGuard(Machine& m) : depth_(m.impl().regionDepth) {
    if (depth_ >= kMostOpenRegions) {
        throw LimitExceeded{LimitExceeded::Kind::Depth};
    }
    ++depth_;
}

RegionGuard::~RegionGuard() {
    --depth_;
}

Flow stepEnd(Machine&, Activation& act, Step& s) {
    s.next = uint32_t(act.code->block->actions.size());
    return Flow::JumpOut;
}

Flow stepJump(Machine&, Activation&, Step& s) {
    s.next = s.a.target;
    return Flow::Next;
}

Flow stepIf(Machine& m, Activation& act, Step& s) {
    if (m.toBoolean(act.pop())) {
        s.next = s.a.target;
    }
    return Flow::Next;
}

Flow stepReturn(Machine&, Activation& act, Step& s) {
    s.returnValue = act.pop();
    return Flow::Return;
}

Flow stepThrow(Machine&, Activation& act, Step&) {
    throw ScriptThrow{act.pop()};
}

Flow stepTry(Machine& m, Activation& act, Step& s) {
    RegionGuard region(m);
    Completion c = runTry(m, act, *s.a.tryDef, s.p.text, s.next, s.returnValue);
    return c == Completion::Return ? Flow::Return : Flow::Next;
}

// with(undefined) and with(null) skip their body, and so does a with opened inside
// as many others as the movie's version allows: 7 up to SWF 5, 15 from SWF 6 on.
Flow stepWith(Machine& m, Activation& act, Step& s) {
    Object* o = m.toObject(act.pop());
    const int mostOpen = act.swfVersion < 6 ? 7 : 15;
    if (!o || act.withDepth >= mostOpen) {
        s.next = s.a.target;
        return Flow::Next;
    }
    Completion c;
    uint32_t inner = 0;
    {
        RegionGuard region(m);
        act.scope.push_back(o);
        ++act.withDepth;
        struct Close {
            Activation& a;
            size_t size;
            ~Close() {
                a.scope.resize(size - 1);
                --a.withDepth;
            }
        } guard{act, act.scope.size()};
        c = runRange(m, act, s.a.next, s.a.target, inner, s.returnValue);
    }
    if (c == Completion::Return) {
        return Flow::Return;
    }
    s.next = c == Completion::JumpOut ? inner : s.a.target;
    return Flow::Next;
}

Flow stepDefineFunction(Machine& m, Activation& act, Step& s) {
    FunctionObject* f = defineFunction(m, act, s.pc);
    if (s.p.text.isEmpty()) {
        act.push(Value(f));
    } else {
        defineLocal(m, act, s.p.text, Value(f));
    }
    s.next = s.a.function->bodyEnd;
    return Flow::Next;
}

Flow stepSkip(Machine&, Activation&, Step&) {
    return Flow::Next;
}

}  // namespace pencora::avm1
