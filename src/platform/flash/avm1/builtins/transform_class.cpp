// flash.geom.Transform: a live view of one clip's placement. Every read makes a fresh Matrix,
// ColorTransform or Rectangle from the clip as it is now (so `t.matrix == t.matrix` is false and
// changing the copy changes nothing); assigning a Matrix or ColorTransform writes it back.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

class TransformObject : public Object {
  public:
    explicit TransformObject(Object* proto) : Object(proto, ObjectKind::Host) {}
    Value clip;

    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        t.mark(clip);
    }
};

TransformObject* transformOf(const Value& self) {
    Object* o = self.object();
    return o && o->kind() == ObjectKind::Host ? dynamic_cast<TransformObject*>(o) : nullptr;
}

Object* geomClass(Machine& m, const char* cls) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    return geom ? m.get(geom, QString::fromLatin1(cls)).object() : nullptr;
}

Value newGeom(Machine& m, const char* cls, std::vector<Value> args) {
    Object* ctor = geomClass(m, cls);
    return ctor ? m.construct(Value(ctor), args) : Value();
}

bool placement(Machine& m, const Value& self, bool concatenated, Host::ClipTransform& out) {
    TransformObject* t = transformOf(self);
    return t && t->clip.object() && m.host().clipTransform(t->clip.object(), concatenated, out);
}

Value matrixValue(Machine& m, const Value& self, bool concatenated) {
    Host::ClipTransform p;
    if (!placement(m, self, concatenated, p)) {
        return Value();
    }
    std::vector<Value> args;
    for (double v : p.matrix) {
        args.emplace_back(v);
    }
    return newGeom(m, "Matrix", args);
}

Value colorValue(Machine& m, const Value& self, bool concatenated) {
    Host::ClipTransform p;
    if (!placement(m, self, concatenated, p)) {
        return Value();
    }
    std::vector<Value> args;
    for (double v : p.color) {
        args.emplace_back(v);
    }
    return newGeom(m, "ColorTransform", args);
}

Value getMatrix(Machine& m, const Value& self, std::vector<Value>&) {
    return matrixValue(m, self, false);
}
Value getConcatenatedMatrix(Machine& m, const Value& self, std::vector<Value>&) {
    return matrixValue(m, self, true);
}
Value getColorTransform(Machine& m, const Value& self, std::vector<Value>&) {
    return colorValue(m, self, false);
}
Value getConcatenatedColorTransform(Machine& m, const Value& self, std::vector<Value>&) {
    return colorValue(m, self, true);
}

// The clip's bounds on the stage, in pixels: getBounds against _level0, then through _level0's
// own placement.
Value getPixelBounds(Machine& m, const Value& self, std::vector<Value>&) {
    TransformObject* t = transformOf(self);
    Object* stage = m.host().level(0);
    if (!t || !t->clip.object() || !stage) {
        return Value();
    }
    std::vector<Value> args{Value(stage)};
    const Value b = m.callMethodValue(t->clip, QStringLiteral("getBounds"), args);
    if (!b.isObject()) {
        return Value();
    }
    auto field = [&](const char* name) {
        return m.toNumber(m.getMember(b, QString::fromLatin1(name)));
    };
    Host::ClipTransform root;
    m.host().clipTransform(stage, false, root);
    const double* r = root.matrix;
    double xs[4], ys[4];
    const double cx[4] = {field("xMin"), field("xMax"), field("xMin"), field("xMax")};
    const double cy[4] = {field("yMin"), field("yMin"), field("yMax"), field("yMax")};
    for (int i = 0; i < 4; ++i) {
        xs[i] = r[0] * cx[i] + r[2] * cy[i] + r[4];
        ys[i] = r[1] * cx[i] + r[3] * cy[i] + r[5];
    }
    const double x = *std::min_element(xs, xs + 4), y = *std::min_element(ys, ys + 4);
    return newGeom(m, "Rectangle",
                   {Value(x), Value(y), Value(*std::max_element(xs, xs + 4) - x),
                    Value(*std::max_element(ys, ys + 4) - y)});
}

bool isInstanceOf(Machine& m, const Value& v, const char* cls) {
    Object* ctor = geomClass(m, cls);
    return ctor && v.isObject() && m.instanceOf(v, ctor);
}

// Only a real Matrix is written back; anything else leaves the clip as it is.
Value setMatrix(Machine& m, const Value& self, std::vector<Value>& args) {
    TransformObject* t = transformOf(self);
    const Value v = arg(args, 0);
    if (!t || !t->clip.object() || !isInstanceOf(m, v, "Matrix")) {
        return Value();
    }
    const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
    double matrix[6];
    for (size_t i = 0; i < 6; ++i) {
        matrix[i] = m.toNumber(m.getMember(v, QString::fromLatin1(names[i])));
    }
    m.host().setClipMatrix(t->clip.object(), matrix);
    return Value();
}

Value setColorTransform(Machine& m, const Value& self, std::vector<Value>& args) {
    TransformObject* t = transformOf(self);
    const Value v = arg(args, 0);
    if (!t || !t->clip.object() || !isInstanceOf(m, v, "ColorTransform")) {
        return Value();
    }
    const char* names[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                           "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};
    double color[8];
    for (size_t i = 0; i < 8; ++i) {
        color[i] = m.toNumber(m.getMember(v, QString::fromLatin1(names[i])));
    }
    m.host().setClipColorTransform(t->clip.object(), color);
    return Value();
}

Value transformCtor(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

// new Transform(clip); without a clip there is no transform and `new` gives undefined.
Value constructTransform(Machine& m, const Value& self, std::vector<Value>& args) {
    const Value clip = arg(args, 0);
    Object* plain = self.object();
    if (!clip.object() || clip.object()->kind() != ObjectKind::Clip) {
        return Value();
    }
    auto* t = m.heap().make<TransformObject>(plain ? plain->proto() : nullptr);
    if (plain) {
        for (const Property& p : plain->properties()) {
            t->put(p.name, p.value, p.flags);
        }
    }
    t->clip = clip;
    return Value(t);
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

// Whether `v` is a Transform that scripts made; `clip` gets the clip it views.
bool transformClip(const Value& v, Value* clip) {
    TransformObject* t = transformOf(v);
    if (t && clip) {
        *clip = t->clip;
    }
    return t != nullptr;
}

void installTransform(Machine& m, Object* geom) {
    Object* proto = m.makeObject();
    for (const Accessor& a : kAccessors) {
        const QString name = QString::fromLatin1(a.name);
        proto->put(name, Value(), kDontEnum);
        Property* p = proto->find(name, 100);
        p->getter = m.makeNative(a.get);
        p->setter = a.set ? m.makeNative(a.set) : nullptr;
    }
    FunctionObject* ctor = m.makeClass(transformCtor, proto, constructTransform);
    ctor->constructMayFail = true;
    geom->put(QStringLiteral("Transform"), Value(ctor));
}

}  // namespace pencora::avm1
