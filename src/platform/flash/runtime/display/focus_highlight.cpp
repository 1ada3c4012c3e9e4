#include "platform/flash/runtime/display/focus_highlight.h"

#include <cmath>

namespace pencora::runtime {

QRectF stageBounds(const DisplayObject& o) {
    QRectF r;
    if (o.drawing) {
        r = worldTransform(o).mapRect(o.drawing->bounds(o.ratio));
    } else if (o.kind == ObjectKind::EditText && o.movie && o.movie->movie) {
        if (const auto* e = o.movie->movie->findAs<swf::EditText>(o.characterId)) {
            const QRectF box(e->bounds.xMin, e->bounds.yMin, e->bounds.xMax - e->bounds.xMin,
                             e->bounds.yMax - e->bounds.yMin);
            r = worldTransform(o).mapRect(box);
        }
    }
    for (const auto& [d, c] : o.children) {
        if (c->clipDepth == 0) {
            const QRectF cr = stageBounds(*c);
            if (!cr.isNull()) {
                r = r.isNull() ? cr : r | cr;
            }
        }
    }
    return r;
}

void paintFocusHighlight(QPainter& painter, const Player& player, const QTransform& stageToDevice) {
    DisplayObject* focused = player.focus();
    // A text field shows its caret instead.
    if (!focused || focused->kind == ObjectKind::EditText || !player.focusHighlighted() ||
        !player.focusRectShown()) {
        return;
    }
    const QRectF twips = stageBounds(*focused);
    if (twips.isNull()) {
        return;
    }
    const QRectF pixels(twips.x() / 20, twips.y() / 20, twips.width() / 20, twips.height() / 20);
    const QRectF device = stageToDevice.mapRect(pixels);
    // Whole device pixels, a three-pixel yellow frame inside the bounds.
    const int left = int(std::lround(device.left()));
    const int top = int(std::lround(device.top()));
    const int right = int(std::lround(device.right()));
    const int bottom = int(std::lround(device.bottom()));
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0) {
        return;
    }
    constexpr int kThickness = 3;
    const QColor yellow(255, 255, 0);
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(left, top, width, std::min(kThickness, height)), yellow);
    painter.fillRect(
        QRect(left, bottom - std::min(kThickness, height), width, std::min(kThickness, height)),
        yellow);
    painter.fillRect(QRect(left, top, std::min(kThickness, width), height), yellow);
    painter.fillRect(
        QRect(right - std::min(kThickness, width), top, std::min(kThickness, width), height),
        yellow);
    painter.restore();
}

}  // namespace pencora::runtime
