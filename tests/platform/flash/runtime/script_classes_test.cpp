// The runtime's script classes that answer about the movie and its clips: Color on clips that
// come and go, Stage, System.capabilities and setClipboard, and TextSnapshot over a static text.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/clipboard.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;
using test::at;
using test::square;

struct ScriptClassesTest : testing::Test {
    Player player;
    ScriptHost* host = nullptr;

    ScriptClassesTest() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
    }
    void load(const swfwrite::MovieBuilder& b) {
        player.load(0, test::share(b));
        player.runFrame();
    }
    avm1::Machine& m() { return host->machine(); }
    Object* root() { return host->scriptObject(*player.root(0)); }
    Value global(const char* name) { return m().get(m().global(), QString::fromLatin1(name)); }
    Value call(const Value& o, const char* method, std::vector<Value> args = {}) {
        std::vector<Value> a = std::move(args);
        return m().callMethodValue(o, QString::fromLatin1(method), a);
    }
    Value make(const char* cls, std::vector<Value> args) {
        return m().construct(global(cls), args);
    }
    Value member(const Value& o, const char* name) {
        return m().getMember(o, QString::fromLatin1(name));
    }
    double number(const Value& o, const char* name) { return m().toNumber(member(o, name)); }
    Object* object(std::initializer_list<std::pair<const char*, double>> fields) {
        Object* o = m().makeObject();
        for (const auto& [name, value] : fields) {
            o->put(QString::fromLatin1(name), Value(value));
        }
        return o;
    }
};

TEST_F(ScriptClassesTest, ColorTintsTheClipItNamesWhileThatClipIsThere) {
    swfwrite::MovieBuilder b;
    load(b);
    Value box = call(Value(root()), "createEmptyMovieClip", {Value("box"), Value(1)});
    DisplayObject* clip = host->displayOf(box.object());
    ASSERT_TRUE(clip);
    Value byPath = make("Color", {Value("box")});
    Value byRef = make("Color", {box});

    call(byPath, "setRGB", {Value(0x12FF8000)});  // bits above the colour are ignored
    EXPECT_EQ(clip->colorTransform.rMult, 0);
    EXPECT_EQ(clip->colorTransform.rAdd, 255);
    EXPECT_EQ(clip->colorTransform.gAdd, 128);
    EXPECT_EQ(clip->colorTransform.aMult, 256) << "alpha is left alone";
    EXPECT_EQ(m().toNumber(call(byRef, "getRGB")), 0xFF8000);

    // setTransform changes only the fields given, in percent and offsets.
    call(byRef, "setTransform", {Value(object({{"ra", 50}, {"ab", -20}}))});
    EXPECT_EQ(clip->colorTransform.rMult, 128);
    EXPECT_EQ(clip->colorTransform.gMult, 0);
    EXPECT_EQ(clip->colorTransform.aAdd, -20);
    Value t = call(byPath, "getTransform");
    EXPECT_EQ(number(t, "ra"), 50);
    EXPECT_EQ(number(t, "rb"), 255);
    EXPECT_EQ(number(t, "aa"), 100);
    EXPECT_EQ(number(t, "ab"), -20);
    // Out-of-range and non-numeric fields are clamped or read as nothing, never wrap.
    call(byPath, "setTransform", {Value(object({{"ga", 1e9}, {"bb", -1e9}, {"rb", NAN}}))});
    EXPECT_EQ(clip->colorTransform.gMult, 32767);
    EXPECT_EQ(clip->colorTransform.bAdd, -32768);
    EXPECT_EQ(clip->colorTransform.rAdd, 0);

    // Once the clip is gone both answer nothing; a new clip of the same name is found by
    // both.
    call(box, "removeMovieClip");
    EXPECT_TRUE(call(byPath, "getRGB").isUndefined());
    EXPECT_TRUE(call(byRef, "getTransform").isUndefined());
    call(byRef, "setRGB", {Value(0x0000FF)});
    Value again = call(Value(root()), "createEmptyMovieClip", {Value("box"), Value(2)});
    call(byPath, "setRGB", {Value(0x0000FF)});
    EXPECT_EQ(host->displayOf(again.object())->colorTransform.bAdd, 255);
    // The reference to the removed clip stands for the clip now at its path too.
    call(byRef, "setRGB", {Value(0x00FF00)});
    EXPECT_EQ(host->displayOf(again.object())->colorTransform.gAdd, 255);
    EXPECT_EQ(m().toNumber(call(byRef, "getRGB")), 0x00FF00);
    // No target at all: nothing to tint.
    Value none = make("Color", {});
    call(none, "setRGB", {Value(1)});
    EXPECT_TRUE(call(none, "getRGB").isUndefined());
}

TEST_F(ScriptClassesTest, StageReportsTheMovieAndKeepsWhatScriptsSet) {
    swfwrite::MovieBuilder b(8, 320, 240);
    load(b);
    Value stage = global("Stage");
    EXPECT_EQ(number(stage, "width"), 320);
    EXPECT_EQ(number(stage, "height"), 240);
    m().set(stage.object(), "width", Value(10));
    EXPECT_EQ(number(stage, "width"), 320) << "read-only";

    EXPECT_EQ(m().toString(member(stage, "scaleMode")), "showAll");
    m().set(stage.object(), "scaleMode", Value("NOSCALE"));
    EXPECT_EQ(m().toString(member(stage, "scaleMode")), "noScale");
    m().set(stage.object(), "scaleMode", Value("stretch"));
    EXPECT_EQ(m().toString(member(stage, "scaleMode")), "noScale") << "unknown modes are ignored";
    EXPECT_EQ(m().toString(member(stage, "align")), "");
    m().set(stage.object(), "align", Value("br"));
    EXPECT_EQ(m().toString(member(stage, "align")), "RB");
    m().set(stage.object(), "align", Value("xyz"));
    EXPECT_EQ(m().toString(member(stage, "align")), "");

    // Listeners hear a change of display state once, and no more after removal.
    Object* listener = m().makeObject();
    int heard = 0;
    listener->put(
        "onFullScreen",
        Value(m().makeNative([](avm1::Machine& mm, const Value& self, std::vector<Value>& args) {
            Object* o = self.object();
            mm.set(o, "heard", Value(mm.toNumber(mm.get(o, "heard")) + 1));
            mm.set(o, "full", args.empty() ? Value() : args[0]);
            return Value();
        })));
    listener->put("heard", Value(0));
    call(stage, "addListener", {Value(listener)});
    m().set(stage.object(), "displayState", Value("fullScreen"));
    m().set(stage.object(), "displayState", Value("fullScreen"));
    m().set(stage.object(), "displayState", Value("huge"));
    heard = int(m().toNumber(m().get(listener, "heard")));
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(m().toBoolean(m().get(listener, "full")));
    call(stage, "removeListener", {Value(listener)});
    m().set(stage.object(), "displayState", Value("normal"));
    EXPECT_EQ(m().toNumber(m().get(listener, "heard")), 1);
    EXPECT_EQ(m().toString(member(stage, "displayState")), "normal");
}

TEST_F(ScriptClassesTest, CapabilitiesDescribeTheDesktopPlayerAndCannotBeChanged) {
    swfwrite::MovieBuilder b;
    load(b);
    Value caps = member(global("System"), "capabilities");
    EXPECT_TRUE(m().toBoolean(member(caps, "hasEmbeddedVideo")));
    EXPECT_TRUE(m().toBoolean(member(caps, "hasStreamingVideo")));
    EXPECT_FALSE(m().toBoolean(member(caps, "hasPrinting")));
    EXPECT_EQ(m().toString(member(caps, "playerType")), "ActiveX");
    m().set(caps.object(), "hasPrinting", Value(true));
    EXPECT_FALSE(m().toBoolean(member(caps, "hasPrinting")));
    const QString server = m().toString(member(caps, "serverString"));
    EXPECT_TRUE(server.startsWith("A=t&SA=t&SV=t&EV=t&MP3=t&AE=f&VE=f&ACC=f&PR=f&"))
        << server.toStdString();
    EXPECT_TRUE(
        server.contains("&V=WIN%2010%2C0%2C0%2C0&M=Pencora&R=1280x800&DP=96&COL=color"
                        "&AR=1.0&OS=Linux&L=zh%2DCN&"))
        << server.toStdString();
    EXPECT_TRUE(server.endsWith("&WD=f")) << server.toStdString();

    // setClipboard puts the text where text fields paste from.
    Value system = global("System");
    EXPECT_TRUE(m().toBoolean(call(system, "setClipboard", {Value("汉字 copied")})));
    EXPECT_EQ(clipboardText(), "汉字 copied");
    EXPECT_FALSE(m().toBoolean(call(system, "setClipboard")));
    EXPECT_EQ(clipboardText(), "汉字 copied");
}

// A sprite holding "ABCD" as a static text: 20-pixel glyphs 10 pixels apart, the baseline
// at 20, the text placed at (100, 50).
uint16_t defineLetters(swfwrite::MovieBuilder& b) {
    swf::Font font;
    font.name = "Letters";
    font.glyphs.resize(4);
    font.codes = {'A', 'B', 'C', 'D'};
    const uint16_t fontId = b.define(font);
    swf::Text text;
    text.bounds = {0, 800, 0, 400};
    swf::TextRecord record;
    record.fontId = fontId;
    record.height = 400;
    record.color = swf::Rgba{0x11, 0x22, 0x33, 255};
    record.xOffset = 0;
    record.yOffset = 400;
    for (uint32_t i = 0; i < 4; ++i) {
        record.glyphs.push_back({i, 200});
    }
    text.records = {record};
    const uint16_t textId = b.define(text);
    swfwrite::TimelineBuilder sprite;
    sprite.place(textId, 1, at(100, 50)).showFrame();
    return b.define(sprite.sprite());
}

TEST_F(ScriptClassesTest, TextSnapshotReadsSearchesSelectsAndLocatesStaticText) {
    swfwrite::MovieBuilder b;
    const uint16_t letters = defineLetters(b);
    swf::PlaceObject place;
    place.characterId = letters;
    place.depth = 1;
    place.name = "holder";
    b.place(place).showFrame();
    load(b);
    Value holder = member(Value(root()), "holder");
    ASSERT_TRUE(holder.isObject());
    Value snap = call(holder, "getTextSnapshot");
    EXPECT_EQ(m().toNumber(call(snap, "getCount")), 4);
    EXPECT_EQ(m().toString(call(snap, "getText", {Value(1), Value(3)})), "BC");
    EXPECT_EQ(m().toString(call(snap, "getText", {Value(-5), Value(99)})), "ABCD");
    EXPECT_EQ(m().toNumber(call(snap, "findText", {Value(0), Value("cd"), Value(false)})), 2);
    EXPECT_EQ(m().toNumber(call(snap, "findText", {Value(0), Value("cd"), Value(true)})), -1);
    EXPECT_EQ(m().toNumber(call(snap, "findText", {Value(3), Value("B"), Value(true)})), -1);

    call(snap, "setSelected", {Value(1), Value(3), Value(true)});
    EXPECT_FALSE(m().toBoolean(call(snap, "getSelected", {Value(0), Value(1)})));
    EXPECT_TRUE(m().toBoolean(call(snap, "getSelected", {Value(0), Value(2)})));
    EXPECT_EQ(m().toString(call(snap, "getSelectedText")), "BC");

    // Positions are the holder's: glyph 2 spans x 120..130 and y 54..74 (ascent four fifths).
    EXPECT_EQ(m().toNumber(call(snap, "hitTestTextNearPos", {Value(125), Value(60)})), 2);
    EXPECT_EQ(m().toNumber(call(snap, "hitTestTextNearPos", {Value(125), Value(90)})), -1);
    EXPECT_EQ(m().toNumber(call(snap, "hitTestTextNearPos", {Value(145), Value(60), Value(10)})),
              3);
    EXPECT_EQ(m().toNumber(call(snap, "hitTestTextNearPos", {Value(NAN), Value(60)})), -1);

    Value runs = call(snap, "getTextRunInfo", {Value(1), Value(2)});
    ASSERT_EQ(number(runs, "length"), 2);
    Value c = member(runs, "1");
    EXPECT_EQ(number(c, "indexInRun"), 2);
    EXPECT_TRUE(m().toBoolean(member(c, "selected")));
    EXPECT_EQ(m().toString(member(c, "font")), "Letters");
    EXPECT_EQ(number(c, "color"), 0x112233);
    EXPECT_EQ(number(c, "height"), 20);
    EXPECT_EQ(number(c, "matrix_a"), 1);
    EXPECT_EQ(number(c, "matrix_tx"), 120);
    EXPECT_EQ(number(c, "matrix_ty"), 70);
    EXPECT_EQ(number(c, "corner0x"), 120);
    EXPECT_EQ(number(c, "corner0y"), 54);
    EXPECT_EQ(number(c, "corner2x"), 130);
    EXPECT_EQ(number(c, "corner2y"), 74);

    // A snapshot of something that is no clip is a plain object without the methods.
    Value plain = make("TextSnapshot", {Value("holder")});
    EXPECT_TRUE(call(plain, "getCount").isUndefined());
}

}  // namespace
}  // namespace pencora::runtime
