// flash.geom.Transform: a view of one display object's placement. Every read asks the runtime
// afresh (Host::clipTransform) and hands out a new Matrix or ColorTransform, so changing the
// object a read gave changes nothing until it is assigned back.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

class TransformObject : public Object {
  public:
    TransformObject(Object* proto, Object* clip) : Object(proto, ObjectKind::Host), clip(clip) {}
    Object* clip;
    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        if (clip) {
            t.mark(clip);
        }
    }
};

Object* geomMember(Machine& m, const char* name) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    return geom ? m.get(geom, QString::fromLatin1(name)).object() : nullptr;
}

Value make(Machine& m, const char* cls, std::vector<Value> args) {
    Object* ctor = geomMember(m, cls);
    return ctor ? m.construct(Value(ctor), args) : Value();
}

// The clip viewed: once it is removed, the one that has come to stand at its path, if any; a
// removed clip with nothing there answers nothing and takes nothing.
Object* clipOf(Machine& m, const Value& self) {
    Object* o = self.object();
    auto* t = dynamic_cast<TransformObject*>(o);
    return t && t->clip ? currentClip(m, t->clip) : nullptr;
}

bool readPlacement(Machine& m, const Value& self, bool concatenated, Host::ClipTransform& out) {
    Object* clip = clipOf(m, self);
    return clip && m.host().clipTransform(clip, concatenated, out);
}

Value matrixValue(Machine& m, const Host::ClipTransform& t) {
    std::vector<Value> args;
    for (double d : t.matrix) {
        args.push_back(Value(d));
    }
    return make(m, "Matrix", std::move(args));
}

Value colorValue(Machine& m, const Host::ClipTransform& t) {
    std::vector<Value> args;
    for (double d : t.color) {
        args.push_back(Value(d));
    }
    return make(m, "ColorTransform", std::move(args));
}

Value getMatrix(Machine& m, const Value& self, std::vector<Value>&) {
    Host::ClipTransform t;
    return readPlacement(m, self, false, t) ? matrixValue(m, t) : Value();
}

Value getConcatenatedMatrix(Machine& m, const Value& self, std::vector<Value>&) {
    Host::ClipTransform t;
    return readPlacement(m, self, true, t) ? matrixValue(m, t) : Value();
}

Value getColorTransform(Machine& m, const Value& self, std::vector<Value>&) {
    Host::ClipTransform t;
    return readPlacement(m, self, false, t) ? colorValue(m, t) : Value();
}

Value getConcatenatedColorTransform(Machine& m, const Value& self, std::vector<Value>&) {
    Host::ClipTransform t;
    return readPlacement(m, self, true, t) ? colorValue(m, t) : Value();
}

// Only a Matrix (or ColorTransform) is taken; anything else leaves the object as it was.
bool instanceOfGeom(Machine& m, const Value& v, const char* cls) {
    Object* ctor = geomMember(m, cls);
    return ctor && m.instanceOf(v, ctor);
}

Value setMatrix(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* clip = clipOf(m, self);
    Value v = argAt(args, 0);
    if (clip && instanceOfGeom(m, v, "Matrix")) {
        static const char* const names[] = {"a", "b", "c", "d", "tx", "ty"};
        double matrix[6];
        for (size_t i = 0; i < 6; ++i) {
            matrix[i] = m.toNumber(m.getMember(v, QString::fromLatin1(names[i])));
        }
        m.host().setClipMatrix(clip, matrix);
    }
    return Value();
}

Value setColorTransform(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* clip = clipOf(m, self);
    Value v = argAt(args, 0);
    if (clip && instanceOfGeom(m, v, "ColorTransform")) {
        static const char* const names[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                            "alphaMultiplier", "redOffset",       "greenOffset",
                                            "blueOffset",      "alphaOffset"};
        double color[8];
        for (size_t i = 0; i < 8; ++i) {
            color[i] = m.toNumber(m.getMember(v, QString::fromLatin1(names[i])));
        }
        m.host().setClipColorTransform(clip, color);
    }
    return Value();
}

// The object's own bounds carried through every parent's matrix onto the stage, in whole
// pixels; an object with nothing to draw (whose bounds are the far-away marker) has none.
Value getPixelBounds(Machine& m, const Value& self, std::vector<Value>&) {
    Object* clip = clipOf(m, self);
    Host::ClipTransform t;
    if (!clip || !m.host().clipTransform(clip, true, t)) {
        return Value();
    }
    std::vector<Value> own{Value(clip)};
    Value b = m.callMethodValue(Value(clip), QStringLiteral("getBounds"), own);
    auto num = [&](const char* n) { return m.toNumber(m.getMember(b, QString::fromLatin1(n))); };
    const double x0 = num("xMin"), x1 = num("xMax"), y0 = num("yMin"), y1 = num("yMax");
    if (!b.isObject() || !std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) ||
        !std::isfinite(y1) || std::abs(x0) >= 6710886 || x1 < x0) {
        return make(m, "Rectangle", {Value(0), Value(0), Value(0), Value(0)});
    }
    const double* a = t.matrix;
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (double x : {x0, x1}) {
        for (double y : {y0, y1}) {
            const double px = a[0] * x + a[2] * y + a[4];
            const double py = a[1] * x + a[3] * y + a[5];
            minX = std::min(minX, px);
            maxX = std::max(maxX, px);
            minY = std::min(minY, py);
            maxY = std::max(maxY, py);
        }
    }
    minX = std::floor(minX);
    minY = std::floor(minY);
    return make(
        m, "Rectangle",
        {Value(minX), Value(minY), Value(std::ceil(maxX) - minX), Value(std::ceil(maxY) - minY)});
}

// new Transform(clip): undefined unless clip is a display object.
Value transformConstruct(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* clip = argAt(args, 0).object();
    Host::ClipTransform probe;
    if (!clip || !m.host().clipTransform(clip, false, probe)) {
        return Value();
    }
    Object* proto = self.object() ? self.object()->proto() : nullptr;
    return Value(m.heap().make<TransformObject>(proto, clip));
}

Value transformCall(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

struct Accessor {
    const char* name;
    NativeFn get;
    NativeFn set;
};

const Accessor kAccessors[] = {
    {"matrix", getMatrix, setMatrix},
    {"concatenatedMatrix", getConcatenatedMatrix, nullptr},
    {"colorTransform", getColorTransform, setColorTransform},
    {"concatenatedColorTransform", getConcatenatedColorTransform, nullptr},
    {"pixelBounds", getPixelBounds, nullptr},
};

}  // namespace

void installTransformClass(Machine& m, Object* geom) {
    Object* proto = m.makeObject();
    for (const Accessor& a : kAccessors) {
        const QString name = QString::fromLatin1(a.name);
        proto->put(name, Value(), kDontEnum);
        Property* p = proto->find(name, 100);
        p->getter = m.makeNative(a.get);
        p->setter = a.set ? m.makeNative(a.set) : nullptr;
    }
    FunctionObject* ctor = m.makeClass(transformCall, proto, transformConstruct);
    ctor->constructMayFail = true;
    geom->put(QStringLiteral("Transform"), Value(ctor));
}

}  // namespace pencora::avm1
