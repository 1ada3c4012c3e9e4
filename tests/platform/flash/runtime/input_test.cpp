// Keyboard, focus, Tab order and dragging, driven the way the engine drives the player, with
// scripts written in action bytecode reporting through trace().
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/scripting/clip_properties.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::boolean;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::at;
using test::square;
using testing::ElementsAre;

const swf::Rgba kGrey{153, 153, 153, 255};

// Script pieces.
Assembler say(const std::string& text) {
    Assembler a;
    a.push({str(text)}).trace();
    return a;
}
// target.name = value, target a variable of the running timeline.
Assembler setMember(const std::string& target, const std::string& name, avm1::test::Operand v) {
    Assembler a;
    a.getVar(target).push({str(name), v}).op(Code::SetMember);
    return a;
}
// target.name = function (params) { body }
Assembler handler(const std::string& target, const std::string& name, const Assembler& body,
                  std::initializer_list<std::string> params = {}) {
    Assembler a;
    a.getVar(target).push({str(name)}).function("", params, body).op(Code::SetMember);
    return a;
}
// object.method(arg) with the argument already pushed by `pushArg`; the result is dropped.
Assembler call(const std::string& object, const std::string& method, const Assembler& pushArg) {
    Assembler a;
    a.append(pushArg).push({integer(1)}).getVar(object).push({str(method)});
    a.op(Code::CallMethod).op(Code::Pop);
    return a;
}
// object.method(args...) left on the stack, the arguments given last to first.
Assembler result(const std::string& object, const std::string& method,
                 std::initializer_list<avm1::test::Operand> reversedArgs = {}) {
    Assembler a;
    a.push(reversedArgs).push({integer(int(reversedArgs.size()))}).getVar(object);
    a.push({str(method)}).op(Code::CallMethod);
    return a;
}
Assembler var(const std::string& name) {
    Assembler a;
    a.getVar(name);
    return a;
}
// trace(prefix + String(expression pushed by `value`))
Assembler traceWith(const std::string& prefix, const Assembler& value) {
    Assembler a;
    a.push({str(prefix)}).append(value).op(Code::Add2).trace();
    return a;
}
swf::Bytes frameScript(Assembler a) {
    a.op(Code::Stop).op(Code::End);
    return a.bytes;
}

swf::PlaceObject named(uint16_t id, uint16_t depth, const std::string& name, swf::Matrix m = {}) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.matrix = m;
    return p;
}

// A clip holding one grey 40 x 40 square at its origin.
uint16_t squareClip(swfwrite::MovieBuilder& b) {
    return test::squareClip(b, kGrey);
}

// A button showing and hit by a grey 40 x 40 square, without actions yet.
swf::Button greyButton(swfwrite::MovieBuilder& b) {
    return test::squareButton(b, kGrey);
}

// A button with a 40 x 40 hit square whose keyPress conditions trace `key <name>`.
uint16_t keyButton(swfwrite::MovieBuilder& b, std::vector<std::pair<uint8_t, std::string>> keys) {
    swf::Button button = greyButton(b);
    for (const auto& [code, name] : keys) {
        Assembler a = say("key " + name);
        a.op(Code::End);
        button.actions.push_back(swf::ButtonCondAction{0, code, a.bytes});
    }
    return b.define(button);
}

struct InputTest : testing::Test, PlayerEvents {
    Player player;
    ScriptHost* script = nullptr;
    std::vector<std::string> lines;

    InputTest() {
        player.setEvents(this);
        auto host = std::make_unique<ScriptHost>(player);
        script = host.get();
        player.setActionRunner(std::move(host));
    }
    void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    void load(const swfwrite::MovieBuilder& b) {
        player.load(0, test::share(b));
        player.runFrame();
    }
    std::vector<std::string> take() { return std::exchange(lines, {}); }
    // Object.method(args) of a built-in object, called from outside any script.
    avm1::Value callBuiltIn(const char* object, const char* method,
                            std::vector<avm1::Value> args = {}) {
        avm1::Machine& m = script->machine();
        return m.callMethodValue(m.get(m.global(), QString::fromLatin1(object)),
                                 QString::fromLatin1(method), args);
    }
    DisplayObject& child(const char* name) {
        DisplayObject* o = player.root(0)->childNamed(QString::fromLatin1(name), true);
        EXPECT_NE(o, nullptr) << name;
        return *o;
    }
    std::string focused() {
        DisplayObject* f = player.focus();
        return f ? f->name.toStdString() : "none";
    }
    std::vector<std::string> tabVisits(int count, bool backward = false) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            if (backward) {
                player.keyDown(vk::Shift);
            }
            player.keyDown(vk::Tab);
            player.keyUp(vk::Tab);
            if (backward) {
                player.keyUp(vk::Shift);
            }
            out.push_back(focused());
        }
        return out;
    }
};

TEST_F(InputTest, KeyStateListenersAndKeyPressConditions) {
    swfwrite::MovieBuilder b(8);
    const uint16_t first = keyButton(b, {{'x', "x"}, {1, "left"}, {18, "tab"}});
    const uint16_t second = keyButton(b, {{'x', "second x"}, {'y', "y"}});
    const uint16_t clip = squareClip(b);
    Assembler s;
    s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    Assembler getCode;
    getCode.push({integer(0)}).getVar("Key").push({str("getCode")}).op(Code::CallMethod);
    s.append(handler("l", "onKeyDown", traceWith("down ", getCode)));
    s.append(handler("l", "onKeyUp", traceWith("up ", getCode)));
    s.append(call("Key", "addListener", var("l")));
    s.append(setMember("hidden", "_visible", boolean(false)));
    s.append(setMember("c", "tabEnabled", boolean(true)));
    b.tag(named(first, 1, "first", at(0, 0)))
        .tag(named(second, 2, "hidden", at(50, 0)))
        .tag(named(clip, 3, "c", at(100, 0)))
        .doAction(frameScript(s))
        .showFrame();
    load(b);
    take();

    // Held keys repeat their key-down; only a fresh press flips the toggle.
    player.keyDown(vk::CapsLock);
    player.keyDown(vk::CapsLock);
    EXPECT_TRUE(player.keyboard().isDown(vk::CapsLock));
    EXPECT_TRUE(player.keyboard().isToggled(vk::CapsLock));
    player.keyUp(vk::CapsLock);
    EXPECT_FALSE(player.keyboard().isDown(vk::CapsLock));
    player.keyDown(vk::CapsLock);
    player.keyUp(vk::CapsLock);
    EXPECT_FALSE(player.keyboard().isToggled(vk::CapsLock));
    EXPECT_THAT(take(), ElementsAre("down 20", "down 20", "up 20", "down 20", "up 20"));

    // A typed character reaches the keyPress conditions when it arrives, not with its key;
    // of two buttons answering it only the first visible one hears it, and a hidden button
    // hears nothing.
    player.keyDown('X', u'x');
    EXPECT_THAT(take(), ElementsAre("down 88"));
    player.textInput(u'x');
    player.textInput(u'y');
    player.keyUp('X');
    EXPECT_THAT(take(), ElementsAre("key x", "up 88"));

    // Keys that type nothing match on their key-down, by their key-press codes.
    player.keyDown(vk::Left);
    EXPECT_THAT(take(), ElementsAre("down 37", "key left"));

    // A button that takes Tab keeps the focus where it is.
    player.keyDown(vk::Tab);
    EXPECT_THAT(take(), ElementsAre("down 9", "key tab"));
    EXPECT_EQ(player.focus(), nullptr);
}

TEST_F(InputTest, TabVisitsInReadingOrderOrByTabIndexAndWraps) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    Assembler s;
    for (const char* n : {"right", "left", "below", "twin", "off", "box"}) {
        s.append(setMember(n, "tabEnabled", boolean(true)));
    }
    s.append(setMember("off", "tabEnabled", boolean(false)));
    s.append(setMember("box", "tabChildren", boolean(false)));
    // Inside "box": a tab-enabled child that tabChildren = false hides.
    s.append(setMember("box", "tabEnabled", boolean(false)));
    swfwrite::TimelineBuilder boxInner;
    boxInner.tag(named(clip, 1, "inner", at(0, 0))).showFrame();
    const uint16_t box = b.define(boxInner.sprite());
    b.tag(named(clip, 1, "right", at(100, 10)))
        .tag(named(clip, 2, "left", at(10, 10)))
        .tag(named(clip, 3, "below", at(10, 100)))
        .tag(named(clip, 4, "twin", at(10, 100)))  // same place as "below", deeper
        .tag(named(clip, 5, "off", at(200, 200)))
        .tag(named(box, 6, "box", at(300, 300)))
        .doAction(frameScript(s))
        .showFrame();
    load(b);
    DisplayObject* inner = child("box").childNamed(QStringLiteral("inner"), true);
    ASSERT_NE(inner, nullptr);
    script->machine().set(script->scriptObject(*inner), QStringLiteral("tabEnabled"),
                          avm1::Value(true));

    // Row by row, left to right; of two objects at one place only the first is reached.
    EXPECT_THAT(tabVisits(4), ElementsAre("left", "right", "below", "left"));
    EXPECT_THAT(tabVisits(2, true), ElementsAre("below", "right"));

    // Once any object has a tab index, only those with one take part, by index.
    script->machine().set(script->scriptObject(child("twin")), QStringLiteral("tabIndex"),
                          avm1::Value(2));
    script->machine().set(script->scriptObject(child("right")), QStringLiteral("tabIndex"),
                          avm1::Value(1));
    // Indices are signed 32-bit: negative ones come first, and one past 2^31 wraps around
    // (4294967293 is -3). What is not a number leaves its object out.
    script->machine().set(script->scriptObject(child("left")), QStringLiteral("tabIndex"),
                          avm1::Value(-2));
    script->machine().set(script->scriptObject(child("below")), QStringLiteral("tabIndex"),
                          avm1::Value(4294967293.0));
    player.setFocus(nullptr);
    EXPECT_THAT(tabVisits(5), ElementsAre("below", "left", "right", "twin", "below"));
    script->machine().set(script->scriptObject(child("below")), QStringLiteral("tabIndex"),
                          avm1::Value(std::nan("")));
    script->machine().set(script->scriptObject(child("left")), QStringLiteral("tabIndex"),
                          avm1::Value(QStringLiteral("first")));
    player.setFocus(nullptr);
    EXPECT_THAT(tabVisits(3), ElementsAre("right", "twin", "right"));
}

TEST_F(InputTest, ObjectsWhoseCornersMeetInTheSameTwipShareOnePlaceInTheTabOrder) {
    // Squares centred on their clip's origin, so scaling moves their top-left corners.
    swfwrite::MovieBuilder b(8);
    swfwrite::TimelineBuilder inner;
    inner.place(b.define(square(-20, -20, 20, 20, kGrey)), 1).showFrame();
    const uint16_t clip = b.define(inner.sprite());
    // Scales as placements store them (16.16 fixed point): 0.399994 and 0.499985.
    auto scaled = [](double x, double y, double scale) {
        swf::Matrix m = at(x, y);
        m.a = m.d = scale;
        return m;
    };
    Assembler s;
    for (const char* n : {"whole", "small", "apart", "next"}) {
        s.append(setMember(n, "tabEnabled", boolean(true)));
    }
    // "small" reaches (80.0003, 80.0003), "whole" (80.0001, 80.0001): one twip, one place,
    // and the shallower "whole" holds it. "apart" is a twip further right; "next" a row below.
    b.tag(named(clip, 1, "whole", scaled(88, 88, 0.399994)))
        .tag(named(clip, 2, "small", scaled(90, 90, 0.499985)))
        .tag(named(clip, 3, "apart", scaled(90.1, 90, 0.499985)))
        .tag(named(clip, 4, "next", scaled(60, 100, 0.5)))
        .doAction(frameScript(s))
        .showFrame();
    load(b);
    EXPECT_THAT(tabVisits(4), ElementsAre("whole", "apart", "next", "whole"));
}

TEST_F(InputTest, AHandlerPropertyKeepsAClipAButtonUntilItIsDeletedOrDisabled) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    // Frame 1: c.onRelease = undefined. Frame 2: delete c.onRelease.
    Assembler unset;
    unset.getVar("c").push({str("onRelease"), avm1::test::undef()}).op(Code::SetMember);
    Assembler remove;
    remove.getVar("c").push({str("onRelease")}).op(Code::Delete).op(Code::Pop);
    b.tag(named(clip, 1, "c", at(0, 0))).doAction(frameScript(unset)).showFrame();
    b.doAction(frameScript(remove)).showFrame();
    load(b);
    DisplayObject& c = child("c");
    EXPECT_EQ(player.buttonAt({20, 20}), &c);
    EXPECT_TRUE(player.focusable(c));
    EXPECT_THAT(tabVisits(1), ElementsAre("c"));
    // Disabled, it lets the mouse by.
    script->machine().set(script->scriptObject(c), QStringLiteral("enabled"), avm1::Value(false));
    EXPECT_EQ(player.buttonAt({20, 20}), nullptr);
    script->machine().set(script->scriptObject(c), QStringLiteral("enabled"), avm1::Value(true));

    player.root(0)->playing = true;
    player.runFrame();
    EXPECT_EQ(player.buttonAt({20, 20}), nullptr);
    EXPECT_FALSE(player.focusable(c));
}

// A button-like clip whose hitArea names another clip takes the mouse where that clip paints,
// shown or hidden, and no longer where it paints itself; null, undefined, a value that is no
// clip or a hit area since removed give the clip its own area back.
TEST_F(InputTest, AHitAreaClipDecidesWhereAButtonLikeClipTakesTheMouse) {
    for (uint8_t v : {6, 8}) {
        SCOPED_TRACE(int(v));
        swfwrite::MovieBuilder b(v);
        const uint16_t clip = squareClip(b);
        b.tag(named(clip, 1, "c", at(0, 0))).tag(named(clip, 2, "area", at(100, 0))).showFrame();
        load(b);
        avm1::Machine& m = script->machine();
        DisplayObject& c = child("c");
        DisplayObject& area = child("area");
        avm1::Object* cs = script->scriptObject(c);
        m.set(cs, QStringLiteral("onRelease"), avm1::Value());
        ASSERT_EQ(player.buttonAt({20, 20}), &c);

        m.set(cs, QStringLiteral("hitArea"), avm1::Value(script->scriptObject(area)));
        EXPECT_EQ(player.buttonAt({20, 20}), nullptr);
        EXPECT_EQ(player.buttonAt({120, 20}), &c);
        m.set(script->scriptObject(area), QStringLiteral("_visible"), avm1::Value(false));
        EXPECT_EQ(player.buttonAt({120, 20}), &c);
        // Disabled, the clip lets the mouse by over its hit area too.
        m.set(cs, QStringLiteral("enabled"), avm1::Value(false));
        EXPECT_EQ(player.buttonAt({120, 20}), nullptr);
        m.set(cs, QStringLiteral("enabled"), avm1::Value(true));

        for (const avm1::Value& none :
             {avm1::Value::null(), avm1::Value(), avm1::Value(QStringLiteral("area"))}) {
            m.set(cs, QStringLiteral("hitArea"), none);
            EXPECT_EQ(player.buttonAt({20, 20}), &c);
            EXPECT_EQ(player.buttonAt({120, 20}), nullptr);
        }
        m.set(cs, QStringLiteral("hitArea"), avm1::Value(script->scriptObject(area)));
        // Moved to a depth scripts may remove it from first.
        m.callMethod(script->scriptObject(area), QStringLiteral("swapDepths"), {avm1::Value(10)},
                     v);
        m.callMethod(script->scriptObject(area), QStringLiteral("removeMovieClip"), {}, v);
        EXPECT_EQ(player.buttonAt({20, 20}), &c);
    }
}

TEST_F(InputTest, FocusAndPointerShareTheOneButtonShownRolledOver) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    Assembler s;
    for (const char* n : {"a", "b"}) {
        s.append(handler(n, "onRollOver", say(std::string(n) + " over")));
        s.append(handler(n, "onRollOut", say(std::string(n) + " out")));
    }
    b.tag(named(clip, 1, "a", at(0, 0))).tag(named(clip, 2, "b", at(100, 0)));
    b.doAction(frameScript(s)).showFrame();
    load(b);

    EXPECT_THAT(tabVisits(1), ElementsAre("a"));
    EXPECT_THAT(take(), ElementsAre("a over"));
    EXPECT_FALSE(player.wantsHandCursor());  // the pointer is not on it
    // The pointer takes over: what the focus rolled over rolls out, once.
    player.mouseMove({300, 300});
    player.mouseMove({300, 300});
    EXPECT_THAT(take(), ElementsAre("a out"));
    // Tab has nothing to roll out now.
    EXPECT_THAT(tabVisits(1), ElementsAre("b"));
    EXPECT_THAT(take(), ElementsAre("b over"));
    // A move that stays in place rolls nothing out, though the keyboard is no longer in charge.
    player.mouseMove({300, 300});
    EXPECT_THAT(take(), ElementsAre());
    EXPECT_FALSE(player.focusHighlighted());
    // The pointer's roll-over replaces the focus's; Tab then rolls out what the pointer rolled
    // over, even onto the same button.
    player.mouseMove({20, 20});
    EXPECT_THAT(take(), ElementsAre("b out", "a over"));
    EXPECT_TRUE(player.wantsHandCursor());
    EXPECT_THAT(tabVisits(1), ElementsAre("a"));
    EXPECT_THAT(take(), ElementsAre("a out", "a over"));

    // A script's focus move rolls when the next key arrives, before the key is heard.
    player.setFocus(&child("b"));
    EXPECT_THAT(take(), ElementsAre());
    player.keyUp(vk::Tab);
    EXPECT_THAT(take(), ElementsAre("a out", "b over"));
    // Even a move onto the holder rolls it out and over again.
    player.setFocus(&child("b"));
    player.keyUp(vk::Tab);
    EXPECT_THAT(take(), ElementsAre("b out", "b over"));
}

TEST_F(InputTest, WhatScriptsDrawTakesTheMouseButTheLevelRootNeverDoes) {
    swfwrite::MovieBuilder b(8);
    Assembler s;
    // object.method(args...), the result dropped.
    auto invoke = [&](const std::string& object, const std::string& method,
                      std::initializer_list<avm1::test::Operand> reversedArgs) {
        s.push(reversedArgs).push({integer(int(reversedArgs.size()))}).getVar(object);
        s.push({str(method)}).op(Code::CallMethod).op(Code::Pop);
    };
    invoke("this", "createEmptyMovieClip", {integer(1), str("d")});
    invoke("d", "beginFill", {integer(0xFF0000)});
    invoke("d", "moveTo", {integer(10), integer(10)});
    for (auto [x, y] : {std::pair{50, 10}, {50, 50}, {10, 50}, {10, 10}}) {
        invoke("d", "lineTo", {integer(y), integer(x)});
    }
    invoke("d", "endFill", {});
    s.append(handler("d", "onPress", say("d press")));
    s.append(handler("this", "onPress", say("root press")));
    b.doAction(frameScript(s)).showFrame();
    load(b);

    for (QPointF p : {QPointF(30, 30), QPointF(5, 5), QPointF(300, 300)}) {
        player.mouseMove(p);
        player.mouseDown(p);
        player.mouseUp(p);
    }
    EXPECT_THAT(take(), ElementsAre("d press"));
}

TEST_F(InputTest, AButtonTheTimelineReplacesKeepsTheMousesState) {
    // A two-frame loop: frame 2 removes the button, then goes back to frame 1, which places
    // the same button again, so each frame shows a new instance of it.
    swfwrite::MovieBuilder b(8);
    swf::Button button = greyButton(b);
    namespace bc = swf::button_condition;
    for (auto [condition, name] : {std::pair{bc::IdleToOverUp, "over"},
                                   {bc::OverUpToIdle, "out"},
                                   {bc::OverUpToOverDown, "press"},
                                   {bc::OverDownToOverUp, "release"},
                                   {bc::OverDownToOutDown, "drag out"}}) {
        Assembler a = say(name);
        a.op(Code::End);
        button.actions.push_back(swf::ButtonCondAction{condition, 0, a.bytes});
    }
    const uint16_t id = b.define(button);
    Assembler loop;
    loop.record(Code::GotoFrame, {0, 0}).op(Code::Play).op(Code::End);
    b.place(id, 1).showFrame();
    b.remove(1).doAction(loop.bytes).showFrame();
    load(b);
    auto shownState = [&] { return player.root(0)->childAt(1)->buttonState; };

    player.mouseMove({20, 20});
    player.runFrame();
    player.runFrame();
    EXPECT_EQ(shownState(), ButtonState::Over);
    player.mouseDown({20, 20});
    player.runFrame();
    EXPECT_EQ(shownState(), ButtonState::Down);
    player.mouseUp({20, 20});
    player.runFrame();
    player.mouseMove({300, 300});
    player.mouseDown({20, 20});
    player.runFrame();
    player.mouseMove({300, 300});
    EXPECT_THAT(take(),
                ElementsAre("over", "press", "release", "out", "over", "press", "drag out"));
}

TEST_F(InputTest, FocusMovesTellOldAndNewHolderAndListenersAndEndWithTheObject) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    Assembler s;
    s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    Assembler oldNew;
    oldNew.push({str("Selection: ")}).getVar("o").op(Code::Add2).push({str(" -> ")});
    oldNew.op(Code::Add2).getVar("n").op(Code::Add2).trace();
    s.append(handler("l", "onSetFocus", oldNew, {"o", "n"}));
    s.append(call("Selection", "addListener", var("l")));
    for (const char* n : {"a", "b"}) {
        s.append(setMember(n, "tabEnabled", boolean(true)));
        s.append(handler(n, "onSetFocus", traceWith(std::string(n) + " gets it from ", var("o")),
                         {"o"}));
        s.append(handler(n, "onKillFocus", traceWith(std::string(n) + " gives it to ", var("n")),
                         {"n"}));
    }
    s.append(call("Selection", "setFocus", var("a")));
    s.append(call("Selection", "setFocus", var("b")));
    Assembler getFocus;
    getFocus.push({integer(0)}).getVar("Selection").push({str("getFocus")}).op(Code::CallMethod);
    s.append(traceWith("focus ", getFocus));
    b.tag(named(clip, 1, "a", at(0, 0)))
        .tag(named(clip, 2, "b", at(50, 0)))
        .doAction(frameScript(s));
    b.showFrame();
    b.remove(2).showFrame();
    load(b);
    EXPECT_THAT(take(), ElementsAre("a gets it from null", "Selection: null -> _level0.a",
                                    "a gives it to _level0.b", "b gets it from _level0.a",
                                    "Selection: _level0.a -> _level0.b", "focus _level0.b"));

    // Removing the object in focus takes the focus with it: the scripts hear of it while
    // its path still reads, and nothing keeps pointing at the removed object.
    player.root(0)->playing = true;
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("b gives it to null", "Selection: _level0.b -> null"));
    EXPECT_EQ(player.focus(), nullptr);

    // Hiding the object in focus does the same.
    player.setFocus(&child("a"));
    take();
    ASSERT_TRUE(setClipProperty(player, child("a"), 7, QStringLiteral("0")));
    EXPECT_THAT(take(), ElementsAre("a gives it to null", "Selection: _level0.a -> null"));
    EXPECT_EQ(player.focus(), nullptr);
}

TEST_F(InputTest, TheTimelinesTabIndicesOrderTabAndReadAsTabIndex) {
    swfwrite::MovieBuilder b(7);
    const uint16_t button = b.define(greyButton(b));
    Assembler s;
    s.append(traceWith("b ", [] {
        Assembler a;
        a.getVar("b").push({str("tabIndex")}).op(Code::GetMember);
        return a;
    }()));
    // Frame 1 places three buttons, the tags giving them an order against their positions
    // (one names an empty depth); frame 2 takes "c" away.
    b.tag(named(button, 1, "a", at(0, 0)))
        .tag(named(button, 2, "b", at(100, 0)))
        .tag(named(button, 3, "c", at(0, 100)))
        .tag(swf::SetTabIndex{2, 1})
        .tag(swf::SetTabIndex{3, 2})
        .tag(swf::SetTabIndex{1, 3})
        .tag(swf::SetTabIndex{9, 0})
        .doAction(frameScript(s))
        .showFrame();
    b.remove(3).showFrame();
    load(b);
    EXPECT_THAT(take(), ElementsAre("b 1"));
    EXPECT_THAT(tabVisits(4), ElementsAre("b", "c", "a", "b"));

    // Frame 2 takes "c" away; going back to frame 1 places it again with its index.
    player.root(0)->playing = true;
    player.runFrame();
    player.setFocus(nullptr);
    EXPECT_THAT(tabVisits(3), ElementsAre("b", "a", "b"));
    player.gotoFrame(*player.root(0), 0, false);
    player.setFocus(nullptr);
    EXPECT_THAT(tabVisits(3), ElementsAre("b", "c", "a"));

    // A script's index counts as the timeline's does.
    script->machine().set(script->scriptObject(child("a")), QStringLiteral("tabIndex"),
                          avm1::Value(0));
    player.setFocus(nullptr);
    EXPECT_THAT(tabVisits(3), ElementsAre("a", "b", "c"));
}

TEST_F(InputTest, SelectionSetFocusRefusesWhatCannotTakeTheFocus) {
    swfwrite::MovieBuilder b(7);
    const uint16_t clip = squareClip(b);
    // trace(label + Selection.setFocus(target)), the target pushed by `target`.
    auto tryFocus = [](const std::string& label, const Assembler& target) {
        Assembler call;
        call.append(target).push({integer(1)}).getVar("Selection").push({str("setFocus")});
        call.op(Code::CallMethod);
        return traceWith(label, call);
    };
    Assembler path;
    path.push({str("_root.pressable")});
    Assembler s;
    s.append(setMember("enabler", "focusEnabled", boolean(true)));
    s.append(handler("pressable", "onPress", say("pressed")));
    s.append(tryFocus("enabler ", var("enabler")));
    s.append(tryFocus("plain ", var("plain")));
    Assembler nowhere;
    nowhere.push({str("_root.nothing")});
    s.append(tryFocus("missing ", nowhere));
    Assembler getFocus;
    getFocus.push({integer(0)}).getVar("Selection").push({str("getFocus")}).op(Code::CallMethod);
    s.append(traceWith("focus ", getFocus));
    s.append(tryFocus("pressable ", path));
    s.append(tryFocus("null ", [] {
        Assembler a;
        a.push({avm1::test::null()});
        return a;
    }()));
    b.tag(named(clip, 1, "plain", at(0, 0)))
        .tag(named(clip, 2, "enabler", at(50, 0)))
        .tag(named(clip, 3, "pressable", at(100, 0)))
        .doAction(frameScript(s))
        .showFrame();
    load(b);
    // The refusals leave the focus with "enabler"; the path string reaches "pressable".
    EXPECT_THAT(take(), ElementsAre("enabler true", "plain false", "missing false",
                                    "focus _level0.enabler", "pressable true", "null true"));
    EXPECT_EQ(player.focus(), nullptr);
    ASSERT_TRUE(player.takesScriptFocus(child("enabler")));
    EXPECT_FALSE(player.takesScriptFocus(child("plain")));
}

// Typing tells the field's onChanged and its listeners, each given the field, once for every
// character that goes in; a character restrict or maxChars keeps out changes nothing and tells
// no one, and neither do a script's edits.
TEST_F(InputTest, TypingTellsOnChangedAndItsListenersOnlyWhenTheTextChanges) {
    for (uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version);
        swf::EditText e;
        e.bounds = {0, 2000, 0, 400};
        const uint16_t id = b.define(e);
        Assembler s;
        s.append(setMember("t", "restrict", str("a-z")));
        s.append(setMember("t", "maxChars", integer(3)));
        Assembler own;
        own.push({str("own ")}).getVar("t").push({str("text")}).op(Code::GetMember);
        own.op(Code::Add2).trace();
        s.append(handler("t", "onChanged", own));
        s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
        s.append(handler("l", "onChanged", traceWith("listener ", var("which")), {"which"}));
        s.append(call("t", "addListener", var("l")));
        s.append(setMember("t", "text", str("")));
        b.tag(named(id, 1, "t")).doAction(frameScript(s)).showFrame();
        load(b);
        DisplayObject& t = child("t");
        player.setFocus(&t);
        for (char16_t c : u"a1bcd") {
            if (c) {
                player.textInput(c);
            }
        }
        EXPECT_EQ(t.field->text, QStringLiteral("abc")) << int(version);
        EXPECT_THAT(take(), ElementsAre("own a", "listener _level0.t", "own ab",
                                        "listener _level0.t", "own abc", "listener _level0.t"))
            << int(version);
    }
}

TEST_F(InputTest, TypingGoesIntoTheFocusedInputFieldAndSelectionReadsItsCaret) {
    swfwrite::MovieBuilder b(8);
    Assembler s;
    // this.createTextField("t", 1, 0, 0, 100, 20); t.type = "input"; t.text = "abc";
    s.push({integer(20), integer(100), integer(0), integer(0), integer(1), str("t"), integer(6),
            str("this")})
        .op(Code::GetVariable)
        .push({str("createTextField")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    s.append(setMember("t", "type", str("input")));
    s.append(setMember("t", "text", str("abc")));
    // A key listener reports the selection on every key up.
    s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    auto index = [](const char* method) {
        Assembler a;
        a.push({integer(0)}).getVar("Selection").push({str(method)}).op(Code::CallMethod);
        return a;
    };
    Assembler report;
    report.append(index("getBeginIndex")).push({str(",")}).op(Code::Add2);
    report.append(index("getEndIndex")).op(Code::Add2).trace();
    s.append(handler("l", "onKeyUp", report));
    s.append(call("Key", "addListener", var("l")));
    b.doAction(frameScript(s)).showFrame();
    load(b);
    DisplayObject& t = child("t");
    ASSERT_TRUE(t.field);
    auto press = [&](int code) {
        player.keyDown(code);
        player.keyUp(code);
    };

    // The focus selects the whole text, so typing replaces it.
    player.setFocus(&t);
    press(vk::Shift);
    for (char16_t c : u"xyz") {
        if (c) {
            player.textInput(c);
        }
    }
    EXPECT_EQ(t.field->text, QStringLiteral("xyz"));
    // Shift+Left selects the last character; typing over it and Backspace edit in place.
    // The keys themselves edit nothing: the host's editing command after each does.
    auto edit = [&](int code, TextEdit command, bool extend) {
        player.keyDown(code);
        player.textEdit(command, extend);
        player.keyUp(code);
    };
    player.keyDown(vk::Shift);
    edit(vk::Left, TextEdit::Left, true);
    player.keyUp(vk::Shift);
    player.textInput(u'Q');
    EXPECT_EQ(t.field->text, QStringLiteral("xyQ"));
    press(vk::Backspace);
    EXPECT_EQ(t.field->text, QStringLiteral("xyQ")) << "a key alone";
    edit(vk::Backspace, TextEdit::Backspace, false);
    EXPECT_EQ(t.field->text, QStringLiteral("xy"));
    EXPECT_THAT(take(), ElementsAre("0,3", "2,3", "2,3", "3,3", "2,2"));

    // Without the focus nothing is typed and the indices read -1.
    player.setFocus(nullptr);
    player.textInput(u'!');
    press(vk::Shift);
    EXPECT_EQ(t.field->text, QStringLiteral("xy"));
    EXPECT_THAT(take(), ElementsAre("-1,-1"));
}

TEST_F(InputTest, DragFollowsThePointerInsideItsBoundsAndRemembersTheDropTarget) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    b.tag(named(clip, 1, "target", at(200, 0))).tag(named(clip, 2, "drag", at(0, 0)));
    b.doAction(frameScript(Assembler())).showFrame();
    load(b);
    DisplayObject& drag = child("drag");
    auto position = [&] {
        return std::make_pair(*clipPropertyNumber(player, drag, 0),
                              *clipPropertyNumber(player, drag, 1));
    };

    // Grabbed at (10, 10) without locking the centre: the grab offset is kept.
    player.mouseMove(QPointF(10, 10));
    player.startDrag(drag, false, std::nullopt);
    player.mouseMove(QPointF(60, 30));
    EXPECT_EQ(position(), std::make_pair(50.0, 20.0));

    // Locked to the centre and held inside (0, 0)-(100, 50), the corners given in any order.
    player.startDrag(drag, true, QRectF(QPointF(100, 50), QPointF(0, 0)));
    player.mouseMove(QPointF(300, 10));
    EXPECT_EQ(position(), std::make_pair(100.0, 10.0));
    player.mouseMove(QPointF(-5, 80));
    EXPECT_EQ(position(), std::make_pair(0.0, 50.0));
    // A rectangle past what twips hold stops the clip at the last twip.
    player.startDrag(drag, true, QRectF(QPointF(1e300, -1e300), QPointF(1e300, -1e300)));
    player.mouseMove(QPointF(5, 5));
    EXPECT_EQ(position(), std::make_pair(INT32_MAX / 20.0, INT32_MIN / 20.0));

    // Dropped over the other clip: _droptarget names it after the drag ends, and stays.
    player.startDrag(drag, true, std::nullopt);
    player.mouseMove(QPointF(210, 10));
    player.stopDrag();
    player.mouseMove(QPointF(400, 300));
    EXPECT_EQ(position(), std::make_pair(210.0, 10.0));
    EXPECT_EQ(clipPropertyText(player, drag, 14), QStringLiteral("/target"));
    EXPECT_EQ(clipPropertyText(player, child("target"), 14), QString());
}

TEST_F(InputTest, FocusRectIsMovieWideBeforeSwf6AndPerObjectFromIt) {
    for (int version : {5, 6}) {
        swfwrite::MovieBuilder b(static_cast<uint8_t>(version));
        const uint16_t clip = squareClip(b);
        Assembler s;
        s.append(setMember("c", "_focusrect", boolean(false)));
        s.append(traceWith("root ", [] {
            Assembler a;
            a.getVar("_root").push({str("_focusrect")}).op(Code::GetMember);
            return a;
        }()));
        s.append(setMember("_root", "_focusrect", avm1::test::null()));  // ignored
        s.append(traceWith("root ", [] {
            Assembler a;
            a.getVar("_root").push({str("_focusrect")}).op(Code::GetMember);
            return a;
        }()));
        b.tag(named(clip, 1, "c")).doAction(frameScript(s)).showFrame();
        lines.clear();
        load(b);
        if (version == 5) {
            EXPECT_THAT(take(), ElementsAre("root 0", "root 0"));
            EXPECT_FALSE(player.focusRectEnabled());
        } else {
            EXPECT_THAT(take(), ElementsAre("root true", "root true"));
            EXPECT_FALSE(player.showsFocusRect(child("c")));
        }
        player.setFocusRectEnabled(true);
    }
}

TEST_F(InputTest, KeyGetAsciiIsWhatTheKeyTypesFromTheMomentItGoesDown) {
    for (int version : {5, 8}) {
        swfwrite::MovieBuilder b(static_cast<uint8_t>(version));
        Assembler s;
        s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
        for (const char* event : {"onKeyDown", "onKeyUp"}) {
            Assembler report = traceWith(std::string(event) == "onKeyDown" ? "down " : "up ",
                                         result("Key", "getCode"));
            report.append(traceWith("  ascii ", result("Key", "getAscii")));
            s.append(handler("l", event, report));
        }
        // Added twice, the listener still hears each key once.
        s.append(call("Key", "addListener", var("l")));
        s.append(call("Key", "addListener", var("l")));
        s.append(traceWith("accessible ", result("Key", "isAccessible")));
        s.append(traceWith("huge ", result("Key", "isDown", {avm1::test::num(1e300)})));
        // The key constants cannot be changed or deleted.
        s.append(setMember("Key", "LEFT", integer(1)));
        s.getVar("Key").push({str("LEFT")}).op(Code::Delete).op(Code::Pop);
        s.append(traceWith("left ", [] {
            Assembler a;
            a.getVar("Key").push({str("LEFT")}).op(Code::GetMember);
            return a;
        }()));
        b.doAction(frameScript(s)).showFrame();
        lines.clear();
        load(b);
        EXPECT_THAT(take(), ElementsAre("accessible true", "huge false", "left 37"));

        // Each key: its code and what it types, on the way down and up alike.
        auto typed = [&](int code) {
            player.keyDown(code);
            player.keyUp(code);
            std::vector<std::string> got = take();
            EXPECT_EQ(got.size(), 4u) << code;
            std::string out = std::to_string(code);
            for (size_t i = 1; i < got.size(); i += 2) {
                out += got[i].substr(got[i].find("ascii") + 5);
            }
            return out;
        };
        EXPECT_EQ(typed('A'), "65 97 97");
        EXPECT_EQ(typed('7'), "55 55 55");
        EXPECT_EQ(typed(vk::Space), "32 32 32");
        EXPECT_EQ(typed(vk::Enter), "13 13 13");
        EXPECT_EQ(typed(vk::Delete), "46 127 127");
        EXPECT_EQ(typed(vk::Left), "37 0 0");
        EXPECT_EQ(typed(112), "112 0 0");  // F1
        // The numeric pad types its digits and operators.
        EXPECT_EQ(typed(101), "101 53 53");
        EXPECT_EQ(typed(106), "106 42 42");
        EXPECT_EQ(typed(111), "111 47 47");
        // Punctuation, and Shift over letters, digits and punctuation.
        EXPECT_EQ(typed(186), "186 59 59");
        player.keyDown(vk::Shift);
        take();
        EXPECT_EQ(typed('A'), "65 65 65");
        EXPECT_EQ(typed('1'), "49 33 33");
        EXPECT_EQ(typed(222), "222 34 34");
        player.keyUp(vk::Shift);
        take();
        // Caps Lock turns letters to capitals, and Shift back, but leaves digits alone.
        typed(vk::CapsLock);
        EXPECT_EQ(typed('Q'), "81 81 81");
        EXPECT_EQ(typed('2'), "50 50 50");
        player.keyDown(vk::Shift);
        take();
        EXPECT_EQ(typed('Q'), "81 113 113");
        player.keyUp(vk::Shift);
        take();
        typed(vk::CapsLock);

        // What an input method types comes as text alone, beyond ASCII too, and getAscii
        // reads it.
        player.textInput(u'\u4e2d');
        EXPECT_THAT(take(), ElementsAre());
        EXPECT_EQ(script->machine().toNumber(callBuiltIn("Key", "getAscii")), 0x4e2d);
        // Key is one object for every movie: the next movie starts without this listener.
        callBuiltIn(
            "Key", "removeListener",
            {script->machine().get(script->scriptObject(*player.root(0)), QStringLiteral("l"))});
    }
}

TEST_F(InputTest, OnKeyPressHandlersOfClipsRunOnTheClip) {
    swfwrite::MovieBuilder b(6);
    const uint16_t clip = squareClip(b);
    const uint16_t button = keyButton(b, {{'k', "button k"}});
    auto keyClip = [&](const std::string& name, uint16_t depth) {
        swf::PlaceObject p = named(clip, depth, name, at(depth * 50.0, 0));
        p.allClipEvents = swf::clip_event::KeyPress;
        p.clipActions.push_back(
            {swf::clip_event::KeyPress, 1, frameScript(traceWith("left on ", var("_name")))});
        p.clipActions.push_back(
            {swf::clip_event::KeyPress, 'k', frameScript(traceWith("k on ", var("_name")))});
        return p;
    };
    b.tag(keyClip("c", 1))
        .tag(keyClip("hidden", 2))
        .tag(named(button, 3, "b", at(200, 0)))
        .doAction(frameScript(setMember("hidden", "_visible", boolean(false))))
        .showFrame();
    load(b);
    take();

    // A key that types nothing matches as it goes down; a typed one when its text comes. The
    // first object answering the key takes it: the clip here, placed before the button.
    player.keyDown(vk::Left);
    player.keyUp(vk::Left);
    player.keyDown('K');
    EXPECT_THAT(take(), ElementsAre("left on c"));
    player.textInput(u'k');
    player.keyUp('K');
    EXPECT_THAT(take(), ElementsAre("k on c"));
    // Hidden, the clip hears nothing and the button takes the key.
    ASSERT_TRUE(setClipProperty(player, child("c"), 7, QStringLiteral("0")));
    player.textInput(u'k');
    player.keyDown(vk::Left);
    EXPECT_THAT(take(), ElementsAre("key button k"));
}

TEST_F(InputTest, MouseHideShowAnswerAndTheWheelReachesListenersWithWhatIsUnderThePointer) {
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    Assembler s;
    for (const char* method : {"hide", "hide", "show", "show"}) {
        s.append(traceWith(std::string(method) + " ", result("Mouse", method)));
    }
    s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    Assembler wheel;
    wheel.push({str("wheel ")}).getVar("d").op(Code::Add2).push({str(" ")}).op(Code::Add2);
    wheel.getVar("t").op(Code::Add2).trace();
    s.append(handler("l", "onMouseWheel", wheel, {"d", "t"}));
    s.append(call("Mouse", "addListener", var("l")));
    // A clip hears the mouse's buttons and moves by itself, but the wheel only as a listener.
    s.append(handler("c", "onMouseWheel", traceWith("clip ", var("d")), {"d"}));
    s.append(handler("c", "onMouseDown", say("clip down")));
    b.tag(named(clip, 1, "c", at(0, 0))).doAction(frameScript(s)).showFrame();
    load(b);
    EXPECT_THAT(take(), ElementsAre("hide 1", "hide 0", "show 0", "show 1"));

    player.mouseMove({20, 20});
    player.mouseWheel(3);
    player.mouseDown({20, 20});
    player.mouseUp({20, 20});
    player.mouseMove({300, 300});
    player.mouseWheel(-1);
    EXPECT_THAT(take(), ElementsAre("wheel 3 _level0.c", "clip down", "wheel -1 undefined"));
    callBuiltIn("Mouse", "addListener", {avm1::Value(script->scriptObject(child("c")))});
    player.mouseWheel(2);
    EXPECT_THAT(take(), ElementsAre("wheel 2 undefined", "clip 2"));
}

// A Mouse listener hears the buttons and moves wherever the pointer is, over the movie or not,
// until it is removed; addListener answers true whatever it is given, removeListener whether the
// object was listening.
TEST_F(InputTest, MouseListenersHearButtonsAndMovesUntilRemoved) {
    for (uint8_t version : {6, 8}) {
        swfwrite::MovieBuilder b(version);
        Assembler s;
        s.push({str("l"), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
        Assembler move;
        move.push({str("move ")}).getVar("_root").push({str("_xmouse")}).op(Code::GetMember);
        move.op(Code::Add2).trace();
        s.append(handler("l", "onMouseMove", move));
        s.append(handler("l", "onMouseDown", say("down")));
        s.append(handler("l", "onMouseUp", say("up")));
        s.append(traceWith("add ", result("Mouse", "addListener", {})));  // true, even for nothing
        s.append(call("Mouse", "addListener", var("l")));
        b.doAction(frameScript(s)).showFrame();
        load(b);
        EXPECT_THAT(take(), ElementsAre("add true")) << int(version);
        player.mouseMove({20, 10});
        player.mouseDown({20, 10});
        player.mouseUp({20, 10});
        player.mouseMove({500, 10});  // off the stage
        EXPECT_THAT(take(), ElementsAre("move 20", "down", "up", "move 500")) << int(version);
        const avm1::Value l =
            script->machine().get(script->scriptObject(*player.root(0)), QStringLiteral("l"));
        avm1::Machine& m = script->machine();
        EXPECT_TRUE(m.toBoolean(callBuiltIn("Mouse", "removeListener", {l})));
        EXPECT_FALSE(m.toBoolean(callBuiltIn("Mouse", "removeListener", {l})));
        player.mouseMove({30, 10});
        player.mouseDown({30, 10});
        EXPECT_TRUE(take().empty()) << int(version);
    }
}

TEST_F(InputTest, XmouseAndYmouseAreThePointerInEachClipsOwnSpace) {
    swfwrite::MovieBuilder b(6);
    const uint16_t clip = squareClip(b);
    swfwrite::TimelineBuilder outer;
    outer.tag(named(clip, 1, "inner", at(10, 0))).showFrame();
    // Turned a quarter clockwise and doubled: its x axis points down the stage.
    swf::Matrix turned = at(100, 50);
    turned.a = turned.d = 0;
    turned.b = 2;
    turned.c = -2;
    b.tag(named(b.define(outer.sprite()), 1, "outer", turned)).showFrame();
    load(b);
    auto pointer = [&](DisplayObject& o) {
        return std::make_pair(*clipPropertyNumber(player, o, 20),
                              *clipPropertyNumber(player, o, 21));
    };
    player.mouseMove({100, 90});
    EXPECT_EQ(pointer(*player.root(0)), std::make_pair(100.0, 90.0));
    EXPECT_EQ(pointer(child("outer")), std::make_pair(20.0, 0.0));
    DisplayObject* inner = child("outer").childNamed(QStringLiteral("inner"), true);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(pointer(*inner), std::make_pair(10.0, 0.0));
    player.mouseMove({90, 50});
    EXPECT_EQ(pointer(child("outer")), std::make_pair(0.0, 5.0));
}

TEST_F(InputTest, SelectionNamesAnUnnamedFieldByItsVariableAndRefusesOneThatCannotBeSelected) {
    for (int version : {5, 6}) {
        swfwrite::MovieBuilder b(static_cast<uint8_t>(version));
        auto field = [&](const std::string& variable, bool selectable) {
            swf::EditText e;
            e.bounds = {0, 800, 0, 400};
            e.variableName = variable;
            e.noSelect = !selectable;
            return b.define(e);
        };
        // Clip "q" shows a field bound to "answer" and, from its own timeline, traces
        // label + Selection.setFocus(path) and where the focus is then.
        Assembler s;
        for (const char* path : {"_parent.locked", "_parent.named", "answer", "nothing"}) {
            s.append(
                traceWith(std::string(path) + " ", result("Selection", "setFocus", {str(path)})));
            s.append(traceWith("  focus ", result("Selection", "getFocus")));
        }
        const uint16_t inner = [&] {
            swfwrite::TimelineBuilder t;
            swf::PlaceObject p;
            p.characterId = field("answer", true);
            p.depth = 1;
            t.tag(p).doAction(frameScript(s)).showFrame();
            return b.define(t.sprite());
        }();
        b.tag(named(inner, 1, "q"))
            .tag(named(field("score", true), 2, "named", at(0, 50)))
            .tag(named(field("x", false), 3, "locked", at(0, 100)))
            .showFrame();
        lines.clear();
        load(b);
        // Relative paths start at the calling timeline; a path naming no object may name the
        // variable a field shows.
        EXPECT_THAT(take(),
                    ElementsAre("_parent.locked false", "  focus null", "_parent.named true",
                                "  focus _level0.named", "answer true", "  focus _level0.q.answer",
                                "nothing false", "  focus _level0.q.answer"))
            << version;

        auto getFocus = [&] {
            return script->machine().toString(callBuiltIn("Selection", "getFocus")).toStdString();
        };
        // However the field got the focus.
        player.setFocus(nullptr);
        DisplayObject* unnamed = child("q").childAt(1);
        ASSERT_NE(unnamed, nullptr);
        player.setFocus(unnamed);
        EXPECT_EQ(getFocus(), "_level0.q.answer") << version;
        player.setFocus(nullptr);
    }
}

// The yellow frame as the engine draws it.
TEST(FocusHighlight, FramesTheTabbedObjectUntilThePointerMoves) {
    test::EngineFixture f;
    swfwrite::MovieBuilder b(8);
    const uint16_t clip = squareClip(b);
    b.tag(named(clip, 1, "c", at(20, 20)))
        .doAction(frameScript(setMember("c", "tabEnabled", boolean(true))))
        .showFrame();
    ASSERT_TRUE(f.load(b));
    auto key = [&](flash::InputKind kind, int code) {
        flash::InputEvent e;
        e.kind = kind;
        e.keyCode = code;
        f.engine->handleInput(e);
    };
    const QRgb yellow = 0xFFFFFF00u;
    EXPECT_NE(f.render(100, 100, flash::Quality::Low).pixel(20, 20), yellow);
    key(flash::InputKind::KeyDown, vk::Tab);
    key(flash::InputKind::KeyUp, vk::Tab);
    const QImage shown = f.render(100, 100, flash::Quality::Low);
    // Three pixels wide, just inside the clip's bounds (20, 20)-(60, 60).
    for (QPoint p : {QPoint(20, 20), QPoint(22, 40), QPoint(59, 59), QPoint(40, 57)}) {
        EXPECT_EQ(shown.pixel(p), yellow) << p.x() << "," << p.y();
    }
    EXPECT_EQ(shown.pixel(23, 40), 0xFF999999u);
    EXPECT_NE(shown.pixel(19, 19), yellow);
    flash::InputEvent move;
    move.kind = flash::InputKind::MouseMove;
    move.x = move.y = 90;
    f.engine->handleInput(move);
    EXPECT_EQ(f.render(100, 100, flash::Quality::Low).pixel(20, 20), 0xFF999999u);
}

// The frame per version: on by default and off movie-wide; from SWF 6 a button's own
// _focusrect switches it on for that button alone, before 6 the same write is the movie-wide
// switch. The frame surrounds a turned object's upright bounds on the stage and goes with the
// object.
TEST(FocusHighlight, FollowsFocusrectPerVersionAndFramesTheStageBounds) {
    const QRgb yellow = 0xFFFFFF00u;
    auto yellowPixels = [&](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                n += img.pixel(x, y) == yellow;
            }
        }
        return n;
    };
    enum class Setting { Default, Off, OffButOnForB };
    for (int version : {5, 6, 8}) {
        for (Setting setting : {Setting::Default, Setting::Off, Setting::OffButOnForB}) {
            SCOPED_TRACE(testing::Message() << "SWF " << version << " setting " << int(setting));
            test::EngineFixture f;
            swfwrite::MovieBuilder b(static_cast<uint8_t>(version), 200, 100);
            swf::Button shown = greyButton(b);
            shown.records[0].states |= swf::button_state::Over;
            const uint16_t button = b.define(shown);
            // "b" turned 45 degrees, its left corner at (112, 48): the square reaches from
            // x 112 to 168.6 and y 19.7 to 76.3 on the stage.
            swf::Matrix turned = at(112, 48);
            turned.a = turned.d = std::cos(std::numbers::pi / 4);
            turned.c = std::sin(std::numbers::pi / 4);
            turned.b = -turned.c;
            Assembler s;
            if (setting != Setting::Default) {
                s.append(setMember("_root", "_focusrect", boolean(false)));
            }
            if (setting == Setting::OffButOnForB) {
                s.append(setMember("b", "_focusrect", boolean(true)));
            }
            b.tag(named(button, 1, "a", at(20, 10)))
                .tag(named(button, 2, "b", turned))
                .doAction([&] {
                    s.op(Code::End);
                    return s.bytes;
                }())
                .showFrame();
            b.remove(2).showFrame();
            ASSERT_TRUE(f.load(b));
            auto tab = [&] {
                flash::InputEvent e;
                e.keyCode = vk::Tab;
                e.kind = flash::InputKind::KeyDown;
                f.engine->handleInput(e);
                e.kind = flash::InputKind::KeyUp;
                f.engine->handleInput(e);
                return f.render(200, 100, flash::Quality::Low);
            };
            // Before SWF 6 "b._focusrect = true" throws the one movie-wide switch back on.
            const bool aFramed =
                setting == Setting::Default || (setting == Setting::OffButOnForB && version < 6);
            const bool bFramed = setting != Setting::Off;
            QImage img = tab();
            EXPECT_EQ(img.pixel(20, 10) == yellow, aFramed);
            EXPECT_EQ(yellowPixels(img), aFramed ? 4 * 3 * 40 - 4 * 9 : 0);
            img = tab();
            // The upright box round the turned square, whose corners the square leaves empty.
            EXPECT_EQ(img.pixel(112, 20) == yellow, bFramed);
            EXPECT_EQ(img.pixel(168, 75) == yellow, bFramed);
            EXPECT_EQ(img.pixel(112, 75) == yellow, bFramed);
            EXPECT_EQ(img.pixel(140, 48), 0xFF999999u) << "inside the frame";
            EXPECT_NE(img.pixel(20, 10), yellow) << "a's frame has gone";
            // The timeline takes "b" away: its frame goes with it.
            f.engine->runFrame();
            EXPECT_EQ(yellowPixels(f.render(200, 100, flash::Quality::Low)), 0);
        }
    }
}

// Mouse.hide reaches the pointer the control shows: none, over buttons too, until shown.
TEST(MouseCursor, AHiddenPointerStaysHiddenOverButtonsUntilShown) {
    test::EngineFixture f;
    swfwrite::MovieBuilder b(8);
    const uint16_t button = b.define(greyButton(b));
    Assembler hide = result("Mouse", "hide");
    hide.op(Code::Pop).op(Code::End);
    Assembler show = result("Mouse", "show");
    b.place(button, 1).doAction(hide.bytes).showFrame();
    b.doAction(frameScript(show)).showFrame();
    ASSERT_TRUE(f.load(b));
    flash::InputEvent move;
    move.kind = flash::InputKind::MouseMove;
    move.x = move.y = 20;
    f.engine->handleInput(move);
    EXPECT_EQ(f.engine->cursor(), flash::CursorShape::Hidden);
    f.engine->runFrame();
    EXPECT_EQ(f.engine->cursor(), flash::CursorShape::Hand);
}

}  // namespace
}  // namespace pencora::runtime
