#include "platform/flash/render/aliased_fill.h"

#include <QPaintDevice>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "platform/flash/render/flatten.h"

namespace pencora::swf::render {

namespace {

// Coordinates beyond this many pixels from the origin are held to it, so that every product
// of the exact crossing arithmetic below fits in 64 bits (2^29 grid steps each way).
constexpr double kCoordinateLimit = 1 << 21;

struct Edge {
    int64_t x0, y0, x1, y1;  // grid steps, y0 < y1
    int winding;
};

int64_t toGrid(double v) {
    return std::llround(std::clamp(v, -kCoordinateLimit, kCoordinateLimit) * kAliasedSubpixels);
}

int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) {  // b > 0
    return -floorDiv(-a, b);
}

// The first row (or column) whose pixel centre lies at or beyond `v` grid steps.
int64_t firstCentreAtOrAfter(int64_t v) {
    return ceilDiv(v - kAliasedSubpixels / 2, kAliasedSubpixels);
}

// Curves left in a path are the circular arcs of a stroke's round joins and caps. They are
// cut into equal chords, as few as stay within the curve tolerance of the circle, which
// decides the pixels around a thick line's corners (filters/color_matrix).
constexpr int kMaxCurveSegments = 256;

int arcSegments(QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
    // The arc's radius and angle from its chord and the height of its middle over it.
    const QPointF mid = 0.125 * (p0 + p3) + 0.375 * (p1 + p2);
    const QPointF chord = p3 - p0;
    const double c = std::hypot(chord.x(), chord.y());
    const double h =
        c > 0 ? std::abs((mid.x() - p0.x()) * chord.y() - (mid.y() - p0.y()) * chord.x()) / c : 0;
    if (!(h > 1e-9) || !std::isfinite(c)) {
        return 1;  // flat, or not a number
    }
    if (h <= kAliasedCurveTolerance) {
        return 1;  // within the tolerance of its chord already (the small joins along a curve)
    }
    const double r = (c * c / 4 + h * h) / (2 * h);
    const double angle = 2 * std::asin(std::min(1.0, c / (2 * r)));
    const double step = kAliasedCurveTolerance < r ? 2 * std::acos(1 - kAliasedCurveTolerance / r)
                                                   : std::numbers::pi;
    const double count = std::ceil(angle / step - 1e-9);
    return std::isfinite(count) ? std::clamp(int(count), 1, kMaxCurveSegments) : 1;
}

void addCubic(std::vector<QPointF>& points, QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
    const int n = arcSegments(p0, p1, p2, p3);
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n;
        const double s = 1 - t;
        points.push_back(s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3);
    }
    points.push_back(p3);
}

void addPolygon(std::vector<Edge>& edges, const std::vector<QPointF>& polygon) {
    std::vector<std::pair<int64_t, int64_t>> points;
    points.reserve(polygon.size());
    for (const QPointF& p : polygon) {
        if (std::isfinite(p.x()) && std::isfinite(p.y())) {
            points.emplace_back(toGrid(p.x()), toGrid(p.y()));
        }
    }
    for (size_t i = 0; i < points.size(); ++i) {
        auto [ax, ay] = points[i];
        auto [bx, by] = points[(i + 1) % points.size()];  // every subpath is closed
        if (ay == by) {
            continue;  // a horizontal edge crosses no row's centre line
        }
        if (ay < by) {
            edges.push_back({ax, ay, bx, by, 1});
        } else {
            edges.push_back({bx, by, ax, ay, -1});
        }
    }
}

std::vector<Edge> edgesOf(const QPainterPath& path) {
    std::vector<Edge> edges;
    std::vector<QPointF> polygon;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            addPolygon(edges, polygon);
            polygon.clear();
            polygon.push_back(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount() && !polygon.empty()) {
            addCubic(polygon, polygon.back(), e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        } else {
            polygon.push_back(e);
        }
    }
    addPolygon(edges, polygon);
    return edges;
}

struct Crossing {
    int x;  // the first column whose centre lies at or right of the edge
    int winding;
    bool operator<(const Crossing& o) const { return x < o.x; }
};

}  // namespace

std::vector<QRect> aliasedPixels(const QPainterPath& path, const QRect& clip) {
    std::vector<QRect> out;
    if (clip.isEmpty()) {
        return out;
    }
    const std::vector<Edge> edges = edgesOf(path);
    if (edges.empty()) {
        return out;
    }
    int64_t top = INT64_MAX;
    int64_t bottom = INT64_MIN;
    for (const Edge& e : edges) {
        top = std::min(top, e.y0);
        bottom = std::max(bottom, e.y1);
    }
    const int64_t firstRow = std::max<int64_t>(clip.top(), firstCentreAtOrAfter(top));
    const int64_t endRow = std::min<int64_t>(clip.bottom() + 1, firstCentreAtOrAfter(bottom));
    if (firstRow >= endRow) {
        return out;
    }
    const int64_t left = clip.left();
    const int64_t right = int64_t(clip.right()) + 1;
    // Rows whose centre line lies in [y0, y1) cross an edge: a centre on a vertex's height
    // goes to the edge below it, so a centre on a top edge is inside and one on a bottom edge
    // is not. Rows are swept with the edges that cross them, so memory stays with the edges.
    struct Span {
        int64_t from, to;
        const Edge* edge;
    };
    std::vector<Span> spans;
    spans.reserve(edges.size());
    for (const Edge& e : edges) {
        const int64_t from = std::max(firstRow, firstCentreAtOrAfter(e.y0));
        const int64_t to = std::min(endRow, firstCentreAtOrAfter(e.y1));
        if (from < to) {
            spans.push_back({from, to, &e});
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.from < b.from; });
    const bool oddEven = path.fillRule() == Qt::OddEvenFill;
    std::vector<const Span*> active;
    std::vector<Crossing> crossings;
    std::vector<std::pair<int, int>> previous;  // the runs of the row above
    std::vector<std::pair<int, int>> runs;
    size_t openFrom = out.size();  // the rectangles the row above may still extend
    size_t next = 0;
    for (int64_t row = firstRow; row < endRow; ++row) {
        std::erase_if(active, [row](const Span* span) { return span->to <= row; });
        while (next < spans.size() && spans[next].from == row) {
            active.push_back(&spans[next++]);
        }
        if (active.empty()) {
            if (next == spans.size()) {
                break;
            }
            row = spans[next].from - 1;  // nothing until the next edge begins
            previous.clear();
            continue;
        }
        const int64_t yc = row * kAliasedSubpixels + kAliasedSubpixels / 2;
        crossings.clear();
        for (const Span* span : active) {
            // The crossing is x0 + (yc - y0) (x1 - x0) / dy; the first centre at or right of
            // it, exactly: a centre on the edge takes the side to its right.
            const Edge& e = *span->edge;
            const int64_t dy = e.y1 - e.y0;
            const int64_t numerator = e.x0 * dy + (yc - e.y0) * (e.x1 - e.x0);
            const int64_t column =
                ceilDiv(numerator - dy * (kAliasedSubpixels / 2), dy * kAliasedSubpixels);
            crossings.push_back({int(std::clamp(column, left, right)), e.winding});
        }
        std::sort(crossings.begin(), crossings.end());
        runs.clear();
        int winding = 0;
        for (size_t i = 0; i < crossings.size();) {
            const int x = crossings[i].x;
            const bool wasInside = oddEven ? (winding & 1) != 0 : winding != 0;
            while (i < crossings.size() && crossings[i].x == x) {
                winding += crossings[i].winding;
                ++i;
            }
            const bool inside = oddEven ? (winding & 1) != 0 : winding != 0;
            if (inside && !wasInside) {
                runs.emplace_back(x, x);
            } else if (!inside && wasInside) {
                runs.back().second = x;
            }
        }
        std::erase_if(runs, [](const auto& run) { return run.second <= run.first; });
        const int y = int(row);
        if (runs == previous && !runs.empty()) {
            for (size_t k = openFrom; k < out.size(); ++k) {
                out[k].setBottom(y);
            }
            continue;
        }
        openFrom = out.size();
        for (const auto& [from, to] : runs) {
            out.emplace_back(QPoint(from, y), QPoint(to - 1, y));
        }
        previous = runs;
    }
    return out;
}

void fillAliased(QPainter& painter, const QPainterPath& path, const QBrush& brush) {
    const QPaintDevice* device = painter.device();
    if (device == nullptr || brush.style() == Qt::NoBrush) {
        return;
    }
    const QTransform world = painter.worldTransform();
    QRect clip(0, 0, device->width(), device->height());
    if (painter.hasClipping()) {
        clip &= world.mapRect(painter.clipBoundingRect()).toAlignedRect();
    }
    const std::vector<QRect> pixels = aliasedPixels(world.map(path), clip);
    if (pixels.empty()) {
        return;
    }
    painter.save();
    painter.resetTransform();
    QBrush deviceBrush = brush;
    deviceBrush.setTransform(brush.transform() * world);  // the pattern stays where it was
    for (const QRect& r : pixels) {
        painter.fillRect(r, deviceBrush);
    }
    painter.restore();
}

}  // namespace pencora::swf::render
