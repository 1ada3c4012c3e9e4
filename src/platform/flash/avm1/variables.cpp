#include "platform/flash/avm1/variables.h"

#include <QRegularExpression>

#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/path_syntax.h"
#include "platform/flash/avm1/super_object.h"

namespace pencora::avm1 {

namespace {

bool nameIs(const QString& name, const char* literal, int swfVersion) {
    return name.compare(QLatin1String(literal),
                        swfVersion >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

// Names that resolve when no scope holds them: this (the timeline's clip), _global, _root,
// _levelN. A variable of that name in scope wins (define_function2_preload, mutable_this).
bool specialName(Machine& m, Activation& act, const QString& name, Value& out) {
    if (name.isEmpty() || (name[0] != '_' && name[0] != 't' && name[0] != 'T')) {
        return false;
    }
    const int v = act.swfVersion;
    if (nameIs(name, "this", v)) {
        out = act.isFunction ? (act.originalTarget ? Value(act.originalTarget) : Value())
                             : act.thisValue;
        return true;
    }
    if (v >= 6 && nameIs(name, "_global", v)) {
        out = Value(m.global());
        return true;
    }
    if (nameIs(name, "_root", v)) {
        out = Value(m.host().root(act.originalTarget ? act.originalTarget : act.target));
        return true;
    }
    if (auto level = levelOfName(name, v >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive)) {
        // A level that is not loaded is undefined, as a missing variable would be.
        Object* clip = *level >= 0 ? m.host().level(*level) : nullptr;
        out = clip ? Value(clip) : Value();
        return true;
    }
    return false;
}

bool isRemovedClip(const Object* o) {
    return o && o->kind() == ObjectKind::Clip && static_cast<const ClipObject*>(o)->removed();
}

// A timeline in the chain that has been removed from the display list answers for the clip
// now at its path or, failing that, for the movie's root, as a target path that leads nowhere
// does.
Object* liveScope(Machine& m, Object* o) {
    if (o->kind() != ObjectKind::Clip) {
        return o;
    }
    o = currentClip(m, o);
    if (isRemovedClip(o)) {
        if (Object* root = m.host().root(nullptr)) {
            return root;
        }
    }
    return o;
}

// Where a name is looked up: the whole scope chain, or only the timelines and `with` objects
// in it (a target path names clips, never a global variable).
enum class Reach { All, NotGlobal };

// The object of the scope chain that holds `name`; with `value`, its value too, read in the
// same walk.
Object* scopeHolding(Machine& m, Activation& act, HashedName name, Value* value = nullptr,
                     Reach reach = Reach::All) {
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        // SWF 4 scripts predate the global object: NaN and Infinity read as undefined there,
        // hence as 0 (equals_swf4, lessthan_swf4 tests).
        if ((act.swfVersion < 5 || reach == Reach::NotGlobal) && *it == m.global()) {
            continue;
        }
        Object* o = liveScope(m, *it);
        if (value ? m.getIfPresent(o, name, *value) : m.hasProperty(o, name)) {
            return o;
        }
    }
    return nullptr;
}

Value lookup(Machine& m, Activation& act, HashedName name, Reach reach = Reach::All,
             Object** holder = nullptr) {
    Value found;
    if (Object* o = scopeHolding(m, act, name, &found, reach)) {
        if (holder) {
            *holder = o;
        }
        return found;
    }
    Value special;
    if (specialName(m, act, name.text, special)) {
        return special;
    }
    return Value();
}

// Splits "a/b:c" and "a.b.c" into the path of the object and the variable name.
bool splitPath(const QString& name, QString& path, QString& var) {
    int colon = name.lastIndexOf(':');
    if (colon >= 0) {
        path = name.left(colon);
        var = name.mid(colon + 1);
        return true;
    }
    // The name after the last dot, also after slashes ("a/b.c" is c of a/b), unless the dot
    // is half of a ".." (string_paths_hidden).
    int dot = name.lastIndexOf('.');
    // A trailing dot names the empty variable of the path before it ("_level0." reads as
    // undefined).
    const bool last = dot + 1 == name.size();
    if (dot > 0 && name[dot - 1] != '.' && (last || name[dot + 1] != '.')) {
        path = name.left(dot);
        var = name.mid(dot + 1);
        return true;
    }
    return false;
}

}  // namespace

bool hasPathCharacters(const QString& name) {
    for (QChar c : name) {
        if (c == '/' || c == ':' || c == '.') {
            return true;
        }
    }
    return false;
}

namespace {

// Follows a SWF 4 target path from `base` (null after a tellTarget that found nothing).
Object* resolveSwf4Path(Machine& m, Object* base, const QString& path) {
    const std::optional<Swf4Path> parsed = parseSwf4Path(path);
    if (!parsed) {
        return nullptr;
    }
    Object* cur = parsed->start == Swf4Path::Start::Root    ? m.host().root(base)
                  : parsed->start == Swf4Path::Start::Level ? m.host().level(parsed->level)
                                                            : base;
    for (const PathStep& step : parsed->steps) {
        if (!cur) {
            return nullptr;
        }
        const bool parent = step.kind == PathStep::Kind::Parent;
        cur = m.host().resolveTarget(cur, parent ? QStringLiteral("..") : step.name);
    }
    return cur;
}

Object* resolvePathWithin(Machine& m, Activation& act, const QString& path, Reach reach) {
    Object* base = act.target ? act.target : act.originalTarget;
    if (act.swfVersion < 5) {
        return resolveSwf4Path(m, act.targetLost ? nullptr : base, path);
    }
    if (path.isEmpty()) {
        return base;
    }
    // Ask the runtime first: it knows levels, _parent and children by name.
    if (Object* o = m.host().resolveTarget(base, path)) {
        return o;
    }
    const std::optional<ParsedPath> parsed = parsePath(path);
    if (!parsed) {
        return nullptr;
    }
    Object* cur = parsed->fromRoot ? m.host().root(base) : base;
    bool first = !parsed->fromRoot;
    for (const PathStep& step : parsed->steps) {
        Value v;
        if (step.kind == PathStep::Kind::Parent) {
            v = cur ? m.get(cur, QStringLiteral("_parent")) : Value();
        } else if (first) {
            v = lookup(m, act, HashedName(step.name), reach);
        } else {
            v = cur ? m.get(cur, step.name) : Value();
        }
        first = false;
        cur = v.object();
        if (!cur) {
            return nullptr;
        }
    }
    return cur;
}

// The clip whose property GetProperty and SetProperty read or write.
Object* propertyTarget(Machine& m, Activation& act, const Value& target) {
    if (Object* clip = target.object()) {
        return clip;
    }
    return resolvePathWithin(m, act, m.toString(target), Reach::NotGlobal);
}

}  // namespace

Object* resolvePath(Machine& m, Activation& act, const QString& path) {
    return resolvePathWithin(m, act, path, Reach::All);
}

Object* currentClip(Machine& m, Object* o) {
    if (!isRemovedClip(o)) {
        return o;
    }
    const QString& path = static_cast<const ClipObject*>(o)->lastPath();
    if (path.isEmpty()) {
        return o;
    }
    Object* now = m.host().resolveTarget(nullptr, path);
    return now ? now : o;
}

bool baseClipRemoved(const Activation& act) {
    return isRemovedClip(act.originalTarget);
}

void setTarget(Machine& m, Activation& act, const Value& path) {
    Object* to = nullptr;
    if (Object* o = path.object(); o && o->kind() == ObjectKind::Clip) {
        // A clip is taken by its path: of two clips of the same name, the one the path finds
        // (set_target_2_swf6).
        to = m.host().resolveTarget(nullptr, m.host().targetPath(o, false));
        if (!to) {
            to = o;
        }
    } else {
        // Anything else names a path: an object through its toString (tell_target).
        const QString text = m.toString(path);
        act.targetLost = false;
        if (text.isEmpty()) {
            to = act.originalTarget;
        } else if (act.swfVersion < 5) {
            // A SWF 4 path that leads nowhere leaves no target: what follows reaches no clip.
            to = resolveSwf4Path(m, act.originalTarget, text);
            act.targetLost = !to;
        } else {
            Object* base = act.originalTarget;
            to = m.host().resolveTarget(base, text);
            // A path that leads nowhere sends the actions to the movie's root
            // (tell_target_invalid_swf6).
            if (!to) {
                to = m.host().root(base);
            }
        }
    }
    if (!to) {
        to = act.originalTarget;
    }
    // The timeline in the scope chain is the target: variables are read and written there.
    for (size_t i = 0; i < act.scope.size(); ++i) {
        if (act.scope[i] == act.target && act.target) {
            act.scope[i] = to;
            break;
        }
    }
    if (!act.isFunction && act.locals == act.target) {
        act.locals = to;
    }
    act.target = to;
}

namespace {

// GetVariable in SWF 4 code: a name, or "path:name" with a SWF 4 target path. SWF 4 has no
// clip values, so whatever names a display object reads as undefined.
Value getSwf4Variable(Machine& m, Activation& act, const QString& name) {
    Value v;
    if (const qsizetype colon = name.lastIndexOf(u':'); colon >= 0) {
        Object* o = colon > 0 ? resolvePath(m, act, name.left(colon)) : nullptr;
        v = o ? m.get(o, name.mid(colon + 1)) : Value();
    } else if (!scopeHolding(m, act, HashedName(name), &v) && !hasPathCharacters(name)) {
        specialName(m, act, name, v);
    }
    Object* o = v.object();
    return o && o->kind() == ObjectKind::Clip ? Value() : v;
}

}  // namespace

Value getVariable(Machine& m, Activation& act, const QString& name) {
    return getVariable(m, act, HashedName(name));
}

Value getVariable(Machine& m, Activation& act, HashedName hashed, Object** holder) {
    const QString& name = hashed.text;
    if (act.swfVersion < 5) {
        return getSwf4Variable(m, act, name);
    }
    if (hasPathCharacters(name)) {
        QString path, var;
        if (splitPath(name, path, var)) {
            Object* o = resolvePath(m, act, path);
            return o ? m.get(o, var) : Value();
        }
        if (name.contains('/')) {
            Object* o = resolvePath(m, act, name);
            return o ? Value(o) : Value();
        }
    }
    return lookup(m, act, hashed, Reach::All, holder);
}

void setVariable(Machine& m, Activation& act, const QString& name, const Value& v) {
    setVariable(m, act, HashedName(name), v);
}

Object* setVariable(Machine& m, Activation& act, HashedName hashed, const Value& v) {
    const QString& name = hashed.text;
    if (hasPathCharacters(name)) {
        QString path, var;
        if (splitPath(name, path, var)) {
            if (Object* o = resolvePath(m, act, path)) {
                m.set(o, var, v);
            }
            return nullptr;
        }
    }
    // An existing variable anywhere in the chain but _global is overwritten where it lives;
    // a new one goes to the timeline the code belongs to (not to the call object).
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        if (*it == m.global()) {
            continue;
        }
        if (m.hasProperty(*it, hashed)) {
            m.set(*it, hashed, v);
            return *it;
        }
    }
    Object* where = act.target ? act.target : act.locals;
    if (!where) {
        where = act.scope.empty() ? m.global() : act.scope.back();
    }
    m.set(where, hashed, v);
    return where;
}

void defineLocal(Machine& m, Activation& act, const QString& name, const Value& v) {
    // Outside functions `var` inside with(o) overwrites o's own variable of that name; an
    // inherited one is left alone and the timeline gets the variable (with_variable_scopes).
    if (!act.isFunction) {
        for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
            if (*it == m.global()) {
                continue;
            }
            Value out;
            if ((*it)->find(name, act.swfVersion) || (*it)->getOwnVirtual(m, name, out)) {
                m.set(*it, name, v);
                return;
            }
        }
    }
    Object* where = act.locals ? act.locals : act.originalTarget;
    if (!where) {
        where = m.global();
    }
    m.set(where, name, v);
}

bool deleteVariable(Machine& m, Activation& act, const QString& name) {
    // A path names the object that holds the variable, as it does for reading: "o.x",
    // "clip:x" and "/clip:x" delete x of that object.
    if (hasPathCharacters(name)) {
        QString path, var;
        if (splitPath(name, path, var)) {
            Object* o = resolvePath(m, act, path);
            return o && o->remove(var, act.swfVersion);
        }
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        if ((*it)->find(name, act.swfVersion)) {
            return (*it)->remove(name, act.swfVersion);
        }
    }
    return false;
}

Value getClipProperty(Machine& m, Activation& act, const Value& target, double index) {
    if (!std::isfinite(index) || index < 0 || index > 21) {
        return Value();
    }
    Object* clip = propertyTarget(m, act, target);
    if (!clip) {
        return Value();
    }
    return m.host().getClipProperty(clip, ClipProperty(int(index)));
}

void setClipProperty(Machine& m, Activation& act, const Value& target, double index,
                     const Value& v) {
    if (!std::isfinite(index) || index < 0 || index > 21) {
        return;
    }
    if (Object* clip = propertyTarget(m, act, target)) {
        m.host().setClipProperty(clip, ClipProperty(int(index)), v);
    }
}

namespace {

bool definedInSwf6OrLater(const Value& fn) {
    Object* o = fn.object();
    if (!o || o->kind() != ObjectKind::Function) {
        return false;
    }
    const auto* f = static_cast<const FunctionObject*>(o);
    return f->script && f->script->swfVersion >= 6;
}

}  // namespace

Value callFunctionByName(Machine& m, Activation& act, const QString& name,
                         std::vector<Value>& args) {
    Value fn;
    Value thisValue = act.originalTarget ? Value(act.originalTarget) : Value();
    QString path, var;
    if (hasPathCharacters(name) && splitPath(name, path, var)) {
        // "clip.f" and "/clip:f" call f as a method of the object the path names.
        Object* holder = resolvePath(m, act, path);
        if (!holder) {
            return Value();
        }
        return m.call(m.get(holder, var), Value(holder), args);
    }
    if (hasPathCharacters(name)) {
        fn = getVariable(m, act, name);
    } else if (Object* holder = scopeHolding(m, act, HashedName(name))) {
        fn = m.get(holder, name);
        // super(...) runs the super class's constructor on this.
        if (auto* super = dynamic_cast<SuperObject*>(fn.object())) {
            return callThroughSuper(m, super, act.thisValue, nullptr, args);
        }
        // A function found in a `with` object or on a clip runs with that object as this.
        if (holder != m.global() && holder != act.locals) {
            thisValue = Value(holder);
        } else if (act.swfVersion < 6 && (act.isFunction || holder == m.global()) &&
                   definedInSwf6OrLater(fn)) {
            // SWF 5 code calls a later movie's function it finds with no object to call it
            // on (a function's local variable, or _global; a timeline's own variable is on
            // its clip) as its own subroutine: without this, on the caller's timeline.
            thisValue = Value();
            act.callOnTimeline = static_cast<const FunctionObject*>(fn.object());
            struct Reset {
                Activation& a;
                ~Reset() { a.callOnTimeline = nullptr; }
            } reset{act};
            return m.call(fn, thisValue, args);
        }
    } else {
        specialName(m, act, name, fn);
    }
    return m.call(fn, thisValue, args);
}

Value callMethod(Machine& m, Activation& act, const Value& target, const Value& name,
                 std::vector<Value>& args) {
    (void)act;
    if (name.isUndefined() || (name.isString() && name.string().isEmpty())) {
        // The target itself is the function; this is undefined... unless super().
        Object* o = target.object();
        if (auto* super = dynamic_cast<SuperObject*>(o)) {
            return callThroughSuper(m, super, act.thisValue, nullptr, args);
        }
        // A primitive is boxed as for any other use, and its box is what is called.
        Object* boxed = target.isObject() ? nullptr : m.boxIfReplaced(target);
        return m.call(boxed ? Value(boxed) : target, Value(), args);
    }
    QString n = m.toString(name);
    Object* o = target.object();
    if (auto* super = dynamic_cast<SuperObject*>(o)) {
        // super.method(): found from the super prototype, run on the current this.
        return callThroughSuper(m, super, act.thisValue, &n, args);
    }
    Value self = target;
    if (!target.isObject() && !target.isNullish()) {
        // Box once, so a replaced class's constructor runs once per call.
        bool noBox = false;
        if (Object* boxed = m.boxIfReplaced(target, &noBox)) {
            self = Value(boxed);
        } else if (noBox) {
            self = Value();
        }
    }
    if (Object* clip = self.object()) {
        // A removed clip stands for the clip now at its path: its method runs on that clip.
        self = Value(currentClip(m, clip));
    }
    Value fn = m.getMember(self, n);
    return m.call(fn, self, args);
}

Completion runTry(Machine& m, Activation& act, const swf::TryDef& t, const QString& catchName,
                  uint32_t& next, Value& returnValue) {
    uint32_t inner = 0;
    Completion c = Completion::Normal;
    next = t.end;
    bool pending = false;
    ScriptThrow thrown;
    auto finish = [&](Completion body) {
        // The finally block runs whatever happened; if it returns or jumps, that wins.
        if (t.hasFinally) {
            uint32_t fpc = 0;
            Value fr;
            Completion fc = runRange(m, act, t.finallyBegin, t.end, fpc, fr);
            if (fc == Completion::Return) {
                returnValue = fr;
                pending = false;
                return Completion::Return;
            }
            if (fc == Completion::JumpOut) {
                next = fpc;
                pending = false;
                return Completion::Normal;
            }
        }
        return body;
    };
    size_t stackDepth = act.stack.size();
    size_t scopeDepth = act.scope.size();
    try {
        c = runRange(m, act, t.tryBegin, t.catchBegin, inner, returnValue);
        if (c == Completion::JumpOut) {
            next = inner;
        }
    } catch (ScriptThrow& e) {
        act.scope.resize(scopeDepth);
        act.stack.resize(std::min(stackDepth, act.stack.size()));
        if (!t.hasCatch) {
            pending = true;
            thrown = e;
        } else {
            if (t.catchInRegister) {
                act.setReg(t.catchRegister, e.value);
            } else {
                defineLocal(m, act, catchName, e.value);
            }
            try {
                c = runRange(m, act, t.catchBegin, t.finallyBegin, inner, returnValue);
                if (c == Completion::JumpOut) {
                    next = inner;
                }
            } catch (ScriptThrow& e2) {
                act.scope.resize(scopeDepth);
                pending = true;
                thrown = e2;
            }
        }
    }
    Completion r = finish(c);
    if (pending) {
        throw thrown;
    }
    if (r == Completion::JumpOut) {
        return Completion::Normal;
    }
    return r;
}

}  // namespace pencora::avm1
