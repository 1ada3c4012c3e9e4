// Buttons by their rules: how each form of button colours and blends its states, where the
// mouse finds a masked, scaled or hidden button, which timeline and object its actions and
// handlers run on in each movie version, and what a handler that takes the button away leaves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::square;
using testing::ElementsAre;
namespace bc = swf::button_condition;
namespace bs = swf::button_state;

swf::ButtonRecord record(uint8_t states, uint16_t id, uint16_t depth = 1) {
    swf::ButtonRecord r;
    r.states = states;
    r.characterId = id;
    r.depth = depth;
    return r;
}

// A button of the second form shown and hit by a square from (x0, y0) to (x1, y1).
swf::Button squareButton(swfwrite::MovieBuilder& b, double x0, double y0, double x1, double y1,
                         uint8_t states = bs::Up | bs::Over | bs::Down | bs::HitTest) {
    swf::Button button;
    button.version = 2;
    button.records = {record(states, b.define(square(x0, y0, x1, y1, {255, 0, 0, 255})))};
    return button;
}

swf::PlaceObject placed(uint16_t id, uint16_t depth, const std::string& name = {},
                        swf::Matrix m = {}) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.matrix = m;
    return p;
}

Assembler say(const std::string& text) {
    Assembler a;
    a.push({str(text)}).trace();
    return a;
}

// <path>.onPress = function () { trace("press <name>") }, for a path "name" or
// "parent.name".
void saysWhenPressed(Assembler& script, const std::string& path) {
    const auto dot = path.find('.');
    script.getVar(path.substr(0, dot));
    if (dot != std::string::npos) {
        script.push({str(path.substr(dot + 1))}).op(Code::GetMember);
    }
    const std::string name = dot == std::string::npos ? path : path.substr(dot + 1);
    script.push({str("onPress")}).function("", {}, say("press " + name)).op(Code::SetMember);
}

// trace(prefix + String(expression pushed by `value`))
Assembler traceWith(const std::string& prefix, const Assembler& value) {
    Assembler a;
    a.push({str(prefix)}).append(value).op(Code::Add2).trace();
    return a;
}
Assembler member(const std::string& object, const std::string& name) {
    Assembler a;
    a.getVar(object).push({str(name)}).op(Code::GetMember);
    return a;
}
Assembler var(const std::string& name) {
    Assembler a;
    a.getVar(name);
    return a;
}
swf::Bytes frameScript(Assembler a, bool stop = true) {
    if (stop) {
        a.op(Code::Stop);
    }
    a.op(Code::End);
    return a.bytes;
}

// A player with scripts whose trace() lines are kept.
struct Recorder : PlayerEvents {
    Player player;
    std::vector<std::string> lines;

    Recorder() {
        player.setEvents(this);
        player.setActionRunner(std::make_unique<ScriptHost>(player));
    }
    void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    void load(const swfwrite::MovieBuilder& b) {
        player.load(0, test::share(b));
        player.runFrame();
    }
    std::vector<std::string> take() { return std::exchange(lines, {}); }
    void click(QPointF at) {
        player.mouseMove(at);
        player.mouseDown(at);
        player.mouseUp(at);
    }
};

struct ButtonRules : testing::Test, Recorder {};

// The first form of button takes one colour transform for all its characters from a tag of
// its own; the second gives each record its transform, filters and blend mode.
TEST(ButtonLooks, EachFormColoursAndBlendsItsStatesByItsOwnRecords) {
    swfwrite::MovieBuilder b(8);
    b.background({255, 255, 255, 255});
    swf::Button first;
    first.version = 1;
    first.records = {
        record(bs::Up | bs::HitTest, b.define(square(0, 0, 50, 50, {255, 0, 0, 255})))};
    swf::ColorTransform toBlue;
    toBlue.rMult = 0;
    toBlue.bAdd = 255;
    first.colorTransform = toBlue;
    swf::Button second;
    second.version = 2;
    second.records = {
        record(bs::Up | bs::HitTest, b.define(square(100, 0, 150, 50, {255, 0, 0, 255})))};
    second.records[0].blendMode = swf::BlendMode::Difference;
    swf::ColorTransform halfGreen;
    halfGreen.gAdd = 128;
    swf::Button third = squareButton(b, 200, 0, 250, 50);
    third.records[0].colorTransform = halfGreen;
    b.place(b.define(first), 1).place(b.define(second), 2).place(b.define(third), 3);
    b.doAction(frameScript(Assembler())).showFrame();
    test::EngineFixture f;
    ASSERT_TRUE(f.load(b));
    const QImage shown = f.render(300, 60);
    EXPECT_EQ(shown.pixel(25, 25), 0xFF0000FFu);   // red turned blue
    EXPECT_EQ(shown.pixel(125, 25), 0xFF00FFFFu);  // red against white: the difference
    EXPECT_EQ(shown.pixel(225, 25), 0xFFFF8000u);  // red with half green added
    // The pointer sees the first form's button where its hit shape is.
    flash::InputEvent e;
    e.kind = flash::InputKind::MouseMove;
    e.x = e.y = 25;
    f.engine->handleInput(e);
    EXPECT_EQ(f.engine->cursor(), flash::CursorShape::Hand);
}

// Only the hit state's shapes take the mouse: not the shapes shown, not an empty hit state; a
// clip in the hit state counts by the shapes its first frame places; a button with nothing but
// a hit state is clickable; one hidden by a script is not; a scaled clip scales the hit area.
TEST_F(ButtonRules, TheHitStateAloneDecidesWhereTheMouseFindsAButton) {
    swfwrite::MovieBuilder b(6);
    // Shown large, hit small.
    swf::Button shownLarge = squareButton(b, 0, 0, 100, 100, bs::Up | bs::Over | bs::Down);
    shownLarge.records.push_back(
        record(bs::HitTest, b.define(square(0, 0, 20, 20, {0, 0, 0, 255}))));
    swf::Button noHit = squareButton(b, 200, 0, 250, 50, bs::Up | bs::Over | bs::Down);
    swf::Button hitOnly = squareButton(b, 300, 0, 350, 50, bs::HitTest);
    swf::Button hidden = squareButton(b, 400, 0, 450, 50);
    // A hit state holding a clip that holds a clip with a square moved to (100, 300).
    swfwrite::TimelineBuilder innerClip, outerClip;
    innerClip.place(b.define(square(0, 0, 50, 50, {0, 0, 0, 255})), 1).showFrame();
    outerClip.place(b.define(innerClip.sprite()), 1, swf::Matrix{1, 0, 0, 1, 2000, 0}).showFrame();
    swf::Button clipHit = squareButton(b, 100, 300, 150, 350, bs::Up);
    clipHit.records.push_back(record(bs::HitTest, b.define(outerClip.sprite())));
    clipHit.records.back().matrix = swf::Matrix{1, 0, 0, 1, 0, 6000};
    swfwrite::TimelineBuilder holder;
    holder.tag(placed(b.define(squareButton(b, 0, 0, 20, 20)), 1, "inner")).showFrame();
    b.tag(placed(b.define(shownLarge), 1, "large"))
        .tag(placed(b.define(noHit), 2, "none"))
        .tag(placed(b.define(hitOnly), 3, "hitOnly"))
        .tag(placed(b.define(hidden), 4, "hidden"))
        .tag(placed(b.define(holder.sprite()), 5, "holder", swf::Matrix{3, 0, 0, 3, 0, 4000}))
        .tag(placed(b.define(clipHit), 6, "clipHit"));
    Assembler script;
    script.getVar("hidden").push({str("_visible"), avm1::test::boolean(false)}).op(Code::SetMember);
    for (const char* path : {"large", "none", "hitOnly", "hidden", "clipHit", "holder.inner"}) {
        saysWhenPressed(script, path);
    }
    b.doAction(frameScript(script)).showFrame();
    load(b);
    for (QPointF at :
         {QPointF(10, 10), QPointF(50, 50), QPointF(225, 25), QPointF(325, 25), QPointF(425, 25),
          QPointF(250, 250), QPointF(55, 255), QPointF(75, 325), QPointF(125, 325)}) {
        player.mouseMove(at);
        player.mouseDown(at);
        player.mouseUp(at);
        player.mouseMove({500, 380});
    }
    EXPECT_THAT(take(),
                ElementsAre("press large", "press hitOnly", "press inner", "press clipHit"));
}

enum class Menu { None, ByFlag, ByProperty };

// Two buttons side by side whose conditions trace "<name> <condition>"; the first one is a
// menu item by its record's flag or by a script setting its trackAsMenu.
swfwrite::MovieBuilder twoButtons(Menu menu) {
    swfwrite::MovieBuilder b(6);
    const std::pair<uint16_t, const char*> conditions[] = {
        {bc::IdleToOverUp, "rollOver"},        {bc::OverUpToIdle, "rollOut"},
        {bc::OverUpToOverDown, "press"},       {bc::OverDownToOverUp, "release"},
        {bc::OverDownToOutDown, "dragOut"},    {bc::OutDownToOverDown, "dragOver"},
        {bc::OutDownToIdle, "releaseOutside"}, {bc::IdleToOverDown, "menuIn"},
        {bc::OverDownToIdle, "menuOut"},
    };
    for (int i = 0; i < 2; ++i) {
        const std::string name = i == 0 ? "A" : "B";
        swf::Button button = squareButton(b, 200 * i, 0, 200 * i + 100, 100);
        button.trackAsMenu = menu == Menu::ByFlag;
        for (const auto& [bit, label] : conditions) {
            button.actions.push_back({bit, 0, frameScript(say(name + " " + label), false)});
        }
        b.tag(placed(b.define(button), uint16_t(i + 1), name));
    }
    Assembler script;
    if (menu == Menu::ByProperty) {
        script.getVar("A").push({str("trackAsMenu"), avm1::test::boolean(true)});
        script.op(Code::SetMember);
    }
    b.doAction(frameScript(script)).showFrame();
    return b;
}

// Pressed on a plain button, the mouse stays with it wherever the pointer goes: released on
// another button, the first hears release-outside and only then the second rolls over. A menu
// item lets go as the pointer leaves (turning idle, never released outside); the item the
// pointer comes onto still pressed takes the mouse and the release. The record's flag and the
// trackAsMenu property make a menu item alike.
TEST_F(ButtonRules, APlainButtonKeepsThePressAndAMenuItemHandsItOn) {
    load(twoButtons(Menu::None));
    player.mouseMove({50, 50});
    player.mouseDown({50, 50});
    player.mouseMove({250, 50});
    player.mouseUp({250, 50});
    player.mouseMove({450, 50});
    EXPECT_THAT(take(), ElementsAre("A rollOver", "A press", "A dragOut", "A releaseOutside",
                                    "B rollOver", "B rollOut"));

    for (Menu how : {Menu::ByFlag, Menu::ByProperty}) {
        SCOPED_TRACE(int(how));
        Recorder menu;
        menu.load(twoButtons(how));
        menu.player.mouseMove({50, 50});
        menu.player.mouseDown({50, 50});
        for (double x : {250, 50, 250}) {
            menu.player.mouseMove({x, 50});
        }
        menu.player.mouseUp({250, 50});
        menu.player.mouseMove({450, 50});
        EXPECT_THAT(menu.take(),
                    ElementsAre("A rollOver", "A press", "A menuOut", "B menuIn", "B menuOut",
                                "A menuIn", "A menuOut", "B menuIn", "B release", "B rollOut"));
        // Released off every item, nothing is released outside.
        menu.player.mouseMove({50, 50});
        menu.player.mouseDown({50, 50});
        menu.player.mouseMove({450, 50});
        menu.player.mouseUp({450, 50});
        EXPECT_THAT(menu.take(), ElementsAre("A rollOver", "A press", "A menuOut"));
    }
}

// Clips nested ten deep, each placing the one inside it eight times: the square at the
// bottom is found, and a miss gives up within a bounded walk instead of visiting every copy.
TEST_F(ButtonRules, AHitStateOfClipsRepeatedInsideClipsIsWalkedWithinBounds) {
    swfwrite::MovieBuilder b(6);
    swfwrite::TimelineBuilder bottom;
    bottom.place(b.define(square(0, 0, 50, 50, {0, 0, 0, 255})), 1).showFrame();
    uint16_t inner = b.define(bottom.sprite());
    for (int level = 0; level < 10; ++level) {
        swfwrite::TimelineBuilder copies;
        for (uint16_t depth = 1; depth <= 8; ++depth) {
            copies.place(inner, depth);
        }
        inner = b.define(copies.showFrame().sprite());
    }
    swf::Button button = squareButton(b, 0, 0, 50, 50, bs::Up);
    button.records.push_back(record(bs::HitTest, inner));
    b.tag(placed(b.define(button), 1, "deep"));
    Assembler script;
    saysWhenPressed(script, "deep");
    b.doAction(frameScript(script)).showFrame();
    load(b);
    click({200, 200});
    click({25, 25});
    EXPECT_THAT(take(), ElementsAre("press deep"));
}

// A button under a timeline mask, or in a clip a script masked, takes the mouse only where
// the mask lets it show; so does a clip acting as a button whose children are masked.
TEST_F(ButtonRules, AMaskedButtonIsFoundOnlyWhereItsMaskShows) {
    swfwrite::MovieBuilder b(6);
    swf::PlaceObject mask = placed(b.define(square(0, 0, 50, 100, {0, 0, 0, 255})), 1);
    mask.clipDepth = 2;
    swfwrite::TimelineBuilder holder;
    holder.tag(placed(b.define(squareButton(b, 200, 0, 300, 100)), 1, "inner")).showFrame();
    // A clip acting as a button whose square is half masked inside it.
    swfwrite::TimelineBuilder masked;
    swf::PlaceObject innerMask = placed(b.define(square(0, 200, 50, 300, {0, 0, 0, 255})), 1);
    innerMask.clipDepth = 2;
    masked.tag(innerMask).place(b.define(square(0, 200, 100, 300, {0, 0, 0, 255})), 2).showFrame();
    swfwrite::TimelineBuilder showing;
    showing.place(b.define(square(250, 0, 300, 100, {0, 0, 0, 255})), 1).showFrame();
    b.tag(mask)
        .tag(placed(b.define(squareButton(b, 0, 0, 100, 100)), 2, "under"))
        .tag(placed(b.define(holder.sprite()), 3, "holder"))
        .tag(placed(b.define(showing.sprite()), 4, "window"))
        .tag(placed(b.define(masked.sprite()), 5, "clip"));
    Assembler script;
    script.getVar("window").push({integer(1)}).getVar("holder").push({str("setMask")});
    script.op(Code::CallMethod).op(Code::Pop);
    for (const char* path : {"under", "holder.inner", "clip"}) {
        saysWhenPressed(script, path);
    }
    b.doAction(frameScript(script)).showFrame();
    load(b);
    for (QPointF at : {QPointF(75, 50), QPointF(25, 50), QPointF(225, 50), QPointF(275, 50),
                       QPointF(75, 250), QPointF(25, 250)}) {
        click(at);
        player.mouseMove({500, 380});
    }
    EXPECT_THAT(take(), ElementsAre("press under", "press inner", "press clip"));
}

// A timeline's on() actions run on the timeline holding the button; a handler property runs
// on the button itself (this, _name, _target, getDepth()); SWF 6 finds the handler whatever
// its case, SWF 7 only by its exact name.
TEST_F(ButtonRules, ActionsRunOnTheHoldingTimelineAndHandlersOnTheButtonByVersion) {
    for (uint8_t version : {6, 7}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        swf::Button button = squareButton(b, 0, 0, 100, 100);
        Assembler onRelease = traceWith("on release in ", var("_target"));
        onRelease.append(traceWith("x is ", var("x")));
        button.actions = {
            swf::ButtonCondAction{bc::OverDownToOverUp, 0, frameScript(onRelease, false)}};
        swfwrite::TimelineBuilder holder;
        holder.tag(placed(b.define(button), 5, "b")).showFrame();
        b.tag(placed(b.define(holder.sprite()), 1, "holder"));
        Assembler body = traceWith("onRelease this ", var("this"));
        body.append(traceWith("name ", member("this", "_name")));
        body.append(traceWith("target ", member("this", "_target")));
        body.append(traceWith("x is ", var("x")));
        body.push({integer(0)}).getVar("this").push({str("getDepth")}).op(Code::CallMethod);
        body.push({str("depth ")}).op(Code::StackSwap).op(Code::Add2).trace();
        Assembler script;
        script.push({str("/holder:x"), str("holder's")}).op(Code::SetVariable);
        script.push({str("x"), str("root's")}).op(Code::SetVariable);
        script.getVar("holder")
            .push({str("b")})
            .op(Code::GetMember)
            .push({str("onrelease")})
            .function("", {}, body)
            .op(Code::SetMember);
        b.doAction(frameScript(script)).showFrame();
        lines.clear();
        load(b);
        click({50, 50});
        player.mouseMove({500, 380});
        if (version == 6) {
            EXPECT_THAT(take(), ElementsAre("on release in /holder", "x is holder's",
                                            "onRelease this _level0.holder.b", "name b",
                                            "target /holder/b", "x is root's", "depth -16379"));
        } else {
            EXPECT_THAT(take(), ElementsAre("on release in /holder", "x is holder's"));
        }
    }
}

// A button placed in the states of another is drawn above the outer button's shapes and takes
// the mouse where its own hit area lies, even past the outer one's hit area; the outer button
// keeps the rest of its area. The inner button's actions run on the clip holding the outer
// one, and the inner instance outlives the outer button's change of state.
TEST_F(ButtonRules, AButtonInsideAButtonsStateTakesTheMouseOverItsHolder) {
    for (uint8_t version : {5, 8}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        swf::Button inner = squareButton(b, 0, 0, 40, 40);
        inner.actions = {swf::ButtonCondAction{
            bc::OverDownToOverUp, 0,
            frameScript(traceWith("inner release in ", var("_target")), false)}};
        swf::Button outer = squareButton(b, 0, 0, 100, 100);
        outer.records.push_back(record(bs::Up | bs::Over | bs::Down, b.define(inner), 2));
        // Inside the outer button at (80, 80): reaching 120 px, past the outer hit area.
        outer.records.back().matrix = swf::Matrix{1, 0, 0, 1, 1600, 1600};
        outer.actions = {swf::ButtonCondAction{bc::OverDownToOverUp, 0,
                                               frameScript(say("outer release"), false)}};
        swfwrite::TimelineBuilder holder;
        holder.tag(placed(b.define(outer), 1, "outer")).showFrame();
        b.tag(placed(b.define(holder.sprite()), 1, "holder"));
        b.doAction(frameScript(Assembler{})).showFrame();
        lines.clear();
        load(b);
        for (QPointF at : {QPointF(20, 20), QPointF(90, 90), QPointF(110, 110), QPointF(50, 20)}) {
            click(at);
        }
        player.mouseMove({500, 380});
        click({150, 150});
        EXPECT_THAT(take(), ElementsAre("outer release", "inner release in /holder",
                                        "inner release in /holder", "outer release"));
    }
}

// The hand shows over a button or a clip acting as one unless its useHandCursor, its own or
// its prototype's, is false; the click works either way.
TEST_F(ButtonRules, UseHandCursorFalseKeepsTheArrowButNotTheClick) {
    swfwrite::MovieBuilder b(6);
    swfwrite::TimelineBuilder clip;
    clip.place(b.define(square(0, 0, 50, 50, {0, 0, 0, 255})), 1).showFrame();
    b.tag(placed(b.define(squareButton(b, 0, 0, 50, 50)), 1, "own"))
        .tag(placed(b.define(squareButton(b, 100, 0, 150, 50)), 2, "byProto"))
        .tag(placed(b.define(clip.sprite()), 3, "clip", swf::Matrix{1, 0, 0, 1, 4000, 0}))
        .tag(placed(b.define(squareButton(b, 300, 0, 350, 50)), 4, "plain"));
    Assembler script;
    script.getVar("own").push({str("useHandCursor"), avm1::test::boolean(false)});
    script.op(Code::SetMember);
    script.getVar("clip").push({str("useHandCursor"), avm1::test::boolean(false)});
    script.op(Code::SetMember);
    for (const char* name : {"own", "byProto", "clip", "plain"}) {
        script.getVar(name)
            .push({str("onRelease")})
            .function("", {}, say(std::string("release ") + name))
            .op(Code::SetMember);
    }
    // Button.prototype.useHandCursor = false, then plain.useHandCursor = true.
    script.getVar("Button").push({str("prototype")}).op(Code::GetMember);
    script.push({str("useHandCursor"), avm1::test::boolean(false)}).op(Code::SetMember);
    script.getVar("plain").push({str("useHandCursor"), avm1::test::boolean(true)});
    script.op(Code::SetMember);
    b.doAction(frameScript(script)).showFrame();
    load(b);
    std::vector<bool> hands;
    for (double x : {25, 125, 225, 325}) {
        player.mouseMove({x, 25});
        hands.push_back(player.wantsHandCursor());
        player.mouseDown({x, 25});
        player.mouseUp({x, 25});
    }
    EXPECT_THAT(hands, ElementsAre(false, false, false, true));
    EXPECT_THAT(take(),
                ElementsAre("release own", "release byProto", "release clip", "release plain"));
}

// The pointer resting where a button comes onto the stage rolls it over at the end of that
// frame; the timeline moving the button away from under it rolls it out. A roll-over the
// focus made is left alone until the pointer really moves.
TEST_F(ButtonRules, AButtonComingOrGoingUnderARestingPointerRollsOverOrOut) {
    swfwrite::MovieBuilder b(6);
    swf::Button button = squareButton(b, 0, 0, 100, 100);
    button.actions = {{bc::IdleToOverUp, 0, frameScript(say("rollOver"), false)},
                      {bc::OverUpToIdle, 0, frameScript(say("rollOut"), false)}};
    const uint16_t id = b.define(button);
    b.showFrame();
    b.place(id, 1).doAction(frameScript(say("frame 2"), false)).showFrame();
    b.move(1, swf::Matrix{1, 0, 0, 1, 4000, 0}).doAction(frameScript(say("frame 3"))).showFrame();
    load(b);
    player.mouseMove({50, 50});
    EXPECT_FALSE(player.wantsHandCursor());
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("frame 2", "rollOver"));
    EXPECT_TRUE(player.wantsHandCursor());
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("frame 3", "rollOut"));
    EXPECT_FALSE(player.wantsHandCursor());
    // What Tab rolled over away from the pointer stays so through frames until it moves.
    player.keyDown(vk::Tab);
    player.keyUp(vk::Tab);
    player.mouseMove({50, 50});
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("rollOver"));
    player.mouseMove({60, 60});
    EXPECT_THAT(take(), ElementsAre("rollOut"));
}

// A press whose action sends the timeline to a frame without the button: the button is gone,
// its release never comes, and the pointer rolling on raises nothing more.
TEST_F(ButtonRules, AButtonItsOwnPressTakesAwayHearsNothingMore) {
    swfwrite::MovieBuilder b(6);
    swf::Button button = squareButton(b, 0, 0, 100, 100);
    Assembler press = say("press");
    press.op(Code::NextFrame);
    button.actions = {
        swf::ButtonCondAction{bc::OverUpToOverDown, 0, frameScript(press, false)},
        swf::ButtonCondAction{bc::OverDownToOverUp | bc::OutDownToIdle | bc::OverUpToIdle, 0,
                              frameScript(say("after"), false)},
    };
    b.tag(placed(b.define(button), 1, "b")).doAction(frameScript(Assembler())).showFrame();
    b.remove(1).doAction(frameScript(say("frame 2"))).showFrame();
    load(b);
    player.mouseMove({50, 50});
    player.mouseDown({50, 50});
    player.mouseMove({60, 60});
    player.mouseUp({60, 60});
    player.mouseMove({300, 300});
    player.runFrame();
    EXPECT_THAT(take(), ElementsAre("press", "frame 2"));
    EXPECT_EQ(player.root(0)->childAt(1), nullptr);
    EXPECT_FALSE(player.wantsHandCursor());
}

}  // namespace
}  // namespace pencora::runtime
