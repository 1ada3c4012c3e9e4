#include "platform/flash/runtime/drawing/clip_graphics.h"

#include <QPainter>

#include "platform/flash/render/drawable.h"
#include "platform/flash/render/paint_styles.h"
#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {

namespace {

namespace render = swf::render;

class GraphicsDrawing : public CharacterDrawing {
  public:
    GraphicsDrawing(render::ShapePaths paths, const std::map<uint16_t, QImage>& images) {
        d_.kind = render::Drawable::Kind::Shape;
        for (const auto& [id, image] : images) {
            d_.images.emplace(id, image);
            d_.clampedImages.emplace(id, render::clampedImage(image));
        }
        QRectF edges;
        double half = 0;
        for (auto& g : paths.groups) {
            for (auto& f : g.fills) {
                edges |= f.path.boundingRect();
                outline_.addPath(f.path);
            }
            for (auto& l : g.lines) {
                // A line's bounds count from its centre; its width widens them below.
                const QRectF r = l.path.boundingRect();
                edges = edges.isNull() ? r : edges | r;
                half = std::max(half, std::max<double>(l.style.width, 20) / 2);
            }
        }
        paths.bounds = edges;
        d_.bounds = edges;
        edges_ = edges;
        d_.shape = std::move(paths);
        bounds_ = edges.adjusted(-half, -half, half, half);
    }

    void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
              uint16_t) const override {
        render::draw(d_, painter, toDevice, color.toFixed(), 0);
    }
    QPainterPath outline(uint16_t) const override { return outline_; }
    bool hits(QPointF point, uint16_t, const QTransform& toStage) const override {
        return render::hitTest(d_, point, 0, toStage);
    }
    QRectF bounds(uint16_t) const override { return bounds_; }
    // Lines count by their centres, filled or not.
    QRectF edgeBounds(uint16_t) const override { return edges_; }

  private:
    render::Drawable d_;
    QPainterPath outline_;
    QRectF bounds_;
    QRectF edges_;
};

}  // namespace

QPainterPath* ClipGraphics::currentLinePath() {
    return line_ && open_ && !open_->lines.empty() ? &open_->lines.back().path : nullptr;
}

render::StyleGroup& ClipGraphics::group() {
    if (!open_) {
        open_.emplace();
    }
    return *open_;
}

void ClipGraphics::closeFill(QPainterPath& fill,
                             std::optional<swf::render::StyleGroup>& open) const {
    if (!fill_ || fill.elementCount() < 2 || pen_ == fillStart_) {
        return;
    }
    fill.lineTo(fillStart_);
    if (line_ && open && !open->lines.empty()) {
        open->lines.back().path.lineTo(fillStart_);
    }
}

void ClipGraphics::closeGroup() {
    closeFill(fillPath_, open_);
    if (fill_ && fillPath_.elementCount() > 1) {
        QPainterPath p = fillPath_;
        p.setFillRule(Qt::OddEvenFill);
        // The fill goes before the lines drawn while it was open.
        auto& g = group();
        g.fills.insert(g.fills.begin(), render::StyledFill{p, *fill_});
    }
    fillPath_ = QPainterPath();
    if (open_ && (!open_->fills.empty() || !open_->lines.empty())) {
        done_.groups.push_back(std::move(*open_));
    }
    open_.reset();
    dirty_ = true;
}

void ClipGraphics::startLine() {
    if (line_) {
        auto& g = group();
        g.lines.push_back(render::StyledLine{QPainterPath(), *line_});
        g.lines.back().path.moveTo(pen_);
    }
}

void ClipGraphics::beginFill(const swf::FillStyle& fill) {
    // A fill begun while another is open ends that one first.
    closeGroup();
    fill_ = fill;
    fillPath_ = QPainterPath();
    fillPath_.moveTo(pen_);
    fillStart_ = pen_;
    startLine();
}

void ClipGraphics::beginBitmapFill(swf::FillStyle fill, const QImage& image) {
    // The same pixels as the last bitmap fill share its copy; past kMaxBitmaps a clip's later
    // bitmap fills paint with the last one kept, so a script filling in a loop cannot pile up
    // copies without end.
    constexpr size_t kMaxBitmaps = 1024;
    if (!images_.empty() && (images_.size() >= kMaxBitmaps || images_.rbegin()->second == image)) {
        fill.bitmapId = images_.rbegin()->first;
    } else {
        fill.bitmapId = uint16_t(images_.size() + 1);
        images_.emplace(fill.bitmapId, image);
    }
    beginFill(fill);
}

void ClipGraphics::endFill() {
    closeGroup();
    fill_.reset();
    startLine();
}

void ClipGraphics::lineStyle(const std::optional<swf::LineStyle>& line) {
    line_ = line;
    startLine();
}

void ClipGraphics::moveTo(QPointF p) {
    if (fill_) {
        // The outline left behind closes, its line with it, before the pen moves on.
        closeFill(fillPath_, open_);
        pen_ = p;
        fillPath_.moveTo(p);
        fillStart_ = p;
    }
    pen_ = p;
    if (QPainterPath* line = currentLinePath()) {
        line->moveTo(p);
    }
}

void ClipGraphics::lineTo(QPointF p) {
    pen_ = p;
    if (fill_) {
        fillPath_.lineTo(p);
    }
    if (QPainterPath* line = currentLinePath()) {
        line->lineTo(p);
    }
    dirty_ = true;
}

void ClipGraphics::curveTo(QPointF control, QPointF anchor) {
    pen_ = anchor;
    if (fill_) {
        fillPath_.quadTo(control, anchor);
    }
    if (QPainterPath* line = currentLinePath()) {
        line->quadTo(control, anchor);
    }
    dirty_ = true;
}

void ClipGraphics::clear() {
    done_ = {};
    images_.clear();
    open_.reset();
    fill_.reset();
    line_.reset();
    fillPath_ = QPainterPath();
    pen_ = QPointF();
    dirty_ = true;
}

std::shared_ptr<const CharacterDrawing> ClipGraphics::drawing() const {
    if (!dirty_) {
        return cached_;
    }
    dirty_ = false;
    render::ShapePaths paths = done_;
    if (open_ || (fill_ && fillPath_.elementCount() > 1)) {
        // What the open fill holds so far shows already, closed back to its start.
        std::optional<render::StyleGroup> open = open_;
        QPainterPath fill = fillPath_;
        closeFill(fill, open);
        render::StyleGroup g = open.value_or(render::StyleGroup{});
        if (fill_ && fill.elementCount() > 1) {
            fill.setFillRule(Qt::OddEvenFill);
            g.fills.insert(g.fills.begin(), render::StyledFill{fill, *fill_});
        }
        if (!g.fills.empty() || !g.lines.empty()) {
            paths.groups.push_back(std::move(g));
        }
    }
    for (auto& g : paths.groups) {
        std::erase_if(g.lines, [](const render::StyledLine& l) { return l.path.isEmpty(); });
    }
    std::erase_if(paths.groups,
                  [](const render::StyleGroup& g) { return g.fills.empty() && g.lines.empty(); });
    cached_ = paths.groups.empty() ? nullptr
                                   : std::make_shared<GraphicsDrawing>(std::move(paths), images_);
    return cached_;
}

std::shared_ptr<ClipGraphics> ClipGraphics::copy(uint64_t serial) const {
    auto c = std::make_shared<ClipGraphics>(*this);
    c->serial_ = serial;
    return c;
}

const CharacterDrawing* drawnGraphics(const DisplayObject& object) {
    return object.graphics ? object.graphics->drawing().get() : nullptr;
}

std::shared_ptr<const CharacterDrawing> drawnGraphicsShared(const DisplayObject& object) {
    return object.graphics ? object.graphics->drawing() : nullptr;
}

}  // namespace pencora::runtime
