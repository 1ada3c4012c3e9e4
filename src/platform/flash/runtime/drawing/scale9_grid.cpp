#include "platform/flash/runtime/drawing/scale9_grid.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"

namespace pencora::runtime {

namespace {

// Where the grid's lines along one axis fall: four local coordinates (the content's two
// edges and the grid's two lines between them) and the four places they land in the parent
// under a scale of `scale` and a shift of `shift`.
struct Axis {
    std::array<double, 4> local{};
    std::array<double, 4> placed{};
};

Axis axisOf(double lo, double hi, double gridLo, double gridHi, double scale, double shift) {
    Axis a;
    const double g0 = std::clamp(gridLo, lo, hi);
    const double g1 = std::clamp(gridHi, g0, hi);
    a.local = {lo, g0, g1, hi};
    const double first = lo * scale + shift;
    const double last = hi * scale + shift;
    const double span = std::fabs(last - first);
    const double corners = (g0 - lo) + (hi - g1);
    // Corners keep their own size, unless the clip is now smaller than they are together.
    const double keep = corners > span && corners > 0 ? span / corners : 1.0;
    const double sign = scale < 0 ? -1.0 : 1.0;
    a.placed = {first, first + sign * (g0 - lo) * keep, last - sign * (hi - g1) * keep, last};
    return a;
}

}  // namespace

std::vector<Scale9Slice> scale9Slices(const QRectF& grid, const QRectF& bounds,
                                      const QTransform& own) {
    std::vector<Scale9Slice> out;
    if (own.m12() != 0 || own.m21() != 0 || bounds.isEmpty() || !grid.isValid()) {
        return out;
    }
    const Axis x =
        axisOf(bounds.left(), bounds.right(), grid.left(), grid.right(), own.m11(), own.dx());
    const Axis y =
        axisOf(bounds.top(), bounds.bottom(), grid.top(), grid.bottom(), own.m22(), own.dy());
    for (size_t j = 0; j < 3; ++j) {
        for (size_t i = 0; i < 3; ++i) {
            const double w = x.local[i + 1] - x.local[i];
            const double h = y.local[j + 1] - y.local[j];
            if (w <= 0 || h <= 0) {
                continue;
            }
            const double sx = (x.placed[i + 1] - x.placed[i]) / w;
            const double sy = (y.placed[j + 1] - y.placed[j]) / h;
            if (sx == 0 || sy == 0) {
                continue;  // a region squeezed to nothing
            }
            Scale9Slice s;
            s.local = QRectF(x.local[i], y.local[j], w, h);
            s.toParent = QTransform(sx, 0, 0, sy, x.placed[i] - x.local[i] * sx,
                                    y.placed[j] - y.local[j] * sy);
            out.push_back(s);
        }
    }
    return out;
}

namespace {

// What a grid cuts: the clip's own shapes and what its script drew, in its own twips.
QRectF gridContentBounds(const DisplayObject& clip) {
    QRectF r;
    if (const CharacterDrawing* drawn = drawnGraphics(clip)) {
        r = drawn->bounds(0);
    }
    for (const auto& [d, c] : clip.children) {
        if (c->kind == ObjectKind::Shape && c->drawing && c->visible && c->clipDepth == 0) {
            r |= toTransform(c->matrix).mapRect(c->drawing->bounds(c->ratio));
        }
    }
    return r;
}

}  // namespace

std::vector<Scale9Slice> gridSlicesOf(const DisplayObject& o) {
    if (!o.scale9Grid || o.scrollRect ||
        (o.kind != ObjectKind::Clip && o.kind != ObjectKind::Button)) {
        return {};
    }
    const QTransform own = toTransform(o.matrix);
    if (std::abs(own.m11() - 1) < 1e-9 && std::abs(own.m22() - 1) < 1e-9) {
        return {};
    }
    return scale9Slices(*o.scale9Grid, gridContentBounds(o), own);
}

std::optional<GridPoint> gridPointOf(const std::vector<Scale9Slice>& slices,
                                     const DisplayObject& clip, const QTransform& clipToStage,
                                     QPointF stage) {
    bool invertible = false;
    const QTransform parentToStage = toTransform(clip.matrix).inverted(&invertible) * clipToStage;
    if (!invertible) {
        return std::nullopt;
    }
    for (const Scale9Slice& s : slices) {
        const QTransform toStage = s.toParent * parentToStage;
        const QPointF local = toStage.inverted(&invertible).map(stage);
        if (invertible && s.local.contains(local)) {
            return GridPoint{local, toStage};
        }
    }
    return std::nullopt;
}

}  // namespace pencora::runtime
