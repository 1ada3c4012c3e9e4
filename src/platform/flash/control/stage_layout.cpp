#include "platform/flash/control/stage_layout.h"

#include <algorithm>
#include <cmath>

namespace pencora::flash {

namespace {

StageRect viewOf(const StageLayout& layout) {
    return layout.view.value_or(StageRect{0, 0, layout.stageWidth, layout.stageHeight});
}

double alignOffset(double leftover, int bits, int lowBit, int highBit) {
    if (bits & lowBit) {
        return 0;
    }
    if (bits & highBit) {
        return leftover;
    }
    return leftover / 2;
}

// Keeps `v` inside the stage where it is smaller than the stage, centred where it is larger.
StageRect clampToStage(StageRect v, double stageWidth, double stageHeight) {
    auto clampAxis = [](double& lo, double& hi, double extent) {
        const double size = hi - lo;
        if (size >= extent) {
            lo = (extent - size) / 2;
        } else {
            lo = std::clamp(lo, 0.0, extent - size);
        }
        hi = lo + size;
    };
    clampAxis(v.left, v.right, stageWidth);
    clampAxis(v.top, v.bottom, stageHeight);
    return v;
}

}  // namespace

StageMatrix stageMatrix(const StageLayout& layout) {
    const StageRect v = viewOf(layout);
    const double viewW = v.right - v.left;
    const double viewH = v.bottom - v.top;
    const double objectW = layout.object.right - layout.object.left;
    const double objectH = layout.object.bottom - layout.object.top;
    StageMatrix m;
    if (viewW <= 0 || viewH <= 0) {
        m.tx = layout.object.left;
        m.ty = layout.object.top;
        return m;
    }
    double sx = objectW / viewW;
    double sy = objectH / viewH;
    switch (layout.scaleMode) {
        case ScaleMode::ShowAll:
            sx = sy = std::min(sx, sy);
            break;
        case ScaleMode::NoBorder:
            sx = sy = std::max(sx, sy);
            break;
        case ScaleMode::ExactFit:
            break;
        case ScaleMode::NoScale:
            // The zoomed view still scales: NoScale keeps one stage pixel per control pixel
            // only while the whole stage is shown.
            sx = layout.stageWidth / viewW;
            sy = layout.stageHeight / viewH;
            break;
    }
    m.a = sx;
    m.d = sy;
    m.tx = layout.object.left +
           alignOffset(objectW - viewW * sx, layout.align, kAlignLeft, kAlignRight) - v.left * sx;
    m.ty = layout.object.top +
           alignOffset(objectH - viewH * sy, layout.align, kAlignTop, kAlignBottom) - v.top * sy;
    return m;
}

std::optional<StageMatrix> inverse(const StageMatrix& m) {
    const double det = m.a * m.d - m.b * m.c;
    if (std::abs(det) < 1e-12) {
        return std::nullopt;
    }
    StageMatrix r;
    r.a = m.d / det;
    r.b = -m.b / det;
    r.c = -m.c / det;
    r.d = m.a / det;
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    return r;
}

ole::RECT coveringRect(const StageMatrix& m, const StageRect& r) {
    const double xs[4] = {r.left, r.right, r.left, r.right};
    const double ys[4] = {r.top, r.top, r.bottom, r.bottom};
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (int i = 0; i < 4; ++i) {
        const double x = m.a * xs[i] + m.c * ys[i] + m.tx;
        const double y = m.b * xs[i] + m.d * ys[i] + m.ty;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    auto toLong = [](double v) {
        return static_cast<ole::LONG>(std::clamp(v, -1e9, 1e9));
    };
    return ole::RECT{toLong(std::floor(minX)) - 1, toLong(std::floor(minY)) - 1,
                     toLong(std::ceil(maxX)) + 1, toLong(std::ceil(maxY)) + 1};
}

std::optional<StageRect> zoomView(const StageLayout& layout, int factor) {
    if (factor <= 0 || layout.stageWidth <= 0 || layout.stageHeight <= 0) {
        return std::nullopt;
    }
    const StageRect v = viewOf(layout);
    const double cx = (v.left + v.right) / 2;
    const double cy = (v.top + v.bottom) / 2;
    const double w = std::min((v.right - v.left) * factor / 100.0, layout.stageWidth);
    const double h = std::min((v.bottom - v.top) * factor / 100.0, layout.stageHeight);
    if (w >= layout.stageWidth && h >= layout.stageHeight) {
        return std::nullopt;
    }
    return clampToStage(StageRect{cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2},
                        layout.stageWidth, layout.stageHeight);
}

std::optional<StageRect> zoomRectView(const StageLayout& layout, int left, int top, int right,
                                      int bottom) {
    if (right <= left || bottom <= top) {
        return layout.view;
    }
    return StageRect{left / 20.0, top / 20.0, right / 20.0, bottom / 20.0};
}

std::optional<StageRect> panView(const StageLayout& layout, int x, int y, int mode) {
    if (!layout.view) {
        return std::nullopt;
    }
    StageRect v = *layout.view;
    double dx = x;
    double dy = y;
    if (mode == 1) {
        dx = (v.right - v.left) * x / 100.0;
        dy = (v.bottom - v.top) * y / 100.0;
    } else {
        const StageMatrix m = stageMatrix(layout);
        dx = m.a != 0 ? x / m.a : 0;
        dy = m.d != 0 ? y / m.d : 0;
    }
    v.left += dx;
    v.right += dx;
    v.top += dy;
    v.bottom += dy;
    return clampToStage(v, layout.stageWidth, layout.stageHeight);
}

}  // namespace pencora::flash
