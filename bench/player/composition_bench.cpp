// Frame composition cost of a 1280 x 720 player: one paint with no dirty rectangle, one with a
// small (40 x 40) dirty rectangle, against the floor of one plain copy of the frame. The
// control is the tests' scripted stand-in, whose drawing is a 20 x 20 square, so the figures
// are the host's own cost.
#include <benchmark/benchmark.h>
#include <QApplication>

#include "player/flash_player.h"
#include "scripted_control.h"

namespace {

using namespace pencora;

struct App {
    App() {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "bench_player";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
};

struct Host : App {
    Host() {
        panel.resize(1300, 740);
        player = std::make_unique<player::TsfFlashPlayer>(&panel);
        player->SetBounds(0, 0, 1280, 720);
    }
    player::testing::ControlScript script;
    player::testing::ScriptedControlRegistration registration{script};
    QWidget panel;
    std::unique_ptr<player::TsfFlashPlayer> player;
};

Host& host() {
    static Host h;
    return h;
}

void BM_PaintWholeFrame(benchmark::State& state) {
    auto& p = *host().player;
    for (auto _ : state) {
        p.Paint(nullptr);
        benchmark::DoNotOptimize(p.GrabCurrentFrame2()->bits());
    }
}
BENCHMARK(BM_PaintWholeFrame);

void BM_PaintDirtyRect40(benchmark::State& state) {
    auto& p = *host().player;
    const ole::RECT dirty{10, 10, 50, 50};
    for (auto _ : state) {
        p.Paint(&dirty);
        benchmark::DoNotOptimize(p.GrabCurrentFrame2()->bits());
    }
}
BENCHMARK(BM_PaintDirtyRect40);

// The floor: one plain copy of a 1280 x 720 frame.
void BM_PlainFrameCopy(benchmark::State& state) {
    player::TsfBitmap a, b;
    a.SetSize(1280, 720);
    b.SetSize(1280, 720);
    for (auto _ : state) {
        a.Draw(b, 0, 0);
        benchmark::DoNotOptimize(b.bits());
    }
}
BENCHMARK(BM_PlainFrameCopy);

}  // namespace

BENCHMARK_MAIN();
