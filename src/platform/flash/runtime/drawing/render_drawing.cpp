// The runtime's drawings are the shape renderer's drawables (platform/flash/render), one
// library of them per movie.
#include <QPainter>

#include <algorithm>
#include <map>

#include "platform/flash/render/drawable.h"
#include "platform/flash/runtime/drawing/character_drawing.h"

namespace pencora::runtime {

namespace {

namespace render = swf::render;

double unitRatio(uint16_t ratio) {
    return ratio / 65535.0;
}

QPainterPath filledArea(const render::ShapePaths& paths) {
    QPainterPath area;
    area.setFillRule(Qt::WindingFill);
    for (const auto& group : paths.groups) {
        for (const auto& fill : group.fills) {
            area.addPath(fill.path);
        }
    }
    return area;
}

double widestLine(const render::ShapePaths& paths) {
    double w = 0;
    for (const auto& group : paths.groups) {
        for (const auto& line : group.lines) {
            w = std::max(w, double(std::max<uint16_t>(line.style.width, 20)));
        }
    }
    return w;
}

class LibraryDrawing : public CharacterDrawing {
  public:
    LibraryDrawing(std::shared_ptr<render::Library> library,
                   std::shared_ptr<const render::Drawable> drawable)
        : library_(std::move(library)), d_(std::move(drawable)) {
        if (d_->kind != render::Drawable::Kind::Morph) {
            QRectF b = d_->bounds;
            const double half = widestLine(d_->shape) / 2;
            bounds_ = b.adjusted(-half, -half, half, half);
            if (d_->kind == render::Drawable::Kind::Text) {
                outline_.addRect(d_->bounds);
                letters_ = render::coverage(*d_, QTransform());
                letters_.setFillRule(Qt::WindingFill);
            } else {
                outline_ = filledArea(d_->shape);
            }
        }
    }

    void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
              uint16_t ratio) const override {
        render::draw(*d_, painter, toDevice, color.toFixed(), unitRatio(ratio));
    }

    QPainterPath outline(uint16_t ratio) const override {
        if (d_->kind == render::Drawable::Kind::Morph && d_->morph) {
            return filledArea(render::morphPaths(*d_->morph, unitRatio(ratio)));
        }
        return outline_;
    }

    // Static text masks with its letters, however it is anti-aliased: what lies between
    // them, though inside the text's box, stays hidden.
    QPainterPath maskArea(uint16_t ratio) const override {
        return d_->kind == render::Drawable::Kind::Text ? letters_ : outline(ratio);
    }

    bool hits(QPointF point, uint16_t ratio, const QTransform& toStage) const override {
        if (d_->kind == render::Drawable::Kind::Text) {
            return d_->bounds.contains(point);
        }
        return render::hitTest(*d_, point, unitRatio(ratio), toStage);
    }

    bool hitsShape(QPointF point, uint16_t ratio, const QTransform& toStage) const override {
        if (d_->kind != render::Drawable::Kind::Text) {
            return hits(point, ratio, toStage);
        }
        bool invertible = false;
        const QPointF local = d_->textMatrix.inverted(&invertible).map(point);
        return invertible && std::any_of(d_->runs.begin(), d_->runs.end(),
                                         [&](const auto& run) { return run.path.contains(local); });
    }

    QRectF declaredBounds(uint16_t ratio) const override {
        if (d_->kind == render::Drawable::Kind::Morph && d_->morph) {
            // Between the declared start and end bounds, as the shape itself is.
            const double t = unitRatio(ratio);
            auto lerp = [t](int32_t a, int32_t b) { return a + (b - a) * t; };
            const swf::Rect& s = d_->morph->startBounds;
            const swf::Rect& e = d_->morph->endBounds;
            return QRectF(QPointF(lerp(s.xMin, e.xMin), lerp(s.yMin, e.yMin)),
                          QPointF(lerp(s.xMax, e.xMax), lerp(s.yMax, e.yMax)));
        }
        if (d_->kind == render::Drawable::Kind::Shape && !d_->bounds.isEmpty()) {
            return d_->bounds;
        }
        return bounds(ratio);
    }

    QRectF bounds(uint16_t ratio) const override {
        if (d_->kind == render::Drawable::Kind::Morph && d_->morph) {
            const render::ShapePaths p = render::morphPaths(*d_->morph, unitRatio(ratio));
            const double half = widestLine(p) / 2;
            return p.bounds.adjusted(-half, -half, half, half);
        }
        return bounds_;
    }

  private:
    std::shared_ptr<render::Library> library_;  // keeps the movie and its images
    std::shared_ptr<const render::Drawable> d_;
    QPainterPath outline_;
    QPainterPath letters_;  // static text: its glyphs, in the character's twips
    QRectF bounds_;
};

class LibraryDrawingFactory : public DrawingFactory {
  public:
    std::shared_ptr<const CharacterDrawing> prepare(const std::shared_ptr<const swf::Movie>& movie,
                                                    uint16_t id) override {
        std::erase_if(libraries_, [](const auto& e) { return e.second.expired(); });
        auto library = libraries_[movie.get()].lock();
        if (!library) {
            library = std::make_shared<render::Library>(movie);
            libraries_[movie.get()] = library;
        }
        auto drawable = library->prepare(id);
        if (!drawable) {
            return nullptr;
        }
        return std::make_shared<LibraryDrawing>(library, std::move(drawable));
    }

  private:
    // A library lives as long as a drawing made from it; it keeps its movie alive, so the
    // movie's address cannot be reused while the entry is live.
    std::map<const swf::Movie*, std::weak_ptr<render::Library>> libraries_;
};

}  // namespace

std::shared_ptr<const CharacterDrawing> makeBitmapDrawing(const QImage& image, bool smoothing) {
    auto drawable = render::bitmapDrawable(image, smoothing);
    return drawable ? std::make_shared<LibraryDrawing>(nullptr, std::move(drawable)) : nullptr;
}

std::unique_ptr<DrawingFactory> makeDefaultDrawingFactory() {
    return std::make_unique<LibraryDrawingFactory>();
}

}  // namespace pencora::runtime
