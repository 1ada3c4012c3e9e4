// The order in which one tick and a goto run the frames of nested clips, what a rewind keeps,
// when a timeline stops instead of looping, and how target paths are read against a small
// display list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::Actions;
using testing::ElementsAre;

struct ExecutionOrderTest : testing::Test, test::RecordedPlayer {
    void load(swf::Movie movie) {
        player.load(0, std::make_shared<const swf::Movie>(std::move(movie)));
        player.runFrame();
    }
    // A sprite that says "<name><frame>" on each of its `frames` frames.
    static uint16_t sayingSprite(swfwrite::MovieBuilder& b, const std::string& name, int frames) {
        swfwrite::TimelineBuilder t;
        for (int f = 1; f <= frames; ++f) {
            t.doAction(Actions().say(name + std::to_string(f)).end()).showFrame();
        }
        return b.define(t.sprite());
    }
};

TEST_F(ExecutionOrderTest, AfterTheFirstFrameNewerClipsRunBeforeOlderOnes) {
    swfwrite::MovieBuilder b;
    const uint16_t a = sayingSprite(b, "a", 2);
    const uint16_t c = sayingSprite(b, "c", 2);
    swfwrite::TimelineBuilder outer;
    outer.place(c, 1).doAction(Actions().say("outer1").end()).showFrame();
    outer.doAction(Actions().say("outer2").stop().end()).showFrame();
    const uint16_t outerId = b.define(outer.sprite());
    b.doAction(Actions().say("root1").end()).place(a, 1).place(outerId, 2).showFrame();
    b.doAction(Actions().say("root2").stop().end()).showFrame();
    load(b.build());
    // The first frame runs in tag order: a script before a placement runs before the placed
    // clip's first frame, one after it after.
    EXPECT_THAT(events.take(), ElementsAre("root1", "a1", "c1", "outer1"));

    player.runFrame();
    // Then the newest clip first, the root last; a child before the parent that placed it.
    EXPECT_THAT(events.take(), ElementsAre("c2", "outer2", "a2", "root2"));
}

TEST_F(ExecutionOrderTest, GotoPlacesSkippedClipsInTagOrderBeforeTheTargetFramesScript) {
    swfwrite::MovieBuilder b;
    const uint16_t x = sayingSprite(b, "x", 1);
    const uint16_t y = sayingSprite(b, "y", 1);
    b.doAction(Actions().gotoFrame(3).end()).showFrame();
    b.place(x, 5).showFrame();
    b.place(y, 1).showFrame();
    b.doAction(Actions().say("root4").stop().end()).showFrame();
    load(b.build());
    // Depth 5 was placed first, so it runs first although depth 1 lies below it.
    EXPECT_THAT(events.take(), ElementsAre("x1", "y1", "root4"));
    EXPECT_EQ(root().frame, 3);
}

// Regression: a rewind kept an object because the same character stood at the depth, although
// a later tag had placed it; the rebuilt frame must place a fresh one that runs its first frame.
TEST_F(ExecutionOrderTest, RewindReplacesAnObjectThatALaterTagPlaced) {
    swfwrite::MovieBuilder b;
    const uint16_t kid = sayingSprite(b, "kid", 1);
    b.showFrame();
    b.place(kid, 1).showFrame();
    b.remove(1).showFrame();
    b.place(kid, 1).showFrame();
    b.doAction(Actions().gotoFrame(1).end()).showFrame();
    load(b.build());
    for (int i = 0; i < 4; ++i) {
        player.runFrame();
    }
    // Placed in frame 2, again in frame 4, and again by the rewind to frame 2.
    EXPECT_THAT(events.take(), ElementsAre("kid1", "kid1", "kid1"));
}

TEST_F(ExecutionOrderTest, ATimelineCutShortPlaysOnceAndStaysOnItsLastFrame) {
    swfwrite::MovieBuilder b;
    const uint16_t cut = sayingSprite(b, "cut", 2);
    const uint16_t whole = sayingSprite(b, "whole", 2);
    b.place(cut, 1).place(whole, 2).showFrame();
    swf::Movie movie = b.build();
    std::get<swf::Sprite>(movie.dictionary.at(cut)).timeline.complete = false;
    load(std::move(movie));
    player.runFrame();
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("cut1", "whole1", "whole2", "cut2", "whole1"));
    EXPECT_EQ(root().childAt(1)->frame, 1);
}

TEST_F(ExecutionOrderTest, ADepthHoldsOneObjectAndUnnamedClipsAreNumbered) {
    struct Traces : test::Recorder {
        void trace(const QString& line) override { log.push_back(line.toStdString()); }
    } traces;
    player.setEvents(&traces);
    swfwrite::MovieBuilder b;
    const uint16_t a = sayingSprite(b, "a", 1);
    const uint16_t c = sayingSprite(b, "c", 1);
    const uint16_t shape = b.define(test::square(0, 0, 1, 1, {0, 0, 0, 255}));
    b.place(shape, 1).place(a, 2).place(c, 2).showFrame();
    swf::PlaceObject replace;
    replace.move = true;
    replace.depth = 2;
    replace.characterId = a;
    replace.matrix = test::at(3, 0);
    b.tag(replace).showFrame();
    load(b.build());
    DisplayObject* first = root().childAt(2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->characterId, a);
    // The shape takes no number.
    EXPECT_EQ(first->name, QStringLiteral("instance1"));
    player.runFrame();
    // Replacing an object by its own character moves it and makes no new one.
    EXPECT_EQ(root().childAt(2), first);
    EXPECT_EQ(first->matrix.tx, 60);
    EXPECT_THAT(traces.take(), ElementsAre("Warning: Failed to place object at depth 2.", "a1"));
}

TEST_F(ExecutionOrderTest, TargetPathsInEverySyntax) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder inner;
    inner.showFrame();
    const uint16_t innerId = b.define(inner.sprite());
    const uint16_t shape = b.define(test::square(0, 0, 1, 1, {0, 0, 0, 255}));
    swfwrite::TimelineBuilder outer;
    swf::PlaceObject named;
    named.depth = 1;
    named.characterId = innerId;
    named.name = "b";
    outer.place(named);
    named.depth = 2;
    named.characterId = shape;
    named.name = "s";
    outer.place(named).showFrame();
    const uint16_t outerId = b.define(outer.sprite());
    named.depth = 1;
    named.characterId = outerId;
    named.name = "a";
    b.place(named).showFrame();
    load(b.build());
    DisplayObject* a = root().childAt(1);
    ASSERT_NE(a, nullptr);
    DisplayObject* ab = a->childAt(1);

    struct Row {
        const char* path;
        DisplayObject* from;
        DisplayObject* expected;
    };
    const Row rows[] = {
        {"a", &root(), a},
        {"a.b", &root(), ab},
        {"a/b", &root(), ab},
        {"/a/b", ab, ab},
        {"a:b", &root(), ab},
        {"_root.a.b", ab, ab},
        {"_level0/a/", ab, a},
        {"..", ab, a},
        {"../..", ab, &root()},
        {"../b", ab, ab},
        {"_parent._parent.a", ab, a},
        {"/", ab, &root()},
        // A named shape stands for the clip it is in.
        {"a.s", &root(), a},
        // After a slash a dot belongs to the name.
        {"/a/b.c", &root(), nullptr},
        {"a//b", &root(), nullptr},
        {"//a", &root(), nullptr},
        {"nothing", &root(), nullptr},
        {"_level7", &root(), nullptr},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(player.resolveTarget(r.from, QString::fromLatin1(r.path)), r.expected) << r.path;
    }
}

}  // namespace
}  // namespace pencora::runtime
