// Text field rules movies meet in play: fields whose embedded font is missing, variables of
// fields shown by buttons, copies of auto-sized fields, markup restyled after the field changed,
// scroll positions as the text changes and who hears of it, script edits of a bound field.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::boolean;
using avm1::test::integer;
using avm1::test::Operand;
using avm1::test::str;
using Code = swf::ActionCode;

struct TextRulesTest : testing::Test {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    TextRulesTest() { engine->setHost(&host); }

    std::vector<std::u16string> run(const swfwrite::MovieBuilder& b, int frames = 1) {
        host.lines.clear();
        EXPECT_TRUE(engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {}));
        for (int i = 0; i < frames; ++i) {
            engine->runFrame();
        }
        return host.lines;
    }
};

// Script helpers, each one statement.
void setMember(Assembler& a, const std::string& object, const std::string& name, Operand v) {
    a.getVar(object).push({str(name), v}).op(Code::SetMember);
}

Assembler& getMember(Assembler& a, const std::string& object, const std::string& name) {
    return a.getVar(object).push({str(name)}).op(Code::GetMember);
}

void traceMember(Assembler& a, const std::string& object, const std::string& name) {
    getMember(a, object, name).trace();
}

// object.method(args...), its result left on the stack.
Assembler& call(Assembler& a, const std::string& object, const std::string& method,
                std::vector<Operand> args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        a.push({*it});
    }
    a.push({integer(int(args.size()))}).getVar(object).push({str(method)}).op(Code::CallMethod);
    return a;
}

// this.createTextField(name, depth, x, y, width, height)
void createField(Assembler& a, const std::string& name, int depth, int x, int y, int w, int h) {
    call(a, "this", "createTextField",
         {str(name), integer(depth), integer(x), integer(y), integer(w), integer(h)})
        .op(Code::Pop);
}

TEST_F(TextRulesTest, AFieldWithoutItsEmbeddedFontTakesNoRoom) {
    swfwrite::MovieBuilder b(8, 100, 100);
    Assembler a;
    for (const char* name : {"device", "embedded"}) {
        createField(a, name, name[0] == 'd' ? 1 : 2, 10, 10, 60, 30);
        setMember(a, name, "embedFonts", boolean(name[0] == 'e'));
        setMember(a, name, "autoSize", str("left"));
        setMember(a, name, "text", str("Hello"));
    }
    // The movie embeds no font at all: the embedded field's text has no glyphs to take room.
    a.getVar("device").push({str("textWidth")}).op(Code::GetMember);
    a.push({integer(0)}).op(Code::Greater).trace();
    for (const char* p : {"textWidth", "textHeight", "_width", "_height"}) {
        traceMember(a, "embedded", p);
    }
    // Measuring a format on its own still falls back to the device font.
    a.push({str("tf")});
    call(a, "embedded", "getNewTextFormat", {}).op(Code::DefineLocal);
    call(a, "tf", "getTextExtent", {str("Hello")}).push({str("width")}).op(Code::GetMember);
    a.push({integer(0)}).op(Code::Greater).trace();
    b.doAction(a.bytes).showFrame();
    EXPECT_EQ(run(b), (std::vector<std::u16string>{u"true", u"0", u"0", u"4", u"4", u"true"}));
}

TEST_F(TextRulesTest, AFieldWithoutItsEmbeddedFontDrawsNoText) {
    // Large black text over a white stage: the device field darkens pixels, the embedded one
    // leaves the stage white.
    auto darkPixels = [&](bool embedFonts) {
        swfwrite::MovieBuilder b(8, 100, 40);
        b.background({255, 255, 255, 255});
        Assembler a;
        createField(a, "f", 1, 0, 0, 100, 40);
        setMember(a, "f", "embedFonts", boolean(embedFonts));
        a.push({str("tf"), integer(0), str("TextFormat")}).op(Code::NewObject);
        a.op(Code::DefineLocal);
        setMember(a, "tf", "size", integer(30));
        a.getVar("tf").push({integer(1)}).getVar("f").push({str("setNewTextFormat")});
        a.op(Code::CallMethod).op(Code::Pop);
        setMember(a, "f", "text", str("MMMM"));
        b.doAction(a.bytes).showFrame();
        run(b);
        QImage img(100, 40, QImage::Format_ARGB32_Premultiplied);
        img.fill(0);
        flash::RenderTarget t{img.bits(), 100, 40, int(img.bytesPerLine()), 0, 0, 100, 40};
        engine->render(t, flash::RenderOptions{});
        int dark = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 100; ++x) {
                dark += qGray(img.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_GT(darkPixels(false), 20);
    EXPECT_EQ(darkPixels(true), 0);
}

TEST_F(TextRulesTest, AFieldInAButtonBindsToTheClipHoldingTheButton) {
    // A clip "holder" shows a button whose up state is an auto-sized field with a background,
    // bound to "v": setting the clip's variable fills the field, which grows to the right.
    swfwrite::MovieBuilder b(6, 100, 40);
    b.background({0, 255, 0, 255});
    swf::EditText e;
    e.bounds = {0, 100, 0, 400};
    e.border = true;
    e.autoSize = true;
    e.variableName = "v";
    const uint16_t fieldId = b.define(e);
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord r;
    r.states = swf::button_state::Up | swf::button_state::HitTest;
    r.characterId = fieldId;
    r.depth = 1;
    button.records = {r};
    const uint16_t buttonId = b.define(button);
    const uint16_t clipId = test::clipOf(b, {buttonId});
    swf::PlaceObject p;
    p.characterId = clipId;
    p.depth = 1;
    p.name = "holder";
    b.place(p);
    Assembler a;
    setMember(a, "holder", "v", str("MMMMMMMM"));
    b.doAction(a.bytes).showFrame().showFrame();
    run(b, 2);
    QImage img(100, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    flash::RenderTarget t{img.bits(), 100, 40, int(img.bytesPerLine()), 0, 0, 100, 40};
    engine->render(t, flash::RenderOptions{});
    EXPECT_NE(img.pixel(30, 2), 0xFF00FF00u) << "the field did not grow with the clip's text";
}

TEST_F(TextRulesTest, ACopyOfAnAutoSizedFieldStandsWhereTheSourceWasPut) {
    swfwrite::MovieBuilder b(8, 200, 100);
    Assembler a;
    createField(a, "f", 1, 100, 10, 10, 20);
    setMember(a, "f", "type", str("input"));
    setMember(a, "f", "autoSize", str("right"));
    setMember(a, "f", "text", str("Hello"));
    // The right edge stays at 110 while the field grows leftwards.
    a.getVar("f").push({str("_x")}).op(Code::GetMember).push({integer(100)});
    a.op(Code::Less).trace();
    a.push({str("f"), str("g"), integer(5)}).op(Code::CloneSprite);
    traceMember(a, "g", "_x");
    traceMember(a, "g", "type");
    traceMember(a, "g", "autoSize");
    b.doAction(a.bytes).showFrame();
    EXPECT_EQ(run(b), (std::vector<std::u16string>{u"true", u"100", u"input", u"none"}));
}

TEST_F(TextRulesTest, RestyledMarkupBreaksLinesAsWhenItWasSet) {
    for (const bool multiline : {false, true}) {
        swfwrite::MovieBuilder b(8, 200, 100);
        Assembler a;
        createField(a, "f", 1, 0, 0, 100, 50);
        setMember(a, "f", "html", boolean(true));
        setMember(a, "f", "multiline", boolean(multiline));
        setMember(a, "f", "htmlText", str("a<br>b"));
        setMember(a, "f", "multiline", boolean(!multiline));
        a.push({str("ss"), integer(0)})
            .getVar("TextField")
            .push({str("StyleSheet")})
            .op(Code::NewMethod)
            .op(Code::DefineLocal);
        a.getVar("f").push({str("styleSheet")}).getVar("ss").op(Code::SetMember);
        traceMember(a, "f", "length");
        b.doAction(a.bytes).showFrame();
        EXPECT_EQ(run(b), (std::vector<std::u16string>{multiline ? u"3" : u"2"}));
    }
}

TEST_F(TextRulesTest, ScrollPositionsFollowTheTextAsItShrinks) {
    const std::string tenLines = "1\r2\r3\r4\r5\r6\r7\r8\r9\r10";
    swfwrite::MovieBuilder b(8, 200, 100);
    Assembler a;
    createField(a, "f", 1, 0, 0, 100, 40);
    setMember(a, "f", "multiline", boolean(true));
    setMember(a, "f", "text", str(tenLines));
    // A field of two or three lines scrolled to its end.
    a.getVar("f").push({str("scroll")}).getVar("f").push({str("maxscroll")}).op(Code::GetMember);
    a.op(Code::SetMember);
    a.getVar("f").push({str("scroll")}).op(Code::GetMember).push({integer(5)});
    a.op(Code::Greater).trace();
    setMember(a, "f", "text", str("1\r2\r3\r4"));
    a.getVar("f").push({str("scroll")}).op(Code::GetMember);
    a.getVar("f").push({str("maxscroll")}).op(Code::GetMember).op(Code::Equals2).trace();
    // The position given up is not taken again when the text grows back.
    setMember(a, "f", "text", str(tenLines));
    a.getVar("f").push({str("scroll")}).op(Code::GetMember).push({integer(5)});
    a.op(Code::Less).trace();
    // The same sideways: a long line scrolled to its end, then a short one.
    setMember(a, "f", "text", str("a long line of text that reaches well past the box"));
    setMember(a, "f", "hscroll", integer(1000));
    a.getVar("f").push({str("hscroll")}).op(Code::GetMember).push({integer(0)});
    a.op(Code::Greater).trace();
    setMember(a, "f", "text", str("short"));
    traceMember(a, "f", "hscroll");
    traceMember(a, "f", "maxhscroll");
    b.doAction(a.bytes).showFrame();
    EXPECT_EQ(run(b),
              (std::vector<std::u16string>{u"true", u"true", u"true", u"true", u"0", u"0"}));
}

TEST_F(TextRulesTest, EditsByScriptReachTheBoundVariable) {
    swfwrite::MovieBuilder b(6, 100, 100);
    swf::EditText e;
    e.bounds = {0, 2000, 0, 400};
    e.variableName = "v";
    e.initialText = "abc";
    swf::PlaceObject p;
    p.characterId = b.define(e);
    p.depth = 1;
    p.name = "f";
    b.place(p);
    Assembler a;
    call(a, "f", "replaceText", {integer(0), integer(1), str("X")}).op(Code::Pop);
    a.getVar("v").trace();
    // The variable set since is what the next edit starts from.
    a.setVar("v", str("new"));
    call(a, "f", "replaceSel", {str(">")}).op(Code::Pop);
    a.getVar("v").trace();
    b.doAction(a.bytes).showFrame();
    // A frame later the field still shows the edited text.
    Assembler later;
    traceMember(later, "f", "text");
    b.doAction(later.bytes).showFrame();
    EXPECT_EQ(run(b, 2), (std::vector<std::u16string>{u"Xbc", u">new", u">new"}));
}

TEST_F(TextRulesTest, ListenersHearOfScrollingOncePerChange) {
    for (const uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version, 200, 100);
        Assembler a;
        createField(a, "f", 1, 0, 0, 100, 40);
        setMember(a, "f", "multiline", boolean(true));
        // f.onScroller = function (field) { trace("scrolled " + field.scroll + " of " +
        // field.maxscroll); }
        Assembler handler;
        handler.push({str("scrolled ")}).getVar("field").push({str("scroll")});
        handler.op(Code::GetMember).op(Code::Add2).push({str(" of ")}).op(Code::Add2);
        handler.getVar("field").push({str("maxscroll")}).op(Code::GetMember).op(Code::Add2);
        handler.trace();
        a.getVar("f").push({str("onScroller")}).function("", {"field"}, handler);
        a.op(Code::SetMember);
        setMember(a, "f", "text", str("one line"));  // nothing moved: no call
        b.doAction(a.bytes).showFrame();
        Assembler longer;
        setMember(longer, "f", "text", str("1\r2\r3\r4\r5\r6"));
        setMember(longer, "f", "text", str("1\r2\r3\r4\r5\r6\r7"));  // heard once
        b.doAction(longer.bytes).showFrame();
        Assembler scroll;
        setMember(scroll, "f", "scroll", integer(2));
        b.doAction(scroll.bytes).showFrame();
        Assembler same;
        setMember(same, "f", "scroll", integer(2));  // no change: no call
        b.doAction(same.bytes).showFrame();
        const std::vector<std::u16string> lines = run(b, 4);
        ASSERT_EQ(lines.size(), 2u) << int(version);
        EXPECT_TRUE(lines[0].starts_with(u"scrolled 1 of ")) << int(version);
        EXPECT_TRUE(lines[1].starts_with(u"scrolled 2 of ")) << int(version);
        EXPECT_NE(lines[0], u"scrolled 1 of 1");
    }
}

}  // namespace
}  // namespace pencora::runtime
