// The main window's handlers of 我念你写: the start button and its voice prompt, the
// interval box, the step, the interval timer and the loudspeaker's commands. Each calls the
// dictation mode.
#include "app/tfrm_main.h"

#include "modes/dictation/tfrm_wnnx_list.h"
#include "modes/quiz/quiz_panels.h"
#include "platform/ui/error_report.h"
#include "player/flash_player.h"

#include <QComboBox>
#include <QPushButton>

void Tfrm_Main::buildDictation() {
    Dictation.build(pnl_wnnx, ImageList_Alpha.value(3));
    flash_laba = Dictation.loudspeaker();
    flash_laba->OnHandleFSCommand = [this](TsfFlashPlayer* sender, const QString& command,
                                           const QString& args) {
        flash_labaHandleFSCommand(sender, command, args);
    };

    QPushButton* start = Dictation.panel.btn_wnnx1;
    connect(start, &QPushButton::clicked, this,
            [this, start] { pencora::ui::guarded([&] { btn_wnnx1Click(start); }); });
    pencora::quiz::onMouseEnter(
        start, [this, start] { pencora::ui::guarded([&] { btn_wnnx1MouseEnter(start); }); });
    QComboBox* box = Dictation.panel.cmb_timer;
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, box] { pencora::ui::guarded([&] { cmb_timerChange(box); }); });
    connect(tim_tx, &QTimer::timeout, this,
            [this] { pencora::ui::guarded([this] { tim_txTimer(tim_tx); }); });
}

void Tfrm_Main::setWordListWindow(Tfrm_wnnx_list* list) {
    frm_wnnx_list = list;
    Dictation.attachWordList(list);
}

void Tfrm_Main::btn_wnnxshow() {
    Dictation.layOut();
}

void Tfrm_Main::btn_wnnx1Click(QObject* /*Sender*/) {
    Dictation.start();
}

void Tfrm_Main::btn_wnnx1MouseEnter(QObject* /*Sender*/) {
    Dictation.startPrompt();
}

void Tfrm_Main::cmb_timerChange(QObject* /*Sender*/) {
    Dictation.chooseInterval();
}

void Tfrm_Main::tingxie() {
    Dictation.step();
}

void Tfrm_Main::tim_txTimer(QObject* /*Sender*/) {
    tingxie();
}

void Tfrm_Main::flash_labaHandleFSCommand(TsfFlashPlayer* /*ASender*/, const QString& command,
                                          const QString& /*args*/) {
    Dictation.command(command);
}
