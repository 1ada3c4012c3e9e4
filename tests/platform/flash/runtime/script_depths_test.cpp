// Depths as scripts see them: getInstanceAtDepth for numbers no depth can be, shapes that
// have no script object, a new clip taking an occupied depth, and getNextHighestDepth
// counting only what lies at depth 0 and above.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;

struct ScriptDepths : testing::Test {
    Player player;
    ScriptHost* host = nullptr;

    ScriptDepths() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
        // The timeline holds a shape at depth 1 and a clip at depth 2 (script depths -16383
        // and -16382).
        swfwrite::MovieBuilder b;
        const uint16_t shape = b.define(test::square(0, 0, 10, 10, {0, 0, 255, 255}));
        swfwrite::TimelineBuilder sprite;
        sprite.showFrame();
        const uint16_t clip = b.define(sprite.sprite());
        b.place(shape, 1).place(clip, 2).showFrame();
        player.load(0, test::share(b));
        player.runFrame();
    }
    avm1::Machine& m() { return host->machine(); }
    Object* root() { return host->scriptObject(*player.root(0)); }
    Value call(Object* o, const char* method, std::vector<Value> args = {}) {
        return m().callMethod(o, QString::fromLatin1(method), std::move(args), 8).value;
    }
    Value at(Value depth) { return call(root(), "getInstanceAtDepth", {depth}); }
};

TEST_F(ScriptDepths, GetInstanceAtDepthAnswersOnlyForDepthsThatCanBe) {
    Object* a = call(root(), "createEmptyMovieClip", {"a", 5}).object();
    ASSERT_TRUE(a);
    EXPECT_EQ(at(5).object(), a);
    EXPECT_EQ(at(5.9).object(), a) << "the fraction goes";
    EXPECT_EQ(at("5").object(), a);
    const double inf = std::numeric_limits<double>::infinity();
    for (double d : {1e20, -1e20, inf, -inf, std::nan(""), 2147483647.0, -2147483649.0}) {
        EXPECT_TRUE(at(d).isUndefined()) << d;
    }
    EXPECT_TRUE(at(Value()).isUndefined());
    EXPECT_TRUE(call(root(), "getInstanceAtDepth", {}).isUndefined());

    // A shape has no script object; the timeline's clip has one.
    EXPECT_TRUE(at(-16383).isUndefined());
    Object* timelineClip = at(-16382).object();
    ASSERT_TRUE(timelineClip);
    EXPECT_EQ(m().toString(m().get(timelineClip, "_name")), "instance1");
}

TEST_F(ScriptDepths, ANewClipTakesAnOccupiedDepthAndTheNextHighestCountsFromZero) {
    EXPECT_EQ(m().toNumber(call(root(), "getNextHighestDepth")), 0)
        << "the timeline's depths lie below the scripts' zero";
    Object* x = call(root(), "createEmptyMovieClip", {"x", 3}).object();
    EXPECT_EQ(m().toNumber(call(root(), "getNextHighestDepth")), 4);
    Object* y = call(root(), "createEmptyMovieClip", {"y", 3}).object();
    ASSERT_TRUE(x && y);
    EXPECT_FALSE(host->displayOf(x)) << "what held the depth is gone";
    EXPECT_EQ(at(3).object(), y);
    EXPECT_TRUE(m().get(root(), "x").isUndefined());

    // Moved below zero, the clip no longer counts.
    call(y, "swapDepths", {-100});
    EXPECT_EQ(m().toNumber(call(root(), "getNextHighestDepth")), 0);
    EXPECT_EQ(at(-100).object(), y);
    EXPECT_TRUE(at(3).isUndefined());

    // duplicateMovieClip onto its own depth replaces the source by the copy.
    Object* copy = call(y, "duplicateMovieClip", {"copy", -100}).object();
    ASSERT_TRUE(copy);
    EXPECT_FALSE(host->displayOf(y));
    EXPECT_EQ(at(-100).object(), copy);
}

}  // namespace
}  // namespace pencora::runtime
