#include "embedded_font.h"

#include <QPainterPath>
#include <QPointF>

#include <cmath>
#include <stdexcept>

#include "platform/flash/swfwrite/shape_builder.h"

namespace lesson_movies {

namespace {

using namespace pencora;

constexpr double kLoadSize = 1024.0;  // pixels; one pixel becomes 20 em units
constexpr double kUnits = 20.0;

int32_t unit(double v) {
    return static_cast<int32_t>(std::lround(v * kUnits));
}

// Appends a cubic curve as one quadratic curve when it is a raised quadratic (as the curves
// of TrueType outlines are), else as two quadratic ones split at its middle.
void cubicAsQuadratics(swfwrite::ShapeBuilder& b, QPointF p0, QPointF c1, QPointF c2, QPointF p3) {
    const QPointF q1 = (3 * c1 - p0) / 2, q2 = (3 * c2 - p3) / 2;
    if (std::abs(q1.x() - q2.x()) < 0.5 && std::abs(q1.y() - q2.y()) < 0.5) {
        b.curveTo(unit(q1.x()), unit(q1.y()), unit(p3.x()), unit(p3.y()));
        return;
    }
    const QPointF a = (p0 + c1) / 2, m = (c1 + c2) / 2, c = (c2 + p3) / 2;
    const QPointF ab = (a + m) / 2, bc = (m + c) / 2, mid = (ab + bc) / 2;
    auto quad = [&](QPointF q0, QPointF q1, QPointF q2, QPointF q3) {
        const QPointF control = (3 * (q1 + q2) - q0 - q3) / 4;
        b.curveTo(unit(control.x()), unit(control.y()), unit(q3.x()), unit(q3.y()));
    };
    quad(p0, a, ab, mid);
    quad(mid, bc, c, p3);
}

std::vector<swf::ShapeRecord> outline(const QPainterPath& path) {
    swfwrite::ShapeBuilder b;
    b.fill1(1);
    QPointF pen;
    for (int k = 0; k < path.elementCount(); ++k) {
        const auto e = path.elementAt(k);
        const QPointF p(e.x, e.y);
        if (e.type == QPainterPath::MoveToElement) {
            b.moveTo(unit(p.x()), unit(p.y()));
        } else if (e.type == QPainterPath::LineToElement) {
            b.lineTo(unit(p.x()), unit(p.y()));
        } else if (e.type == QPainterPath::CurveToElement && k + 2 < path.elementCount()) {
            const auto c2 = path.elementAt(k + 1);
            const auto end = path.elementAt(k + 2);
            cubicAsQuadratics(b, pen, p, QPointF(c2.x, c2.y), QPointF(end.x, end.y));
            k += 2;
            pen = QPointF(end.x, end.y);
            continue;
        }
        pen = p;
    }
    return b.records();
}

}  // namespace

EmbeddedFont::EmbeddedFont(const std::string& fontFile)
    : raw_(QString::fromStdString(fontFile), kLoadSize) {
    if (!raw_.isValid()) {
        throw std::runtime_error("cannot load the font " + fontFile);
    }
}

bool EmbeddedFont::covers(const std::u32string& text) const {
    for (const char32_t c : text) {
        if (c != U' ' && !raw_.supportsCharacter(static_cast<uint>(c))) {
            return false;
        }
    }
    return true;
}

void EmbeddedFont::use(const std::u32string& text) {
    for (const char32_t c : text) {
        if (c == U' ') {
            continue;
        }
        if (!raw_.supportsCharacter(static_cast<uint>(c))) {
            throw std::runtime_error("the font has no glyph for U+" +
                                     QString::number(uint(c), 16).toStdString());
        }
        used_.emplace(c, 0);
    }
    uint32_t next = 0;
    for (auto& [c, index] : used_) {
        index = next++;
    }
}

uint32_t EmbeddedFont::index(char32_t c) const {
    const auto it = used_.find(c);
    if (it == used_.end()) {
        throw std::logic_error("character laid out before it was embedded");
    }
    return it->second;
}

double EmbeddedFont::advance(char32_t c, double size) const {
    const char32_t chars[] = {c};
    const auto glyphs = raw_.glyphIndexesForString(QString::fromUcs4(chars, 1));
    if (glyphs.isEmpty()) {
        return 0;
    }
    const auto advances = raw_.advancesForGlyphIndexes(glyphs);
    return advances.isEmpty() ? 0 : advances.front().x() * size / kLoadSize;
}

double EmbeddedFont::width(const std::u32string& text, double size) const {
    double w = 0;
    for (const char32_t c : text) {
        w += advance(c, size);
    }
    return w;
}

swf::Font EmbeddedFont::font(uint16_t id, const std::string& name) const {
    swf::Font f;
    f.id = id;
    f.version = 3;
    f.name = name;
    f.wideCodes = true;
    f.hasLayout = true;
    f.ascent = static_cast<int16_t>(std::min(32767.0, raw_.ascent() * kUnits));
    f.descent = static_cast<int16_t>(std::min(32767.0, raw_.descent() * kUnits));
    f.leading = 0;
    for (const auto& [c, index] : used_) {
        const char32_t chars[] = {c};
        const auto glyphs = raw_.glyphIndexesForString(QString::fromUcs4(chars, 1));
        f.glyphs.push_back(outline(raw_.pathForGlyph(glyphs.front())));
        f.codes.push_back(static_cast<uint16_t>(c));
        f.advances.push_back(
            static_cast<int16_t>(std::min(32767L, std::lround(advance(c, kLoadSize) * kUnits))));
        f.glyphBounds.push_back({});
    }
    return f;
}

}  // namespace lesson_movies
