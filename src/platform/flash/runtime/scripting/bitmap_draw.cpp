// BitmapData.draw(source, matrix, colorTransform, blendMode, clipRect, smoothing): a clip, button
// or text field (with its children, masks, filters and blends, in its own coordinates and
// without its own placement, colour transform or visibility) or another BitmapData painted
// into the bitmap's pixels by the renderer that draws the stage.
#include <QPainter>

#include <cmath>
#include <optional>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/runtime/drawing/draw_backend.h"
#include "platform/flash/runtime/drawing/draw_list.h"
#include "platform/flash/runtime/scripting/bitmap_store.h"
#include "platform/flash/runtime/scripting/clip_display_properties.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Value;

namespace {

constexpr double kFailed = -1;

double field(Machine& m, const Value& o, const char* name, double fallback) {
    const Value v = m.getMember(o, QString::fromLatin1(name));
    if (v.isUndefined()) {
        return fallback;
    }
    const double n = m.toNumber(v);
    return std::isfinite(n) ? n : fallback;
}

// A flash.geom.Matrix (or any object with its six fields); identity when none is given.
// Null when its numbers cannot place anything.
std::optional<QTransform> matrixOf(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return QTransform();
    }
    const QTransform t(field(m, v, "a", 1), field(m, v, "b", 0), field(m, v, "c", 0),
                       field(m, v, "d", 1), field(m, v, "tx", 0), field(m, v, "ty", 0));
    if (!t.isInvertible()) {
        return std::nullopt;
    }
    return t;
}

ColorTransformF colorOf(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return {};
    }
    return {field(m, v, "redMultiplier", 1),  field(m, v, "greenMultiplier", 1),
            field(m, v, "blueMultiplier", 1), field(m, v, "alphaMultiplier", 1),
            field(m, v, "redOffset", 0),      field(m, v, "greenOffset", 0),
            field(m, v, "blueOffset", 0),     field(m, v, "alphaOffset", 0)};
}

// The pixels the drawing may change: the clip rectangle (bitmap pixels, a partly covered
// pixel counted in) cut to the bitmap, or the whole bitmap.
QRect areaOf(Machine& m, const Value& v, const QRect& bitmap) {
    if (!v.isObject()) {
        return bitmap;
    }
    const double x = field(m, v, "x", 0);
    const double y = field(m, v, "y", 0);
    const double w = field(m, v, "width", 0);
    const double h = field(m, v, "height", 0);
    if (w <= 0 || h <= 0) {
        return {};
    }
    auto clamp = [](double d) { return int(std::clamp(d, -1e8, 1e8)); };
    const QRect r(QPoint(clamp(std::floor(x)), clamp(std::floor(y))),
                  QPoint(clamp(std::ceil(x + w)) - 1, clamp(std::ceil(y + h)) - 1));
    return r.intersected(bitmap);
}

// The source as draw commands in its own pixels; empty when it draws nothing.
std::vector<DrawCommand> sourceCommands(Machine& m, const Value& source, bool buffered,
                                        bool smoothing) {
    if (avm1::BitmapDataObject* bitmap = bitmapDataOf(source)) {
        std::vector<DrawCommand> out;
        if (auto drawing = makeBitmapDrawing(pixelsOf(*bitmap), smoothing)) {
            DrawCommand c;
            c.drawing = std::move(drawing);
            c.transform = QTransform::fromScale(1.0 / 20, 1.0 / 20);
            out.push_back(std::move(c));
        }
        return out;
    }
    const DisplayObject* object =
        source.isObject() ? hostOf(m).displayOf(source.object()) : nullptr;
    return object ? buildObjectDrawList(*object, buffered) : std::vector<DrawCommand>{};
}

// The colour transform given to draw acts after everything the source applies itself; the
// blend mode composites the whole source at once.
void applyArguments(std::vector<DrawCommand>& commands, const ColorTransformF& color,
                    std::optional<swf::BlendMode> blend) {
    if (!color.isIdentity()) {
        for (DrawCommand& c : commands) {
            if (c.op == DrawCommand::Op::Draw ||
                (c.op == DrawCommand::Op::BeginLayer && c.bitmapBounds)) {
                c.color = color.after(c.color);
            }
        }
    }
    if (blend && *blend != swf::BlendMode::Normal) {
        DrawCommand begin;
        begin.op = DrawCommand::Op::BeginLayer;
        begin.blend = *blend;
        commands.insert(commands.begin(), std::move(begin));
        DrawCommand end;
        end.op = DrawCommand::Op::EndLayer;
        commands.push_back(std::move(end));
    }
}

Value draw(Machine& m, const Value& self, std::vector<Value>& args) {
    avm1::BitmapDataObject* bitmap = bitmapDataOf(self);
    if (!bitmap || bitmap->disposed() || args.empty()) {
        return Value(kFailed);
    }
    const std::optional<QTransform> matrix = matrixOf(m, argAt(args, 1));
    const QRect area = areaOf(m, argAt(args, 4), QRect(0, 0, bitmap->width(), bitmap->height()));
    if (!matrix || area.isEmpty()) {
        return {};
    }
    const bool smoothing = args.size() > 5 && m.toBoolean(args[5]);
    std::vector<DrawCommand> commands =
        sourceCommands(m, args[0], bitmap->transparent(), smoothing);
    if (commands.empty()) {
        return {};
    }
    const Value blendArg = argAt(args, 3);
    applyArguments(commands, colorOf(m, argAt(args, 2)),
                   blendArg.isUndefined() || blendArg.isNull() ? std::nullopt
                                                               : blendModeFromScript(m, blendArg));
    QImage image = pixelsOf(*bitmap);
    if (image.isNull()) {
        return {};
    }
    {
        QPainter painter(&image);
        const bool antialias = hostOf(m).player().highQuality();
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
        PainterBackend(painter).execute(commands, *matrix);
    }
    storePainted(*bitmap, image, QPoint(0, 0), area);
    return {};
}

}  // namespace

void installBitmapDrawing(Machine& m) {
    if (avm1::Object* proto = bitmapDataPrototype(m)) {
        proto->putNative(m, QStringLiteral("draw"), draw);
    }
}

}  // namespace pencora::runtime
