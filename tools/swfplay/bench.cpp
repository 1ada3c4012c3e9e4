#include "bench.h"

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace pencora::swfplay {

FrameComposer::FrameComposer(int width, int height)
    : back_(width, height, QImage::Format_ARGB32_Premultiplied),
      frame_(width, height, QImage::Format_ARGB32_Premultiplied),
      screen_(width, height, QImage::Format_ARGB32_Premultiplied) {
    back_.fill(Qt::white);
    frame_.fill(Qt::white);
    screen_.fill(Qt::white);
}

void FrameComposer::compose(MovieHost& host, const QRect& area) {
    const QRect d = area.intersected(frame_.rect());
    if (d.isEmpty()) {
        return;
    }
    // The frame's own rows under the area serve as the scratch bitmap: the background goes
    // there, the control draws there with its origin at the area's corner, and only the area
    // then travels to the screen.
    copyRect(back_, d, frame_, d.topLeft());
    QImage scratch(frame_.bits() + qsizetype(d.top()) * frame_.bytesPerLine() + d.left() * 4,
                   d.width(), d.height(), frame_.bytesPerLine(),
                   QImage::Format_ARGB32_Premultiplied);
    host.drawArea(scratch, d);
    copyRect(frame_, d, screen_, d.topLeft());
}

void FrameComposer::copyRect(const QImage& from, const QRect& r, QImage& to, QPoint at) {
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = 0; y < r.height(); ++y) {
        std::memcpy(to.scanLine(at.y() + y) + at.x() * 4,
                    from.constScanLine(r.top() + y) + r.left() * 4, bytes);
    }
}

BenchFigures summarize(const std::vector<FrameCost>& costs) {
    BenchFigures f;
    f.frames = int(costs.size());
    if (costs.empty()) {
        return f;
    }
    std::vector<double> ms;
    double redrawn = 0;
    for (const FrameCost& c : costs) {
        ms.push_back(c.milliseconds);
        redrawn += c.redrawnShare;
        f.fullRedraws += c.redrawnShare >= 1.0 ? 1 : 0;
        f.idleFrames += c.redrawnShare <= 0.0 ? 1 : 0;
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    f.medianMs = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    f.p95Ms = ms[size_t(std::ceil(0.95 * double(n))) - 1];
    f.meanRedrawn = redrawn / double(n);
    return f;
}

std::vector<FrameCost> playFrames(MovieHost& host, int width, int height, int frames,
                                  bool wholeStage) {
    using Clock = std::chrono::steady_clock;
    FrameComposer composer(width, height);
    host.takeDirty();  // what loading asked for is not a frame
    std::vector<FrameCost> costs;
    costs.reserve(size_t(std::max(frames, 0)));
    const double stage = double(width) * double(height);
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        host.advance(1);
        std::optional<QRect> dirty = host.takeDirty();
        if (wholeStage) {
            dirty = QRect(0, 0, width, height);
        }
        if (dirty) {
            composer.compose(host, *dirty);
        }
        const auto end = Clock::now();
        FrameCost c;
        c.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
        c.redrawnShare = dirty ? double(dirty->width()) * double(dirty->height()) / stage : 0.0;
        costs.push_back(c);
    }
    return costs;
}

}  // namespace pencora::swfplay
