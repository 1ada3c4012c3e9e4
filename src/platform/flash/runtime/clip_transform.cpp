// A clip's matrix and colour transform for flash.geom.Transform (Host::clipTransform and its
// setters), and MovieClip.transform, which makes a Transform of the clip when the movie's
// classes include one.
#include <cmath>

#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/runtime/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Value;

bool ScriptHost::clipTransform(avm1::Object* clip, bool concatenated, ClipTransform& out) {
    DisplayObject* o = displayOf(clip);
    if (!o) {
        return false;
    }
    const QTransform t = concatenated ? worldTransform(*o) : toTransform(o->matrix);
    const double m[6] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx() / 20, t.dy() / 20};
    std::copy(std::begin(m), std::end(m), out.matrix);
    const ColorTransformF c =
        concatenated ? worldColorTransform(*o) : ColorTransformF::from(o->colorTransform);
    double cx[8] = {c.rMult, c.gMult, c.bMult, c.aMult, c.rAdd, c.gAdd, c.bAdd, c.aAdd};
    if (concatenated) {
        // The combined offsets are whole 16-bit numbers, as the original keeps them: a large
        // product wraps around (transform test: -66682.5 reads as -1147).
        for (int i = 4; i < 8; ++i) {
            if (std::isfinite(cx[i])) {
                double w = std::fmod(std::floor(cx[i]), 65536.0);  // exact, and never UB
                w = w < -32768 ? w + 65536 : w >= 32768 ? w - 65536 : w;
                cx[i] = w;
            }
        }
    }
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

// mc.transform = t: the clip takes the placement of the clip `t` views (matrix and colour);
// anything but a Transform changes nothing.
bool setTransformProperty(avm1::Machine& m, DisplayObject& object, const QString& name,
                          const Value& v) {
    if (m.version() < 8 || name != u"transform") {
        return false;
    }
    Value source;
    ScriptHost& host = hostOf(m);
    if (!avm1::transformClip(v, &source) || !source.object()) {
        return true;
    }
    avm1::Host::ClipTransform placement;
    if (host.clipTransform(source.object(), false, placement)) {
        avm1::Object* self = host.scriptObject(object);
        host.setClipMatrix(self, placement.matrix);
        host.setClipColorTransform(self, placement.color);
    }
    return true;
}

}  // namespace pencora::runtime
