#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_pictures_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/runtime/text/line_breaks.h"
#include "platform/flash/runtime/text/text_html.h"

namespace pencora::runtime {

namespace {

bool isParagraphField(const TextFormat& f) {
    return f.align || f.leftMargin || f.rightMargin || f.indent || f.leading || f.blockIndent ||
           f.tabStops || f.bullet;
}

}  // namespace

QString normaliseLineEnds(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        out.append(c == u'\n' ? QChar(u'\r') : c);
    }
    return out;
}

TextField TextField::fromDefinition(const swf::EditText& def, const swf::Font* font,
                                    int swfVersion) {
    TextField f;
    f.bounds = QRectF(def.bounds.xMin, def.bounds.yMin, def.bounds.xMax - def.bounds.xMin,
                      def.bounds.yMax - def.bounds.yMin);
    f.html = def.html;
    f.multiline = def.multiline;
    f.wordWrap = def.wordWrap;
    f.password = def.password;
    f.editable = !def.readOnly;
    f.selectable = !def.noSelect;
    f.border = def.border;
    f.background = def.border;
    f.embedFonts = def.useOutlines;
    // Sizing to the text came with version 6; older movies' fields keep their box.
    f.autoSize = def.autoSize && swfVersion >= 6 ? AutoSize::Left : AutoSize::None;
    f.maxChars = def.maxLength ? *def.maxLength : 0;
    f.variable = avm1::decodeMovieString(def.variableName.c_str(), swfVersion);
    f.fontId = def.fontId;
    f.version = swfVersion;

    TextFormat fmt = TextFormat::defaults();
    if (font && !font->name.empty()) {
        fmt.font = avm1::decodeMovieString(font->name.c_str(), swfVersion);
        if (!fmt.font->isEmpty() && fmt.font->back() == QChar(0)) {
            fmt.font->chop(1);
        }
        // Plain text shows in the font's own style; HTML text says its own.
        if (!def.html) {
            fmt.bold = font->bold;
            fmt.italic = font->italic;
        }
    } else if (def.fontClass) {
        fmt.font = avm1::decodeMovieString(def.fontClass->c_str(), swfVersion);
    }
    if (def.fontId || def.fontClass) {
        fmt.size = int(def.fontHeight / 20);
    }
    if (def.textColor) {
        fmt.color =
            uint32_t(def.textColor->r) << 16 | uint32_t(def.textColor->g) << 8 | def.textColor->b;
    }
    if (def.hasLayout) {
        fmt.align = TextAlign(def.align);
        fmt.leftMargin = def.leftMargin / 20;
        fmt.rightMargin = def.rightMargin / 20;
        fmt.indent = def.indent / 20;
        fmt.leading = def.leading / 20;
        // An HTML field's alignment comes from its initial text; an empty one starts left.
        if (def.html && !def.initialText) {
            fmt.align = TextAlign::Left;
        }
    }
    f.newFormat = fmt;
    if (def.initialText) {
        const QString initial = avm1::decodeMovieString(def.initialText->c_str(), swfVersion);
        f.initialText = initial;
        if (def.html) {
            setHtml(f, initial);
        } else {
            f.setText(initial);
        }
    }
    return f;
}

void TextField::setText(const QString& s) {
    composingBegin = -1;  // a script's new text ends what was being composed
    // Plain text has no pictures: those of earlier markup go.
    if (!pictures.empty()) {
        pictures.clear();
        ++picturesSet;
    }
    text = normaliseLineEnds(s);
    spans.clear();
    if (!text.isEmpty()) {
        spans.push_back({int(text.size()), newFormat});
    }
}

void TextField::splitAt(int index) {
    int pos = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (index > pos && index < pos + spans[i].length) {
            TextSpan tail{pos + spans[i].length - index, spans[i].format};
            spans[i].length = index - pos;
            spans.insert(spans.begin() + qsizetype(i) + 1, tail);
            return;
        }
        pos += spans[i].length;
    }
}

void TextField::normalise() {
    std::vector<TextSpan> out;
    for (TextSpan& s : spans) {
        if (s.length <= 0) {
            continue;
        }
        if (!out.empty() && out.back().format == s.format) {
            out.back().length += s.length;
        } else {
            out.push_back(std::move(s));
        }
    }
    spans = std::move(out);
}

std::optional<std::pair<int, int>> TextField::composing() const {
    if (composingBegin < 0 || composingBegin + composingLength > length()) {
        return std::nullopt;
    }
    return std::pair{composingBegin, composingBegin + composingLength};
}

void TextField::replace(int begin, int end, const QString& s) {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    const QString inserted = normaliseLineEnds(s);
    // Edits after the composed text leave it; edits before it move it; edits into it end it.
    if (auto c = composing(); c && end <= c->first && begin < c->second) {
        composingBegin += int(inserted.size()) - (end - begin);
    } else if (c && begin < c->second) {
        composingBegin = -1;
    }
    // Pictures keep their place in the text: after the edit they move with it, inside it
    // they go to its start.
    for (TextPicture& p : pictures) {
        if (p.at >= end) {
            p.at += int(inserted.size()) - (end - begin);
        } else if (p.at > begin) {
            p.at = begin;
        }
    }
    TextFormat fmt = newFormat;
    if (!spans.empty()) {
        fmt = formatOf(begin, begin == end ? begin : begin + 1);
        // formatOf left mixed fields unset; fill them from the span at begin.
        int pos = 0;
        for (const TextSpan& sp : spans) {
            if (begin < pos + sp.length || &sp == &spans.back()) {
                TextFormat full = sp.format;
                full.apply(fmt);
                fmt = full;
                break;
            }
            pos += sp.length;
        }
    }
    splitAt(begin);
    splitAt(end);
    std::vector<TextSpan> out;
    int pos = 0;
    bool placed = false;
    for (TextSpan& sp : spans) {
        const int a = pos, b = pos + sp.length;
        pos = b;
        if (a >= begin && b <= end && sp.length > 0 && begin != end) {
            continue;  // replaced
        }
        if (!placed && a >= begin) {
            out.push_back({int(inserted.size()), fmt});
            placed = true;
        }
        out.push_back(sp);
    }
    if (!placed) {
        out.push_back({int(inserted.size()), fmt});
    }
    spans = std::move(out);
    text = text.left(begin) + inserted + text.mid(end);
    normalise();
}

std::pair<int, int> TextField::paragraphAt(int i) const {
    i = std::clamp(i, 0, length());
    int a = i;
    while (a > 0 && text[a - 1] != u'\r') {
        --a;
    }
    int b = i;
    while (b < length() && text[b] != u'\r') {
        ++b;
    }
    return {a, b};
}

void TextField::applyFormat(int begin, int end, const TextFormat& f) {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    auto applyRange = [&](int a, int b, const TextFormat& part) {
        if (a >= b) {
            return;
        }
        splitAt(a);
        splitAt(b);
        int pos = 0;
        for (TextSpan& sp : spans) {
            if (pos >= a && pos + sp.length <= b) {
                sp.format.apply(part);
            }
            pos += sp.length;
        }
    };
    applyRange(begin, end, characterPart(f));
    if (isParagraphField(f)) {
        const int a = paragraphAt(begin).first;
        int b = paragraphAt(std::max(begin, end - 1)).second;
        b = std::min(length(), b + 1);  // with its '\r'
        applyRange(a, b, paragraphPart(f));
    }
    normalise();
}

TextFormat TextField::formatOf(int begin, int end) const {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    if (begin == end) {
        if (begin == 0) {
            if (spans.empty()) {
                return newFormat;
            }
            end = 1;
        } else {
            --begin;
        }
    }
    std::optional<TextFormat> out;
    int pos = 0;
    for (const TextSpan& sp : spans) {
        if (pos < end && pos + sp.length > begin) {
            if (!out) {
                out = sp.format;
            } else {
                out->intersect(sp.format);
            }
        }
        pos += sp.length;
    }
    return out ? *out : newFormat;
}

}  // namespace pencora::runtime

namespace pencora::runtime {

namespace {

struct Piece {
    int start = 0;
    int length = 0;
    const TextFormat* format = nullptr;
};

// The spans cut to [a, b).
std::vector<Piece> piecesOf(const TextField& f, int a, int b) {
    std::vector<Piece> out;
    int pos = 0;
    for (const TextSpan& sp : f.spans) {
        const int s = std::max(pos, a), e = std::min(pos + sp.length, b);
        if (s < e) {
            out.push_back({s, e - s, &sp.format});
        }
        pos += sp.length;
    }
    return out;
}

// How far a tab at `x` (twips from where the line's text starts) reaches: to the next of the
// paragraph's stops (pixels), past the last of them nowhere; without stops, to the next
// multiple of 648 twips.
double tabAdvance(const std::vector<int>& stops, double x) {
    if (stops.empty()) {
        constexpr double kInterval = 648;
        return (std::floor(x / kInterval) + 1) * kInterval - x;
    }
    for (int stop : stops) {
        if (stop * 20.0 > x) {
            return stop * 20.0 - x;
        }
    }
    return 0;
}

// A paragraph's characters as the line breaker walks them: each one's width and format. A
// tab's width depends on where its line starts, so it is left 0 here and found per line.
struct ParagraphChars {
    int start = 0;
    std::vector<double> widths;
    std::vector<const TextFormat*> formats;

    bool isTab(const TextField& f, int i) const { return !f.password && f.text[i] == u'\t'; }
};

// Measured one character at a time, so breaking a long paragraph stays linear.
ParagraphChars measureParagraph(const TextField& f, const TextMeasure& measure,
                                const std::vector<Piece>& pieces, int start, int end) {
    ParagraphChars out;
    out.start = start;
    out.widths.assign(size_t(end - start), 0.0);
    out.formats.assign(size_t(end - start), nullptr);
    for (const Piece& p : pieces) {
        const double spacing = p.format->letterSpacing.value_or(0) * 20;
        for (int i = p.start; i < p.start + p.length; ++i) {
            out.formats[size_t(i - start)] = p.format;
            if (out.isTab(f, i)) {
                continue;
            }
            const QChar c = f.password ? QChar(u'*') : f.text[i];
            double w = spacedAdvance(measure.advance(*p.format, QStringView(&c, 1)), spacing);
            // Kerning pairs only within one format.
            if (i + 1 < p.start + p.length && !f.password) {
                w += measure.kerning(*p.format, c, f.text[i + 1]);
            }
            out.widths[size_t(i - start)] = w;
        }
    }
    return out;
}

// The width of character `i` when the line's text before it is `x` wide.
double charWidth(const TextField& f, const ParagraphChars& chars, int i, double x) {
    const size_t k = size_t(i - chars.start);
    if (!chars.isTab(f, i)) {
        return chars.widths[k];
    }
    const TextFormat* fmt = chars.formats[k];
    return tabAdvance(fmt && fmt->tabStops ? *fmt->tabStops : std::vector<int>{}, x);
}

// Where a wrapped line from `lineStart` ends: it grows word by word while it fits in `room`;
// a single long word is cut, between whole characters. Walks only as far as the first
// character that does not fit.
int wrapEnd(const TextField& f, const ParagraphChars& chars, int lineStart, int end, double room) {
    double x = 0;
    int fit = lineStart;
    int lastBreak = -1;
    for (int i = lineStart; i < end; ++i) {
        x += charWidth(f, chars, i, x);
        if (x > room && i > lineStart) {
            break;
        }
        fit = i + 1;
        if (mayBreakAfter(f.text, i)) {
            lastBreak = i + 1;
        }
    }
    if (fit >= end) {
        return end;
    }
    if (lastBreak > lineStart) {
        return lastBreak;
    }
    fit = std::max(fit, lineStart + 1);
    if (splitsCharacter(f.text, fit - 1)) {
        fit += fit - 1 > lineStart ? -1 : 1;
    }
    return fit;
}

// How wide a line's text is: up to its last visible character, and with the spaces that end it.
struct LineWidths {
    double visible = 0;
    double whole = 0;
};

// Writes the advances of the line [a, b) and returns its widths up to `visibleEnd` and to `b`.
LineWidths placeLine(const TextField& f, const ParagraphChars& chars, int a, int b, int visibleEnd,
                     std::vector<double>& advances) {
    LineWidths out;
    for (int i = a; i < b; ++i) {
        const double w = charWidth(f, chars, i, out.whole);
        advances[size_t(i)] = w;
        out.whole += w;
        if (i + 1 == visibleEnd) {
            out.visible = out.whole;
        }
    }
    return out;
}

// How much of a line counts in the text's width. A left-aligned line keeps the spaces that end
// it, an aligned one lets them hang as it does when placed. The left margin counts too, except
// in a bulleted paragraph, whose text is measured from its bullet's indent.
double countedWidth(const TextFormat& para, const LineWidths& widths) {
    const bool left = para.align.value_or(TextAlign::Left) == TextAlign::Left;
    const double margin = para.bullet.value_or(false) ? 0 : para.leftMargin.value_or(0) * 20.0;
    return (left ? widths.whole : widths.visible) + margin;
}

// A justified line that wrapped fills its room: what it lacks is shared among the spaces
// between its words. Returns whether it was spread.
bool justifyLine(const QString& text, int a, int visibleEnd, double room, double width,
                 std::vector<double>& advances) {
    int spaces = 0;
    for (int i = a; i < visibleEnd; ++i) {
        spaces += text[i] == u' ' ? 1 : 0;
    }
    if (spaces == 0 || room <= width) {
        return false;
    }
    const double extra = (room - width) / spaces;
    for (int i = a; i < visibleEnd; ++i) {
        if (text[i] == u' ') {
            advances[size_t(i)] += extra;
        }
    }
    return true;
}

// The text's height ends at the foot of its last line, whose leading counts only when it is
// the only line. A last line left empty by a final line break adds nothing unless `withEmpty`.
double textHeightOf(const std::vector<TextLine>& lines, bool withEmpty) {
    if (lines.empty()) {
        return 0;
    }
    const TextLine& last = lines.back();
    if (!withEmpty && lines.size() > 1 && last.length == 0) {
        return last.y - kGutter;
    }
    const double foot = last.y + last.ascent + last.descent;
    return foot - kGutter + (lines.size() == 1 ? last.leading : 0);
}

}  // namespace

double bulletIndent(const TextFormat& f) {
    // The bullet and the room after it: three times the font size.
    return f.size.value_or(12) * 3.0 * 20.0;
}

TextLayout layoutText(const TextField& f, const TextMeasure& measure) {
    TextLayout out;
    const QString& text = f.text;
    double y = kGutter;
    int start = 0;
    PictureFloats floats(f);
    while (true) {
        // Plain names rather than a structured binding: the lambdas below capture them.
        const auto paragraph = f.paragraphAt(start);
        const int pa = paragraph.first;
        const int pb = paragraph.second;
        const std::vector<Piece> pieces = piecesOf(f, pa, pb);
        const ParagraphChars chars = measureParagraph(f, measure, pieces, pa, pb);
        out.advances.resize(text.size(), 0.0);
        const TextFormat para = f.formatOf(pa, std::min(pb + 1, f.length()));
        const TextFormat& first = pieces.empty() ? para : *pieces.front().format;
        const double blockLeft =
            (para.leftMargin.value_or(0) + para.blockIndent.value_or(0)) * 20.0;
        // Every line of a bulleted paragraph stands clear of its bullet.
        const bool bulleted = para.bullet.value_or(false);
        const double left = blockLeft + (bulleted ? bulletIndent(first) : 0);
        const double right = para.rightMargin.value_or(0) * 20.0;
        const double available = f.bounds.width() - 2 * kGutter - left - right;
        // Break the paragraph into lines.
        int lineStart = pa;
        bool firstLine = true;
        do {
            // Pictures beside the line narrow it from their side.
            floats.reach(lineStart, y);
            const double besideLeft = floats.leftRoom(y);
            const double indent = (firstLine ? para.indent.value_or(0) * 20.0 : 0) + besideLeft;
            const double room = available - indent - floats.rightRoom(y);
            const int lineEnd = f.wordWrap ? wrapEnd(f, chars, lineStart, pb, room) : pb;
            TextLine line;
            line.start = lineStart;
            line.length = lineEnd - lineStart;
            double ascent = 0, descent = 0;
            int leading = first.leading.value_or(0);
            bool any = false;
            for (const Piece& p : pieces) {
                if (p.start < lineEnd && p.start + p.length > lineStart) {
                    ascent = std::max(ascent, measure.ascent(*p.format));
                    descent = std::max(descent, measure.descent(*p.format));
                    any = true;
                }
            }
            if (!any) {
                ascent = measure.ascent(first);
                descent = measure.descent(first);
            }
            leading = para.leading.value_or(leading);
            // Trailing spaces hang past the edge: they take no room in the line.
            int visibleEnd = lineEnd;
            while (visibleEnd > lineStart && text[visibleEnd - 1] == u' ') {
                --visibleEnd;
            }
            const LineWidths widths =
                placeLine(f, chars, lineStart, lineEnd, visibleEnd, out.advances);
            line.width = widths.visible;
            line.ascent = ascent;
            line.descent = descent;
            line.leading = leading * 20.0;
            line.y = y;
            line.bullet = bulleted && firstLine;
            line.bulletX = kGutter + blockLeft + indent;
            switch (para.align.value_or(TextAlign::Left)) {
                case TextAlign::Right:
                    line.x = kGutter + left + indent + std::max(0.0, room - line.width);
                    break;
                case TextAlign::Center:
                    line.x = kGutter + left + indent + std::max(0.0, (room - line.width) / 2);
                    break;
                case TextAlign::Justify:
                    line.x = kGutter + left + indent;
                    line.justified = lineEnd < pb && justifyLine(text, lineStart, visibleEnd, room,
                                                                 line.width, out.advances);
                    break;
                default:
                    line.x = kGutter + left + indent;
                    break;
            }
            // Measured as set, before any spreading.
            out.textWidth = std::max(out.textWidth, countedWidth(para, widths) + besideLeft);
            y += ascent + descent + line.leading;
            out.lines.push_back(line);
            lineStart = lineEnd;
            firstLine = false;
        } while (lineStart < pb);
        if (pb >= text.size()) {
            break;
        }
        start = pb + 1;
    }
    out.textHeight = textHeightOf(out.lines, false);
    out.boxHeight = textHeightOf(out.lines, true);
    if (text.isEmpty()) {
        out.textWidth = 0;
        out.textHeight = 0;
        out.boxHeight = 0;
    }
    if (!f.pictures.empty()) {
        floats.finish(y);
        out.pictureBoxes = floats.boxes();
        // The text reaches down past its pictures' clear room.
        const double foot = floats.foot() - kGutter;
        out.textHeight = std::max(out.textHeight, foot);
        out.boxHeight = std::max(out.boxHeight, foot);
    }
    return out;
}

int lineCount(const TextLayout& l) {
    return std::max<int>(1, int(l.lines.size()));
}

int visibleLines(const TextField& f, const TextLayout& l, int fromLine) {
    const double height = f.bounds.height() - 2 * kGutter;
    int n = 0;
    double top = -1;
    for (size_t i = size_t(std::max(0, fromLine - 1)); i < l.lines.size(); ++i) {
        const TextLine& line = l.lines[i];
        if (top < 0) {
            top = line.y;
        }
        if (n > 0 && line.y + line.ascent + line.descent - top > height + kGutter) {
            break;
        }
        ++n;
    }
    return std::max(1, n);
}

// The first line from which every line to the end fits: lines only go down, so the last
// line's foot decides. One pass, however long the text.
int maxScroll(const TextField& f, const TextLayout& l) {
    const int count = lineCount(l);
    if (l.lines.empty()) {
        return 1;
    }
    const TextLine& last = l.lines.back();
    const double foot = last.y + last.ascent + last.descent;
    const double room = f.bounds.height() - kGutter;
    for (int s = 1; s < count; ++s) {
        if (foot - l.lines[size_t(s - 1)].y <= room) {
            return s;
        }
    }
    return count;
}

int maxHScroll(const TextField& f, const TextLayout& l) {
    return std::max(0, int(std::ceil((l.textWidth - (f.bounds.width() - 2 * kGutter)) / 20)));
}

void clampScrolling(TextField& f, const TextLayout& l) {
    f.scroll = std::clamp(f.scroll, 1, maxScroll(f, l));
    f.hscroll = std::clamp(f.hscroll, 0, maxHScroll(f, l));
}

}  // namespace pencora::runtime
