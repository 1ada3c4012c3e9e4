// Replacing the movie of a layer again and again must not leave script objects behind: a
// player that loads lesson after lesson would otherwise grow without bound. What the old
// movie's intervals and listeners reach lives on with them, and nothing else.
#include <gtest/gtest.h>

#include "../avm1/postfix.h"
#include "scripted_player.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::postfix;
using test::done;

using ReloadMemory = test::ScriptedPlayerTest;

size_t liveObjects(Player& player) {
    return static_cast<ScriptHost&>(player.actionRunner()).machine().heap().objectCount();
}

// obj[name] = function () { trace(text); }
Assembler traceOn(const std::string& obj, const std::string& name, const std::string& text) {
    Assembler a = postfix("@" + obj + " '" + name + "'");
    a.function("", {}, postfix("'" + text + "' Trace"));
    return a.op(swf::ActionCode::SetMember);
}

TEST_F(ReloadMemory, ReplacingALayersMovieLeavesNoScriptObjectsBehind) {
    for (const char* script : {"1 >a", "10 10 0 0 2 't' @_root :createTextField/6 Pop",
                               "1 'c' @_root :createEmptyMovieClip/2 Pop"}) {
        swfwrite::MovieBuilder b(8);
        b.doAction(done(avm1::test::postfix(script))).showFrame();
        std::weak_ptr<DisplayObject> firstRoot;
        size_t settled = 0;
        for (int load = 0; load < 40; ++load) {
            play(b, 3);
            if (load == 0) {
                firstRoot = player.sharedOf(root());
            }
            if (load == 10) {
                settled = liveObjects(player);
            }
        }
        EXPECT_TRUE(firstRoot.expired()) << script;
        EXPECT_LE(liveObjects(player), settled + 4) << script;
    }
}

TEST(ReloadMemoryOfTimers, IntervalsAndListenersOutliveTheirMovieHoldingOnlyWhatTheyReach) {
    for (uint8_t version : {6, 8}) {
        SCOPED_TRACE(int(version));
        Player player;
        test::Traces traces;
        player.setEvents(&traces);
        player.setActionRunner(std::make_unique<ScriptHost>(player));
        auto play = [&player](const swfwrite::MovieBuilder& b) {
            player.load(0, test::share(b));
            player.runFrame();
            player.runFrame();
        };
        // A child clip holds 300 objects nothing else reaches; an interval calls keep.tick and
        // a key listener hears keys.
        Assembler a = postfix(
            "1 'c' @_root :createEmptyMovieClip/2 Pop @c 'junk' new:Array/0 SetMember "
            "new:Object/0 >keep new:Object/0 >l");
        a.repeat("i", 300, postfix("new:Object/0 @c .junk :push/1 Pop"));
        a.append(traceOn("keep", "tick", "tick")).append(traceOn("l", "onKeyDown", "key"));
        a.append(postfix("10 'tick' @keep setInterval/3 Pop @l @Key :addListener/1 Pop"));
        swfwrite::MovieBuilder first(version);
        first.doAction(done(a.op(swf::ActionCode::Stop))).showFrame();
        swfwrite::MovieBuilder empty(version);
        empty.doAction(done(postfix("1 >nothing"))).showFrame();
        play(empty);
        const size_t emptyMovie = liveObjects(player);
        play(first);
        EXPECT_GT(liveObjects(player), emptyMovie + 300);
        for (int load = 0; load < 3; ++load) {
            play(empty);
        }
        // What the interval and the listener reach lives on (the old root, keep, l and their
        // functions); the child clip and its objects have gone.
        EXPECT_LT(liveObjects(player), emptyMovie + 20);
        traces.lines.clear();
        static_cast<ScriptHost&>(player.actionRunner()).advanceClock(10);
        player.keyDown(65, u'a');
        player.keyUp(65);
        EXPECT_EQ(traces.lines, (std::vector<std::string>{"tick", "key"}));
    }
}

}  // namespace
}  // namespace pencora::runtime
