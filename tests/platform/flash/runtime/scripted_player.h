// A player with the script host and a trace sink, for tests of scripts against the clips
// they name: movies built with the writer, frames run one by one, traces collected.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../avm1/assembler.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime::test {

struct Traces : PlayerEvents {
    std::vector<std::string> lines;
    void trace(const QString& line) override { lines.push_back(line.toStdString()); }
};

using avm1::test::done;

struct ScriptedPlayerTest : testing::Test {
    Player player;
    Traces traces;
    ScriptedPlayerTest() {
        player.setEvents(&traces);
        player.setActionRunner(std::make_unique<ScriptHost>(player));
    }
    DisplayObject& root() { return *player.root(0); }
    void play(const swfwrite::MovieBuilder& b, int frames) {
        player.load(0, share(b));
        for (int i = 0; i < frames; ++i) {
            player.runFrame();
        }
    }
    // A sprite of one frame running `script`.
    static uint16_t spriteWith(swfwrite::MovieBuilder& b, avm1::test::Assembler script) {
        swfwrite::TimelineBuilder t;
        t.doAction(done(std::move(script))).showFrame();
        return b.define(t.sprite());
    }
};

}  // namespace pencora::runtime::test
