// MovieClip methods and properties as the language reference states them, checked entry by
// entry in SWF 5, 6, 7 and 8 movies: each row is a postfix script run on the root's first frame
// (a three-frame clip `kid` at depth 1 with frames labelled "two" and "three", a 10 x 10 square
// exported as "Box", a button `btn` at depth 2 hit by the same square) and what it traces in
// each version.
#include <gtest/gtest.h>

#include "../avm1/postfix.h"
#include "scripted_player.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::postfix;
using test::done;
using test::named;

const swf::Rgba kBlue{0, 0, 255, 255};

// A script and what it traces in SWF 5, 6, 7 and 8; a null result repeats the one of the
// version before.
struct Row {
    const char* code;
    const char* swf5;
    const char* swf6 = nullptr;
    const char* swf7 = nullptr;
    const char* swf8 = nullptr;
};

std::string traced(uint8_t version, const std::string& code) {
    Player player;
    test::Traces traces;
    player.setEvents(&traces);
    player.setActionRunner(std::make_unique<ScriptHost>(player));
    swfwrite::MovieBuilder b(version);
    const uint16_t shape = b.define(test::square(0, 0, 10, 10, kBlue));
    swfwrite::TimelineBuilder box;
    box.place(shape, 1).showFrame();
    b.tag(swf::ExportAssets{{{b.define(box.sprite()), "Box"}}});
    swfwrite::TimelineBuilder kid;
    kid.place(shape, 1).doAction(done(postfix("Stop"))).showFrame();
    kid.label("two").showFrame();
    kid.label("three").showFrame();
    b.place(named(b.define(kid.sprite()), 1, "kid"));
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord hit;
    hit.states = swf::button_state::Up | swf::button_state::HitTest;
    hit.characterId = shape;
    hit.depth = 1;
    button.records = {hit};
    b.place(named(b.define(button), 2, "btn"));
    Assembler a = postfix(code);
    b.doAction(done(a.trace().op(swf::ActionCode::Stop))).showFrame();
    player.load(0, test::share(b));
    player.runFrame();
    std::string out;
    for (const std::string& line : traces.lines) {
        out += (out.empty() ? "" : "|") + line;
    }
    return out;
}

void checkRows(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
        const char* perVersion[] = {r.swf5, r.swf6, r.swf7, r.swf8};
        const char* expected = r.swf5;
        for (uint8_t v = 5; v <= 8; ++v) {
            expected = perVersion[v - 5] ? perVersion[v - 5] : expected;
            EXPECT_EQ(traced(v, r.code), expected) << r.code << " in SWF " << int(v);
        }
    }
}

// Arguments are pushed last first: `5 'e' @_root :createEmptyMovieClip/2` is
// _root.createEmptyMovieClip("e", 5).
const std::string kE = "5 'e' @_root :createEmptyMovieClip/2 Pop ";

// What a movie asks its owner to open, load or fetch, one line each.
struct Requests : test::Traces {
    void openUrl(const QString& url, const QString& window) override {
        lines.push_back("open " + url.toStdString() + " in '" + window.toStdString() + "'");
    }
    void loadMovie(int layer, const QString& url) override {
        lines.push_back("layer " + std::to_string(layer) + " " + url.toStdString());
    }
    void fetch(const QString& url, const QString& method, const QByteArray& body,
               std::function<void(std::optional<QByteArray>)>) override {
        lines.push_back("fetch " + method.toStdString() + " " + url.toStdString() + " [" +
                        body.toStdString() + "]");
    }
};

// this[event] = function (arg) { trace(event + " " + <what `extra` leaves on the stack>); }
Assembler handlerOn(const char* target, const char* event, const std::string& extra) {
    Assembler body = postfix(std::string("'") + event + " ' " + extra + " Add2");
    body.trace();
    Assembler a;
    a.getVar(target).push({avm1::test::str(event)});
    a.function("", {"arg"}, body);
    a.op(swf::ActionCode::SetMember);
    return a;
}

}  // namespace

// attachMovie, createEmptyMovieClip, duplicateMovieClip and createTextField answer the new
// clip (the field only from SWF 8); a depth already taken loses its occupant; too few
// arguments or an unknown symbol make nothing. getDepth is there from SWF 6. swapDepths trades
// places with a sibling named by reference or by path (a bare name is the sibling's), or moves
// to a depth; a clip of another parent is left alone.
TEST(ClipReference, NewClipsTheirReturnValuesAndDepths) {
    const std::string& e = kE;
    // Clips e and g at depths 5 and 6.
    const std::string g = "6 'g' @_root :createEmptyMovieClip/2 Pop " + kE;
    checkRows({
        {"5 'e' @_root :createEmptyMovieClip/2", "_level0.e"},
        {"'e' @_root :createEmptyMovieClip/1", "undefined"},
        {(e + "@e :getDepth/0").c_str(), "undefined", "5"},
        {(e + "5 'g' @_root :createEmptyMovieClip/2 Pop @e").c_str(), "undefined"},
        {"3 'a' 'Box' @_root :attachMovie/3", "_level0.a"},
        {"3 'a' 'box' @_root :attachMovie/3 ._width", "10"},
        {"3 'a' 'nosuch' @_root :attachMovie/3", "undefined"},
        {"'a' 'Box' @_root :attachMovie/2", "undefined"},
        {"'v' 7 1 InitObject 3 'a' 'Box' @_root :attachMovie/4 .v", "7"},
        {"-16383 'a' 'Box' @_root :attachMovie/3 Pop @kid", "undefined"},
        {"10 'q' @kid :duplicateMovieClip/2 ._name", "q"},
        {"'v' 7 1 InitObject 10 'q' @kid :duplicateMovieClip/3 .v", "7"},
        {"'q' @kid :duplicateMovieClip/1", "undefined"},
        {"10 'q' @_root :duplicateMovieClip/2", "undefined"},
        {"100 100 1 1 3 'f' @_root :createTextField/6", "undefined", nullptr, nullptr, "_level0.f"},
        {"100 100 1 1 3 'f' @_root :createTextField/6 Pop @f :getDepth/0", "3"},
        {"100 1 1 3 'f' @_root :createTextField/5 Pop @f", "undefined"},
        {"@kid :getDepth/0", "undefined", "-16383"},
        {"@_root :getNextHighestDepth/0", "0"},
        {"3 'a' 'Box' @_root :attachMovie/3 Pop @_root :getNextHighestDepth/0", "4"},
        {"-5 'a' 'Box' @_root :attachMovie/3 Pop @_root :getNextHighestDepth/0", "0"},
        {"-16383 @_root :getInstanceAtDepth/1", "_level0.kid"},
        {"1 @_root :getInstanceAtDepth/1", "undefined"},
        {"5 @kid :swapDepths/1 Pop 5 @_root :getInstanceAtDepth/1", "_level0.kid"},
        {(g + "'g' @e :swapDepths/1 Pop @e :getDepth/0").c_str(), "undefined", "6"},
        {(g + "@g @e :swapDepths/1 Pop @g :getDepth/0").c_str(), "undefined", "5"},
        {(g + "'_root.g' @e :swapDepths/1 Pop @e :getDepth/0").c_str(), "undefined", "6"},
        {(g + "'6' @e :swapDepths/1 Pop @e :getDepth/0").c_str(), "undefined", "6"},
        {(g + "3 'n' @kid :createEmptyMovieClip/2 @e :swapDepths/1 Pop @e :getDepth/0").c_str(),
         "undefined", "5"},
        {"-16382 @_root :getInstanceAtDepth/1", "_level0.btn"},
        {"@kid :getSWFVersion/0", "5", "6", "7", "8"},
        {"@kid :getBytesTotal/0", "0"},
        {"@_root :getBytesLoaded/0 @_root :getBytesTotal/0 Equals2", "true"},
        {"@kid :removeMovieClip/0 Pop @kid", "_level0.kid"},
        {(e + "@e :removeMovieClip/0 Pop @e").c_str(), "undefined"},
    });
}

// gotoAndStop, nextFrame and prevFrame: a number (fractions dropped, past the end the last
// frame, below 1 nowhere), text that is a number, a label in any case; unknown labels and
// text that is no number go nowhere.
TEST(ClipReference, TimelineMethodsTakeNumbersTextAndLabels) {
    const auto frameAfter = [](const char* goTo) {
        return std::string(goTo) + " @kid :gotoAndStop/1 Pop @kid ._currentframe";
    };
    const std::string rows[][2] = {
        {frameAfter("3"), "3"},
        {frameAfter("'3'"), "3"},
        {frameAfter("2.7"), "2"},
        {frameAfter("99"), "3"},
        {frameAfter("0"), "1"},
        {frameAfter("-1"), "1"},
        {frameAfter("'two'"), "2"},
        {frameAfter("'THREE'"), "3"},
        {frameAfter("'nolabel'"), "1"},
        {frameAfter("'2abc'"), "1"},
        {"@kid :nextFrame/0 Pop @kid ._currentframe", "2"},
        {"@kid :nextFrame/0 Pop @kid :nextFrame/0 Pop @kid :nextFrame/0 Pop @kid ._currentframe",
         "3"},
        {"@kid :prevFrame/0 Pop @kid ._currentframe", "1"},
        {"3 @kid :gotoAndStop/1", "undefined"},
        {"@kid ._totalframes @kid ._framesloaded Add2", "6"},
    };
    std::vector<Row> table;
    for (const auto& [code, result] : rows) {
        table.push_back({code.c_str(), result.c_str()});
    }
    checkRows(table);
}

// Properties as set and read back: _rotation within a half turn either way, _alpha kept past
// 0..100 in 1/256 steps, _visible as a boolean, the read-only ones (_currentframe, _target,
// _url, _droptarget, _xmouse) keeping their value, _name renaming the clip; the defaults of
// the rest, and the display properties that arrived with SWF 8 absent before it.
TEST(ClipReference, PropertiesKeepTheirRangesAndReadOnlyOnesTheirValues) {
    const auto setThenRead = [](const char* name, const char* value, const char* read = nullptr) {
        return std::string("@kid '") + name + "' " + value + " SetMember @kid ." +
               (read ? read : name);
    };
    const std::vector<std::pair<std::string, const char*>> sameInEvery = {
        {setThenRead("_rotation", "450"), "90"},
        {setThenRead("_rotation", "270"), "-90"},
        {setThenRead("_rotation", "-270"), "90"},
        {setThenRead("_rotation", "-181"), "179"},
        {setThenRead("_rotation", "540"), "180"},
        {setThenRead("_rotation", "-180"), "-180"},
        {setThenRead("_rotation", "360"), "0"},
        {setThenRead("_alpha", "150"), "150"},
        {setThenRead("_alpha", "33.3"), "33.203125"},
        {setThenRead("_alpha", "-20"), "-19.921875"},
        {setThenRead("_xscale", "-50"), "-50"},
        {setThenRead("_xscale", "-50", "_width"), "5"},
        {setThenRead("_xscale", "'abc'"), "100"},
        {setThenRead("_visible", "0"), "false"},
        {setThenRead("_visible", "'x'"), "true"},
        {setThenRead("_x", "'abc'"), "0"},
        {setThenRead("_currentframe", "3"), "1"},
        {setThenRead("_target", "'x'"), "/kid"},
        {setThenRead("_droptarget", "'x'"), ""},
        {setThenRead("_xmouse", "5"), "0"},
        {setThenRead("_url", "'x'", "_url TypeOf"), "string"},
        {setThenRead("_name", "'nn'", "_name") + " Pop @nn ._target", "/nn"},
        {setThenRead("_highquality", "0", "_quality"), "LOW"},
        {"@kid ._parent", "_level0"},
        {"@kid ._lockroot", "false"},
        {"@kid ._quality", "HIGH"},
        {"@kid ._highquality", "1"},
        {"@kid ._soundbuftime", "5"},
        {"@kid .enabled", "true"},
        {"@kid .useHandCursor", "true"},
        {"@kid .hitArea", "undefined"},
        {"@kid .tabChildren", "undefined"},
        {"@kid .tabEnabled", "undefined"},
        {"@kid .tabIndex", "undefined"},
        {"@kid .focusEnabled", "undefined"},
        {"@kid .trackAsMenu", "undefined"},
        {"@kid .menu", "undefined"},
        {"@kid .opaqueBackground", "undefined"},
        {"@kid .scrollRect", "undefined"},
        {"@kid .scale9Grid", "undefined"},
    };
    std::vector<Row> table;
    for (const auto& [code, result] : sameInEvery) {
        table.push_back({code.c_str(), result});
    }
    const std::vector<std::pair<std::string, const char*>> fromEight = {
        {"@kid .filters .length", "0"},
        {"@kid .blendMode", "normal"},
        {"@kid .cacheAsBitmap", "false"},
        {"@kid .transform .matrix .a", "1"},
        {setThenRead("blendMode", "3"), "multiply"},
        {setThenRead("blendMode", "'bogus'"), "normal"},
        {setThenRead("cacheAsBitmap", "1"), "true"},
    };
    const std::vector<const char*> beforeEight = {
        "undefined", "undefined", "undefined", "undefined", "3", "bogus", "1"};
    for (size_t i = 0; i < fromEight.size(); ++i) {
        table.push_back(
            {fromEight[i].first.c_str(), beforeEight[i], nullptr, nullptr, fromEight[i].second});
    }
    checkRows(table);
}

// The drawing methods: a fill needs a colour; a gradient needs "linear" or "radial" (in that
// case) and colours, alphas and ratios of one non-zero length, else no fill is made; a line
// needs lineStyle, whose width is held to 0..255 and grows the bounds by half of it. getRect
// leaves the widths out, of lines around a fill and of lines alone.
TEST(ClipReference, DrawingMethodsCheckTheirArguments) {
    const std::string square =
        "0 0 @e :moveTo/2 Pop 0 100 @e :lineTo/2 Pop 100 100 @e :lineTo/2 "
        "Pop 100 0 @e :lineTo/2 Pop 0 0 @e :lineTo/2 Pop @e :endFill/0 Pop ";
    const std::string box = "'matrixType' 'box' 'x' 0 'y' 0 'w' 100 'h' 100 'r' 0 6 InitObject ";
    const auto filled = [&](const std::string& fill) {
        return kE + fill + " Pop " + square + "true 50 50 @e :hitTest/3";
    };
    const auto gradient = [&](const char* type, const char* alphas, const char* ratios = nullptr) {
        return filled(box + (ratios ? ratios : "255 0 Array/2") + " " + alphas +
                      " 0xFF 0xFF0000 Array/2 '" + type + "' @e :beginGradientFill/5");
    };
    const auto lineBounds = [&](const char* style, const char* edge,
                                const char* measure = "getBounds") {
        // A line from (0, 0) down to (0, 100).
        return kE + style + " Pop 0 0 @e :moveTo/2 Pop 100 0 @e :lineTo/2 Pop @e :" + measure +
               "/0 ." + edge;
    };
    const std::pair<std::string, const char*> rows[] = {
        {filled("0xFF0000 @e :beginFill/1"), "true"},
        {filled("0 0xFF0000 @e :beginFill/2"), "true"},
        {filled("@e :beginFill/0"), "false"},
        {filled("undefined @e :beginFill/1"), "false"},
        {gradient("linear", "100 100 Array/2"), "true"},
        {gradient("radial", "100 100 Array/2"), "true"},
        {gradient("LINEAR", "100 100 Array/2"), "false"},
        {gradient("bogus", "100 100 Array/2"), "false"},
        {gradient("linear", "100 Array/1"), "false"},
        {gradient("linear", "Array/0", "Array/0"), "false"},
        {lineBounds("10 @e :lineStyle/1", "yMin"), "-5"},
        {lineBounds("300 @e :lineStyle/1", "yMin"), "-127.5"},
        {lineBounds("10 @e :lineStyle/1", "yMax"), "105"},
        {lineBounds("10 @e :lineStyle/1", "xMin", "getRect"), "0"},
        {lineBounds("10 @e :lineStyle/1", "yMax", "getRect"), "100"},
        {filled("4 @e :lineStyle/1 Pop 0xFF @e :beginFill/1") + " Pop @e :getRect/0 .xMin", "0"},
        {filled("4 @e :lineStyle/1 Pop 0xFF @e :beginFill/1") + " Pop @e :getBounds/0 .xMin", "-2"},
        {lineBounds("@e :lineStyle/0", "yMax"), "6710886.35"},
        {kE + "0 0 @e :moveTo/2 Pop 100 0 @e :lineTo/2 Pop @e :getBounds/0 .xMax", "6710886.35"},
        {lineBounds("10 @e :lineStyle/1", "xMax") + " Pop @e :clear/0 Pop @e :getBounds/0 .xMax",
         "6710886.35"},
    };
    std::vector<Row> table;
    for (const auto& [code, result] : rows) {
        table.push_back({code.c_str(), result});
    }
    checkRows(table);
}

// A named button is an object of its own from SWF 6: its name, path, depth and the display
// properties of a clip, enabled and useHandCursor from Button.prototype until set, no timeline
// of its own, and from SWF 8 the filters, blend mode and transform. A SWF 5 movie reaches the
// timeline holding it instead.
TEST(ClipReference, ButtonsAreObjectsFromSwf6WithTheirOwnProperties) {
    const auto setThenRead = [](const char* name, const char* value, const char* read = nullptr) {
        return std::string("@btn '") + name + "' " + value + " SetMember @btn ." +
               (read ? read : name);
    };
    const std::string rename = setThenRead("_name", "'b2'") + " Pop @b2 ._target";
    const std::string turned = setThenRead("_rotation", "450");
    const std::string widened = setThenRead("_xscale", "200", "_width");
    const std::string disabled = setThenRead("enabled", "0") + " Pop @btn .enabled Not";
    const std::string blended = setThenRead("blendMode", "3");
    const std::string keepsPath = setThenRead("_target", "'x'");
    checkRows({
        {"@btn", "_level0", "_level0.btn"},
        {"@btn TypeOf", "movieclip", "object"},
        {"@btn @Button InstanceOf", "false", "true"},
        {"@btn ._target", "/", "/btn"},
        {"@btn ._parent", "undefined", "_level0"},
        {"@btn :getDepth/0", "undefined", "-16382"},
        {"@btn .enabled @btn .useHandCursor And", "true"},
        {"@Button .prototype .useHandCursor", "true"},
        {"@btn ._width @btn ._alpha Add2", "110"},
        {"@btn ._focusrect", "1", "null"},
        {rename.c_str(), "undefined", "/b2"},
        {turned.c_str(), "90"},
        {widened.c_str(), "20"},
        {disabled.c_str(), "true"},
        {keepsPath.c_str(), "/", "/btn"},
        {"5 5 @btn :hitTest/2", "true", "undefined"},
        {"@btn .blendMode", "undefined", nullptr, nullptr, "normal"},
        {"@btn .filters .length", "undefined", nullptr, nullptr, "0"},
        {"@btn .transform .matrix .d", "undefined", nullptr, nullptr, "1"},
        {blended.c_str(), "3", nullptr, nullptr, "multiply"},
    });
}

// A clip with handler properties hears the mouse as the reference lists it: the mouse's own
// events wherever the pointer is, each before the button event the same move or press makes;
// roll over, press, drag out and back over, release inside; pressed again, dragged out and
// released outside (no roll-out after it).
TEST(ClipReference, PointerEventsReachAClipInTheirOrder) {
    for (uint8_t version : {6, 7, 8}) {
        Player player;
        test::Traces traces;
        player.setEvents(&traces);
        player.setActionRunner(std::make_unique<ScriptHost>(player));
        swfwrite::MovieBuilder b(version);
        const uint16_t shape = b.define(test::square(0, 0, 10, 10, kBlue));
        swfwrite::TimelineBuilder kid;
        kid.place(shape, 1).showFrame();
        b.place(named(b.define(kid.sprite()), 1, "kid"));
        Assembler a;
        for (const char* event :
             {"onMouseDown", "onMouseUp", "onMouseMove", "onPress", "onRelease", "onReleaseOutside",
              "onRollOver", "onRollOut", "onDragOut", "onDragOver"}) {
            Assembler body = postfix(std::string("'") + event + "'");
            body.trace();
            a.getVar("kid").push({avm1::test::str(event)});
            a.function("", {}, body);
            a.op(swf::ActionCode::SetMember);
        }
        b.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        player.load(0, test::share(b));
        player.runFrame();
        const auto step = [&](const char* what) {
            traces.lines.push_back(std::string("--") + what);
        };
        const QPointF inside(5, 5), outside(50, 50);
        step("move in");
        player.mouseMove(inside);
        step("down");
        player.mouseDown(inside);
        step("move out");
        player.mouseMove(outside);
        step("move in");
        player.mouseMove(inside);
        step("up");
        player.mouseUp(inside);
        step("down");
        player.mouseDown(inside);
        step("move out");
        player.mouseMove(outside);
        step("up");
        player.mouseUp(outside);
        step("frame");
        player.runFrame();
        std::string out;
        for (const std::string& line : traces.lines) {
            out += line + " ";
        }
        EXPECT_EQ(out,
                  "--move in onMouseMove onRollOver --down onMouseDown onPress --move out "
                  "onMouseMove onDragOut --move in onMouseMove onDragOver --up onMouseUp onRelease "
                  "--down onMouseDown onPress --move out onMouseMove onDragOut --up onMouseUp "
                  "onReleaseOutside --frame ")
            << int(version);
    }
}

// getURL, loadVariables and loadMovie: the address alone asks for it as it is; "GET" adds the
// clip's variables to the address, "POST" sends them as the body, in any case, and any other
// method sends none; a window names where getURL opens it, a "_level" one loads a movie
// there. Without an address nothing is asked for.
TEST(ClipReference, LoadingMethodsSendTheClipsVariablesAsAsked) {
    const std::pair<const char*, const char*> rows[] = {
        {"'http://h/p' @kid :getURL/1", "open http://h/p in ''"},
        {"'_blank' 'http://h/p' @kid :getURL/2", "open http://h/p in '_blank'"},
        {"'GET' '_blank' 'http://h/p' @kid :getURL/3", "open http://h/p?v=a%20b&w=2 in '_blank'"},
        {"'get' '' 'http://h/p?x=1' @kid :getURL/3", "open http://h/p?x=1&v=a%20b&w=2 in ''"},
        {"'_level1' 'http://h/m.swf' @kid :getURL/2", "fetch GET http://h/m.swf []"},
        {"'http://h/v.txt' @kid :loadVariables/1", "fetch GET http://h/v.txt []"},
        {"'GET' 'http://h/v.txt' @kid :loadVariables/2", "fetch GET http://h/v.txt?v=a%20b&w=2 []"},
        {"'POST' 'http://h/v.txt' @kid :loadVariables/2",
         "fetch POST http://h/v.txt [v=a%20b&w=2]"},
        {"'bogus' 'http://h/v.txt' @kid :loadVariables/2", "fetch GET http://h/v.txt []"},
        {"'http://h/m.swf' @kid :loadMovie/1", "fetch GET http://h/m.swf []"},
        {"'post' 'http://h/m.swf' @kid :loadMovie/2", "fetch POST http://h/m.swf [v=a%20b&w=2]"},
        {"@kid :loadMovie/0 Pop @kid :loadVariables/0 Pop @kid :getURL/0", ""},
    };
    for (uint8_t version : {5, 6, 7, 8}) {
        for (const auto& [code, request] : rows) {
            Player player;
            Requests requests;
            player.setEvents(&requests);
            player.setActionRunner(std::make_unique<ScriptHost>(player));
            swfwrite::MovieBuilder b(version);
            swfwrite::TimelineBuilder kid;
            kid.doAction(done(postfix("'a b' >v 2 >w Stop"))).showFrame();
            b.place(named(b.define(kid.sprite()), 1, "kid"));
            b.doAction(done(postfix(code).op(swf::ActionCode::Stop))).showFrame();
            player.load(0, test::share(b));
            player.runFrame();
            player.runFrame();
            std::string out;
            for (const std::string& line : requests.lines) {
                out += (out.empty() ? "" : "|") + line;
            }
            EXPECT_EQ(out, request) << code << " in SWF " << int(version);
        }
    }
}
// Selection.setFocus gives a clip the focus only while it is focusEnabled or has a button
// handler; the clip hears onSetFocus, reads as the focus, and hears the keys pressed while it
// has it.
TEST(ClipReference, AFocusedClipHearsItsFocusAndTheKeys) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "false null|keys"},
        {"true >kid.focusEnabled", "onSetFocus null|true _level0.kid|keys|onKeyDown 65|onKeyUp 65"},
        {"1 >kid.onPress", "onSetFocus null|true _level0.kid|keys|onKeyDown 65|onKeyUp 65"},
    };
    for (uint8_t version : {6, 7, 8}) {
        for (const auto& [setup, heard] : rows) {
            Player player;
            test::Traces traces;
            player.setEvents(&traces);
            player.setActionRunner(std::make_unique<ScriptHost>(player));
            swfwrite::MovieBuilder b(version);
            swfwrite::TimelineBuilder kid;
            kid.place(b.define(test::square(0, 0, 10, 10, kBlue)), 1).showFrame();
            b.place(named(b.define(kid.sprite()), 1, "kid"));
            Assembler a;
            a.append(handlerOn("kid", "onSetFocus", "@arg String/1"));
            a.append(handlerOn("kid", "onKeyDown", "@Key :getCode/0"));
            a.append(handlerOn("kid", "onKeyUp", "@Key :getCode/0"));
            b.doAction(done(a.append(postfix(setup)))).showFrame();
            Assembler focus =
                postfix("@kid @Selection :setFocus/1 ' ' @Selection :getFocus/0 Add2 Add2");
            b.doAction(done(focus.trace().op(swf::ActionCode::Stop))).showFrame();
            player.load(0, test::share(b));
            player.runFrame();
            player.runFrame();
            traces.lines.push_back("keys");
            player.keyDown(65, u'a');
            player.keyUp(65);
            std::string out;
            for (const std::string& line : traces.lines) {
                out += (out.empty() ? "" : "|") + line;
            }
            EXPECT_EQ(out, heard) << setup << " in SWF " << int(version);
        }
    }
}

}  // namespace pencora::runtime
