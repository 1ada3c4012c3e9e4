#include "platform/flash/runtime/scripting/clip_display_properties.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "platform/flash/avm1/array_object.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

constexpr double kDegrees = std::numbers::pi / 180.0;

constexpr std::array<const char*, 14> kBlendNames = {
    "normal", "layer",    "multiply", "screen", "lighten", "darken",  "difference",
    "add",    "subtract", "invert",   "alpha",  "erase",   "overlay", "hardlight"};

avm1::Object* filterClass(avm1::Machine& m, const char* name) {
    avm1::Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    avm1::Object* filters = flash ? m.get(flash, QStringLiteral("filters")).object() : nullptr;
    return filters ? m.get(filters, QString::fromLatin1(name)).object() : nullptr;
}

struct Reader {
    avm1::Machine& m;
    const Value& object;

    double number(const char* name) { return m.toNumber(m.getMember(object, QLatin1String(name))); }
    // NaN and infinities read as 0, as the original's filter setters clamp them.
    double finite(const char* name, double lo, double hi) {
        const double v = number(name);
        return std::isfinite(v) ? std::clamp(v, lo, hi) : 0.0;
    }
    bool boolean(const char* name) { return m.toBoolean(m.getMember(object, QLatin1String(name))); }
    QString text(const char* name) { return m.toString(m.getMember(object, QLatin1String(name))); }
    swf::Rgba color(const char* colorName, const char* alphaName) {
        const uint32_t c = uint32_t(m.toInt32(m.getMember(object, QLatin1String(colorName))));
        const double a = finite(alphaName, 0.0, 1.0);
        return swf::Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c),
                         uint8_t(std::lround(a * 255.0))};
    }
    std::vector<double> numbers(const char* name, size_t cap) {
        std::vector<double> out;
        const Value v = m.getMember(object, QLatin1String(name));
        avm1::Object* o = v.object();
        if (!o || o->kind() != avm1::ObjectKind::Array) {
            return out;
        }
        const auto& elements = static_cast<avm1::ArrayObject*>(o)->values(m);
        for (size_t i = 0; i < elements.size() && i < cap; ++i) {
            const double d = m.toNumber(elements[i]);
            out.push_back(std::isfinite(d) ? d : 0.0);
        }
        return out;
    }
    void blur(swf::Filter& f) {
        f.blurX = finite("blurX", 0, 255);
        f.blurY = finite("blurY", 0, 255);
        f.passes = uint8_t(finite("quality", 0, 15));
    }
    void offset(swf::Filter& f) {
        f.distance = finite("distance", -255, 255);
        f.angle = finite("angle", -1e6, 1e6) * kDegrees;
    }
    void bevelType(swf::Filter& f) {
        const QString type = text("type").toLower();
        f.onTop = type == u"full";
        f.inner = type == u"inner";
    }
    void gradient(swf::Filter& f) {
        const auto colors = numbers("colors", 16);
        const auto alphas = numbers("alphas", 16);
        const auto ratios = numbers("ratios", 16);
        const size_t n = std::min({colors.size(), alphas.size(), ratios.size()});
        for (size_t i = 0; i < n; ++i) {
            const uint32_t c = uint32_t(int64_t(colors[i]));
            f.gradientColors.push_back(
                swf::Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c),
                          uint8_t(std::lround(std::clamp(alphas[i], 0.0, 1.0) * 255.0))});
            f.gradientRatios.push_back(uint8_t(std::clamp(ratios[i], 0.0, 255.0)));
        }
    }
};

std::optional<swf::Filter> filterFromScript(avm1::Machine& m, const Value& v) {
    if (!v.object()) {
        return std::nullopt;
    }
    auto is = [&](const char* name) {
        avm1::Object* ctor = filterClass(m, name);
        return ctor && m.instanceOf(v, ctor);
    };
    Reader r{m, v};
    swf::Filter f;
    f.compositeSource = true;
    if (is("BlurFilter")) {
        f.type = swf::FilterType::Blur;
        r.blur(f);
    } else if (is("DropShadowFilter")) {
        f.type = swf::FilterType::DropShadow;
        r.offset(f);
        f.color = r.color("color", "alpha");
        r.blur(f);
        f.strength = r.finite("strength", 0, 255);
        f.inner = r.boolean("inner");
        f.knockout = r.boolean("knockout");
        f.compositeSource = !r.boolean("hideObject");
    } else if (is("GlowFilter")) {
        f.type = swf::FilterType::Glow;
        f.color = r.color("color", "alpha");
        r.blur(f);
        f.strength = r.finite("strength", 0, 255);
        f.inner = r.boolean("inner");
        f.knockout = r.boolean("knockout");
    } else if (is("BevelFilter")) {
        f.type = swf::FilterType::Bevel;
        r.offset(f);
        f.highlightColor = r.color("highlightColor", "highlightAlpha");
        f.color = r.color("shadowColor", "shadowAlpha");
        r.blur(f);
        f.strength = r.finite("strength", 0, 255);
        r.bevelType(f);
        f.knockout = r.boolean("knockout");
    } else if (is("GradientGlowFilter") || is("GradientBevelFilter")) {
        f.type = is("GradientGlowFilter") ? swf::FilterType::GradientGlow
                                          : swf::FilterType::GradientBevel;
        r.offset(f);
        r.gradient(f);
        r.blur(f);
        f.strength = r.finite("strength", 0, 255);
        r.bevelType(f);
        f.knockout = r.boolean("knockout");
    } else if (is("ColorMatrixFilter")) {
        f.type = swf::FilterType::ColorMatrix;
        const auto values = r.numbers("matrix", 20);
        f.matrix.assign(20, 0.0f);
        for (size_t i = 0; i < values.size(); ++i) {
            f.matrix[i] = float(values[i]);
        }
    } else if (is("ConvolutionFilter")) {
        f.type = swf::FilterType::Convolution;
        f.matrixX = uint8_t(r.finite("matrixX", 0, 15));
        f.matrixY = uint8_t(r.finite("matrixY", 0, 15));
        const size_t n = size_t(f.matrixX) * f.matrixY;
        const auto values = r.numbers("matrix", n);
        f.matrix.assign(n, 0.0f);
        for (size_t i = 0; i < values.size(); ++i) {
            f.matrix[i] = float(values[i]);
        }
        f.divisor = float(r.finite("divisor", -1e9, 1e9));
        f.bias = float(r.finite("bias", -1e9, 1e9));
        f.preserveAlpha = r.boolean("preserveAlpha");
        f.clamp = r.boolean("clamp");
        f.defaultColor = r.color("color", "alpha");
    } else {
        return std::nullopt;
    }
    return f;
}

Value colorValue(const swf::Rgba& c) {
    return Value(double((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b));
}

Value alphaValue(const swf::Rgba& c) {
    return Value(c.a / 255.0);
}

Value numberArray(avm1::Machine& m, const std::vector<Value>& values) {
    return Value(m.makeArray(values));
}

Value bevelTypeValue(const swf::Filter& f) {
    return Value(f.onTop   ? QStringLiteral("full")
                 : f.inner ? QStringLiteral("inner")
                           : QStringLiteral("outer"));
}

Value filterToScript(avm1::Machine& m, const swf::Filter& f) {
    const double angle = f.angle / kDegrees;
    std::vector<Value> args;
    const char* name = nullptr;
    switch (f.type) {
        case swf::FilterType::Blur:
            name = "BlurFilter";
            args = {Value(f.blurX), Value(f.blurY), Value(double(f.passes))};
            break;
        case swf::FilterType::DropShadow:
            name = "DropShadowFilter";
            args = {Value(f.distance),        Value(angle),
                    colorValue(f.color),      alphaValue(f.color),
                    Value(f.blurX),           Value(f.blurY),
                    Value(f.strength),        Value(double(f.passes)),
                    Value(f.inner),           Value(f.knockout),
                    Value(!f.compositeSource)};
            break;
        case swf::FilterType::Glow:
            name = "GlowFilter";
            args = {colorValue(f.color), alphaValue(f.color), Value(f.blurX),
                    Value(f.blurY),      Value(f.strength),   Value(double(f.passes)),
                    Value(f.inner),      Value(f.knockout)};
            break;
        case swf::FilterType::Bevel:
            name = "BevelFilter";
            args = {Value(f.distance),
                    Value(angle),
                    colorValue(f.highlightColor),
                    alphaValue(f.highlightColor),
                    colorValue(f.color),
                    alphaValue(f.color),
                    Value(f.blurX),
                    Value(f.blurY),
                    Value(f.strength),
                    Value(double(f.passes)),
                    bevelTypeValue(f),
                    Value(f.knockout)};
            break;
        case swf::FilterType::GradientGlow:
        case swf::FilterType::GradientBevel: {
            name = f.type == swf::FilterType::GradientGlow ? "GradientGlowFilter"
                                                           : "GradientBevelFilter";
            std::vector<Value> colors, alphas, ratios;
            for (size_t i = 0; i < f.gradientColors.size(); ++i) {
                colors.push_back(colorValue(f.gradientColors[i]));
                alphas.push_back(alphaValue(f.gradientColors[i]));
                ratios.push_back(
                    Value(double(i < f.gradientRatios.size() ? f.gradientRatios[i] : 0)));
            }
            args = {Value(f.distance),      Value(angle),           numberArray(m, colors),
                    numberArray(m, alphas), numberArray(m, ratios), Value(f.blurX),
                    Value(f.blurY),         Value(f.strength),      Value(double(f.passes)),
                    bevelTypeValue(f),      Value(f.knockout)};
            break;
        }
        case swf::FilterType::ColorMatrix: {
            name = "ColorMatrixFilter";
            std::vector<Value> values;
            for (float v : f.matrix) {
                values.push_back(Value(double(v)));
            }
            args = {numberArray(m, values)};
            break;
        }
        case swf::FilterType::Convolution: {
            name = "ConvolutionFilter";
            std::vector<Value> values;
            for (float v : f.matrix) {
                values.push_back(Value(double(v)));
            }
            args = {
                Value(double(f.matrixX)), Value(double(f.matrixY)),   numberArray(m, values),
                Value(double(f.divisor)), Value(double(f.bias)),      Value(f.preserveAlpha),
                Value(f.clamp),           colorValue(f.defaultColor), alphaValue(f.defaultColor)};
            break;
        }
    }
    avm1::Object* ctor = name ? filterClass(m, name) : nullptr;
    return ctor ? m.construct(Value(ctor), args) : Value();
}

}  // namespace

QString blendModeName(swf::BlendMode mode) {
    const int i = int(mode) - 1;
    return i >= 0 && i < int(kBlendNames.size()) ? QString::fromLatin1(kBlendNames[size_t(i)])
                                                 : QStringLiteral("normal");
}

std::optional<swf::BlendMode> blendModeFromScript(avm1::Machine& m, const Value& v) {
    if (v.isNumber()) {
        const double n = v.number();
        if (n >= 1 && n <= double(kBlendNames.size()) && n == std::floor(n)) {
            return swf::BlendMode(uint8_t(n));
        }
        return std::nullopt;
    }
    const QString name = m.toString(v);
    for (size_t i = 0; i < kBlendNames.size(); ++i) {
        if (name == QLatin1String(kBlendNames[i])) {
            return swf::BlendMode(uint8_t(i + 1));
        }
    }
    return std::nullopt;
}

std::optional<swf::Filter> oneFilterFromScript(avm1::Machine& m, const Value& v) {
    return filterFromScript(m, v);
}

std::vector<swf::Filter> filtersFromScript(avm1::Machine& m, const Value& list) {
    std::vector<swf::Filter> out;
    avm1::Object* o = list.object();
    if (!o || o->kind() != avm1::ObjectKind::Array) {
        return out;
    }
    // Copied first: reading a filter's properties may run script getters.
    const std::vector<Value> elements = static_cast<avm1::ArrayObject*>(o)->values(m);
    for (const Value& e : elements) {
        if (auto f = filterFromScript(m, e)) {
            out.push_back(std::move(*f));
        }
    }
    return out;
}

Value filtersToScript(avm1::Machine& m, const std::vector<swf::Filter>& filters) {
    std::vector<Value> values;
    for (const auto& f : filters) {
        Value v = filterToScript(m, f);
        if (v.object()) {
            values.push_back(v);
        }
    }
    return Value(m.makeArray(std::move(values)));
}

namespace {

// A clip's scroll rectangle as a fresh flash.geom.Rectangle; undefined without one or
// without that class.
Value scrollRectToScript(avm1::Machine& m, const std::optional<QRectF>& rect) {
    avm1::Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    avm1::Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    Value ctor = geom ? m.get(geom, QStringLiteral("Rectangle")) : Value();
    if (!rect || !ctor.isObject() || ctor.object()->kind() != avm1::ObjectKind::Function) {
        return Value();
    }
    std::vector<Value> args{Value(rect->x()), Value(rect->y()), Value(rect->width()),
                            Value(rect->height())};
    return m.construct(ctor, args);
}

// Any object with x, y, width and height gives a scroll rectangle (values that are not finite
// count as 0, sizes below 0 as 0); anything else takes it away.
std::optional<QRectF> scrollRectFromScript(avm1::Machine& m, const Value& v) {
    if (!v.isObject()) {
        return std::nullopt;
    }
    auto number = [&](const char* name) {
        const double d = m.toNumber(m.getMember(v, QString::fromLatin1(name)));
        return std::isfinite(d) ? std::clamp(d, -1e7, 1e7) : 0.0;
    };
    return QRectF(number("x"), number("y"), std::max(0.0, number("width")),
                  std::max(0.0, number("height")));
}

// Clips and buttons scale their shapes by a grid.
bool hasGrid(const DisplayObject& o) {
    return o.kind == ObjectKind::Clip || o.kind == ObjectKind::Button;
}

// The grid as a fresh Rectangle in pixels; undefined without one.
Value gridToScript(avm1::Machine& m, const std::optional<QRectF>& grid) {
    if (!grid) {
        return Value();
    }
    return scrollRectToScript(
        m, QRectF(grid->x() / 20, grid->y() / 20, grid->width() / 20, grid->height() / 20));
}

// Any object with x, y, width and height gives a grid (in pixels, kept in twips); anything
// else, null or undefined, takes it away.
std::optional<QRectF> gridFromScript(avm1::Machine& m, const Value& v) {
    const std::optional<QRectF> r = scrollRectFromScript(m, v);
    if (!r) {
        return std::nullopt;
    }
    return QRectF(r->x() * 20, r->y() * 20, r->width() * 20, r->height() * 20);
}

}  // namespace

bool getDisplayProperty(avm1::Machine& m, const DisplayObject& o, const QString& name, Value& out) {
    if (m.version() < 8) {
        return false;  // these arrived with Flash 8
    }
    if (name == u"filters") {
        out = filtersToScript(m, o.filters);
    } else if (name == u"blendMode") {
        out = Value(blendModeName(o.blendMode));
    } else if (name == u"cacheAsBitmap") {
        // A filtered clip is drawn as a bitmap and says so; without filters it says again
        // what was set.
        out = Value(o.cacheAsBitmap || !o.filters.empty());
    } else if (name == u"opaqueBackground") {
        out = o.opaqueBackground ? Value(double(*o.opaqueBackground)) : Value();
    } else if (name == u"scrollRect") {
        out = scrollRectToScript(m, o.scrollRect);
    } else if (name == u"scale9Grid" && hasGrid(o)) {
        out = gridToScript(m, o.scale9Grid);
    } else {
        return false;
    }
    return true;
}

bool setDisplayProperty(avm1::Machine& m, DisplayObject& o, const QString& name, const Value& v) {
    if (m.version() < 8) {
        return false;
    }
    if (name == u"filters") {
        o.filters = filtersFromScript(m, v);
    } else if (name == u"blendMode") {
        // An unknown name leaves the mode as it was.
        if (auto mode = blendModeFromScript(m, v)) {
            o.blendMode = *mode;
        }
    } else if (name == u"cacheAsBitmap") {
        o.cacheAsBitmap = m.toBoolean(v);
    } else if (name == u"opaqueBackground") {
        if (v.isUndefined() || v.isNull()) {
            o.opaqueBackground.reset();
        } else {
            o.opaqueBackground = uint32_t(m.toInt32(v)) & 0xFFFFFF;
        }
    } else if (name == u"scrollRect") {
        o.scrollRect = scrollRectFromScript(m, v);
    } else if (name == u"scale9Grid" && hasGrid(o)) {
        o.scale9Grid = gridFromScript(m, v);
    } else {
        return false;
    }
    return true;
}

}  // namespace pencora::runtime
