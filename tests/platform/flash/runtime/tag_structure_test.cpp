// Movies as writers other than the authoring tool leave them: frame counts that disagree with
// the frames a timeline holds, init actions that share a sprite, name none or come late,
// placements of characters that are no display objects and placements by the first tag.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/swfwrite/encode.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::null;
using avm1::test::reg;
using avm1::test::str;
using testing::ElementsAre;
using testing::ElementsAreArray;
using Code = swf::ActionCode;

// Property indices GetProperty takes.
constexpr int kCurrentFrame = 4;
constexpr int kTotalFrames = 5;
constexpr int kFramesLoaded = 12;

swf::Bytes ended(Assembler a) {
    return a.op(Code::End).bytes;
}

// trace(getProperty(target, index)), in a form SWF 4 reads as well.
Assembler traceProperty(const std::string& target, int index) {
    Assembler a;
    return a.push({str(target), integer(index)}).op(Code::GetProperty).trace();
}

Assembler say(const std::string& text) {
    Assembler a;
    return a.push({str(text)}).trace();
}

struct TagStructure : testing::Test {
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine;

    std::vector<std::string> run(const swf::Bytes& file, int ticks) {
        engine = createSwfMovieEngine();
        engine->setHost(&host);
        host.lines.clear();
        EXPECT_TRUE(engine->loadMovie(0, file, u"test.swf", {}));
        for (int i = 0; i < ticks; ++i) {
            engine->runFrame();
        }
        std::vector<std::string> lines;
        for (const auto& l : host.lines) {
            lines.push_back(QString::fromStdU16String(l).toStdString());
        }
        return lines;
    }

    // The movie with its header declaring `declared` frames, whatever it holds.
    static swf::Bytes declaring(const swfwrite::MovieBuilder& b, uint16_t declared) {
        swf::Movie m = b.build();
        m.header.frameCount = declared;
        return swfwrite::writeMovie(m);
    }
};

// The header's and a sprite's frame count are what _totalframes reads, and _framesloaded never
// goes past them; the frames held are played, looped and reached by gotos all the same.
TEST_F(TagStructure, DeclaredFrameCountsAreReadButTheFramesHeldArePlayed) {
    for (uint8_t version : {4, 5, 6, 8, 10}) {
        SCOPED_TRACE(int(version));
        {
            // Declares five, holds two: plays both and loops.
            swfwrite::MovieBuilder b(version);
            Assembler first = traceProperty("", kTotalFrames);
            first.append(traceProperty("", kFramesLoaded));
            b.doAction(ended(first)).showFrame();
            b.doAction(ended(traceProperty("", kCurrentFrame))).showFrame();
            EXPECT_THAT(run(declaring(b, 5), 4), ElementsAre("5", "2", "2", "5", "2", "2"));
        }
        {
            // Declares one, holds three: every frame plays, then the first again.
            swfwrite::MovieBuilder b(version);
            Assembler first = traceProperty("", kTotalFrames);
            first.append(traceProperty("", kFramesLoaded));
            b.doAction(ended(first)).showFrame();
            b.doAction(ended(say("two"))).showFrame();
            b.doAction(ended(traceProperty("", kCurrentFrame))).showFrame();
            EXPECT_THAT(run(declaring(b, 1), 4), ElementsAre("1", "1", "two", "3", "1", "1"));
        }
        {
            // A goto by number reaches a held frame past the declared count.
            swfwrite::MovieBuilder b(version);
            Assembler go;
            go.record(Code::GotoFrame, {2, 0}).op(Code::Stop);
            b.doAction(ended(go)).showFrame().showFrame();
            b.doAction(ended(traceProperty("", kCurrentFrame))).showFrame();
            EXPECT_THAT(run(declaring(b, 1), 2), ElementsAre("3"));
        }
        {
            // Sprites: one declaring five and holding two, one declaring one and holding three.
            swfwrite::MovieBuilder b(version);
            swfwrite::TimelineBuilder shortOne;
            shortOne.showFrame().showFrame();
            swf::Sprite s = shortOne.sprite();
            s.frameCount = 5;
            swfwrite::TimelineBuilder longOne;
            longOne.showFrame().showFrame();
            longOne.doAction(ended(say("third frame of t"))).showFrame();
            swf::Sprite t = longOne.sprite();
            t.frameCount = 1;
            swf::PlaceObject ps;
            ps.characterId = b.define(s);
            ps.depth = 1;
            ps.name = "s";
            swf::PlaceObject pt;
            pt.characterId = b.define(t);
            pt.depth = 2;
            pt.name = "t";
            b.place(ps).place(pt);
            Assembler a;
            for (const char* target : {"/s", "/t"}) {
                a.append(traceProperty(target, kTotalFrames))
                    .append(traceProperty(target, kFramesLoaded));
            }
            b.doAction(ended(a.op(Code::Stop))).showFrame();
            EXPECT_THAT(run(b.write(), 3), ElementsAre("5", "2", "1", "1", "third frame of t"));
        }
    }
}

// Each DoInitAction tag runs once, before the DoAction tags of its frame: two naming one
// sprite both run, one naming no sprite runs, one in a later frame runs when that frame first
// plays; frames played again run their DoAction tags, in file order, and no init action again.
TEST_F(TagStructure, InitActionsRunOnceEachWhateverSpriteTheyName) {
    for (uint8_t version : {6, 7, 8, 10}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        swfwrite::TimelineBuilder inner;
        inner.showFrame();
        const uint16_t sprite = b.define(inner.sprite());
        b.tag(swf::DoInitAction{999, ended(say("init of no sprite"))});
        b.tag(swf::DoInitAction{sprite, ended(say("init a"))});
        b.doAction(ended(say("frame 1 a")));
        b.tag(swf::DoInitAction{sprite, ended(say("init b"))});
        b.doAction(ended(say("frame 1 b"))).showFrame();
        Assembler back = say("frame 2");
        back.record(Code::GotoFrame, {0, 0}).op(Code::Stop);
        b.doAction(ended(back));
        b.tag(swf::DoInitAction{sprite, ended(say("init in frame 2"))});
        b.showFrame();
        EXPECT_THAT(
            run(b.write(), 3),
            ElementsAreArray({"init of no sprite", "init a", "init b", "frame 1 a", "frame 1 b",
                              "init in frame 2", "frame 2", "frame 1 a", "frame 1 b"}));
    }
}

Assembler goToLabel(const std::string& label) {
    Assembler a;
    std::vector<uint8_t> name(label.begin(), label.end());
    name.push_back(0);
    return a.record(Code::GoToLabel, name);
}

// A label given to two frames, or twice to one, leads to the first frame holding it, in any
// case; a named anchor is a label like any other; a label nowhere leaves the playhead going on.
TEST_F(TagStructure, LabelsGivenTwiceLeadToTheFirstFrameHoldingThem) {
    for (uint8_t version : {4, 5, 6, 7, 8, 10}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        b.doAction(ended(say("f1"))).showFrame();
        b.label("twice").tag(swf::FrameLabel{"mark", version >= 6});
        b.label("twice").doAction(ended(say("f2"))).showFrame();
        Assembler third = say("f3");
        third.append(goToLabel("nowhere"));
        b.label("TWICE").doAction(ended(third)).showFrame();
        Assembler fourth = say("f4");
        fourth.append(goToLabel("Twice"));
        b.doAction(ended(fourth)).showFrame();
        // f3's goto goes nowhere; f4's goes back to f2 and stops there.
        EXPECT_THAT(run(b.write(), 7), ElementsAre("f1", "f2", "f3", "f4", "f2"));

        swfwrite::MovieBuilder toAnchor(version);
        Assembler go = say("first");
        go.append(goToLabel("MARK")).op(Code::Stop);
        toAnchor.doAction(ended(go)).showFrame().showFrame();
        toAnchor.tag(swf::FrameLabel{"mark", version >= 6}).doAction(ended(say("marked")));
        toAnchor.showFrame();
        EXPECT_THAT(run(toAnchor.write(), 2), ElementsAre("first", "marked"));
    }
}

// The display list as hand-written tag streams drive it: a placement onto an occupied depth
// without the move flag leaves the first object, fonts, sounds and characters never defined
// place nothing, a move onto an empty depth makes nothing, and RemoveObject empties its depth
// whatever character it names.
TEST_F(TagStructure, PlacementsThatShowNothingLeaveTheirDepthsEmpty) {
    for (uint8_t version : {5, 6, 8, 10}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        swfwrite::TimelineBuilder inner;
        inner.showFrame();
        const uint16_t clip = b.define(inner.sprite());
        swf::Font font;
        font.name = "Hand";
        const uint16_t fontId = b.define(font);
        const uint16_t soundId = b.define(test::constantSound(1000, 441));
        auto place = [&](uint16_t id, uint16_t depth, const char* name) {
            swf::PlaceObject p;
            p.characterId = id;
            p.depth = depth;
            p.name = name;
            b.place(p);
        };
        place(clip, 1, "first");
        place(clip, 1, "second");
        place(fontId, 2, "font");
        place(soundId, 3, "noise");
        place(4321, 4, "ghost");
        swf::PlaceObject moveOnly;
        moveOnly.move = true;
        moveOnly.depth = 5;
        moveOnly.name = "moved";
        b.place(moveOnly);
        Assembler names;
        for (const char* name : {"first", "second", "font", "noise", "ghost", "moved"}) {
            names.getVar(name).trace();
        }
        b.doAction(ended(names)).showFrame();
        swf::RemoveObject remove;
        remove.version = 1;
        remove.characterId = 4321;
        remove.depth = 1;
        b.tag(remove);
        Assembler after;
        after.getVar("first").trace().op(Code::Stop);
        b.doAction(ended(after)).showFrame();
        EXPECT_THAT(
            run(b.write(), 2),
            ElementsAre("Warning: Failed to place object at depth 1.", "_level0.first", "undefined",
                        "undefined", "undefined", "undefined", "undefined", "undefined"));
    }
}

// for (k in this) trace(k + " " + ra + " " + bb) of each clip's Color transform: what the
// placements without names left on the timeline.
Assembler traceColoursOfTheClips() {
    Assembler body;
    body.push({reg(0)}).op(Code::GetVariable).storeRegister(1).op(Code::Pop);
    body.push({reg(1), integer(1), str("Color")}).op(Code::NewObject);
    body.push({integer(0)}).op(Code::StackSwap).push({str("getTransform")});
    body.op(Code::CallMethod).storeRegister(2).op(Code::Pop);
    body.push({reg(2), str("ra")}).op(Code::GetMember).push({str(" ")}).op(Code::Add2);
    body.push({reg(2), str("bb")}).op(Code::GetMember).op(Code::Add2).trace();
    Assembler loop;
    loop.storeRegister(0).push({null()}).op(Code::Equals2);
    loop.branch(Code::If, int16_t(body.bytes.size() + 5)).append(body);
    loop.branch(Code::Jump, int16_t(-int(loop.bytes.size() + 5)));
    Assembler as;
    as.push({str("this")}).op(Code::GetVariable).op(Code::Enumerate2).append(loop);
    return as;
}

// The first PlaceObject takes a colour transform when its tag has bytes left after the
// matrix, and none otherwise; the clips it places get names of their own.
TEST_F(TagStructure, PlaceObjectOneTakesAColourTransformWhenItHasOne) {
    for (uint8_t version : {5, 7, 8}) {
        SCOPED_TRACE(int(version));
        swfwrite::MovieBuilder b(version);
        swfwrite::TimelineBuilder inner;
        inner.showFrame();
        const uint16_t clip = b.define(inner.sprite());
        for (uint16_t depth : {3, 4}) {
            swf::PlaceObject p;
            p.version = 1;
            p.characterId = clip;
            p.depth = depth;
            p.matrix = swf::Matrix{};
            if (depth == 3) {
                swf::ColorTransform c;
                c.rMult = 128;
                c.bAdd = 10;
                p.colorTransform = c;
            }
            b.place(p);
        }
        b.doAction(ended(traceColoursOfTheClips())).showFrame();
        std::vector<std::string> lines = run(b.write(), 1);
        std::sort(lines.begin(), lines.end());
        EXPECT_THAT(lines, ElementsAre("100 0", "50 10"));
    }
}

// Versions past 10 run by the rules of 10 (names keep their case, undefined is no number,
// shifts are unsigned); a version of 0 by the rules of the earliest movies that run scripts.
TEST_F(TagStructure, VersionsPastTenRunAsTenAndZeroAsTheEarliest) {
    Assembler a;
    a.push({str("X"), str("upper")}).op(Code::SetVariable).push({str("x")});
    a.op(Code::GetVariable).trace();
    a.push({avm1::test::undef(), integer(1)}).op(Code::Add2).trace();
    a.push({integer(-1), integer(0)}).op(Code::BitURShift).trace();
    for (uint8_t version : {10, 11, 15, 40, 255}) {
        swfwrite::MovieBuilder b(version);
        b.doAction(ended(a)).showFrame();
        EXPECT_THAT(run(b.write(), 1), ElementsAre("undefined", "NaN", "4294967295"))
            << int(version);
    }
    swfwrite::MovieBuilder b(0);
    b.doAction(ended(a)).showFrame();
    EXPECT_THAT(run(b.write(), 1), ElementsAre("upper", "1", "-1"));
}

}  // namespace
}  // namespace pencora::runtime
