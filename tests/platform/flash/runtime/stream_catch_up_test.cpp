// A timeline that falls behind the movie's clock while its stream sound plays skips frames
// (runs them at once, drawing only the last) to keep the picture with the sound; without a
// stream, or while the stream's timeline is stopped, the movie just plays late.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

constexpr int kRate = 44100;

// Twenty frames at 10 a second, each with 100 ms of stream sound when `withStream`, the last
// frame stopping the timeline.
swfwrite::MovieBuilder tenFramesASecond(int version, bool withStream) {
    swfwrite::MovieBuilder b(uint8_t(version), 550, 400, 10);
    if (withStream) {
        b.tag(test::pcmStreamHead(kRate / 10));
    }
    for (int frame = 0; frame < 20; ++frame) {
        if (withStream) {
            swf::SoundStreamBlock block;
            block.data.assign(size_t(2 * kRate / 10), 0x10);
            b.tag(block);
        }
        b.showFrame();
    }
    return b;
}

struct StreamCatchUp : testing::Test, test::EngineFixture {
    int frame() { return engine->currentFrame(u"/").value_or(-1); }
    // One tick as the control runs it, the clock having moved on by `milliseconds`.
    void tick(double milliseconds) {
        engine->runFrame();
        engine->advanceClock(milliseconds);
    }
};

TEST_F(StreamCatchUp, ATimelineBehindItsStreamSkipsFramesAndOneWithoutNone) {
    for (int version : {5, 6, 7, 8}) {
        for (bool withStream : {true, false}) {
            SCOPED_TRACE(testing::Message() << version << (withStream ? " stream" : " silent"));
            ASSERT_TRUE(load(tenFramesASecond(version, withStream)));
            engine->advanceClock(100);
            EXPECT_EQ(frame(), 0) << "a tick on time owes nothing";
            tick(100);
            EXPECT_EQ(frame(), 1);
            // Drawing took 350 ms: two frames more are due, and the next 50 ms carry over.
            tick(350);
            EXPECT_EQ(frame(), withStream ? 4 : 2);
            tick(150);
            EXPECT_EQ(frame(), withStream ? 6 : 3);
            // A tick that comes early is credited against the next late one, never more than
            // a frame's worth.
            tick(20);
            tick(500);
            EXPECT_EQ(frame(), withStream ? 11 : 5);
        }
    }
}

TEST_F(StreamCatchUp, AStoppedTimelineSkipsNothingUntilItPlaysAgain) {
    ASSERT_TRUE(load(tenFramesASecond(8, true)));
    engine->advanceClock(100);
    tick(100);
    EXPECT_EQ(frame(), 1);
    engine->stop(u"/");
    tick(100);
    tick(300);
    EXPECT_EQ(frame(), 1) << "a stopped timeline's stream owes no frames";
    engine->play(u"/");
    tick(300);
    EXPECT_EQ(frame(), 4);
}

}  // namespace
}  // namespace pencora::runtime
