// The drawing the runtime uses on its own: shapes and morph shapes with solid, gradient and
// bitmap fills and their strokes, bitmaps, and static text from embedded glyphs, all painted
// with QPainter from paths built once per character.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <cstring>
#include <map>
#include <variant>

#include "platform/flash/runtime/character_drawing.h"
#include "platform/flash/runtime/display_object.h"
#include "platform/flash/runtime/shape_paths.h"

namespace pencora::runtime {

namespace {

QColor qcolor(swf::Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

// Decoded bitmaps of one movie, shared by the fills and bitmap characters that use them.
class BitmapCache {
public:
    const QImage* find(const swf::Movie& movie, uint16_t id) {
        auto it = images_.find(id);
        if (it == images_.end()) {
            it = images_.emplace(id, decode(movie, id)).first;
        }
        return it->second.isNull() ? nullptr : &it->second;
    }

private:
    static QImage decode(const swf::Movie& movie, uint16_t id) {
        if (auto* l = movie.findAs<swf::LosslessBitmap>(id)) {
            if (l->width == 0 || l->height == 0 ||
                l->pixels.size() < size_t(l->width) * l->height) {
                return {};
            }
            QImage img(l->width, l->height, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < l->height; ++y) {
                std::memcpy(img.scanLine(y), l->pixels.data() + size_t(y) * l->width,
                            size_t(l->width) * 4);
            }
            return img;
        }
        auto* j = movie.findAs<swf::JpegBitmap>(id);
        if (!j) {
            return {};
        }
        QByteArray data;
        auto bytes = [](const swf::Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
        };
        if (j->version == 1 && !movie.jpegTables.empty()) {
            QByteArray tables = bytes(movie.jpegTables);
            QByteArray body = bytes(j->data);
            if (tables.endsWith("\xFF\xD9")) tables.chop(2);
            if (body.startsWith("\xFF\xD8")) body.remove(0, 2);
            data = tables + body;
        } else {
            data = bytes(j->data);
        }
        // Some writers put an end marker and a new start marker before the image.
        if (data.startsWith(QByteArray("\xFF\xD9\xFF\xD8", 4))) {
            data.remove(0, 4);
        }
        QImage img = QImage::fromData(data);
        if (img.isNull()) {
            return {};
        }
        img = img.convertToFormat(QImage::Format_ARGB32);
        if (!j->alpha.empty()) {
            const size_t n = size_t(img.width()) * img.height();
            if (auto alpha = swf::inflateZlib(j->alpha, n); alpha && alpha->size() >= n) {
                for (int y = 0; y < img.height(); ++y) {
                    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
                    for (int x = 0; x < img.width(); ++x) {
                        const QRgb p = row[x];
                        row[x] = qRgba(qRed(p), qGreen(p), qBlue(p),
                                       (*alpha)[size_t(y) * img.width() + x]);
                    }
                }
            }
        }
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    std::map<uint16_t, QImage> images_;
};

QImage transformed(const QImage& img, const ColorTransformF& cx) {
    if (cx.isIdentity()) {
        return img;
    }
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = row[x];
            const swf::Rgba c = cx.apply({uint8_t(qRed(p)), uint8_t(qGreen(p)),
                                          uint8_t(qBlue(p)), uint8_t(qAlpha(p))});
            row[x] = qRgba(c.r, c.g, c.b, c.a);
        }
    }
    return out;
}

struct Painting {
    std::shared_ptr<const swf::Movie> movie;
    std::shared_ptr<BitmapCache> bitmaps;

    QBrush brush(const swf::FillStyle& f, const ColorTransformF& cx, bool& smooth) const {
        if (f.type == swf::FillType::Solid) {
            return QBrush(qcolor(cx.apply(f.color)));
        }
        if (swf::isGradient(f.type)) {
            QGradient g;
            if (f.type == swf::FillType::LinearGradient) {
                g = QLinearGradient(-16384, 0, 16384, 0);
            } else {
                const double focal = f.type == swf::FillType::FocalGradient ? f.gradient.focalPoint : 0;
                g = QRadialGradient(QPointF(0, 0), 16384, QPointF(focal * 16384, 0));
            }
            for (const auto& s : f.gradient.stops) {
                g.setColorAt(s.ratio / 255.0, qcolor(cx.apply(s.color)));
            }
            g.setSpread(f.gradient.spread == swf::SpreadMode::Reflect  ? QGradient::ReflectSpread
                        : f.gradient.spread == swf::SpreadMode::Repeat ? QGradient::RepeatSpread
                                                                       : QGradient::PadSpread);
            QBrush b(g);
            b.setTransform(toTransform(f.matrix));
            return b;
        }
        if (swf::isBitmap(f.type)) {
            if (const QImage* img = bitmaps->find(*movie, f.bitmapId)) {
                QBrush b(transformed(*img, cx));
                b.setTransform(toTransform(f.matrix));
                smooth = f.type == swf::FillType::RepeatingBitmap ||
                         f.type == swf::FillType::ClippedBitmap;
                return b;
            }
            return QBrush(Qt::NoBrush);
        }
        return QBrush(Qt::NoBrush);
    }

    void paint(QPainter& p, const ShapePaths& paths, const QTransform& toDevice,
               const ColorTransformF& cx) const {
        p.setTransform(toDevice);
        for (const FillPath& f : paths.fills) {
            bool smooth = false;
            QBrush b = brush(f.style, cx, smooth);
            if (b.style() == Qt::NoBrush) {
                continue;
            }
            p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
            p.fillPath(f.path, b);
        }
        const double scale = std::sqrt(std::abs(toDevice.determinant()));
        for (const LinePath& l : paths.lines) {
            bool smooth = false;
            QBrush b = l.style.fill ? brush(*l.style.fill, cx, smooth)
                                    : QBrush(qcolor(cx.apply(l.style.color)));
            QPen pen(b, l.style.width);
            if (l.style.width * scale < 1.0) {
                pen.setCosmetic(true);
                pen.setWidthF(1.0);
            }
            pen.setCapStyle(l.style.startCap == swf::CapStyle::None     ? Qt::FlatCap
                            : l.style.startCap == swf::CapStyle::Square ? Qt::SquareCap
                                                                        : Qt::RoundCap);
            pen.setJoinStyle(l.style.join == swf::JoinStyle::Bevel   ? Qt::BevelJoin
                             : l.style.join == swf::JoinStyle::Miter ? Qt::MiterJoin
                                                                     : Qt::RoundJoin);
            pen.setMiterLimit(l.style.miterLimit);
            p.strokePath(l.path, pen);
        }
    }
};

class ShapeDrawing : public CharacterDrawing {
public:
    ShapeDrawing(Painting paint, ShapePaths paths)
        : paint_(std::move(paint)), paths_(std::move(paths)) {}
    void draw(QPainter& p, const QTransform& t, const ColorTransformF& c, uint16_t) const override {
        paint_.paint(p, paths_, t, c);
    }
    QPainterPath outline(uint16_t) const override { return paths_.outline; }
    QRectF bounds(uint16_t) const override { return paths_.bounds; }

private:
    Painting paint_;
    ShapePaths paths_;
};

class MorphDrawing : public CharacterDrawing {
public:
    MorphDrawing(Painting paint, const swf::MorphShape& m) : paint_(std::move(paint)), morph_(m) {}
    void draw(QPainter& p, const QTransform& t, const ColorTransformF& c,
              uint16_t ratio) const override {
        paint_.paint(p, at(ratio), t, c);
    }
    QPainterPath outline(uint16_t ratio) const override { return at(ratio).outline; }
    QRectF bounds(uint16_t ratio) const override { return at(ratio).bounds; }

private:
    const ShapePaths& at(uint16_t ratio) const {
        if (!cached_ || cachedRatio_ != ratio) {
            MorphFrame f = morphAt(morph_, ratio);
            cache_ = buildShapePaths(f.fills, f.lines, f.records);
            cached_ = true;
            cachedRatio_ = ratio;
        }
        return cache_;
    }
    Painting paint_;
    const swf::MorphShape& morph_;
    mutable ShapePaths cache_;
    mutable bool cached_ = false;
    mutable uint16_t cachedRatio_ = 0;
};

class BitmapDrawing : public CharacterDrawing {
public:
    explicit BitmapDrawing(QImage img) : img_(std::move(img)) {}
    void draw(QPainter& p, const QTransform& t, const ColorTransformF& c, uint16_t) const override {
        p.setTransform(QTransform::fromScale(20, 20) * t);
        p.drawImage(QPointF(0, 0), transformed(img_, c));
    }
    QPainterPath outline(uint16_t) const override {
        QPainterPath path;
        path.addRect(bounds(0));
        return path;
    }
    QRectF bounds(uint16_t) const override {
        return QRectF(0, 0, img_.width() * 20.0, img_.height() * 20.0);
    }

private:
    QImage img_;
};

// Static text: each glyph's outline placed at its pen position, scaled from the font's em
// square to the record's height, in the colour of its record.
class TextDrawing : public CharacterDrawing {
public:
    struct Glyph {
        QPainterPath path;  // text space, twips
        swf::Rgba color;
    };
    TextDrawing(std::vector<Glyph> glyphs, QRectF bounds)
        : glyphs_(std::move(glyphs)), bounds_(bounds) {}
    void draw(QPainter& p, const QTransform& t, const ColorTransformF& c, uint16_t) const override {
        p.setTransform(t);
        for (const Glyph& g : glyphs_) {
            p.fillPath(g.path, qcolor(c.apply(g.color)));
        }
    }
    QPainterPath outline(uint16_t) const override {
        QPainterPath path;
        path.addRect(bounds_);
        return path;
    }
    QRectF bounds(uint16_t) const override { return bounds_; }

private:
    std::vector<Glyph> glyphs_;
    QRectF bounds_;
};

std::shared_ptr<const CharacterDrawing> prepareText(const swf::Movie& movie, const swf::Text& t) {
    std::vector<TextDrawing::Glyph> glyphs;
    const swf::Font* font = nullptr;
    swf::Rgba color;
    double x = 0, y = 0, height = 0;
    const QTransform textMatrix = toTransform(t.matrix);
    std::map<std::pair<uint16_t, uint32_t>, QPainterPath> cache;
    const std::vector<swf::FillStyle> oneFill{swf::FillStyle{}};
    for (const swf::TextRecord& r : t.records) {
        if (r.fontId) font = movie.findAs<swf::Font>(*r.fontId);
        if (r.color) color = *r.color;
        if (r.xOffset) x = *r.xOffset;
        if (r.yOffset) y = *r.yOffset;
        if (r.height) height = *r.height;
        for (const swf::GlyphEntry& g : r.glyphs) {
            if (font && g.index < font->glyphs.size()) {
                auto key = std::make_pair(font->id, g.index);
                auto it = cache.find(key);
                if (it == cache.end()) {
                    it = cache.emplace(key, buildShapePaths(oneFill, {}, font->glyphs[g.index])
                                                .outline)
                             .first;
                }
                const double em = font->version >= 3 ? 20480.0 : 1024.0;
                const QTransform place =
                    QTransform::fromScale(height / em, height / em) * QTransform::fromTranslate(x, y);
                glyphs.push_back({(place * textMatrix).map(it->second), color});
            }
            x += g.advance;
        }
    }
    const QRectF bounds(t.bounds.xMin, t.bounds.yMin, t.bounds.xMax - t.bounds.xMin,
                        t.bounds.yMax - t.bounds.yMin);
    return std::make_shared<TextDrawing>(std::move(glyphs), bounds);
}

class PlainDrawingFactory : public DrawingFactory {
public:
    std::shared_ptr<const CharacterDrawing> prepare(const std::shared_ptr<const swf::Movie>& m,
                                                    uint16_t id) override {
        const swf::Movie& movie = *m;
        std::erase_if(bitmaps_, [](const auto& e) { return e.second.expired(); });
        auto bitmaps = bitmaps_[m.get()].lock();
        if (!bitmaps) {
            bitmaps = std::make_shared<BitmapCache>();
            bitmaps_[m.get()] = bitmaps;
        }
        const Painting paint{m, bitmaps};
        const swf::Character* c = movie.find(id);
        if (!c) {
            return nullptr;
        }
        if (auto* s = std::get_if<swf::Shape>(c)) {
            return std::make_shared<ShapeDrawing>(
                paint, buildShapePaths(s->fills, s->lines, s->records, s->usesFillWindingRule));
        }
        if (auto* morph = std::get_if<swf::MorphShape>(c)) {
            return std::make_shared<MorphDrawing>(paint, *morph);
        }
        if (auto* t = std::get_if<swf::Text>(c)) {
            return prepareText(movie, *t);
        }
        if (std::holds_alternative<swf::JpegBitmap>(*c) ||
            std::holds_alternative<swf::LosslessBitmap>(*c)) {
            if (const QImage* img = bitmaps->find(movie, id)) {
                return std::make_shared<BitmapDrawing>(*img);
            }
        }
        return nullptr;
    }

private:
    // Decoded bitmaps per movie, alive while a drawing of that movie is (and the movie with it).
    std::map<const swf::Movie*, std::weak_ptr<BitmapCache>> bitmaps_;
};

}  // namespace

std::unique_ptr<DrawingFactory> makeDefaultDrawingFactory() {
    return std::make_unique<PlainDrawingFactory>();
}

}  // namespace pencora::runtime
