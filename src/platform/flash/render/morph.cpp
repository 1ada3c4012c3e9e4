#include <cmath>

#include "platform/flash/render/drawable.h"

namespace pencora::swf::render {

namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

uint8_t lerp8(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::lround(lerp(a, b, t)));
}

Rgba lerp(const Rgba& a, const Rgba& b, double t) {
    return {lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)};
}

QPointF lerp(const QPointF& a, const QPointF& b, double t) {
    return {lerp(a.x(), b.x(), t), lerp(a.y(), b.y(), t)};
}

Matrix lerp(const Matrix& a, const Matrix& b, double t) {
    Matrix m;
    m.a = lerp(a.a, b.a, t);
    m.b = lerp(a.b, b.b, t);
    m.c = lerp(a.c, b.c, t);
    m.d = lerp(a.d, b.d, t);
    m.tx = static_cast<int32_t>(std::lround(lerp(a.tx, b.tx, t)));
    m.ty = static_cast<int32_t>(std::lround(lerp(a.ty, b.ty, t)));
    return m;
}

FillStyle fillAt(const MorphFillStyle& f, double t) {
    FillStyle out;
    out.type = f.type;
    out.color = lerp(f.startColor, f.endColor, t);
    out.matrix = lerp(f.startMatrix, f.endMatrix, t);
    out.bitmapId = f.bitmapId;
    out.gradient.spread = f.spread;
    out.gradient.interpolation = f.interpolation;
    out.gradient.focalPoint = lerp(f.startFocalPoint, f.endFocalPoint, t);
    for (const auto& s : f.stops) {
        out.gradient.stops.push_back({lerp8(s.start.ratio, s.end.ratio, t),
                                      lerp(s.start.color, s.end.color, t)});
    }
    return out;
}

LineStyle lineAt(const MorphLineStyle& l, double t) {
    LineStyle out;
    out.width = static_cast<uint16_t>(std::lround(lerp(l.startWidth, l.endWidth, t)));
    out.color = lerp(l.startColor, l.endColor, t);
    out.startCap = l.startCap;
    out.endCap = l.endCap;
    out.join = l.join;
    out.miterLimit = l.miterLimit;
    out.noHScale = l.noHScale;
    out.noVScale = l.noVScale;
    out.pixelHinting = l.pixelHinting;
    out.noClose = l.noClose;
    if (l.fill) {
        out.fill = fillAt(*l.fill, t);
    }
    return out;
}

// A straight edge meeting a curve at the other end becomes a curve through its midpoint.
void asCurve(Edge& e) {
    if (!e.curved) {
        e.control = (e.from + e.to) / 2.0;
        e.curved = true;
    }
}

}  // namespace

ShapePaths morphPaths(const MorphShape& morph, double ratio) {
    const double t = std::clamp(ratio, 0.0, 1.0);
    std::vector<EdgeGroup> ignored;
    std::vector<Edge> start;
    std::vector<Edge> end;
    collectEdges(morph.startRecords, {}, {}, ignored, start);
    ignored.clear();
    collectEdges(morph.endRecords, {}, {}, ignored, end);

    EdgeGroup group;
    for (const auto& f : morph.fills) {
        group.fills.push_back(fillAt(f, t));
    }
    for (const auto& l : morph.lines) {
        group.lines.push_back(lineAt(l, t));
    }
    std::vector<Edge> edges;
    const size_t n = std::min(start.size(), end.size());
    for (size_t i = 0; i < n; ++i) {
        Edge s = start[i];
        Edge e = end[i];
        if (s.curved != e.curved) {
            asCurve(s);
            asCurve(e);
        }
        Edge m = s;
        m.from = lerp(s.from, e.from, t);
        m.control = lerp(s.control, e.control, t);
        m.to = lerp(s.to, e.to, t);
        m.group = 0;
        edges.push_back(m);
    }
    return assemblePaths({group}, edges, Qt::OddEvenFill);
}

}  // namespace pencora::swf::render
