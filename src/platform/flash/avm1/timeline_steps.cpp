// Steps that reach the display list through the host: frames and labels, targets, URLs and
// FSCommands, clip properties by index, sprites, drag, target paths and trace.
#include <cmath>
#include <optional>

#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/steps.h"
#include "platform/flash/avm1/variables.h"

namespace pencora::avm1 {

namespace {

// The clip a sprite action names: a clip value, or a target path.
Object* clipOperand(Machine& m, Activation& act, const Value& v) {
    return v.object() ? v.object() : resolvePath(m, act, m.toString(v));
}

void gotoFrame2(Machine& m, Activation& act, const Value& frame, bool play, int bias) {
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

}  // namespace

Flow stepNextFrame(Machine& m, Activation& act, Step&) {
    if (act.target) {
        m.host().nextFrame(act.target);
    }
    return Flow::Next;
}

Flow stepPrevFrame(Machine& m, Activation& act, Step&) {
    if (act.target) {
        m.host().prevFrame(act.target);
    }
    return Flow::Next;
}

Flow stepPlay(Machine& m, Activation& act, Step&) {
    if (act.target) {
        m.host().play(act.target);
    }
    return Flow::Next;
}

Flow stepStop(Machine& m, Activation& act, Step&) {
    if (act.target) {
        m.host().stop(act.target);
    }
    return Flow::Next;
}

Flow stepToggleQuality(Machine& m, Activation&, Step&) {
    m.host().toggleQuality();
    return Flow::Next;
}

Flow stepStopSounds(Machine& m, Activation&, Step&) {
    m.host().stopSounds();
    return Flow::Next;
}

Flow stepGotoFrame(Machine& m, Activation& act, Step& s) {
    // Unlike gotoAndStop(), this action goes nowhere when the frame is past the last one
    // (goto_frame).
    if (act.target) {
        const Value total = m.host().heldFrames(act.target);
        if (!total.isNumber() || s.a.frame < total.number()) {
            m.host().gotoFrame(act.target, s.a.frame, false);
        }
    }
    return Flow::Next;
}

Flow stepGoToLabel(Machine& m, Activation& act, Step& s) {
    if (act.target) {
        m.host().gotoLabel(act.target, s.p.text, false);
    }
    return Flow::Next;
}

Flow stepGotoFrame2(Machine& m, Activation& act, Step& s) {
    Value f = act.pop();
    gotoFrame2(m, act, f, s.a.byteArg & 0x01, (s.a.byteArg & 0x02) ? s.a.frame : 0);
    return Flow::Next;
}

Flow stepGetUrl(Machine& m, Activation& act, Step& s) {
    UrlRequest r;
    r.url = s.p.text;
    r.target = s.p.text2;
    r.sourceClip = act.target;
    m.host().getUrl(r);
    return Flow::Next;
}

Flow stepGetUrl2(Machine& m, Activation& act, Step& s) {
    const uint8_t flags = s.a.byteArg;
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
    return Flow::Next;
}

Flow stepWaitForFrame(Machine& m, Activation& act, Step& s) {
    if (act.target && !m.host().frameLoaded(act.target, s.a.frame)) {
        s.next = s.a.target;
    }
    return Flow::Next;
}

// The frame WaitForFrame2 waits for, counted from 0: a whole number taken as a 32-bit integer
// and counted down in 32 bits, so numbers past 2^31 wrap round to frames long loaded. A
// fraction, NaN, an infinity or text that is no number names no frame: nothing to wait for.
static std::optional<int32_t> frameToWaitFor(double n) {
    if (!std::isfinite(n) || n != std::trunc(n)) {
        return std::nullopt;
    }
    return int32_t(doubleToUint32(n) - 1u);
}

Flow stepWaitForFrame2(Machine& m, Activation& act, Step& s) {
    const std::optional<int32_t> frame = frameToWaitFor(m.toNumber(act.pop()));
    if (act.target && frame && !m.host().frameLoaded(act.target, *frame)) {
        s.next = s.a.target;
    }
    return Flow::Next;
}

Flow stepSetTarget(Machine& m, Activation& act, Step& s) {
    setTarget(m, act, Value(s.p.text));
    return Flow::Next;
}

Flow stepSetTarget2(Machine& m, Activation& act, Step&) {
    setTarget(m, act, act.pop());
    return Flow::Next;
}

Flow stepCallFrame(Machine& m, Activation& act, Step&) {
    Value f = act.pop();
    if (!act.target) {
        return Flow::Next;
    }
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
    return Flow::Next;
}

Flow stepGetProperty(Machine& m, Activation& act, Step&) {
    Value index = act.pop();
    Value target = act.pop();
    act.push(getClipProperty(m, act, target, m.toNumber(index)));
    return Flow::Next;
}

Flow stepSetProperty(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    Value index = act.pop();
    Value target = act.pop();
    setClipProperty(m, act, target, m.toNumber(index), v);
    return Flow::Next;
}

Flow stepCloneSprite(Machine& m, Activation& act, Step&) {
    double depth = m.toNumber(act.pop());
    QString name = m.toString(act.pop());
    Value source = act.pop();
    if (Object* clip = clipOperand(m, act, source)) {
        m.host().cloneSprite(clip, name, clampToInt(depth));
    }
    return Flow::Next;
}

Flow stepRemoveSprite(Machine& m, Activation& act, Step&) {
    Value t = act.pop();
    if (Object* clip = clipOperand(m, act, t)) {
        m.host().removeSprite(clip);
    }
    return Flow::Next;
}

Flow stepStartDrag(Machine& m, Activation& act, Step&) {
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
    if (Object* clip = clipOperand(m, act, t)) {
        m.host().startDrag(clip, lock, constrain ? rect : nullptr);
    }
    return Flow::Next;
}

Flow stepEndDrag(Machine& m, Activation&, Step&) {
    m.host().stopDrag();
    return Flow::Next;
}

Flow stepTargetPath(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    Object* o = v.object();
    if (o && o->kind() == ObjectKind::Clip) {
        act.push(Value(m.host().targetPath(o, false)));
    } else {
        act.push(Value());
    }
    return Flow::Next;
}

Flow stepTrace(Machine& m, Activation& act, Step&) {
    Value v = act.pop();
    QString s;
    try {
        s = v.isUndefined() ? QStringLiteral("undefined") : m.toString(v);
    } catch (ScriptThrow&) {
        // A toString that throws still leaves a line in the log before the exception goes on
        // (coerce_to_primitive_resolve test).
        m.host().trace(QStringLiteral("[type Object]"));
        throw;
    }
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n\n"));
    s.replace('\r', '\n');
    m.host().trace(s);
    return Flow::Next;
}

Flow stepFsCommand2(Machine& m, Activation& act, Step&) {
    std::vector<Value> args = popArgs(m, act);
    UrlRequest r;
    r.url = QStringLiteral("FSCommand:") + (args.empty() ? QString() : m.toString(args[0]));
    QStringList rest;
    for (size_t i = 1; i < args.size(); ++i) {
        rest << m.toString(args[i]);
    }
    r.target = rest.join(',');
    m.host().getUrl(r);
    // fscommand2 is an expression: it answers -1, "not supported", since the device commands it
    // names are no part of this player. Leaving nothing would unbalance the caller's stack.
    act.push(Value(-1));
    return Flow::Next;
}

}  // namespace pencora::avm1
