// The ActionScript 1/2 machine: one per player. It owns the heap of script objects, _global and
// the built-in classes, runs decoded action blocks (activation.h, interpreter.cpp) and the
// interval timers. See host.h for how the runtime plugs the display list in.
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/heap.h"
#include "platform/flash/avm1/host.h"
#include "platform/flash/avm1/limits.h"
#include "platform/flash/avm1/object.h"
#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class ClipBinding;
class ClipObject;
class FunctionObject;
class ArrayObject;
struct Activation;

// Prototypes of the built-in classes, for natives and for the runtime's classes.
struct Prototypes {
    Object* object = nullptr;
    Object* function = nullptr;
    Object* array = nullptr;
    Object* string = nullptr;
    Object* number = nullptr;
    Object* boolean = nullptr;
    Object* date = nullptr;
    Object* error = nullptr;
    Object* xmlNode = nullptr;
    Object* xml = nullptr;
    // Filled by the runtime (defineClass) for display objects.
    Object* movieClip = nullptr;
    Object* button = nullptr;
    Object* textField = nullptr;
    Object* video = nullptr;
};

// Outcome of a run started from outside the machine.
struct RunResult {
    enum class Status { Ok, Uncaught, TimeLimit, DepthLimit, MemoryLimit, ActionLimit };
    Status status = Status::Ok;
    Value value;  // the function's result, or the uncaught exception
    bool ok() const { return status == Status::Ok; }
};

// An exception thrown by a script (Throw) or by a native (Machine::throwError).
struct ScriptThrow {
    Value value;
};

// Movies up to SWF 6 and movies from SWF 7 on do not share their built-ins: each group sees a
// _global and a set of built-in classes of its own (Object, Array, MovieClip ...), so objects
// made by code of one group are no instances of the other group's classes and a prototype one
// group extends stays unchanged for the other. Which set a script sees follows the version of
// the movie the running code comes from, so a function keeps its movie's set wherever it is
// called from. The machine makes the second set the first time code of that group runs.
inline bool usesLegacyBuiltins(int swfVersion) {
    return swfVersion <= 6;
}

class Machine {
  public:
    explicit Machine(Host& host, int swfVersion = 8);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Host& host() { return host_; }
    Heap& heap() { return heap_; }
    Object* global() { return global_; }
    Prototypes& protos() { return protos_; }
    // The _global and built-in classes movies of a version see (the set is made when first
    // asked for).
    Object* globalFor(int swfVersion);
    Prototypes& protosFor(int swfVersion);
    // The version scripts run as when no movie code runs (timers, the runtime's own calls):
    // the version of the movie in level 0.
    void setDefaultVersion(int swfVersion);
    void setLimits(const ScriptLimits& l) { limits_ = l; }
    const ScriptLimits& limits() const { return limits_; }
    // With ScriptLimits::stopScriptsAfterTimeLimit: whether a run has hit the time limit, so
    // that every run since has been refused (answered TimeLimit without running), and the
    // way back to running scripts.
    bool scriptsStopped() const { return scriptsStopped_; }
    void resumeScripts() { scriptsStopped_ = false; }

    // --- Entry points for the runtime -------------------------------------------------------
    // Runs a frame script, init action, clip event or button action with `clip` as this and
    // target. `clip` may be null (scripts then see only _global).
    RunResult runBlock(std::shared_ptr<const swf::ActionBlock> block, Object* clip, int swfVersion);
    // Calls obj[name](args...) if it is a function (event handlers: onEnterFrame, onPress ...).
    RunResult callMethod(Object* obj, const QString& name, std::vector<Value> args, int swfVersion);
    RunResult callValue(const Value& fn, const Value& thisValue, std::vector<Value> args,
                        int swfVersion);
    // Fires the setInterval/setTimeout timers that are due at host().milliseconds().
    void runTimers();
    // Frees unreachable objects. Only between runs; what the host holds (Host::addRoots) and
    // `roots` are kept.
    void collectGarbage(const std::vector<Object*>& roots = {});
    // A display object's script object. It is no root of its own: the host keeps it among its
    // roots while the display object lives.
    ClipObject* makeClip(Object* proto, ClipBinding* binding);
    // Installs a class the runtime implements: _global[name] = constructor with `prototype`.
    FunctionObject* defineClass(const QString& name, NativeFn constructor, Object* prototype);

    // --- Services for natives -----------------------------------------------------------------
    int version() const { return version_; }
    double toNumber(const Value& v);
    QString toString(const Value& v);
    bool toBoolean(const Value& v) const;
    // hint: 0 default, 1 number, 2 string
    Value toPrimitive(const Value& v, int hint = 0);
    Object* toObject(const Value& v);
    // The box of a primitive when the movie replaced its class on _global, else null; `noBox`
    // is set when what _global names makes no box (the primitive then has no object at all).
    Object* boxIfReplaced(const Value& v, bool* noBox = nullptr);
    int32_t toInt32(const Value& v);

    Value get(Object* o, const QString& name);
    // The same without falling back on __resolve (conversions look methods up this way).
    Value getWithoutResolve(Object* o, const QString& name);
    Value getMember(const Value& target, const QString& name);
    void set(Object* o, const QString& name, const Value& v);
    void set(Object* o, HashedName name, const Value& v);
    void setMember(const Value& target, const QString& name, const Value& v);
    // Own or inherited, without __resolve and getters.
    bool hasProperty(Object* o, const QString& name);
    bool hasProperty(Object* o, HashedName name);
    // hasProperty and get in one walk of the chain: false when absent (no __resolve).
    bool getIfPresent(Object* o, const QString& name, Value& out);
    bool getIfPresent(Object* o, HashedName name, Value& out);
    Value call(const Value& fn, const Value& thisValue, std::vector<Value>& args);
    Value callMethodValue(const Value& target, const QString& name, std::vector<Value>& args);
    Value construct(const Value& ctor, std::vector<Value>& args);
    bool instanceOf(const Value& v, Object* ctor);
    [[noreturn]] void throwError(const QString& message);
    // For natives with long loops: counts work against the limits. The clock is read once
    // every few hundred units of work, or whenever no work is given.
    void tick(uint64_t work = 1);

    Object* makeObject();
    ArrayObject* makeArray(std::vector<Value> elements = {});
    FunctionObject* makeNative(NativeFn fn, NativeFn constructFn = nullptr);
    // A class: constructor native, prototype, constructor/prototype links.
    FunctionObject* makeClass(NativeFn ctor, Object* proto, NativeFn constructFn = nullptr);
    QString typeOf(const Value& v);
    // Names a for..in loop visits, in the original's order.
    std::vector<QString> enumerate(Object* o);
    QString checkedConcat(const QString& a, const QString& b);
    // Appends in place (amortised, for loops that build a long string), with the same limit.
    void checkedAppend(QString& to, const QString& more);

    // Keeps `o` alive across collections until unpinned (objects waiting for a fetch).
    void pin(Object* o);
    void unpin(Object* o);

    // Timers (setInterval/setTimeout).
    int addTimer(const Value& fn, const Value& thisValue, const QString& method,
                 std::vector<Value> args, double interval, bool repeat);
    void removeTimer(int id);

    // Internal: the interpreter (interpreter.cpp).
    struct Impl;
    Impl& impl() { return *impl_; }
    Activation* current() { return current_; }
    void setCurrent(Activation* a) { current_ = a; }
    void setVersion(int v) {
        version_ = v;
        if (usesLegacyBuiltins(v) != legacyActive_) {
            switchBuiltins();
        }
    }

  private:
    Value primitiveMember(Object* proto, const QString& name);
    Value lookupMember(Object* o, const QString& name, bool resolve);
    // The first object up the chain that holds `name` answers it (a getter is called).
    bool findInChain(Object* o, HashedName name, Value& out);
    Object* makeInstanceFor(Object* proto);
    RunResult guarded(int swfVersion, const std::function<Value()>& body);
    void installBuiltins();
    // Parks the active set of built-ins and brings in the other group's (made on first use).
    void switchBuiltins();

    Host& host_;
    Heap heap_;
    ScriptLimits limits_;
    bool scriptsStopped_ = false;
    Object* global_ = nullptr;
    Prototypes protos_;
    int version_;
    int defaultVersion_;
    bool legacyActive_;  // whether the built-ins of movies up to SWF 6 are the active ones
    Activation* current_ = nullptr;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pencora::avm1
