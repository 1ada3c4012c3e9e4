// The classes that need a movie, as their documentation states them: TextFormat, Stage,
// Key, System.capabilities, Color, a clip's Transform and the menu property. Each row is a
// small script run in the first frame of a movie of SWF 6, 7 and 8 holding the 40 by 30 pixel
// clip "box" at depth 1, and what it traces.
#include <gtest/gtest.h>

#include "../avm1/postfix.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using test::done;
using test::named;

// A postfix script and what it traces in SWF 6, 7 and 8 (lines joined by "|"); a null result
// repeats the one of the version before.
struct Row {
    const char* code;
    const char* swf6;
    const char* swf7 = nullptr;
    const char* swf8 = nullptr;
};

struct ClassReferenceMovie : test::ScriptedPlayerTest {
    std::string run(uint8_t version, const Assembler& script) {
        swfwrite::MovieBuilder b(version);
        const uint16_t shape = b.define(test::square(0, 0, 40, 30, swf::Rgba{255, 0, 0, 255}));
        const uint16_t boxId = test::clipOf(b, {shape});
        b.place(named(boxId, 1, "box")).doAction(done(script)).showFrame();
        traces.lines.clear();
        player.load(0, test::share(b));
        player.runFrame();
        std::string out;
        for (size_t i = 0; i < traces.lines.size(); ++i) {
            out += (i ? "|" : "") + traces.lines[i];
        }
        return out;
    }

    void checkRows(const std::vector<Row>& rows) {
        const std::string names =
            "@flash .geom .Matrix >Matrix @flash .geom .ColorTransform >CT "
            "@flash .geom .Transform >Transform ";
        for (const Row& r : rows) {
            const char* expected = r.swf6;
            const char* perVersion[] = {r.swf6, r.swf7, r.swf8};
            for (int v = 6; v <= 8; ++v) {
                expected = perVersion[v - 6] ? perVersion[v - 6] : expected;
                Assembler as = avm1::test::postfix(names + r.code);
                as.trace();
                EXPECT_EQ(run(uint8_t(v), as), expected) << r.code << " in SWF " << v;
            }
        }
    }
};

}  // namespace

// TextFormat: every property null until set, the constructor's thirteen arguments in order,
// and what each property makes of a value of another type: numbers whole (rounded from SWF 8,
// cut before), margins never negative before SWF 8, flags by the version's truth, alignments
// by name in any case, text as text, tab stops as whole numbers.
TEST_F(ClassReferenceMovie, TextFormatDefaultsArgumentsAndConversions) {
    checkRows({
        {"new:TextFormat/0 >t @t .font Trace @t .size Trace @t .color Trace @t .bold Trace @t "
         ".italic Trace @t .underline Trace @t .url Trace @t .target Trace @t .align Trace @t "
         ".leftMargin Trace @t .rightMargin Trace @t .indent Trace @t .leading Trace @t "
         ".blockIndent Trace @t .bullet Trace @t .tabStops Trace @t .kerning Trace @t "
         ".letterSpacing Trace @t .display",
         "null|null|null|null|null|null|null|null|null|null|null|null|null|null|null|null|null|"
         "null|block"},
        {"13 12 11 10 'center' 't' 'u' 1 1 1 255 12 'Arial' new:TextFormat/13 >t @t .font Trace "
         "@t .size Trace @t .color Trace @t .bold Trace @t .italic Trace @t .underline Trace @t "
         ".url Trace @t .target Trace @t .align Trace @t .leftMargin Trace @t .rightMargin Trace "
         "@t .indent Trace @t .leading",
         "Arial|12|255|true|true|true|u|t|center|10|11|12|13"},
        {"undefined undefined 12 'a' new:TextFormat/4 >t @t .font Trace @t .size Trace @t .color "
         "Trace @t .bold",
         "a|12|null|null"},
        {"new:TextFormat/0 >t @t 'size' '12.7' SetMember @t .size Trace @t 'size' -3.5 SetMember "
         "@t .size Trace @t 'size' undefined SetMember @t .size",
         "12|-3|null", nullptr, "13|-4|null"},
        {"new:TextFormat/0 >t @t 'color' '0xFF' SetMember @t .color Trace @t 'color' -1 SetMember "
         "@t .color Trace @t 'color' 1.9 SetMember @t .color Trace @t 'color' null SetMember @t "
         ".color",
         "255|4294967295|1|null"},
        {"new:TextFormat/0 >t @t 'bold' 'yes' SetMember @t .bold Trace @t 'bold' 0 SetMember @t "
         ".bold Trace @t 'bold' undefined SetMember @t .bold Trace @t 'bullet' 'x' SetMember @t "
         ".bullet Trace @t 'underline' 1 SetMember @t .underline Trace @t 'kerning' 1 SetMember "
         "@t .kerning",
         "false|false|null|false|true|true", "true|false|null|true|true|true"},
        // Neither an unknown name nor null changes the alignment.
        {"new:TextFormat/0 >t @t 'align' 'CENTER' SetMember @t .align Trace @t 'align' 'foo' "
         "SetMember @t .align Trace @t 'align' 'justify' SetMember @t .align Trace @t 'align' "
         "null SetMember @t .align",
         "center|center|justify|justify"},
        {"new:TextFormat/0 >t @t 'leftMargin' -5 SetMember @t .leftMargin Trace @t 'leftMargin' "
         "'7.6' SetMember @t .leftMargin Trace @t 'indent' -5 SetMember @t .indent Trace @t "
         "'leading' -5 SetMember @t .leading Trace @t 'blockIndent' -5 SetMember @t .blockIndent",
         "0|7|0|0|0", nullptr, "0|8|-5|-5|-5"},
        {"new:TextFormat/0 >t @t 'tabStops' '3' -2 1.5 Array/3 SetMember @t .tabStops Trace @t "
         ".tabStops .2 TypeOf Trace @t 'tabStops' 5 SetMember @t .tabStops Trace @t 'tabStops' "
         "null SetMember @t .tabStops",
         "1,-2,3|number|null|null", nullptr, "2,-2,3|number|null|null"},
        {"new:TextFormat/0 >t @t 'url' 5 SetMember @t .url TypeOf Trace @t 'font' 5 SetMember @t "
         ".font TypeOf Trace @t 'font' null SetMember @t .font Trace @t 'letterSpacing' '2.5' "
         "SetMember @t .letterSpacing Trace @t 'display' 'none' SetMember @t .display Trace @t "
         "'display' 'foo' SetMember @t .display",
         "string|string|null|2.5|none|block"},
    });
}

// TextFormat.getTextExtent measured with the device font: the text's own size, and the field
// it needs (two pixels of gutter each side); a width given wraps the text to it. The device
// font's measures depend on the fonts at hand (and on whether an earlier test brought up the
// Gui), so what is checked is how the numbers relate.
TEST_F(ClassReferenceMovie, TextFormatExtentIsTheTextsSizeAndTheFieldAroundIt) {
    for (uint8_t version : {6, 7, 8}) {
        auto numbers = [&](const std::string& code) {
            const std::string out = run(version, avm1::test::postfix(code).trace());
            std::vector<double> n;
            for (const QString& part : QString::fromStdString(out).split(u'|')) {
                n.push_back(part.toDouble());
            }
            return n;
        };
        const auto line = numbers(
            "'hello world' 12 '_sans' new:TextFormat/2 :getTextExtent/1 >e @e .width Trace @e "
            ".height Trace @e .textFieldWidth Trace @e .textFieldHeight Trace @e .ascent Trace "
            "@e .descent");
        ASSERT_EQ(line.size(), 6u) << int(version);
        EXPECT_GT(line[0], 0) << int(version);
        EXPECT_GT(line[1], 0) << int(version);
        EXPECT_EQ(line[2], line[0] + 4) << int(version);
        EXPECT_EQ(line[3], line[1] + 4) << int(version);
        EXPECT_GT(line[4], 0) << int(version);
        EXPECT_LE(line[4] + line[5], line[1] + 1) << int(version);
        const auto wrapped = numbers(
            "40 'hello world' 12 '_sans' new:TextFormat/2 :getTextExtent/2 >e @e .width Trace @e "
            ".height Trace @e .textFieldWidth Trace @e .textFieldHeight");
        ASSERT_EQ(wrapped.size(), 4u) << int(version);
        EXPECT_LE(wrapped[0], 36) << int(version);
        EXPECT_GE(wrapped[1], 2 * line[1] - 1) << int(version);  // two lines
        EXPECT_EQ(wrapped[2], 40) << int(version);
        EXPECT_EQ(wrapped[3], wrapped[1] + 4) << int(version);
    }
}

// Stage: the modes and alignments it accepts in any case (alignment letters in the order L,
// T, R, B), the read-only size, showMenu by the version's truth, listeners; Key's constants,
// which scripts cannot change; the capabilities of the desktop player.
TEST_F(ClassReferenceMovie, StageKeyAndCapabilities) {
    checkRows({
        {"@Stage .scaleMode Trace @Stage .align Trace @Stage .showMenu Trace @Stage .width Trace "
         "@Stage .height Trace @Stage 'width' 5 SetMember @Stage .width",
         "showAll||true|550|400|550"},
        {"@Stage 'scaleMode' 'exactfit' SetMember @Stage .scaleMode Trace @Stage 'scaleMode' "
         "'NOBORDER' SetMember @Stage .scaleMode Trace @Stage 'scaleMode' 'noscale' SetMember "
         "@Stage .scaleMode Trace @Stage 'scaleMode' 'bogus' SetMember @Stage .scaleMode",
         "exactFit|noBorder|noScale|noScale"},
        {"@Stage 'align' 'T' SetMember @Stage .align Trace @Stage 'align' 'b' SetMember @Stage "
         ".align Trace @Stage 'align' 'TL' SetMember @Stage .align Trace @Stage 'align' 'rt' "
         "SetMember @Stage .align Trace @Stage 'align' 'LB' SetMember @Stage .align Trace @Stage "
         "'align' 'TBLR' SetMember @Stage .align Trace @Stage 'align' undefined SetMember @Stage "
         ".align",
         "T|B|LT|TR|LB|LTRB|"},
        {"@Stage 'showMenu' 0 SetMember @Stage .showMenu Trace @Stage 'showMenu' 'x' SetMember "
         "@Stage .showMenu",
         "false|false", "false|true"},
        {"0 InitObject >l @l @Stage :addListener/1 Trace @l @Stage :removeListener/1 Trace @l "
         "@Stage :removeListener/1",
         "true|true|false"},
        {"@Key .BACKSPACE @Key .CAPSLOCK @Key .CONTROL @Key .DELETEKEY @Key .DOWN @Key .END @Key "
         ".ENTER @Key .ESCAPE @Key .HOME @Key .INSERT @Key .LEFT @Key .PGDN @Key .PGUP @Key "
         ".RIGHT @Key .SHIFT @Key .SPACE @Key .TAB @Key .UP Array/18",
         "38,9,32,16,39,33,34,37,45,36,27,13,35,40,46,17,20,8"},
        {"@Key 'LEFT' 1 SetMember @Key .LEFT Trace @Key :getCode/0 Trace 'x' @Key :isDown/1",
         "37|0|false"},
        {"@System .capabilities >c @c .hasAudio Trace @c .hasMP3 Trace @c .hasPrinting Trace @c "
         ".hasStreamingVideo Trace @c .isDebugger Trace @c .language Trace @c .os Trace @c "
         ".playerType Trace @c .screenColor Trace @c .screenDPI Trace @c .version",
         "true|true|false|true|false|zh-CN|Linux|ActiveX|color|96|WIN 10,0,0,0"},
    });
}

// Color: setRGB's colour read back, bits above it ignored; setTransform's percentages kept in
// 8.8 fixed point and read back so; a Color of a removed clip does nothing until a clip comes
// to its path. Transform (SWF 8): fresh copies of the matrix and colour transform, the bounds
// on the stage, the parents' placement joined, a matrix assigned back moving the clip.
TEST_F(ClassReferenceMovie, ColorTransformAndMenuOfAClip) {
    checkRows({
        {"@box new:Color/1 >c 10040166 @c :setRGB/1 Trace @c :getRGB/0 Trace 33554431 @c "
         ":setRGB/1 Pop @c :getRGB/0",
         "undefined|10040166|16777215"},
        {"@box new:Color/1 >c 'rb' 244 'ra' 50 'ga' 40 'gb' 112 'ba' 12 'bb' 90 'aa' 40 'ab' 70 8 "
         "InitObject @c :setTransform/1 Pop @c :getTransform/0 >t @t .ra Trace @t .rb Trace @t "
         ".ga Trace @t .gb Trace @t .ba Trace @t .bb Trace @t .aa Trace @t .ab Trace @c :getRGB/0",
         "50|244|39.84375|112|11.71875|90|39.84375|70|16019546"},
        {"@box '_alpha' 50 SetMember @box new:Color/1 :getTransform/0 >t @t .ra Trace @t .rb "
         "Trace @t .aa",
         "100|0|50"},
        {"@_root >r 1 'dyn' @r :createEmptyMovieClip/2 >d @d new:Color/1 >c 255 @c :setRGB/1 Pop "
         "@d :removeMovieClip/0 Pop @c :getRGB/0 Trace @c :getTransform/0 Trace 2 'dyn' @r "
         ":createEmptyMovieClip/2 >e 65280 @c :setRGB/1 Pop @c :getRGB/0",
         "undefined|undefined|65280"},
        {"@box .transform >t @t .matrix Trace @t .pixelBounds Trace @t .matrix @t .matrix "
         "Equals2",
         "undefined|undefined|true", nullptr,
         "(a=1, b=0, c=0, d=1, tx=0, ty=0)|(x=0, y=0, w=40, h=30)|false"},
        {"@box .transform >t @_root '_xscale' 50 SetMember @box '_rotation' 90 SetMember @t "
         ".concatenatedMatrix Trace @t .pixelBounds",
         "undefined|undefined", nullptr,
         "(a=3.06161699786838e-17, b=1, c=-0.5, d=6.12323399573677e-17, tx=0, ty=0)|"
         "(x=-15, y=0, w=16, h=40)"},
        {"@box .transform >t @t .matrix >m @m 'tx' 77 SetMember @box ._x Trace @t 'matrix' @m "
         "SetMember @box ._x",
         "0|0", nullptr, "0|77"},
        {"@box .transform >t 0 0 0 0 0 0.5 1 1 new:CT/8 >c @t 'colorTransform' @c SetMember @box "
         "._alpha Trace @box new:Color/1 :getTransform/0 .ba",
         "100|100", nullptr, "0|50"},
        {"@box .menu Trace new:ContextMenu/0 >c @box 'menu' @c SetMember @box .menu @c Equals2 "
         "Trace 10 10 0 0 2 't' @_root :createTextField/6 Pop @_root .t 'menu' @c SetMember "
         "@_root .t .menu @c Equals2",
         "undefined|true|true"},
    });
}

// A method called through a reference to a removed clip runs on the clip that has come to
// stand at its path, as properties read through it do; with nothing there it answers nothing.
TEST_F(ClassReferenceMovie, MethodsOfARemovedClipRunOnTheClipNowAtItsPath) {
    checkRows({
        {"@_root >r 1 'dyn' @r :createEmptyMovieClip/2 >d @d :removeMovieClip/0 Pop @d "
         ":getDepth/0 Trace 2 'dyn' @r :createEmptyMovieClip/2 Pop @d :getDepth/0 Trace 5 'q' @d "
         ":createEmptyMovieClip/2 Pop @r .dyn .q TypeOf",
         "undefined|2|movieclip"},
    });
}

}  // namespace pencora::runtime
