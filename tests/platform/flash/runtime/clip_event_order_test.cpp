// The order of clip events, handler methods and frame scripts within one tick.
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
using testing::ElementsAre;

Assembler says(const std::string& text) {
    return std::move(Assembler().push({str(text)}).trace());
}

// path.handler = function () { body }
Assembler handler(const std::string& path, const std::string& name, const Assembler& body) {
    Assembler as;
    as.getVar(path).push({str(name)}).function("", {}, body).op(Code::SetMember);
    return as;
}

// path.method(), its result dropped.
Assembler call(const std::string& path, const std::string& method) {
    Assembler as;
    as.push({integer(0)}).getVar(path).push({str(method)}).op(Code::CallMethod).op(Code::Pop);
    return as;
}

swf::PlaceObject withClipEvents(uint16_t id, uint16_t depth, const std::string& name,
                                uint32_t events) {
    swf::PlaceObject p;
    p.characterId = id;
    p.depth = depth;
    p.name = name;
    p.allClipEvents = events;
    for (uint32_t e :
         {swf::clip_event::Load, swf::clip_event::EnterFrame, swf::clip_event::Unload}) {
        if (events & e) {
            const char* what = e == swf::clip_event::Load         ? " load"
                               : e == swf::clip_event::EnterFrame ? " enterFrame"
                                                                  : " unload";
            p.clipActions.push_back({e, 0, done(says(name + what))});
        }
    }
    return p;
}

struct ClipEventOrder : testing::Test {
    Player player;
    struct Traces : PlayerEvents {
        std::vector<std::string> lines;
        void trace(const QString& line) override { lines.push_back(line.toStdString()); }
    } traces;
    ClipEventOrder() {
        player.setActionRunner(std::make_unique<ScriptHost>(player));
        player.setEvents(&traces);
    }
    DisplayObject& root() { return *player.root(0); }
    std::vector<std::string> start(const swfwrite::MovieBuilder& b) {
        player.load(0, test::share(b));
        return next();
    }
    std::vector<std::string> next() {
        player.runFrame();
        return std::exchange(traces.lines, {});
    }
    // A sprite whose frames trace "<name> frame <n>".
    static uint16_t tracingSprite(swfwrite::MovieBuilder& b, const std::string& name, int frames) {
        swfwrite::TimelineBuilder t;
        for (int f = 1; f <= frames; ++f) {
            t.doAction(done(says(name + " frame " + std::to_string(f)))).showFrame();
        }
        return b.define(t.sprite());
    }
};

// Each clip in its turn, newest first: its onClipEvent(enterFrame) blocks, its onEnterFrame
// method, then its frame's actions; so a method set by a newer clip's script runs this tick.
TEST_F(ClipEventOrder, EnterFrameHandlersOfBothKindsRunInTheClipsTurn) {
    for (uint8_t version : {6, 7, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t a = tracingSprite(b, "a", 3);
        const uint16_t c = tracingSprite(b, "c", 3);
        constexpr uint32_t kEvents = swf::clip_event::Load | swf::clip_event::EnterFrame;
        b.place(withClipEvents(a, 1, "a", kEvents)).place(withClipEvents(c, 2, "c", kEvents));
        Assembler first = says("root frame 1");
        first.append(handler("c", "onEnterFrame", says("c onEnterFrame")));
        b.doAction(done(first)).showFrame();
        // c's second frame gives a its method, which a's turn then calls.
        b.doAction(done(says("root frame 2"))).showFrame();
        b.doAction(done(says("root frame 3").op(Code::Stop))).showFrame();
        swf::Movie movie = b.build();
        auto& cFrames = std::get<swf::Sprite>(movie.dictionary.at(c)).timeline.frames;
        Assembler give = says("c frame 2");
        give.append(handler("_root.a", "onEnterFrame", says("a onEnterFrame")));
        std::get<swf::DoAction>(cFrames[1].tags.front()).actions = done(give);
        player.load(0, std::make_shared<const swf::Movie>(std::move(movie)));
        EXPECT_THAT(next(),
                    ElementsAre("a frame 1", "c frame 1", "root frame 1", "a load", "c load"))
            << int(version);
        EXPECT_THAT(next(),
                    ElementsAre("c enterFrame", "c onEnterFrame", "c frame 2", "a enterFrame",
                                "a onEnterFrame", "a frame 2", "root frame 2"))
            << int(version);
    }
}

// A clip that removes itself from its onEnterFrame runs no more of its frames, whether or not
// it has unload handlers still to run; the rest of the handler finishes.
TEST_F(ClipEventOrder, AClipRemovedInItsEnterFrameSkipsItsFrame) {
    for (bool withUnload : {false, true}) {
        swfwrite::MovieBuilder b(8);
        const uint16_t x = tracingSprite(b, "x", 3);
        b.tag(swf::ExportAssets{{{x, "x"}}});
        Assembler first;
        first.push({integer(5), str("x"), str("x"), integer(3), str("_root")});
        first.op(Code::GetVariable).push({str("attachMovie")}).op(Code::CallMethod).op(Code::Pop);
        Assembler tick = says("x onEnterFrame");
        tick.append(call("this", "removeMovieClip")).append(says("after remove"));
        first.append(handler("x", "onEnterFrame", tick));
        if (withUnload) {
            first.append(handler("x", "onUnload", says("x onUnload")));
        }
        b.doAction(done(first)).showFrame();
        b.doAction(done(says("root frame 2"))).showFrame();
        b.doAction(done(says("root frame 3").op(Code::Stop))).showFrame();
        EXPECT_THAT(start(b), ElementsAre("x frame 1"));
        const std::vector<std::string> removed = next();
        if (withUnload) {
            EXPECT_THAT(removed, ElementsAre("x onEnterFrame", "after remove", "root frame 2",
                                             "x onUnload"));
        } else {
            EXPECT_THAT(removed, ElementsAre("x onEnterFrame", "after remove", "root frame 2"));
        }
        EXPECT_THAT(next(), ElementsAre("root frame 3"));
    }
}

// Nested timeline clips in every version with clip events: the first frame in tag order with
// each placed clip's load after the actions of the frame that placed it; then newest first; a
// clip the timeline removes hears unload after the tick's actions and runs none of its own in
// that tick, though it queued them before its parent's frame removed it.
TEST_F(ClipEventOrder, NestedTimelineClipsLoadTickAndUnloadInTurn) {
    constexpr uint32_t kEvents =
        swf::clip_event::Load | swf::clip_event::EnterFrame | swf::clip_event::Unload;
    for (uint8_t version : {5, 6, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t inner = tracingSprite(b, "inner", 2);
        swfwrite::TimelineBuilder o;
        o.place(withClipEvents(inner, 1, "inner", kEvents));
        o.doAction(done(says("outer frame 1"))).showFrame();
        o.doAction(done(says("outer frame 2"))).showFrame();
        o.remove(1).doAction(done(says("outer frame 3"))).showFrame();
        const uint16_t outer = b.define(o.sprite());
        b.doAction(done(says("root frame 1 before")));
        b.place(withClipEvents(outer, 1, "outer", kEvents));
        b.doAction(done(says("root frame 1"))).showFrame();
        b.doAction(done(says("root frame 2"))).showFrame();
        b.doAction(done(says("root frame 3"))).showFrame();
        b.remove(1).doAction(done(says("root frame 4").op(Code::Stop))).showFrame();
        EXPECT_THAT(start(b), ElementsAre("root frame 1 before", "inner frame 1", "outer frame 1",
                                          "inner load", "root frame 1", "outer load"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre("inner enterFrame", "inner frame 2", "outer enterFrame",
                                        "outer frame 2", "root frame 2"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre("outer enterFrame", "outer frame 3", "root frame 3",
                                        "inner unload"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre("root frame 4", "outer unload")) << int(version);
    }
}

// A clip's enterFrame sends its parent back before the frame that placed it: the handler runs
// to its end, the clip goes (unload last) without running its next frame, and the parent runs
// the frame it had reached and then the one it went back to.
TEST_F(ClipEventOrder, AGotoFromAnEventThatRemovesTheCallerLetsItFinish) {
    swfwrite::MovieBuilder b(6);
    const uint16_t k = tracingSprite(b, "k", 2);
    swf::PlaceObject p = withClipEvents(k, 1, "k", swf::clip_event::Load | swf::clip_event::Unload);
    Assembler back = says("k enterFrame");
    back.push({integer(1), integer(1), str("_parent")}).op(Code::GetVariable);
    back.push({str("gotoAndStop")}).op(Code::CallMethod).op(Code::Pop);
    back.append(says("k enterFrame end"));
    p.clipActions.push_back({swf::clip_event::EnterFrame, 0, done(back)});
    p.allClipEvents |= swf::clip_event::EnterFrame;
    b.doAction(done(says("root frame 1"))).showFrame();
    b.place(p).doAction(done(says("root frame 2"))).showFrame();
    b.doAction(done(says("root frame 3"))).showFrame();
    EXPECT_THAT(start(b), ElementsAre("root frame 1"));
    EXPECT_THAT(next(), ElementsAre("k frame 1", "root frame 2", "k load"));
    EXPECT_THAT(next(), ElementsAre("k enterFrame", "k enterFrame end", "root frame 3",
                                    "root frame 1", "k unload"));
    EXPECT_THAT(next(), ElementsAre());
    EXPECT_EQ(root().frame, 0);
    EXPECT_EQ(root().childAt(1), nullptr);
}

// A forward goto from a frame script: a clip placed in a skipped frame hears load like any
// placed clip; one placed and removed within the skipped frames never exists, so hears nothing.
// Back from the last frame with prevFrame, the target frame's script runs after the one that
// asked.
TEST_F(ClipEventOrder, AForwardGotoLoadsOnlyTheClipsThatSurviveTheSkippedFrames) {
    constexpr uint32_t kEvents =
        swf::clip_event::Load | swf::clip_event::Unload | swf::clip_event::EnterFrame;
    for (uint8_t version : {5, 8}) {
        swfwrite::MovieBuilder b(version);
        const uint16_t k = tracingSprite(b, "k", 2);
        const uint16_t m = tracingSprite(b, "m", 2);
        Assembler first = says("root 1");
        first.push({integer(4), integer(1), str("_root")}).op(Code::GetVariable);
        first.push({str("gotoAndStop")}).op(Code::CallMethod).op(Code::Pop);
        first.append(says("root 1 end"));
        b.doAction(done(first)).showFrame();
        b.place(withClipEvents(k, 1, "k", kEvents)).doAction(done(says("root 2"))).showFrame();
        b.place(withClipEvents(m, 2, "m", kEvents)).doAction(done(says("root 3"))).showFrame();
        b.remove(2).doAction(done(says("root 4"))).showFrame();
        b.doAction(done(says("root 5").append(call("_root", "prevFrame")))).showFrame();
        EXPECT_THAT(start(b), ElementsAre("root 1", "root 1 end", "k frame 1", "k load", "root 4"))
            << int(version);
        EXPECT_THAT(next(), ElementsAre("k enterFrame", "k frame 2")) << int(version);
        player.gotoFrame(root(), 4, true);
        player.runQueuedActions();
        EXPECT_THAT(std::exchange(traces.lines, {}), ElementsAre("root 5", "root 4"))
            << int(version);
        EXPECT_FALSE(root().playing) << int(version);
    }
}

}  // namespace
}  // namespace pencora::runtime
