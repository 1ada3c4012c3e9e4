// The action loop: one function per action, dispatched from runRange(), which also counts the
// work against the machine's limits. Variables, target paths and calls live in variables.cpp.
#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/variables.h"

namespace pencora::avm1 {

namespace {

using swf::ActionCode;

constexpr size_t kMaxStack = 1u << 20;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A frame number or depth from a script, as an int the host can take (out-of-range values
// saturate instead of overflowing).
int clampToInt(double d) {
    if (!(d == d)) {
        return 0;
    }
    return int(std::clamp(std::trunc(d), -1073741824.0, 1073741824.0));
}

// Comparisons answer booleans in every version; SWF 4 movies print them as 1 and 0
// (conversions.cpp), which is how they look like numbers there.
Value truth(const Activation&, bool b) {
    return Value(b);
}

Value asTruth(const Activation& act, const Value& v) {
    return v.isBoolean() ? truth(act, v.boolean()) : v;
}

// ECMA-262 abstract relational comparison x < y; undefined when either side is NaN.
Value lessThan(Machine& m, const Value& x, const Value& y) {
    // An operand whose valueOf leaves an object makes the comparison false, and the right
    // one is then not converted at all; a display object left that way reads as NaN instead
    // (lessthan2_swf5 test).
    Value px = m.toPrimitive(x, 1);
    if (px.isObject()) {
        return px.object()->kind() == ObjectKind::Clip ? Value() : Value(false);
    }
    Value py = m.toPrimitive(y, 1);
    if (py.isObject()) {
        return py.object()->kind() == ObjectKind::Clip ? Value() : Value(false);
    }
    if (px.isString() && py.isString()) {
        return Value(px.string() < py.string());
    }
    double a = m.toNumber(px);
    double b = m.toNumber(py);
    if (std::isnan(a) || std::isnan(b)) {
        return Value();
    }
    return Value(a < b);
}

}  // namespace

bool looseEquals(Machine& m, const Value& x, const Value& y) {
    using T = Value::Type;
    if (x.type() == y.type()) {
        switch (x.type()) {
            case T::Undefined:
            case T::Null:
                return true;
            case T::Number:
                // NaN equals NaN here, as with StrictEquals (equals2_swf7 test).
                return x.number() == y.number() ||
                       (std::isnan(x.number()) && std::isnan(y.number()));
            case T::Boolean:
                return x.number() == y.number();
            case T::String:
                return x.string() == y.string();
            case T::Object:
                return x.object() == y.object();
        }
    }
    if (x.isNullish() && y.isNullish()) {
        return true;
    }
    // An object meeting a primitive converts first, even against undefined: an object whose
    // valueOf gives undefined (or that has none, like _global) equals undefined and null.
    if (x.isObject() && !y.isObject()) {
        Value px = m.toPrimitive(x);
        return !px.isObject() && looseEquals(m, px, y);
    }
    if (y.isObject() && !x.isObject()) {
        Value py = m.toPrimitive(y);
        return !py.isObject() && looseEquals(m, x, py);
    }
    if (x.isNullish() || y.isNullish()) {
        return false;
    }
    if (x.isNumber() && y.isString()) {
        return x.number() == m.toNumber(y);
    }
    if (x.isString() && y.isNumber()) {
        return m.toNumber(x) == y.number();
    }
    if (x.isBoolean()) {
        return looseEquals(m, Value(x.number()), y);
    }
    if (y.isBoolean()) {
        return looseEquals(m, x, Value(y.number()));
    }
    if (x.isObject() && !y.isObject()) {
        Value px = m.toPrimitive(x);
        return !px.isObject() && looseEquals(m, px, y);
    }
    if (y.isObject() && !x.isObject()) {
        Value py = m.toPrimitive(y);
        return !py.isObject() && looseEquals(m, x, py);
    }
    return false;
}

namespace {

bool strictEquals(const Value& x, const Value& y) {
    if (x.type() != y.type()) {
        return false;
    }
    switch (x.type()) {
        case Value::Type::Undefined:
        case Value::Type::Null:
            return true;
        case Value::Type::Number:
            // NaN === NaN holds in the original (strictly_equals test).
            return x.number() == y.number() || (std::isnan(x.number()) && std::isnan(y.number()));
        case Value::Type::Boolean:
            return x.number() == y.number();
        case Value::Type::String:
            return x.string() == y.string();
        case Value::Type::Object:
            return x.object() == y.object();
    }
    return false;
}

// Pushes an InitArray/InitObject/call argument count worth of values, guarding huge counts.
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
    // Finding the super prototype costs a walk up the chain, so only bodies that name `super`
    // pay for it.
    bool named = false;
    if (a.function->version2 && (a.function->flags & swf::kSuppressSuper)) {
        named = false;
    } else if (a.function->version2 && (a.function->flags & swf::kPreloadSuper)) {
        named = true;
    } else {
        for (uint32_t i = a.function->bodyBegin; i < a.function->bodyEnd && !named; ++i) {
            for (const PreparedPush& v : act.code->actions[i].push) {
                if ((v.kind == PreparedPush::Kind::Literal && v.value.isString() &&
                     v.value.string() == QLatin1String("super")) ||
                    (v.kind == PreparedPush::Kind::Constant && act.constants &&
                     v.index < act.constants->size() &&
                     (*act.constants)[v.index] == QLatin1String("super"))) {
                    named = true;
                    break;
                }
            }
        }
    }
    s->mayUseSuper = named;
    FunctionObject* f = m.heap().make<FunctionObject>(m.protos().function, std::move(s));
    Object* proto = m.makeObject();
    proto->put("constructor", Value(f), kDontEnum);
    // A function's prototype survives delete (prototype_delete test).
    f->put("prototype", Value(proto), kDontEnum | kDontDelete);
    return f;
}

void doGotoFrame2(Machine& m, Activation& act, const Value& frame, bool play, int bias) {
    Object* clip = act.target;
    if (frame.isString()) {
        QString s = frame.string();
        int colon = s.lastIndexOf(':');
        if (colon >= 0) {
            clip = resolvePath(m, act, s.left(colon));
            s = s.mid(colon + 1);
        }
        if (!clip) {
            return;
        }
        bool isNumber = false;
        int n = s.toInt(&isNumber);
        if (isNumber) {
            m.host().gotoFrame(clip, clampToInt(double(n) - 1 + bias), play);
        } else {
            m.host().gotoLabel(clip, s, play);
        }
        return;
    }
    double n = m.toNumber(frame);
    if (clip && std::isfinite(n)) {
        m.host().gotoFrame(clip, clampToInt(n - 1 + bias), play);
    }
}

void doGetUrl2(Machine& m, Activation& act, uint8_t flags) {
    Value target = act.pop();
    Value url = act.pop();
    UrlRequest r;
    r.url = m.toString(url);
    r.target = m.toString(target);
    int method = flags & 0x03;
    r.method = method == 1   ? UrlRequest::Method::Get
               : method == 2 ? UrlRequest::Method::Post
                             : UrlRequest::Method::None;
    r.targetIsClip = flags & 0x40;
    r.loadVariables = flags & 0x80;
    r.sourceClip = act.target;
    m.host().getUrl(r);
}

}  // namespace

Completion runRange(Machine& m, Activation& act, uint32_t begin, uint32_t end, uint32_t& pc,
                    Value& returnValue) {
    const auto& actions = act.code->block->actions;
    const auto& prepared = act.code->actions;
    Machine::Impl& st = m.impl();
    end = std::min<uint32_t>(end, uint32_t(actions.size()));
    pc = begin;
    while (pc < end) {
        if (pc < begin) {
            return Completion::JumpOut;
        }
        // Limits: an action budget (fuzzing) and the wall-clock deadline, looked at every few
        // thousand actions so the clock costs nothing in tight loops.
        if ((++st.actions & 0xFFF) == 0) {
            m.tick(0);
        }
        if (st.actionBudget && st.actions > st.actionBudget) {
            throw LimitExceeded{LimitExceeded::Kind::Actions};
        }
        if (act.stack.size() > kMaxStack) {
            throw LimitExceeded{LimitExceeded::Kind::Memory};
        }
        const swf::Action& a = actions[pc];
        const PreparedAction& p = prepared[pc];
        uint32_t next = pc + 1;
        switch (a.code) {
            case ActionCode::End:
                pc = uint32_t(actions.size());
                return Completion::JumpOut;
            // --- SWF 3 timeline actions ---
            case ActionCode::NextFrame:
                if (act.target) {
                    m.host().nextFrame(act.target);
                }
                break;
            case ActionCode::PrevFrame:
                if (act.target) {
                    m.host().prevFrame(act.target);
                }
                break;
            case ActionCode::Play:
                if (act.target) {
                    m.host().play(act.target);
                }
                break;
            case ActionCode::Stop:
                if (act.target) {
                    m.host().stop(act.target);
                }
                break;
            case ActionCode::ToggleQuality:
                m.host().toggleQuality();
                break;
            case ActionCode::StopSounds:
                m.host().stopSounds();
                break;
            case ActionCode::GotoFrame:
                // Unlike gotoAndStop(), this action goes nowhere when the frame is past the
                // last one (goto_frame).
                if (act.target) {
                    const Value total =
                        m.host().getClipProperty(act.target, ClipProperty::TotalFrames);
                    if (!total.isNumber() || a.frame < total.number()) {
                        m.host().gotoFrame(act.target, a.frame, false);
                    }
                }
                break;
            case ActionCode::GoToLabel:
                if (act.target) {
                    m.host().gotoLabel(act.target, p.text, false);
                }
                break;
            case ActionCode::GetURL: {
                UrlRequest r;
                r.url = p.text;
                r.target = p.text2;
                r.sourceClip = act.target;
                m.host().getUrl(r);
                break;
            }
            case ActionCode::WaitForFrame:
                if (act.target && !m.host().frameLoaded(act.target, a.frame)) {
                    next = a.target;
                }
                break;
            case ActionCode::WaitForFrame2: {
                Value f = act.pop();
                double n = m.toNumber(f);
                if (act.target && std::isfinite(n) &&
                    !m.host().frameLoaded(act.target, clampToInt(n - 1))) {
                    next = a.target;
                }
                break;
            }
            case ActionCode::SetTarget:
                setTarget(m, act, Value(p.text));
                break;
            case ActionCode::SetTarget2:
                setTarget(m, act, act.pop());
                break;
            // --- Stack and arithmetic ---
            case ActionCode::Push:
                for (const PreparedPush& v : p.push) {
                    switch (v.kind) {
                        case PreparedPush::Kind::Literal:
                            act.stack.push_back(v.value);
                            break;
                        case PreparedPush::Kind::Register:
                            act.stack.push_back(act.reg(v.index));
                            break;
                        case PreparedPush::Kind::Constant:
                            act.stack.push_back(act.constants && v.index < act.constants->size()
                                                    ? Value((*act.constants)[v.index])
                                                    : Value());
                            break;
                    }
                }
                break;
            case ActionCode::Pop:
                act.pop();
                break;
            case ActionCode::PushDuplicate: {
                Value v = act.stack.empty() ? Value() : act.stack.back();
                act.push(std::move(v));
                break;
            }
            case ActionCode::StackSwap: {
                Value a1 = act.pop();
                Value a2 = act.pop();
                act.push(std::move(a1));
                act.push(std::move(a2));
                break;
            }
            case ActionCode::StoreRegister:
                act.setReg(a.byteArg, act.stack.empty() ? Value() : act.stack.back());
                break;
            case ActionCode::ConstantPool:
                act.constants = p.pool;
                break;
            case ActionCode::Add:
            case ActionCode::Subtract:
            case ActionCode::Multiply:
            case ActionCode::Divide:
            case ActionCode::Modulo: {
                Value rb = act.pop();
                Value lx = act.pop();
                double x = m.toNumber(lx);
                double b = m.toNumber(rb);
                double r = 0;
                switch (a.code) {
                    case ActionCode::Add:
                        r = x + b;
                        break;
                    case ActionCode::Subtract:
                        r = x - b;
                        break;
                    case ActionCode::Multiply:
                        r = x * b;
                        break;
                    case ActionCode::Divide:
                        if (b == 0 && act.swfVersion < 5) {
                            act.push(Value("#ERROR#"));
                            pc = next;
                            continue;
                        }
                        r = x / b;
                        break;
                    default:
                        r = std::fmod(x, b);
                        break;
                }
                act.push(Value(r));
                break;
            }
            case ActionCode::Add2: {
                // The right operand converts first (add2 test); an object whose valueOf
                // gives an object converts again when it meets a string or a number.
                Value b = act.pop();
                Value x = act.pop();
                Value pb = m.toPrimitive(b);
                Value px = m.toPrimitive(x);
                // In SWF 5, when valueOf gives an object the original object's own toString is
                // asked instead (object_string_coerce_swf5 test); later versions keep the
                // object, which reads as NaN unless it meets a string (add2 test).
                // From SWF 6 such an operand converts again from the original object: by
                // toString against a string, else by valueOf once more (add2 test).
                auto stays = [](const Value& v) {
                    return v.isObject() && v.object()->kind() != ObjectKind::Clip;
                };
                if (act.swfVersion < 6) {
                    if (stays(pb)) {
                        pb = Value(m.toString(b));
                    }
                    if (stays(px)) {
                        px = Value(m.toString(x));
                    }
                } else {
                    if (stays(pb)) {
                        pb = px.isString() ? Value(m.toString(b)) : Value(m.toNumber(b));
                    }
                    if (stays(px)) {
                        px = pb.isString() ? Value(m.toString(x)) : Value(m.toNumber(x));
                    }
                }
                if (px.isString() || pb.isString()) {
                    QString left = m.toString(px);
                    act.push(Value(m.checkedConcat(left, m.toString(pb))));
                } else {
                    double left = m.toNumber(px);
                    act.push(Value(left + m.toNumber(pb)));
                }
                break;
            }
            case ActionCode::Increment:
                act.push(Value(m.toNumber(act.pop()) + 1));
                break;
            case ActionCode::Decrement:
                act.push(Value(m.toNumber(act.pop()) - 1));
                break;
            case ActionCode::Equals: {
                // Unlike Add, Equals converts its right operand first (equals test).
                Value rb = act.pop();
                Value lx = act.pop();
                double b = m.toNumber(rb);
                double x = m.toNumber(lx);
                act.push(truth(act, x == b));
                break;
            }
            case ActionCode::Less: {
                Value rb = act.pop();
                Value lx = act.pop();
                double x = m.toNumber(lx);
                double b = m.toNumber(rb);
                act.push(truth(act, x < b));
                break;
            }
            case ActionCode::And: {
                Value rb = act.pop();
                Value lx = act.pop();
                bool x = m.toBoolean(lx);
                bool b = m.toBoolean(rb);
                act.push(truth(act, x && b));
                break;
            }
            case ActionCode::Or: {
                Value rb = act.pop();
                Value lx = act.pop();
                bool x = m.toBoolean(lx);
                bool b = m.toBoolean(rb);
                act.push(truth(act, x || b));
                break;
            }
            case ActionCode::Not:
                act.push(truth(act, !m.toBoolean(act.pop())));
                break;
            case ActionCode::StringEquals: {
                Value rb = act.pop();
                Value lx = act.pop();
                QString x = m.toString(lx);
                QString b = m.toString(rb);
                act.push(truth(act, x == b));
                break;
            }
            case ActionCode::StringLess: {
                Value rb = act.pop();
                Value lx = act.pop();
                QString x = m.toString(lx);
                QString b = m.toString(rb);
                act.push(truth(act, x < b));
                break;
            }
            case ActionCode::StringGreater: {
                Value rb = act.pop();
                Value lx = act.pop();
                QString x = m.toString(lx);
                QString b = m.toString(rb);
                act.push(truth(act, x > b));
                break;
            }
            case ActionCode::StringAdd: {
                Value rb = act.pop();
                Value lx = act.pop();
                QString x = m.toString(lx);
                QString b = m.toString(rb);
                act.push(Value(m.checkedConcat(x, b)));
                break;
            }
            case ActionCode::StringLength:
            case ActionCode::MBStringLength:
                act.push(Value(double(m.toString(act.pop()).size())));
                break;
            case ActionCode::StringExtract:
            case ActionCode::MBStringExtract: {
                double count = m.toNumber(act.pop());
                double index = m.toNumber(act.pop());
                QString s = m.toString(act.pop());
                qsizetype start =
                    std::isfinite(index)
                        ? qsizetype(std::max(0.0, std::min(index - 1, double(s.size()))))
                        : 0;
                qsizetype len = std::isfinite(count) && count >= 0
                                    ? qsizetype(std::min(count, double(s.size())))
                                    : s.size();
                act.push(Value(s.mid(start, len)));
                break;
            }
            case ActionCode::CharToAscii:
            case ActionCode::MBCharToAscii: {
                QString s = m.toString(act.pop());
                act.push(s.isEmpty() ? Value(0) : Value(double(s[0].unicode())));
                break;
            }
            case ActionCode::AsciiToChar:
            case ActionCode::MBAsciiToChar: {
                uint32_t c = doubleToUint32(m.toNumber(act.pop())) & 0xFFFF;
                act.push(c == 0 ? Value(QString()) : Value(QString(QChar(char16_t(c)))));
                break;
            }
            case ActionCode::ToInteger: {
                double d = m.toNumber(act.pop());
                act.push(Value(std::isnan(d) ? 0.0 : std::trunc(d)));
                break;
            }
            case ActionCode::ToNumber:
                act.push(Value(m.toNumber(act.pop())));
                break;
            case ActionCode::ToString:
                act.push(Value(m.toString(act.pop())));
                break;
            case ActionCode::TypeOf:
                act.push(Value(m.typeOf(act.pop())));
                break;
            case ActionCode::Less2: {
                Value b = act.pop();
                Value x = act.pop();
                act.push(asTruth(act, lessThan(m, x, b)));
                break;
            }
            case ActionCode::Greater: {
                Value b = act.pop();
                Value x = act.pop();
                act.push(asTruth(act, lessThan(m, b, x)));
                break;
            }
            case ActionCode::Equals2: {
                Value b = act.pop();
                Value x = act.pop();
                act.push(truth(act, looseEquals(m, x, b)));
                break;
            }
            case ActionCode::StrictEquals: {
                Value b = act.pop();
                Value x = act.pop();
                act.push(truth(act, strictEquals(x, b)));
                break;
            }
            case ActionCode::BitAnd:
            case ActionCode::BitOr:
            case ActionCode::BitXor:
            case ActionCode::BitLShift:
            case ActionCode::BitRShift:
            case ActionCode::BitURShift: {
                Value rb = act.pop();
                Value lx = act.pop();
                int32_t x = m.toInt32(lx);
                int32_t b = m.toInt32(rb);
                double r = 0;
                switch (a.code) {
                    case ActionCode::BitAnd:
                        r = x & b;
                        break;
                    case ActionCode::BitOr:
                        r = x | b;
                        break;
                    case ActionCode::BitXor:
                        r = x ^ b;
                        break;
                    case ActionCode::BitLShift:
                        r = int32_t(uint32_t(x) << (b & 31));
                        break;
                    case ActionCode::BitRShift:
                        r = x >> (b & 31);
                        break;
                    default:
                        // Up to SWF 8 the unsigned result comes back as a signed 32-bit
                        // number: -3 >>> 0 is -3 there (biturshift_swf8 test).
                        r = act.swfVersion <= 8 ? double(int32_t(uint32_t(x) >> (b & 31)))
                                                : double(uint32_t(x) >> (b & 31));
                        break;
                }
                act.push(Value(r));
                break;
            }
            case ActionCode::RandomNumber: {
                double max = m.toNumber(act.pop());
                int32_t n =
                    std::isfinite(max) && max > 0 ? int32_t(std::min(max, 2147483647.0)) : 0;
                act.push(Value(n > 0 ? double(std::rand() % n) : 0.0));
                break;
            }
            case ActionCode::GetTime:
                act.push(Value(std::floor(m.host().milliseconds())));
                break;
            // --- Control flow ---
            case ActionCode::Jump:
                next = a.target;
                break;
            case ActionCode::If:
                if (m.toBoolean(act.pop())) {
                    next = a.target;
                }
                break;
            case ActionCode::Call: {
                Value f = act.pop();
                if (act.target) {
                    Object* clip = act.target;
                    Value frame = f;
                    if (f.isString()) {
                        QString s = f.string();
                        int colon = s.lastIndexOf(':');
                        if (colon >= 0) {
                            clip = resolvePath(m, act, s.left(colon));
                            frame = Value(s.mid(colon + 1));
                        }
                    }
                    if (clip) {
                        m.host().callFrame(clip, frame);
                    }
                }
                break;
            }
            case ActionCode::GotoFrame2: {
                Value f = act.pop();
                doGotoFrame2(m, act, f, a.byteArg & 0x01, (a.byteArg & 0x02) ? a.frame : 0);
                break;
            }
            case ActionCode::GetURL2:
                doGetUrl2(m, act, a.byteArg);
                break;
            case ActionCode::Return:
                returnValue = act.pop();
                return Completion::Return;
            case ActionCode::Throw:
                throw ScriptThrow{act.pop()};
            case ActionCode::Try: {
                Completion c = runTry(m, act, *a.tryDef, p.text, next, returnValue);
                if (c == Completion::Return) {
                    return c;
                }
                break;
            }
            case ActionCode::With: {
                Value v = act.pop();
                Object* o = m.toObject(v);
                Completion c;
                uint32_t inner = 0;
                if (o) {
                    act.scope.push_back(o);
                    struct Pop {
                        Activation& a;
                        size_t size;
                        ~Pop() { a.scope.resize(size - 1); }
                    } guard{act, act.scope.size()};
                    c = runRange(m, act, pc + 1, a.target, inner, returnValue);
                } else {
                    // with(undefined) and with(null) skip their body (with test).
                    next = a.target;
                    break;
                }
                if (c == Completion::Return) {
                    return c;
                }
                next = c == Completion::JumpOut ? inner : a.target;
                break;
            }
            case ActionCode::DefineFunction:
            case ActionCode::DefineFunction2: {
                FunctionObject* f = defineFunction(m, act, pc);
                if (p.text.isEmpty()) {
                    act.push(Value(f));
                } else {
                    defineLocal(m, act, p.text, Value(f));
                }
                next = a.function->bodyEnd;
                break;
            }
            // --- Variables, members, calls ---
            case ActionCode::GetVariable: {
                QString name = m.toString(act.pop());
                act.push(getVariable(m, act, name));
                break;
            }
            case ActionCode::SetVariable: {
                Value v = act.pop();
                QString name = m.toString(act.pop());
                setVariable(m, act, name, v);
                break;
            }
            case ActionCode::DefineLocal: {
                Value v = act.pop();
                QString name = m.toString(act.pop());
                defineLocal(m, act, name, v);
                break;
            }
            case ActionCode::DefineLocal2: {
                QString name = m.toString(act.pop());
                Object* where = act.locals;
                if (where && !where->find(name, act.swfVersion)) {
                    where->put(name, Value());
                }
                break;
            }
            case ActionCode::Delete: {
                QString name = m.toString(act.pop());
                Value target = act.pop();
                Object* o = target.object();
                act.push(Value(o ? o->remove(name, act.swfVersion) : false));
                break;
            }
            case ActionCode::Delete2: {
                QString name = m.toString(act.pop());
                act.push(Value(deleteVariable(m, act, name)));
                break;
            }
            case ActionCode::GetMember: {
                Value name = act.pop();
                Value target = act.pop();
                act.push(m.getMember(target, m.toString(name)));
                break;
            }
            case ActionCode::SetMember: {
                Value v = act.pop();
                Value name = act.pop();
                Value target = act.pop();
                m.setMember(target, m.toString(name), v);
                break;
            }
            case ActionCode::GetProperty: {
                Value index = act.pop();
                Value target = act.pop();
                act.push(getClipProperty(m, act, target, m.toNumber(index)));
                break;
            }
            case ActionCode::SetProperty: {
                Value v = act.pop();
                Value index = act.pop();
                Value target = act.pop();
                setClipProperty(m, act, target, m.toNumber(index), v);
                break;
            }
            // Code whose clip a call removed from the display list (or was removed before)
            // stops after the call (removed_clip_halts_script).
            case ActionCode::CallFunction: {
                QString name = m.toString(act.pop());
                std::vector<Value> args = popArgs(m, act);
                act.push(callFunctionByName(m, act, name, args));
                if (baseClipRemoved(act)) {
                    return Completion::Return;
                }
                break;
            }
            case ActionCode::CallMethod: {
                Value name = act.pop();
                Value target = act.pop();
                std::vector<Value> args = popArgs(m, act);
                act.push(callMethod(m, act, target, name, args));
                // A method of nothing (undefined.f()) does not stop it.
                if (target.isObject() && baseClipRemoved(act)) {
                    return Completion::Return;
                }
                break;
            }
            case ActionCode::NewObject: {
                QString name = m.toString(act.pop());
                std::vector<Value> args = popArgs(m, act);
                Value ctor = getVariable(m, act, name);
                act.push(m.construct(ctor, args));
                if (baseClipRemoved(act)) {
                    return Completion::Return;
                }
                break;
            }
            case ActionCode::NewMethod: {
                Value name = act.pop();
                Value target = act.pop();
                std::vector<Value> args = popArgs(m, act);
                Value ctor = name.isUndefined() || (name.isString() && name.string().isEmpty())
                                 ? target
                                 : m.getMember(target, m.toString(name));
                act.push(m.construct(ctor, args));
                if (target.isObject() && baseClipRemoved(act)) {
                    return Completion::Return;
                }
                break;
            }
            case ActionCode::InitArray: {
                // A count beyond 32 bits pops nothing and gives undefined
                // (init_array_invalid test).
                if (!act.stack.empty() && act.stack.back().isNumber() &&
                    act.stack.back().number() > 2147483647.0) {
                    act.pop();
                    act.push(Value());
                    break;
                }
                std::vector<Value> values = popArgs(m, act);
                act.push(Value(m.makeArray(std::move(values))));
                break;
            }
            case ActionCode::InitObject: {
                // Pairs go in as they come off the stack, the last one written first, so a
                // for..in over {a: 1, b: 2} sees a before b (enumerate test).
                size_t n = popCount(act, m);
                Object* o = m.makeObject();
                for (size_t i = 0; i < n; ++i) {
                    Value v = act.pop();
                    QString name = m.toString(act.pop());
                    m.set(o, name, v);
                }
                act.push(Value(o));
                break;
            }
            case ActionCode::Enumerate:
            case ActionCode::Enumerate2: {
                Value v = act.pop();
                Object* o = nullptr;
                if (a.code == ActionCode::Enumerate) {
                    o = getVariable(m, act, m.toString(v)).object();
                } else {
                    o = v.object();
                }
                // The end marker is undefined (enumerate test).
                act.push(Value());
                if (o) {
                    std::vector<QString> names = m.enumerate(o);
                    for (auto it = names.rbegin(); it != names.rend(); ++it) {
                        act.push(Value(*it));
                    }
                }
                break;
            }
            case ActionCode::InstanceOf: {
                Value ctor = act.pop();
                Value v = act.pop();
                act.push(Value(ctor.object() ? m.instanceOf(v, ctor.object()) : false));
                break;
            }
            case ActionCode::CastOp: {
                Value v = act.pop();
                Value ctor = act.pop();
                act.push(ctor.object() && m.instanceOf(v, ctor.object()) ? v : Value::null());
                break;
            }
            case ActionCode::ImplementsOp: {
                Value ctor = act.pop();
                size_t n = popCount(act, m);
                std::vector<Object*> list;
                for (size_t i = 0; i < n; ++i) {
                    if (Object* o = act.pop().object()) {
                        list.push_back(o);
                    }
                }
                if (Object* c = ctor.object()) {
                    if (Object* proto = m.get(c, "prototype").object()) {
                        st.interfaces[proto] = list;
                    }
                }
                break;
            }
            case ActionCode::Extends: {
                Value superClass = act.pop();
                Value subClass = act.pop();
                Object* sup = superClass.object();
                Object* sub = subClass.object();
                if (sup && sub) {
                    Object* proto = m.heap().make<Object>(m.get(sup, "prototype").object());
                    proto->put("__constructor__", superClass, kDontEnum);
                    proto->put("constructor", superClass, kDontEnum);
                    m.set(sub, "prototype", Value(proto));
                }
                break;
            }
            case ActionCode::TargetPath: {
                Value v = act.pop();
                Object* o = v.object();
                if (o && o->kind() == ObjectKind::Clip) {
                    act.push(Value(m.host().targetPath(o, false)));
                } else {
                    act.push(Value());
                }
                break;
            }
            case ActionCode::Trace: {
                Value v = act.pop();
                QString s;
                try {
                    s = v.isUndefined() ? QStringLiteral("undefined") : m.toString(v);
                } catch (ScriptThrow&) {
                    // A toString that throws still leaves a line in the log before the
                    // exception goes on (coerce_to_primitive_resolve test).
                    m.host().trace(QStringLiteral("[type Object]"));
                    throw;
                }
                s.replace(QStringLiteral("\r\n"), QStringLiteral("\n\n"));
                s.replace('\r', '\n');
                m.host().trace(s);
                break;
            }
            case ActionCode::CloneSprite: {
                double depth = m.toNumber(act.pop());
                QString name = m.toString(act.pop());
                Value source = act.pop();
                Object* clip =
                    source.object() ? source.object() : resolvePath(m, act, m.toString(source));
                if (clip) {
                    m.host().cloneSprite(clip, name, clampToInt(depth));
                }
                break;
            }
            case ActionCode::RemoveSprite: {
                Value t = act.pop();
                Object* clip = t.object() ? t.object() : resolvePath(m, act, m.toString(t));
                if (clip) {
                    m.host().removeSprite(clip);
                }
                break;
            }
            case ActionCode::StartDrag: {
                Value t = act.pop();
                bool lock = m.toBoolean(act.pop());
                bool constrain = m.toBoolean(act.pop());
                double rect[4] = {0, 0, 0, 0};
                if (constrain) {
                    rect[3] = m.toNumber(act.pop());
                    rect[2] = m.toNumber(act.pop());
                    rect[1] = m.toNumber(act.pop());
                    rect[0] = m.toNumber(act.pop());
                }
                Object* clip = t.object() ? t.object() : resolvePath(m, act, m.toString(t));
                if (clip) {
                    m.host().startDrag(clip, lock, constrain ? rect : nullptr);
                }
                break;
            }
            case ActionCode::EndDrag:
                m.host().stopDrag();
                break;
            case ActionCode::FSCommand2: {
                std::vector<Value> args = popArgs(m, act);
                UrlRequest r;
                r.url =
                    QStringLiteral("FSCommand:") + (args.empty() ? QString() : m.toString(args[0]));
                QStringList rest;
                for (size_t i = 1; i < args.size(); ++i) {
                    rest << m.toString(args[i]);
                }
                r.target = rest.join(',');
                m.host().getUrl(r);
                break;
            }
            default:
                // Unknown actions are skipped, as the original does.
                break;
        }
        pc = next;
    }
    if (pc > end || pc < begin) {
        return Completion::JumpOut;
    }
    return Completion::Normal;
}

}  // namespace pencora::avm1
