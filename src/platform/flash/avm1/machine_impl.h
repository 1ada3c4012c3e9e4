// Internal state of the machine shared by its own files and the built-ins; private to avm1/.
// Native classes outside avm1/ use machine.h and natives.h.
#pragma once

#include <QHash>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/natives.h"

namespace pencora::avm1 {

// How far a walk up a prototype chain goes before it gives up (chains may loop).
constexpr int kMaxPrototypeChain = 256;

struct Timer {
    int id = 0;
    Value function;
    Value thisValue;
    QString method;  // setInterval(object, "method", ...)
    std::vector<Value> args;
    double interval = 0;
    double due = 0;
    bool repeat = true;
};

// One group's _global and built-ins while the other group's code runs (machine.h).
struct ParkedBuiltins {
    Object* global = nullptr;  // null until the group's code first runs
    Prototypes protos;
    Object* objectToString = nullptr;
    QHash<int, QHash<int, Object*>> nativeTables;
    Object* setNativeAccessor = nullptr;
};

struct Machine::Impl {
    // Run bookkeeping, reset when a run starts from outside.
    int depth = 0;        // nested calls
    int nativeDepth = 0;  // nested native calls
    int regionDepth = 0;  // open try and with bodies, which nest on the C++ stack
    int runDepth = 0;     // nested runs from outside (host callbacks during a run)
    std::chrono::steady_clock::time_point deadline;
    uint64_t actions = 0;
    uint64_t actionBudget = 0;
    // The count of actions at which the interpreter next looks at the limits (interpreter.cpp).
    uint64_t nextLimitCheck = 0;

    std::unordered_set<Object*> pinned;
    std::map<int, Timer> timers;
    int nextTimerId = 1;
    // ImplementsOp: interfaces by class prototype, held as long as the prototype lives.
    std::unordered_map<Object*, std::vector<Object*>> interfaces;
    // Blocks prepared for a version, reused while the block's movie holds the block (each
    // keeps its block alive, so an address here is never another block's).
    std::unordered_map<const swf::ActionBlock*, std::shared_ptr<const PreparedBlock>> prepared;
    size_t liveBytesAfterGc = 0;
    Object* objectToString = nullptr;  // Object.prototype.toString, to print functions
    // ASnative's numbered built-ins: table -> index -> function, as installed.
    QHash<int, QHash<int, Object*>> nativeTables;
    Object* setNativeAccessor = nullptr;
    // The constant pool last set by any block: a block that sets none of its own reads its
    // constants from here; a function keeps the pool it was defined under.
    std::shared_ptr<const std::vector<Value>> constants;  // strings
    // Getter/setter pairs being called, by Property::accessorId: how deeply each is nested.
    QHash<uint32_t, int> accessorNesting;
    uint32_t lastAccessorId = 0;
    // The one generator behind Math.random and random(n), seeded from the host's clock on
    // first use so that each run of a movie draws its own numbers.
    std::mt19937 random;
    bool randomSeeded = false;
    ParkedBuiltins parked;
};

// Forgets the prepared blocks of blocks nothing else holds any more (their movie has gone);
// functions defined in them keep what they run.
void dropUnusedPreparedBlocks(Machine::Impl& st);

// Sets when the interpreter next looks at the limits: at the next multiple of 4096 actions, for
// the clock, or past the action budget when that comes first.
inline void scheduleLimitCheck(Machine::Impl& st) {
    const uint64_t clock = (st.actions | 0xFFF) + 1;
    st.nextLimitCheck = st.actionBudget ? std::min(clock, st.actionBudget + 1) : clock;
}

// A number drawn uniformly from [0, 1), and a whole number from 0 to n - 1 (0 when n is 0).
double randomFraction(Machine& m);
uint32_t randomBelow(Machine& m, uint32_t n);

// Runs the actions [begin, end) of the activation's block (interpreter.cpp).
enum class Completion { Normal, Return, JumpOut };
Completion runRange(Machine& m, Activation& act, uint32_t begin, uint32_t end, uint32_t& pc,
                    Value& returnValue);
// The == of Equals2 (interpreter.cpp).
bool looseEquals(Machine& m, const Value& x, const Value& y);
// Calls a script function (interpreter.cpp).
Value callScript(Machine& m, FunctionObject* fn, const Value& thisValue, std::vector<Value>& args,
                 Object* superHolder, bool constructing = false);
// Calls the numbered native (table, index) that ASnative handed out (native_tables.cpp).
Value callNativeTable(Machine& m, int table, int index, const Value& thisValue,
                      std::vector<Value>& args);

// Built-in classes, one file each.
void installObjectClass(Machine& m);
void installFunctionClass(Machine& m);
void installArrayClass(Machine& m);
void installStringClass(Machine& m);
void installNumberClass(Machine& m);
void installBooleanClass(Machine& m);
void installMathObject(Machine& m);
void installDateClass(Machine& m);
void installErrorClass(Machine& m);
void installAsBroadcaster(Machine& m);
void installGlobalFunctions(Machine& m);
void installXmlClasses(Machine& m);
void installLoadVars(Machine& m);
void installXmlSocket(Machine& m);
void installSharedObject(Machine& m);
void installGeometry(Machine& m);
void installBitmapData(Machine& m);
void installBitmapDataCopies(Machine& m, Object* proto);
void installBitmapDataNoise(Machine& m, Object* proto);
void installRectangle(Machine& m, Object* geom);
void installMatrixAndColorTransform(Machine& m, Object* geom);
void installTransformClass(Machine& m, Object* geom);
void installExternalInterface(Machine& m);
void installLocalConnection(Machine& m);
void installNetConnection(Machine& m);
void installFilterClasses(Machine& m);  // after installGeometry: it fills flash.filters
void installDisplacementMapFilter(Machine& m, Object* package, Object* baseProto);
void installDeviceClasses(Machine& m);  // after installGeometry: it fills flash.net, flash.text
void installFileReferenceClasses(Machine& m);  // after installDeviceClasses (flash.net)
void installContextMenu(Machine& m);
void installNativeTables(Machine& m);  // last: it numbers what the others installed

}  // namespace pencora::avm1
