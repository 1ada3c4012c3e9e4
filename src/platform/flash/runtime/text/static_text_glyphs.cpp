#include "platform/flash/runtime/text/static_text_glyphs.h"

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/swf/movie.h"

namespace pencora::runtime {

namespace {

constexpr double kTwips = 20.0;
constexpr double kEmSquare = 1024.0;  // glyph outlines are drawn on this square

// The font's ascent and descent at `height` twips; fonts without layout take the usual
// four fifths above the baseline.
std::pair<double, double> extent(const swf::Font* font, double height) {
    if (font && font->hasLayout && font->ascent + font->descent > 0) {
        return {font->ascent * height / kEmSquare, font->descent * height / kEmSquare};
    }
    return {height * 0.8, height * 0.2};
}

void appendText(const swf::Movie& movie, const swf::Text& text, const QTransform& toClip,
                std::vector<StaticGlyph>& out) {
    const swf::Font* font = nullptr;
    uint32_t color = 0;
    double height = 0, x = 0, y = 0;
    for (const swf::TextRecord& r : text.records) {
        if (r.fontId) {
            font = movie.findAs<swf::Font>(*r.fontId);
        }
        if (r.height) {
            height = *r.height;
        }
        if (r.color) {
            color = (uint32_t(r.color->r) << 16) | (uint32_t(r.color->g) << 8) | r.color->b;
        }
        x = r.xOffset ? *r.xOffset : x;
        y = r.yOffset ? *r.yOffset : y;
        const auto [ascent, descent] = extent(font, height);
        for (const swf::GlyphEntry& g : r.glyphs) {
            if (font && g.index < font->codes.size()) {
                const QRectF box(x, y - ascent, g.advance, ascent + descent);
                StaticGlyph glyph{QChar(font->codes[g.index]),
                                  QString::fromStdString(font->name),
                                  color,
                                  height / kTwips,
                                  QTransform::fromTranslate(x, y) * toClip,
                                  toClip.map(QPolygonF(box))};
                glyph.corners.removeLast();  // the polygon closes on its first corner
                out.push_back(std::move(glyph));
            }
            x += g.advance;
        }
    }
}

}  // namespace

std::vector<StaticGlyph> staticTextGlyphs(const DisplayObject& clip) {
    std::vector<StaticGlyph> out;
    for (const auto& [depth, child] : clip.children) {
        if (child->kind != ObjectKind::Text) {
            continue;
        }
        const swf::Movie* movie =
            child->movie && child->movie->movie ? child->movie->movie.get() : nullptr;
        const swf::Text* text = movie ? movie->findAs<swf::Text>(child->characterId) : nullptr;
        if (text) {
            const QTransform toClip = toTransform(text->matrix) * toTransform(child->matrix) *
                                      QTransform::fromScale(1 / kTwips, 1 / kTwips);
            appendText(*movie, *text, toClip, out);
        }
    }
    return out;
}

}  // namespace pencora::runtime
