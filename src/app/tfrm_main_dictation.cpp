// The main window's handlers of 我念你写: the start button and its voice prompt, the
// interval box, the step, the interval timer and the loudspeaker's commands. Each calls the
// dictation mode.
#include "app/tfrm_main.h"

#include "modes/dictation/tfrm_wnnx_list.h"
#include "modes/quiz/quiz_panels.h"
#include "platform/ui/error_report.h"
#include "player/flash_player.h"

#include <QComboBox>
#include <QToolButton>

void Tfrm_Main::buildDictation() {
    Dictation.build(pnl_wnnx, flash_laba, ImageList_Alpha.value(3));
    Dictation.frame.window = this;
    Dictation.frame.voicePromptsOn = [this] { return voicePromptsOn(); };
    Dictation.frame.showDictationPanel = [this] {
        for (QWidget* other : {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby, pnlrszc}) {
            other->hide();
        }
        pnl_wnnx->show();
    };

    QToolButton* start = Dictation.panel.btn_wnnx1;
    connect(start, &QToolButton::clicked, this,
            [this, start] { pencora::ui::guarded([&] { btn_wnnx1Click(start); }); });
    pencora::quiz::onMouseEnter(
        start, [this, start] { pencora::ui::guarded([&] { btn_wnnx1MouseEnter(start); }); });
    QComboBox* box = Dictation.panel.cmb_timer;
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, box] { pencora::ui::guarded([&] { cmb_timerChange(box); }); });
    connect(tim_tx, &QTimer::timeout, this,
            [this] { pencora::ui::guarded([this] { tim_txTimer(tim_tx); }); });
    setResizeHook(pnl_wnnx, [](Tfrm_Main& frm) { frm.btn_wnnxshow(); });
}

void Tfrm_Main::setWordListWindow(Tfrm_wnnx_list* list) {
    frm_wnnx_list = list;
    Dictation.attachWordList(list, State);
}

void Tfrm_Main::btn_wnnxshow() {
    Dictation.layOut();
}

void Tfrm_Main::btn_wnnx1Click(QObject* /*Sender*/) {
    Dictation.start(State);
}

void Tfrm_Main::btn_wnnx1MouseEnter(QObject* /*Sender*/) {
    Dictation.startPrompt(State);
}

void Tfrm_Main::cmb_timerChange(QObject* /*Sender*/) {
    Dictation.chooseInterval();
}

void Tfrm_Main::tingxie() {
    Dictation.step(State);
}

void Tfrm_Main::tim_txTimer(QObject* /*Sender*/) {
    tingxie();
}

void Tfrm_Main::flash_labaHandleFSCommand(TsfFlashPlayer* /*ASender*/, const QString& command,
                                          const QString& /*args*/) {
    Dictation.command(State, command);
}
