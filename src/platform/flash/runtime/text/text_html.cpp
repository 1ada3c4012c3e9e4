#include "platform/flash/runtime/text/text_html.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace pencora::runtime {

namespace {

struct Attribute {
    QString name;  // lower case
    QString value;
};

struct Tag {
    QString name;  // lower case, without '/'
    bool closing = false;
    std::vector<Attribute> attributes;

    const QString* attribute(QStringView n) const {
        for (const Attribute& a : attributes) {
            if (a.name == n) {
                return &a.value;
            }
        }
        return nullptr;
    }
};

QString decodeEntities(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out.append(s[i]);
            continue;
        }
        const qsizetype semi = s.indexOf(u';', i);
        if (semi < 0 || semi - i > 10) {
            out.append(s[i]);
            continue;
        }
        const QStringView name = s.mid(i + 1, semi - i - 1);
        QChar c;
        if (name == u"lt") {
            c = u'<';
        } else if (name == u"gt") {
            c = u'>';
        } else if (name == u"amp") {
            c = u'&';
        } else if (name == u"quot") {
            c = u'"';
        } else if (name == u"apos") {
            c = u'\'';
        } else if (name == u"nbsp") {
            c = QChar(0xA0);
        } else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code =
                name.startsWith(u"#x") ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code < 0x110000) {
                out.append(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
                i = semi;
                continue;
            }
        }
        if (c.isNull()) {
            out.append(s[i]);
            continue;
        }
        out.append(c);
        i = semi;
    }
    return out;
}

Tag parseTag(QStringView body) {
    Tag t;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < body.size() && body[i].isSpace()) {
            ++i;
        }
    };
    skipSpace();
    if (i < body.size() && body[i] == u'/') {
        t.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < body.size() && !body[i].isSpace() && body[i] != u'/') {
        ++i;
    }
    t.name = body.mid(nameStart, i - nameStart).toString().toLower();
    while (i < body.size()) {
        skipSpace();
        const qsizetype a = i;
        while (i < body.size() && body[i] != u'=' && !body[i].isSpace() && body[i] != u'/') {
            ++i;
        }
        if (i == a) {
            ++i;
            continue;
        }
        Attribute attr{body.mid(a, i - a).toString().toLower(), {}};
        skipSpace();
        if (i < body.size() && body[i] == u'=') {
            ++i;
            skipSpace();
            if (i < body.size() && (body[i] == u'"' || body[i] == u'\'')) {
                const QChar quote = body[i++];
                const qsizetype v = i;
                while (i < body.size() && body[i] != quote) {
                    ++i;
                }
                attr.value = decodeEntities(body.mid(v, i - v));
                ++i;
            } else {
                const qsizetype v = i;
                while (i < body.size() && !body[i].isSpace()) {
                    ++i;
                }
                attr.value = decodeEntities(body.mid(v, i - v));
            }
        }
        t.attributes.push_back(std::move(attr));
    }
    return t;
}

// Builds the field's text span by span while the tags push and pop formats.
struct Builder {
    TextField& field;
    std::vector<std::pair<QString, TextFormat>> stack;  // open tag and the format inside it
    TextFormat current;
    TextFormat base;  // the field's new text format the markup starts from
    const HtmlStyles* styles = nullptr;
    bool inParagraph = false;  // a <p> is open; nested ones do not start another
    // What was in force inside the last <font> closed: the end of a <p> takes it.
    std::optional<TextFormat> lastFont;

    // Text between tags, white space condensed when the field asks for it.
    void appendText(QString s) {
        if (field.condenseWhite) {
            s = condensed(s);
        } else if (field.version < 8 && std::all_of(s.begin(), s.end(), isWhite)) {
            return;  // before version 8 white space alone between tags is no text
        }
        append(s, current);
    }
    // Single-line fields run their paragraphs together, from version 7 on.
    bool breaksLines() const { return field.multiline || field.version < 7; }
    void appendBreak() { append(QStringLiteral("\r"), current); }
    void append(const QString& s, const TextFormat& format) {
        if (s.isEmpty()) {
            return;
        }
        field.text += s;
        if (!field.spans.empty() && field.spans.back().format == format) {
            field.spans.back().length += int(s.size());
        } else {
            field.spans.push_back({int(s.size()), format});
        }
    }
    static bool isWhite(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }
    // Runs of white space as one space. From version 8 none at the start of a paragraph and
    // runs go on across tags; before it each stretch between tags stands alone and one that
    // is all white space is dropped.
    QString condensed(const QString& s) const {
        const bool alone = field.version < 8;
        if (alone && std::all_of(s.begin(), s.end(), isWhite)) {
            return {};
        }
        QString out;
        QChar last = alone ? QChar(u'x') : field.text.isEmpty() ? QChar(u'\r') : field.text.back();
        for (QChar c : s) {
            if (isWhite(c)) {
                if (last == u' ' || last == u'\r') {
                    continue;
                }
                c = u' ';
            }
            out.append(c);
            last = c;
        }
        return out;
    }

    void open(const QString& name, const TextFormat& inside) {
        stack.emplace_back(name, current);
        current = inside;
    }
    void close(const QString& name) {
        // A character tag closes only when no other character tag opened inside it is still
        // open: a crossed close is ignored. Paragraph tags in between close with it.
        auto isBlock = [](const QString& n) {
            return n == u"p" || n == u"li" || n == u"textformat";
        };
        const bool strict = !isBlock(name);
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
            if (it->first == name) {
                if (name == u"font") {
                    lastFont = current;
                }
                current = it->second;
                stack.erase(std::next(it).base(), stack.end());
                return;
            }
            if (strict && !isBlock(it->first)) {
                return;
            }
        }
    }
    // The end of a <p> takes the character format inside the last closed <font> (the
    // field's own without one) and the paragraph settings in force.
    TextFormat paragraphEnd() const {
        TextFormat f = characterPart(lastFont.value_or(base));
        f.apply(paragraphPart(current));
        return f;
    }
};

std::optional<uint32_t> parseColor(const QString& s) {
    if (!s.startsWith(u'#')) {
        return std::nullopt;
    }
    bool ok = false;
    const uint v = s.mid(1).toUInt(&ok, 16);
    return ok ? std::optional<uint32_t>(v & 0xFFFFFF) : std::nullopt;
}

// A number attribute cut toward zero; out-of-range values stop at the ends of int, and
// "nan" or "inf" count as no number.
int toInt(const QString& s, int fallback) {
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        return fallback;
    }
    return int(std::clamp(v, double(std::numeric_limits<int>::min()),
                          double(std::numeric_limits<int>::max())));
}

// "12" sets the size, "+2" or "-2" changes the size in force; only the leading digits count
// ("1.9" is 1) and sizes stay within 1..127. Nothing for a value without digits.
std::optional<int> parseFontSize(const QString& s, int inForce) {
    const QString v = s.trimmed();
    qsizetype i = 0;
    const bool relative = v.startsWith(u'+') || v.startsWith(u'-');
    if (relative) {
        ++i;
    }
    const qsizetype digits = i;
    long long n = 0;
    while (i < v.size() && v[i].isDigit() && v[i].unicode() < 128) {
        n = std::min<long long>(n * 10 + (v[i].unicode() - u'0'), 100000);
        ++i;
    }
    if (i == digits) {
        return std::nullopt;
    }
    if (relative) {
        n = v.startsWith(u'-') ? inForce - n : inForce + n;
    }
    return int(std::clamp<long long>(n, 1, 127));
}

bool styled(const Builder& b, const QString& selector) {
    return b.styles && b.styles->count(selector) > 0;
}

// A style sheet's say over a tag: the tag's own style (links also "a:link"), then its class's.
void applyStyles(const Builder& b, const Tag& t, TextFormat& f) {
    if (!b.styles) {
        return;
    }
    auto take = [&](const QString& selector) {
        const auto it = b.styles->find(selector);
        if (it != b.styles->end()) {
            f.apply(it->second);
        }
    };
    take(t.name);
    if (t.name == u"a") {
        take(QStringLiteral("a:link"));
    }
    if (const QString* c = t.attribute(u"class")) {
        take(u'.' + *c);
    }
}

void closeTag(Builder& b, const QString& n) {
    if (n == u"p") {
        // Only the outer <p> of nested ones ends a paragraph.
        if (b.breaksLines() && b.inParagraph) {
            b.append(QStringLiteral("\r"), b.paragraphEnd());
        }
        b.inParagraph = false;
    } else if (n == u"li" && b.breaksLines()) {
        // The break keeps the item's format, so an empty item still has one.
        b.appendBreak();
    }
    b.close(n);
}

void applyFont(const Builder& b, const Tag& t, TextFormat& f) {
    if (const QString* a = t.attribute(u"face")) {
        f.font = *a;
    }
    if (const QString* a = t.attribute(u"size")) {
        if (auto v = parseFontSize(*a, f.size.value_or(12))) {
            f.size = v;
        }
    }
    if (const QString* a = t.attribute(u"color")) {
        if (auto c = parseColor(*a)) {
            f.color = c;
        }
    }
    // Letter spacing and kerning came with version 8; older movies' markup ignores them.
    if (b.field.version < 8) {
        return;
    }
    if (const QString* a = t.attribute(u"letterspacing")) {
        bool ok = false;
        const double v = a->toDouble(&ok);
        if (ok && std::isfinite(v)) {
            f.letterSpacing = v;
        }
    }
    if (const QString* a = t.attribute(u"kerning")) {
        f.kerning = toInt(*a, 0) != 0;
    }
}

void applyTextFormat(const Tag& t, TextFormat& f) {
    auto number = [&](QStringView key, std::optional<int>& into) {
        if (const QString* a = t.attribute(key)) {
            into = toInt(*a, into.value_or(0));
        }
    };
    number(u"leftmargin", f.leftMargin);
    number(u"rightmargin", f.rightMargin);
    number(u"indent", f.indent);
    number(u"blockindent", f.blockIndent);
    number(u"leading", f.leading);
    if (const QString* a = t.attribute(u"tabstops")) {
        std::vector<int> stops;
        for (const QString& part : a->split(u',', Qt::SkipEmptyParts)) {
            stops.push_back(toInt(part, 0));
        }
        f.tabStops = stops;
    }
}

// Scripts and files may hold any markup: a field keeps this many pictures at most, each at
// most this many pixels each way and this far clear of the text.
constexpr size_t kMaxPictures = 256;
constexpr int kMaxPictureSide = 8191;

// <img src id width height align hspace vspace>: a picture from version 7 on, in fields of
// more than one line; elsewhere the tag is dropped.
void addPicture(TextField& field, const Tag& t) {
    const QString* src = t.attribute(u"src");
    if (field.version < 7 || !field.multiline || !src || src->isEmpty() ||
        field.pictures.size() >= kMaxPictures) {
        return;
    }
    auto pixels = [&](QStringView key) -> std::optional<int> {
        const QString* a = t.attribute(key);
        if (!a) {
            return std::nullopt;
        }
        const int v = toInt(*a, -1);
        return v < 0 ? std::nullopt : std::optional<int>(std::min(v, kMaxPictureSide));
    };
    TextPicture p;
    p.src = *src;
    if (const QString* id = t.attribute(u"id")) {
        p.id = *id;
    }
    p.width = pixels(u"width");
    p.height = pixels(u"height");
    if (const QString* a = t.attribute(u"align")) {
        p.alignRight = a->trimmed().compare(u"right", Qt::CaseInsensitive) == 0;
    }
    p.hspace = pixels(u"hspace").value_or(p.hspace);
    p.vspace = pixels(u"vspace").value_or(p.vspace);
    p.at = field.length();
    field.pictures.push_back(std::move(p));
}

void applyTag(Builder& b, const Tag& t) {
    const QString& n = t.name;
    if (t.closing) {
        closeTag(b, n);
        return;
    }
    if (n == u"img") {
        addPicture(b.field, t);
        return;
    }
    if (n == u"br" || n == u"sbr") {
        if (b.breaksLines()) {
            b.appendBreak();
        }
        return;
    }
    // A list item starts on a line of its own.
    if (n == u"li" && b.breaksLines() && !b.field.text.isEmpty() && b.field.text.back() != u'\r') {
        b.appendBreak();
    }
    TextFormat f = b.current;
    if (n == u"b") {
        f.bold = true;
    } else if (n == u"i") {
        f.italic = true;
    } else if (n == u"u") {
        f.underline = true;
    } else if (n == u"li") {
        f.bullet = true;
    } else if (n == u"p") {
        b.inParagraph = true;
        if (const QString* a = t.attribute(u"align")) {
            if (auto al = parseAlign(*a)) {
                f.align = al;
            }
        }
    } else if (n == u"a") {
        if (const QString* a = t.attribute(u"href")) {
            f.url = *a;
        }
        if (const QString* a = t.attribute(u"target")) {
            f.target = *a;
        }
    } else if (n == u"font") {
        applyFont(b, t, f);
    } else if (n == u"textformat") {
        applyTextFormat(t, f);
    } else if (n != u"span" && !styled(b, n)) {
        return;  // unknown tags are dropped, their text kept
    }
    applyStyles(b, t, f);
    b.open(n, f);
}

QString escape(QStringView s) {
    QString out;
    for (QChar c : s) {
        if (c == u'<') {
            out += QStringLiteral("&lt;");
        } else if (c == u'>') {
            out += QStringLiteral("&gt;");
        } else if (c == u'&') {
            out += QStringLiteral("&amp;");
        } else if (c == u'"') {
            out += QStringLiteral("&quot;");
        } else {
            out += c;
        }
    }
    return out;
}

QString colorText(uint32_t c) {
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
}

QString number(double v) {
    if (v == double(int64_t(v))) {
        return QString::number(int64_t(v));
    }
    return QString::number(v, 'g', 15);
}

// The <FONT> attributes in which `f` differs from `base` (all of them without a base).
QString fontAttributes(const TextFormat& f, const TextFormat* base) {
    QString out;
    auto differs = [&](auto member) { return !base || (f.*member) != (base->*member); };
    if (differs(&TextFormat::font)) {
        out += QStringLiteral(" FACE=\"%1\"").arg(escape(f.font.value_or(QString())));
    }
    if (differs(&TextFormat::size)) {
        out += QStringLiteral(" SIZE=\"%1\"").arg(f.size.value_or(12));
    }
    if (differs(&TextFormat::color)) {
        out += QStringLiteral(" COLOR=\"%1\"").arg(colorText(f.color.value_or(0)));
    }
    if (differs(&TextFormat::letterSpacing)) {
        out += QStringLiteral(" LETTERSPACING=\"%1\"").arg(number(f.letterSpacing.value_or(0)));
    }
    if (differs(&TextFormat::kerning)) {
        out += QStringLiteral(" KERNING=\"%1\"").arg(f.kerning.value_or(false) ? 1 : 0);
    }
    return out;
}

bool sameFont(const TextFormat& a, const TextFormat& b) {
    return a.font == b.font && a.size == b.size && a.color == b.color &&
           a.letterSpacing == b.letterSpacing && a.kerning == b.kerning;
}

// The same markup set again keeps its pictures (and their clips); any other replaces them.
void keepPictures(TextField& field, const std::vector<TextPicture>& before) {
    auto same = [](TextPicture a, const TextPicture& b) {
        a.ownSize = b.ownSize;
        return a == b;
    };
    if (before.size() == field.pictures.size() &&
        std::equal(field.pictures.begin(), field.pictures.end(), before.begin(), same)) {
        field.pictures = before;
        return;
    }
    ++field.picturesSet;
}

// The <IMG> tags of the pictures whose tags stood from `from` to `to`, as htmlText writes
// them back.
QString pictureTags(const TextField& field, int from, int to) {
    QString out;
    for (const TextPicture& p : field.pictures) {
        if (p.at < from || p.at > to) {
            continue;
        }
        out += QStringLiteral("<IMG SRC=\"%1\"").arg(escape(p.src));
        if (!p.id.isEmpty()) {
            out += QStringLiteral(" ID=\"%1\"").arg(escape(p.id));
        }
        if (p.width) {
            out += QStringLiteral(" WIDTH=\"%1\"").arg(*p.width);
        }
        if (p.height) {
            out += QStringLiteral(" HEIGHT=\"%1\"").arg(*p.height);
        }
        out += QStringLiteral(" ALIGN=\"%1\" HSPACE=\"%2\" VSPACE=\"%3\">")
                   .arg(p.alignRight ? QStringLiteral("right") : QStringLiteral("left"))
                   .arg(p.hspace)
                   .arg(p.vspace);
    }
    return out;
}

// The text [a, b) escaped, with the tags of the pictures that stood inside it.
QString textWithPictures(const TextField& field, int a, int b) {
    if (field.pictures.empty()) {
        return escape(QStringView(field.text).mid(a, b - a));
    }
    QString out;
    for (int i = a; i < b; ++i) {
        out += pictureTags(field, i, i);
        out += escape(QStringView(field.text).mid(i, 1));
    }
    return out;
}

}  // namespace

void setHtml(TextField& field, const QString& html, const HtmlStyles* styles) {
    field.text.clear();
    field.spans.clear();
    std::vector<TextPicture> before;
    before.swap(field.pictures);
    field.lastHtml = html;
    field.lastHtmlMultiline = field.multiline;
    // Before version 8 the markup's paragraphs are left-aligned unless they say otherwise.
    if (field.version < 8) {
        field.newFormat.align = TextAlign::Left;
    }
    Builder b{field, {}, field.newFormat, field.newFormat, styles, false, std::nullopt};
    QString pending;
    auto flush = [&] {
        QString t = decodeEntities(pending);
        pending.clear();
        if (!field.condenseWhite) {
            t = normaliseLineEnds(t);
        }
        b.appendText(t);
    };
    qsizetype i = 0;
    while (i < html.size()) {
        if (html[i] == u'<') {
            const qsizetype end = html.indexOf(u'>', i);
            if (end < 0) {
                break;  // an unclosed tag ends the text
            }
            flush();
            const QStringView body = QStringView(html).mid(i + 1, end - i - 1);
            if (!body.startsWith(u'!') && !body.startsWith(u'?')) {
                applyTag(b, parseTag(body));
            }
            i = end + 1;
            continue;
        }
        pending.append(html[i++]);
    }
    flush();
    // Paragraph settings hold for whole paragraphs: each takes those of its first character.
    int pos = 0;
    while (pos < field.length()) {
        auto [a, e] = field.paragraphAt(pos);
        const int end = std::min(field.length(), e + 1);
        TextFormat first = field.formatOf(a, a + 1);
        TextFormat para;
        para.align = first.align;
        para.leftMargin = first.leftMargin;
        para.rightMargin = first.rightMargin;
        para.indent = first.indent;
        para.leading = first.leading;
        para.blockIndent = first.blockIndent;
        para.tabStops = first.tabStops;
        para.bullet = first.bullet;
        field.applyFormat(a, end, para);
        pos = end;
    }
    keepPictures(field, before);
}

QString toHtml(const TextField& field) {
    QString out;
    if (field.text.isEmpty() && field.pictures.empty()) {
        return out;
    }
    const QString& text = field.text;
    // Paragraphs; a final '\r' closes the last one rather than opening an empty one.
    std::vector<std::pair<int, int>> paragraphs;
    int start = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r') {
            if (i == text.size() && start == i && !paragraphs.empty()) {
                break;
            }
            paragraphs.emplace_back(start, i);
            start = i + 1;
        }
    }
    for (size_t n = 0; n < paragraphs.size(); ++n) {
        const auto [a, b] = paragraphs[n];
        const TextFormat pf = (a < b || a < text.size()) && !field.spans.empty()
                                  ? field.formatOf(a, a + 1)
                                  : field.newFormat;
        QString attrs;
        if (pf.leftMargin.value_or(0)) {
            attrs += QStringLiteral(" LEFTMARGIN=\"%1\"").arg(*pf.leftMargin);
        }
        if (pf.rightMargin.value_or(0)) {
            attrs += QStringLiteral(" RIGHTMARGIN=\"%1\"").arg(*pf.rightMargin);
        }
        if (pf.indent.value_or(0)) {
            attrs += QStringLiteral(" INDENT=\"%1\"").arg(*pf.indent);
        }
        if (pf.blockIndent.value_or(0)) {
            attrs += QStringLiteral(" BLOCKINDENT=\"%1\"").arg(*pf.blockIndent);
        }
        if (pf.leading.value_or(0)) {
            attrs += QStringLiteral(" LEADING=\"%1\"").arg(*pf.leading);
        }
        if (pf.tabStops && !pf.tabStops->empty()) {
            QStringList stops;
            for (int t : *pf.tabStops) {
                stops << QString::number(t);
            }
            attrs += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(u','));
        }
        if (!attrs.isEmpty()) {
            out += QStringLiteral("<TEXTFORMAT") + attrs + u'>';
        }
        const bool bullet = pf.bullet.value_or(false);
        if (bullet) {
            out += QStringLiteral("<LI>");
        } else {
            out += QStringLiteral("<P ALIGN=\"%1\">")
                       .arg(alignName(pf.align.value_or(TextAlign::Left)).toUpper());
        }
        out += QStringLiteral("<FONT") + fontAttributes(pf, nullptr) + u'>';
        std::vector<TextFormat> fonts{pf};  // open <FONT> tags, the paragraph's first
        // The paragraph's break counts as one of its characters: where its format differs,
        // an empty run shows it.
        const int formatEnd = b < text.size() ? b + 1 : b;
        int pos = 0;
        for (const TextSpan& sp : field.spans) {
            const int sa = std::max(pos, a), sb = std::min(pos + sp.length, formatEnd);
            pos += sp.length;
            if (sa >= sb) {
                continue;
            }
            const TextFormat& f = sp.format;
            size_t level = fonts.size();
            for (size_t k = 0; k < fonts.size(); ++k) {
                if (sameFont(fonts[k], f)) {
                    level = k + 1;
                    break;
                }
            }
            if (level < fonts.size()) {
                for (size_t k = fonts.size(); k > level; --k) {
                    out += QStringLiteral("</FONT>");
                }
                fonts.resize(level);
            } else if (level == fonts.size() && !sameFont(fonts.back(), f)) {
                out += QStringLiteral("<FONT") + fontAttributes(f, &fonts.back()) + u'>';
                fonts.push_back(f);
            }
            QString inner = textWithPictures(field, sa, std::min(sb, b));
            if (f.underline.value_or(false)) {
                inner = QStringLiteral("<U>") + inner + QStringLiteral("</U>");
            }
            if (f.italic.value_or(false)) {
                inner = QStringLiteral("<I>") + inner + QStringLiteral("</I>");
            }
            if (f.bold.value_or(false)) {
                inner = QStringLiteral("<B>") + inner + QStringLiteral("</B>");
            }
            if (!f.url.value_or(QString()).isEmpty()) {
                inner = QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">")
                            .arg(escape(*f.url), escape(f.target.value_or(QString()))) +
                        inner + QStringLiteral("</A>");
            }
            out += inner;
        }
        // Pictures whose tags closed the paragraph (the last one: also those after its break).
        out +=
            pictureTags(field, b, n + 1 < paragraphs.size() ? b : std::numeric_limits<int>::max());
        for (size_t k = 0; k < fonts.size(); ++k) {
            out += QStringLiteral("</FONT>");
        }
        out += bullet ? QStringLiteral("</LI>") : QStringLiteral("</P>");
        if (!attrs.isEmpty()) {
            out += QStringLiteral("</TEXTFORMAT>");
        }
    }
    return out;
}

}  // namespace pencora::runtime
