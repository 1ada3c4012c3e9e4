// The text field model without a player: format runs, the HTML subset both ways, line
// breaking with a fixed-pitch measure, and the TextFormat script class's conversions.
#include <gtest/gtest.h>

#include <limits>

#include "../avm1/test_host.h"
#include "fixed_measure.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_format_class.h"
#include "platform/flash/runtime/text/text_html.h"

namespace pencora::runtime {
namespace {

using test::FixedMeasure;

TextField makeField(bool multiline = true) {
    TextField f;
    f.bounds = QRectF(0, 0, 2000, 1000);  // 100 x 50 px
    f.multiline = multiline;
    f.html = true;
    f.newFormat = TextFormat::defaults();
    return f;
}

TEST(TextFieldModel, FormatRunsFollowEditsAndRanges) {
    TextField f = makeField();
    f.setText(QStringLiteral("hello\nworld"));
    EXPECT_EQ(f.text, QStringLiteral("hello\rworld"));  // line ends are unified
    f.setText(QStringLiteral("a\r\nb"));
    EXPECT_EQ(f.text, QStringLiteral("a\r\rb")) << "a Windows line end ends two lines";
    f.setText(QStringLiteral("hello\nworld"));

    TextFormat bold;
    bold.bold = true;
    f.applyFormat(1, 3, bold);
    EXPECT_TRUE(*f.formatOf(1, 3).bold);
    EXPECT_FALSE(f.formatOf(0, 3).bold.has_value()) << "a mixed range leaves the field unset";
    EXPECT_FALSE(*f.formatOf(3, 4).bold);

    // Paragraph settings spread to the whole paragraph the range touches, not further.
    TextFormat centre;
    centre.align = TextAlign::Center;
    f.applyFormat(7, 8, centre);
    EXPECT_EQ(f.formatOf(6, 11).align, TextAlign::Center);
    EXPECT_EQ(f.formatOf(0, 5).align, TextAlign::Left);

    // Inserted text takes the format where it goes in; replaced text disappears with its runs.
    f.replace(2, 2, QStringLiteral("XY"));
    EXPECT_EQ(f.text, QStringLiteral("heXYllo\rworld"));
    EXPECT_TRUE(*f.formatOf(2, 4).bold);
    f.replace(0, f.length(), QStringLiteral("z"));
    EXPECT_EQ(f.text, QStringLiteral("z"));
    ASSERT_EQ(f.spans.size(), 1u);
    EXPECT_EQ(f.spans[0].length, 1);

    // Ranges outside the text are cut to it rather than read past its end.
    f.applyFormat(-5, 99, bold);
    f.replace(40, 50, QStringLiteral("!"));
    EXPECT_EQ(f.text, QStringLiteral("z!"));
    int covered = 0;
    for (const TextSpan& s : f.spans) {
        covered += s.length;
    }
    EXPECT_EQ(covered, f.length());
}

TEST(TextFieldHtml, ReadsTheSubsetIntoRuns) {
    TextField f = makeField();
    setHtml(
        f, QStringLiteral("<p align=\"right\">a<b>b</b><font color=\"#ff0000\" size=\"+2\">c</font>"
                          "</p><p>&lt;d&amp;&#65;</p>"));
    EXPECT_EQ(f.text, QStringLiteral("abc\r<d&A\r"));
    EXPECT_TRUE(*f.formatOf(1, 2).bold);
    EXPECT_EQ(*f.formatOf(2, 3).color, 0xFF0000u);
    EXPECT_EQ(*f.formatOf(2, 3).size, 14);
    EXPECT_EQ(f.formatOf(0, 3).align, TextAlign::Right);
    EXPECT_EQ(f.formatOf(4, 8).align, TextAlign::Left);

    // A single-line field runs its paragraphs and <br> together; newlines still break.
    TextField single = makeField(false);
    setHtml(single, QStringLiteral("<p>one</p><p>two</p>x<br>y\nz"));
    EXPECT_EQ(single.text, QStringLiteral("onetwoxy\rz"));
    // A multiline one breaks at both, and a list item after text starts a line of its own.
    TextField multi = makeField(true);
    setHtml(multi, QStringLiteral("x<br>y <li>z</li>"));
    EXPECT_EQ(multi.text, QStringLiteral("x\ry \rz\r"));
}

TEST(TextFieldHtml, WritesWhatItReadsBack) {
    TextField f = makeField();
    setHtml(f, QStringLiteral("<textformat leftmargin=\"5\" leading=\"2\"><p>hello <b>bold</b> "
                              "<a href=\"http://x\">link</a></p></textformat><li>item</li>"));
    const QString html = toHtml(f);
    EXPECT_EQ(
        html,
        QStringLiteral("<TEXTFORMAT LEFTMARGIN=\"5\" LEADING=\"2\"><P ALIGN=\"LEFT\"><FONT "
                       "FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                       "KERNING=\"0\">hello <B>bold</B> <A HREF=\"http://x\" "
                       "TARGET=\"\">link</A></FONT></P></TEXTFORMAT><LI><FONT FACE=\"Times New "
                       "Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                       "KERNING=\"0\">item</FONT></LI>"));
    TextField again = makeField();
    setHtml(again, html);
    EXPECT_EQ(again.text, f.text);
    EXPECT_EQ(toHtml(again), html);

    // Text that looks like markup is escaped on the way out.
    TextField plain = makeField();
    plain.setText(QStringLiteral("a<b>&\"c"));
    EXPECT_TRUE(toHtml(plain).contains(QStringLiteral("a&lt;b&gt;&amp;&quot;c")));
    // A nested face change opens a FONT with only what differs, and closes it again.
    TextFormat face;
    face.font = QStringLiteral("Noto Sans");
    plain.applyFormat(1, 3, face);
    EXPECT_TRUE(
        toHtml(plain).contains(QStringLiteral("a<FONT FACE=\"Noto Sans\">&lt;b</FONT>&gt;")));
}

TEST(TextFieldHtml, CondensesWhiteSpaceAndSurvivesBrokenMarkup) {
    TextField f = makeField();
    f.condenseWhite = true;
    setHtml(f, QStringLiteral("  a \n\t b  <p>  c </p>   "));
    EXPECT_EQ(f.text, QStringLiteral("a b c \r"));

    // Unclosed tags, stray closers, unknown tags and deep nesting: text kept, no crash.
    TextField g = makeField();
    setHtml(g, QStringLiteral("</b></font><blink>x</blink><b><b><i>y"));
    EXPECT_EQ(g.text, QStringLiteral("xy"));
    setHtml(g, QStringLiteral("a<font color="));
    EXPECT_EQ(g.text, QStringLiteral("a"));
    setHtml(g, QString(5000, u'<') + QStringLiteral("b>") + QStringLiteral("&#99999999;&bogus;"));
    EXPECT_TRUE(g.text.endsWith(QStringLiteral("&#99999999;&bogus;")));

    // Numbers past int or not finite: held at int's ends or ignored, never undefined.
    setHtml(g, QStringLiteral("<textformat indent=\"1e30\" leading=\"-1e30\" tabstops=\"nan,5\">"
                              "<font letterspacing=\"inf\" size=\"99999999999999\">x</font>"));
    const TextFormat x = g.formatOf(0, 1);
    EXPECT_EQ(x.indent, std::numeric_limits<int>::max());
    EXPECT_EQ(x.leading, std::numeric_limits<int>::min());
    EXPECT_EQ(x.tabStops, (std::vector<int>{0, 5}));
    EXPECT_EQ(x.letterSpacing, 0.0);
    EXPECT_EQ(x.size, 127);
}

TEST(TextFieldHtml, StyleSheetsStyleTagsThenClasses) {
    HtmlStyles styles;
    styles[QStringLiteral("p")].color = 0xFF0000;
    styles[QStringLiteral(".big")].size = 20;
    styles[QStringLiteral(".big")].color = 0x00FF00;
    styles[QStringLiteral("title")].bold = true;  // a tag of the sheet's own
    styles[QStringLiteral("a:link")].underline = true;
    TextField f = makeField();
    setHtml(f,
            QStringLiteral("<p>r<span class=\"big\">g</span></p><title>t</title><a href=\"x\">l</a>"
                           "<blink>k</blink>"),
            &styles);
    EXPECT_EQ(f.text, QStringLiteral("rg\rtlk"));
    EXPECT_EQ(f.formatOf(0, 1).color, 0xFF0000u);
    EXPECT_EQ(f.formatOf(1, 2).color, 0x00FF00u) << "the class comes after the tag";
    EXPECT_EQ(f.formatOf(1, 2).size, 20);
    EXPECT_EQ(f.formatOf(3, 4).bold, true);
    EXPECT_EQ(f.formatOf(3, 4).color, 0u) << "the paragraph's style ended with it";
    EXPECT_EQ(f.formatOf(4, 5).underline, true);
    EXPECT_EQ(f.formatOf(5, 6).bold, false) << "a tag without a style stays unknown";
}

TEST(TextFieldLayout, WrapsWordsAlignsAndMeasures) {
    FixedMeasure measure;
    TextField f = makeField();
    f.setText(QStringLiteral("aaa bbb ccc"));
    // 100 px wide, 2 px gutter each side: 96 px for 9 characters a line.
    TextLayout l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 1u) << "no wrapping unless wordWrap";
    EXPECT_DOUBLE_EQ(l.textWidth, 11 * 200);
    EXPECT_DOUBLE_EQ(l.textHeight, 300);

    f.wordWrap = true;
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(f.text.mid(l.lines[0].start, l.lines[0].length), QStringLiteral("aaa bbb "));
    EXPECT_EQ(f.text.mid(l.lines[1].start, l.lines[1].length), QStringLiteral("ccc"));
    EXPECT_DOUBLE_EQ(l.lines[0].width, 7 * 200) << "the trailing space hangs past the edge";
    EXPECT_DOUBLE_EQ(l.textWidth, 8 * 200) << "but a left-aligned line's width keeps it";
    TextFormat centred;
    centred.align = TextAlign::Center;
    f.applyFormat(0, f.length(), centred);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, 7 * 200) << "an aligned line lets it hang";

    // A word longer than the line is cut rather than looping or overflowing.
    f.setText(QString(30, u'x'));
    l = layoutText(f, measure);
    EXPECT_EQ(l.lines.size(), 4u);

    TextFormat right;
    right.align = TextAlign::Right;
    right.leading = 2;
    f.setText(QStringLiteral("ab\rcd"));
    f.applyFormat(0, f.length(), right);
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(l.lines[0].x, 2000 - kGutter - 400);
    EXPECT_DOUBLE_EQ(l.lines[1].y - l.lines[0].y, 300 + 40);
    EXPECT_DOUBLE_EQ(l.textHeight, 300 + 40 + 300) << "no leading after the last line";
    f.setText(QStringLiteral("ab"));
    f.applyFormat(0, f.length(), right);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textHeight, 300 + 40) << "but a lone line keeps it";
    f.setText(QStringLiteral("ab\rcd\r"));
    f.applyFormat(0, f.length(), right);
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 3u) << "a final line break leaves an empty line for the caret";
    EXPECT_DOUBLE_EQ(l.textHeight, 2 * (300 + 40)) << "which adds no height, only the leading";
    EXPECT_DOUBLE_EQ(l.boxHeight, 2 * (300 + 40) + 300) << "an auto-sized box still shows it";

    TextFormat margins;
    margins.leftMargin = 5;
    margins.rightMargin = 6;
    margins.indent = 7;
    margins.blockIndent = 8;
    f.setText(QStringLiteral("ab"));
    f.applyFormat(0, f.length(), margins);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, 400 + 100) << "only the left margin counts";
    margins.bullet = true;
    f.applyFormat(0, f.length(), margins);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, 400) << "not even it beside a bullet";

    // Tabs reach the next stop after them, every 648 twips without stops, nowhere past the last.
    f = makeField();
    f.setText(QStringLiteral("a\tb"));
    l = layoutText(f, measure);
    EXPECT_DOUBLE_EQ(l.textWidth, 648 + 200);
    EXPECT_DOUBLE_EQ(l.advances[1], 648 - 200);
    TextFormat stops;
    stops.tabStops = std::vector<int>{10, 50};  // pixels
    f.applyFormat(0, f.length(), stops);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, 1000 + 200) << "200 is not after 200";
    f.setText(QStringLiteral("aaaaaa\tb"));
    f.applyFormat(0, f.length(), stops);
    EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, 7 * 200 + 0) << "past the last stop";

    // Tabs on a wrapped line count from where that line starts, not the paragraph.
    f = makeField();
    f.wordWrap = true;
    f.setText(QStringLiteral("aaaa bbbb\tc"));
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(f.text.mid(l.lines[1].start, l.lines[1].length), QStringLiteral("bbbb\tc"));
    EXPECT_DOUBLE_EQ(l.advances[9], 1296 - 800);
    EXPECT_DOUBLE_EQ(l.lines[1].width, 1296 + 200);
    f.setText(QStringLiteral("aaaaaaaa bb\tc"));
    f.applyFormat(0, f.length(), stops);
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(l.advances[11], 1000 - 400) << "the stop at 50 px is still ahead";

    // A justified paragraph spreads each wrapped line's spaces to fill it, but not its last
    // line; the text's width is still what the words take.
    f = makeField();
    f.wordWrap = true;
    f.setText(QStringLiteral("aa bb cc dd ee"));
    TextFormat justified;
    justified.align = TextAlign::Justify;
    f.applyFormat(0, f.length(), justified);
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_TRUE(l.lines[0].justified);
    EXPECT_DOUBLE_EQ(l.advances[2], 200 + (1920 - 1600) / 2.0);
    EXPECT_DOUBLE_EQ(l.advances[8], 200) << "the space the line ends with hangs as it was";
    EXPECT_FALSE(l.lines[1].justified);
    EXPECT_DOUBLE_EQ(l.advances[11], 200);
    EXPECT_DOUBLE_EQ(l.textWidth, 8 * 200);

    // Chinese text breaks between any two characters, but never before closing punctuation
    // nor after opening punctuation; nothing cuts a character of two UTF-16 units in half.
    auto lineTexts = [](const TextField& field, const TextLayout& layout) {
        QStringList out;
        for (const TextLine& line : layout.lines) {
            out << field.text.mid(line.start, line.length);
        }
        return out;
    };
    f = makeField();
    f.wordWrap = true;
    f.setText(QStringLiteral("ab 一二三四五六七八九十"));
    EXPECT_EQ(lineTexts(f, layoutText(f, measure)),
              QStringList({QStringLiteral("ab 一二三四五六"), QStringLiteral("七八九十")}));
    f.setText(QStringLiteral("一二三四五六七八九，十"));
    EXPECT_EQ(lineTexts(f, layoutText(f, measure)),
              QStringList({QStringLiteral("一二三四五六七八"), QStringLiteral("九，十")}));
    f.setText(QStringLiteral("一二三四五六七《八》"));
    EXPECT_EQ(lineTexts(f, layoutText(f, measure)),
              QStringList({QStringLiteral("一二三四五六七"), QStringLiteral("《八》")}));
    f.setText(QString::fromUtf16(u"\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600"));
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[0].length, 8) << "cut before the pair the line's end falls in";
    f.setText(QString::fromUtf16(u"\U00020000\U00020001\U00020002\U00020003\U00020004"));
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[0].length, 8) << "supplementary ideographs break between them";

    // A bulleted paragraph: its bullet on the first line at the block's left, every line's
    // text clear of it; the next paragraph without a bullet starts at the margin again.
    f = makeField();
    f.wordWrap = true;
    f.setText(QStringLiteral("aaaa bbbb\rdd"));
    TextFormat bulleted;
    bulleted.bullet = true;
    bulleted.blockIndent = 5;
    f.applyFormat(0, 3, bulleted);
    l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 3u);
    const double textX = kGutter + 100 + bulletIndent(f.newFormat);
    EXPECT_TRUE(l.lines[0].bullet);
    EXPECT_DOUBLE_EQ(l.lines[0].bulletX, kGutter + 100);
    EXPECT_DOUBLE_EQ(l.lines[0].x, textX);
    EXPECT_FALSE(l.lines[1].bullet) << "one bullet a paragraph";
    EXPECT_DOUBLE_EQ(l.lines[1].x, textX);
    EXPECT_FALSE(l.lines[2].bullet);
    EXPECT_DOUBLE_EQ(l.lines[2].x, kGutter);
}

TEST(TextFieldLayout, LetterSpacingNeverTakesACharacterBack) {
    FixedMeasure measure;  // 10 px a character
    TextField f = makeField();
    f.setText(QStringLiteral("abc"));
    TextFormat spaced;
    for (const auto& [px, width] : {std::pair{3.0, 3 * 260.0}, std::pair{-4.0, 3 * 120.0},
                                    std::pair{-10.0, 3 * 200.0}, std::pair{-12.0, 3 * 200.0}}) {
        spaced.letterSpacing = px;
        f.applyFormat(0, f.length(), spaced);
        EXPECT_DOUBLE_EQ(layoutText(f, measure).textWidth, width) << px;
    }
}

// The TextFormat class: how script values become format fields, per SWF version.
struct FormatCase {
    int version;
    const char* field;
    avm1::Value in;
    avm1::Value out;
};

TEST(TextFormatClass, ConvertsAssignedValuesPerVersion) {
    const double nan = std::nan("");
    const FormatCase cases[] = {
        {8, "size", avm1::Value(2.5), avm1::Value(2.0)},  // halves to even
        {8, "size", avm1::Value(3.5), avm1::Value(4.0)},
        {8, "size", avm1::Value(nan), avm1::Value(-2147483648.0)},
        {7, "size", avm1::Value(2.9), avm1::Value(2.0)},  // cut toward zero
        {7, "indent", avm1::Value(-3.0), avm1::Value(0.0)},
        {8, "indent", avm1::Value(-3.0), avm1::Value(-3.0)},
        {8, "leftMargin", avm1::Value(-3.0), avm1::Value(0.0)},
        {8, "leftMargin", avm1::Value(nan), avm1::Value(0.0)},
        {8, "color", avm1::Value(-3.0), avm1::Value(4294967293.0)},
        {8, "bold", avm1::Value("x"), avm1::Value(true)},
        {8, "size", avm1::Value::null(), avm1::Value::null()},
        {8, "align", avm1::Value("CENTER"), avm1::Value("center")},
        {8, "display", avm1::Value("Inline"), avm1::Value("block")},
        {8, "font", avm1::Value(QString(100, u'f')), avm1::Value(QString(64, u'f'))},
    };
    for (const FormatCase& c : cases) {
        avm1::test::Fixture fx(c.version);
        avm1::Machine& m = fx.machine;
        m.setVersion(c.version);
        installTextFormatClass(m);
        std::vector<avm1::Value> none;
        avm1::Value tf = m.construct(m.get(m.global(), QStringLiteral("TextFormat")), none);
        ASSERT_NE(textFormatOf(tf), nullptr);
        m.setMember(tf, QString::fromLatin1(c.field), c.in);
        const avm1::Value got = m.getMember(tf, QString::fromLatin1(c.field));
        EXPECT_EQ(m.typeOf(got), m.typeOf(c.out)) << c.field << " v" << c.version;
        EXPECT_EQ(m.toString(got), m.toString(c.out)) << c.field << " v" << c.version;
    }
}

TEST(TextFormatClass, ConstructorCutsNumbersAndMergesFormats) {
    avm1::test::Fixture fx(8);
    avm1::Machine& m = fx.machine;
    installTextFormatClass(m);
    std::vector<avm1::Value> args{avm1::Value("Arial"), avm1::Value(10.9), avm1::Value(255.0),
                                  avm1::Value(true)};
    avm1::Value tf = m.construct(m.get(m.global(), QStringLiteral("TextFormat")), args);
    const TextFormat* f = textFormatOf(tf);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(*f->size, 10);
    EXPECT_EQ(*f->color, 255u);
    EXPECT_TRUE(*f->bold);
    EXPECT_FALSE(f->italic.has_value());

    TextFormat a = TextFormat::defaults();
    a.apply(*f);
    EXPECT_EQ(*a.font, QStringLiteral("Arial"));
    EXPECT_EQ(*a.leading, 0);
    TextFormat b = TextFormat::defaults();
    b.intersect(a);
    EXPECT_FALSE(b.font.has_value());
    EXPECT_EQ(*b.leading, 0);
}

}  // namespace
}  // namespace pencora::runtime
