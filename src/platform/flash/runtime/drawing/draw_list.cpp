#include "platform/flash/runtime/drawing/draw_list.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/flash/render/filters.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/drawing/scale9_grid.h"

namespace pencora::runtime {

namespace {

constexpr double kTwip = 1.0 / 20.0;

// A scroll rectangle's shown area in the clip's own twips.
QRectF shownArea(const QRectF& scrollRect) {
    return QRectF(0, 0, scrollRect.width() / kTwip, scrollRect.height() / kTwip);
}

// The area an object covers, in stage pixels, for use as a mask. A clip with a scroll
// rectangle covers what it shows: its content moved by the rectangle and cut to it.
void addOutline(const DisplayObject& o, const QTransform& parentToStage, QPainterPath& into) {
    const QTransform t = toTransform(o.matrix) * parentToStage;
    const QTransform content = scrollShift(o) * t;
    QPainterPath own;
    own.setFillRule(Qt::WindingFill);
    if (o.drawing) {
        own.addPath(content.map(o.drawing->maskArea(o.ratio)));
    }
    if (const CharacterDrawing* drawn = drawnGraphics(o)) {
        own.addPath(content.map(drawn->outline(0)));
    }
    for (const auto& [d, c] : o.children) {
        if (c->visible && c->clipDepth == 0) {
            addOutline(*c, content, own);
        }
    }
    if (o.scrollRect) {
        QPainterPath shown;
        shown.addPolygon(t.map(QPolygonF(shownArea(*o.scrollRect))));
        shown.closeSubpath();
        own = own.intersected(shown);
    }
    into.addPath(own);
}

// What an object and its children draw, in stage pixels.
QRectF contentBounds(const DisplayObject& o, const QTransform& parentToStage) {
    const QTransform t = toTransform(o.matrix) * parentToStage;
    if (o.scrollRect) {
        return t.mapRect(shownArea(*o.scrollRect));
    }
    QRectF r;
    if (o.drawing) {
        r = t.mapRect(o.drawing->bounds(o.ratio));
    }
    if (const CharacterDrawing* drawn = drawnGraphics(o)) {
        r |= t.mapRect(drawn->bounds(0));
    }
    for (const auto& [d, c] : o.children) {
        if (c->visible && c->clipDepth == 0) {
            r |= contentBounds(*c, t);
        }
    }
    return r;
}

// What a clip's script drew with the drawing API, in the clip's content coordinates.
void drawGraphics(const DisplayObject& o, const QTransform& content, const ColorTransformF& cx,
                  std::vector<DrawCommand>& out) {
    if (auto drawn = drawnGraphicsShared(o)) {
        DrawCommand c;
        c.drawing = std::move(drawn);
        c.transform = content;
        c.color = cx;
        c.serial = o.graphics->serial();
        out.push_back(std::move(c));
    }
}

// An object's character.
void drawCharacter(const DisplayObject& o, const QTransform& content, const ColorTransformF& cx,
                   std::vector<DrawCommand>& out) {
    if (o.drawing) {
        DrawCommand c;
        c.drawing = o.drawing;
        c.transform = content;
        c.color = cx;
        c.ratio = o.ratio;
        c.shown = o.drawing->shownAt(o.ratio);
        c.serial = o.serial;
        out.push_back(std::move(c));
    }
}

// What an object draws itself, below its children: its character, then its script's drawing.
void drawOwn(const DisplayObject& o, const QTransform& content, const ColorTransformF& cx,
             std::vector<DrawCommand>& out) {
    drawCharacter(o, content, cx, out);
    drawGraphics(o, content, cx, out);
}

// The declared bounds of an object and its children, in the object's own twips.
QRectF localBounds(const DisplayObject& o) {
    if (o.scrollRect) {
        return shownArea(*o.scrollRect);
    }
    QRectF r;
    if (o.drawing) {
        r = o.drawing->declaredBounds(o.ratio);
    }
    for (const auto& [d, c] : o.children) {
        if (c->visible && c->clipDepth == 0) {
            r |= toTransform(c->matrix).mapRect(localBounds(*c));
        }
    }
    return r;
}

DrawCommand popClip() {
    DrawCommand c;
    c.op = DrawCommand::Op::PopClip;
    return c;
}

// The clip a scroll rectangle (pixels) cuts to: its size at the clip's origin.
DrawCommand scrollClip(const QRectF& rect, const QTransform& toStage, uint64_t serial) {
    DrawCommand c;
    c.op = DrawCommand::Op::PushClip;
    const QRectF shown(0, 0, rect.width() / kTwip, rect.height() / kTwip);
    c.clip.addPolygon(toStage.map(QPolygonF(shown)));
    c.clip.closeSubpath();
    c.serial = serial;
    return c;
}

// The clip a script's mask cuts to: the mask's area where it stands on the stage, wherever
// it sits in the display list.
DrawCommand scriptMask(const DisplayObject& mask) {
    DrawCommand c;
    c.op = DrawCommand::Op::PushClip;
    const QTransform parentToStage = (mask.parent ? worldTransform(*mask.parent) : QTransform()) *
                                     QTransform::fromScale(kTwip, kTwip);
    addOutline(mask, parentToStage, c.clip);
    c.clip.setFillRule(Qt::WindingFill);
    c.serial = mask.serial;
    return c;
}

// A clip's scaling grid at work while its children are walked: the regions and the clip's
// parent's transform to the stage.
struct GridScaling {
    std::vector<Scale9Slice> slices;
    QTransform parentToStage;
};

// The grid a clip or button scales its shapes by, when it applies.
std::optional<GridScaling> gridScalingOf(const DisplayObject& o, const QTransform& parentToStage) {
    GridScaling g{gridSlicesOf(o), parentToStage};
    if (g.slices.empty()) {
        return std::nullopt;
    }
    return g;
}

// A drawing placed by `own` inside a grid-scaled clip: once per region, cut to the region.
void drawSliced(DrawCommand c, const QTransform& own, const GridScaling& g,
                std::vector<DrawCommand>& out) {
    for (const Scale9Slice& s : g.slices) {
        const QTransform toStage = s.toParent * g.parentToStage;
        DrawCommand clip;
        clip.op = DrawCommand::Op::PushClip;
        clip.clip.addPolygon(toStage.map(QPolygonF(s.local)));
        clip.clip.closeSubpath();
        clip.clipOnPixels = true;
        clip.serial = c.serial;
        out.push_back(std::move(clip));
        DrawCommand piece = c;
        piece.transform = own * toStage;
        out.push_back(std::move(piece));
        DrawCommand pop;
        pop.op = DrawCommand::Op::PopClip;
        out.push_back(std::move(pop));
    }
}

struct Walker {
    std::vector<DrawCommand>& out;
    int buffered = 0;  // ancestors of what is being walked drawn into a buffer of their own
    // The grid of the clip whose children are being walked, when it has one at work.
    const GridScaling* grid = nullptr;

    // What `o` draws itself, its shape cut by the grid of the clip it is in when there is one.
    void drawOwnOrSliced(const DisplayObject& o, const QTransform& content,
                         const ColorTransformF& cx) {
        const size_t before = out.size();
        drawCharacter(o, content, cx, out);
        if (!grid || o.kind != ObjectKind::Shape || out.size() == before) {
            return;
        }
        DrawCommand shape = std::move(out.back());
        out.pop_back();
        drawSliced(std::move(shape), toTransform(o.matrix), *grid, out);
    }

    // Walks a clip's children, with its grid at work when it has one; what its script drew
    // goes under them, cut by the grid too.
    void walkChildren(const DisplayObject& o, const QTransform& parentToStage,
                      const QTransform& content, const ColorTransformF& cx) {
        const std::optional<GridScaling> own = gridScalingOf(o, parentToStage);
        const GridScaling* outer = grid;
        grid = own ? &*own : nullptr;
        if (own && drawnGraphics(o)) {
            DrawCommand c;
            c.drawing = drawnGraphicsShared(o);
            c.color = cx;
            c.serial = o.graphics->serial();
            drawSliced(std::move(c), QTransform(), *own, out);
        } else {
            drawGraphics(o, content, cx, out);
        }
        if (!o.children.empty()) {
            if (o.childClip) {
                DrawCommand c;
                c.op = DrawCommand::Op::PushClip;
                c.clip.addPolygon(content.map(QPolygonF(*o.childClip)));
                c.clip.closeSubpath();
                c.serial = o.serial;
                out.push_back(std::move(c));
            }
            walk(o, content, cx);
            if (o.childClip) {
                out.push_back(popClip());
            }
        }
        grid = outer;
    }

    void walk(const DisplayObject& container, const QTransform& toStage,
              const ColorTransformF& color) {
        std::vector<int> maskEnds;  // clip depths of the masks now pushed, innermost last
        for (const auto& [depth, child] : container.children) {
            while (!maskEnds.empty() && depth > maskEnds.back()) {
                out.push_back(popClip());
                maskEnds.pop_back();
            }
            const DisplayObject& o = *child;
            if (o.clipDepth > 0) {
                DrawCommand c;
                c.op = DrawCommand::Op::PushClip;
                addOutline(o, toStage, c.clip);
                c.clip.setFillRule(Qt::WindingFill);
                c.serial = o.serial;
                out.push_back(std::move(c));
                maskEnds.push_back(o.clipDepth);
                continue;
            }
            if (!o.visible || (o.masking && onDisplayList(*o.masking))) {
                continue;  // a script's mask is not drawn itself
            }
            const bool masked = o.maskedBy && onDisplayList(*o.maskedBy);
            if (masked) {
                out.push_back(scriptMask(*o.maskedBy));
            }
            const QTransform t = toTransform(o.matrix) * toStage;
            ColorTransformF own = ColorTransformF::from(o.colorTransform);
            const swf::BlendMode blend = o.blendMode;
            // Alpha and erase change the alpha of the buffer an ancestor is drawn into: a
            // layer, any other blend, a cached or filtered bitmap. Without one they would
            // change the stage's, which shows opaque: the object shows nothing.
            if ((blend == swf::BlendMode::Alpha || blend == swf::BlendMode::Erase) &&
                buffered == 0) {
                continue;
            }
            const bool asBitmap = o.cacheAsBitmap || !o.filters.empty();
            const bool layered =
                (blend != swf::BlendMode::Normal && uint8_t(blend) != 0) || asBitmap;
            // An object drawn as a bitmap is drawn without its colour transform, or those of
            // its parents; the bitmap, filters applied, takes them all at once.
            ColorTransformF cx = color.after(own);
            if (layered) {
                // The layer takes the object's alpha as a whole, not each part of it.
                DrawCommand c;
                c.op = DrawCommand::Op::BeginLayer;
                c.blend = blend;
                c.opacity = asBitmap ? 1.0 : std::clamp(own.aMult, 0.0, 1.0);
                if (asBitmap) {
                    c.color = cx;
                    cx = ColorTransformF{};
                }
                c.serial = o.serial;
                c.filters = o.filters;
                if (!o.filters.empty()) {
                    const QMargins m = swf::render::filterReach(o.filters, 1, 1);
                    c.reach = contentBounds(o, toStage).marginsAdded(QMarginsF(m));
                }
                if (asBitmap) {
                    c.bitmapBounds = t.mapRect(localBounds(o));
                    if (o.filters.empty()) {
                        c.reach = contentBounds(o, toStage) | *c.bitmapBounds;
                    }
                }
                if (!asBitmap) {
                    own.aMult = 1;
                    cx = color.after(own);
                }
                out.push_back(std::move(c));
            }
            // A scroll rectangle shows the part of the clip's own space it names at the clip's
            // origin, cut to its size; what the clip draws moves with it, its matrix does not.
            QTransform content = t;
            if (o.scrollRect) {
                out.push_back(scrollClip(*o.scrollRect, t, o.serial));
                content = QTransform::fromTranslate(-o.scrollRect->x() / kTwip,
                                                    -o.scrollRect->y() / kTwip) *
                          t;
            }
            if (o.opaqueBackground) {
                // The object's bounds filled with the colour, below what it draws.
                const QRectF area = localBounds(o);
                if (!area.isEmpty()) {
                    DrawCommand c;
                    c.op = DrawCommand::Op::Fill;
                    // A scroll rectangle's area stays where the clip is; content moves.
                    c.clip.addPolygon((o.scrollRect ? t : content).map(QPolygonF(area)));
                    c.clip.closeSubpath();
                    c.fillColor = *o.opaqueBackground;
                    c.serial = o.serial;
                    out.push_back(std::move(c));
                }
            }
            drawOwnOrSliced(o, content, cx);
            buffered += layered ? 1 : 0;
            walkChildren(o, toStage, content, cx);
            buffered -= layered ? 1 : 0;
            if (o.scrollRect) {
                out.push_back(popClip());
            }
            if (layered) {
                DrawCommand c;
                c.op = DrawCommand::Op::EndLayer;
                out.push_back(std::move(c));
            }
            if (masked) {
                out.push_back(popClip());
            }
        }
        while (!maskEnds.empty()) {
            out.push_back(popClip());
            maskEnds.pop_back();
        }
    }
};

QRectF boundsOf(const DrawCommand& c) {
    if (c.op == DrawCommand::Op::Draw && c.drawing) {
        return c.transform.mapRect(c.drawing->bounds(c.ratio)).adjusted(-1, -1, 1, 1);
    }
    if (c.op == DrawCommand::Op::BeginLayer) {
        return c.reach;
    }
    return c.clip.boundingRect();
}

bool sameDraw(const DrawCommand& a, const DrawCommand& b) {
    return a.drawing == b.drawing && a.transform == b.transform && a.color == b.color &&
           a.shown == b.shown;
}

}  // namespace

std::vector<DrawCommand> buildDrawList(const Player& player) {
    std::vector<DrawCommand> out;
    Walker w{out};
    const QTransform toStage = QTransform::fromScale(kTwip, kTwip);
    for (int layer : player.layers()) {
        const DisplayObject* root = player.root(layer);
        if (root && root->visible) {
            const QTransform t = toTransform(root->matrix) * toStage;
            const ColorTransformF color = ColorTransformF::from(root->colorTransform);
            drawGraphics(*root, t, color, out);
            w.walk(*root, t, color);
        }
    }
    return out;
}

std::vector<DrawCommand> buildObjectDrawList(const DisplayObject& object, bool buffered) {
    std::vector<DrawCommand> out;
    Walker w{out, buffered ? 1 : 0};
    const QTransform content = QTransform::fromScale(kTwip, kTwip);
    drawOwn(object, content, ColorTransformF{}, out);
    w.walk(object, content, ColorTransformF{});
    return out;
}

std::optional<QRectF> changedArea(const std::vector<DrawCommand>& before,
                                  const std::vector<DrawCommand>& after) {
    std::vector<ColorTransformF> colors;  // the layers' colour transforms, before then after
    auto clipsOf = [&colors](const std::vector<DrawCommand>& l) {
        std::vector<std::pair<DrawCommand::Op, uint64_t>> seq;
        std::vector<const DrawCommand*> pushes;
        for (const auto& c : l) {
            if (c.op != DrawCommand::Op::Draw) {
                seq.emplace_back(c.op, c.serial);
            }
            if (c.op == DrawCommand::Op::BeginLayer) {
                seq.emplace_back(c.op, uint64_t(c.blend) << 32 | uint64_t(c.opacity * 65535));
                colors.push_back(c.color);
            }
            if (c.op == DrawCommand::Op::PushClip || c.op == DrawCommand::Op::Fill) {
                pushes.push_back(&c);
            }
        }
        return std::make_pair(seq, pushes);
    };
    auto [seqA, pushA] = clipsOf(before);
    const size_t layersBefore = colors.size();
    auto [seqB, pushB] = clipsOf(after);
    bool masksChanged = seqA != seqB || !std::equal(colors.begin(), colors.begin() + layersBefore,
                                                    colors.begin() + layersBefore, colors.end());
    for (size_t i = 0; !masksChanged && i < pushA.size(); ++i) {
        masksChanged =
            pushA[i]->clip != pushB[i]->clip || pushA[i]->fillColor != pushB[i]->fillColor;
    }
    // Filters spread what an object draws beyond its own bounds: any change under them
    // (or to them) redraws all they reach.
    auto layersOf = [](const std::vector<DrawCommand>& l) {
        std::vector<const DrawCommand*> out;
        for (const auto& c : l) {
            if (c.op == DrawCommand::Op::BeginLayer && !c.filters.empty()) {
                out.push_back(&c);
            }
        }
        return out;
    };
    const auto filteredA = layersOf(before);
    const auto filteredB = layersOf(after);
    masksChanged = masksChanged || filteredA.size() != filteredB.size();
    for (size_t i = 0; !masksChanged && i < filteredA.size(); ++i) {
        masksChanged = filteredA[i]->filters != filteredB[i]->filters ||
                       filteredA[i]->reach != filteredB[i]->reach;
    }
    std::map<uint64_t, const DrawCommand*> a;
    std::vector<uint64_t> orderA;
    for (const auto& c : before) {
        if (c.op == DrawCommand::Op::Draw) {
            a[c.serial] = &c;
            orderA.push_back(c.serial);
        }
    }
    QRectF area;
    bool any = masksChanged;
    std::vector<uint64_t> orderB;
    for (const auto& c : after) {
        if (c.op != DrawCommand::Op::Draw) {
            continue;
        }
        auto it = a.find(c.serial);
        if (it == a.end()) {
            area |= boundsOf(c);
            any = true;
            continue;
        }
        orderB.push_back(c.serial);
        if (!sameDraw(*it->second, c)) {
            area |= boundsOf(*it->second) | boundsOf(c);
            any = true;
        }
        a.erase(it);
    }
    for (const auto& [s, c] : a) {
        area |= boundsOf(*c);
        any = true;
    }
    std::erase_if(orderA, [&](uint64_t s) { return a.count(s) > 0; });
    if (orderA != orderB) {
        masksChanged = true;  // drawing order changed: redraw all that is drawn
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    for (const auto* layers : {&filteredA, &filteredB}) {
        for (const DrawCommand* c : *layers) {
            if (c->reach.intersects(area)) {
                area |= c->reach;
            }
        }
    }
    if (masksChanged) {
        for (const auto& c : before) {
            area |= boundsOf(c);
        }
        for (const auto& c : after) {
            area |= boundsOf(c);
        }
    }
    return area;
}

}  // namespace pencora::runtime
