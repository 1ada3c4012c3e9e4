// BitmapData.applyFilter and generateFilterRect: one flash.filters object run over a
// rectangle of a bitmap by the renderer's filters, at one stage pixel per bitmap pixel.
//
// applyFilter(source, sourceRect, destPoint, filter): the source's pixels inside sourceRect
// (nothing outside it, so its edges fade out as a clip's would) are filtered, and every pixel
// the filter reaches (generateFilterRect of sourceRect) replaces this bitmap's pixel at the
// same place moved from sourceRect's corner to destPoint; the rest stays. The source may be
// this bitmap. Like the methods that copy, a source that is no bitmap answers -2, a disposed
// one -3, a missing rectangle -4; a filter that is none of the flash.filters answers -1.
//
// generateFilterRect(sourceRect, filter): the rectangle applyFilter changes for that source
// rectangle: a blur or outer glow grows it on every side by what its passes reach, a drop
// shadow also by its offset on the side it falls to, a bevel by its offset on both sides;
// inner glows, shadows and bevels and colour matrices keep it; a convolution grows it by half
// its matrix.
#include <cmath>
#include <optional>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/render/filters.h"
#include "platform/flash/runtime/scripting/bitmap_store.h"
#include "platform/flash/runtime/scripting/clip_display_properties.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Value;
using swf::FilterType;

namespace {

constexpr double kFailed = -1;
constexpr double kNoSource = -2;
constexpr double kSourceDisposed = -3;
constexpr double kNoRectangle = -4;

// Any object with x, y, width and height, each read as a whole number.
std::optional<QRect> rectOf(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return std::nullopt;
    }
    int fields[4];
    const char* names[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        const Value f = m.getMember(v, QString::fromLatin1(names[i]));
        if (f.isUndefined()) {
            return std::nullopt;
        }
        fields[i] = std::clamp(m.toInt32(f), -(1 << 24), 1 << 24);
    }
    return QRect(fields[0], fields[1], fields[2], fields[3]);
}

// How far one pass of a box blur of `blur` pixels reaches past its pixel, times the passes.
int blurReach(double blur, int passes) {
    const double box = std::clamp(blur, 0.0, 255.0);
    return box <= 1 ? 0 : int(std::ceil((box - 1) / 2)) * std::clamp(passes, 1, 15);
}

// Grows `r` by what `f` reaches around the pixels it is given.
QRect filteredArea(const QRect& r, const swf::Filter& f) {
    if (f.type == FilterType::ColorMatrix) {
        return r;
    }
    if (f.type == FilterType::Convolution) {
        return r.adjusted(-(f.matrixX / 2), -(f.matrixY / 2), f.matrixX / 2, f.matrixY / 2);
    }
    if (f.inner && f.type != FilterType::Blur) {
        return r;
    }
    const int rx = blurReach(f.blurX, f.passes);
    const int ry = blurReach(f.blurY, f.passes);
    QMargins grow(rx, ry, rx, ry);
    const bool offset = f.type == FilterType::DropShadow || f.type == FilterType::Bevel ||
                        f.type == FilterType::GradientGlow || f.type == FilterType::GradientBevel;
    if (offset) {
        const int dx = int(std::ceil(std::abs(std::cos(f.angle) * f.distance) - 1e-9));
        const int dy = int(std::ceil(std::abs(std::sin(f.angle) * f.distance) - 1e-9));
        const bool bothSides = f.type == FilterType::Bevel || f.type == FilterType::GradientBevel;
        const bool right = std::cos(f.angle) * f.distance > 0;
        const bool down = std::sin(f.angle) * f.distance > 0;
        grow += QMargins(bothSides || !right ? dx : 0, bothSides || !down ? dy : 0,
                         bothSides || right ? dx : 0, bothSides || down ? dy : 0);
    }
    return r.marginsAdded(grow);
}

Value generateFilterRect(Machine& m, const Value& self, std::vector<Value>& args) {
    avm1::BitmapDataObject* bitmap = bitmapDataOf(self);
    if (!bitmap || bitmap->disposed() || args.size() < 2) {
        return Value(kFailed);
    }
    const std::optional<QRect> r = rectOf(m, args[0]);
    const std::optional<swf::Filter> f = oneFilterFromScript(m, args[1]);
    if (!r || !f) {
        return Value(kFailed);
    }
    const QRect out = filteredArea(*r, *f);
    std::vector<Value> fields{Value(out.x()), Value(out.y()), Value(out.width()),
                              Value(out.height())};
    const Value geom =
        m.getMember(m.get(m.global(), QStringLiteral("flash")), QStringLiteral("geom"));
    const Value rectangle =
        geom.isObject() ? m.getMember(geom, QStringLiteral("Rectangle")) : Value();
    return rectangle.isObject() ? m.construct(rectangle, fields) : Value(kFailed);
}

// The source's pixels inside `r` filtered, in an image whose corner is `area`'s.
QImage filteredPixels(const avm1::BitmapDataObject& source, const QRect& r, const QRect& area,
                      const swf::Filter& f) {
    const std::vector<swf::Filter> filters{f};
    const QRect room = area.marginsAdded(swf::render::filterReach(filters, 1, 1));
    QImage image(room.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::transparent);
    const QRect inside = r.intersected(QRect(0, 0, source.width(), source.height()));
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y - room.top()));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            row[x - room.left()] = source.raw(x, y);
        }
    }
    swf::render::applyFilters(image, filters, 1, 1);
    return image.copy(area.translated(-room.topLeft()));
}

Value applyFilter(Machine& m, const Value& self, std::vector<Value>& args) {
    avm1::BitmapDataObject* dest = bitmapDataOf(self);
    if (!dest || dest->disposed() || args.size() < 4) {
        return Value(kFailed);
    }
    avm1::BitmapDataObject* source = bitmapDataOf(args[0]);
    if (!source) {
        return Value(kNoSource);
    }
    if (source->disposed()) {
        return Value(kSourceDisposed);
    }
    const std::optional<QRect> r = rectOf(m, args[1]);
    if (!r) {
        return Value(kNoRectangle);
    }
    QPoint at;
    if (args[2].isObject()) {
        at = QPoint(
            std::clamp(m.toInt32(m.getMember(args[2], QStringLiteral("x"))), -(1 << 24), 1 << 24),
            std::clamp(m.toInt32(m.getMember(args[2], QStringLiteral("y"))), -(1 << 24), 1 << 24));
    }
    const std::optional<swf::Filter> f = oneFilterFromScript(m, args[3]);
    if (!f) {
        return Value(kFailed);
    }
    // Only the part that lands on this bitmap is filtered.
    const QPoint shift = at - r->topLeft();
    const QRect area = filteredArea(*r, *f).intersected(
        QRect(0, 0, dest->width(), dest->height()).translated(-shift));
    if (area.isEmpty() || !swf::render::filtersFit(QSizeF(area.size()))) {
        return Value(0);
    }
    m.tick(uint64_t(area.width()) * uint64_t(area.height()) / 16);
    const QImage image = filteredPixels(*source, *r, area, *f);
    if (!image.isNull()) {
        const QPoint corner = area.topLeft() + shift;
        storePainted(*dest, image, corner, QRect(corner, image.size()));
    }
    return Value(0);
}

}  // namespace

void installBitmapFilters(Machine& m) {
    if (avm1::Object* proto = bitmapDataPrototype(m)) {
        proto->putNative(m, QStringLiteral("applyFilter"), applyFilter);
        proto->putNative(m, QStringLiteral("generateFilterRect"), generateFilterRect);
    }
}

}  // namespace pencora::runtime
