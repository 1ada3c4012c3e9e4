#include "platform/flash/runtime/text/text_format.h"

namespace pencora::runtime {

namespace {

template <class T>
void take(std::optional<T>& into, const std::optional<T>& from) {
    if (from) {
        into = from;
    }
}

template <class T>
void agree(std::optional<T>& mine, const std::optional<T>& theirs) {
    if (mine != theirs) {
        mine.reset();
    }
}

template <class F>
void eachField(TextFormat& a, const TextFormat& b, F&& f) {
    f(a.font, b.font);
    f(a.size, b.size);
    f(a.color, b.color);
    f(a.bold, b.bold);
    f(a.italic, b.italic);
    f(a.underline, b.underline);
    f(a.url, b.url);
    f(a.target, b.target);
    f(a.align, b.align);
    f(a.leftMargin, b.leftMargin);
    f(a.rightMargin, b.rightMargin);
    f(a.indent, b.indent);
    f(a.leading, b.leading);
    f(a.blockIndent, b.blockIndent);
    f(a.tabStops, b.tabStops);
    f(a.bullet, b.bullet);
    f(a.kerning, b.kerning);
    f(a.letterSpacing, b.letterSpacing);
    f(a.display, b.display);
}

}  // namespace

void TextFormat::apply(const TextFormat& over) {
    eachField(*this, over, [](auto& a, const auto& b) { take(a, b); });
}

void TextFormat::intersect(const TextFormat& other) {
    eachField(*this, other, [](auto& a, const auto& b) { agree(a, b); });
}

TextFormat TextFormat::defaults() {
    TextFormat f;
    f.font = QStringLiteral("Times New Roman");
    f.size = 12;
    f.color = 0;
    f.bold = false;
    f.italic = false;
    f.underline = false;
    f.url = QString();
    f.target = QString();
    f.align = TextAlign::Left;
    f.leftMargin = 0;
    f.rightMargin = 0;
    f.indent = 0;
    f.leading = 0;
    f.blockIndent = 0;
    f.tabStops = std::vector<int>{};
    f.bullet = false;
    f.kerning = false;
    f.letterSpacing = 0;
    f.display = TextDisplay::Block;
    return f;
}

QString alignName(TextAlign a) {
    switch (a) {
        case TextAlign::Right:
            return QStringLiteral("right");
        case TextAlign::Center:
            return QStringLiteral("center");
        case TextAlign::Justify:
            return QStringLiteral("justify");
        case TextAlign::Left:
            break;
    }
    return QStringLiteral("left");
}

std::optional<TextAlign> parseAlign(const QString& name) {
    const QString n = name.toLower();
    if (n == u"left") {
        return TextAlign::Left;
    }
    if (n == u"right") {
        return TextAlign::Right;
    }
    if (n == u"center") {
        return TextAlign::Center;
    }
    if (n == u"justify") {
        return TextAlign::Justify;
    }
    return std::nullopt;
}

TextFormat paragraphPart(const TextFormat& f) {
    TextFormat p;
    p.align = f.align;
    p.leftMargin = f.leftMargin;
    p.rightMargin = f.rightMargin;
    p.indent = f.indent;
    p.leading = f.leading;
    p.blockIndent = f.blockIndent;
    p.tabStops = f.tabStops;
    p.bullet = f.bullet;
    return p;
}

TextFormat characterPart(TextFormat f) {
    f.align.reset();
    f.leftMargin.reset();
    f.rightMargin.reset();
    f.indent.reset();
    f.leading.reset();
    f.blockIndent.reset();
    f.tabStops.reset();
    f.bullet.reset();
    return f;
}

}  // namespace pencora::runtime
