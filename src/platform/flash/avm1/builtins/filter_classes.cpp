// The flash.filters classes as plain script data: each constructor takes its parameters in
// the documented order and stores them (or the default) as properties; clone() copies them
// into a new object of the same class. The runtime reads these properties when a clip's
// `filters` is set, so a filter changed after it was assigned changes nothing until it is
// assigned again, as in the original.
#include <array>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

struct Param {
    enum class Kind { Number, Boolean, String, Matrix, EmptyArray, Null };
    const char* name;
    Kind kind;
    double number = 0;
    const char* text = nullptr;
};

using K = Param::Kind;

struct FilterClass {
    const char* name;
    std::vector<Param> params;
};

const std::array<FilterClass, 8>& filterClasses() {
    // The gradient glow and the gradient bevel take the same parameters.
    static const std::vector<Param> gradient = {
        {"distance", K::Number, 4},      {"angle", K::Number, 45},    {"colors", K::EmptyArray},
        {"alphas", K::EmptyArray},       {"ratios", K::EmptyArray},   {"blurX", K::Number, 4},
        {"blurY", K::Number, 4},         {"strength", K::Number, 1},  {"quality", K::Number, 1},
        {"type", K::String, 0, "inner"}, {"knockout", K::Boolean, 0},
    };
    static const std::array<FilterClass, 8> classes = {{
        {"BlurFilter",
         {{"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"quality", K::Number, 1}}},
        {"DropShadowFilter",
         {{"distance", K::Number, 4},
          {"angle", K::Number, 45},
          {"color", K::Number, 0},
          {"alpha", K::Number, 1},
          {"blurX", K::Number, 4},
          {"blurY", K::Number, 4},
          {"strength", K::Number, 1},
          {"quality", K::Number, 1},
          {"inner", K::Boolean, 0},
          {"knockout", K::Boolean, 0},
          {"hideObject", K::Boolean, 0}}},
        {"GlowFilter",
         {{"color", K::Number, 0xFF0000},
          {"alpha", K::Number, 1},
          {"blurX", K::Number, 6},
          {"blurY", K::Number, 6},
          {"strength", K::Number, 2},
          {"quality", K::Number, 1},
          {"inner", K::Boolean, 0},
          {"knockout", K::Boolean, 0}}},
        {"BevelFilter",
         {{"distance", K::Number, 4},
          {"angle", K::Number, 45},
          {"highlightColor", K::Number, 0xFFFFFF},
          {"highlightAlpha", K::Number, 1},
          {"shadowColor", K::Number, 0},
          {"shadowAlpha", K::Number, 1},
          {"blurX", K::Number, 4},
          {"blurY", K::Number, 4},
          {"strength", K::Number, 1},
          {"quality", K::Number, 1},
          {"type", K::String, 0, "inner"},
          {"knockout", K::Boolean, 0}}},
        {"GradientGlowFilter", gradient},
        {"GradientBevelFilter", gradient},
        {"ColorMatrixFilter", {{"matrix", K::Matrix}}},
        {"ConvolutionFilter",
         {{"matrixX", K::Number, 0},
          {"matrixY", K::Number, 0},
          {"matrix", K::EmptyArray},
          {"divisor", K::Number, 1},
          {"bias", K::Number, 0},
          {"preserveAlpha", K::Boolean, 1},
          {"clamp", K::Boolean, 1},
          {"color", K::Number, 0},
          {"alpha", K::Number, 0}}},
    }};
    return classes;
}

Value defaultOf(Machine& m, const Param& p) {
    switch (p.kind) {
        case K::Number:
            return Value(p.number);
        case K::Boolean:
            return Value(p.number != 0);
        case K::String:
            return Value(QString::fromLatin1(p.text));
        case K::Matrix: {
            std::vector<Value> identity(20, Value(0));
            for (int i = 0; i < 4; ++i) {
                identity[size_t(i) * 6] = Value(1);
            }
            return Value(m.makeArray(std::move(identity)));
        }
        case K::EmptyArray:
            return Value(m.makeArray());
        case K::Null:
            return Value::null();
    }
    return Value();
}

// An argument as the filter keeps it: numbers and flags converted, an array copied so that
// the filter does not share it with the caller.
Value copied(Machine& m, const Param& p, const Value& v) {
    Object* o = nativeOf(v.object());
    if (o && o->kind() == ObjectKind::Array) {
        return Value(m.makeArray(static_cast<ArrayObject*>(o)->values(m)));
    }
    switch (p.kind) {
        case K::Number:
            return Value(m.toNumber(v));
        case K::Boolean:
            return Value(m.toBoolean(v));
        default:
            return v;
    }
}

// The constructor, by `new` or by a subclass's super(): it converts every argument, but only
// the first run on an object sets the parameters; the object then carries a native part
// (empty: the parameters are its own properties) that marks it as made.
template <size_t I>
Value filterCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o) {
        return Value();
    }
    const auto& params = filterClasses()[I].params;
    std::vector<Value> values;
    for (size_t i = 0; i < params.size(); ++i) {
        const Value given = argAt(args, i);
        values.push_back(given.isUndefined() ? defaultOf(m, params[i])
                                             : copied(m, params[i], given));
    }
    if (o->nativePart()) {
        return self;
    }
    for (size_t i = 0; i < params.size(); ++i) {
        o->put(QString::fromLatin1(params[i].name), values[i]);
    }
    o->setNativePart(m.heap().make<Object>(nullptr, ObjectKind::Host));
    return self;
}

template <size_t I>
Value filterClone(Machine& m, const Value& self, std::vector<Value>&) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* filters = flash ? m.get(flash, QStringLiteral("filters")).object() : nullptr;
    const Value ctor =
        filters ? m.get(filters, QString::fromLatin1(filterClasses()[I].name)) : Value();
    std::vector<Value> args;
    for (const Param& p : filterClasses()[I].params) {
        args.push_back(m.getMember(self, QString::fromLatin1(p.name)));
    }
    return ctor.object() ? m.construct(ctor, args) : Value();
}

Value bitmapFilterCtor(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

template <size_t I>
void installOne(Machine& m, Object* package, Object* baseProto) {
    Object* proto = m.heap().make<Object>(baseProto);
    proto->putNative(m, QStringLiteral("clone"), filterClone<I>);
    FunctionObject* ctor = m.makeClass(filterCtor<I>, proto);
    package->put(QString::fromLatin1(filterClasses()[I].name), Value(ctor));
}

template <size_t... I>
void installAll(Machine& m, Object* package, Object* baseProto, std::index_sequence<I...>) {
    (installOne<I>(m, package, baseProto), ...);
}

}  // namespace

void installFilterClasses(Machine& m) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* package = flash ? m.get(flash, QStringLiteral("filters")).object() : nullptr;
    if (!package) {
        return;
    }
    Object* baseProto = m.makeObject();
    FunctionObject* base = m.makeClass(bitmapFilterCtor, baseProto);
    package->put(QStringLiteral("BitmapFilter"), Value(base));
    installAll(m, package, baseProto, std::make_index_sequence<8>());
    installDisplacementMapFilter(m, package, baseProto);
}

}  // namespace pencora::avm1
