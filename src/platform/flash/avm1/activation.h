// One activation: the frame script, event handler or function call being run.
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "platform/flash/avm1/object.h"
#include "platform/flash/avm1/prepared_block.h"
#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class FunctionObject;
class Machine;

struct Activation {
    int swfVersion = 8;
    std::shared_ptr<const PreparedBlock> code;
    std::shared_ptr<const std::vector<Value>> constants;  // strings
    // Objects searched for variables, outermost first; `with` pushes onto the end.
    std::vector<Object*> scope;
    // Where DefineLocal puts variables: the call object of a function, or the timeline clip.
    Object* locals = nullptr;
    std::vector<Value> registers;
    // Registers past a function's own count reach the timeline's four registers of the run
    // that called it; null on timelines.
    std::vector<Value>* outerRegisters = nullptr;
    std::vector<Value> stack;
    Value thisValue;                   // the receiver, kept even when a function leaves out `this`
    Object* target = nullptr;          // SetTarget's clip for timeline actions
    Object* originalTarget = nullptr;  // the clip the code belongs to
    // SWF 4: the last SetTarget named no clip, so paths relative to the target name nothing.
    bool targetLost = false;
    // `with` bodies open in this activation (a function call starts again from none).
    int withDepth = 0;
    FunctionObject* callee = nullptr;
    Object* arguments = nullptr;
    Object* superObject = nullptr;
    bool isFunction = false;
    bool constructing = false;  // the function was called by new
    // The function this code is calling by name to run on its own timeline (see forCall).
    const FunctionObject* callOnTimeline = nullptr;
    uint64_t actionsRun = 0;

    // A frame script, init action, clip event or button action of `clip`.
    static Activation forTimeline(Machine& m, std::shared_ptr<const PreparedBlock> code,
                                  Object* clip);
    // A call of a script function; the caller fills registers and locals afterwards.
    static Activation forCall(Machine& m, FunctionObject* fn, const Value& thisValue);

    Value reg(size_t i) const {
        if (i < registers.size()) {
            return registers[i];
        }
        return outerRegisters && i < outerRegisters->size() ? (*outerRegisters)[i] : Value();
    }
    void setReg(size_t i, const Value& v) {
        if (i < registers.size()) {
            registers[i] = v;
        } else if (outerRegisters && i < outerRegisters->size()) {
            (*outerRegisters)[i] = v;
        }
    }

    Value pop() {
        if (stack.empty()) {
            return Value();
        }
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    }
    void push(Value v) { stack.push_back(std::move(v)); }
};

}  // namespace pencora::avm1
