// The drawing methods of MovieClip: what a script draws goes into the clip's ClipGraphics
// (clip_graphics.h) in twips. Colours are 0xRRGGBB with alpha in percent; line thickness is
// in pixels (0 a hairline, at most 255); gradient matrices are either {a, b, c, d, tx, ty}
// (or the older {a, b, d, e, g, h} of a 3x3 matrix) mapping the 1638.4-pixel gradient square
// into the clip, or a {matrixType: "box", x, y, w, h, r} box the gradient spans; bitmap fills
// paint a BitmapData's pixels.
#include <cmath>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

constexpr double kGradientSquare = 1638.4;  // pixels

ClipGraphics* graphicsOf(Machine& m, const Value& self) {
    DisplayObject* clip = thisClip(m, self);
    if (!clip || !clip->isClip()) {
        return nullptr;
    }
    if (!clip->graphics) {
        clip->graphics = std::make_shared<ClipGraphics>(hostOf(m).player().nextSerial());
    }
    return clip->graphics.get();
}

uint8_t alphaByte(Machine& m, const Value& v) {
    if (v.isUndefined()) {
        return 255;
    }
    const double a = m.toNumber(v);
    return std::isnan(a) ? 0 : uint8_t(std::lround(std::clamp(a, 0.0, 100.0) * 2.55));
}

swf::Rgba colour(Machine& m, const Value& rgb, uint8_t alpha) {
    const uint32_t c = uint32_t(m.toInt32(rgb));
    return {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), alpha};
}

bool point(Machine& m, const std::vector<Value>& args, size_t i, QPointF& out) {
    const double x = m.toNumber(argAt(args, i));
    const double y = m.toNumber(argAt(args, i + 1));
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return false;
    }
    // Kept inside what twips can hold.
    out = QPointF(std::clamp(x, -1e7, 1e7) * 20, std::clamp(y, -1e7, 1e7) * 20);
    return true;
}

double member(Machine& m, Object* o, const char* name) {
    return m.toNumber(m.get(o, QString::fromLatin1(name)));
}

swf::Matrix gradientMatrix(Machine& m, const Value& v) {
    swf::Matrix out;
    Object* o = v.object();
    if (!o) {
        return out;
    }
    double a, b, c, d, tx, ty;
    if (m.toString(m.get(o, QStringLiteral("matrixType"))) == u"box") {
        const double w = member(m, o, "w"), h = member(m, o, "h"), r = member(m, o, "r");
        const double sx = w / kGradientSquare, sy = h / kGradientSquare;
        a = sx * std::cos(r);
        b = sy * std::sin(r);
        c = -sx * std::sin(r);
        d = sy * std::cos(r);
        tx = member(m, o, "x") + w / 2;
        ty = member(m, o, "y") + h / 2;
    } else if (m.hasProperty(o, QStringLiteral("tx"))) {
        a = member(m, o, "a");
        b = member(m, o, "b");
        c = member(m, o, "c");
        d = member(m, o, "d");
        tx = member(m, o, "tx");
        ty = member(m, o, "ty");
    } else {
        a = member(m, o, "a");
        b = member(m, o, "b");
        c = member(m, o, "d");
        d = member(m, o, "e");
        tx = member(m, o, "g");
        ty = member(m, o, "h");
    }
    auto finite = [](double x) { return std::isfinite(x) ? x : 0.0; };
    out.a = finite(a);
    out.b = finite(b);
    out.c = finite(c);
    out.d = finite(d);
    out.tx = int32_t(std::clamp(std::round(finite(tx) * 20), -2e9, 2e9));
    out.ty = int32_t(std::clamp(std::round(finite(ty) * 20), -2e9, 2e9));
    return out;
}

// beginGradientFill's and lineGradientStyle's arguments as a fill style; nullopt when they do
// not make a gradient (unknown type, arrays missing or of different lengths).
std::optional<swf::FillStyle> gradientFill(Machine& m, const std::vector<Value>& args) {
    const QString type = m.toString(argAt(args, 0));
    Object* colors = argAt(args, 1).object();
    Object* alphas = argAt(args, 2).object();
    Object* ratios = argAt(args, 3).object();
    if ((type != u"linear" && type != u"radial") || !colors || !alphas || !ratios) {
        return std::nullopt;
    }
    const int n = m.toInt32(m.get(colors, QStringLiteral("length")));
    if (n <= 0 || n != m.toInt32(m.get(alphas, QStringLiteral("length"))) ||
        n != m.toInt32(m.get(ratios, QStringLiteral("length")))) {
        return std::nullopt;
    }
    swf::FillStyle f;
    f.type = type == u"linear" ? swf::FillType::LinearGradient : swf::FillType::RadialGradient;
    for (int i = 0; i < std::min(n, 15); ++i) {
        const QString k = QString::number(i);
        swf::GradientStop s;
        s.color = colour(m, m.get(colors, k), alphaByte(m, m.get(alphas, k)));
        // A ratio that is no number counts as 0.
        const double ratio = m.toNumber(m.get(ratios, k));
        s.ratio = std::isnan(ratio) ? 0 : uint8_t(std::clamp(ratio, 0.0, 255.0));
        f.gradient.stops.push_back(s);
    }
    f.matrix = gradientMatrix(m, argAt(args, 4));
    const QString spread = m.toString(argAt(args, 5));
    f.gradient.spread = spread == u"reflect"  ? swf::SpreadMode::Reflect
                        : spread == u"repeat" ? swf::SpreadMode::Repeat
                                              : swf::SpreadMode::Pad;
    if (m.toString(argAt(args, 6)) == u"linearRGB") {
        f.gradient.interpolation = swf::InterpolationMode::Linear;
    }
    const double focal = m.toNumber(argAt(args, 7));
    if (f.type == swf::FillType::RadialGradient && std::isfinite(focal) && focal != 0) {
        // The focal point is kept as a movie file keeps it, in 8.8 fixed point (0.9 is
        // 230/256): the gradient's colours follow that value.
        f.type = swf::FillType::FocalGradient;
        f.gradient.focalPoint = std::trunc(std::clamp(focal, -1.0, 1.0) * 256) / 256;
    }
    return f;
}

Value beginFill(Machine& m, const Value& self, std::vector<Value>& args) {
    if (ClipGraphics* g = graphicsOf(m, self)) {
        if (args.empty() || args[0].isUndefined()) {
            g->endFill();
        } else {
            swf::FillStyle f;
            f.color = colour(m, args[0], alphaByte(m, argAt(args, 1)));
            g->beginFill(f);
        }
    }
    return {};
}

Value beginGradientFill(Machine& m, const Value& self, std::vector<Value>& args) {
    if (ClipGraphics* g = graphicsOf(m, self)) {
        if (auto f = gradientFill(m, args)) {
            g->beginFill(*f);
        } else {
            g->endFill();
        }
    }
    return {};
}

// mc.beginBitmapFill(bitmap[, matrix[, repeat[, smoothing]]]): `matrix` (a flash.geom.Matrix,
// in pixels) places the bitmap's pixels in the clip; without repeat the edge pixels stretch
// beyond the bitmap. The pixels are taken as they are now.
Value beginBitmapFill(Machine& m, const Value& self, std::vector<Value>& args) {
    ClipGraphics* g = graphicsOf(m, self);
    if (!g) {
        return {};
    }
    Object* o = argAt(args, 0).object();
    auto* bitmap = o && o->kind() == avm1::ObjectKind::Host
                       ? dynamic_cast<avm1::BitmapDataObject*>(o)
                       : nullptr;
    if (!bitmap || bitmap->disposed()) {
        g->endFill();
        return {};
    }
    QImage image(bitmap->width(), bitmap->height(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        g->endFill();
        return {};
    }
    for (int y = 0; y < bitmap->height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < bitmap->width(); ++x) {
            row[x] = bitmap->raw(x, y);
        }
    }
    const bool repeat = args.size() < 3 || args[2].isUndefined() || m.toBoolean(args[2]);
    const bool smooth = args.size() > 3 && m.toBoolean(args[3]);
    swf::FillStyle f;
    f.type = repeat ? (smooth ? swf::FillType::RepeatingBitmap : swf::FillType::RepeatingBitmapHard)
                    : (smooth ? swf::FillType::ClippedBitmap : swf::FillType::ClippedBitmapHard);
    // A bitmap fill's matrix takes one pixel of the bitmap to 20 twips.
    f.matrix.a = f.matrix.d = 20;
    if (Object* mx = argAt(args, 1).object()) {
        auto finite = [&m, mx](const char* name, double fallback) {
            const double v = member(m, mx, name);
            return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : fallback;
        };
        f.matrix.a = 20 * finite("a", 1);
        f.matrix.b = 20 * finite("b", 0);
        f.matrix.c = 20 * finite("c", 0);
        f.matrix.d = 20 * finite("d", 1);
        f.matrix.tx = int32_t(std::lround(20 * finite("tx", 0)));
        f.matrix.ty = int32_t(std::lround(20 * finite("ty", 0)));
    }
    g->beginBitmapFill(f, image);
    return {};
}

Value endFill(Machine& m, const Value& self, std::vector<Value>&) {
    if (ClipGraphics* g = graphicsOf(m, self)) {
        g->endFill();
    }
    return {};
}

swf::CapStyle capStyle(const QString& s) {
    return s == u"none"     ? swf::CapStyle::None
           : s == u"square" ? swf::CapStyle::Square
                            : swf::CapStyle::Round;
}

swf::JoinStyle joinStyle(const QString& s) {
    return s == u"bevel"   ? swf::JoinStyle::Bevel
           : s == u"miter" ? swf::JoinStyle::Miter
                           : swf::JoinStyle::Round;
}

Value lineStyle(Machine& m, const Value& self, std::vector<Value>& args) {
    ClipGraphics* g = graphicsOf(m, self);
    if (!g) {
        return {};
    }
    const double thickness = m.toNumber(argAt(args, 0));
    if (args.empty() || args[0].isUndefined() || std::isnan(thickness)) {
        g->lineStyle(std::nullopt);
        return {};
    }
    swf::LineStyle l;
    l.width = uint16_t(std::lround(std::clamp(thickness, 0.0, 255.0) * 20));
    l.color = colour(m, argAt(args, 1), alphaByte(m, argAt(args, 2)));
    l.pixelHinting = m.toBoolean(argAt(args, 3));
    if (args.size() > 4 && !args[4].isUndefined()) {
        const QString scale = m.toString(args[4]);
        l.noHScale = scale == u"none" || scale == u"horizontal";
        l.noVScale = scale == u"none" || scale == u"vertical";
    }
    if (args.size() > 5 && !args[5].isUndefined()) {
        l.startCap = l.endCap = capStyle(m.toString(args[5]));
    }
    if (args.size() > 6 && !args[6].isUndefined()) {
        l.join = joinStyle(m.toString(args[6]));
    }
    if (args.size() > 7 && !args[7].isUndefined()) {
        // Out of range (infinities too) is clamped; what is no number counts as not given.
        const double limit = m.toNumber(args[7]);
        l.miterLimit = std::isnan(limit) ? 3.0 : std::clamp(limit, 1.0, 255.0);
    }
    g->lineStyle(l);
    return {};
}

Value lineGradientStyle(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    ClipGraphics* g = graphicsOf(m, self);
    if (!clip || !g) {
        return {};
    }
    auto line = g->currentLine();
    if (!line) {
        return {};  // a gradient for lines only colours a line style already set
    }
    line->fill = gradientFill(m, args);
    g->lineStyle(line);
    return {};
}

Value moveTo(Machine& m, const Value& self, std::vector<Value>& args) {
    QPointF p;
    if (ClipGraphics* g = graphicsOf(m, self); g && point(m, args, 0, p)) {
        g->moveTo(p);
    }
    return {};
}

Value lineTo(Machine& m, const Value& self, std::vector<Value>& args) {
    QPointF p;
    if (ClipGraphics* g = graphicsOf(m, self); g && point(m, args, 0, p)) {
        g->lineTo(p);
    }
    return {};
}

Value curveTo(Machine& m, const Value& self, std::vector<Value>& args) {
    QPointF c, a;
    if (ClipGraphics* g = graphicsOf(m, self); g && point(m, args, 0, c) && point(m, args, 2, a)) {
        g->curveTo(c, a);
    }
    return {};
}

Value clear(Machine& m, const Value& self, std::vector<Value>&) {
    if (ClipGraphics* g = graphicsOf(m, self)) {
        g->clear();
    }
    return {};
}

}  // namespace

void installClipDrawing(Machine& m, Object* proto) {
    struct Entry {
        const char* name;
        avm1::NativeFn fn;
    };
    static const Entry kMethods[] = {
        {"beginFill", beginFill},
        {"beginGradientFill", beginGradientFill},
        {"endFill", endFill},
        {"lineStyle", lineStyle},
        {"lineGradientStyle", lineGradientStyle},
        {"moveTo", moveTo},
        {"lineTo", lineTo},
        {"curveTo", curveTo},
        {"clear", clear},
    };
    for (const Entry& e : kMethods) {
        proto->putNative(m, QString::fromLatin1(e.name), e.fn);
    }
    proto->putNative(m, QStringLiteral("beginBitmapFill"), beginBitmapFill,
                     avm1::kDontEnum | avm1::kVersion8);
}

}  // namespace pencora::runtime
