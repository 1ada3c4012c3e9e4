// flash.geom.Rectangle as plain script data: x, y, width and height are ordinary properties; the
// edges, corners and size are computed from them on every read and written back through them,
// so a movie that stores odd values (undefined, objects) sees them again as the original shows
// them (rectangle test: `left` is x itself, `right` is x + width as numbers).
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Object* geomCtor(Machine& m, const char* name) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    return geom ? m.get(geom, QString::fromLatin1(name)).object() : nullptr;
}

Value construct(Machine& m, const char* cls, std::vector<Value> args) {
    Object* ctor = geomCtor(m, cls);
    return ctor ? m.construct(Value(ctor), args) : Value();
}

Value field(Machine& m, const Value& o, const char* name) {
    return m.getMember(o, QString::fromLatin1(name));
}

double num(Machine& m, const Value& o, const char* name) {
    return m.toNumber(field(m, o, name));
}

void setField(Machine& m, const Value& o, const char* name, const Value& v) {
    m.setMember(o, QString::fromLatin1(name), v);
}

Value makeRect(Machine& m, const Value& x, const Value& y, const Value& w, const Value& h) {
    return construct(m, "Rectangle", {x, y, w, h});
}

// new Rectangle(): all zero; otherwise the arguments as given, missing ones undefined.
Value rectCtor(Machine&, const Value& self, std::vector<Value>& args) {
    if (!self.object()) {
        return Value();
    }
    const char* names[] = {"x", "y", "width", "height"};
    for (size_t i = 0; i < 4; ++i) {
        self.object()->put(QString::fromLatin1(names[i]), args.empty() ? Value(0) : argAt(args, i));
    }
    return Value();
}

Value rectToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(QStringLiteral("(x=%1, y=%2, w=%3, h=%4)")
                     .arg(m.toString(field(m, self, "x")), m.toString(field(m, self, "y")),
                          m.toString(field(m, self, "width")),
                          m.toString(field(m, self, "height"))));
}

Value getLeft(Machine& m, const Value& self, std::vector<Value>&) {
    return field(m, self, "x");
}
Value getTop(Machine& m, const Value& self, std::vector<Value>&) {
    return field(m, self, "y");
}
Value getRight(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(num(m, self, "x") + num(m, self, "width"));
}
Value getBottom(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(num(m, self, "y") + num(m, self, "height"));
}
Value getTopLeft(Machine& m, const Value& self, std::vector<Value>&) {
    return construct(m, "Point", {field(m, self, "x"), field(m, self, "y")});
}
Value getBottomRight(Machine& m, const Value& self, std::vector<Value>& a) {
    return construct(m, "Point", {getRight(m, self, a), getBottom(m, self, a)});
}
Value getSize(Machine& m, const Value& self, std::vector<Value>&) {
    return construct(m, "Point", {field(m, self, "width"), field(m, self, "height")});
}

// Moving an edge keeps the opposite one where it was.
Value setLeft(Machine& m, const Value& self, std::vector<Value>& args) {
    double right = num(m, self, "x") + num(m, self, "width");
    setField(m, self, "width", Value(right - m.toNumber(argAt(args, 0))));
    setField(m, self, "x", argAt(args, 0));
    return Value();
}
Value setTop(Machine& m, const Value& self, std::vector<Value>& args) {
    double bottom = num(m, self, "y") + num(m, self, "height");
    setField(m, self, "height", Value(bottom - m.toNumber(argAt(args, 0))));
    setField(m, self, "y", argAt(args, 0));
    return Value();
}
Value setRight(Machine& m, const Value& self, std::vector<Value>& args) {
    setField(m, self, "width", Value(m.toNumber(argAt(args, 0)) - num(m, self, "x")));
    return Value();
}
Value setBottom(Machine& m, const Value& self, std::vector<Value>& args) {
    setField(m, self, "height", Value(m.toNumber(argAt(args, 0)) - num(m, self, "y")));
    return Value();
}
Value setTopLeft(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> x{field(m, argAt(args, 0), "x")};
    std::vector<Value> y{field(m, argAt(args, 0), "y")};
    setLeft(m, self, x);
    setTop(m, self, y);
    return Value();
}
Value setBottomRight(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> x{field(m, argAt(args, 0), "x")};
    std::vector<Value> y{field(m, argAt(args, 0), "y")};
    setRight(m, self, x);
    setBottom(m, self, y);
    return Value();
}
Value setSize(Machine& m, const Value& self, std::vector<Value>& args) {
    setField(m, self, "width", field(m, argAt(args, 0), "x"));
    setField(m, self, "height", field(m, argAt(args, 0), "y"));
    return Value();
}

Value rectClone(Machine& m, const Value& self, std::vector<Value>&) {
    return makeRect(m, field(m, self, "x"), field(m, self, "y"), field(m, self, "width"),
                    field(m, self, "height"));
}

// NaN sizes count as empty: not (w > 0 and h > 0).
Value rectIsEmpty(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(!(num(m, self, "width") > 0 && num(m, self, "height") > 0));
}

Value rectSetEmpty(Machine& m, const Value& self, std::vector<Value>&) {
    for (const char* n : {"x", "y", "width", "height"}) {
        setField(m, self, n, Value(0));
    }
    return Value();
}

// The contains tests are script comparisons joined by &&: a NaN on the way makes the answer
// undefined, a false before it makes it false (rectangle test).
struct Test {
    double a, b;
    bool less;  // a < b, else a >= b (or a <= b with `orEqual`)
    bool orEqual = false;
};

Value allOf(std::initializer_list<Test> tests) {
    for (const Test& t : tests) {
        if (std::isnan(t.a) || std::isnan(t.b)) {
            return Value();
        }
        bool ok = t.less ? (t.orEqual ? t.a <= t.b : t.a < t.b) : t.a >= t.b;
        if (!ok) {
            return Value(false);
        }
    }
    return Value(true);
}

Value containsXY(Machine& m, const Value& r, double x, double y) {
    double rx = num(m, r, "x");
    double ry = num(m, r, "y");
    return allOf({{x, rx, false},
                  {y, ry, false},
                  {x, rx + num(m, r, "width"), true},
                  {y, ry + num(m, r, "height"), true}});
}

Value rectContains(Machine& m, const Value& self, std::vector<Value>& args) {
    return containsXY(m, self, m.toNumber(argAt(args, 0)), m.toNumber(argAt(args, 1)));
}

Value rectContainsPoint(Machine& m, const Value& self, std::vector<Value>& args) {
    Value p = argAt(args, 0);
    return containsXY(m, self, num(m, p, "x"), num(m, p, "y"));
}

Value rectContainsRectangle(Machine& m, const Value& self, std::vector<Value>& args) {
    Value o = argAt(args, 0);
    double x = num(m, o, "x"), y = num(m, o, "y");
    double r = x + num(m, o, "width"), b = y + num(m, o, "height");
    double sx = num(m, self, "x"), sy = num(m, self, "y");
    double sr = sx + num(m, self, "width"), sb = sy + num(m, self, "height");
    return allOf({{x, sx, false}, {y, sy, false}, {r, sr, true, true}, {b, sb, true, true}});
}

Value rectEquals(Machine& m, const Value& self, std::vector<Value>& args) {
    Value o = argAt(args, 0);
    // Called on no object at all (a method handed to setInterval), nothing equals it.
    if (!o.isObject() || !self.isObject() || o.object()->proto() != self.object()->proto()) {
        return Value(false);
    }
    for (const char* n : {"x", "y", "width", "height"}) {
        if (num(m, self, n) != num(m, o, n)) {
            return Value(false);
        }
    }
    return Value(true);
}

void grow(Machine& m, const Value& self, double dx, double dy) {
    setField(m, self, "x", Value(num(m, self, "x") - dx));
    setField(m, self, "width", Value(num(m, self, "width") + 2 * dx));
    setField(m, self, "y", Value(num(m, self, "y") - dy));
    setField(m, self, "height", Value(num(m, self, "height") + 2 * dy));
}

Value rectInflate(Machine& m, const Value& self, std::vector<Value>& args) {
    grow(m, self, m.toNumber(argAt(args, 0)), m.toNumber(argAt(args, 1)));
    return Value();
}

Value rectInflatePoint(Machine& m, const Value& self, std::vector<Value>& args) {
    grow(m, self, num(m, argAt(args, 0), "x"), num(m, argAt(args, 0), "y"));
    return Value();
}

void move(Machine& m, const Value& self, double dx, double dy) {
    setField(m, self, "x", Value(num(m, self, "x") + dx));
    setField(m, self, "y", Value(num(m, self, "y") + dy));
}

Value rectOffset(Machine& m, const Value& self, std::vector<Value>& args) {
    move(m, self, m.toNumber(argAt(args, 0)), m.toNumber(argAt(args, 1)));
    return Value();
}

Value rectOffsetPoint(Machine& m, const Value& self, std::vector<Value>& args) {
    move(m, self, num(m, argAt(args, 0), "x"), num(m, argAt(args, 0), "y"));
    return Value();
}

struct Box {
    double x, y, r, b;
};

Box boxOf(Machine& m, const Value& v) {
    double x = num(m, v, "x"), y = num(m, v, "y");
    return Box{x, y, x + num(m, v, "width"), y + num(m, v, "height")};
}

// NaN wins, as in the original's arithmetic (union() with nothing is all NaN).
double maxOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::max(a, b);
}

double minOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::min(a, b);
}

Value rectIntersection(Machine& m, const Value& self, std::vector<Value>& args) {
    Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
    Box c{maxOf(a.x, b.x), maxOf(a.y, b.y), minOf(a.r, b.r), minOf(a.b, b.b)};
    if (!(c.r > c.x && c.b > c.y)) {
        return makeRect(m, Value(0), Value(0), Value(0), Value(0));
    }
    return makeRect(m, Value(c.x), Value(c.y), Value(c.r - c.x), Value(c.b - c.y));
}

Value rectIntersects(Machine& m, const Value& self, std::vector<Value>& args) {
    Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
    return Value(maxOf(a.x, b.x) < minOf(a.r, b.r) && maxOf(a.y, b.y) < minOf(a.b, b.b));
}

Value rectUnion(Machine& m, const Value& self, std::vector<Value>& args) {
    Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
    Box c{minOf(a.x, b.x), minOf(a.y, b.y), maxOf(a.r, b.r), maxOf(a.b, b.b)};
    return makeRect(m, Value(c.x), Value(c.y), Value(c.r - c.x), Value(c.b - c.y));
}

const NativeEntry kPrototype[] = {
    {"toString", rectToString},
    {"clone", rectClone},
    {"isEmpty", rectIsEmpty},
    {"setEmpty", rectSetEmpty},
    {"contains", rectContains},
    {"containsPoint", rectContainsPoint},
    {"containsRectangle", rectContainsRectangle},
    {"equals", rectEquals},
    {"inflate", rectInflate},
    {"inflatePoint", rectInflatePoint},
    {"offset", rectOffset},
    {"offsetPoint", rectOffsetPoint},
    {"intersection", rectIntersection},
    {"intersects", rectIntersects},
    {"union", rectUnion},
};

struct Accessor {
    const char* name;
    NativeFn get;
    NativeFn set;
};

const Accessor kAccessors[] = {
    {"left", getLeft, setLeft},          {"top", getTop, setTop},
    {"right", getRight, setRight},       {"bottom", getBottom, setBottom},
    {"topLeft", getTopLeft, setTopLeft}, {"bottomRight", getBottomRight, setBottomRight},
    {"size", getSize, setSize},
};

}  // namespace

void installRectangle(Machine& m, Object* geom) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    for (const Accessor& a : kAccessors) {
        const QString name = QString::fromLatin1(a.name);
        proto->put(name, Value(), kDontEnum);
        Property* p = proto->find(name, 100);
        p->getter = m.makeNative(a.get);
        p->setter = m.makeNative(a.set);
    }
    FunctionObject* ctor = m.makeClass(rectCtor, proto);
    geom->put(QStringLiteral("Rectangle"), Value(ctor));
}

}  // namespace pencora::avm1
