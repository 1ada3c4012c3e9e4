// What the text, selection, sound and mouse classes answer scripts, member by member: each row
// is a short script run in a movie of SWF 5, 6, 7 and 8 holding a dynamic field "f" showing
// "Hello", an input field "g" and an empty clip "mc", and what its traces print in each.
#include <gtest/gtest.h>

#include "../avm1/postfix.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::postfix;

// A postfix script and its traces joined by '|' in SWF 5, 6, 7 and 8; a null result repeats
// the version before's, "-" skips the version.
struct Row {
    const char* code;
    const char* swf5;
    const char* swf6 = nullptr;
    const char* swf7 = nullptr;
    const char* swf8 = nullptr;
};

// mk(label) makes a handler that traces the label and its arguments: "label:a,b".
avm1::test::Assembler handlerMaker() {
    avm1::test::Assembler handler = postfix("@label ':' Add2 ',' @arguments :join/1 Add2 Trace");
    avm1::test::Assembler maker;
    maker.function("", {}, handler).op(swf::ActionCode::Return);
    return avm1::test::Assembler().function("mk", {"label"}, maker);
}

std::u16string joinLines(const std::vector<std::u16string>& lines) {
    std::u16string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        joined += (i ? u"|" : u"") + lines[i];
    }
    return joined;
}

struct TextSoundMembers : testing::Test {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }

    static std::string run(int version, const std::string& code) {
        test::TraceHost host;
        std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
        engine->setHost(&host);
        swfwrite::MovieBuilder b(uint8_t(version), 200, 200);
        swf::EditText shown;
        shown.bounds = {0, 2000, 0, 400};
        shown.initialText = "Hello";
        swf::EditText typed = shown;
        typed.initialText = "";
        typed.readOnly = false;
        shown.readOnly = true;
        swf::PlaceObject p;
        p.characterId = b.define(shown);
        p.depth = 1;
        p.name = "f";
        b.place(p);
        p.characterId = b.define(typed);
        p.depth = 2;
        p.name = "g";
        b.place(p);
        p.characterId = b.define(swfwrite::TimelineBuilder().showFrame().sprite());
        p.depth = 3;
        p.name = "mc";
        b.place(p);
        b.doAction(handlerMaker().append(postfix(code)).bytes).showFrame();
        EXPECT_TRUE(engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {}));
        engine->runFrame();
        return QString::fromStdU16String(joinLines(host.lines)).toStdString();
    }

    static void check(const std::vector<Row>& rows) {
        for (const Row& r : rows) {
            const char* expected = r.swf5;
            const char* perVersion[] = {r.swf5, r.swf6, r.swf7, r.swf8};
            for (int v = 5; v <= 8; ++v) {
                expected = perVersion[v - 5] ? perVersion[v - 5] : expected;
                if (std::string(expected) != "-") {
                    EXPECT_EQ(run(v, r.code), expected) << r.code << " in SWF " << v;
                }
            }
        }
    }
};

// What a field answers before anything is done to it, the members it keeps read-only, the ones
// scripts set, and the members that came with later versions.
TEST_F(TextSoundMembers, TextFieldMembers) {
    check({
        {"@TextField TypeOf Trace @TextField :getFontList/0 .length 0 Greater Trace",
         "function|true"},
        {"@f :getDepth/0 Trace @f ._name Trace @f ._target Trace @f ._parent Trace", "-",
         "-16383|f|/f|_level0"},
        {"@f .type Trace @g .type Trace @f .length Trace @g .length Trace", "-",
         "dynamic|input|5|0"},
        {"@f .textWidth 0 Greater Trace @f .textHeight 0 Greater Trace @g .textWidth Trace "
         "@g .textHeight Trace",
         "-", "true|true|0|0"},
        {"@f .scroll Trace @f .maxscroll Trace @f .bottomScroll Trace @f .hscroll Trace "
         "@f .maxhscroll Trace",
         "-", "1|1|1|0|0"},
        {"@f .textColor Trace @f .borderColor Trace @f .backgroundColor Trace", "-",
         "0|0|16777215"},
        {"@f .restrict Trace @f .maxChars Trace @f .tabEnabled Trace @f .tabIndex Trace "
         "@f .condenseWhite Trace @f 'tabIndex' 3 SetMember @f .tabIndex Trace",
         "-", "null|null|undefined|undefined|false|3"},
        // Measures and scroll limits are read-only.
        {"@f 'length' 2 SetMember @f .length Trace @f 'textWidth' 1 SetMember @f .textWidth 1 "
         "Equals2 Trace @f 'bottomScroll' 4 SetMember @f .bottomScroll Trace @f 'maxscroll' 4 "
         "SetMember @f .maxscroll Trace",
         "-", "5|false|1|1"},
        // Members that came later read undefined in older movies.
        {"@f .mouseWheelEnabled Trace", "-", "undefined", "true"},
        {"@f .antiAliasType Trace @f .gridFitType Trace @f .sharpness Trace @f .thickness Trace "
         "@f .filters .length Trace",
         "-", "undefined|undefined|undefined|undefined|undefined", nullptr, "normal|pixel|0|0|0"},
        // The version 8 rendering settings keep a name they know and ignore others.
        {"@f 'antiAliasType' 'advanced' SetMember @f .antiAliasType Trace @f 'antiAliasType' "
         "'bogus' SetMember @f .antiAliasType Trace @f 'gridFitType' 'subpixel' SetMember "
         "@f .gridFitType Trace @f 'gridFitType' 'none' SetMember @f .gridFitType Trace "
         "@f 'gridFitType' 'x' SetMember @f .gridFitType Trace @f 'sharpness' 50 SetMember "
         "@f .sharpness Trace @f 'thickness' -50 SetMember @f .thickness Trace",
         "-", "-", "-", "advanced|advanced|subpixel|none|none|50|-50"},
        // getFontList belongs to the class, not to fields; a password field's text is its own.
        {"@f :getFontList/0 Trace @f 'password' true SetMember @f .text Trace", "-",
         "undefined|Hello"},
        // text takes any value as the movie's version writes it; a plain field's htmlText is its
        // text, and markup given to it stays text.
        {"@f 'text' undefined SetMember @f .text Trace @f 'text' 5.5 SetMember @f .text Trace", "-",
         "|5.5", "undefined|5.5"},
        {"@f .htmlText Trace @f 'htmlText' '<b>x</b>' SetMember @f .text Trace @f .htmlText Trace",
         "-", "Hello|<b>x</b>|<b>x</b>"},
        {"@f 'html' true SetMember @f .text Trace @f 'text' 'a\rb' SetMember @f .length Trace", "-",
         "Hello|3"},
        // A field is a TextField that shows as its path; a line feed it is given becomes a
        // carriage return, and a single-line field runs a break together from version 7.
        {"@f Trace @f String/1 Trace @f @TextField InstanceOf Trace @f TypeOf Trace", "-",
         "_level0.f|_level0.f|true|object"},
        {"@f 'text' 'a\nb' SetMember 1 @f .text :charCodeAt/1 Trace @f 'html' true SetMember "
         "'a<br>b' >f.htmlText 1 @f .text :charCodeAt/1 Trace @f 'multiline' true SetMember "
         "'a<br>b' >f.htmlText 1 @f .text :charCodeAt/1 Trace",
         "-", "13|13|13", "13|98|13"},
        // Scripts are not held to maxChars.
        {"@f 'maxChars' 3 SetMember 'abcdef' >f.text @f .text Trace", "-", "abcdef"},
        {"'XY' 2 1 @f :replaceText/3 Pop @f .text Trace", "-", "HXYllo"},
        // The new text format starts as the default one; an empty field has no characters, so
        // every member of its text format is mixed (null).
        {"@f :getNewTextFormat/0 >t @t .font Trace @t .size Trace @t .color Trace @t .bold Trace "
         "@t .align Trace @t .url Trace @t .target Trace @t .blockIndent Trace @t .tabStops Trace "
         "@t .bullet Trace @t .leading Trace",
         "-", "Times New Roman|12|0|false|left|||0||false|0"},
        {"@f :getNewTextFormat/0 >t @t .kerning Trace @t .letterSpacing Trace", "-", "-", "-",
         "false|0"},
        {"@g :getTextFormat/0 >t @t .font Trace @t .size Trace", "-", "null|null"},
        // removeTextField removes only fields scripts made; getDepth is where they were made.
        {"@f :removeTextField/0 @f TypeOf Trace", "-", "object"},
        {"10 10 0 0 5 't' @mc :createTextField/6 Pop @mc.t :getDepth/0 Trace @mc.t TypeOf Trace "
         "@mc.t :removeTextField/0 @mc.t TypeOf Trace",
         "-", "5|object|undefined"},
        {"10 10 0 0 5 't' @mc :createTextField/6 Pop 5 @mc :getInstanceAtDepth/1 Trace", "-", "-",
         "_level0.mc.t"},
        {"0 InitObject >o @o @f :addListener/1 Trace @o @f :removeListener/1 Trace", "-",
         "true|true"},
    });
}

// The style sheet class: parse, getStyle/setStyle and transform into a text format.
TEST_F(TextSoundMembers, StyleSheetMembers) {
    check({
        {"new:TextField.StyleSheet/0 >ss 'p{color:#FF0000;font-size:12}' @ss :parse/1 Trace "
         "'p' @ss :getStyle/1 >st @st .color Trace @st .fontSize Trace @st @ss :transform/1 >tf "
         "@tf .color Trace @tf .size Trace",
         "-", "-", "true|#FF0000|12|16711680|12"},
        {"new:TextField.StyleSheet/0 >ss '.a{font-weight:bold;text-decoration:underline;"
         "margin-left:10px;text-align:center;font-family:Arial}' @ss :parse/1 Pop "
         "@ss :getStyleNames/0 Trace '.a' @ss :getStyle/1 @ss :transform/1 >tf @tf .bold Trace "
         "@tf .underline Trace @tf .leftMargin Trace @tf .align Trace @tf .font Trace",
         "-", "-", ".a|true|true|10|center|Arial"},
        // getStyle gives a copy and setStyle keeps one; clear empties the sheet.
        {"new:TextField.StyleSheet/0 >ss 'p{color:#FF0000}' @ss :parse/1 Pop 'p' @ss :getStyle/1 "
         ">st @st 'color' '#00FF00' SetMember 'p' @ss :getStyle/1 .color Trace 0 InitObject >o @o "
         "'color' '#0000FF' SetMember @o 'q' @ss :setStyle/2 Pop @o 'color' '#111111' SetMember "
         "'q' @ss :getStyle/1 .color Trace @ss :getStyleNames/0 .length Trace @ss :clear/0 Pop "
         "@ss :getStyleNames/0 .length Trace",
         "-", "-", "#FF0000|#0000FF|2|0"},
        {"new:TextField.StyleSheet/0 >ss 'p{display:none;font-style:italic;text-indent:5;"
         "margin-right:3;kerning:true;letter-spacing:2}' @ss :parse/1 Pop 'p' @ss :getStyle/1 "
         "@ss :transform/1 >t @t .display Trace @t .italic Trace @t .indent Trace @t .rightMargin "
         "Trace @t .kerning Trace @t .letterSpacing Trace",
         "-", "-", "none|true|5|3|true|2"},
        {"new:TextField.StyleSheet/0 >ss 'p{color:#FF0000}' @ss :parse/1 Pop null 'p' "
         "@ss :setStyle/2 Pop 'p' @ss :getStyle/1 Trace",
         "-", "-", "null"},
    });
}

// Selection without a focus answers -1 and null; setFocus answers whether the focus moved and
// selects the whole text of a field it focuses; setSelection puts a backwards or too wide range
// in order within the text. Mouse.hide and show answer whether the pointer showed before.
TEST_F(TextSoundMembers, SelectionAndMouseMembers) {
    check({
        {"@Selection TypeOf Trace @Mouse TypeOf Trace @Selection :getFocus/0 TypeOf Trace",
         "object|object|null"},
        {"@Selection :getBeginIndex/0 Trace @Selection :getEndIndex/0 Trace "
         "@Selection :getCaretIndex/0 Trace @Selection :getFocus/0 Trace "
         "3 1 @Selection :setSelection/2 Pop @Selection :getBeginIndex/0 Trace",
         "-1|-1|-1|null|-1"},
        {"'g' @Selection :setFocus/1 Trace @Selection :getFocus/0 Trace "
         "@Selection :getBeginIndex/0 Trace @Selection :getCaretIndex/0 Trace",
         "-", "true|_level0.g|0|0"},
        {"'abc' >g.text 'g' @Selection :setFocus/1 Pop @Selection :getBeginIndex/0 Trace "
         "@Selection :getEndIndex/0 Trace @Selection :getCaretIndex/0 Trace",
         "-", "0|3|3"},
        {"@f @Selection :setFocus/1 Trace @Selection :getFocus/0 Trace", "-", "true|_level0.f"},
        {"'abcdef' >g.text 'g' @Selection :setFocus/1 Pop 4 2 @Selection :setSelection/2 Pop "
         "@Selection :getBeginIndex/0 Trace @Selection :getEndIndex/0 Trace "
         "@Selection :getCaretIndex/0 Trace -5 99 @Selection :setSelection/2 Pop "
         "@Selection :getBeginIndex/0 Trace @Selection :getEndIndex/0 Trace",
         "-", "2|4|4|0|6"},
        {"'g' @Selection :setFocus/1 Pop 'abc' >g.text 1 1 @Selection :setSelection/2 Pop 'XY' "
         "@g :replaceSel/1 Pop @g .text Trace",
         "-", "aXYbc"},
        {"'g' @Selection :setFocus/1 Pop null @Selection :setFocus/1 Trace "
         "@Selection :getFocus/0 Trace 'nothing' @Selection :setFocus/1 Trace",
         "-", "true|null|false"},
        // A dynamic field takes the focus and a selection too; a focused field removed takes
        // the focus with it.
        {"'Hello' >f.text @f @Selection :setFocus/1 Pop 3 1 @Selection :setSelection/2 Pop "
         "@Selection :getBeginIndex/0 Trace @Selection :getEndIndex/0 Trace 'Z' @f :replaceSel/1 "
         "Pop @f .text Trace",
         "-", "1|3|HZlo"},
        {"10 10 0 0 5 't' @mc :createTextField/6 Pop @mc.t 'text' 'abc' SetMember @mc.t "
         "@Selection :setFocus/1 Trace @Selection :getFocus/0 Trace @mc.t :removeTextField/0 Pop "
         "@Selection :getFocus/0 Trace @Selection :getBeginIndex/0 Trace",
         "-", "true|_level0.mc.t|null|-1"},
        {"@mc 'focusEnabled' true SetMember 'mc' @Selection :setFocus/1 Trace "
         "@Selection :getFocus/0 Trace @Selection :getBeginIndex/0 Trace",
         "-", "true|_level0.mc|-1"},
        {"0 InitObject >o @o @Selection :addListener/1 Trace @o @Mouse :addListener/1 Trace "
         "@o @Mouse :removeListener/1 Trace @o @Mouse :removeListener/1 Trace",
         "-", "true|true|true|false"},
        {"@Mouse :hide/0 Trace @Mouse :hide/0 Trace @Mouse :show/0 Trace @Mouse :show/0 Trace",
         "1|0|0|1"},
    });
}

// A new Sound starts at full volume, centred, with the plain transform; Sounds of the same
// owner (none: the whole movie) share one volume, and a clip's Sounds keep their own.
TEST_F(TextSoundMembers, SoundMembers) {
    check({
        {"@Sound TypeOf Trace new:Sound/0 >s @s :getVolume/0 Trace @s :getPan/0 Trace",
         "function|100|0"},
        {"new:Sound/0 :getTransform/0 >t @t .ll Trace @t .lr Trace @t .rl Trace @t .rr Trace",
         "100|0|0|100"},
        {"new:Sound/0 >s 50 @s :setVolume/1 Pop @s :getVolume/0 Trace @s :getTransform/0 .ll Trace "
         "-30 @s :setPan/1 Pop @s :getPan/0 Trace",
         "50|100|-30"},
        {"new:Sound/0 >s 150 @s :setVolume/1 Pop @s :getVolume/0 Trace '40' @s :setVolume/1 Pop "
         "@s :getVolume/0 Trace -5 @s :setVolume/1 Pop @s :getVolume/0 Trace",
         "150|40|-5"},
        {"new:Sound/0 >a new:Sound/0 >b 30 @a :setVolume/1 Pop @b :getVolume/0 Trace "
         "@mc new:Sound/1 >c @c :getVolume/0 Trace 20 @c :setVolume/1 Pop "
         "@mc new:Sound/1 :getVolume/0 Trace @b :getVolume/0 Trace",
         "30|100|20|30"},
        // The owner may be named by a path; the root clip is an owner of its own, apart from
        // the whole movie, which null and undefined name as no owner does; an owner that is not
        // there leaves the Sound answering nothing.
        {"'mc' new:Sound/1 >a 20 @a :setVolume/1 Pop @mc new:Sound/1 :getVolume/0 Trace "
         "@_root new:Sound/1 >r 30 @r :setVolume/1 Pop new:Sound/0 :getVolume/0 Trace "
         "@_root new:Sound/1 :getVolume/0 Trace",
         "20|100|30"},
        {"null new:Sound/1 >a 20 @a :setVolume/1 Pop new:Sound/0 :getVolume/0 Trace "
         "undefined new:Sound/1 :getVolume/0 Trace",
         "20|20"},
        {"'nothing' new:Sound/1 >a @a :getVolume/0 Trace 20 @a :setVolume/1 Pop "
         "@a :getVolume/0 Trace @a :getTransform/0 Trace",
         "undefined|undefined|undefined"},
        // Nothing attached: no length, no position, no bytes, and the methods answer nothing.
        {"new:Sound/0 >s @s .duration Trace @s .position Trace @s :getBytesLoaded/0 Trace "
         "@s :getBytesTotal/0 Trace",
         "undefined|undefined|undefined|undefined"},
        {"new:Sound/0 >s 'x' @s :attachSound/1 Trace 0 0 @s :start/2 Trace @s :stop/0 Trace",
         "undefined|undefined|undefined"},
        {"new:Sound/0 .id3 Trace", "-", "undefined"},
    });
}

// onChanged hears only typing, never a script's edits; a field hears onSetFocus with the object
// that had the focus and onKillFocus with the one that takes it, Selection's listeners both;
// onScroller hears a script's scrolling. setFocus takes an object, a slash or dot path, and
// refuses a field that cannot be selected.
TEST_F(TextSoundMembers, FocusChangeAndScrollEvents) {
    check({
        {"'ch' mk/1 >g.onChanged 'x' >g.text 'y' 1 0 @g :replaceText/3 Pop 'z' @g :replaceSel/1 "
         "Pop",
         "-", ""},
        {"'gs' mk/1 >g.onSetFocus 'gk' mk/1 >g.onKillFocus 'fs' mk/1 >f.onSetFocus 'g' @Selection "
         ":setFocus/1 Pop 'f' @Selection :setFocus/1 Pop",
         "-", "gs:null|gk:_level0.f|fs:_level0.g"},
        {"0 InitObject >o 'sel' mk/1 >o.onSetFocus @o @Selection :addListener/1 Pop 'g' @Selection "
         ":setFocus/1 Pop null @Selection :setFocus/1 Pop",
         "-", "sel:null,_level0.g|sel:_level0.g,null"},
        {"'sc' mk/1 >f.onScroller @f 'text' 'a\rb\rc\rd' SetMember @f 'scroll' 2 SetMember", "-",
         "sc:_level0.f"},
        {"'g' @Selection :setFocus/1 Pop 'g' @Selection :setFocus/1 Trace @Selection :getFocus/0 "
         "Trace",
         "-", "true|_level0.g"},
        {"'/g' @Selection :setFocus/1 Trace @Selection :getFocus/0 Trace", "-", "true|_level0.g"},
        {"'_root.g' @Selection :setFocus/1 Trace @Selection :getFocus/0 Trace", "-",
         "true|_level0.g"},
        {"@g 'selectable' false SetMember 'g' @Selection :setFocus/1 Trace", "-", "false"},
        {"@g 'type' 'dynamic' SetMember @g 'selectable' false SetMember 'g' @Selection :setFocus/1 "
         "Trace",
         "-", "false"},
    });
}

// Forty silent MPEG-1 layer 3 frames (128 kbit/s, 44.1 kHz) of 417 bytes each.
std::vector<uint8_t> silentMp3() {
    std::vector<uint8_t> file;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> frame(417, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = 0x90;
        frame[3] = 0x64;
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

// loadSound (from SWF 6) fetches the file through the host; onLoad tells whether it was a sound
// file, after which the bytes loaded and in all are the file's size and the duration its
// length in milliseconds. A file that fails or holds no sound measures nothing.
TEST_F(TextSoundMembers, LoadSoundAnnouncesSuccessAndMeasuresTheFile) {
    const std::vector<uint8_t> mp3 = silentMp3();
    const std::vector<uint8_t> noise(300, 7);
    const char* const measure =
        "@s :getBytesLoaded/0 Trace @s :getBytesTotal/0 Trace @s .duration Trace Stop";
    for (int version : {5, 6, 8}) {
        for (const std::vector<uint8_t>* file :
             {&mp3, &noise, (const std::vector<uint8_t>*)nullptr}) {
            test::TraceHost host;
            std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();
            engine->setHost(&host);
            swfwrite::MovieBuilder b(uint8_t(version), 200, 200);
            b.doAction(handlerMaker()
                           .append(postfix("new:Sound/0 >s 'load' mk/1 >s.onLoad false 'a.mp3' "
                                           "@s :loadSound/2 Pop"))
                           .bytes)
                .showFrame();
            b.doAction(postfix(measure).bytes).showFrame();
            ASSERT_TRUE(engine->loadMovie(0, b.write(swf::Compression::None), u"test.swf", {}));
            engine->runFrame();
            if (version < 6) {
                EXPECT_TRUE(host.fetches.empty());
                break;
            }
            ASSERT_EQ(host.fetches.size(), 1u);
            if (file) {
                engine->fetchCompleted(host.fetches[0].id, *file);
            } else {
                engine->fetchFailed(host.fetches[0].id);
            }
            engine->runFrame();
            EXPECT_EQ(joinLines(host.lines), file == &mp3
                                                 ? u"load:true|16680|16680|1045"
                                                 : u"load:false|undefined|undefined|undefined")
                << version;
        }
    }
}

}  // namespace
}  // namespace pencora::runtime
