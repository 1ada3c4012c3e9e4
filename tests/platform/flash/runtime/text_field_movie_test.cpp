// Text fields inside a playing movie: a field bound to a timeline variable both ways, fields
// made by createTextField, and the pixels of a field's background and border.
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

using test::TraceHost;

struct TextMovieTest : testing::Test {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
    TextMovieTest() { engine->setHost(&host); }

    bool load(const swfwrite::MovieBuilder& b) {
        if (!engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {})) {
            return false;
        }
        engine->runFrame();
        return true;
    }
    std::vector<std::u16string> traced() const { return host.lines; }
};

swf::EditText field(double widthPx, double heightPx) {
    swf::EditText e;
    e.bounds = {0, int32_t(widthPx * 20), 0, int32_t(heightPx * 20)};
    return e;
}

swf::PlaceObject placeNamed(uint16_t id, uint16_t depth, const std::string& name) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    return p;
}

Assembler& getMember(Assembler& a, const std::string& object, const std::string& name) {
    return a.getVar(object).push({str(name)}).op(Code::GetMember);
}

TEST_F(TextMovieTest, BoundVariableAndTextFollowEachOther) {
    swfwrite::MovieBuilder b(8, 100, 100);
    swf::EditText e = field(100, 20);
    e.variableName = "v";
    e.initialText = "Hello";
    const uint16_t id = b.define(e);
    b.place(placeNamed(id, 1, "f"));
    Assembler a;
    a.getVar("v").trace();  // the field gave the unset variable its text
    a.setVar("v", str("Bye"));
    getMember(a, "f", "text").trace();  // the field reads the variable again
    a.getVar("f").push({str("text"), str("Typed")}).op(Code::SetMember);
    a.getVar("v").trace();  // and writes it when its text is set
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"Hello", u"Bye", u"Typed"}));
}

TEST_F(TextMovieTest, RebindingToAnUnsetVariableStartsFromTheDefinitionsText) {
    swfwrite::MovieBuilder b(8, 100, 100);
    swf::EditText e = field(100, 20);
    e.variableName = "v";
    e.initialText = "Hello";
    b.place(placeNamed(b.define(e), 1, "f"));
    Assembler a;
    a.getVar("f").push({str("text"), str("Typed")}).op(Code::SetMember);
    a.setVar("w", str("set"));
    a.getVar("f").push({str("variable"), str("w")}).op(Code::SetMember);
    getMember(a, "f", "text").trace();  // a variable that is set feeds the field
    a.getVar("f").push({str("variable"), str("u")}).op(Code::SetMember);
    getMember(a, "f", "text").trace();  // one that is not gets the definition's text
    a.getVar("u").trace();
    a.getVar("v").trace();  // the old variable keeps what it had
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"set", u"Hello", u"Hello", u"Typed"}));
}

TEST_F(TextMovieTest, ADuplicatedFieldIsAFreshInstancePlacedLikeTheSource) {
    for (uint8_t version : {6, 8}) {
        host.lines.clear();
        swfwrite::MovieBuilder b(version, 100, 100);
        swf::EditText e = field(100, 20);
        e.initialText = "Defined";
        b.place(placeNamed(b.define(e), 1, "placed"));
        Assembler a;
        // this.createTextField("made", 5, 10, 30, 80, 20)
        a.push({integer(20), integer(80), integer(30), integer(10), integer(5), str("made"),
                integer(6), str("this")})
            .op(Code::GetVariable)
            .push({str("createTextField")})
            .op(Code::CallMethod)
            .op(Code::Pop);
        for (const char* name : {"placed", "made"}) {
            a.getVar(name).push({str("text"), str("Changed")}).op(Code::SetMember);
            a.getVar(name).push({str("_xscale"), integer(50)}).op(Code::SetMember);
            a.getVar(name).push({str("border"), avm1::test::boolean(true)}).op(Code::SetMember);
        }
        // duplicateMovieClip(placed, "placedCopy", 10) and the same for the made field
        a.push({str("placed"), str("placedCopy"), integer(10)}).op(Code::CloneSprite);
        a.push({str("made"), str("madeCopy"), integer(11)}).op(Code::CloneSprite);
        for (const char* name : {"placedCopy", "madeCopy"}) {
            for (const char* property : {"text", "_xscale", "border", "_x", "_width"}) {
                getMember(a, name, property).trace();
            }
        }
        b.doAction(a.bytes).showFrame();
        ASSERT_TRUE(load(b));
        EXPECT_EQ(traced(), (std::vector<std::u16string>{u"Defined", u"50", u"false", u"0", u"50",
                                                         u"", u"50", u"false", u"10", u"0"}))
            << int(version);
    }
}

TEST_F(TextMovieTest, CreateTextFieldMakesAFieldScriptsCanFill) {
    swfwrite::MovieBuilder b(8, 100, 100);
    Assembler a;
    // this.createTextField("made", 5, 10, 10, 80, 20)
    a.push({integer(20), integer(80), integer(10), integer(10), integer(5), str("made"), integer(6),
            str("this")})
        .op(Code::GetVariable)
        .push({str("createTextField")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    a.getVar("made").push({str("htmlText"), str("<b>bold</b> text")}).op(Code::SetMember);
    getMember(a, "made", "text").trace();  // not an HTML field: the tags stay as text
    a.getVar("made").push({str("html"), avm1::test::boolean(true)}).op(Code::SetMember);
    a.getVar("made").push({str("htmlText"), str("<b>bold</b> text")}).op(Code::SetMember);
    getMember(a, "made", "text").trace();
    getMember(a, "made", "_name").trace();
    getMember(a, "made", "length").trace();
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(traced(),
              (std::vector<std::u16string>{u"<b>bold</b> text", u"bold text", u"made", u"9"}));
}

TEST_F(TextMovieTest, FieldsAreObjectsWithoutFrames) {
    // typeof tells fields from clips (code walking a clip's children relies on it), and a field
    // has no frames to report, by name or by getProperty; its display properties still answer.
    for (uint8_t version : {6, 8}) {
        host.lines.clear();
        swfwrite::MovieBuilder b(version, 100, 100);
        const uint16_t id = b.define(field(50, 20));
        b.place(placeNamed(id, 1, "placed"));
        Assembler a;
        a.push({integer(20), integer(80), integer(10), integer(30), integer(5), str("made"),
                integer(6), str("this")})
            .op(Code::GetVariable)
            .push({str("createTextField")})
            .op(Code::CallMethod)
            .op(Code::Pop);
        a.push({str("this")}).op(Code::GetVariable).op(Code::TypeOf).trace();
        for (const char* f : {"placed", "made"}) {
            a.getVar(f).op(Code::TypeOf).trace();
            for (const char* p :
                 {"_currentframe", "_totalframes", "_framesloaded", "_droptarget"}) {
                getMember(a, f, p).op(Code::TypeOf).trace();
            }
            a.getVar(f).push({integer(4)}).op(Code::GetProperty).op(Code::TypeOf).trace();
            getMember(a, f, "_y").trace();
        }
        b.doAction(a.bytes).showFrame();
        ASSERT_TRUE(load(b));
        const std::vector<std::u16string> undefinedFrames(5, u"undefined");
        std::vector<std::u16string> want{u"movieclip"};
        for (const char16_t* y : {u"0", u"10"}) {
            want.push_back(u"object");
            want.insert(want.end(), undefinedFrames.begin(), undefinedFrames.end());
            want.push_back(y);
        }
        EXPECT_EQ(traced(), want) << int(version);
    }
}

TEST_F(TextMovieTest, PropertiesShowFromTheVersionThatBroughtThem) {
    // The wheel and style sheets came with version 7, filters and the anti-aliasing settings
    // with 8; an older movie sees nothing by those names and may use them for its own.
    const char* const props[] = {"mouseWheelEnabled", "antiAliasType", "gridFitType",
                                 "sharpness",         "thickness",     "filters"};
    for (uint8_t version : {6, 7, 8}) {
        host.lines.clear();
        swfwrite::MovieBuilder b(version, 100, 100);
        b.place(placeNamed(b.define(field(50, 20)), 1, "f"));
        Assembler a;
        for (const char* p : props) {
            getMember(a, "f", p).op(Code::TypeOf).trace();
        }
        a.getVar("f").push({str("thickness"), str("mine")}).op(Code::SetMember);
        getMember(a, "f", "thickness").trace();
        b.doAction(a.bytes).showFrame();
        ASSERT_TRUE(load(b));
        const std::u16string v7 = version >= 7 ? u"boolean" : u"undefined";
        const std::u16string s8 = version >= 8 ? u"string" : u"undefined";
        const std::u16string n8 = version >= 8 ? u"number" : u"undefined";
        const std::u16string o8 = version >= 8 ? u"object" : u"undefined";
        const std::u16string thickness = version >= 8 ? u"NaN" : u"mine";
        EXPECT_EQ(traced(), (std::vector<std::u16string>{v7, s8, s8, n8, n8, o8, thickness}))
            << int(version);
    }
}

TEST_F(TextMovieTest, FiltersStayWithTheField) {
    swfwrite::MovieBuilder b(8, 100, 100);
    b.place(placeNamed(b.define(field(50, 20)), 1, "f"));
    Assembler a;
    // f.filters = [new flash.filters.BlurFilter(4, 4, 1)]
    a.getVar("f").push({str("filters"), integer(1), integer(4), integer(4), integer(3)});
    a.getVar("flash").push({str("filters")}).op(Code::GetMember);
    a.push({str("BlurFilter")}).op(Code::NewMethod).push({integer(1)}).op(Code::InitArray);
    a.op(Code::SetMember);
    getMember(a, "f", "filters").push({str("length")}).op(Code::GetMember).trace();
    getMember(a, "f", "filters").push({integer(0)}).op(Code::GetMember);
    a.push({str("blurX")}).op(Code::GetMember).trace();
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(traced(), (std::vector<std::u16string>{u"1", u"4"}));
}

TEST_F(TextMovieTest, FormatRangesAndSelectionReplaceThroughScripts) {
    swfwrite::MovieBuilder b(8, 100, 100);
    swf::EditText e = field(100, 20);
    e.initialText = "abcdef";
    b.place(placeNamed(b.define(e), 1, "f"));
    Assembler a;
    // var t = new TextFormat(); t.bold = true; f.setTextFormat(1, 3, t);
    a.push({str("t"), integer(0), str("TextFormat")}).op(Code::NewObject).op(Code::DefineLocal);
    a.getVar("t").push({str("bold"), avm1::test::boolean(true)}).op(Code::SetMember);
    a.getVar("t")
        .push({integer(3), integer(1), integer(3), str("f")})
        .op(Code::GetVariable)
        .push({str("setTextFormat")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    auto getFormatBold = [&](int begin, int end) {
        a.push({integer(end), integer(begin), integer(2), str("f")})
            .op(Code::GetVariable)
            .push({str("getTextFormat")})
            .op(Code::CallMethod)
            .push({str("bold")})
            .op(Code::GetMember)
            .trace();
    };
    getFormatBold(1, 3);  // true
    getFormatBold(0, 3);  // mixed: null
    getFormatBold(3, 6);  // false
    // f.replaceText(1, 3, "XY") keeps the run's format; without a caret f.replaceSel inserts
    // before the first character.
    a.push({str("XY"), integer(3), integer(1), integer(3), str("f")})
        .op(Code::GetVariable)
        .push({str("replaceText")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    getFormatBold(1, 3);
    a.push({str("!"), integer(1), str("f")})
        .op(Code::GetVariable)
        .push({str("replaceSel")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    getMember(a, "f", "text").trace();
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(traced(),
              (std::vector<std::u16string>{u"true", u"null", u"false", u"true", u"!aXYdef"}));
}

TEST_F(TextMovieTest, BackgroundAndBorderSnapToWholePixels) {
    swfwrite::MovieBuilder b(8, 60, 40);
    swf::EditText e = field(10, 10);
    e.border = true;  // a border brings the white background with it
    const uint16_t id = b.define(e);
    swf::Matrix m;
    m.tx = 410;  // 20.5 px: halves round down
    m.ty = 200;
    b.place(id, 1, m).showFrame();
    b.background({0, 255, 0, 255});
    ASSERT_TRUE(load(b));
    QImage img(60, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    flash::RenderTarget t{img.bits(), 60, 40, int(img.bytesPerLine()), 0, 0, 60, 40};
    flash::RenderOptions o;
    engine->render(t, o);
    const QRgb black = 0xFF000000, white = 0xFFFFFFFF, green = 0xFF00FF00;
    EXPECT_EQ(img.pixel(19, 15), green);
    EXPECT_EQ(img.pixel(20, 15), black) << "left edge";
    EXPECT_EQ(img.pixel(21, 15), white);
    EXPECT_EQ(img.pixel(29, 15), white);
    EXPECT_EQ(img.pixel(30, 15), black) << "the frame takes the column past the background";
    EXPECT_EQ(img.pixel(31, 15), green);
    EXPECT_EQ(img.pixel(25, 10), black) << "top edge";
    EXPECT_EQ(img.pixel(25, 20), black) << "bottom edge";
    EXPECT_EQ(img.pixel(30, 20), green) << "the bottom-right corner pixel stays out";
}

}  // namespace
}  // namespace pencora::runtime
