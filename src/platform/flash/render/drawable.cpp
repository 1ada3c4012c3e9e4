#include "platform/flash/render/drawable.h"

#include <algorithm>

#include "platform/flash/render/aliased_fill.h"
#include "platform/flash/render/bitmap_decode.h"
#include "platform/flash/render/color_transform.h"
#include "platform/flash/render/flatten.h"
#include "platform/flash/render/line_stroke.h"
#include "platform/flash/render/paint_styles.h"
#include "platform/flash/render/stroke_outline.h"

namespace pencora::swf::render {

namespace {

QRectF toRectF(const Rect& r) {
    return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax)).normalized();
}

void drawShapePaths(const ShapePaths& paths, const Drawable& d, QPainter& painter,
                    const QTransform& world, const ColorTransform& cx) {
    ImageLookup lookup = [&d](uint16_t id, bool clamped) {
        const auto& images = clamped ? d.clampedImages : d.images;
        auto it = images.find(id);
        return it == images.end() ? QImage() : it->second;
    };
    const bool antialias = painter.testRenderHint(QPainter::Antialiasing);
    for (const auto& group : paths.groups) {
        for (const auto& fill : group.fills) {
            QBrush brush = fillBrush(fill.style, world, cx, lookup,
                                     paintArea(painter, world.mapRect(fill.path.boundingRect())));
            if (brush.style() == Qt::NoBrush) {
                continue;
            }
            painter.setRenderHint(QPainter::SmoothPixmapTransform,
                                  antialias && wantsSmoothing(fill.style));
            if (antialias) {
                painter.fillPath(world.map(fill.path), brush);
            } else {
                fillAliased(painter, flattenCurves(world.map(fill.path)), brush);
            }
        }
        for (const auto& line : group.lines) {
            const LineStyle& style = line.style;
            const QPainterPath path = hintedAnchors(line.path, style, world);
            const QPen pen =
                linePen(style, world, cx, lookup, painter, world.mapRect(path.boundingRect()));
            if (!antialias) {
                // The stroke's outline, filled by the aliased rule like any other area.
                fillAliased(painter, aliasedLineOutline(path, style, pen, world), pen.brush());
            } else if (auto outline = lineOutline(path, style, pen, world)) {
                painter.fillPath(*outline, pen.brush());
            } else if (qtStrokes(pen, style)) {
                // Qt's own stroke of the pen: the area drawnLineArea() gives for it.
                painter.strokePath(world.map(path), pen);
            } else {
                painter.fillPath(drawnLineArea(path, style, pen, world), pen.brush());
            }
        }
    }
}

}  // namespace

Library::Library(std::shared_ptr<const Movie> movie) : movie_(std::move(movie)) {}

QImage Library::image(uint16_t bitmapId) {
    auto it = images_.find(bitmapId);
    if (it != images_.end()) {
        return it->second;
    }
    QImage image;
    if (const auto* jpeg = movie_->findAs<JpegBitmap>(bitmapId)) {
        image = decodeJpegBitmap(*jpeg, movie_->jpegTables);
    } else if (const auto* lossless = movie_->findAs<LosslessBitmap>(bitmapId)) {
        image = losslessImage(*lossless);
    }
    images_.emplace(bitmapId, image);
    return image;
}

const std::vector<QPainterPath>* Library::glyphs(uint16_t fontId) {
    auto it = glyphs_.find(fontId);
    if (it != glyphs_.end()) {
        return &it->second;
    }
    const Font* font = movie_->findAs<Font>(fontId);
    if (font == nullptr) {
        return nullptr;
    }
    std::vector<QPainterPath> outlines;
    FillStyle ink;
    for (const auto& glyph : font->glyphs) {
        std::vector<EdgeGroup> groups;
        std::vector<Edge> edges;
        collectEdges(glyph, {ink}, {}, groups, edges);
        // Glyph outlines mark their inside with fill style 1; some writers set no fill at
        // all, and then the outline's own direction (nonzero winding) decides.
        for (auto& e : edges) {
            if (e.fill0 == 0 && e.fill1 == 0) {
                e.fill1 = 1;
            }
        }
        ShapePaths paths = assemblePaths(groups, edges, Qt::WindingFill);
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        for (const auto& g : paths.groups) {
            for (const auto& f : g.fills) {
                path.addPath(f.path);
            }
        }
        outlines.push_back(path);
    }
    return &glyphs_.emplace(fontId, std::move(outlines)).first->second;
}

void Library::addImage(uint16_t bitmapId, FillType type, Drawable& d) {
    if (type == FillType::ClippedBitmap || type == FillType::ClippedBitmapHard) {
        if (!d.clampedImages.count(bitmapId)) {
            d.clampedImages.emplace(bitmapId, clampedImage(image(bitmapId)));
        }
    } else if (isBitmap(type)) {
        d.images.emplace(bitmapId, image(bitmapId));
    }
}

void Library::addImagesOf(const std::vector<FillStyle>& fills, Drawable& d) {
    for (const auto& f : fills) {
        addImage(f.bitmapId, f.type, d);
    }
}

// A rectangle of the bitmap's size, one pixel per 20 twips, filled with it.
static std::shared_ptr<Drawable> makeBitmapDrawable(const QImage& img, uint16_t id,
                                                    bool smoothing) {
    auto d = std::make_shared<Drawable>();
    d->kind = Drawable::Kind::Bitmap;
    FillStyle fill;
    fill.type = smoothing ? FillType::ClippedBitmap : FillType::ClippedBitmapHard;
    fill.bitmapId = id;
    fill.matrix.a = fill.matrix.d = 20.0;
    QPainterPath path;
    path.addRect(QRectF(0, 0, img.width() * 20.0, img.height() * 20.0));
    d->shape.groups.push_back({{{path, fill}}, {}});
    d->shape.bounds = path.boundingRect();
    d->bounds = d->shape.bounds;
    d->clampedImages.emplace(id, clampedImage(img));
    return d;
}

std::shared_ptr<const Drawable> bitmapDrawable(const QImage& image, bool smoothing) {
    if (image.isNull()) {
        return nullptr;
    }
    return makeBitmapDrawable(image.convertToFormat(QImage::Format_ARGB32_Premultiplied), 0,
                              smoothing);
}

std::shared_ptr<const Drawable> Library::prepare(uint16_t characterId) {
    auto cached = drawables_.find(characterId);
    if (cached != drawables_.end()) {
        return cached->second;
    }
    const Character* c = movie_->find(characterId);
    std::shared_ptr<Drawable> d;
    if (c == nullptr) {
        // not defined
    } else if (const auto* shape = std::get_if<Shape>(c)) {
        d = std::make_shared<Drawable>();
        d->kind = Drawable::Kind::Shape;
        d->shape = shapePaths(*shape);
        d->bounds = toRectF(shape->bounds);
        addImagesOf(shape->fills, *d);
        for (const auto& rec : shape->records) {
            if (const auto* s = std::get_if<StyleChange>(&rec); s && s->newStyles) {
                addImagesOf(s->newStyles->fills, *d);
            }
        }
        for (const auto& l : shape->lines) {
            if (l.fill) {
                addImagesOf({*l.fill}, *d);
            }
        }
    } else if (const auto* morph = std::get_if<MorphShape>(c)) {
        d = std::make_shared<Drawable>();
        d->kind = Drawable::Kind::Morph;
        d->morph = morph;
        d->bounds = toRectF(morph->startBounds).united(toRectF(morph->endBounds));
        for (const auto& f : morph->fills) {
            addImage(f.bitmapId, f.type, *d);
        }
    } else if (const auto* text = std::get_if<Text>(c)) {
        d = std::make_shared<Drawable>();
        d->kind = Drawable::Kind::Text;
        d->bounds = toRectF(text->bounds);
        d->textMatrix = toQTransform(text->matrix);
        uint16_t fontId = 0;
        double height = 0;
        Rgba color;
        double x = 0;
        double y = 0;
        for (const auto& rec : text->records) {
            if (rec.fontId) {
                fontId = *rec.fontId;
            }
            if (rec.height) {
                height = *rec.height;
            }
            if (rec.color) {
                color = *rec.color;
            }
            if (rec.xOffset) {
                x = *rec.xOffset;
            }
            if (rec.yOffset) {
                y = *rec.yOffset;
            }
            const Font* font = movie_->findAs<Font>(fontId);
            const auto* outlines = glyphs(fontId);
            GlyphRun run;
            run.color = color;
            run.path.setFillRule(Qt::WindingFill);
            const double em = font && font->version >= 3 ? 20480.0 : 1024.0;
            for (const auto& g : rec.glyphs) {
                if (outlines && g.index < outlines->size()) {
                    QTransform t;
                    t.translate(x, y);
                    t.scale(height / em, height / em);
                    run.path.addPath(t.map((*outlines)[g.index]));
                }
                x += g.advance;
            }
            if (!run.path.isEmpty()) {
                d->runs.push_back(std::move(run));
            }
        }
    } else if (std::holds_alternative<JpegBitmap>(*c) ||
               std::holds_alternative<LosslessBitmap>(*c)) {
        // A bitmap placed by itself.
        QImage img = image(characterId);
        if (!img.isNull()) {
            d = makeBitmapDrawable(img, characterId, true);
        }
    }
    if (d) {
        d->movie = movie_;
    }
    drawables_.emplace(characterId, d);
    return d;
}

static const ShapePaths& pathsAt(const Drawable& d, double ratio) {
    std::lock_guard lock(d.morphMutex);
    if (d.morphRatio != ratio) {
        d.morphPaths = morphPaths(*d.morph, ratio);
        d.morphRatio = ratio;
    }
    return d.morphPaths;
}

void draw(const Drawable& d, QPainter& painter, const QTransform& matrix, const ColorTransform& cx,
          double ratio) {
    const QTransform world = matrix * painter.worldTransform();
    painter.save();
    painter.resetTransform();
    painter.setPen(Qt::NoPen);
    switch (d.kind) {
        case Drawable::Kind::Shape:
        case Drawable::Kind::Bitmap:
            drawShapePaths(d.shape, d, painter, world, cx);
            break;
        case Drawable::Kind::Morph:
            drawShapePaths(pathsAt(d, ratio), d, painter, world, cx);
            break;
        case Drawable::Kind::Text: {
            const QTransform t = d.textMatrix * world;
            for (const auto& run : d.runs) {
                const QPainterPath glyphs = t.map(run.path);
                const QBrush ink(apply(cx, run.color));
                if (painter.testRenderHint(QPainter::Antialiasing)) {
                    painter.fillPath(glyphs, ink);
                } else {
                    fillAliased(painter, flattenCurves(glyphs), ink);
                }
            }
            break;
        }
    }
    painter.restore();
}

QPainterPath coverage(const Drawable& d, const QTransform& matrix, double ratio) {
    QPainterPath out;
    if (d.kind == Drawable::Kind::Text) {
        const QTransform t = d.textMatrix * matrix;
        for (const auto& run : d.runs) {
            out.addPath(t.map(run.path));
        }
        return out;
    }
    const ShapePaths& paths = d.kind == Drawable::Kind::Morph ? pathsAt(d, ratio) : d.shape;
    for (const auto& group : paths.groups) {
        for (const auto& fill : group.fills) {
            out.addPath(matrix.map(fill.path));
        }
    }
    return out;
}

namespace {

// Whether a stage point lies on a line as it is drawn at `toStage` (character twips to stage
// twips, a stage pixel being 20 twips): the same area the renderer fills for it on the stage,
// with its width, caps, joins, open loops and hinting; a hairline or a line that does not
// scale keeps its drawn width however the character is scaled.
bool hitsLine(const StyledLine& line, const QTransform& toStage, QPointF stage) {
    const QTransform world = toStage * QTransform::fromScale(0.05, 0.05);
    const QPointF pixel = stage * 0.05;
    const LineStyle& style = line.style;
    const double width = lineWidth(style, world);
    // As far as a miter or a square cap can reach past the path, and a pixel more.
    const double limit =
        style.join == JoinStyle::Miter ? std::clamp(style.miterLimit, 1.0, 255.0) : 1.0;
    const double reach = width * std::max(limit, 1.5) + 1;
    const QRectF around = world.mapRect(line.path.controlPointRect());
    if (!around.adjusted(-reach, -reach, reach, reach).contains(pixel)) {
        return false;
    }
    const ImageLookup noImages = [](uint16_t, bool) { return QImage(); };
    const QPen pen = linePen(style, world, {}, noImages);
    return drawnLineArea(hintedAnchors(line.path, style, world), style, pen, world).contains(pixel);
}

}  // namespace

bool hitTest(const Drawable& d, const QPointF& point, double ratio, const QTransform& toStage) {
    if (d.kind == Drawable::Kind::Text) {
        if (!d.bounds.isEmpty() && !d.bounds.adjusted(-200, -200, 200, 200).contains(point)) {
            return false;
        }
        const QPointF local = d.textMatrix.inverted().map(point);
        for (const auto& run : d.runs) {
            if (run.path.contains(local)) {
                return true;
            }
        }
        // Static text is hit anywhere inside its bounds, as the player does for buttons.
        return d.bounds.contains(point);
    }
    const ShapePaths& paths = d.kind == Drawable::Kind::Morph ? pathsAt(d, ratio) : d.shape;
    const QPointF stage = toStage.map(point);
    for (const auto& group : paths.groups) {
        for (const auto& fill : group.fills) {
            if (fill.path.contains(point)) {
                return true;
            }
        }
        for (const auto& line : group.lines) {
            if (hitsLine(line, toStage, stage)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace pencora::swf::render
