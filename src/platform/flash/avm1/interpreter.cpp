// The action loop: runRange() counts the work against the machine's limits and hands each action
// to its step (steps.h), found in a table by action code.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/flash/avm1/steps.h"

namespace pencora::avm1 {

namespace {

using swf::ActionCode;

constexpr size_t kMaxStack = 1u << 20;

struct StepRow {
    ActionCode code;
    StepFn fn;
};

constexpr StepRow kStepRows[] = {
    {ActionCode::End, stepEnd},
    {ActionCode::NextFrame, stepNextFrame},
    {ActionCode::PrevFrame, stepPrevFrame},
    {ActionCode::Play, stepPlay},
    {ActionCode::Stop, stepStop},
    {ActionCode::ToggleQuality, stepToggleQuality},
    {ActionCode::StopSounds, stepStopSounds},
    {ActionCode::Add, stepArithmetic},
    {ActionCode::Subtract, stepArithmetic},
    {ActionCode::Multiply, stepArithmetic},
    {ActionCode::Divide, stepArithmetic},
    {ActionCode::Equals, stepEquals},
    {ActionCode::Less, stepLess},
    {ActionCode::And, stepAnd},
    {ActionCode::Or, stepOr},
    {ActionCode::Not, stepNot},
    {ActionCode::StringEquals, stepStringEquals},
    {ActionCode::StringLength, stepStringLength},
    {ActionCode::StringExtract, stepStringExtract},
    {ActionCode::Pop, stepPop},
    {ActionCode::ToInteger, stepToInteger},
    {ActionCode::GetVariable, stepGetVariable},
    {ActionCode::SetVariable, stepSetVariable},
    {ActionCode::SetTarget2, stepSetTarget2},
    {ActionCode::StringAdd, stepStringAdd},
    {ActionCode::GetProperty, stepGetProperty},
    {ActionCode::SetProperty, stepSetProperty},
    {ActionCode::CloneSprite, stepCloneSprite},
    {ActionCode::RemoveSprite, stepRemoveSprite},
    {ActionCode::Trace, stepTrace},
    {ActionCode::StartDrag, stepStartDrag},
    {ActionCode::EndDrag, stepEndDrag},
    {ActionCode::StringLess, stepStringLess},
    {ActionCode::Throw, stepThrow},
    {ActionCode::CastOp, stepCastOp},
    {ActionCode::ImplementsOp, stepImplementsOp},
    {ActionCode::FSCommand2, stepFsCommand2},
    {ActionCode::RandomNumber, stepRandomNumber},
    {ActionCode::MBStringLength, stepStringLength},
    {ActionCode::CharToAscii, stepCharToAscii},
    {ActionCode::AsciiToChar, stepAsciiToChar},
    {ActionCode::GetTime, stepGetTime},
    {ActionCode::MBStringExtract, stepStringExtract},
    {ActionCode::MBCharToAscii, stepMBCharToAscii},
    {ActionCode::MBAsciiToChar, stepMBAsciiToChar},
    {ActionCode::Delete, stepDelete},
    {ActionCode::Delete2, stepDelete2},
    {ActionCode::DefineLocal, stepDefineLocal},
    {ActionCode::CallFunction, stepCallFunction},
    {ActionCode::Return, stepReturn},
    {ActionCode::Modulo, stepArithmetic},
    {ActionCode::NewObject, stepNewObject},
    {ActionCode::DefineLocal2, stepDefineLocal2},
    {ActionCode::InitArray, stepInitArray},
    {ActionCode::InitObject, stepInitObject},
    {ActionCode::TypeOf, stepTypeOf},
    {ActionCode::TargetPath, stepTargetPath},
    {ActionCode::Enumerate, stepEnumerate},
    {ActionCode::Add2, stepAdd2},
    {ActionCode::Less2, stepLess2},
    {ActionCode::Equals2, stepEquals2},
    {ActionCode::ToNumber, stepToNumber},
    {ActionCode::ToString, stepToString},
    {ActionCode::PushDuplicate, stepPushDuplicate},
    {ActionCode::StackSwap, stepStackSwap},
    {ActionCode::GetMember, stepGetMember},
    {ActionCode::SetMember, stepSetMember},
    {ActionCode::Increment, stepIncrement},
    {ActionCode::Decrement, stepDecrement},
    {ActionCode::CallMethod, stepCallMethod},
    {ActionCode::NewMethod, stepNewMethod},
    {ActionCode::InstanceOf, stepInstanceOf},
    {ActionCode::Enumerate2, stepEnumerate},
    {ActionCode::BitAnd, stepBitwise},
    {ActionCode::BitOr, stepBitwise},
    {ActionCode::BitXor, stepBitwise},
    {ActionCode::BitLShift, stepBitwise},
    {ActionCode::BitRShift, stepBitwise},
    {ActionCode::BitURShift, stepBitwise},
    {ActionCode::StrictEquals, stepStrictEquals},
    {ActionCode::Greater, stepGreater},
    {ActionCode::StringGreater, stepStringGreater},
    {ActionCode::Extends, stepExtends},
    {ActionCode::GotoFrame, stepGotoFrame},
    {ActionCode::GetURL, stepGetUrl},
    {ActionCode::StoreRegister, stepStoreRegister},
    {ActionCode::ConstantPool, stepConstantPool},
    {ActionCode::WaitForFrame, stepWaitForFrame},
    {ActionCode::SetTarget, stepSetTarget},
    {ActionCode::GoToLabel, stepGoToLabel},
    {ActionCode::WaitForFrame2, stepWaitForFrame2},
    {ActionCode::DefineFunction2, stepDefineFunction},
    {ActionCode::Try, stepTry},
    {ActionCode::With, stepWith},
    {ActionCode::Push, stepPush},
    {ActionCode::Jump, stepJump},
    {ActionCode::GetURL2, stepGetUrl2},
    {ActionCode::DefineFunction, stepDefineFunction},
    {ActionCode::If, stepIf},
    {ActionCode::Call, stepCallFrame},
    {ActionCode::GotoFrame2, stepGotoFrame2},
};

constexpr std::array<StepFn, 256> makeStepTable() {
    std::array<StepFn, 256> table{};
    for (StepFn& fn : table) {
        fn = stepSkip;  // unknown actions are skipped
    }
    for (const StepRow& row : kStepRows) {
        table[uint8_t(row.code)] = row.fn;
    }
    return table;
}

constexpr std::array<StepFn, 256> kSteps = makeStepTable();

// The action budget, then the wall-clock deadline (scheduleLimitCheck).
[[gnu::noinline]] void checkLimits(Machine& m, Machine::Impl& st) {
    if (st.actionBudget && st.actions > st.actionBudget) {
        throw LimitExceeded{LimitExceeded::Kind::Actions};
    }
    m.tick(0);
    scheduleLimitCheck(st);
}

// Limits: an action budget (fuzzing) and the wall-clock deadline, looked at every few thousand
// actions so the clock costs nothing in tight loops.
// `pending` values are due on the stack before the action (a step running two records at once).
[[gnu::always_inline]] inline void countAction(Machine& m, Machine::Impl& st, const Activation& act,
                                               size_t pending = 0) {
    if (++st.actions >= st.nextLimitCheck) {
        checkLimits(m, st);
    }
    if (act.stack.size() + pending > kMaxStack) {
        throw LimitExceeded{LimitExceeded::Kind::Memory};
    }
}

// Runs a record with those its step joins (prepared_block.h) when they all lie in the range,
// counting each as if it ran alone; false, with nothing run, when one lies outside.
bool runJoined(Machine& m, Machine::Impl& st, Activation& act, Step& s, uint32_t begin,
               uint32_t end, Flow& flow) {
    using Joined = PreparedAction::Joined;
    const auto& actions = act.code->block->actions;
    auto inRange = [&](uint32_t i) { return i >= begin && i < end; };
    const uint32_t second = s.next;
    if (!inRange(second)) {
        return false;
    }
    if (s.p.joined == Joined::GetVariable) {
        countAction(m, st, act, s.p.push.size());
        s.next = actions[second].next;
        flow = stepPushGetVariable(m, act, s);
        return true;
    }
    const bool negated = s.p.joined == Joined::NotIf;
    const uint32_t branch = negated ? actions[second].next : second;
    if (!inRange(branch)) {
        return false;
    }
    const bool less = less2Truth(m, act);
    // Not and If, each with the one result before it on the stack.
    countAction(m, st, act, 1);
    if (negated) {
        countAction(m, st, act, 1);
    }
    s.next = less != negated ? actions[branch].target : actions[branch].next;
    flow = Flow::Next;
    return true;
}

}  // namespace

int clampToInt(double d) {
    if (!(d == d)) {
        return 0;
    }
    return int(std::clamp(std::trunc(d), -1073741824.0, 1073741824.0));
}

size_t popCount(Activation& act, Machine& m) {
    double n = m.toNumber(act.pop());
    if (!(n > 0)) {
        return 0;
    }
    return size_t(std::min<double>(n, double(act.stack.size()) + 1));
}

std::vector<Value> popArgs(Machine& m, Activation& act) {
    size_t n = popCount(act, m);
    std::vector<Value> args;
    args.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        args.push_back(act.pop());
    }
    return args;
}

Completion runRange(Machine& m, Activation& act, uint32_t begin, uint32_t end, uint32_t& pc,
                    Value& returnValue) {
    const auto& actions = act.code->block->actions;
    const auto& prepared = act.code->actions;
    Machine::Impl& st = m.impl();
    const uint32_t count = uint32_t(actions.size());
    end = std::min<uint32_t>(end, count);
    // Records read outside the block run as part of a range of the block that branches to
    // them (a range of the block ends before them, or at the list's end).
    const uint32_t outsideBegin = act.code->block->outsideBegin;
    const uint32_t outside = begin < outsideBegin ? outsideBegin : UINT32_MAX;
    // The position is kept here and handed out only when the range ends.
    uint32_t at = begin;
    while (at < end || (at >= outside && at < count)) {
        if (at < begin) {
            pc = at;
            return Completion::JumpOut;
        }
        countAction(m, st, act);
        const swf::Action& a = actions[at];
        const PreparedAction& p = prepared[at];
        Step s{a, p, at, a.next, returnValue};
        Flow flow;
        if (p.joined == PreparedAction::Joined::None ||
            !runJoined(m, st, act, s, begin, end, flow)) {
            flow = kSteps[uint8_t(a.code)](m, act, s);
        }
        if (flow == Flow::Return) {
            pc = at;
            return Completion::Return;
        }
        at = s.next;
        if (flow == Flow::JumpOut) {
            pc = at;
            return Completion::JumpOut;
        }
    }
    pc = at;
    if (at > end || at < begin) {
        return Completion::JumpOut;
    }
    return Completion::Normal;
}

}  // namespace pencora::avm1
