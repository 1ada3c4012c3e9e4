// The machine's life: construction with the built-in classes, runs started from outside with
// their limits, and the makers of objects. Conversions, members, calls, timers and collection
// have files of their own (machine_*.cpp).
#include "platform/flash/avm1/machine.h"

#include <QStringList>

#include <algorithm>
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

Machine::Machine(Host& host, int swfVersion)
    : host_(host),
      version_(swfVersion),
      defaultVersion_(swfVersion),
      legacyActive_(usesLegacyBuiltins(swfVersion)),
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

void Machine::switchBuiltins() {
    ParkedBuiltins& p = impl_->parked;
    std::swap(global_, p.global);
    std::swap(protos_, p.protos);
    std::swap(impl_->objectToString, p.objectToString);
    std::swap(impl_->nativeTables, p.nativeTables);
    std::swap(impl_->setNativeAccessor, p.setNativeAccessor);
    legacyActive_ = !legacyActive_;
    if (global_) {
        return;
    }
    protos_.object = heap_.make<Object>(nullptr);
    protos_.function = heap_.make<Object>(protos_.object);
    global_ = heap_.make<Object>(nullptr);
    installBuiltins();
    host_.installClassesAgain(p.global);
}

Object* Machine::globalFor(int swfVersion) {
    if (usesLegacyBuiltins(swfVersion) == legacyActive_) {
        return global_;
    }
    if (!impl_->parked.global) {
        const int saved = version_;
        setVersion(swfVersion);
        setVersion(saved);
    }
    return impl_->parked.global;
}

Prototypes& Machine::protosFor(int swfVersion) {
    globalFor(swfVersion);  // makes the set when it is not there yet
    return usesLegacyBuiltins(swfVersion) == legacyActive_ ? protos_ : impl_->parked.protos;
}

void Machine::setDefaultVersion(int swfVersion) {
    defaultVersion_ = swfVersion;
    if (impl_->runDepth == 0) {
        setVersion(swfVersion);
    }
}

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
    installXmlSocket(*this);
    installSharedObject(*this);
    installGeometry(*this);
    installBitmapData(*this);
    installExternalInterface(*this);
    installLocalConnection(*this);
    installNetConnection(*this);
    installFilterClasses(*this);
    installContextMenu(*this);
    installDeviceClasses(*this);
    installFileReferenceClasses(*this);
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
        st.regionDepth = 0;
        st.actions = 0;
        st.actionBudget = limits_.maxActions;
        scheduleLimitCheck(st);
        st.deadline = std::chrono::steady_clock::now() +
                      std::chrono::microseconds(int64_t(limits_.seconds * 1e6));
        heap_.setCap(limits_.maxHeapBytes);
    } else if (st.runDepth > std::max(limits_.maxDepth, ScriptLimits{}.maxDepth)) {
        // Runs started from inside a run (a frame's actions called by another frame's, a
        // handler the host runs at once) nest on the C++ stack as calls do, and as deep as a
        // movie that asks for no lower recursion limit may call.
        throw LimitExceeded{LimitExceeded::Kind::Depth};
    }
    ++st.runDepth;
    int savedVersion = version_;
    Activation* savedCurrent = current_;
    setVersion(swfVersion);
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
            setVersion(savedVersion);
            current_ = savedCurrent;
            throw;
        }
    }
    --st.runDepth;
    setVersion(savedVersion);
    current_ = savedCurrent;
    if (outermost) {
        st.depth = 0;
        // Collect when the heap has grown well past what was live after the last collection,
        // keeping what the run answers: the caller has not had it yet.
        if (heap_.bytes() > 2 * st.liveBytesAfterGc + (size_t(16) << 20)) {
            collectGarbage({r.value.object()});
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
    if (it != cache.end() && it->second->swfVersion == swfVersion) {
        prepared = it->second;
    } else {
        if (cache.size() > 4096) {
            dropUnusedPreparedBlocks(*impl_);  // a host that never collects
        }
        prepared = prepareBlock(block, swfVersion);
        cache[block.get()] = prepared;
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

ClipObject* Machine::makeClip(Object* proto, ClipBinding* binding) {
    return heap_.make<ClipObject>(proto               ? proto
                                  : protos_.movieClip ? protos_.movieClip
                                                      : protos_.object,
                                  binding);
}

FunctionObject* Machine::defineClass(const QString& name, NativeFn constructor, Object* prototype) {
    FunctionObject* f = makeClass(constructor, prototype);
    global_->put(name, Value(f), kDontEnum);
    return f;
}

// --- Objects ----------------------------------------------------------------------------------

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

}  // namespace pencora::avm1
