// A movie whose script never ends is stopped after the time its ScriptLimits tag allows, and
// the movie plays on.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/flash/avm1/limits.h"

namespace pencora::runtime {
namespace {

using test::Actions;

TEST(ScriptLimits, EndlessFrameScriptStopsAndTheNextFramePlays) {
    swfwrite::MovieBuilder b(8);
    b.movie().scriptTimeoutSeconds = 1;
    Actions spin;
    spin.bytes = {0x99, 2, 0, 0xFB, 0xFF};  // Jump -5: to itself
    spin.say("after the loop");
    b.doAction(spin.end()).showFrame();
    b.doAction(Actions().say("frame2").stop().end()).showFrame();
    test::EngineFixture f;
    ASSERT_TRUE(f.load(b, 2));
    ASSERT_EQ(f.host.commands.size(), 1u);
    EXPECT_EQ(f.host.commands[0].first, u"frame2");
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
