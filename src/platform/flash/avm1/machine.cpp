#include "platform/flash/avm1/machine.h"

#include <QStringList>

#include <cmath>
#include <unordered_set>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/super_object.h"

namespace pencora::avm1 {

namespace {
constexpr int kMaxPrototypeChain = 256;
}  // namespace

Machine::Machine(Host& host, int swfVersion)
    : host_(host),
      version_(swfVersion),
      defaultVersion_(swfVersion),
      impl_(std::make_unique<Impl>()) {
    heap_.setCap(limits_.maxHeapBytes);
    protos_.object = heap_.make<Object>(nullptr);
    protos_.function = heap_.make<Object>(protos_.object);
    // _global is bare: it inherits nothing, not even from Object.prototype (global_is_bare).
    global_ = heap_.make<Object>(nullptr);
    installBuiltins();
    impl_->liveBytesAfterGc = heap_.bytes();
}

Machine::~Machine() = default;

void Machine::installBuiltins() {
    installObjectClass(*this);
    installFunctionClass(*this);
    installArrayClass(*this);
    installStringClass(*this);
    installNumberClass(*this);
    installBooleanClass(*this);
    installMathObject(*this);
    installDateClass(*this);
    installErrorClass(*this);
    installAsBroadcaster(*this);
    installGlobalFunctions(*this);
    installXmlClasses(*this);
    installLoadVars(*this);
    installSharedObject(*this);
    installGeometry(*this);
    installBitmapData(*this);
    installExternalInterface(*this);
    installLocalConnection(*this);
    installNetConnection(*this);
    installFilterClasses(*this);
    installContextMenu(*this);
    installDeviceClasses(*this);
    installNativeTables(*this);
}

void installTable(Machine& m, Object* target, const NativeEntry* rows, size_t count,
                  uint16_t flags) {
    for (size_t i = 0; i < count; ++i) {
        target->putNative(m, QString::fromLatin1(rows[i].name), rows[i].fn, flags);
    }
}

// --- Runs from outside ----------------------------------------------------------------------

RunResult Machine::guarded(int swfVersion, const std::function<Value()>& body) {
    Impl& st = *impl_;
    const bool outermost = st.runDepth == 0;
    if (outermost && scriptsStopped_) {
        RunResult refused;
        refused.status = RunResult::Status::TimeLimit;
        return refused;
    }
    if (outermost) {
        st.depth = 0;
        st.nativeDepth = 0;
        st.actions = 0;
        st.actionBudget = limits_.maxActions;
        st.deadline = std::chrono::steady_clock::now() +
                      std::chrono::microseconds(int64_t(limits_.seconds * 1e6));
        heap_.setCap(limits_.maxHeapBytes);
    }
    ++st.runDepth;
    int savedVersion = version_;
    Activation* savedCurrent = current_;
    version_ = swfVersion;
    RunResult r;
    try {
        r.value = body();
    } catch (ScriptThrow& t) {
        r.status = RunResult::Status::Uncaught;
        r.value = t.value;
        if (outermost) {
            // The original's log names exceptions nobody caught (uncaught_exception test).
            try {
                host_.trace(QStringLiteral("Warning: Uncaught exception, ") + toString(t.value));
            } catch (...) {
            }
        }
    } catch (LimitExceeded& e) {
        switch (e.kind) {
            case LimitExceeded::Kind::Time:
                r.status = RunResult::Status::TimeLimit;
                scriptsStopped_ = limits_.stopScriptsAfterTimeLimit;
                break;
            case LimitExceeded::Kind::Depth:
                r.status = RunResult::Status::DepthLimit;
                break;
            case LimitExceeded::Kind::Memory:
                r.status = RunResult::Status::MemoryLimit;
                break;
            case LimitExceeded::Kind::Actions:
                r.status = RunResult::Status::ActionLimit;
                break;
        }
        if (!outermost) {
            // A limit ends the whole outer run, not just the callback inside it.
            --st.runDepth;
            version_ = savedVersion;
            current_ = savedCurrent;
            throw;
        }
    }
    --st.runDepth;
    version_ = savedVersion;
    current_ = savedCurrent;
    if (outermost) {
        st.depth = 0;
        // Collect when the heap has grown well past what was live after the last collection.
        if (heap_.bytes() > 2 * st.liveBytesAfterGc + (size_t(16) << 20)) {
            collectGarbage({});
        }
    }
    return r;
}

RunResult Machine::runBlock(std::shared_ptr<const swf::ActionBlock> block, Object* clip,
                            int swfVersion) {
    if (!block) {
        return {};
    }
    auto& cache = impl_->prepared;
    std::shared_ptr<const PreparedBlock> prepared;
    auto it = cache.find(block.get());
    if (it != cache.end() && it->second.block.lock() == block &&
        it->second.prepared->swfVersion == swfVersion) {
        prepared = it->second.prepared;
    } else {
        if (cache.size() > 4096) {
            for (auto c = cache.begin(); c != cache.end();) {
                c = c->second.block.expired() ? cache.erase(c) : std::next(c);
            }
        }
        prepared = prepareBlock(block, swfVersion);
        cache[block.get()] = {block, prepared};
    }
    return guarded(swfVersion, [&]() -> Value {
        Activation act = Activation::forTimeline(*this, prepared, clip);
        Activation* saved = current_;
        current_ = &act;
        uint32_t pc = 0;
        Value rv;
        struct Restore {
            Machine& m;
            Activation* a;
            ~Restore() { m.setCurrent(a); }
        } restore{*this, saved};
        runRange(*this, act, 0, uint32_t(prepared->block->actions.size()), pc, rv);
        return Value();
    });
}

RunResult Machine::callMethod(Object* obj, const QString& name, std::vector<Value> args,
                              int swfVersion) {
    if (!obj) {
        return {};
    }
    return guarded(swfVersion, [&]() -> Value {
        Value fn = get(obj, name);
        if (!fn.object() || fn.object()->kind() != ObjectKind::Function) {
            return Value();
        }
        return call(fn, Value(obj), args);
    });
}

RunResult Machine::callValue(const Value& fn, const Value& thisValue, std::vector<Value> args,
                             int swfVersion) {
    return guarded(swfVersion, [&]() -> Value { return call(fn, thisValue, args); });
}

void Machine::tick(uint64_t work) {
    Impl& st = *impl_;
    if (st.runDepth == 0) {
        return;  // natives called by the runtime outside a run have no deadline
    }
    const uint64_t before = st.actions;
    st.actions += work;
    if (st.actionBudget && st.actions > st.actionBudget) {
        throw LimitExceeded{LimitExceeded::Kind::Actions};
    }
    if (work != 0 && (before >> 8) == (st.actions >> 8)) {
        return;
    }
    if (std::chrono::steady_clock::now() > st.deadline) {
        throw LimitExceeded{LimitExceeded::Kind::Time};
    }
}

void Machine::collectGarbage(const std::vector<Object*>& roots) {
    if (impl_->runDepth > 0) {
        return;  // objects on the C++ stack of a run are not visible to the marker
    }
    heap_.collect([&](Tracer& t) {
        t.mark(global_);
        for (Object* o :
             {protos_.object, protos_.function, protos_.array, protos_.string, protos_.number,
              protos_.boolean, protos_.date, protos_.error, protos_.xmlNode, protos_.xml,
              protos_.movieClip, protos_.button, protos_.textField, impl_->objectToString}) {
            if (o) {
                t.mark(o);
            }
        }
        for (Object* o : roots) {
            t.mark(o);
        }
        for (Object* o : impl_->pinned) {
            t.mark(o);
        }
        for (auto& [id, timer] : impl_->timers) {
            t.mark(timer.function);
            t.mark(timer.thisValue);
            for (const Value& v : timer.args) {
                t.mark(v);
            }
        }
        for (const auto& table : impl_->nativeTables) {
            for (Object* o : table) {
                t.mark(o);
            }
        }
        if (impl_->setNativeAccessor) {
            t.mark(impl_->setNativeAccessor);
        }
        for (auto it = impl_->interfaces.begin(); it != impl_->interfaces.end(); ++it) {
            t.mark(it.key());
            for (Object* o : it.value()) {
                t.mark(o);
            }
        }
    });
    impl_->liveBytesAfterGc = heap_.bytes();
}

ClipObject* Machine::makeClip(Object* proto, ClipBinding* binding) {
    ClipObject* c = heap_.make<ClipObject>(proto               ? proto
                                           : protos_.movieClip ? protos_.movieClip
                                                               : protos_.object,
                                           binding);
    impl_->pinned.insert(c);
    return c;
}

FunctionObject* Machine::defineClass(const QString& name, NativeFn constructor, Object* prototype) {
    FunctionObject* f = makeClass(constructor, prototype);
    global_->put(name, Value(f), kDontEnum);
    return f;
}

// --- Conversions ------------------------------------------------------------------------------

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
        hint = o->kind() == ObjectKind::Date && version_ >= 6 ? 2 : 1;
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

// A primitive boxes into the class _global names for it: the built-in one unless a movie put
// another in its place, whose constructor then makes the box (coerce_to_object_monkeypatch).
Object* Machine::boxIfReplaced(const Value& v) {
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
    Property* p = global_->find(name, 10);
    if (!p) {
        return nullptr;
    }
    if (!p->getter) {
        if (Object* ctor = p->value.object()) {
            Property* proto = ctor->find(QStringLiteral("prototype"), 10);
            if (proto && !proto->getter && proto->value.object() == c.proto) {
                return nullptr;  // the built-in class
            }
        }
    }
    std::vector<Value> args{v};
    return construct(get(global_, name), args).object();
}

Object* Machine::toObject(const Value& v) {
    switch (v.type()) {
        case Value::Type::Object:
            return v.object();
        case Value::Type::String:
        case Value::Type::Number:
        case Value::Type::Boolean:
            if (Object* boxed = boxIfReplaced(v)) {
                return boxed;
            }
            break;
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

// --- Properties -------------------------------------------------------------------------------

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
    int guard = 0;
    for (Object* p = o; p; p = p->proto(), ++guard) {
        if (guard == kMaxPrototypeChain) {
            // A chain that loops (a.__proto__ = a) ends the script, as in the original
            // (recursive_prototypes test).
            throw LimitExceeded{LimitExceeded::Kind::Depth};
        }
        // A getter added with addProperty wins over what the object computes itself
        // (an array's length, add_property test).
        Property* prop = p->find(name, version_);
        if (prop && prop->getter) {
            std::vector<Value> none;
            return call(Value(prop->getter), Value(o), none);
        }
        Value out;
        if (p->getOwnVirtual(*this, name, out)) {
            return out;
        }
        if (prop) {
            return prop->value;
        }
    }
    if (resolve && name != QLatin1String("__resolve")) {
        Value resolver;
        guard = 0;
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

bool Machine::hasProperty(Object* o, const QString& name) {
    int guard = 0;
    for (Object* p = o; p; p = p->proto(), ++guard) {
        if (guard == kMaxPrototypeChain) {
            throw LimitExceeded{LimitExceeded::Kind::Depth};
        }
        Value out;
        if (p->find(name, version_) || p->getOwnVirtual(*this, name, out)) {
            return true;
        }
    }
    return false;
}

Value Machine::getMember(const Value& target, const QString& name) {
    if (!target.isObject() && !target.isNullish() &&
        !(target.isString() && name == QLatin1String("length"))) {
        if (Object* boxed = boxIfReplaced(target)) {
            return get(boxed, name);
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
            if (name == QLatin1String("length")) {
                return Value(double(target.string().size()));
            }
            return protos_.string ? get(protos_.string, name) : Value();
        case Value::Type::Number:
            return protos_.number ? get(protos_.number, name) : Value();
        case Value::Type::Boolean:
            return protos_.boolean ? get(protos_.boolean, name) : Value();
        default:
            return Value();
    }
}

void Machine::set(Object* o, const QString& name, const Value& value) {
    // Anything but an object ends the chain: {__proto__: undefined} inherits nothing
    // (equals2_swf7 test, "bare object"), yet reads back as what was stored.
    const bool isProto = Object::isProtoName(name, version_);
    Value v = value;
    if (o->hasWatches()) {
        auto w = o->watches().find(name);
        if (w != o->watches().end() && w->callback) {
            Object::Watch watch = *w;
            Property* cur = isProto ? nullptr : o->find(name, version_);
            // A property of a plain object that does not exist yet is made first, so the
            // callback sees the new value as the old one too; a timeline variable starts out
            // undefined (watch test: LoggingWatcher and variable).
            Value unused;
            if (!cur && !isProto && o->kind() != ObjectKind::Clip &&
                !o->getOwnVirtual(*this, name, unused)) {
                heap_.charge(sizeof(Property));
                o->put(name, value);
                cur = o->find(name, version_);
                v = value;
            }
            Value old = isProto ? o->protoProperty()
                        : cur   ? (cur->getter ? get(o, name) : cur->value)
                                : Value();
            // The callback may set the same property; it must not call itself again.
            Object* cb = watch.callback;
            w->callback = nullptr;
            struct Rearm {
                Object* o;
                QString name;
                Object* cb;
                ~Rearm() {
                    auto it = o->watches().find(name);
                    if (it != o->watches().end() && !it->callback) {
                        it->callback = cb;
                    }
                }
            } rearm{o, name, cb};
            std::vector<Value> args{Value(name), old, value, watch.userData};
            try {
                v = call(Value(cb), Value(o), args);
            } catch (ScriptThrow&) {
                // A callback that throws leaves the property undefined (watch test).
                if (Property* p = o->find(name, version_); p && !p->getter) {
                    p->value = Value();
                }
                throw;
            }
        }
    }
    if (isProto) {
        o->assignProto(v);
        return;
    }
    if (o->setOwnVirtual(*this, name, v)) {
        return;
    }
    if (Property* p = o->findAny(name, version_)) {
        // Assigning a property hidden from this version makes it visible again
        // (as_set_prop_flags_version test).
        if (hiddenFromVersion(p->flags, version_)) {
            p->flags &= uint16_t(
                ~(kVersion6 | kVersion7 | kVersion7b | kVersion8 | kVersion9 | kVersion10));
        }
        if (p->getter) {
            if (p->setter) {
                std::vector<Value> args{v};
                call(Value(p->setter), Value(o), args);
            }
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
        if (Property* prop = p->find(name, version_)) {
            if (prop->getter) {
                if (prop->setter) {
                    std::vector<Value> args{v};
                    call(Value(prop->setter), Value(o), args);
                }
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

// --- Calls ------------------------------------------------------------------------------------

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
            self = Value(toObject(self));
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

// Whether a prototype's interfaces (ImplementsOp), or theirs in turn, include `proto`.
bool implementsProto(Machine& m, Object* p, Object* proto, int depth) {
    if (depth > 32) {
        return false;
    }
    auto it = m.impl().interfaces.constFind(p);
    if (it == m.impl().interfaces.constEnd()) {
        return false;
    }
    for (Object* iface : *it) {
        Object* ip = m.get(iface, QStringLiteral("prototype")).object();
        if (ip && (ip == proto || implementsProto(m, ip, proto, depth + 1))) {
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
    Object* proto = get(ctor, QStringLiteral("prototype")).object();
    if (!proto) {
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

Object* Machine::makeObject() {
    return heap_.make<Object>(protos_.object);
}

ArrayObject* Machine::makeArray(std::vector<Value> elements) {
    ArrayObject* a = heap_.make<ArrayObject>(protos_.array);
    a->assign(*this, elements);
    return a;
}

FunctionObject* Machine::makeNative(NativeFn fn, NativeFn constructFn) {
    return heap_.make<FunctionObject>(protos_.function, fn, constructFn);
}

FunctionObject* Machine::makeClass(NativeFn ctor, Object* proto, NativeFn constructFn) {
    FunctionObject* f = makeNative(ctor, constructFn);
    if (proto) {
        f->put(QStringLiteral("prototype"), Value(proto), kDontEnum | kDontDelete);
        proto->put(QStringLiteral("constructor"), Value(f), kDontEnum | kDontDelete);
    }
    return f;
}

// --- Timers -----------------------------------------------------------------------------------

int Machine::addTimer(const Value& fn, const Value& thisValue, const QString& method,
                      std::vector<Value> args, double interval, bool repeat) {
    Timer t;
    t.id = impl_->nextTimerId++;
    t.function = fn;
    t.thisValue = thisValue;
    t.method = method;
    t.args = std::move(args);
    t.interval = std::isfinite(interval) && interval > 0 ? interval : 0;
    t.due = host_.milliseconds() + t.interval;
    t.repeat = repeat;
    impl_->timers[t.id] = std::move(t);
    return impl_->timers.rbegin()->first;
}

void Machine::removeTimer(int id) {
    impl_->timers.erase(id);
}

void Machine::runTimers() {
    double now = host_.milliseconds();
    std::vector<int> due;
    for (auto& [id, t] : impl_->timers) {
        if (t.due <= now) {
            due.push_back(id);
        }
    }
    for (int id : due) {
        auto it = impl_->timers.find(id);
        if (it == impl_->timers.end()) {
            continue;  // cleared by an earlier timer
        }
        Timer t = it->second;
        if (t.repeat) {
            // Intervals shorter than the frame fire once per call, as the original's do.
            it->second.due = std::max(t.due + std::max(t.interval, 1.0), now);
            if (it->second.due <= now) {
                it->second.due = now + std::max(t.interval, 1.0);
            }
        } else {
            impl_->timers.erase(it);
        }
        if (!t.method.isEmpty()) {
            if (Object* o = t.thisValue.object()) {
                callMethod(o, t.method, t.args, defaultVersion_);
            }
        } else {
            callValue(t.function, Value(), t.args, defaultVersion_);
        }
    }
}

}  // namespace pencora::avm1
