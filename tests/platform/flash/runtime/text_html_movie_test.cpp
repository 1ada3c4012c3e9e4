// HTML text fields as movies of each version see them: what htmlText reads back after a set,
// where paragraphs end and which format their ends take, and the alignment the markup leaves.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::boolean;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

using test::TraceHost;

struct HtmlMovieTest : testing::Test {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    HtmlMovieTest() { engine->setHost(&host); }

    std::vector<std::u16string> run(const swfwrite::MovieBuilder& b) {
        host.lines.clear();
        EXPECT_TRUE(engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {}));
        engine->runFrame();
        return host.lines;
    }
};

// A centred field with a 10-pixel left margin, named "f".
swf::EditText centredField(bool html, std::optional<std::string> initialText = std::nullopt) {
    swf::EditText e;
    e.bounds = {0, 4000, 0, 2000};
    e.html = html;
    e.multiline = true;
    e.wordWrap = true;
    e.hasLayout = true;
    e.align = swf::TextAlign::Center;
    e.leftMargin = 200;
    e.initialText = std::move(initialText);
    return e;
}

void place(swfwrite::MovieBuilder& b, const swf::EditText& e) {
    swf::PlaceObject p;
    p.characterId = b.define(e);
    p.depth = 1;
    p.name = "f";
    b.place(p);
}

void setMember(Assembler& a, const std::string& name, avm1::test::Operand v) {
    a.getVar("f").push({str(name), v}).op(Code::SetMember);
}

void traceMember(Assembler& a, const std::string& name) {
    a.getVar("f").push({str(name)}).op(Code::GetMember).trace();
}

// trace(f.getNewTextFormat()[name])
void traceNewFormat(Assembler& a, const std::string& name) {
    a.push({integer(0), str("f")})
        .op(Code::GetVariable)
        .push({str("getNewTextFormat")})
        .op(Code::CallMethod)
        .push({str(name)})
        .op(Code::GetMember)
        .trace();
}

TEST_F(HtmlMovieTest, MarkupLeavesTheAlignmentLeftBeforeVersion8Only) {
    for (const int version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(uint8_t(version), 200, 100);
        place(b, centredField(false));
        Assembler a;
        setMember(a, "html", boolean(true));
        setMember(a, "htmlText", str("a<br>b"));
        traceNewFormat(a, "align");
        traceNewFormat(a, "leftMargin");  // other paragraph settings stay
        b.doAction(a.bytes).showFrame();
        const std::u16string align = version < 8 ? u"left" : u"center";
        EXPECT_EQ(run(b), (std::vector<std::u16string>{align, u"10"})) << version;
    }
    // An HTML definition takes its alignment from its initial text; without one it is left.
    for (const bool withText : {false, true}) {
        swfwrite::MovieBuilder b(8, 200, 100);
        place(b, centredField(true, withText ? std::optional<std::string>("x") : std::nullopt));
        Assembler a;
        traceNewFormat(a, "align");
        b.doAction(a.bytes).showFrame();
        EXPECT_EQ(run(b), (std::vector<std::u16string>{withText ? u"center" : u"left"}));
    }
}

// Sets f.htmlText to each of `inputs` in a multiline HTML field and traces what htmlText and
// text read back.
std::vector<std::u16string> readBack(HtmlMovieTest& t, const std::vector<std::string>& inputs,
                                     int version = 8, bool condenseWhite = false,
                                     bool multiline = true) {
    swfwrite::MovieBuilder b(uint8_t(version), 200, 100);
    swf::EditText e = centredField(true);
    e.multiline = multiline;
    e.hasLayout = false;
    e.fontHeight = 240;
    e.fontClass = "Arial";
    place(b, e);
    Assembler a;
    setMember(a, "condenseWhite", boolean(condenseWhite));
    for (const std::string& html : inputs) {
        setMember(a, "htmlText", str(html));
        traceMember(a, "htmlText");
        traceMember(a, "text");
    }
    b.doAction(a.bytes).showFrame();
    return t.run(b);
}

const std::u16string kP = u"<P ALIGN=\"LEFT\">";
const std::u16string kFont =
    u"<FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">";

TEST_F(HtmlMovieTest, ParagraphEndsAndTheirFormats) {
    const std::vector<std::u16string> got =
        readBack(*this, {
                            // Nested paragraphs end once.
                            "<p>a<p>b</p></p>",
                            // The end of a <p> takes the format of the last closed <font>, shown as
                            // an empty run where it differs from the text before it.
                            "<p>a<font color=\"#121212\"></font></p>",
                            // Without a closed <font> it takes the field's format, not bold.
                            "<b><p>c</p></b>",
                            // A final break closes its paragraph rather than opening an empty one.
                            "x<br>",
                        });
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[0], kP + kFont + u"ab</FONT></P>");
    EXPECT_EQ(got[1], u"ab\n");  // the trace shows the break as a newline
    EXPECT_EQ(got[2], kP + kFont + u"a<FONT COLOR=\"#121212\"></FONT></FONT></P>");
    EXPECT_EQ(got[4], kP + kFont + u"<B>c</B></FONT></P>");
    EXPECT_EQ(got[6], kP + kFont + u"x</FONT></P>");
    EXPECT_EQ(got[7], u"x\n");
}

TEST_F(HtmlMovieTest, CrossedTagsAndFontSizes) {
    const std::vector<std::u16string> got =
        readBack(*this, {
                            // A close that crosses another character tag is ignored.
                            "<b>a<i>b</b>c</i>d</b>e",
                            // One that crosses a paragraph closes it.
                            "<u><p>f</u>g</p>",
                            // Leading digits only, relative to the size in force, 1..127.
                            "<font size=\"20.9\">a<font size=\"+200\">b</font></font>",
                            "<font size=\"0\">a</font><font size=\"+x\">b</font>",
                        });
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[0], kP + kFont + u"<B>a</B><B><I>bc</I></B><B>d</B>e</FONT></P>");
    EXPECT_EQ(got[2], kP + kFont + u"<U>f</U>g</FONT></P>");
    EXPECT_EQ(got[4], kP +
                          u"<FONT FACE=\"Arial\" SIZE=\"20\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                          u"KERNING=\"0\">a<FONT SIZE=\"127\">b</FONT></FONT></P>");
    EXPECT_EQ(got[6], kP + u"<FONT FACE=\"Arial\" SIZE=\"1\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
                           u"KERNING=\"0\">a<FONT SIZE=\"12\">b</FONT></FONT></P>");
}

TEST_F(HtmlMovieTest, WhiteSpaceAndSpacingByVersion) {
    const std::vector<std::string> inputs = {" <b>x</b> \n",
                                             "<font kerning=\"1\" letterspacing=\"2\">k</font>"};
    const std::vector<std::u16string> v7 = readBack(*this, inputs, 7);
    const std::vector<std::u16string> v8 = readBack(*this, inputs, 8);
    ASSERT_EQ(v7.size(), 4u);
    ASSERT_EQ(v8.size(), 4u);
    // Before version 8 white space alone between tags is dropped.
    EXPECT_EQ(v7[1], u"x");
    EXPECT_EQ(v8[1], u" x \n");
    // Kerning and letter spacing in markup count from version 8.
    EXPECT_EQ(v7[2], kP + kFont + u"k</FONT></P>");
    EXPECT_EQ(v8[2], kP + u"<FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"2\" "
                          u"KERNING=\"1\">k</FONT></P>");

    // condenseWhite: space, tab and line ends make one space; other control characters stay.
    // From version 8 a paragraph starts without one; before it a stretch between tags that
    // is all white space is dropped.
    const std::vector<std::string> condense = {"a \t\v\r\n b", "\n x<b> </b>y"};
    const std::vector<std::u16string> c7 = readBack(*this, condense, 7, true);
    const std::vector<std::u16string> c8 = readBack(*this, condense, 8, true);
    ASSERT_EQ(c7.size(), 4u);
    ASSERT_EQ(c8.size(), 4u);
    EXPECT_EQ(c7[1], u"a \v b");
    EXPECT_EQ(c8[1], u"a \v b");
    EXPECT_EQ(c7[3], u" xy");
    EXPECT_EQ(c8[3], u"x y");
}

TEST_F(HtmlMovieTest, SingleLineFieldsJoinParagraphsFromVersion7) {
    const std::vector<std::string> inputs = {"<p>a</p><li>b</li>c<br>d"};
    EXPECT_EQ(readBack(*this, inputs, 6, false, false).back(), u"a\nb\nc\nd");
    EXPECT_EQ(readBack(*this, inputs, 7, false, false).back(), u"abcd");
    EXPECT_EQ(readBack(*this, inputs, 7, false, true).back(), u"a\nb\nc\nd");
}

TEST_F(HtmlMovieTest, AStyleSheetRestylesTheMarkupItIsGiven) {
    swfwrite::MovieBuilder b(8, 200, 100);
    place(b, centredField(true));
    Assembler a;
    setMember(a, "htmlText", str("<p class=\"big\">x</p>"));
    // var ss = new TextField.StyleSheet(); ss.parseCSS(".big { font-size: 20px; }");
    a.push({str("ss"), integer(0)})
        .getVar("TextField")
        .push({str("StyleSheet")})
        .op(Code::NewMethod)
        .op(Code::DefineLocal);
    a.push({str(".big { font-size: 20px; }"), integer(1)})
        .getVar("ss")
        .push({str("parseCSS")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    auto traceSize = [&] {
        a.push({integer(1), integer(0), integer(2), str("f")})
            .op(Code::GetVariable)
            .push({str("getTextFormat")})
            .op(Code::CallMethod)
            .push({str("size")})
            .op(Code::GetMember)
            .trace();
    };
    traceSize();
    a.getVar("f").push({str("styleSheet")}).getVar("ss").op(Code::SetMember);
    traceSize();  // the markup already set takes the sheet
    b.doAction(a.bytes).showFrame();
    EXPECT_EQ(run(b), (std::vector<std::u16string>{u"12", u"20"}));
}

}  // namespace
}  // namespace pencora::runtime
