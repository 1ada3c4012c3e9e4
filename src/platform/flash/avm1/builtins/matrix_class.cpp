// flash.geom.Matrix and flash.geom.ColorTransform as plain script data: their fields are
// ordinary properties of the instance (so subclasses that call super() get them too), and the
// methods read and write them through the machine.
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

const char* const kMatrixFields[] = {"a", "b", "c", "d", "tx", "ty"};

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

double num(Machine& m, const Value& o, const char* name) {
    return m.toNumber(m.getMember(o, QString::fromLatin1(name)));
}

Affine affineOf(Machine& m, const Value& o) {
    return Affine{num(m, o, "a"), num(m, o, "b"),  num(m, o, "c"),
                  num(m, o, "d"), num(m, o, "tx"), num(m, o, "ty")};
}

void store(Machine& m, const Value& o, const Affine& t) {
    const double v[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (size_t i = 0; i < 6; ++i) {
        m.setMember(o, QString::fromLatin1(kMatrixFields[i]), Value(v[i]));
    }
}

// this, then `next`: what `concat` computes.
Affine then(const Affine& t, const Affine& n) {
    return Affine{t.a * n.a + t.b * n.c,          t.a * n.b + t.b * n.d,
                  t.c * n.a + t.d * n.c,          t.c * n.b + t.d * n.d,
                  t.tx * n.a + t.ty * n.c + n.tx, t.tx * n.b + t.ty * n.d + n.ty};
}

Object* geomClass(Machine& m, const char* name) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    return geom ? m.get(geom, QString::fromLatin1(name)).object() : nullptr;
}

Value newOf(Machine& m, const char* cls, std::vector<Value> args) {
    Object* ctor = geomClass(m, cls);
    return ctor ? m.construct(Value(ctor), args) : Value();
}

// new Matrix(): the identity; otherwise the arguments as given, missing ones undefined.
Value matrixCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    if (!self.object()) {
        return Value();
    }
    if (args.empty()) {
        store(m, self, Affine{});
        return Value();
    }
    for (size_t i = 0; i < 6; ++i) {
        self.object()->put(QString::fromLatin1(kMatrixFields[i]), argAt(args, i));
    }
    return Value();
}

Value matrixToString(Machine& m, const Value& self, std::vector<Value>&) {
    QString out = QStringLiteral("(");
    for (size_t i = 0; i < 6; ++i) {
        const QString name = QString::fromLatin1(kMatrixFields[i]);
        out += (i ? QStringLiteral(", ") : QString()) + name + QLatin1Char('=') +
               m.toString(m.getMember(self, name));
    }
    return Value(out + QLatin1Char(')'));
}

Value matrixClone(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> fields;
    for (const char* f : kMatrixFields) {
        fields.push_back(m.getMember(self, QString::fromLatin1(f)));
    }
    return newOf(m, "Matrix", fields);
}

Value matrixIdentity(Machine& m, const Value& self, std::vector<Value>&) {
    store(m, self, Affine{});
    return Value();
}

Value matrixConcat(Machine& m, const Value& self, std::vector<Value>& args) {
    store(m, self, then(affineOf(m, self), affineOf(m, argAt(args, 0))));
    return Value();
}

Value matrixScale(Machine& m, const Value& self, std::vector<Value>& args) {
    const double sx = m.toNumber(argAt(args, 0));
    const double sy = m.toNumber(argAt(args, 1));
    store(m, self, then(affineOf(m, self), Affine{sx, 0, 0, sy, 0, 0}));
    return Value();
}

Value matrixRotate(Machine& m, const Value& self, std::vector<Value>& args) {
    const double r = m.toNumber(argAt(args, 0));
    const double cs = std::cos(r), sn = std::sin(r);
    store(m, self, then(affineOf(m, self), Affine{cs, sn, -sn, cs, 0, 0}));
    return Value();
}

Value matrixTranslate(Machine& m, const Value& self, std::vector<Value>& args) {
    Affine t = affineOf(m, self);
    t.tx += m.toNumber(argAt(args, 0));
    t.ty += m.toNumber(argAt(args, 1));
    store(m, self, t);
    return Value();
}

Value matrixInvert(Machine& m, const Value& self, std::vector<Value>&) {
    const Affine t = affineOf(m, self);
    const double det = t.a * t.d - t.b * t.c;
    if (det == 0) {
        store(m, self, Affine{});
        return Value();
    }
    Affine r{t.d / det, -t.b / det, -t.c / det, t.a / det, 0, 0};
    r.tx = -(r.a * t.tx + r.c * t.ty);
    r.ty = -(r.b * t.tx + r.d * t.ty);
    store(m, self, r);
    return Value();
}

// createBox(scaleX, scaleY[, rotation[, tx[, ty]]]): without a rotation the cosine of
// undefined makes the linear part NaN, as in the original.
Value matrixCreateBox(Machine& m, const Value& self, std::vector<Value>& args) {
    const double sx = m.toNumber(argAt(args, 0));
    const double sy = m.toNumber(argAt(args, 1));
    const double r = m.toNumber(argAt(args, 2));
    const double tx = args.size() > 3 ? m.toNumber(args[3]) : 0;
    const double ty = args.size() > 4 ? m.toNumber(args[4]) : 0;
    store(m, self,
          Affine{sx * std::cos(r), sy * std::sin(r), -sx * std::sin(r), sy * std::cos(r), tx, ty});
    return Value();
}

// The gradient square is 1638.4 pixels wide; the box is centred on (tx + w/2, ty + h/2).
Value matrixCreateGradientBox(Machine& m, const Value& self, std::vector<Value>& args) {
    const double w = m.toNumber(argAt(args, 0)) / 1638.4;
    const double h = m.toNumber(argAt(args, 1)) / 1638.4;
    const double r = args.size() > 2 ? m.toNumber(args[2]) : 0;
    const double tx = (args.size() > 3 ? m.toNumber(args[3]) : 0) + m.toNumber(argAt(args, 0)) / 2;
    const double ty = (args.size() > 4 ? m.toNumber(args[4]) : 0) + m.toNumber(argAt(args, 1)) / 2;
    store(m, self,
          Affine{w * std::cos(r), h * std::sin(r), -w * std::sin(r), h * std::cos(r), tx, ty});
    return Value();
}

Value transformPoint(Machine& m, const Value& self, std::vector<Value>& args, bool delta) {
    const Affine t = affineOf(m, self);
    const double x = num(m, argAt(args, 0), "x");
    const double y = num(m, argAt(args, 0), "y");
    return newOf(m, "Point",
                 {Value(t.a * x + t.c * y + (delta ? 0 : t.tx)),
                  Value(t.b * x + t.d * y + (delta ? 0 : t.ty))});
}

Value matrixTransformPoint(Machine& m, const Value& self, std::vector<Value>& args) {
    return transformPoint(m, self, args, false);
}

Value matrixDeltaTransformPoint(Machine& m, const Value& self, std::vector<Value>& args) {
    return transformPoint(m, self, args, true);
}

const NativeEntry kMatrixPrototype[] = {
    {"toString", matrixToString},
    {"clone", matrixClone},
    {"identity", matrixIdentity},
    {"concat", matrixConcat},
    {"scale", matrixScale},
    {"rotate", matrixRotate},
    {"translate", matrixTranslate},
    {"invert", matrixInvert},
    {"createBox", matrixCreateBox},
    {"createGradientBox", matrixCreateGradientBox},
    {"transformPoint", matrixTransformPoint},
    {"deltaTransformPoint", matrixDeltaTransformPoint},
};

// --- ColorTransform ---------------------------------------------------------------------------

const char* const kColorFields[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                    "alphaMultiplier", "redOffset",       "greenOffset",
                                    "blueOffset",      "alphaOffset"};
const double kColorDefaults[] = {1, 1, 1, 1, 0, 0, 0, 0};

// new ColorTransform([multipliers..., offsets...]): what is not given keeps its default.
Value colorCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    if (!self.object()) {
        return Value();
    }
    for (size_t i = 0; i < 8; ++i) {
        double v = i < args.size() ? m.toNumber(args[i]) : kColorDefaults[i];
        self.object()->put(QString::fromLatin1(kColorFields[i]), Value(v));
    }
    return self;
}

Value colorToString(Machine& m, const Value& self, std::vector<Value>&) {
    QString out = QStringLiteral("(");
    for (size_t i = 0; i < 8; ++i) {
        const QString name = QString::fromLatin1(kColorFields[i]);
        out += (i ? QStringLiteral(", ") : QString()) + name + QLatin1Char('=') +
               m.toString(m.getMember(self, name));
    }
    return Value(out + QLatin1Char(')'));
}

// this, then `second`: offsets of the second are scaled by this one's multipliers.
Value colorConcat(Machine& m, const Value& self, std::vector<Value>& args) {
    Value o = argAt(args, 0);
    double s[8], t[8];
    for (size_t i = 0; i < 8; ++i) {
        s[i] = num(m, self, kColorFields[i]);
        t[i] = num(m, o, kColorFields[i]);
    }
    for (size_t i = 0; i < 4; ++i) {
        m.setMember(self, QString::fromLatin1(kColorFields[i + 4]),
                    Value(s[i + 4] + s[i] * t[i + 4]));
        m.setMember(self, QString::fromLatin1(kColorFields[i]), Value(s[i] * t[i]));
    }
    return Value();
}

Value colorGetRgb(Machine& m, const Value& self, std::vector<Value>&) {
    auto part = [&](const char* name) {
        return uint32_t(m.toInt32(m.getMember(self, QString::fromLatin1(name)))) & 0xFF;
    };
    return Value(
        double((part("redOffset") << 16) | (part("greenOffset") << 8) | part("blueOffset")));
}

// Setting rgb makes the colour solid: no multipliers, the offsets from the value.
Value colorSetRgb(Machine& m, const Value& self, std::vector<Value>& args) {
    const uint32_t rgb = uint32_t(m.toInt32(argAt(args, 0)));
    const double parts[] = {
        0, 0, 0, double((rgb >> 16) & 0xFF), double((rgb >> 8) & 0xFF), double(rgb & 0xFF)};
    const char* names[] = {"redMultiplier", "greenMultiplier", "blueMultiplier",
                           "redOffset",     "greenOffset",     "blueOffset"};
    for (size_t i = 0; i < 6; ++i) {
        m.setMember(self, QString::fromLatin1(names[i]), Value(parts[i]));
    }
    return Value();
}

const NativeEntry kColorPrototype[] = {
    {"toString", colorToString},
    {"concat", colorConcat},
};

}  // namespace

void installMatrixAndColorTransform(Machine& m, Object* geom) {
    Object* matrix = m.makeObject();
    installTable(m, matrix, kMatrixPrototype);
    geom->put(QStringLiteral("Matrix"), Value(m.makeClass(matrixCtor, matrix)));

    Object* color = m.makeObject();
    installTable(m, color, kColorPrototype);
    color->put(QStringLiteral("rgb"), Value(), kDontEnum);
    Property* rgb = color->find(QStringLiteral("rgb"), 100);
    rgb->getter = m.makeNative(colorGetRgb);
    rgb->setter = m.makeNative(colorSetRgb);
    geom->put(QStringLiteral("ColorTransform"), Value(m.makeClass(colorCtor, color)));
}

}  // namespace pencora::avm1
