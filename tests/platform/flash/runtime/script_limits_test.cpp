// A movie whose script never ends is stopped after the time its ScriptLimits tag allows; its
// scripts then stay stopped while its timeline plays on.
#include <gtest/gtest.h>

#include <chrono>

#include "engine_fixture.h"
#include "platform/flash/avm1/limits.h"

namespace pencora::runtime {
namespace {

using test::Actions;

// A looping movie whose frame script hangs costs the time limit once: after that its scripts
// stay stopped (frame scripts and those the host calls) while its timeline plays on, until
// the host loads a movie again.
TEST(ScriptLimits, AfterTheTimeLimitTheMovieRunsNoMoreScriptsUntilLoadedAgain) {
    swfwrite::MovieBuilder b(8);
    b.movie().scriptTimeoutSeconds = 1;
    Actions spin;
    spin.say("frame1");
    spin.bytes.insert(spin.bytes.end(), {0x99, 2, 0, 0xFB, 0xFF});  // Jump -5: to itself
    b.doAction(spin.end()).showFrame();
    b.doAction(Actions().say("frame2").end()).showFrame();
    test::EngineFixture f;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(f.load(b, 6));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 1.9) << "the hanging script ran more than once";
    ASSERT_EQ(f.host.commands.size(), 1u);
    EXPECT_EQ(f.host.commands[0].first, u"frame1");
    const auto before = f.engine->currentFrame(u"/");
    f.engine->runFrame();
    EXPECT_NE(f.engine->currentFrame(u"/"), before);  // the timeline goes on
    f.engine->advanceClock(1000);
    EXPECT_EQ(f.engine->callFrame(u"/", 2), true);
    EXPECT_EQ(f.host.commands.size(), 1u);

    swfwrite::MovieBuilder next(8);
    next.doAction(Actions().say("fresh").stop().end()).showFrame();
    ASSERT_TRUE(f.load(next, 1));
    ASSERT_EQ(f.host.commands.size(), 2u);
    EXPECT_EQ(f.host.commands[1].first, u"fresh");
}

TEST(ScriptLimits, MoviesMayLowerTheLimitsAndRaiseOnlyTheTime) {
    using avm1::limitsAskedByMovie;
    avm1::ScriptLimits base;
    base.maxActions = 1000;  // what the embedder set stays
    EXPECT_EQ(limitsAskedByMovie(base, 0, 0).maxDepth, 256);
    EXPECT_EQ(limitsAskedByMovie(base, 0, 0).seconds, 15);
    EXPECT_EQ(limitsAskedByMovie(base, 32, 5).maxDepth, 32);
    EXPECT_EQ(limitsAskedByMovie(base, 32, 5).seconds, 5);
    // A deeper stack than the machine is built for, or an hour-long script, is not granted.
    EXPECT_EQ(limitsAskedByMovie(base, 60000, 3600).maxDepth, 256);
    EXPECT_EQ(limitsAskedByMovie(base, 60000, 3600).seconds, 60);
    EXPECT_EQ(limitsAskedByMovie(base, 32, 5).maxActions, 1000u);
    // A movie's lower limits do not stay for the next movie that asks for none.
    avm1::ScriptLimits lowered = limitsAskedByMovie(base, 8, 2);
    EXPECT_EQ(limitsAskedByMovie(lowered, 0, 0).maxDepth, 256);
}

}  // namespace
}  // namespace pencora::runtime
