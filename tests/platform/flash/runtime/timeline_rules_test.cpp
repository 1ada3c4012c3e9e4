// The edges of timeline control: gotos past either end, gotos to the frame already shown,
// labels, what a forward goto folds away, what a backward goto and a loop restore, and the
// depth rules of move and remove tags.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::Actions;
using test::at;
using test::square;
using testing::ElementsAre;
using testing::IsEmpty;

const swf::Rgba kGreen{0, 160, 0, 255};

struct TimelineRules : testing::Test, test::RecordedPlayer {
    // Frames that say "f1", "f2" ... and stop on the first.
    static void sayingFrames(swfwrite::TimelineBuilder& t, int frames, bool stopFirst = true) {
        for (int f = 1; f <= frames; ++f) {
            Actions a;
            a.say("f" + std::to_string(f));
            if (f == 1 && stopFirst) {
                a.stop();
            }
            t.doAction(a.end()).showFrame();
        }
    }
    std::vector<std::string> afterGoto(int frame, bool play) {
        player.gotoFrame(root(), frame, play);
        player.runQueuedActions();
        return events.take();
    }
};

TEST_F(TimelineRules, GotosPastEitherEndAndToTheFrameShown) {
    swfwrite::MovieBuilder b;
    sayingFrames(b, 3);
    load(b);
    EXPECT_THAT(events.take(), ElementsAre("f1"));

    // Past the last frame: the last frame.
    EXPECT_THAT(afterGoto(99, false), ElementsAre("f3"));
    EXPECT_EQ(root().frame, 2);
    // Before the first: nothing happens, not even the play state changes.
    EXPECT_THAT(afterGoto(-1, true), IsEmpty());
    EXPECT_EQ(root().frame, 2);
    EXPECT_FALSE(root().playing);
    // To the frame shown: its actions do not run again, but the play state is set.
    EXPECT_THAT(afterGoto(2, true), IsEmpty());
    EXPECT_TRUE(root().playing);
    EXPECT_THAT(afterGoto(2, false), IsEmpty());
    EXPECT_FALSE(root().playing);
    // Backward by one runs that frame's actions once.
    EXPECT_THAT(afterGoto(1, false), ElementsAre("f2"));
}

TEST_F(TimelineRules, NextAndPrevFrameStopAtTheEnds) {
    swfwrite::MovieBuilder b;
    sayingFrames(b, 2);
    load(b);
    events.take();
    root().playing = true;
    player.prevFrame(root());
    player.runQueuedActions();
    EXPECT_THAT(events.take(), IsEmpty()) << "nothing comes before the first frame";
    EXPECT_FALSE(root().playing);
    EXPECT_EQ(root().frame, 0);

    player.nextFrame(root());
    player.runQueuedActions();
    EXPECT_THAT(events.take(), ElementsAre("f2"));
    root().playing = true;
    player.nextFrame(root());
    player.runQueuedActions();
    EXPECT_THAT(events.take(), IsEmpty()) << "nextFrame does not wrap round";
    EXPECT_EQ(root().frame, 1);
    EXPECT_FALSE(root().playing);

    // Stopped, a tick leaves the frame alone.
    player.runFrame();
    EXPECT_THAT(events.take(), IsEmpty());
}

TEST_F(TimelineRules, LabelsMatchWithoutCaseAndTheCurrentOneReachesBack) {
    swfwrite::MovieBuilder b;
    b.doAction(Actions().stop().end()).showFrame();
    b.label("Intro").doAction(Actions().say("intro").end()).showFrame();
    b.doAction(Actions().say("middle").end()).showFrame();
    b.label("End").doAction(Actions().say("end").end()).showFrame();
    load(b);
    EXPECT_EQ(player.currentLabel(root()), "") << "no label on or before the first frame";
    EXPECT_EQ(player.labelFrame(root(), "INTRO"), 1);
    EXPECT_EQ(player.labelFrame(root(), "intro"), 1);
    EXPECT_EQ(player.labelFrame(root(), "Intr"), std::nullopt);

    EXPECT_FALSE(player.gotoLabel(root(), "nowhere", true));
    EXPECT_FALSE(root().playing) << "a missing label changes nothing";
    EXPECT_EQ(root().frame, 0);

    ASSERT_TRUE(player.gotoLabel(root(), "end", false));
    player.runQueuedActions();
    EXPECT_EQ(root().frame, 3);
    EXPECT_EQ(player.currentLabel(root()), "End");
    player.prevFrame(root());
    EXPECT_EQ(player.currentLabel(root()), "Intro") << "the nearest label before the frame";
    player.runQueuedActions();
    EXPECT_THAT(events.take(), ElementsAre("end", "middle"));
}

TEST_F(TimelineRules, ForwardGotoFoldsPlacementsAndMovesOfTheSkippedFrames) {
    swfwrite::MovieBuilder b;
    const uint16_t green = b.define(square(0, 0, 10, 10, kGreen));
    swfwrite::TimelineBuilder kid;
    kid.doAction(Actions().say("kid").end()).showFrame();
    const uint16_t kidId = b.define(kid.sprite());
    b.place(green, 1, at(1, 0)).doAction(Actions().stop().end()).showFrame();
    // Frame 2: a clip that frame 3 removes again, and a move.
    b.place(kidId, 2).move(1, at(2, 0)).showFrame();
    swf::PlaceObject tint;
    tint.move = true;
    tint.depth = 1;
    tint.colorTransform = swf::ColorTransform{};
    tint.colorTransform->rMult = 128;
    tint.ratio = 7;
    b.remove(2).tag(tint).showFrame();
    // Frame 4: the last placement of depth 1 moves it once more; an unnamed clip comes.
    b.move(1, at(4, 0)).place(kidId, 3).showFrame();
    load(b);
    const uint64_t shapeSerial = root().childAt(1)->serial;

    player.gotoFrame(root(), 3, false);
    player.runQueuedActions();
    // The clip of frames 2 and 3 never existed: it ran nothing and took no instance number.
    EXPECT_THAT(events.take(), ElementsAre("kid"));
    EXPECT_EQ(root().childAt(2), nullptr);
    ASSERT_NE(root().childAt(3), nullptr);
    EXPECT_EQ(root().childAt(3)->name, QStringLiteral("instance1"));
    // The shape is the same object with every change of the frames it skipped.
    DisplayObject* shape = root().childAt(1);
    EXPECT_EQ(shape->serial, shapeSerial);
    EXPECT_EQ(shape->matrix.tx, 80);
    EXPECT_EQ(shape->colorTransform.rMult, 128);
    EXPECT_EQ(shape->ratio, 7);
}

TEST_F(TimelineRules, BackwardGotoPutsAKeptObjectBackAsItsFrameHadIt) {
    swfwrite::MovieBuilder b;
    const uint16_t green = b.define(square(0, 0, 10, 10, kGreen));
    swf::PlaceObject first;
    first.depth = 1;
    first.characterId = green;
    first.matrix = at(5, 5);
    first.name = "box";
    b.place(first).doAction(Actions().stop().end()).showFrame();
    swf::PlaceObject change;
    change.move = true;
    change.depth = 1;
    change.matrix = at(50, 5);
    change.colorTransform = swf::ColorTransform{};
    change.colorTransform->gAdd = 20;
    change.ratio = 3;
    b.tag(change).showFrame();
    load(b);
    player.gotoFrame(root(), 1, false);
    DisplayObject* box = root().childAt(1);
    const uint64_t serial = box->serial;
    EXPECT_EQ(box->colorTransform.gAdd, 20);
    // A script's changes count for nothing either: the frame's placement comes back whole.
    box->matrix.tx = 9999;
    box->name = QStringLiteral("renamed");

    player.gotoFrame(root(), 0, false);
    ASSERT_EQ(root().childAt(1), box);
    EXPECT_EQ(box->serial, serial);
    EXPECT_EQ(box->matrix.tx, 100);
    EXPECT_EQ(box->colorTransform.gAdd, 0);
    EXPECT_EQ(box->ratio, 0);
    EXPECT_EQ(box->name, QStringLiteral("box"));
}

TEST_F(TimelineRules, LoopingRemovesWhatLaterFramesPlacedAndKeepsTheRest) {
    swfwrite::MovieBuilder b;
    const uint16_t green = b.define(square(0, 0, 10, 10, kGreen));
    b.place(green, 1).doAction(Actions().say("f1").end()).showFrame();
    b.place(green, 2).move(1, at(30, 0)).showFrame();
    b.showFrame();
    load(b);
    const uint64_t first = root().childAt(1)->serial;
    player.runFrame();
    player.runFrame();
    ASSERT_NE(root().childAt(2), nullptr);
    events.take();

    player.runFrame();
    EXPECT_EQ(root().frame, 0);
    EXPECT_THAT(events.take(), ElementsAre("f1"));
    EXPECT_EQ(root().childAt(2), nullptr);
    ASSERT_NE(root().childAt(1), nullptr);
    EXPECT_EQ(root().childAt(1)->serial, first);
    EXPECT_EQ(root().childAt(1)->matrix.tx, 0) << "back at the first frame's placement";
}

TEST_F(TimelineRules, OneFrameClipsRunTheirFrameOnceAndSpritesLoopOnTheirOwn) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder once;
    once.doAction(Actions().say("once").end()).showFrame();
    const uint16_t onceId = b.define(once.sprite());
    swfwrite::TimelineBuilder twice;
    twice.doAction(Actions().say("a").end()).showFrame();
    twice.doAction(Actions().say("b").end()).showFrame();
    const uint16_t twiceId = b.define(twice.sprite());
    b.place(onceId, 1).place(twiceId, 2).doAction(Actions().stop().end()).showFrame();
    b.showFrame();
    load(b);
    for (int i = 0; i < 4; ++i) {
        player.runFrame();
    }
    EXPECT_THAT(events.take(), ElementsAre("once", "a", "b", "a", "b", "a"));
    EXPECT_EQ(root().frame, 0) << "the stopped root holds while its clips play";
}

TEST_F(TimelineRules, MovesAndRemovesOfEmptyDepthsChangeNothing) {
    swfwrite::MovieBuilder b;
    const uint16_t green = b.define(square(0, 0, 10, 10, kGreen));
    b.place(green, 2).showFrame();
    b.move(1, at(10, 10)).remove(3).move(2, at(7, 0)).showFrame();
    b.doAction(Actions().stop().end()).showFrame();
    load(b);
    player.runFrame();
    EXPECT_EQ(root().childAt(1), nullptr) << "a move does not place";
    EXPECT_EQ(root().children.size(), 1u);
    EXPECT_EQ(root().childAt(2)->matrix.tx, 140);

    // A move tag leaves alone a clip that a script moved to its depth.
    root().childAt(2)->fromTimeline = false;
    root().childAt(2)->matrix.tx = 0;
    player.gotoFrame(root(), 0, false);
    player.gotoFrame(root(), 1, false);
    EXPECT_EQ(root().childAt(2)->matrix.tx, 0);
}

TEST_F(TimelineRules, RemovingAClipTakesItsChildrenAndSkipsItsQueuedActions) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder leaf;
    leaf.doAction(Actions().say("leaf").end()).showFrame().showFrame();
    const uint16_t leafId = b.define(leaf.sprite());
    swfwrite::TimelineBuilder branch;
    branch.place(leafId, 1).showFrame().showFrame();
    const uint16_t branchId = b.define(branch.sprite());
    b.place(branchId, 1).showFrame();
    b.remove(1).doAction(Actions().say("root2").stop().end()).showFrame();
    load(b);
    EXPECT_THAT(events.take(), ElementsAre("leaf"));
    DisplayObject* branchClip = root().childAt(1);
    ASSERT_NE(branchClip, nullptr);
    std::shared_ptr<DisplayObject> heldLeaf = player.sharedOf(*branchClip->childAt(1));
    ASSERT_TRUE(heldLeaf);

    // The leaf's queued block from an earlier call finds no clip and does not run.
    player.queueActions(*heldLeaf, player.decoded(*root().movie, Actions().say("late").end()));
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("root2"));
    EXPECT_EQ(root().childAt(1), nullptr);
    EXPECT_FALSE(player.onList(*heldLeaf));
}

TEST_F(TimelineRules, CallFrameRunsAnotherFramesActionsWithoutMoving) {
    swfwrite::MovieBuilder b;
    sayingFrames(b, 3);
    load(b);
    events.take();
    player.callFrame(root(), 2);
    player.callFrame(root(), 7);  // no such frame
    EXPECT_THAT(events.take(), ElementsAre("f3"));
    EXPECT_EQ(root().frame, 0);
}

TEST_F(TimelineRules, LayersLoadOnTheNextTickAndUnloadAtOnce) {
    swfwrite::MovieBuilder main;
    main.doAction(Actions().say("main").end()).showFrame().showFrame();
    swfwrite::MovieBuilder other;
    other.doAction(Actions().say("other").stop().end()).showFrame();
    load(main);
    player.load(3, test::share(other));
    EXPECT_EQ(player.root(3)->frame, -1) << "nothing runs until the tick";
    EXPECT_THAT(player.layers(), ElementsAre(0, 3));
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("main", "other"));

    // Loading into a layer replaces its movie.
    player.load(3, test::share(main));
    player.runFrame();
    EXPECT_THAT(events.take(), ElementsAre("main", "main"));
    player.unload(3);
    EXPECT_EQ(player.root(3), nullptr);
    EXPECT_THAT(player.layers(), ElementsAre(0));
    player.unload(5);  // never loaded
    player.load(2, nullptr);
    EXPECT_THAT(player.layers(), ElementsAre(0));
}

}  // namespace
}  // namespace pencora::runtime
