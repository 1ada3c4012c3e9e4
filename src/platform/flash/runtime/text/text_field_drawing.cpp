#include "platform/flash/runtime/text/text_field_drawing.h"
#include "platform/flash/runtime/text/text_pictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/render/aliased_fill.h"
#include "platform/flash/render/device_fonts.h"
#include "platform/flash/render/drawable.h"
#include "platform/flash/render/flatten.h"
#include "platform/flash/runtime/text/text_field_class.h"

namespace pencora::runtime {

double lineAnchorOf(const TextField& field, const TextLine& line) {
    const double lineX = line.x - field.hscroll * 20.0;
    switch (field.formatOf(line.start, line.start + 1).align.value_or(TextAlign::Left)) {
        case TextAlign::Center:
            return lineX + line.width / 2;
        case TextAlign::Right:
            return lineX + line.width;
        default:
            return lineX;
    }
}

double keptProportion(const QTransform& full) {
    const double sx = std::abs(full.m11());
    const double sy = std::abs(full.m22());
    if (sx <= 0 || sy <= 0 || std::abs(sx - sy) < 1e-9 * sy) {
        return 1;
    }
    return sy / sx;
}

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

// Device glyphs step by whole pixels of the field's own size (20 twips), each advance rounded.
double glyphStep(const QFontMetricsF& m, QChar c) {
    return std::round(m.horizontalAdvance(c) / 20.0) * 20.0;
}

double deviceAdvance(const QFontMetricsF& m, QStringView text) {
    double w = 0;
    for (QChar c : text) {
        w += glyphStep(m, c);
    }
    return w;
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

// Advances are read unsigned: fonts may give advances past 32767 em units. Scaled to a size,
// the layout counts each one in whole twips, rounded down; glyphs are drawn at the unrounded sum.
double glyphAdvance(const swf::Font& font, size_t g) {
    return g < font.advances.size() ? double(uint16_t(font.advances[g])) : 0.0;
}

// How far the font's kerning table moves `right` after `left`, in whole twips at `scale`.
double pairKerning(const swf::Font& font, QChar left, QChar right, double scale) {
    for (const swf::KerningPair& k : font.kerning) {
        if (k.left == left.unicode() && k.right == right.unicode()) {
            return std::floor(k.adjustment * scale);
        }
    }
    return 0;
}

// Where an upright edge of the selection falls once sampled. Smoothed, each pixel is sampled
// on a 4 x 4 grid, at the centres of its sixteen cells: the edge moves to the nearest quarter
// pixel that leaves as many samples on each side (an edge 0.85 into a pixel covers three of
// its four columns, as an edge 0.75 into it does). Without smoothing a pixel is covered whole
// or not at all: the edge moves to the nearest whole pixel.
double sampledEdge(double v, bool smooth) {
    if (!smooth) {
        return std::round(v);
    }
    return std::ceil(v * 4.0 - 0.5) / 4.0;
}

QColor transformed(const ColorTransformF& cx, uint32_t c, int alpha = 255) {
    const swf::Rgba out =
        cx.apply(swf::Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(alpha)});
    return QColor(out.r, out.g, out.b, out.a);
}

// One run of glyphs to paint: embedded outlines or device text at a baseline.
struct PaintRun {
    QPointF origin;  // baseline start, twips from the box's top-left corner
    QString text;
    TextFormat format;
    const swf::Font* font = nullptr;  // embedded
    bool selected = false;            // painted in the selection's colours
    bool bullet = false;              // a paragraph's bullet, drawn in the device font
    QRectF area;                      // its part of the line, twips from the box's corner
    double anchor = 0;  // where its line holds still as device text keeps its proportions
};

// Device text keeps the font's proportions: a field stretched wider than tall (or narrower)
// shows its glyphs at the height the field is scaled to, each line held at its anchor. The
// map, in the field's twips, to take before `full`.
QTransform proportional(const QTransform& full, double anchor) {
    const double k = keptProportion(full);
    if (k == 1) {
        return {};
    }
    return QTransform(k, 0, 0, 1, anchor * (1 - k), 0);
}

// The characters [a, b) as they show: '*' for passwords, without paragraph ends.
QString shownText(const TextField& f, int a, int b) {
    QString s = f.password ? QString(b - a, u'*') : f.text.mid(a, b - a);
    s.remove(u'\r');
    return s;
}

// How far [a, b) reaches along a line, as the layout measured it.
double widthOf(const TextLayout& layout, int a, int b) {
    double w = 0;
    for (int i = std::max(a, 0); i < b && size_t(i) < layout.advances.size(); ++i) {
        w += layout.advances[size_t(i)];
    }
    return w;
}

// How far the lines scrolled up out of the box, in twips.
double scrolledTop(const TextField& field, const TextLayout& layout) {
    return field.scroll > 1 && size_t(field.scroll - 1) < layout.lines.size()
               ? layout.lines[size_t(field.scroll - 1)].y - kGutter
               : 0;
}

// A caret: a zero-width box from the field box's top-left corner (twips), and the point its
// line's alignment holds (see PaintRun::anchor).
struct Caret {
    QRectF box;
    double anchor = 0;
};

// The caret at `pos`, on the last line that starts at or before it; nothing when that line is
// scrolled out of view.
std::optional<Caret> caretBox(const TextField& field, const TextLayout& layout, int pos) {
    const double scrollTop = scrolledTop(field, layout);
    const TextLine* at = nullptr;
    for (const TextLine& line : layout.lines) {
        if (line.start <= pos) {
            at = &line;
        }
    }
    if (!at || at->y - scrollTop >= field.bounds.height()) {
        return std::nullopt;
    }
    const double lineX = at->x - field.hscroll * 20.0;
    return Caret{QRectF(lineX + widthOf(layout, at->start, pos), at->y - scrollTop, 0,
                        at->ascent + at->descent),
                 lineAnchorOf(field, *at)};
}

// Selected text shows white on black.
constexpr uint32_t kSelectionInk = 0xFFFFFF;
constexpr uint32_t kSelectionBackground = 0x000000;

class TextFieldDrawing : public CharacterDrawing {
  public:
    // `composed`: where an input method's text still being composed stands, shown underlined.
    TextFieldDrawing(const TextField& field, const DisplayObject& o,
                     std::pair<int, int> composed = {0, 0})
        : bounds_(field.bounds), embedded_(field.embedFonts) {
        background_ = field.background;
        border_ = field.border;
        backgroundColor_ = field.backgroundColor;
        borderColor_ = field.borderColor;
        const FieldMeasure measure = measureFor(o);
        const TextLayout layout = layoutText(field, measure);
        const double scrollTop = scrolledTop(field, layout);
        // The focused field shows its selection, or its caret when it takes typing.
        int selBegin = -1, selEnd = -1;
        if (field.focused) {
            selBegin =
                std::clamp(field.selectionBegin < 0 ? 0 : field.selectionBegin, 0, field.length());
            selEnd = std::clamp(field.selectionEnd < 0 ? 0 : field.selectionEnd, 0, field.length());
            if (selBegin > selEnd) {
                std::swap(selBegin, selEnd);
            }
        }
        for (size_t li = 0; li < layout.lines.size(); ++li) {
            const TextLine& line = layout.lines[li];
            const double top = line.y - scrollTop;
            if (top >= field.bounds.height()) {
                break;
            }
            const double lineX = line.x - field.hscroll * 20.0;
            const double anchor = lineAnchorOf(field, line);
            const int lineEnd = line.start + line.length;
            // Pieces of the line in one format and one selection state.
            std::vector<int> cuts{line.start, lineEnd};
            int pos = 0;
            for (const TextSpan& sp : field.spans) {
                cuts.push_back(pos);
                pos += sp.length;
            }
            cuts.push_back(selBegin);
            cuts.push_back(selEnd);
            cuts.push_back(composed.first);
            cuts.push_back(composed.second);
            // A tab paints nothing: the text after it starts where it reaches. So do the widened
            // spaces of a justified line.
            for (int i = line.start; i < lineEnd; ++i) {
                if (field.text[i] == u'\t' || (line.justified && field.text[i] == u' ')) {
                    cuts.push_back(i);
                    cuts.push_back(i + 1);
                }
            }
            std::sort(cuts.begin(), cuts.end());
            cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
            if (line.bullet) {
                PaintRun bullet;
                bullet.format = field.formatOf(line.start, line.start + 1);
                bullet.text = QStringLiteral("\u2022");
                bullet.bullet = true;
                bullet.origin = QPointF(line.bulletX - field.hscroll * 20.0, top + line.ascent);
                bullet.anchor = anchor;
                runs_.push_back(std::move(bullet));
            }
            double x = lineX;
            for (size_t i = 0; i + 1 < cuts.size(); ++i) {
                const int a = cuts[i], b = cuts[i + 1];
                if (a < line.start || b > lineEnd) {
                    continue;
                }
                PaintRun run;
                run.format = field.formatOf(a, a + 1);
                run.text = shownText(field, a, b);
                run.font = measure.embeddedFont(run.format);
                run.origin = QPointF(x, top + line.ascent);
                run.anchor = anchor;
                run.selected = a >= selBegin && b <= selEnd && selBegin < selEnd;
                if (a >= composed.first && b <= composed.second) {
                    run.format.underline = true;
                }
                const double width = widthOf(layout, a, b);
                run.area = QRectF(x, top, width, line.ascent + line.descent);
                if (run.selected) {
                    selection_.push_back({run.area, anchor});
                }
                x += width;
                if (run.text != u"\t") {
                    runs_.push_back(std::move(run));
                }
            }
        }
        if (field.focused && field.editable && selBegin == selEnd) {
            caret_ = caretBox(field, layout, selEnd);
            caretColor_ = field.formatOf(selEnd, selEnd).color.value_or(0);
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
        const QTransform full = toDevice * painter.transform();
        // Device text cannot turn: a field that does not stay upright shows nothing.
        const std::optional<QRect> pixels = uprightPixels(full, box, embedded_);
        if (!pixels && !embedded_) {
            return;
        }
        painter.save();
        if (background_) {
            const QColor fill = transformed(color, backgroundColor_);
            if (pixels) {
                fillDevice(painter, *pixels, fill);
            } else {
                painter.setTransform(full);
                painter.fillRect(box, fill);
            }
        }
        if (pixels) {
            painter.setTransform(QTransform());
            painter.setClipRect(*pixels, Qt::IntersectClip);
        } else {
            painter.setTransform(full);
            painter.setClipRect(box, Qt::IntersectClip);
        }
        drawSelection(painter, full, pixels, color);
        painter.setTransform(full);
        for (const PaintRun& run : runs_) {
            const QColor ink =
                transformed(color, run.selected ? kSelectionInk : run.format.color.value_or(0));
            if (run.font && library_) {
                drawEmbedded(painter, run, ink);
            } else if (haveFonts() && (!embedded_ || run.bullet)) {
                // Text a field embeds no font for shows nothing.
                drawDevice(painter, run, box.topLeft(), ink);
            }
        }
        drawCaret(painter, full, pixels, color);
        painter.setClipping(false);
        if (border_) {
            const QColor line = transformed(color, borderColor_);
            if (pixels) {
                // The frame takes the pixel row and column just past the background. Device
                // text leaves the bottom-right corner pixel out; outline text closes it.
                const QRect f = pixels->adjusted(0, 0, 1, 1);
                const int corner = embedded_ ? 0 : 1;
                painter.setTransform(QTransform());
                painter.setRenderHint(QPainter::Antialiasing, false);
                painter.fillRect(QRect(f.left(), f.top(), f.width(), 1), line);
                painter.fillRect(QRect(f.left(), f.bottom(), f.width() - corner, 1), line);
                painter.fillRect(QRect(f.left(), f.top(), 1, f.height()), line);
                painter.fillRect(QRect(f.right(), f.top(), 1, f.height() - corner), line);
            } else {
                QPen pen(line);
                pen.setCosmetic(true);
                painter.setTransform(full);
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

    // As a mask a field shows through its letters: the outlines of embedded glyphs, and for
    // device text, whose outlines are the system's, each run's box on its line. A background
    // masks with the whole box. Nothing reaches outside the box.
    QPainterPath maskArea(uint16_t) const override {
        QPainterPath box;
        box.addRect(bounds_);
        if (background_) {
            return box;
        }
        QPainterPath letters;
        letters.setFillRule(Qt::WindingFill);
        for (const PaintRun& run : runs_) {
            if (run.font && library_) {
                letters.addPath(embeddedPath(run));
            } else if (!run.area.isEmpty()) {
                letters.addRect(run.area.translated(bounds_.topLeft()));
            }
        }
        return letters.intersected(box);
    }
    bool hits(QPointF point, uint16_t, const QTransform&) const override {
        return bounds_.contains(point);
    }
    QRectF bounds(uint16_t) const override { return bounds_; }

  private:
    // Device text keeps its proportions in a stretched field: what marks its characters (the
    // selection, the caret) stretches with it, about the same point of the line. The map from
    // the box's twips to the device for a line held at `anchor`.
    QTransform shownBox(const QTransform& full, double anchor) const {
        const QTransform toBox = QTransform::fromTranslate(bounds_.left(), bounds_.top());
        return embedded_ ? toBox * full
                         : toBox * proportional(full, anchor + bounds_.left()) * full;
    }

    static void fillDevice(QPainter& painter, const QRectF& r, const QColor& c) {
        painter.setTransform(QTransform());
        painter.fillRect(r, c);
    }

    void drawSelection(QPainter& painter, const QTransform& full,
                       const std::optional<QRect>& pixels, const ColorTransformF& color) const {
        const QColor fill = transformed(color, kSelectionBackground);
        for (const auto& [r, anchor] : selection_) {
            if (pixels) {
                const QRectF d = shownBox(full, anchor).mapRect(r);
                const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
                auto edge = [smooth](double v) { return sampledEdge(v, smooth); };
                fillDevice(painter,
                           QRectF(QPointF(edge(d.left()), edge(d.top())),
                                  QPointF(edge(d.right()), edge(d.bottom()))),
                           fill);
            } else {
                painter.setTransform(shownBox(full, anchor));
                painter.fillRect(r, fill);
            }
        }
    }

    void drawCaret(QPainter& painter, const QTransform& full, const std::optional<QRect>& pixels,
                   const ColorTransformF& color) const {
        if (!caret_) {
            return;
        }
        const QColor ink = transformed(color, caretColor_);
        const QTransform shown = shownBox(full, caret_->anchor);
        if (pixels) {
            // One pixel wide, on the column the caret's position falls in.
            const QPointF a = shown.map(caret_->box.topLeft());
            const QPointF b = shown.map(caret_->box.bottomLeft());
            fillDevice(painter, QRectF(std::floor(a.x()), a.y(), 1, b.y() - a.y()), ink);
        } else {
            QPen pen(ink);
            pen.setCosmetic(true);
            painter.setTransform(shown);
            painter.setPen(pen);
            painter.drawLine(caret_->box.topLeft(), caret_->box.bottomLeft());
        }
    }

    // Aliased device text takes the same pixel rule as shapes: its outlines are filled pixel
    // by pixel rather than by the font engine's own aliased rasteriser.
    static void drawDevice(QPainter& painter, const PaintRun& run, QPointF topLeft,
                           const QColor& ink) {
        const QFont font = deviceFont(run.format);
        const QTransform keep = proportional(painter.worldTransform(), run.anchor + topLeft.x());
        const double spacing = run.format.letterSpacing.value_or(0) * 20;
        if (painter.testRenderHint(QPainter::Antialiasing) && spacing == 0) {
            painter.save();
            painter.setTransform(keep * painter.worldTransform());
            painter.setPen(ink);
            painter.setFont(font);
            painter.drawText(run.origin + topLeft, run.text);
            painter.restore();
            return;
        }
        const QFontMetricsF m(font);
        QPainterPath path;
        QPointF at = run.origin + topLeft;
        for (QChar c : run.text) {
            path.addText(at, font, QString(c));
            at.rx() += spacedAdvance(glyphStep(m, c), spacing);
        }
        if (painter.testRenderHint(QPainter::Antialiasing)) {
            painter.save();
            painter.setTransform(keep * painter.worldTransform());
            painter.fillPath(path, ink);
            painter.restore();
            return;
        }
        // The glyphs' curves are cut on the device into the chords a shape's are cut into.
        const QPainterPath device = (keep * painter.worldTransform()).map(path);
        painter.save();
        painter.resetTransform();
        swf::render::fillAliased(painter, swf::render::flattenCurves(device), ink);
        painter.restore();
    }

    void drawEmbedded(QPainter& painter, const PaintRun& run, const QColor& ink) const {
        painter.fillPath(embeddedPath(run), ink);
    }

    // The run's embedded glyphs in the field's twips.
    QPainterPath embeddedPath(const PaintRun& run) const {
        QPainterPath out;
        out.setFillRule(Qt::WindingFill);
        const swf::Font& font = *run.font;
        const std::vector<QPainterPath>* glyphs = library_->glyphs(font.id);
        if (!glyphs) {
            return out;
        }
        const double scale = run.format.size.value_or(12) * 20.0 / emSquare(font);
        double x = run.origin.x() + bounds_.left();
        // Glyphs sit on whole twips but step by their unrounded advances, so that the fractions
        // the layout drops (it counts each advance down to whole twips) do not pile up.
        const double y = std::round(run.origin.y() + bounds_.top());
        const double spacing = run.format.letterSpacing.value_or(0) * 20;
        const bool kerned = run.format.kerning.value_or(false) && !font.kerning.empty();
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const QChar c = run.text[i];
            const int g = glyphIndex(font, c.unicode());
            if (g >= 0 && size_t(g) < glyphs->size()) {
                QTransform t;
                t.translate(std::round(x), y);
                t.scale(scale, scale);
                out.addPath(t.map((*glyphs)[size_t(g)]));
                x += spacedAdvance(glyphAdvance(font, size_t(g)) * scale, spacing);
            } else {
                x += spacedAdvance(0, spacing);
            }
            if (kerned && i + 1 < run.text.size()) {
                x += pairKerning(font, c, run.text[i + 1], scale);
            }
        }
        return out;
    }

    QRectF bounds_;
    bool embedded_ = false;
    bool background_ = false;
    bool border_ = false;
    uint32_t backgroundColor_ = 0xFFFFFF;
    uint32_t borderColor_ = 0;
    std::vector<PaintRun> runs_;
    std::vector<Caret> selection_;  // the selected runs' areas and their lines' anchors
    std::optional<Caret> caret_;    // a zero-width box: position and line height
    uint32_t caretColor_ = 0;
    std::shared_ptr<swf::render::Library> library_;
};

}  // namespace

std::optional<QRect> uprightPixels(const QTransform& toDevice, const QRectF& box, bool turns) {
    const bool upright = toDevice.m11() > 0 && toDevice.m22() > 0;
    if (!turns && !upright) {
        return std::nullopt;
    }
    const QRectF d = toDevice.mapRect(box);
    // Each corner near a corner of the covering rectangle; upright, near its own corner.
    const std::pair<QPointF, QPointF> corners[] = {{box.topLeft(), d.topLeft()},
                                                   {box.topRight(), d.topRight()},
                                                   {box.bottomLeft(), d.bottomLeft()},
                                                   {box.bottomRight(), d.bottomRight()}};
    for (const auto& [c, own] : corners) {
        const QPointF p = toDevice.map(c);
        const double dx = turns ? std::min(std::abs(p.x() - d.left()), std::abs(p.x() - d.right()))
                                : std::abs(p.x() - own.x());
        const double dy = turns ? std::min(std::abs(p.y() - d.top()), std::abs(p.y() - d.bottom()))
                                : std::abs(p.y() - own.y());
        if (dx >= 0.5 || dy >= 0.5) {
            return std::nullopt;
        }
    }
    // The corner and the size round separately, halves down: a field at x = 20.5 px starts on
    // pixel 20, and a field 13.65 px wide covers 14 pixels wherever it starts.
    auto px = [](double v) { return int(std::ceil(v - 0.5)); };
    return QRect(px(d.left()), px(d.top()), px(d.width()), px(d.height()));
}

QString deviceFamily(const QString& name) {
    return swf::render::deviceFace(name);
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
            QString name = avm1::decodeMovieString(font->name.c_str(), movie_->header.version);
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
            if (g >= 0) {
                w += std::floor(glyphAdvance(*font, size_t(g)) * scale);
            }
        }
        return w;
    }
    if (text.isEmpty() || invisible(f)) {
        return 0;
    }
    if (!haveFonts()) {
        return f.size.value_or(12) * 10.0 * double(text.size());
    }
    return deviceAdvance(metrics(f), text);
}

double FieldMeasure::kerning(const TextFormat& f, QChar left, QChar right) const {
    if (!f.kerning.value_or(false)) {
        return 0;
    }
    const swf::Font* font = embeddedFont(f);
    if (!font || font->kerning.empty()) {
        return 0;
    }
    return pairKerning(*font, left, right, f.size.value_or(12) * 20.0 / emSquare(*font));
}

// An embedded font's ascent and descent, like its advances, count in whole twips.
double FieldMeasure::ascent(const TextFormat& f) const {
    if (const swf::Font* font = embeddedFont(f); font && font->hasLayout) {
        return std::floor(font->ascent * f.size.value_or(12) * 20.0 / emSquare(*font));
    }
    if (invisible(f)) {
        return 0;
    }
    if (!haveFonts()) {
        return f.size.value_or(12) * 18.0;
    }
    return metrics(f).ascent();
}

double FieldMeasure::descent(const TextFormat& f) const {
    if (const swf::Font* font = embeddedFont(f); font && font->hasLayout) {
        return std::floor(font->descent * f.size.value_or(12) * 20.0 / emSquare(*font));
    }
    if (invisible(f)) {
        return 0;
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

namespace {

// An auto-sized field takes the size of its text plus the gutters, in whole twips. Without
// word wrap it also grows sideways: the side opposite its anchor moves, and a centred or
// right-anchored field moves its position so that its centre or right edge stays put.
void fitToText(DisplayObject& o, const TextLayout& l) {
    TextField& f = *o.field;
    f.bounds.setHeight(std::round(l.boxHeight) + 2 * kGutter);
    if (f.wordWrap) {
        return;
    }
    const double width = std::round(l.textWidth) + 2 * kGutter;
    const double grow = width - f.bounds.width();
    f.bounds.setWidth(width);
    double shift = 0;
    if (f.autoSize == AutoSize::Center) {
        shift = std::trunc(grow / 2);
    } else if (f.autoSize == AutoSize::Right) {
        shift = grow;
    }
    o.matrix.tx -= int32_t(std::lround(o.matrix.a * shift));
    o.matrix.ty -= int32_t(std::lround(o.matrix.b * shift));
    f.autoSizeShift += shift;
}

}  // namespace

void textFieldChanged(DisplayObject& o) {
    if (!o.field) {
        return;
    }
    TextField& f = *o.field;
    if (f.autoSize != AutoSize::None) {
        fitToText(o, layoutText(f, measureFor(o)));
    }
    // Text that got shorter, or a box that grew, scrolls back as far as it has to.
    if (f.scroll > 1 || f.hscroll > 0) {
        clampScrolling(f, layoutText(f, measureFor(o)));
    }
    f.scrollsToCheck = true;
    if (const auto composed = f.composing()) {
        o.drawing = std::make_shared<TextFieldDrawing>(f, o, *composed);
    } else {
        o.drawing = std::make_shared<TextFieldDrawing>(f, o);
    }
    if (!f.pictures.empty() || o.childClip) {
        arrangeTextPictures(o, layoutText(f, measureFor(o)));
    }
}

std::optional<QRectF> textFieldCaret(const DisplayObject& o) {
    if (!o.field || !o.field->focused || !o.field->editable) {
        return std::nullopt;
    }
    const TextField& shown = *o.field;
    const int at = std::clamp(shown.selectionEnd < 0 ? 0 : shown.selectionEnd, 0, shown.length());
    const std::optional<Caret> caret = caretBox(shown, layoutText(shown, measureFor(o)), at);
    if (!caret) {
        return std::nullopt;
    }
    const QRectF box = caret->box.translated(shown.bounds.topLeft());
    if (shown.embedFonts) {
        return box;
    }
    // Where the stretched device text shows it, as the stage's own scale leaves it.
    const double k = keptProportion(worldTransform(o));
    const double anchor = caret->anchor + shown.bounds.left();
    return QRectF(anchor + (box.left() - anchor) * k, box.top(), 0, box.height());
}

void textFieldFocusChanged(DisplayObject& o, bool gained) {
    if (!o.field) {
        return;
    }
    TextField& f = *o.field;
    f.focused = gained;
    if (gained) {
        f.selectionBegin = 0;
        f.selectionEnd = f.length();
    }
    textFieldChanged(o);
}

DisplayObject* textFieldAt(DisplayObject& root, QPointF stageTwips) {
    if (!root.visible) {
        return nullptr;
    }
    for (auto it = root.children.rbegin(); it != root.children.rend(); ++it) {
        if (it->second->clipDepth == 0) {
            if (DisplayObject* f = textFieldAt(*it->second, stageTwips)) {
                return f;
            }
        }
    }
    if (root.field) {
        bool invertible = false;
        const QPointF local = worldTransform(root).inverted(&invertible).map(stageTwips);
        if (invertible && root.field->bounds.contains(local)) {
            return &root;
        }
    }
    return nullptr;
}

bool wheelScroll(DisplayObject& o, int delta) {
    if (!o.field || !o.field->mouseWheelEnabled || delta == 0) {
        return false;
    }
    TextField& f = *o.field;
    const TextLayout l = layoutText(f, measureFor(o));
    // The first line from which the rest of the text fits (the bottom gutter may take the
    // last line's foot, as maxscroll counts): as far as scrolling goes.
    const double room = f.bounds.height() - kGutter;
    int last = 1;
    if (!l.lines.empty()) {
        const TextLine& end = l.lines.back();
        last = int(l.lines.size());
        for (size_t i = 0; i < l.lines.size(); ++i) {
            if (end.y + end.ascent + end.descent - l.lines[i].y <= room) {
                last = int(i) + 1;
                break;
            }
        }
    }
    const int to = std::clamp(f.scroll - delta, 1, last);
    if (to == f.scroll) {
        return false;
    }
    f.scroll = to;
    textFieldChanged(o);
    return true;
}

}  // namespace pencora::runtime
