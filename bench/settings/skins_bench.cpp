// How long a change of look takes with the main window and a 120-character table open and
// painted, the way a user sees it: the style sheet applied to every window, then one full
// repaint of both. Beside it the repaint alone in the platform's own look, so the ratio
// shows what a skin adds. Run offscreen: QT_QPA_PLATFORM=offscreen bench_skins
#include "app/tfrm_main.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "settings/settings_menu.h"
#include "settings/skins.h"

#include <benchmark/benchmark.h>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Windows {
    QTemporaryDir dir;
    pencora::ui::MessageRecorder quiet;
    Tfrm_Main frm;
    Windows() {
        QDir(dir.path()).mkpath("Data/xml");
        QString text = QStringLiteral("<hanzi>");
        for (int i = 0; i < 120; ++i) {
            text += QStringLiteral(R"(<lesson%1 Chinese="%2"/>)")
                        .arg(201 + i / 15)
                        .arg(QChar(0x4E00 + i));
        }
        QFile file(dir.filePath("Data/xml/hanzi1.xml"));
        file.open(QIODevice::WriteOnly);
        file.write((text + "</hanzi>").toUtf8());
        pencora::fs::setProgramFolder(dir.path());
        frm.resize(1280, 800);
        frm.show();
        frm.Tables->MenuItems[0]->trigger();
        frm.Tables->frm_shengzi->resize(1018, 600);
        repaint();
    }
    void repaint() {
        benchmark::DoNotOptimize(frm.grab());
        benchmark::DoNotOptimize(frm.Tables->frm_shengzi->grab());
    }
};

Windows& windows() {
    static Windows w;
    return w;
}

void BM_RepaintDefaultLook(benchmark::State& state) {
    Windows& w = windows();
    pencora::settings::applySkin(0);
    for (auto _ : state) {
        w.repaint();
    }
}
BENCHMARK(BM_RepaintDefaultLook)->Unit(benchmark::kMillisecond);

// Iceberg Classico and back, two changes per iteration, each with its repaint.
void BM_ChangeLookAndRepaint(benchmark::State& state) {
    Windows& w = windows();
    for (auto _ : state) {
        pencora::settings::applySkin(3);
        w.repaint();
        pencora::settings::applySkin(0);
        w.repaint();
    }
}
BENCHMARK(BM_ChangeLookAndRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
