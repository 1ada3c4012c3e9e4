#include "platform/flash/runtime/shape_paths.h"

#include <cmath>
#include <map>
#include <variant>

namespace pencora::runtime {

namespace {

struct Point {
    int32_t x = 0, y = 0;
    auto operator<=>(const Point&) const = default;
};

struct Edge {
    Point from, control, to;
    bool curved = false;
    Edge reversed() const { return {to, control, from, curved}; }
};

// Joins the edges of one fill style into closed contours.
QPainterPath joinEdges(const std::vector<Edge>& edges, bool winding) {
    QPainterPath path;
    path.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
    std::multimap<Point, size_t> byStart;
    for (size_t i = 0; i < edges.size(); ++i) {
        byStart.emplace(edges[i].from, i);
    }
    std::vector<bool> used(edges.size(), false);
    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) {
            continue;
        }
        const Point start = edges[first].from;
        path.moveTo(start.x, start.y);
        size_t at = first;
        while (true) {
            used[at] = true;
            const Edge& e = edges[at];
            if (e.curved) {
                path.quadTo(e.control.x, e.control.y, e.to.x, e.to.y);
            } else {
                path.lineTo(e.to.x, e.to.y);
            }
            if (e.to == start) {
                break;
            }
            size_t next = edges.size();
            auto [lo, hi] = byStart.equal_range(e.to);
            for (auto it = lo; it != hi; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == edges.size()) {
                break;  // an open contour: closed by the fill as it stands
            }
            at = next;
        }
        path.closeSubpath();
    }
    return path;
}

}  // namespace

ShapePaths buildShapePaths(const std::vector<swf::FillStyle>& fills0,
                           const std::vector<swf::LineStyle>& lines0,
                           const std::vector<swf::ShapeRecord>& records, bool windingRule) {
    ShapePaths out;
    const std::vector<swf::FillStyle>* fills = &fills0;
    const std::vector<swf::LineStyle>* lines = &lines0;
    std::vector<std::vector<Edge>> fillEdges(fills->size());
    std::vector<QPainterPath> linePaths(lines->size());
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    Point pen;
    bool lineOpen = false;

    auto flushGroup = [&]() {
        for (size_t i = 0; i < fills->size(); ++i) {
            if (!fillEdges[i].empty()) {
                FillPath fp{(*fills)[i], joinEdges(fillEdges[i], windingRule)};
                out.outline.addPath(fp.path);
                out.fills.push_back(std::move(fp));
            }
        }
        for (size_t i = 0; i < lines->size(); ++i) {
            if (!linePaths[i].isEmpty()) {
                out.lines.push_back({(*lines)[i], linePaths[i]});
            }
        }
    };
    auto addEdge = [&](const Edge& e) {
        if (fill1 > 0 && fill1 <= fillEdges.size()) {
            fillEdges[fill1 - 1].push_back(e);
        }
        if (fill0 > 0 && fill0 <= fillEdges.size()) {
            fillEdges[fill0 - 1].push_back(e.reversed());
        }
        if (line > 0 && line <= linePaths.size()) {
            QPainterPath& p = linePaths[line - 1];
            if (!lineOpen || p.currentPosition() != QPointF(e.from.x, e.from.y)) {
                p.moveTo(e.from.x, e.from.y);
            }
            lineOpen = true;
            if (e.curved) {
                p.quadTo(e.control.x, e.control.y, e.to.x, e.to.y);
            } else {
                p.lineTo(e.to.x, e.to.y);
            }
        }
    };

    for (const swf::ShapeRecord& r : records) {
        if (auto* sc = std::get_if<swf::StyleChange>(&r)) {
            if (sc->hasNewStyles) {
                flushGroup();
                fills = &sc->newFills;
                lines = &sc->newLines;
                fillEdges.assign(fills->size(), {});
                linePaths.assign(lines->size(), {});
                fill0 = fill1 = line = 0;
            }
            if (sc->moveX && sc->moveY) {
                pen = {*sc->moveX, *sc->moveY};
                lineOpen = false;
            }
            if (sc->fill0) fill0 = *sc->fill0;
            if (sc->fill1) fill1 = *sc->fill1;
            if (sc->line) {
                line = *sc->line;
                lineOpen = false;
            }
        } else if (auto* s = std::get_if<swf::StraightEdge>(&r)) {
            Point to{pen.x + s->dx, pen.y + s->dy};
            addEdge({pen, pen, to, false});
            pen = to;
        } else if (auto* c = std::get_if<swf::CurvedEdge>(&r)) {
            Point ctrl{pen.x + c->cx, pen.y + c->cy};
            Point to{ctrl.x + c->ax, ctrl.y + c->ay};
            addEdge({pen, ctrl, to, true});
            pen = to;
        }
    }
    flushGroup();
    QRectF b = out.outline.boundingRect();
    for (const auto& l : out.lines) {
        const double half = std::max<double>(l.style.width, 20) / 2.0;
        b |= l.path.boundingRect().adjusted(-half, -half, half, half);
    }
    out.bounds = b;
    return out;
}

namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }
int32_t mixi(int32_t a, int32_t b, double t) { return int32_t(std::lround(mix(a, b, t))); }

swf::Rgba mixColor(swf::Rgba a, swf::Rgba b, double t) {
    auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(mix(x, y, t))); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

swf::Matrix mixMatrix(const swf::Matrix& a, const swf::Matrix& b, double t) {
    return {mix(a.a, b.a, t), mix(a.b, b.b, t), mix(a.c, b.c, t),
            mix(a.d, b.d, t), mixi(a.tx, b.tx, t), mixi(a.ty, b.ty, t)};
}

swf::FillStyle fillAt(const swf::MorphFillStyle& m, double t) {
    swf::FillStyle f;
    f.type = m.type;
    f.color = mixColor(m.startColor, m.endColor, t);
    f.matrix = mixMatrix(m.startMatrix, m.endMatrix, t);
    f.gradient.spread = m.spread;
    f.gradient.interpolation = m.interpolation;
    f.gradient.focalPoint = mix(m.startFocalPoint, m.endFocalPoint, t);
    for (const auto& s : m.stops) {
        f.gradient.stops.push_back({uint8_t(std::lround(mix(s.start.ratio, s.end.ratio, t))),
                                    mixColor(s.start.color, s.end.color, t)});
    }
    f.bitmapId = m.bitmapId;
    return f;
}

// An edge as a quadratic curve: straight edges get their midpoint as control point, so a
// straight start edge can morph into a curved end edge.
struct Quad {
    int32_t cx, cy, ax, ay;
};
Quad asQuad(const swf::ShapeRecord& r) {
    if (auto* s = std::get_if<swf::StraightEdge>(&r)) {
        return {s->dx / 2, s->dy / 2, s->dx - s->dx / 2, s->dy - s->dy / 2};
    }
    const auto& c = std::get<swf::CurvedEdge>(r);
    return {c.cx, c.cy, c.ax, c.ay};
}

}  // namespace

MorphFrame morphAt(const swf::MorphShape& morph, uint16_t ratio) {
    const double t = ratio / 65535.0;
    MorphFrame out;
    for (const auto& f : morph.fills) {
        out.fills.push_back(fillAt(f, t));
    }
    for (const auto& l : morph.lines) {
        swf::LineStyle s;
        s.width = uint16_t(std::lround(mix(l.startWidth, l.endWidth, t)));
        s.color = mixColor(l.startColor, l.endColor, t);
        s.startCap = l.startCap;
        s.endCap = l.endCap;
        s.join = l.join;
        s.miterLimit = l.miterLimit;
        s.noClose = l.noClose;
        if (l.fill) {
            s.fill = fillAt(*l.fill, t);
        }
        out.lines.push_back(s);
    }
    // End records: only edges and moves; pair them with the start's edges in order.
    std::vector<const swf::ShapeRecord*> endEdges;
    std::vector<std::pair<int32_t, int32_t>> endMoves;
    for (const auto& r : morph.endRecords) {
        if (auto* sc = std::get_if<swf::StyleChange>(&r)) {
            if (sc->moveX && sc->moveY) {
                endMoves.emplace_back(*sc->moveX, *sc->moveY);
            }
        } else {
            endEdges.push_back(&r);
        }
    }
    size_t edge = 0, move = 0;
    for (const auto& r : morph.startRecords) {
        if (auto* sc = std::get_if<swf::StyleChange>(&r)) {
            swf::StyleChange c = *sc;
            c.hasNewStyles = false;
            c.newFills.clear();
            c.newLines.clear();
            if (sc->moveX && sc->moveY) {
                auto end = move < endMoves.size() ? endMoves[move] : std::make_pair(*sc->moveX, *sc->moveY);
                ++move;
                c.moveX = mixi(*sc->moveX, end.first, t);
                c.moveY = mixi(*sc->moveY, end.second, t);
            }
            out.records.push_back(c);
            continue;
        }
        const Quad a = asQuad(r);
        const Quad b = edge < endEdges.size() ? asQuad(*endEdges[edge]) : a;
        ++edge;
        if (std::holds_alternative<swf::StraightEdge>(r) && edge <= endEdges.size() &&
            std::holds_alternative<swf::StraightEdge>(*endEdges[edge - 1])) {
            const auto& s0 = std::get<swf::StraightEdge>(r);
            const auto& s1 = std::get<swf::StraightEdge>(*endEdges[edge - 1]);
            out.records.push_back(swf::StraightEdge{mixi(s0.dx, s1.dx, t), mixi(s0.dy, s1.dy, t)});
        } else {
            out.records.push_back(swf::CurvedEdge{mixi(a.cx, b.cx, t), mixi(a.cy, b.cy, t),
                                                  mixi(a.ax, b.ax, t), mixi(a.ay, b.ay, t)});
        }
    }
    return out;
}

}  // namespace pencora::runtime
