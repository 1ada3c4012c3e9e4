#include "platform/flash/render/shape_paths.h"

#include <map>
#include <utility>

namespace pencora::swf::render {

void collectEdges(const std::vector<ShapeRecord>& records, const std::vector<FillStyle>& fills,
                  const std::vector<LineStyle>& lines, std::vector<EdgeGroup>& groups,
                  std::vector<Edge>& edges) {
    groups.push_back({fills, lines});
    int64_t x = 0;
    int64_t y = 0;
    uint32_t fill0 = 0;
    uint32_t fill1 = 0;
    uint32_t line = 0;
    for (const auto& rec : records) {
        if (const auto* s = std::get_if<StyleChange>(&rec)) {
            if (s->newStyles) {
                groups.push_back({s->newStyles->fills, s->newStyles->lines});
                fill0 = fill1 = line = 0;
            }
            if (s->moveX) {
                x = *s->moveX;
                y = s->moveY.value_or(0);
            }
            if (s->fill0) {
                fill0 = *s->fill0;
            }
            if (s->fill1) {
                fill1 = *s->fill1;
            }
            if (s->line) {
                line = *s->line;
            }
            continue;
        }
        Edge e;
        e.from = QPointF(static_cast<double>(x), static_cast<double>(y));
        if (const auto* st = std::get_if<StraightEdge>(&rec)) {
            x += st->dx;
            y += st->dy;
        } else {
            const auto& c = std::get<CurvedEdge>(rec);
            e.curved = true;
            x += c.cx;
            y += c.cy;
            e.control = QPointF(static_cast<double>(x), static_cast<double>(y));
            x += c.ax;
            y += c.ay;
        }
        e.to = QPointF(static_cast<double>(x), static_cast<double>(y));
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        e.group = groups.size() - 1;
        edges.push_back(e);
    }
}

namespace {

using Key = std::pair<double, double>;

Key key(const QPointF& p) {
    return {p.x(), p.y()};
}

struct Directed {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved;
};

void append(QPainterPath& path, const Directed& d) {
    if (d.curved) {
        path.quadTo(d.control, d.to);
    } else {
        path.lineTo(d.to);
    }
}

// Joins directed edges end to start into closed contours.
QPainterPath chain(const std::vector<Directed>& edges, Qt::FillRule rule) {
    QPainterPath path;
    path.setFillRule(rule);
    std::multimap<Key, size_t> starts;
    for (size_t i = 0; i < edges.size(); ++i) {
        starts.emplace(key(edges[i].from), i);
    }
    std::vector<bool> used(edges.size(), false);
    auto take = [&](const QPointF& at) -> long {
        auto [lo, hi] = starts.equal_range(key(at));
        for (auto it = lo; it != hi; ++it) {
            if (!used[it->second]) {
                size_t i = it->second;
                starts.erase(it);
                return static_cast<long>(i);
            }
        }
        return -1;
    };
    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) {
            continue;
        }
        // Remove `first` from the start index as well.
        auto [lo, hi] = starts.equal_range(key(edges[first].from));
        for (auto it = lo; it != hi; ++it) {
            if (it->second == first) {
                starts.erase(it);
                break;
            }
        }
        const QPointF origin = edges[first].from;
        path.moveTo(origin);
        long cur = static_cast<long>(first);
        while (cur >= 0) {
            used[cur] = true;
            append(path, edges[cur]);
            if (edges[cur].to == origin) {
                break;
            }
            cur = take(edges[cur].to);
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath strokePath(const std::vector<const Edge*>& edges, bool noClose) {
    QPainterPath path;
    QPointF subpathStart;
    bool open = false;
    QPointF pen;
    auto finish = [&]() {
        if (open && !noClose && pen == subpathStart && path.elementCount() > 2) {
            path.closeSubpath();
        }
    };
    for (const Edge* e : edges) {
        if (!open || e->from != pen) {
            finish();
            path.moveTo(e->from);
            subpathStart = e->from;
            open = true;
        }
        if (e->curved) {
            path.quadTo(e->control, e->to);
        } else {
            path.lineTo(e->to);
        }
        pen = e->to;
    }
    finish();
    return path;
}

}  // namespace

ShapePaths assemblePaths(const std::vector<EdgeGroup>& groups, const std::vector<Edge>& edges,
                         Qt::FillRule rule) {
    ShapePaths out;
    out.groups.resize(groups.size());
    bool any = false;
    for (const Edge& e : edges) {
        QRectF r = QRectF(e.from, e.to).normalized();
        if (e.curved) {
            r = r.united(QRectF(e.control, e.control));
        }
        out.bounds = any ? out.bounds.united(r) : r;
        any = true;
    }
    for (size_t g = 0; g < groups.size(); ++g) {
        const EdgeGroup& group = groups[g];
        std::vector<std::vector<Directed>> fillEdges(group.fills.size());
        std::vector<std::vector<const Edge*>> lineEdges(group.lines.size());
        for (const Edge& e : edges) {
            if (e.group != g) {
                continue;
            }
            if (e.fill0 == e.fill1) {
                // The same fill on both sides draws nothing of it here.
            } else {
                if (e.fill1 >= 1 && e.fill1 <= group.fills.size()) {
                    fillEdges[e.fill1 - 1].push_back({e.from, e.control, e.to, e.curved});
                }
                if (e.fill0 >= 1 && e.fill0 <= group.fills.size()) {
                    fillEdges[e.fill0 - 1].push_back({e.to, e.control, e.from, e.curved});
                }
            }
            if (e.line >= 1 && e.line <= group.lines.size()) {
                lineEdges[e.line - 1].push_back(&e);
            }
        }
        for (size_t f = 0; f < fillEdges.size(); ++f) {
            if (!fillEdges[f].empty()) {
                out.groups[g].fills.push_back({chain(fillEdges[f], rule), group.fills[f]});
            }
        }
        for (size_t l = 0; l < lineEdges.size(); ++l) {
            if (!lineEdges[l].empty()) {
                out.groups[g].lines.push_back(
                    {strokePath(lineEdges[l], group.lines[l].noClose), group.lines[l]});
            }
        }
    }
    return out;
}

ShapePaths shapePaths(const Shape& shape) {
    std::vector<EdgeGroup> groups;
    std::vector<Edge> edges;
    collectEdges(shape.records, shape.fills, shape.lines, groups, edges);
    return assemblePaths(groups, edges,
                         shape.usesFillWindingRule ? Qt::WindingFill : Qt::OddEvenFill);
}

}  // namespace pencora::swf::render
