// startDrag/stopDrag: one clip at a time follows the pointer, by its centre or keeping the
// offset it was grabbed at, inside an optional rectangle of its parent; _droptarget names
// what lies under the pointer.
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/flash/runtime/display/object_under.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/drawing/scale9_grid.h"

namespace pencora::runtime {

namespace {

// The pointer (stage pixels) in the pixels of the clip's parent.
QPointF inParent(const DisplayObject& clip, QPointF stage) {
    if (!clip.parent) {
        return stage;
    }
    bool ok = false;
    const QTransform inv = worldTransform(*clip.parent).inverted(&ok);
    return ok ? inv.map(stage * 20.0) / 20.0 : stage;
}

// Whether a drawing placed on the stage by `toStage` paints at the point (stage twips).
bool paintsAt(const CharacterDrawing* d, uint16_t ratio, const QTransform& toStage, QPointF twips) {
    bool invertible = false;
    const QPointF local = toStage.inverted(&invertible).map(twips);
    return d && invertible && d->hits(local, ratio, toStage);
}

// The innermost clip (not a shape: those have no name to report) whose painted area lies
// under the point, skipping `skip` and everything inside it. What a clip's script drew lies
// under its children; a grid at work places the clip's shapes and drawn graphics region by
// region.
DisplayObject* clipUnder(DisplayObject& o, QPointF twips, const DisplayObject* skip) {
    if (&o == skip || !o.visible) {
        return nullptr;
    }
    const std::vector<Scale9Slice> slices = gridSlicesOf(o);
    const std::optional<GridPoint> inGrid =
        slices.empty() ? std::nullopt : gridPointOf(slices, o, worldTransform(o), twips);
    for (auto it = o.children.rbegin(); it != o.children.rend(); ++it) {
        DisplayObject& c = *it->second;
        if (c.clipDepth > 0 || &c == skip || !c.visible) {
            continue;
        }
        if (DisplayObject* inner = clipUnder(c, twips, skip)) {
            return inner;
        }
        if (!c.drawing || !insideScrollRects(c, twips)) {
            continue;
        }
        const bool sliced = !slices.empty() && c.kind == ObjectKind::Shape;
        if (sliced ? inGrid && paintsAt(c.drawing.get(), c.ratio,
                                        toTransform(c.matrix) * inGrid->toStage, twips)
                   : paintsAt(c.drawing.get(), c.ratio, contentTransform(c), twips)) {
            return c.isClip() || c.kind == ObjectKind::Button || c.kind == ObjectKind::EditText
                       ? &c
                       : &o;
        }
    }
    const CharacterDrawing* drawn = drawnGraphics(o);
    if (drawn && insideScrollRects(o, twips) &&
        (slices.empty() ? paintsAt(drawn, o.ratio, contentTransform(o), twips)
                        : inGrid && paintsAt(drawn, o.ratio, inGrid->toStage, twips))) {
        return &o;
    }
    return nullptr;
}

// A rectangle reaching past what twips hold stops the clip at the last twip.
int32_t dragTwips(double px) {
    const double t = std::round(px * 20);
    return std::isnan(t) ? 0 : int32_t(std::clamp(t, double(INT32_MIN), double(INT32_MAX)));
}

}  // namespace

DisplayObject* objectUnder(const Player& player, QPointF stage) {
    const std::vector<int> layers = player.layers();
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        if (DisplayObject* root = player.root(*it)) {
            if (DisplayObject* o = clipUnder(*root, stage * 20.0, nullptr)) {
                return o;
            }
        }
    }
    return nullptr;
}

void Player::startDrag(DisplayObject& clip, bool lockCenter, std::optional<QRectF> bounds) {
    drag_.clip = sharedOf(clip);
    drag_.lockCenter = lockCenter;
    const QPointF pointer = inParent(clip, mouse_);
    const QPointF position(clip.matrix.tx / 20.0, clip.matrix.ty / 20.0);
    drag_.offset = lockCenter ? QPointF() : pointer - position;
    drag_.bounds = bounds ? std::optional(bounds->normalized()) : std::nullopt;
    followDrag();
}

void Player::stopDrag() {
    if (auto clip = drag_.clip.lock()) {
        DisplayObject* drop = dropTarget();
        drag_.lastDragged = clip;
        drag_.lastDrop = drop ? sharedOf(*drop) : nullptr;
    }
    drag_.clip.reset();
}

DisplayObject* Player::dropTargetOf(const DisplayObject& clip) const {
    if (auto d = drag_.clip.lock(); d.get() == &clip) {
        return dropTarget();
    }
    if (auto d = drag_.lastDragged.lock(); d.get() == &clip) {
        return drag_.lastDrop.lock().get();
    }
    return nullptr;
}

void Player::followDrag() {
    auto clip = drag_.clip.lock();
    if (!clip || (!clip->parent && !sharedOf(*clip))) {
        drag_.clip.reset();
        return;
    }
    QPointF p = inParent(*clip, mouse_) - drag_.offset;
    if (drag_.bounds) {
        p.setX(std::clamp(p.x(), drag_.bounds->left(), drag_.bounds->right()));
        p.setY(std::clamp(p.y(), drag_.bounds->top(), drag_.bounds->bottom()));
    }
    clip->matrix.tx = dragTwips(p.x());
    clip->matrix.ty = dragTwips(p.y());
}

DisplayObject* Player::dropTarget() const {
    auto dragged = drag_.clip.lock();
    const QPointF twips = mouse_ * 20.0;
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        if (DisplayObject* o = clipUnder(*it->second.root, twips, dragged.get())) {
            return o == it->second.root.get() ? nullptr : o;
        }
    }
    return nullptr;
}

}  // namespace pencora::runtime
