#include "platform/flash/runtime/display/clip_bounds.h"

#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/drawing/scale9_grid.h"

#include <cmath>

namespace pencora::runtime {

namespace {

// Bounds kept as edges, so that a clip scaled to nothing still has a place (a point).
struct Extent {
    bool any = false;
    double left = 0, top = 0, right = 0, bottom = 0;
    void add(const QRectF& r) {
        if (!any) {
            left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
            any = true;
            return;
        }
        left = std::min(left, r.left());
        top = std::min(top, r.top());
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
    }
};

void addBounds(const DisplayObject& o, const QTransform& t, bool withStrokes, Extent& into) {
    if (o.scrollRect) {
        // A clip with a scroll rectangle shows that much of itself, wherever its content lies.
        into.add(t.mapRect(QRectF(0, 0, o.scrollRect->width() * 20, o.scrollRect->height() * 20)));
        return;
    }
    auto add = [&](const CharacterDrawing& d) {
        const QRectF local =
            withStrokes ? d.declaredBounds(o.shownRatio) : d.edgeBounds(o.shownRatio);
        if (!local.isNull()) {
            into.add(t.mapRect(local));
        }
    };
    if (o.drawing) {
        add(*o.drawing);
    }
    if (const CharacterDrawing* g = drawnGraphics(o)) {
        add(*g);
    }
    // Children cut to a rectangle (a text field's pictures) count only as far as it.
    Extent children;
    for (const auto& [d, c] : o.children) {
        if (c->clipDepth == 0) {
            addBounds(*c, toTransform(c->matrix) * t, withStrokes, o.childClip ? children : into);
        }
    }
    if (o.childClip && children.any) {
        const QRectF shown =
            QRectF(QPointF(children.left, children.top), QPointF(children.right, children.bottom)) &
            t.mapRect(*o.childClip);
        if (!shown.isEmpty()) {
            into.add(shown);
        }
    }
}

// Static text drawn with the advanced anti-aliasing has no outlines to hit: a shape hit test
// finds it anywhere inside its box on the stage, as a plain hit test does.
bool hitsAsItsBox(const DisplayObject& o) {
    if (o.kind != ObjectKind::Text || !o.movie || !o.movie->movie) {
        return false;
    }
    const auto& settings = o.movie->movie->textSettings;
    const auto it = settings.find(o.characterId);
    return it != settings.end() && it->second.advanced;
}

bool insideStageBox(const DisplayObject& o, const QTransform& toStage, QPointF stage) {
    const auto b = contentBounds(o, toStage, true);
    return b && b->left() <= stage.x() && stage.x() <= b->right() && b->top() <= stage.y() &&
           stage.y() <= b->bottom();
}

// What `o` and its children paint at the stage point. A clip a script masked counts only
// where its mask paints too, and a child under a timeline mask only where that mask paints.
bool hitsShape(const DisplayObject& o, const QTransform& toStage, QPointF stage,
               bool asMask = false) {
    if (!asMask && o.maskedBy &&
        !hitsShape(*o.maskedBy, worldTransform(*o.maskedBy), stage, true)) {
        return false;
    }
    if (o.scrollRect && !insideScrollRects(o, stage)) {
        return false;
    }
    // Such text masks with its letters, though: as a mask it is hit on them alone.
    if (!asMask && hitsAsItsBox(o)) {
        return insideStageBox(o, toStage, stage);
    }
    const QTransform contentToStage = scrollShift(o) * toStage;
    bool invertible = false;
    const QPointF local = contentToStage.inverted(&invertible).map(stage);
    if (!invertible) {
        return false;
    }
    if (o.drawing && o.drawing->hitsShape(local, o.shownRatio, contentToStage)) {
        return true;
    }
    // A grid at work places the clip's drawn graphics and shapes region by region.
    const std::vector<Scale9Slice> slices = gridSlicesOf(o);
    const std::optional<GridPoint> inGrid =
        slices.empty() ? std::nullopt : gridPointOf(slices, o, toStage, stage);
    const CharacterDrawing* g = drawnGraphics(o);
    if (g &&
        (slices.empty() ? g->hitsShape(local, o.shownRatio, contentToStage)
                        : inGrid && g->hitsShape(inGrid->local, o.shownRatio, inGrid->toStage))) {
        return true;
    }
    const DisplayObject* mask = nullptr;
    QTransform maskToStage;
    for (const auto& [depth, c] : o.children) {
        const QTransform childToStage = toTransform(c->matrix) * contentToStage;
        if (c->clipDepth > 0) {
            mask = c.get();
            maskToStage = childToStage;
            continue;
        }
        if (mask && depth > mask->clipDepth) {
            mask = nullptr;
        }
        if (mask && !hitsShape(*mask, maskToStage, stage, true)) {
            continue;
        }
        if (!slices.empty() && c->kind == ObjectKind::Shape) {
            if (inGrid && hitsShape(*c, toTransform(c->matrix) * inGrid->toStage, stage, asMask)) {
                return true;
            }
            continue;
        }
        // A script's mask is not drawn, so it is not hit either.
        if (!c->masking && hitsShape(*c, childToStage, stage, asMask)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<QRectF> contentBounds(const DisplayObject& object, const QTransform& toSpace,
                                    bool withStrokes) {
    Extent e;
    addBounds(object, toSpace, withStrokes, e);
    if (!e.any) {
        return std::nullopt;
    }
    return QRectF(QPointF(e.left, e.top), QPointF(e.right, e.bottom));
}

QRectF wholeTwips(const QRectF& twips) {
    const double left = std::round(twips.left());
    const double top = std::round(twips.top());
    return QRectF(left, top, std::round(twips.right()) - left, std::round(twips.bottom()) - top);
}

QPointF wholeTwips(QPointF twips) {
    return QPointF(std::round(twips.x()), std::round(twips.y()));
}

QTransform wholeTwipsToStage(const DisplayObject& object) {
    auto keepWholeOffset = [](const QTransform& t) {
        const QPointF offset = wholeTwips(QPointF(t.dx(), t.dy()));
        return QTransform(t.m11(), t.m12(), t.m21(), t.m22(), offset.x(), offset.y());
    };
    QTransform t = toTransform(object.matrix);
    for (const DisplayObject* p = object.parent; p; p = p->parent) {
        t = keepWholeOffset(t * scrollShift(*p) * toTransform(p->matrix));
    }
    return t;
}

QTransform spaceToSpace(const DisplayObject& from, const DisplayObject* to) {
    QTransform t = worldTransform(from);
    if (to) {
        t = t * worldTransform(*to).inverted();
    }
    return t;
}

bool hitsPoint(const DisplayObject& object, QPointF point, bool shape) {
    // The point is in the coordinates of the clip's level root, which may be moved itself.
    const DisplayObject* root = &object;
    while (root->parent) {
        root = root->parent;
    }
    const QPointF stage = toTransform(root->matrix).map(point);
    const QTransform toStage = worldTransform(object);
    if (shape) {
        // What a parent's scroll rectangle cuts away is not hit.
        return (!object.parent || insideScrollRects(*object.parent, stage)) &&
               hitsShape(object, toStage, stage);
    }
    return insideStageBox(object, toStage, stage);
}

bool maskShows(const DisplayObject& mask, QPointF stage) {
    return hitsShape(mask, worldTransform(mask), stage, true);
}

}  // namespace pencora::runtime
