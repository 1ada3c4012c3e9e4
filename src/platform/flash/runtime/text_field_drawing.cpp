#include "platform/flash/runtime/text_field_drawing.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <map>

#include "platform/flash/render/drawable.h"
#include "platform/flash/runtime/text_field_class.h"

namespace pencora::runtime {

namespace {

// Device fonts are measured at one twip per pixel, so advances come out in twips unhinted.
QFont deviceFont(const TextFormat& f) {
    QFont font(deviceFamily(f.font.value_or(QStringLiteral("Times New Roman"))));
    font.setPixelSize(std::max(1, f.size.value_or(12) * 20));
    font.setBold(f.bold.value_or(false));
    font.setItalic(f.italic.value_or(false));
    font.setUnderline(f.underline.value_or(false));
    font.setKerning(f.kerning.value_or(false));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Qt measures fonts only inside a GUI application; without one (a command-line host) a field
// is measured as if every character were half an em wide.
bool haveFonts() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

double emSquare(const swf::Font& font) {
    return font.version >= 3 ? 20480.0 : 1024.0;
}

int glyphIndex(const swf::Font& font, char16_t code) {
    for (size_t i = 0; i < font.codes.size(); ++i) {
        if (font.codes[i] == code) {
            return int(i);
        }
    }
    return -1;
}

QColor transformed(const ColorTransformF& cx, uint32_t c, int alpha = 255) {
    const swf::Rgba out =
        cx.apply(swf::Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(alpha)});
    return QColor(out.r, out.g, out.b, out.a);
}

// One run of glyphs to paint: embedded outlines or device text at a baseline.
struct PaintRun {
    QPointF origin;  // baseline start, field twips
    QString text;
    TextFormat format;
    const swf::Font* font = nullptr;  // embedded
    double width = 0;
};

class TextFieldDrawing : public CharacterDrawing {
  public:
    TextFieldDrawing(const TextField& field, const DisplayObject& o) : bounds_(field.bounds) {
        background_ = field.background;
        border_ = field.border;
        backgroundColor_ = field.backgroundColor;
        borderColor_ = field.borderColor;
        const FieldMeasure measure = measureFor(o);
        const TextLayout layout = layoutText(field, measure);
        const double scrollTop = field.scroll > 1 && size_t(field.scroll - 1) < layout.lines.size()
                                     ? layout.lines[size_t(field.scroll - 1)].y - kGutter
                                     : 0;
        for (const TextLine& line : layout.lines) {
            double x = line.x - field.hscroll * 20.0;
            int pos = 0;
            for (const TextSpan& sp : field.spans) {
                const int a = std::max(pos, line.start);
                const int b = std::min(pos + sp.length, line.start + line.length);
                pos += sp.length;
                if (a >= b) {
                    continue;
                }
                PaintRun run;
                run.text = field.password ? QString(b - a, u'*') : field.text.mid(a, b - a);
                run.text.remove(u'\r');
                run.format = sp.format;
                run.font = measure.embeddedFont(sp.format);
                run.origin = QPointF(x, line.y + line.ascent - scrollTop);
                run.width = measure.advance(sp.format, run.text) +
                            sp.format.letterSpacing.value_or(0) * 20 * run.text.size();
                x += run.width;
                if (line.y - scrollTop < field.bounds.height()) {
                    runs_.push_back(std::move(run));
                }
            }
        }
        if (field.embedFonts && o.movie && o.movie->movie) {
            if (!o.movie->glyphs) {
                o.movie->glyphs = std::make_shared<swf::render::Library>(o.movie->movie);
            }
            library_ = o.movie->glyphs;
        }
    }

    void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
              uint16_t) const override {
        const QRectF box = bounds_;
        painter.save();
        const QTransform base = painter.transform();
        const QTransform full = toDevice * base;
        // Unrotated fields fill and frame whole device pixels, as the original draws them.
        const bool straight = full.type() <= QTransform::TxScale;
        QRect pixels;
        if (straight) {
            const QRectF d = full.mapRect(box);
            // Halves round down: a field at x = 20.5 px starts on pixel 20.
            auto px = [](double v) { return int(std::ceil(v - 0.5)); };
            pixels = QRect(QPoint(px(d.left()), px(d.top())),
                           QPoint(px(d.right()) - 1, px(d.bottom()) - 1));
        }
        if (background_) {
            const QColor fill = transformed(color, backgroundColor_);
            if (straight) {
                painter.setTransform(QTransform());
                painter.fillRect(pixels, fill);
            } else {
                painter.setTransform(full);
                painter.fillRect(box, fill);
            }
        }
        painter.setTransform(full);
        painter.setClipRect(box, Qt::IntersectClip);
        for (const PaintRun& run : runs_) {
            const QColor ink = transformed(color, run.format.color.value_or(0));
            if (run.font && library_) {
                drawEmbedded(painter, run, ink);
            } else if (haveFonts()) {
                painter.setPen(ink);
                painter.setFont(deviceFont(run.format));
                painter.drawText(run.origin + box.topLeft(), run.text);
            }
        }
        painter.setClipping(false);
        if (border_) {
            const QColor line = transformed(color, borderColor_);
            if (straight) {
                // The frame takes the pixel row and column just past the background.
                const QRect frame = pixels.adjusted(0, 0, 1, 1);
                painter.setTransform(QTransform());
                painter.setRenderHint(QPainter::Antialiasing, false);
                const QRect& pixels = frame;
                // Four lines that leave the bottom-right corner pixel out.
                painter.fillRect(QRect(pixels.left(), pixels.top(), pixels.width(), 1), line);
                painter.fillRect(QRect(pixels.left(), pixels.bottom(), pixels.width() - 1, 1),
                                 line);
                painter.fillRect(QRect(pixels.left(), pixels.top(), 1, pixels.height()), line);
                painter.fillRect(QRect(pixels.right(), pixels.top(), 1, pixels.height() - 1), line);
            } else {
                QPen pen(line);
                pen.setCosmetic(true);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box);
            }
        }
        painter.restore();
    }

    QPainterPath outline(uint16_t) const override {
        QPainterPath p;
        p.addRect(bounds_);
        return p;
    }
    bool hits(QPointF point, uint16_t) const override { return bounds_.contains(point); }
    QRectF bounds(uint16_t) const override { return bounds_; }

  private:
    void drawEmbedded(QPainter& painter, const PaintRun& run, const QColor& ink) const {
        const swf::Font& font = *run.font;
        const std::vector<QPainterPath>* glyphs = library_->glyphs(font.id);
        if (!glyphs) {
            return;
        }
        const double scale = run.format.size.value_or(12) * 20.0 / emSquare(font);
        double x = run.origin.x() + bounds_.left();
        const double spacing = run.format.letterSpacing.value_or(0) * 20;
        for (QChar c : run.text) {
            const int g = glyphIndex(font, c.unicode());
            if (g >= 0 && size_t(g) < glyphs->size()) {
                QTransform t;
                t.translate(x, run.origin.y() + bounds_.top());
                t.scale(scale, scale);
                painter.fillPath(t.map((*glyphs)[size_t(g)]), ink);
                if (size_t(g) < font.advances.size()) {
                    x += font.advances[size_t(g)] * scale;
                }
            }
            x += spacing;
        }
    }

    QRectF bounds_;
    bool background_ = false;
    bool border_ = false;
    uint32_t backgroundColor_ = 0xFFFFFF;
    uint32_t borderColor_ = 0;
    std::vector<PaintRun> runs_;
    std::shared_ptr<swf::render::Library> library_;
};

}  // namespace

QString deviceFamily(const QString& name) {
    static const std::map<QString, QString> kFamilies = {
        {QStringLiteral("_sans"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("_serif"), QStringLiteral("DejaVu Serif")},
        {QStringLiteral("_typewriter"), QStringLiteral("DejaVu Sans Mono")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Nimbus Roman")},
        {QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")},
        {QStringLiteral("Courier New"), QStringLiteral("Nimbus Mono PS")},
        {QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN")},
        {QStringLiteral("楷体"), QStringLiteral("AR PL UKai CN")},
        {QStringLiteral("楷体_GB2312"), QStringLiteral("AR PL UKai CN")},
        {QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC")},
    };
    auto it = kFamilies.find(name);
    return it != kFamilies.end() ? it->second : name;
}

QStringList deviceFontNames() {
    QStringList names = haveFonts() ? QFontDatabase::families() : QStringList();
    names.prepend(QStringLiteral("_typewriter"));
    names.prepend(QStringLiteral("_serif"));
    names.prepend(QStringLiteral("_sans"));
    return names;
}

const swf::Font* FieldMeasure::embeddedFont(const TextFormat& f) const {
    if (!embedded_ || !movie_ || !f.font) {
        return nullptr;
    }
    const swf::Font* fallback = nullptr;
    for (const auto& [id, c] : movie_->dictionary) {
        if (auto* font = std::get_if<swf::Font>(&c)) {
            QString name = QString::fromUtf8(font->name.c_str());
            while (!name.isEmpty() && name.back() == QChar(0)) {
                name.chop(1);
            }
            if (name == *f.font && !font->glyphs.empty()) {
                if (font->bold == f.bold.value_or(false) &&
                    font->italic == f.italic.value_or(false)) {
                    return font;
                }
                fallback = fallback ? fallback : font;
            }
        }
    }
    return fallback;
}

double FieldMeasure::advance(const TextFormat& f, QStringView text) const {
    if (const swf::Font* font = embeddedFont(f)) {
        const double scale = f.size.value_or(12) * 20.0 / emSquare(*font);
        double w = 0;
        for (QChar c : text) {
            const int g = glyphIndex(*font, c.unicode());
            if (g >= 0 && size_t(g) < font->advances.size()) {
                w += font->advances[size_t(g)] * scale;
            }
        }
        return w;
    }
    if (text.isEmpty()) {
        return 0;
    }
    if (!haveFonts()) {
        return f.size.value_or(12) * 10.0 * double(text.size());
    }
    return metrics(f).horizontalAdvance(text.toString());
}

double FieldMeasure::ascent(const TextFormat& f) const {
    if (const swf::Font* font = embeddedFont(f); font && font->hasLayout) {
        return font->ascent * f.size.value_or(12) * 20.0 / emSquare(*font);
    }
    if (!haveFonts()) {
        return f.size.value_or(12) * 18.0;
    }
    return metrics(f).ascent();
}

double FieldMeasure::descent(const TextFormat& f) const {
    if (const swf::Font* font = embeddedFont(f); font && font->hasLayout) {
        return font->descent * f.size.value_or(12) * 20.0 / emSquare(*font);
    }
    if (!haveFonts()) {
        return f.size.value_or(12) * 4.0;
    }
    return metrics(f).descent();
}

const QFontMetricsF& FieldMeasure::metrics(const TextFormat& f) const {
    if (!metrics_ || metrics_->first != f) {
        metrics_.emplace(f, QFontMetricsF(deviceFont(f)));
    }
    return metrics_->second;
}

FieldMeasure measureFor(const DisplayObject& o) {
    const swf::Movie* movie = o.movie && o.movie->movie ? o.movie->movie.get() : nullptr;
    return FieldMeasure(movie, o.field && o.field->embedFonts);
}

void textFieldChanged(DisplayObject& o) {
    if (!o.field) {
        return;
    }
    TextField& f = *o.field;
    if (f.autoSize != AutoSize::None) {
        const TextLayout l = layoutText(f, measureFor(o));
        const double height = std::ceil(l.textHeight / 20) * 20 + 2 * kGutter;
        if (!f.wordWrap) {
            const double width = std::ceil(l.textWidth / 20) * 20 + 2 * kGutter;
            const double grow = width - f.bounds.width();
            if (f.autoSize == AutoSize::Center) {
                f.bounds.moveLeft(f.bounds.left() - grow / 2);
            } else if (f.autoSize == AutoSize::Right) {
                f.bounds.moveLeft(f.bounds.left() - grow);
            }
            f.bounds.setWidth(width);
        }
        f.bounds.setHeight(height);
    }
    o.drawing = std::make_shared<TextFieldDrawing>(f, o);
}

}  // namespace pencora::runtime
