#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/flash/render/aliased_fill.h"
#include "platform/flash/render/color_transform.h"
#include "platform/flash/render/drawable.h"
#include "platform/flash/render/filters.h"
#include "platform/flash/render/flatten.h"
#include "platform/flash/runtime/drawing/draw_backend.h"

namespace pencora::runtime {

namespace {

// A cut that is an upright rectangle, its edges moved to the nearest pixel boundaries; any
// other shape as it is.
QPainterPath onWholePixels(const QPainterPath& cut) {
    const QRectF r = cut.boundingRect();
    auto near = [](double a, double b) { return std::abs(a - b) < 1e-6; };
    for (const QPointF& p : cut.toFillPolygon()) {
        const bool corner = (near(p.x(), r.left()) || near(p.x(), r.right())) &&
                            (near(p.y(), r.top()) || near(p.y(), r.bottom()));
        if (!corner) {
            return cut;
        }
    }
    QPainterPath whole;
    whole.addRect(QRectF(QPointF(std::round(r.left()), std::round(r.top())),
                         QPointF(std::round(r.right()), std::round(r.bottom()))));
    return whole;
}

// How far beyond what is shown a filtered object is still drawn, at most (device pixels).
constexpr int kMaxSpread = 512;

std::optional<QPainter::CompositionMode> qtMode(swf::BlendMode b) {
    switch (b) {
        case swf::BlendMode::Multiply:
            return QPainter::CompositionMode_Multiply;
        case swf::BlendMode::Screen:
            return QPainter::CompositionMode_Screen;
        case swf::BlendMode::Lighten:
            return QPainter::CompositionMode_Lighten;
        case swf::BlendMode::Darken:
            return QPainter::CompositionMode_Darken;
        case swf::BlendMode::Difference:
            return QPainter::CompositionMode_Difference;
        case swf::BlendMode::Add:
            return QPainter::CompositionMode_Plus;
        case swf::BlendMode::Overlay:
            return QPainter::CompositionMode_Overlay;
        case swf::BlendMode::HardLight:
            return QPainter::CompositionMode_HardLight;
        case swf::BlendMode::Erase:
            return QPainter::CompositionMode_DestinationOut;
        case swf::BlendMode::Subtract:
        case swf::BlendMode::Invert:
        case swf::BlendMode::Alpha:
            return std::nullopt;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

// The modes Qt lacks, pixel by pixel on premultiplied pixels: subtract takes the layer's
// colour from what is below, invert turns what is below to its negative where the layer is,
// alpha scales what is below by the layer's alpha. Where the layer's alpha is zero, nothing
// changes: an alpha object leaves the group as it is outside what it draws and where it
// draws fully transparent (blend_modes/layer_alpha).
void blendByHand(QImage& below, const QImage& layer, QPoint at, swf::BlendMode mode,
                 double opacity) {
    const QRect area = QRect(at, layer.size()).intersected(below.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* d = reinterpret_cast<QRgb*>(below.scanLine(y)) + area.left();
        const auto* s =
            reinterpret_cast<const QRgb*>(layer.constScanLine(y - at.y())) + (area.left() - at.x());
        const int w = area.width();
        for (int x = 0; x < w; ++x) {
            const int sa = int(qAlpha(s[x]) * opacity);
            if (sa == 0) {
                continue;
            }
            const QRgb p = d[x];
            auto mix = [&](int below, int result) { return below + (result - below) * sa / 255; };
            if (mode == swf::BlendMode::Alpha) {
                auto scale = [&](int c) { return c * sa / 255; };
                d[x] = qRgba(scale(qRed(p)), scale(qGreen(p)), scale(qBlue(p)), scale(qAlpha(p)));
            } else if (mode == swf::BlendMode::Subtract) {
                // The layer's colours are premultiplied: they already carry its coverage.
                auto sub = [&](int b, int c) { return std::max(0, b - int(c * opacity)); };
                d[x] = qRgba(sub(qRed(p), qRed(s[x])), sub(qGreen(p), qGreen(s[x])),
                             sub(qBlue(p), qBlue(s[x])), qAlpha(p));
            } else {
                const int a = qAlpha(p);
                d[x] = qRgba(mix(qRed(p), a - qRed(p)), mix(qGreen(p), a - qGreen(p)),
                             mix(qBlue(p), a - qBlue(p)), a);
            }
        }
    }
}

// A group drawn apart and then put onto what is below: a blended object (the whole device)
// or the objects under a mask (the mask's bounds, cut by the mask's own fill, so a mask's edge
// is rasterised exactly as a fill's edge would be).
struct Layer {
    std::unique_ptr<QImage> image;
    std::unique_ptr<QPainter> painter;
    QPoint origin;  // device position of the image's top-left pixel
    // How far what is drawn into the image moves on the device: a bitmap's origin snaps to
    // a whole pixel, and so does everything drawn into it (nested layers take it over).
    QPointF shift;
    swf::BlendMode blend = swf::BlendMode::Normal;
    double opacity = 1;
    std::optional<QPainterPath> mask;  // device coordinates
    std::vector<swf::Filter> filters;
    ColorTransformF color;  // applied to the finished image
};

}  // namespace

void PainterBackend::execute(const std::vector<DrawCommand>& commands,
                             const QTransform& stageToDevice) {
    QPaintDevice* device = painter_.device();
    const QRect deviceRect(0, 0, device ? device->width() : 0, device ? device->height() : 0);
    // Filter sizes are stage pixels: they grow with the stage's scale on the device.
    const std::pair<double, double> filterScale{
        std::hypot(stageToDevice.m11(), stageToDevice.m12()),
        std::hypot(stageToDevice.m21(), stageToDevice.m22())};
    std::vector<Layer> layers;
    layers.emplace_back();
    auto painter = [&]() -> QPainter& {
        return layers.back().painter ? *layers.back().painter : painter_;
    };
    // What a new layer may cover: what the layer below shows, grown by how far filters spread
    // what lies outside it into it (a shadow cast from above the top edge).
    auto beginLayer = [&](QRect area, QPointF snap = {}, QMargins spread = {}) {
        Layer l;
        const Layer& below = layers.back();
        const QRect room = below.image ? QRect(below.origin, below.image->size()) : deviceRect;
        area = area.intersected(room.marginsAdded(spread));
        if (area.isEmpty()) {
            area = QRect(0, 0, 1, 1);
        }
        l.origin = area.topLeft();
        l.shift = layers.back().shift + snap;
        l.image = std::make_unique<QImage>(area.size(), QImage::Format_ARGB32_Premultiplied);
        l.image->fill(Qt::transparent);
        l.painter = std::make_unique<QPainter>(l.image.get());
        l.painter->setRenderHints(painter_.renderHints());
        l.painter->translate(l.shift - l.origin);
        layers.push_back(std::move(l));
        return &layers.back();
    };
    auto endLayer = [&]() {
        Layer top = std::move(layers.back());
        layers.pop_back();
        if (top.mask) {
            QImage cut(top.image->size(), QImage::Format_ARGB32_Premultiplied);
            cut.fill(Qt::transparent);
            QPainter mp(&cut);
            mp.setRenderHints(painter_.renderHints());
            mp.translate(top.shift - top.origin);
            if (mp.testRenderHint(QPainter::Antialiasing)) {
                mp.fillPath(*top.mask, Qt::white);
            } else {
                swf::render::fillAliased(mp, swf::render::flattenCurves(*top.mask), Qt::white);
            }
            mp.end();
            top.painter->resetTransform();
            top.painter->setCompositionMode(QPainter::CompositionMode_DestinationIn);
            top.painter->drawImage(0, 0, cut);
        }
        top.painter->end();
        if (!top.filters.empty()) {
            swf::render::applyFilters(*top.image, top.filters, filterScale.first,
                                      filterScale.second);
        }
        if (!top.color.isIdentity()) {
            *top.image = swf::render::apply(top.color.toFixed(), *top.image);
        }
        QPainter& below = painter();
        const auto mode = qtMode(top.blend);
        auto* belowImage = dynamic_cast<QImage*>(below.device());
        if (!mode && belowImage) {
            // The painter below draws at its own origin: a nested layer's image starts at
            // that layer's device position.
            blendByHand(*belowImage, *top.image, top.origin - layers.back().origin, top.blend,
                        top.opacity);
            return;
        }
        below.save();
        below.setCompositionMode(mode.value_or(QPainter::CompositionMode_SourceOver));
        below.setOpacity(top.opacity);
        // The image's pixels are already where they go on the device.
        below.drawImage(QPointF(top.origin) - layers.back().shift, *top.image);
        below.restore();
    };
    for (const DrawCommand& c : commands) {
        switch (c.op) {
            case DrawCommand::Op::Draw:
                if (c.drawing) {
                    QPainter& p = painter();
                    p.save();
                    c.drawing->draw(p, c.transform * stageToDevice, c.color, c.ratio);
                    p.restore();
                }
                break;
            case DrawCommand::Op::Fill: {
                QPainter& p = painter();
                p.save();
                p.setPen(Qt::NoPen);
                const QPainterPath area = stageToDevice.map(c.clip);
                // Where it lands in the image painted (a bitmap's layer may move it).
                const QPainterPath landed = p.transform().map(area);
                const QRectF box = landed.boundingRect();
                bool upright = true;
                for (int i = 0; i < landed.elementCount(); ++i) {
                    const QPointF e = landed.elementAt(i);
                    upright = upright && (e.x() == box.left() || e.x() == box.right()) &&
                              (e.y() == box.top() || e.y() == box.bottom());
                }
                if (upright) {
                    // An upright background covers the whole pixels whose centres it holds,
                    // its left and top edges included, its right and bottom edges not.
                    auto first = [](double edge) { return int(std::ceil(edge - 0.5)); };
                    const QRect pixels(QPoint(first(box.left()), first(box.top())),
                                       QPoint(first(box.right()) - 1, first(box.bottom()) - 1));
                    p.resetTransform();
                    p.fillRect(pixels, QColor::fromRgb(c.fillColor));
                } else if (!p.testRenderHint(QPainter::Antialiasing)) {
                    // Aliased, the pixel rule of every other fill.
                    swf::render::fillAliased(p, area, QColor::fromRgb(c.fillColor));
                } else {
                    p.fillPath(area, QColor::fromRgb(c.fillColor));
                }
                p.restore();
                break;
            }
            case DrawCommand::Op::PushClip: {
                QPainterPath mask = stageToDevice.map(c.clip);
                if (c.clipOnPixels) {
                    mask = onWholePixels(mask);
                }
                Layer* l = beginLayer(mask.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1));
                l->mask = std::move(mask);
                break;
            }
            case DrawCommand::Op::PopClip:
            case DrawCommand::Op::EndLayer:
                if (layers.size() > 1) {
                    endLayer();
                }
                break;
            case DrawCommand::Op::BeginLayer: {
                // A filtered or cached object is drawn into what it (and its filters) reach;
                // other blends take the whole device. An object drawn as a bitmap moves by
                // less than half a pixel so that its bitmap's corner falls on a whole pixel.
                QPointF snap;
                if (c.bitmapBounds) {
                    const QPointF corner = stageToDevice.mapRect(*c.bitmapBounds).topLeft();
                    snap = QPointF(std::floor(corner.x() + 0.5) - corner.x(),
                                   std::floor(corner.y() + 0.5) - corner.y());
                }
                const bool bounded = !c.filters.empty() ||
                                     (c.bitmapBounds &&
                                      (c.blend == swf::BlendMode::Normal || uint8_t(c.blend) == 0));
                // An object too large once filtered is drawn without its filters.
                const bool filtered =
                    !c.filters.empty() &&
                    swf::render::filtersFit(stageToDevice.mapRect(c.reach).size());
                QMargins spread;
                if (filtered) {
                    // Bounded so that hostile sizes cannot ask for a huge image.
                    const QMargins m =
                        swf::render::filterReach(c.filters, filterScale.first, filterScale.second);
                    auto cap = [](int v) { return std::clamp(v, 0, kMaxSpread); };
                    spread = QMargins(cap(m.left()), cap(m.top()), cap(m.right()), cap(m.bottom()));
                }
                Layer* l = beginLayer(
                    bounded ? stageToDevice.mapRect(c.reach).toAlignedRect().adjusted(-2, -2, 2, 2)
                            : deviceRect,
                    snap, spread);
                if (filtered) {
                    l->filters = c.filters;
                }
                l->color = c.color;
                l->blend = c.blend;
                l->opacity = c.opacity;
                break;
            }
        }
    }
    while (layers.size() > 1) {
        endLayer();
    }
}

void CountingBackend::execute(const std::vector<DrawCommand>& commands, const QTransform&) {
    for (const DrawCommand& c : commands) {
        if (c.op == DrawCommand::Op::Draw) {
            ++draws;
        } else if (c.op == DrawCommand::Op::PushClip) {
            ++clips;
        }
    }
}

}  // namespace pencora::runtime
