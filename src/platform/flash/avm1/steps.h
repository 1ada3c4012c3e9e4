// The actions one by one: runRange() (interpreter.cpp) looks each action up in a table and calls
// its step. Steps are grouped by family:
//  - stack_steps.cpp: the stack, registers, constants, arithmetic, comparisons and conversions;
//  - string_steps.cpp: the string actions of SWF 4;
//  - flow_steps.cpp: jumps, return, throw, try, with, function definitions;
//  - name_steps.cpp: variables, members, calls, new, object and array literals, classes;
//  - timeline_steps.cpp: frames, targets, URLs, clip properties, sprites, drag, trace.
// Private to the machine.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

// What a step sees of the loop: its action, where the loop goes next (a step may change it),
// and the function's result for Return.
struct Step {
    const swf::Action& a;
    const PreparedAction& p;
    uint32_t pc;
    uint32_t next;
    Value& returnValue;
};

// How the loop goes on after a step: to `next`, out of the function with its result, or out of
// the range at `next`.
enum class Flow : uint8_t { Next, Return, JumpOut };

using StepFn = Flow (*)(Machine&, Activation&, Step&);

// Counts the try and with bodies open in a run while one is: each nests the action loop on the
// C++ stack, so byte code that opens them without end ends the run as too deep a recursion does.
class RegionGuard {
  public:
    explicit RegionGuard(Machine& m);
    ~RegionGuard();
    RegionGuard(const RegionGuard&) = delete;
    RegionGuard& operator=(const RegionGuard&) = delete;

  private:
    int& depth_;
};

// A frame number or depth from a script as an int the host can take (out-of-range values
// saturate instead of overflowing).
int clampToInt(double d);
// Pops an argument count, then that many values (at most what the stack holds).
size_t popCount(Activation& act, Machine& m);
std::vector<Value> popArgs(Machine& m, Activation& act);

// One item of a Push: a literal, a register or an entry of the constant pool (undefined past
// its end).
inline const Value& pushedValue(const Activation& act, const PreparedPush& v, Value& held) {
    switch (v.kind) {
        case PreparedPush::Kind::Literal:
            return v.value;
        case PreparedPush::Kind::Register:
            held = act.reg(v.index);
            return held;
        case PreparedPush::Kind::Constant:
            if (act.constants && v.index < act.constants->size()) {
                return (*act.constants)[v.index];
            }
            break;
    }
    return held;
}

inline void pushItem(Activation& act, const PreparedPush& v) {
    Value held;
    act.stack.push_back(pushedValue(act, v, held));
}

// stack_steps.cpp
Flow stepPush(Machine& m, Activation& act, Step& s);
Flow stepPop(Machine& m, Activation& act, Step& s);
Flow stepPushDuplicate(Machine& m, Activation& act, Step& s);
Flow stepStackSwap(Machine& m, Activation& act, Step& s);
Flow stepStoreRegister(Machine& m, Activation& act, Step& s);
Flow stepConstantPool(Machine& m, Activation& act, Step& s);
Flow stepArithmetic(Machine& m, Activation& act, Step& s);  // SWF 4 Add ... Modulo
Flow stepAdd2(Machine& m, Activation& act, Step& s);
Flow stepIncrement(Machine& m, Activation& act, Step& s);
Flow stepDecrement(Machine& m, Activation& act, Step& s);
Flow stepEquals(Machine& m, Activation& act, Step& s);
Flow stepLess(Machine& m, Activation& act, Step& s);
Flow stepAnd(Machine& m, Activation& act, Step& s);
Flow stepOr(Machine& m, Activation& act, Step& s);
Flow stepNot(Machine& m, Activation& act, Step& s);
Flow stepLess2(Machine& m, Activation& act, Step& s);
// Less2 with its result read at once as a condition: pops the operands, stacks nothing.
bool less2Truth(Machine& m, Activation& act);
Flow stepGreater(Machine& m, Activation& act, Step& s);
Flow stepEquals2(Machine& m, Activation& act, Step& s);
Flow stepStrictEquals(Machine& m, Activation& act, Step& s);
Flow stepBitwise(Machine& m, Activation& act, Step& s);  // BitAnd ... BitURShift
Flow stepToInteger(Machine& m, Activation& act, Step& s);
Flow stepToNumber(Machine& m, Activation& act, Step& s);
Flow stepToString(Machine& m, Activation& act, Step& s);
Flow stepTypeOf(Machine& m, Activation& act, Step& s);
Flow stepRandomNumber(Machine& m, Activation& act, Step& s);
Flow stepGetTime(Machine& m, Activation& act, Step& s);

// string_steps.cpp
Flow stepStringEquals(Machine& m, Activation& act, Step& s);
Flow stepStringLess(Machine& m, Activation& act, Step& s);
Flow stepStringGreater(Machine& m, Activation& act, Step& s);
Flow stepStringAdd(Machine& m, Activation& act, Step& s);
Flow stepStringLength(Machine& m, Activation& act, Step& s);
Flow stepStringExtract(Machine& m, Activation& act, Step& s);
Flow stepCharToAscii(Machine& m, Activation& act, Step& s);
Flow stepAsciiToChar(Machine& m, Activation& act, Step& s);
Flow stepMBCharToAscii(Machine& m, Activation& act, Step& s);
Flow stepMBAsciiToChar(Machine& m, Activation& act, Step& s);

// flow_steps.cpp
Flow stepEnd(Machine& m, Activation& act, Step& s);
Flow stepJump(Machine& m, Activation& act, Step& s);
Flow stepIf(Machine& m, Activation& act, Step& s);
Flow stepReturn(Machine& m, Activation& act, Step& s);
Flow stepThrow(Machine& m, Activation& act, Step& s);
Flow stepTry(Machine& m, Activation& act, Step& s);
Flow stepWith(Machine& m, Activation& act, Step& s);
Flow stepDefineFunction(Machine& m, Activation& act, Step& s);  // both forms
Flow stepSkip(Machine& m, Activation& act, Step& s);            // unknown actions

// name_steps.cpp
Flow stepGetVariable(Machine& m, Activation& act, Step& s);
// A Push joined to the GetVariable after it, as one step: its last item is the name read.
Flow stepPushGetVariable(Machine& m, Activation& act, Step& s);
Flow stepSetVariable(Machine& m, Activation& act, Step& s);
Flow stepDefineLocal(Machine& m, Activation& act, Step& s);
Flow stepDefineLocal2(Machine& m, Activation& act, Step& s);
Flow stepDelete(Machine& m, Activation& act, Step& s);
Flow stepDelete2(Machine& m, Activation& act, Step& s);
Flow stepGetMember(Machine& m, Activation& act, Step& s);
Flow stepSetMember(Machine& m, Activation& act, Step& s);
Flow stepCallFunction(Machine& m, Activation& act, Step& s);
Flow stepCallMethod(Machine& m, Activation& act, Step& s);
Flow stepNewObject(Machine& m, Activation& act, Step& s);
Flow stepNewMethod(Machine& m, Activation& act, Step& s);
Flow stepInitArray(Machine& m, Activation& act, Step& s);
Flow stepInitObject(Machine& m, Activation& act, Step& s);
Flow stepEnumerate(Machine& m, Activation& act, Step& s);  // both forms
Flow stepInstanceOf(Machine& m, Activation& act, Step& s);
Flow stepCastOp(Machine& m, Activation& act, Step& s);
Flow stepImplementsOp(Machine& m, Activation& act, Step& s);
Flow stepExtends(Machine& m, Activation& act, Step& s);

// timeline_steps.cpp
Flow stepNextFrame(Machine& m, Activation& act, Step& s);
Flow stepPrevFrame(Machine& m, Activation& act, Step& s);
Flow stepPlay(Machine& m, Activation& act, Step& s);
Flow stepStop(Machine& m, Activation& act, Step& s);
Flow stepToggleQuality(Machine& m, Activation& act, Step& s);
Flow stepStopSounds(Machine& m, Activation& act, Step& s);
Flow stepGotoFrame(Machine& m, Activation& act, Step& s);
Flow stepGoToLabel(Machine& m, Activation& act, Step& s);
Flow stepGotoFrame2(Machine& m, Activation& act, Step& s);
Flow stepGetUrl(Machine& m, Activation& act, Step& s);
Flow stepGetUrl2(Machine& m, Activation& act, Step& s);
Flow stepWaitForFrame(Machine& m, Activation& act, Step& s);
Flow stepWaitForFrame2(Machine& m, Activation& act, Step& s);
Flow stepSetTarget(Machine& m, Activation& act, Step& s);
Flow stepSetTarget2(Machine& m, Activation& act, Step& s);
Flow stepCallFrame(Machine& m, Activation& act, Step& s);
Flow stepGetProperty(Machine& m, Activation& act, Step& s);
Flow stepSetProperty(Machine& m, Activation& act, Step& s);
Flow stepCloneSprite(Machine& m, Activation& act, Step& s);
Flow stepRemoveSprite(Machine& m, Activation& act, Step& s);
Flow stepStartDrag(Machine& m, Activation& act, Step& s);
Flow stepEndDrag(Machine& m, Activation& act, Step& s);
Flow stepTargetPath(Machine& m, Activation& act, Step& s);
Flow stepTrace(Machine& m, Activation& act, Step& s);
Flow stepFsCommand2(Machine& m, Activation& act, Step& s);

}  // namespace pencora::avm1
