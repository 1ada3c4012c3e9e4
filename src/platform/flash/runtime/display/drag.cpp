// startDrag/stopDrag: one clip at a time follows the pointer, by its centre or keeping the
// offset it was grabbed at, inside an optional rectangle of its parent; _droptarget names
// what lies under the pointer.
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/flash/runtime/display/object_under.h"
#include "platform/flash/runtime/display/player.h"

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

// The innermost clip (not a shape: those have no name to report) whose painted area lies
// under the point, skipping `skip` and everything inside it.
DisplayObject* clipUnder(DisplayObject& o, QPointF twips, const DisplayObject* skip) {
    if (&o == skip || !o.visible) {
        return nullptr;
    }
    for (auto it = o.children.rbegin(); it != o.children.rend(); ++it) {
        DisplayObject& c = *it->second;
        if (c.clipDepth > 0 || &c == skip || !c.visible) {
            continue;
        }
        if (DisplayObject* inner = clipUnder(c, twips, skip)) {
            return inner;
        }
        if (c.drawing && insideScrollRects(c, twips)) {
            bool ok = false;
            const QTransform toStage = contentTransform(c);
            const QTransform inv = toStage.inverted(&ok);
            if (ok && c.drawing->hits(inv.map(twips), c.ratio, toStage)) {
                return c.isClip() || c.kind == ObjectKind::Button || c.kind == ObjectKind::EditText
                           ? &c
                           : &o;
            }
        }
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
