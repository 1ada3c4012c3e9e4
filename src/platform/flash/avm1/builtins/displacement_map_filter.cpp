// flash.filters.DisplacementMapFilter. Its parameters are plain properties like the other
// filters' except mapPoint, which the filter keeps as two whole numbers: reading it gives a new
// Point, and assigning reads both coordinates of what is given before it reports a failed
// conversion.
#include <cmath>
#include <optional>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

class DisplacementFilterObject : public Object {
  public:
    explicit DisplacementFilterObject(Object* proto) : Object(proto, ObjectKind::Host) {}
    int32_t mapX = 0;
    int32_t mapY = 0;
};

DisplacementFilterObject* filterOf(const Value& v) {
    return dynamic_cast<DisplacementFilterObject*>(nativeOf(v.object()));
}

// A coordinate as the filter stores it: truncated; what does not fit (NaN too) is the
// smallest int.
int32_t coordinate(double d) {
    if (!std::isfinite(d) || d >= 2147483648.0 || d <= -2147483649.0) {
        return INT32_MIN;
    }
    return int32_t(std::trunc(d));
}

Value makePoint(Machine& m, int32_t x, int32_t y) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    Value ctor = geom ? m.get(geom, QStringLiteral("Point")) : Value();
    std::vector<Value> args{Value(double(x)), Value(double(y))};
    return ctor.object() ? m.construct(ctor, args) : Value();
}

void assignMapPoint(Machine& m, DisplacementFilterObject& f, const Value& v) {
    Object* o = v.object();
    const QString xName = QStringLiteral("x");
    const QString yName = QStringLiteral("y");
    const bool complete = o && m.hasProperty(o, xName) && m.hasProperty(o, yName);
    // Both coordinates are converted whatever happens to the first; the first failure is
    // thrown once both are stored.
    std::optional<ScriptThrow> failure;
    auto convert = [&](const QString& name) {
        if (!o) {
            return INT32_MIN;
        }
        try {
            return coordinate(m.toNumber(m.get(o, name)));
        } catch (ScriptThrow& t) {
            if (!failure) {
                failure = t;
            }
            return INT32_MIN;
        }
    };
    const int32_t x = convert(xName);
    const int32_t y = convert(yName);
    if (complete) {
        f.mapX = x;
        f.mapY = y;
    } else {
        f.mapX = f.mapY = 0;
    }
    if (failure) {
        throw *failure;
    }
}

Value getMapPoint(Machine& m, const Value& self, std::vector<Value>&) {
    DisplacementFilterObject* f = filterOf(self);
    return f ? makePoint(m, f->mapX, f->mapY) : Value();
}

Value setMapPoint(Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplacementFilterObject* f = filterOf(self)) {
        assignMapPoint(m, *f, argAt(args, 0));
    }
    return Value();
}

struct Param {
    const char* name;
    Value (*fallback)(Machine&);
};

const Param kParams[] = {
    {"mapBitmap", [](Machine&) { return Value::null(); }},
    {"mapPoint", nullptr},
    {"componentX", [](Machine&) { return Value(0); }},
    {"componentY", [](Machine&) { return Value(0); }},
    {"scaleX", [](Machine&) { return Value(0); }},
    {"scaleY", [](Machine&) { return Value(0); }},
    {"mode", [](Machine&) { return Value("wrap"); }},
    {"color", [](Machine&) { return Value(0); }},
    {"alpha", [](Machine&) { return Value(0); }},
};

// A map given that is no bitmap (null too) is kept as undefined.
Value kept(size_t param, const Value& given) {
    if (param == 0 && !dynamic_cast<BitmapDataObject*>(nativeOf(given.object()))) {
        return Value();
    }
    return given;
}

Value construct(Machine& m, const Value& self, std::vector<Value>& args) {
    if (!self.object()) {
        return Value();
    }
    Object* proto = self.object()->proto();
    auto* f = m.heap().make<DisplacementFilterObject>(proto);
    f->put(QStringLiteral("__constructor__"), m.get(self.object(), "__constructor__"), kDontEnum);
    for (size_t i = 0; i < std::size(kParams); ++i) {
        const Value given = argAt(args, i);
        if (!kParams[i].fallback) {
            if (!given.isUndefined()) {
                assignMapPoint(m, *f, given);
            }
            continue;
        }
        f->put(QString::fromLatin1(kParams[i].name),
               given.isUndefined() ? kParams[i].fallback(m) : kept(i, given));
    }
    return Value(f);
}

Value call(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

Value clone(Machine& m, const Value& self, std::vector<Value>&) {
    DisplacementFilterObject* f = filterOf(self);
    if (!f) {
        return Value();
    }
    std::vector<Value> args;
    for (const Param& p : kParams) {
        args.push_back(p.fallback ? m.getMember(self, QString::fromLatin1(p.name))
                                  : makePoint(m, f->mapX, f->mapY));
    }
    Value ctor = m.get(f, QStringLiteral("__constructor__"));
    return m.construct(ctor, args);
}

}  // namespace

void installDisplacementMapFilter(Machine& m, Object* package, Object* baseProto) {
    Object* proto = m.heap().make<Object>(baseProto);
    proto->putNative(m, QStringLiteral("clone"), clone);
    proto->put(QStringLiteral("mapPoint"), Value(), kDontEnum);
    Property* p = proto->find(QStringLiteral("mapPoint"), 100);
    p->getter = m.makeNative(getMapPoint);
    p->setter = m.makeNative(setMapPoint);
    FunctionObject* ctor = m.makeClass(call, proto, construct);
    package->put(QStringLiteral("DisplacementMapFilter"), Value(ctor));
}

}  // namespace pencora::avm1
