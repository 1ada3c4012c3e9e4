// A clip's matrix and colour transform for flash.geom.Transform (Host::clipTransform and its
// setters), and MovieClip.transform, which makes a Transform of the clip when the movie's
// classes include one.
#include <algorithm>
#include <cmath>

#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

// The combined colour transform as the script reads it: each parent's step keeps its offsets
// in 16 bits, as the stored transforms do, so a large product wraps around.
ColorTransformF scriptWorldColor(const DisplayObject& object) {
    auto wrap = [](double v) {
        return double(int16_t(uint16_t(int64_t(std::lround(std::clamp(v, -1e15, 1e15))))));
    };
    ColorTransformF c = ColorTransformF::from(object.colorTransform);
    for (const DisplayObject* p = object.parent; p; p = p->parent) {
        c = ColorTransformF::from(p->colorTransform).after(c);
        c.rAdd = wrap(c.rAdd);
        c.gAdd = wrap(c.gAdd);
        c.bAdd = wrap(c.bAdd);
        c.aAdd = wrap(c.aAdd);
    }
    return c;
}

}  // namespace

bool ScriptHost::clipTransform(avm1::Object* clip, bool concatenated, ClipTransform& out) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return false;
    }
    const QTransform t = concatenated ? worldTransform(*o) : toTransform(o->matrix);
    const double m[6] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx() / 20, t.dy() / 20};
    std::copy(std::begin(m), std::end(m), out.matrix);
    const ColorTransformF c =
        concatenated ? scriptWorldColor(*o) : ColorTransformF::from(o->colorTransform);
    const double cx[8] = {c.rMult, c.gMult, c.bMult, c.aMult, c.rAdd, c.gAdd, c.bAdd, c.aAdd};
    std::copy(std::begin(cx), std::end(cx), out.color);
    return true;
}

void ScriptHost::setClipMatrix(avm1::Object* clip, const double (&m)[6]) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return;
    }
    auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
    auto twips = [&](double px) {
        return int32_t(std::clamp(std::round(finite(px) * 20), -2147483648.0, 2147483647.0));
    };
    o->matrix.a = finite(m[0]);
    o->matrix.b = finite(m[1]);
    o->matrix.c = finite(m[2]);
    o->matrix.d = finite(m[3]);
    o->matrix.tx = twips(m[4]);
    o->matrix.ty = twips(m[5]);
    o->scriptTransformed = true;
}

void ScriptHost::setClipColorTransform(avm1::Object* clip, const double (&c)[8]) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return;
    }
    auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
    ColorTransformF f{finite(c[0]), finite(c[1]), finite(c[2]), finite(c[3]),
                      finite(c[4]), finite(c[5]), finite(c[6]), finite(c[7])};
    o->colorTransform = f.toFixed();
    o->scriptTransformed = true;
}

// mc.transform: a fresh flash.geom.Transform of the clip, undefined without that class.
bool getTransformProperty(avm1::Machine& m, DisplayObject& object, const QString& name,
                          Value& out) {
    if (m.version() < 8 || name != u"transform") {
        return false;
    }
    Value ctor = m.getMember(m.get(m.global(), QStringLiteral("flash")), QStringLiteral("geom"));
    ctor = ctor.isObject() ? m.getMember(ctor, QStringLiteral("Transform")) : Value();
    if (!ctor.isObject() || ctor.object()->kind() != avm1::ObjectKind::Function) {
        out = Value();
        return true;
    }
    std::vector<Value> args{Value(hostOf(m).scriptObject(object))};
    out = m.construct(ctor, args);
    return true;
}

// mc.transform = t: takes t's matrix and colour transform, each only when it is one (a plain
// object changes nothing).
bool setTransformProperty(avm1::Machine& m, DisplayObject& object, const QString& name,
                          const Value& v) {
    if (m.version() < 8 || name != u"transform") {
        return false;
    }
    // The clip's own Transform takes the two as if assigned to it, which checks their kinds.
    Value own;
    if (v.isObject() && getTransformProperty(m, object, name, own) && own.isObject()) {
        m.setMember(own, QStringLiteral("matrix"), m.getMember(v, QStringLiteral("matrix")));
        m.setMember(own, QStringLiteral("colorTransform"),
                    m.getMember(v, QStringLiteral("colorTransform")));
    }
    return true;
}

}  // namespace pencora::runtime
