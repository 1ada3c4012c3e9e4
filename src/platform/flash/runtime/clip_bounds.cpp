#include "platform/flash/runtime/clip_bounds.h"

#include "platform/flash/runtime/clip_graphics.h"

namespace pencora::runtime {

namespace {

void addBounds(const DisplayObject& o, const QTransform& t, bool withStrokes, QRectF& into) {
    auto add = [&](const CharacterDrawing& d) {
        QRectF local = withStrokes ? d.bounds(o.ratio) : d.outline(o.ratio).boundingRect();
        if (!withStrokes && local.isEmpty()) {
            local = d.bounds(o.ratio);  // a drawing of lines only still has a place
        }
        if (!local.isNull()) {
            const QRectF r = t.mapRect(local);
            into = into.isNull() ? r : into | r;
        }
    };
    if (o.drawing) {
        add(*o.drawing);
    }
    if (const CharacterDrawing* g = drawnGraphics(o)) {
        add(*g);
    }
    for (const auto& [d, c] : o.children) {
        if (c->clipDepth == 0) {
            addBounds(*c, toTransform(c->matrix) * t, withStrokes, into);
        }
    }
}

bool hitsShape(const DisplayObject& o, const QTransform& toStage, QPointF stage) {
    bool invertible = false;
    const QPointF local = toStage.inverted(&invertible).map(stage);
    if (!invertible) {
        return false;
    }
    if (o.drawing && o.drawing->hits(local, o.ratio)) {
        return true;
    }
    if (const CharacterDrawing* g = drawnGraphics(o); g && g->hits(local, o.ratio)) {
        return true;
    }
    for (const auto& [d, c] : o.children) {
        if (c->clipDepth == 0 && hitsShape(*c, toTransform(c->matrix) * toStage, stage)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QRectF contentBounds(const DisplayObject& object, const QTransform& toSpace, bool withStrokes) {
    QRectF r;
    addBounds(object, toSpace, withStrokes, r);
    return r;
}

QTransform spaceToSpace(const DisplayObject& from, const DisplayObject* to) {
    QTransform t = worldTransform(from);
    if (to) {
        t = t * worldTransform(*to).inverted();
    }
    return t;
}

bool hitsPoint(const DisplayObject& object, QPointF stageTwips, bool shape) {
    const QTransform toStage = worldTransform(object);
    if (shape) {
        return hitsShape(object, toStage, stageTwips);
    }
    const QRectF b = contentBounds(object, toStage, true);
    return !b.isNull() && b.left() <= stageTwips.x() && stageTwips.x() <= b.right() &&
           b.top() <= stageTwips.y() && stageTwips.y() <= b.bottom();
}

}  // namespace pencora::runtime
