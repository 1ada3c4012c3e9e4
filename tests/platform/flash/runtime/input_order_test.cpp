// Who hears one key or mouse event and in what order: the clip events and methods of every
// clip, the Key and Mouse listeners, and the buttons the event presses, in each version.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::done;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using test::at;
using test::square;
using testing::ElementsAre;

namespace ce = swf::clip_event;

const swf::Rgba kGrey{153, 153, 153, 255};

Assembler say(const std::string& text) {
    Assembler a;
    a.push({str(text)}).trace();
    return a;
}
// trace(_name + suffix), in the clip running it.
Assembler sayName(const std::string& suffix) {
    Assembler a;
    a.getVar("_name").push({str(suffix)}).op(Code::Add2).trace();
    return a;
}
// target.name = function () { body }
Assembler handler(const std::string& target, const std::string& name, const Assembler& body) {
    Assembler a;
    a.getVar(target).push({str(name)}).function("", {}, body).op(Code::SetMember);
    return a;
}
// A new Object named `name` listening to `broadcaster` for the given events, each traced as
// "<name> <event>".
Assembler listener(const std::string& name, const std::string& broadcaster,
                   std::initializer_list<std::string> events) {
    Assembler a;
    a.push({str(name), integer(0), str("Object")}).op(Code::NewObject).op(Code::SetVariable);
    for (const std::string& e : events) {
        a.append(handler(name, e, say(name + " " + e)));
    }
    a.getVar(name).push({integer(1)}).getVar(broadcaster).push({str("addListener")});
    a.op(Code::CallMethod).op(Code::Pop);
    return a;
}

// A clip placed with clip events that trace "<name> <event>" for the mouse and key events.
swf::PlaceObject tracingClip(uint16_t id, uint16_t depth, const std::string& name,
                             swf::Matrix m = {}) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.matrix = m;
    for (const auto& [event, label] :
         std::initializer_list<std::pair<uint32_t, const char*>>{{ce::MouseDown, " mouseDown"},
                                                                 {ce::MouseUp, " mouseUp"},
                                                                 {ce::MouseMove, " mouseMove"},
                                                                 {ce::KeyDown, " keyDown"},
                                                                 {ce::KeyUp, " keyUp"}}) {
        p.allClipEvents |= event;
        p.clipActions.push_back({event, 0, done(sayName(label))});
    }
    return p;
}

uint16_t squareClip(swfwrite::MovieBuilder& b) {
    return test::squareClip(b, kGrey);
}

// A 40 x 40 button whose press, release and Left key trace themselves.
uint16_t tracingButton(swfwrite::MovieBuilder& b) {
    swf::Button button = test::squareButton(b, kGrey);
    namespace bc = swf::button_condition;
    button.actions.push_back({bc::OverUpToOverDown, 0, done(say("button press"))});
    button.actions.push_back({bc::OverDownToOverUp, 0, done(say("button release"))});
    button.actions.push_back({0, 1, done(say("button key left"))});
    return b.define(button);
}

// A 40 x 40 button whose press and release trace themselves as "<label> press" and
// "<label> release".
uint16_t labelledButton(swfwrite::MovieBuilder& b, const std::string& label) {
    swf::Button button = test::squareButton(b, kGrey);
    namespace bc = swf::button_condition;
    button.actions.push_back({bc::OverUpToOverDown, 0, done(say(label + " press"))});
    button.actions.push_back({bc::OverDownToOverUp, 0, done(say(label + " release"))});
    return b.define(button);
}

struct InputOrder : testing::Test, PlayerEvents {
    std::unique_ptr<Player> player;
    std::vector<std::string> lines;

    void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    // A fresh player for each movie: listeners a movie added stay with the script machine.
    void load(const swfwrite::MovieBuilder& b, int frames = 1) {
        player = std::make_unique<Player>();
        player->setEvents(this);
        player->setActionRunner(std::make_unique<ScriptHost>(*player));
        player->load(0, test::share(b));
        for (int i = 0; i < frames; ++i) {
            player->runFrame();
        }
        lines.clear();
    }
    std::vector<std::string> take() { return std::exchange(lines, {}); }
};

// Every clip hears the mouse and the keys wherever the pointer is, shown or hidden, newest first:
// "inner", placed by "holder"'s first frame, before its holder, and "holder", placed after "top",
// before it though "top" stands above it. In its turn a clip's clip events run before its
// method; the listeners come after all the clips, and the button the mouse or key presses
// last. Clip methods hear the mouse only: keys reach the method of the clip in focus.
TEST_F(InputOrder, ClipsHearInputNewestFirstThenListenersThenTheButton) {
    for (uint8_t version : {5, 6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t plain = squareClip(b);
        swfwrite::TimelineBuilder holding;
        holding.tag(tracingClip(plain, 1, "inner")).showFrame();
        const uint16_t holder = b.define(holding.sprite());
        const uint16_t button = tracingButton(b);
        Assembler s;
        for (const char* clip : {"top", "holder"}) {
            for (const char* method : {"onMouseDown", "onMouseUp", "onKeyDown"}) {
                s.append(handler(clip, method, say(std::string(clip) + " " + method)));
            }
        }
        s.append(listener("pointer", "Mouse", {"onMouseDown", "onMouseUp", "onMouseMove"}));
        s.append(listener("keys", "Key", {"onKeyDown", "onKeyUp"}));
        // Hidden, "top" hears as it did.
        s.getVar("top").push({str("_visible"), avm1::test::boolean(false)}).op(Code::SetMember);
        s.op(Code::Stop);
        b.tag(tracingClip(plain, 5, "top"))
            .tag(tracingClip(holder, 2, "holder", at(100, 0)))
            .place(button, 9, at(200, 0))
            .doAction(done(s))
            .showFrame();
        load(b);

        player->mouseMove({210, 10});
        EXPECT_THAT(take(), ElementsAre("inner mouseMove", "holder mouseMove", "top mouseMove",
                                        "pointer onMouseMove"))
            << int(version);
        player->mouseDown({210, 10});
        EXPECT_THAT(take(), ElementsAre("inner mouseDown", "holder mouseDown", "holder onMouseDown",
                                        "top mouseDown", "top onMouseDown", "pointer onMouseDown",
                                        "button press"))
            << int(version);
        player->mouseUp({210, 10});
        EXPECT_THAT(take(), ElementsAre("inner mouseUp", "holder mouseUp", "holder onMouseUp",
                                        "top mouseUp", "top onMouseUp", "pointer onMouseUp",
                                        "button release"))
            << int(version);
        player->keyDown(vk::Left);
        player->keyUp(vk::Left);
        EXPECT_THAT(take(), ElementsAre("inner keyDown", "holder keyDown", "top keyDown",
                                        "keys onKeyDown", "button key left", "inner keyUp",
                                        "holder keyUp", "top keyUp", "keys onKeyUp"))
            << int(version);
    }
}

// A clip acting as a button hears its own mouseDown (clip event, then method) and the
// listeners theirs before it is pressed, and likewise before it is released; in focus it hears
// a key through its method first, then as every clip does, then the listeners do.
TEST_F(InputOrder, AButtonLikeClipIsPressedAfterTheMouseEventsAndHearsKeysInFocusFirst) {
    for (uint8_t version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t plain = squareClip(b);
        Assembler s;
        for (const char* method :
             {"onPress", "onRelease", "onMouseDown", "onMouseUp", "onKeyDown", "onKeyUp"}) {
            s.append(handler("pad", method, say(std::string("pad ") + method)));
        }
        s.append(listener("pointer", "Mouse", {"onMouseDown", "onMouseUp"}));
        s.append(listener("keys", "Key", {"onKeyDown", "onKeyUp"}));
        s.push({str("pad")}).op(Code::GetVariable).push({integer(1)}).getVar("Selection");
        s.push({str("setFocus")}).op(Code::CallMethod).op(Code::Pop);
        s.op(Code::Stop);
        b.tag(tracingClip(plain, 1, "pad")).doAction(done(s)).showFrame();
        load(b);

        player->keyDown(vk::Left);
        player->keyUp(vk::Left);
        EXPECT_THAT(take(), ElementsAre("pad onKeyDown", "pad keyDown", "keys onKeyDown",
                                        "pad onKeyUp", "pad keyUp", "keys onKeyUp"))
            << int(version);
        player->mouseMove({10, 10});
        take();
        player->mouseDown({10, 10});
        EXPECT_THAT(take(), ElementsAre("pad mouseDown", "pad onMouseDown", "pointer onMouseDown",
                                        "pad onPress"))
            << int(version);
        player->mouseUp({10, 10});
        EXPECT_THAT(take(), ElementsAre("pad mouseUp", "pad onMouseUp", "pointer onMouseUp",
                                        "pad onRelease"))
            << int(version);
    }
}

// Which clips hear an event is settled as it comes: a clip an earlier clip's handler removes
// hears nothing, and one it makes waits for the next event, where, being newest, it is first.
TEST_F(InputOrder, ClipsRemovedOrMadeByAHandlerMissTheEventThatMadeTheChange) {
    for (uint8_t version : {5, 6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t plain = squareClip(b);
        swf::PlaceObject t;
        t.characterId = plain;
        t.depth = 1;
        t.name = "t";
        t.allClipEvents = ce::MouseDown;
        t.clipActions.push_back({ce::MouseDown, 0, done(sayName(" down"))});
        // "r", placed in the second frame, is newer than "a", the copy the first frame makes.
        swf::PlaceObject r = t;
        r.depth = 2;
        r.name = "r";
        Assembler change = sayName(" down");
        change.push({str("_root.a")}).op(Code::RemoveSprite);
        change.push({str("_root.t"), str("c"), integer(30)}).op(Code::CloneSprite);
        r.clipActions = {{ce::MouseDown, 0, done(change)}};
        Assembler copy;
        copy.push({str("t"), str("a"), integer(10)}).op(Code::CloneSprite);
        b.tag(t).doAction(done(copy)).showFrame();
        b.tag(r).doAction(done(Assembler().op(Code::Stop))).showFrame();
        load(b, 2);

        player->mouseDown({300, 300});
        EXPECT_THAT(take(), ElementsAre("r down", "t down")) << int(version);
        player->mouseUp({300, 300});
        // The copy made last time replaces itself this time, after it has heard the event.
        player->mouseDown({300, 300});
        EXPECT_THAT(take(), ElementsAre("c down", "r down", "t down")) << int(version);
    }
}

// Clips of every layer hear the mouse and the keys newest first: a movie loaded into _level1
// and then one into _level2 after _level0's clips were placed are heard before them, the
// later first. Where buttons of two layers overlap, the one drawn on top, in the higher layer,
// takes the press and the release. A dragged clip's drop target is what lies on top under the
// pointer in any layer, and a clip's shape hit test finds it wherever its layer lies.
TEST_F(InputOrder, ClipsOfEveryLayerHearNewestFirstAndTheTopButtonIsPressed) {
    for (uint8_t version : {5, 6, 7, 8}) {
        auto layerMovie = [&](const std::string& name, double x, bool withButton,
                              Assembler script = {}) {
            auto b = std::make_unique<swfwrite::MovieBuilder>(version);
            const uint16_t plain = squareClip(*b);
            b->tag(tracingClip(plain, 1, name, at(x, 0)));
            if (withButton) {
                b->place(labelledButton(*b, "button " + name), 2, at(0, 100));
            }
            b->doAction(done(script.op(Code::Stop))).showFrame();
            return b;
        };
        // Shape hit tests of clips in other layers, from _level2's script.
        Assembler hits;
        for (const auto& [clip, x] : {std::pair<const char*, int>{"_level1.one", 10},
                                      {"_level0.zero", 110},
                                      {"_level2.two", 110},
                                      {"_level0.zero", 10}}) {
            hits.push({avm1::test::boolean(true), integer(10), integer(x), integer(3)});
            hits.getVar(clip).push({str("hitTest")}).op(Code::CallMethod).trace();
        }
        load(*layerMovie("zero", 0, true));
        player->load(1, test::share(*layerMovie("one", 0, true)));
        player->load(2, test::share(*layerMovie("two", 100, false, hits)));
        player->runFrame();
        EXPECT_THAT(take(), ElementsAre("true", "false", "true", "true")) << int(version);

        player->mouseMove({10, 110});
        EXPECT_THAT(take(), ElementsAre("two mouseMove", "one mouseMove", "zero mouseMove"))
            << int(version);
        player->mouseDown({10, 110});
        EXPECT_THAT(take(), ElementsAre("two mouseDown", "one mouseDown", "zero mouseDown",
                                        "button one press"))
            << int(version);
        player->mouseUp({10, 110});
        EXPECT_THAT(take(),
                    ElementsAre("two mouseUp", "one mouseUp", "zero mouseUp", "button one release"))
            << int(version);
        player->keyDown(vk::Left);
        player->keyUp(vk::Left);
        EXPECT_THAT(take(), ElementsAre("two keyDown", "one keyDown", "zero keyDown", "two keyUp",
                                        "one keyUp", "zero keyUp"))
            << int(version);

        // _level0's clip carried over _level1's and then _level2's.
        DisplayObject* zero = player->root(0)->children.begin()->second.get();
        player->startDrag(*zero, true, std::nullopt);
        player->mouseMove({10, 10});
        ASSERT_TRUE(player->dropTarget()) << int(version);
        EXPECT_EQ(player->targetPath(*player->dropTarget(), true), "_level1/one") << int(version);
        player->mouseMove({110, 10});
        ASSERT_TRUE(player->dropTarget()) << int(version);
        EXPECT_EQ(player->targetPath(*player->dropTarget(), true), "_level2/two") << int(version);
        player->mouseMove({300, 300});
        EXPECT_FALSE(player->dropTarget()) << int(version);
        player->stopDrag();
    }
}

}  // namespace
}  // namespace pencora::runtime
