// flash.geom.Point as plain script data: x and y properties, the arithmetic methods, and the
// package objects _global.flash.geom / flash.filters that the runtime fills further.
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Object* pointProto(Machine& m) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    Object* ctor = geom ? m.get(geom, QStringLiteral("Point")).object() : nullptr;
    return ctor ? m.get(ctor, QStringLiteral("prototype")).object() : nullptr;
}

Value makePoint(Machine& m, const Value& x, const Value& y) {
    Object* p = m.heap().make<Object>(pointProto(m));
    p->put(QStringLiteral("x"), x);
    p->put(QStringLiteral("y"), y);
    return Value(p);
}

Value xOf(Machine& m, const Value& v) {
    return m.getMember(v, QStringLiteral("x"));
}

Value yOf(Machine& m, const Value& v) {
    return m.getMember(v, QStringLiteral("y"));
}

// new Point(): 0, 0; new Point(x): y stays undefined.
Value pointCtor(Machine&, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value();
    }
    if (args.empty()) {
        o->put(QStringLiteral("x"), Value(0));
        o->put(QStringLiteral("y"), Value(0));
    } else {
        o->put(QStringLiteral("x"), args[0]);
        o->put(QStringLiteral("y"), argAt(args, 1));
    }
    return Value();
}

Value pointToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(QStringLiteral("(x=") + m.toString(xOf(m, self)) + QStringLiteral(", y=") +
                 m.toString(yOf(m, self)) + QStringLiteral(")"));
}

Value sum(Machine& m, const Value& a, const Value& b, double sign) {
    return Value(m.toNumber(a) + sign * m.toNumber(b));
}

Value pointAdd(Machine& m, const Value& self, std::vector<Value>& args) {
    Value other = argAt(args, 0);
    return makePoint(m, sum(m, xOf(m, self), xOf(m, other), 1),
                     sum(m, yOf(m, self), yOf(m, other), 1));
}

Value pointSubtract(Machine& m, const Value& self, std::vector<Value>& args) {
    Value other = argAt(args, 0);
    return makePoint(m, sum(m, xOf(m, self), xOf(m, other), -1),
                     sum(m, yOf(m, self), yOf(m, other), -1));
}

Value pointClone(Machine& m, const Value& self, std::vector<Value>&) {
    return makePoint(m, xOf(m, self), yOf(m, self));
}

Value pointEquals(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = argAt(args, 0).object();
    if (!o) {
        return Value(false);
    }
    return Value(m.toNumber(xOf(m, self)) == m.toNumber(xOf(m, args[0])) &&
                 m.toNumber(yOf(m, self)) == m.toNumber(yOf(m, args[0])));
}

Value pointOffset(Machine& m, const Value& self, std::vector<Value>& args) {
    m.setMember(self, QStringLiteral("x"), sum(m, xOf(m, self), argAt(args, 0), 1));
    m.setMember(self, QStringLiteral("y"), sum(m, yOf(m, self), argAt(args, 1), 1));
    return Value();
}

Value pointNormalize(Machine& m, const Value& self, std::vector<Value>& args) {
    double x = m.toNumber(xOf(m, self));
    double y = m.toNumber(yOf(m, self));
    double len = std::hypot(x, y);
    double want = m.toNumber(argAt(args, 0));
    if (len > 0) {
        m.setMember(self, QStringLiteral("x"), Value(x * want / len));
        m.setMember(self, QStringLiteral("y"), Value(y * want / len));
    }
    return Value();
}

Value pointLength(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(std::hypot(m.toNumber(xOf(m, self)), m.toNumber(yOf(m, self))));
}

bool isPoint(Machine& m, const Value& v) {
    Object* proto = pointProto(m);
    int guard = 0;
    for (Object* p = v.object() ? v.object()->proto() : nullptr; p && guard < 64;
         p = p->proto(), ++guard) {
        if (p == proto) {
            return true;
        }
    }
    return false;
}

// Only a real Point as the first argument gives a distance (point test).
Value pointDistance(Machine& m, const Value&, std::vector<Value>& args) {
    Value a = argAt(args, 0);
    Value b = argAt(args, 1);
    if (!isPoint(m, a)) {
        return Value();
    }
    return Value(std::hypot(m.toNumber(xOf(m, a)) - m.toNumber(xOf(m, b)),
                            m.toNumber(yOf(m, a)) - m.toNumber(yOf(m, b))));
}

Value pointInterpolate(Machine& m, const Value&, std::vector<Value>& args) {
    Value a = argAt(args, 0);
    Value b = argAt(args, 1);
    double f = m.toNumber(argAt(args, 2));
    double bx = m.toNumber(xOf(m, b));
    double by = m.toNumber(yOf(m, b));
    return makePoint(m, Value(bx + f * (m.toNumber(xOf(m, a)) - bx)),
                     Value(by + f * (m.toNumber(yOf(m, a)) - by)));
}

Value pointPolar(Machine& m, const Value&, std::vector<Value>& args) {
    double len = m.toNumber(argAt(args, 0));
    double angle = m.toNumber(argAt(args, 1));
    return makePoint(m, Value(len * std::cos(angle)), Value(len * std::sin(angle)));
}

const NativeEntry kPointPrototype[] = {
    {"toString", pointToString},   {"add", pointAdd},       {"subtract", pointSubtract},
    {"clone", pointClone},         {"equals", pointEquals}, {"offset", pointOffset},
    {"normalize", pointNormalize},
};

const NativeEntry kPointStatics[] = {
    {"distance", pointDistance},
    {"interpolate", pointInterpolate},
    {"polar", pointPolar},
};

}  // namespace

void installGeometry(Machine& m) {
    Object* flash = m.makeObject();
    Object* geom = m.makeObject();
    Object* filters = m.makeObject();
    flash->put(QStringLiteral("geom"), Value(geom));
    flash->put(QStringLiteral("filters"), Value(filters));
    m.global()->put(QStringLiteral("flash"), Value(flash), kDontEnum);

    Object* proto = m.makeObject();
    installTable(m, proto, kPointPrototype);
    Property* length = nullptr;
    proto->put(QStringLiteral("length"), Value(), kDontEnum);
    length = proto->find(QStringLiteral("length"), 10);
    length->getter = m.makeNative(pointLength);
    FunctionObject* ctor = m.makeClass(pointCtor, proto);
    installTable(m, ctor, kPointStatics);
    geom->put(QStringLiteral("Point"), Value(ctor));
    installRectangle(m, geom);
    installMatrixAndColorTransform(m, geom);
    installTransformClass(m, geom);
}

}  // namespace pencora::avm1
