// Text fields and text formats as scripts of each version drive them: the markup htmlText
// takes and gives back, format ranges read and applied, sizes and scrolling, input settings,
// variable binding and the TextFormat class.
#include <gtest/gtest.h>

#include <variant>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::boolean;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::Operand;
using avm1::test::str;
using Code = swf::ActionCode;

// A script argument: a value, or a variable read by name.
struct Var {
    std::string name;
};
using Arg = std::variant<Operand, Var>;

// One frame's script, a statement per call.
struct Script {
    Assembler a;

    void push(const Arg& v) {
        if (const auto* o = std::get_if<Operand>(&v)) {
            a.push({*o});
        } else {
            a.getVar(std::get<Var>(v).name);
        }
    }
    // object.name = v
    Script& set(const std::string& object, const std::string& name, const Arg& v) {
        a.getVar(object).push({str(name)});
        push(v);
        a.op(Code::SetMember);
        return *this;
    }
    // trace(object.name)
    Script& trace(const std::string& object, const std::string& name) {
        a.getVar(object).push({str(name)}).op(Code::GetMember).trace();
        return *this;
    }
    Script& traceVar(const std::string& name) {
        a.getVar(name).trace();
        return *this;
    }
    // object.method(args...), its result left for member() or drop()
    Script& call(const std::string& object, const std::string& method, std::vector<Arg> args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it) {
            push(*it);
        }
        a.push({integer(int(args.size()))}).getVar(object).push({str(method)}).op(Code::CallMethod);
        return *this;
    }
    // trace(<result>.name)
    Script& member(const std::string& name) {
        a.push({str(name)}).op(Code::GetMember).trace();
        return *this;
    }
    Script& drop() {
        a.op(Code::Pop);
        return *this;
    }
    // var name = new TextFormat(args...)
    Script& format(const std::string& name, std::vector<Arg> args = {}) {
        a.push({str(name)});
        for (auto it = args.rbegin(); it != args.rend(); ++it) {
            push(*it);
        }
        a.push({integer(int(args.size())), str("TextFormat")}).op(Code::NewObject);
        a.op(Code::DefineLocal);
        return *this;
    }
    // trace(object.getTextFormat(args...).name) for each name
    Script& traceFormat(const std::string& object, std::vector<Arg> range,
                        std::initializer_list<const char*> names) {
        for (const char* n : names) {
            call(object, "getTextFormat", range).member(n);
        }
        return *this;
    }
};

struct TextScriptTest : testing::Test {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    TextScriptTest() { engine->setHost(&host); }

    // A movie of `version` with the fields named "f", "g", ... in order, an empty clip "mc"
    // and `script` in its first frame.
    std::vector<std::u16string> run(int version, const std::vector<swf::EditText>& fields,
                                    const Script& script, int frames = 1) {
        swfwrite::MovieBuilder b(uint8_t(version), 200, 200);
        uint16_t depth = 1;
        for (const swf::EditText& e : fields) {
            swf::PlaceObject p;
            p.characterId = b.define(e);
            p.depth = depth;
            p.name = std::string(1, char('f' + depth - 1));
            b.place(p);
            ++depth;
        }
        swf::PlaceObject clip;
        clip.characterId = b.define(swfwrite::TimelineBuilder().showFrame().sprite());
        clip.depth = depth;
        clip.name = "mc";
        b.place(clip);
        b.doAction(script.a.bytes).showFrame();
        host.lines.clear();
        EXPECT_TRUE(engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {}));
        for (int i = 0; i < frames; ++i) {
            engine->runFrame();
        }
        return host.lines;
    }
};

swf::EditText field(int widthPx, int heightPx, bool html = false, bool multiline = false) {
    swf::EditText e;
    e.bounds = {0, widthPx * 20, 0, heightPx * 20};
    e.html = html;
    e.multiline = multiline;
    e.wordWrap = multiline;
    return e;
}

using Lines = std::vector<std::u16string>;

double number(const std::u16string& s) {
    return QString::fromStdU16String(s).toDouble();
}

TEST_F(TextScriptTest, DefinitionFlagsShowAsTheFieldsSettings) {
    swf::EditText rich = field(100, 40, true, true);
    rich.password = true;
    rich.maxLength = 7;
    rich.noSelect = true;
    rich.border = true;
    rich.useOutlines = true;
    rich.autoSize = true;
    rich.textColor = swf::Rgba{255, 0, 0, 255};
    rich.variableName = "v";
    rich.initialText = "<b>Hi</b>";
    swf::EditText plain = field(100, 40);
    plain.readOnly = true;
    plain.hasLayout = true;
    plain.align = swf::TextAlign::Right;
    plain.leftMargin = 40;
    plain.rightMargin = 60;
    plain.indent = 20;
    plain.leading = 80;
    plain.initialText = "Plain";
    const char* const settings[] = {
        "wordWrap",   "multiline", "password",   "type",     "maxChars", "selectable", "border",
        "background", "html",      "embedFonts", "autoSize", "variable", "text",       "textColor"};
    for (int version : {5, 6, 7, 8}) {
        // Sizing to the text came with version 6: an older movie's field keeps its box.
        const std::u16string autoSized = version >= 6 ? u"left" : u"none";
        Script s;
        for (const char* field : {"f", "g"}) {
            for (const char* p : settings) {
                s.trace(field, p);
            }
        }
        s.traceFormat("f", {integer(0)}, {"bold"});
        s.traceFormat("g", {integer(0)},
                      {"align", "leftMargin", "rightMargin", "indent", "leading"});
        EXPECT_EQ(run(version, {rich, plain}, s),
                  (Lines{u"true",  u"true",  u"true",  u"input",   u"7",    u"false", u"true",
                         u"true",  u"true",  u"true",  autoSized,  u"v",    u"Hi",    u"16711680",
                         u"false", u"false", u"false", u"dynamic", u"null", u"true",  u"false",
                         u"false", u"false", u"false", u"none",    u"null", u"Plain", u"0",
                         u"true",  u"right", u"2",     u"3",       u"1",    u"4"}))
            << version;
    }
    // Version 4 scripts reach a field only through its variable, which takes the field's text.
    Script s4;
    s4.traceVar("v");
    EXPECT_EQ(run(4, {rich}, s4), Lines{u"Hi"});
}

TEST_F(TextScriptTest, MarkupTakesTagsEntitiesAndBrokenPiecesAlike) {
    const std::u16string font =
        u"<FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
        u"KERNING=\"0\">";
    for (int version : {6, 7, 8}) {
        Script s;
        // Plain text set on an HTML field comes back as markup, escaped.
        s.set("f", "text", str("a<b&\"c'"));
        s.trace("f", "htmlText");
        s.set("f", "htmlText", str("&lt;&gt;&amp;&quot;&apos;&nbsp;&#65;&#x42;&bogus;|"));
        s.trace("f", "text");
        // Unknown tags drop out, their text kept; tags left open hold to the end.
        s.set("f", "htmlText", str("<foo>x</foo><b>y<i>z"));
        s.trace("f", "text");
        s.traceFormat("f", {integer(0)}, {"bold"});
        s.traceFormat("f", {integer(2)}, {"bold", "italic"});
        s.set("f", "htmlText",
              str("<font size='20'>a<font size='+2'>b</font><font size='-4'>c</font></font>"));
        for (int i : {0, 1, 2}) {
            s.traceFormat("f", {integer(i)}, {"size"});
        }
        s.traceFormat("f", {}, {"size"});  // mixed
        s.set("f", "htmlText",
              str("<textformat leading='5' indent='3' leftmargin='7' rightmargin='8' "
                  "blockindent='9' tabstops='10,20'>x</textformat>"));
        s.traceFormat(
            "f", {integer(0)},
            {"leading", "indent", "leftMargin", "rightMargin", "blockIndent", "tabStops"});
        s.trace("f", "htmlText");
        s.set("f", "htmlText",
              str("<a href='u' target='_blank'>x</a><li>item</li><p align='center'>c</p>after"
                  "<br>br<span class='k'>sp</span>"));
        s.trace("f", "text");  // trace shows each paragraph's end as a line feed
        s.a.push({integer(1), integer(1)}).getVar("f").push({str("text")}).op(Code::GetMember);
        s.a.push({str("charCodeAt")}).op(Code::CallMethod).trace();
        s.traceFormat("f", {integer(0)}, {"url", "target", "bullet"});
        s.traceFormat("f", {integer(3)}, {"bullet"});
        s.traceFormat("f", {integer(7)}, {"align"});
        s.trace("f", "length");
        const Lines got = run(version, {field(100, 100, true, true)}, s);
        const Lines want{
            u"<P ALIGN=\"LEFT\">" + font + u"a&lt;b&amp;&quot;c'</FONT></P>",
            u"<>&\"'\u00A0AB&bogus;|",
            u"xyz",
            u"false",
            u"true",
            u"true",
            u"20",
            u"22",
            u"16",
            u"null",
            u"5",
            u"3",
            u"7",
            u"8",
            u"9",
            u"10,20",
            u"<TEXTFORMAT LEFTMARGIN=\"7\" RIGHTMARGIN=\"8\" INDENT=\"3\" BLOCKINDENT=\"9\" "
            u"LEADING=\"5\" TABSTOPS=\"10,20\"><P ALIGN=\"LEFT\">" +
                font + u"x</FONT></P></TEXTFORMAT>",
            u"x\nitem\nc\nafter\nbrsp",
            u"13",
            u"u",
            u"_blank",
            u"false",
            u"true",
            u"center",
            u"19",
        };
        EXPECT_EQ(got, want) << version;
    }
}

TEST_F(TextScriptTest, FormatRangesTakeOneTwoOrThreeArguments) {
    for (int version : {6, 8}) {
        Script s;
        s.set("f", "text", str("abcdef"));
        s.format("t");
        s.set("t", "bold", boolean(true));
        s.call("f", "setTextFormat", {integer(2), Var{"t"}}).drop();  // one character
        s.traceFormat("f", {integer(2)}, {"bold"});
        s.traceFormat("f", {integer(1)}, {"bold"});
        s.traceFormat("f", {}, {"bold", "font", "size"});  // mixed and agreed
        s.format("u");
        s.set("u", "italic", boolean(true));
        s.call("f", "setTextFormat", {integer(4), integer(100), Var{"u"}}).drop();  // to the end
        s.traceFormat("f", {integer(5)}, {"italic"});
        s.traceFormat("f", {integer(3)}, {"italic"});
        s.call("f", "setTextFormat", {integer(3), integer(2), Var{"t"}}).drop();  // backwards
        s.traceFormat("f", {integer(3)}, {"bold"});
        // Nothing to read outside the text or in an empty range.
        s.traceFormat("f", {integer(10)}, {"bold", "font"});
        s.traceFormat("f", {integer(2), integer(2)}, {"bold"});
        s.call("f", "setTextFormat", {Var{"u"}}).drop();  // the whole text
        s.traceFormat("f", {}, {"italic"});
        // The new text format goes to text set later, not to the text there.
        s.format("n");
        s.set("n", "underline", boolean(true));
        s.call("f", "setNewTextFormat", {Var{"n"}}).drop();
        s.call("f", "getNewTextFormat", {}).member("underline");
        s.traceFormat("f", {integer(0)}, {"underline"});
        s.call("f", "replaceText", {integer(1), integer(2), str("XYZ")}).drop();
        s.trace("f", "text");
        s.call("f", "replaceText", {integer(2), integer(200), str("Q")}).drop();
        s.trace("f", "text");
        s.set("f", "text", str("new"));
        s.traceFormat("f", {}, {"underline", "italic"});
        // An empty field has no characters to format: its next text takes the new format.
        s.set("f", "text", str(""));
        s.call("f", "setTextFormat", {Var{"t"}}).drop();
        s.set("f", "text", str("abc"));
        s.traceFormat("f", {integer(0)}, {"bold"});
        // A link and a bullet given by a format show in the markup read back.
        s.format("link");
        s.set("link", "url", str("http://a"));
        s.set("link", "target", str("_top"));
        s.set("link", "bullet", boolean(true));
        s.set("link", "underline", boolean(false));
        s.call("f", "setTextFormat", {integer(1), integer(2), Var{"link"}}).drop();
        s.traceFormat("f", {integer(0)}, {"url", "bullet"});
        s.set("f", "html", boolean(true));
        s.trace("f", "htmlText");
        const std::u16string markup =
            u"<LI><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
            u"LETTERSPACING=\"0\" KERNING=\"0\"><U>a</U><A HREF=\"http://a\" "
            u"TARGET=\"_top\">b</A><U>c</U></FONT></LI>";
        EXPECT_EQ(run(version, {field(100, 100, false, true)}, s),
                  (Lines{u"true", u"false", u"null",     u"Times New Roman",
                         u"12",   u"true",  u"false",    u"false",
                         u"null", u"null",  u"null",     u"true",
                         u"true", u"false", u"aXYZcdef", u"aXQ",
                         u"true", u"false", u"false",    u"",
                         u"true", markup}))
            << version;
    }
}

TEST_F(TextScriptTest, TextFormatsTakeThirteenArgumentsAndMeasureText) {
    const char* const fields[] = {"font",    "size",        "color",       "bold",
                                  "italic",  "underline",   "url",         "target",
                                  "align",   "leftMargin",  "rightMargin", "indent",
                                  "leading", "blockIndent", "tabStops",    "bullet"};
    for (int version : {6, 8}) {
        Script s;
        s.format("w", {str("Arial"), integer(14), integer(0xFF0000), boolean(true), boolean(false),
                       boolean(true), str("http://x"), str("_self"), str("center"), integer(1),
                       integer(2), integer(3), integer(4)});
        for (const char* p : fields) {
            s.trace("w", p);
        }
        s.a.getVar("w").push({str("tabStops"), integer(20), integer(10), integer(2)});
        s.a.op(Code::InitArray).op(Code::SetMember);
        s.trace("w", "tabStops");
        s.set("w", "tabStops", Var{"nothing"});
        s.trace("w", "tabStops");
        s.format("t", {str("Times New Roman"), integer(12)});
        for (const char* p : {"width", "height", "textFieldWidth", "textFieldHeight"}) {
            s.call("t", "getTextExtent", {str("Hello")}).member(p);
        }
        for (const char* p : {"height", "textFieldWidth"}) {
            s.call("t", "getTextExtent", {str("Hello world again"), integer(30)}).member(p);
        }
        const Lines got = run(version, {field(40, 20)}, s);
        ASSERT_EQ(got.size(), 24u) << version;
        EXPECT_EQ(Lines(got.begin(), got.begin() + 18),
                  (Lines{u"Arial", u"14", u"16711680", u"true", u"false", u"true", u"http://x",
                         u"_self", u"center", u"1", u"2", u"3", u"4", u"null", u"null", u"null",
                         u"10,20", u"null"}))
            << version;
        // The field around the text adds its two 2-pixel gutters; a wrapping width is the
        // field's and wraps the text onto more lines.
        const double width = number(got[18]), height = number(got[19]);
        EXPECT_GT(width, 0);
        EXPECT_EQ(number(got[20]), width + 4);
        EXPECT_EQ(number(got[21]), height + 4);
        EXPECT_GT(number(got[22]), 2 * height);
        EXPECT_EQ(got[23], u"30");
    }
}

TEST_F(TextScriptTest, AutoSizeKeepsItsAnchorAndScrollingStaysInItsLimits) {
    const std::string text = "Hello wide world of text";
    swf::EditText lines = field(40, 40, false, true);
    lines.initialText = "1\r2\r3\r4\r5\r6\r7\r8\r9\r10";
    swf::EditText longLine = field(40, 20);
    longLine.initialText = text;
    for (int version : {6, 8}) {
        Script s;
        for (auto [name, value] : {std::pair{"f", "left"}, {"g", "right"}, {"h", "center"}}) {
            s.set(name, "autoSize", str(value));
            s.set(name, "text", str(text));
            s.trace(name, "_x");
            s.trace(name, "_width");
            s.trace(name, "textWidth");
        }
        // Wrapped text keeps the width and grows the height.
        s.set("i", "wordWrap", boolean(true));
        s.set("i", "autoSize", boolean(true));
        s.set("i", "text", str(text));
        s.trace("i", "_width");
        s.trace("i", "_height");
        s.trace("i", "textHeight");
        for (Operand v :
             {boolean(true), str("center"), str("bogus"), str("right"), boolean(false)}) {
            s.set("f", "autoSize", v);
            s.trace("f", "autoSize");
        }
        for (Operand scroll : {integer(1), num(3.7), num(1e12), integer(-4)}) {
            s.set("j", "scroll", scroll);
            s.trace("j", "scroll");
            s.trace("j", "bottomScroll");
        }
        s.trace("j", "maxscroll");
        s.trace("k", "maxhscroll");
        for (Operand h : {num(1e12), integer(-5)}) {
            s.set("k", "hscroll", h);
            s.trace("k", "hscroll");
        }
        const Lines got =
            run(version,
                {field(40, 40), field(40, 40), field(40, 40), field(40, 40), lines, longLine}, s);
        ASSERT_EQ(got.size(), 29u) << version;
        std::vector<double> n;
        for (const auto& l : got) {
            n.push_back(number(l));
        }
        // left: the box is the text and its gutters; right and centre keep that edge or middle.
        EXPECT_EQ(n[0], 0);
        EXPECT_NEAR(n[1], n[2] + 4, 1);
        EXPECT_GT(n[1], 40);
        EXPECT_NEAR(n[3] + n[4], 40, 0.1);
        EXPECT_NEAR(n[6] + n[7] / 2, 20, 0.1);
        EXPECT_EQ(n[9], 40);
        EXPECT_GT(n[10], 40);
        EXPECT_NEAR(n[10], n[11] + 4, 1);
        EXPECT_EQ(Lines(got.begin() + 12, got.begin() + 17),
                  (Lines{u"left", u"center", u"none", u"right", u"none"}));
        // bottomScroll is the last line showing, maxscroll the last top line that still shows
        // the last line; scroll stays within 1..maxscroll.
        const double shown = n[18];
        const double maxscroll = n[25];
        EXPECT_GT(shown, 1);
        EXPECT_LT(shown, 10);
        EXPECT_EQ(maxscroll, 10 - shown + 1);
        EXPECT_EQ(n[17], 1);
        EXPECT_EQ(n[19], 3);
        EXPECT_EQ(n[20], 3 + shown - 1);
        EXPECT_EQ(n[21], maxscroll);
        EXPECT_EQ(n[22], 10);
        EXPECT_EQ(n[23], 1);
        EXPECT_EQ(n[24], shown);
        // hscroll stays within 0..maxhscroll.
        EXPECT_GT(n[26], 0);
        EXPECT_EQ(n[27], n[26]);
        EXPECT_EQ(n[28], 0);
    }
}

TEST_F(TextScriptTest, InputSettingsReadBackAsScriptsSetThem) {
    for (int version : {6, 8}) {
        Script s;
        for (Operand v : {integer(5), integer(0), integer(-3), avm1::test::null()}) {
            s.set("f", "maxChars", v);
            s.trace("f", "maxChars");
        }
        for (Operand v : {str("a-z^q"), str(""), str("\\-"), avm1::test::null()}) {
            s.set("f", "restrict", v);
            s.trace("f", "restrict");
        }
        for (const char* v : {"input", "bogus", "dynamic"}) {
            s.set("f", "type", str(v));
            s.trace("f", "type");
        }
        for (const char* p : {"password", "selectable", "multiline", "embedFonts", "border",
                              "background", "condenseWhite", "html"}) {
            s.set("f", p, integer(1));
            s.trace("f", p);
            s.set("f", p, str(""));
            s.trace("f", p);
        }
        s.set("f", "borderColor", integer(0x123456));
        s.trace("f", "borderColor");
        s.set("f", "backgroundColor", integer(-1));
        s.trace("f", "backgroundColor");
        s.set("f", "text", str("abc"));
        s.set("f", "textColor", integer(0x00FF00));
        s.trace("f", "textColor");
        s.traceFormat("f", {}, {"color"});
        s.trace("f", "length");
        Lines want{u"5",   u"null", u"-3",    u"null",  u"a-z^q",  u"null",
                   u"\\-", u"null", u"input", u"input", u"dynamic"};
        for (int i = 0; i < 8; ++i) {
            want.insert(want.end(), {u"true", u"false"});
        }
        want.insert(want.end(), {u"1193046", u"16777215", u"65280", u"65280", u"3"});
        EXPECT_EQ(run(version, {field(40, 20)}, s), want) << version;
    }
}

TEST_F(TextScriptTest, VariablesCarryNumbersAndReachOtherTimelines) {
    swf::EditText bound = field(100, 20);
    bound.variableName = "v";
    for (int version : {5, 6, 8}) {
        Script s;
        s.a.setVar("v", integer(5));
        s.trace("f", "text");
        s.a.setVar("v", num(1.5));
        s.trace("f", "text");
        s.a.setVar("v", avm1::test::null());
        s.trace("f", "text");
        s.set("f", "variable", str("_root.mc.w"));
        s.set("mc", "w", str("deep"));
        s.trace("f", "text");
        s.set("f", "text", str("typed"));
        s.trace("mc", "w");
        s.set("f", "variable", str("/mc:x"));
        s.set("mc", "x", integer(7));
        s.trace("f", "text");
        s.set("f", "variable", str("_level0:z"));
        s.a.setVar("z", str("zz"));
        s.trace("f", "text");
        s.set("f", "variable", Var{"nothing"});
        s.trace("f", "variable");
        EXPECT_EQ(run(version, {bound}, s),
                  (Lines{u"5", u"1.5", u"null", u"deep", u"typed", u"7", u"zz", u"null"}))
            << version;
    }
}

}  // namespace
}  // namespace pencora::runtime
