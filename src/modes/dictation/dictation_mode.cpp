#include "modes/dictation/dictation_mode.h"

#include "modes/dictation/dictation_layout.h"
#include "modes/dictation/dictation_step.h"
#include "modes/dictation/intervals.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "platform/ui/message_service.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace pencora::dictation {

namespace {

constexpr size_t kCueSlot = 0;

}  // namespace

DictationMode::DictationMode() {
    tim_tx.setObjectName(QStringLiteral("tim_tx"));
    tim_tx.setInterval(interval_);
}

void DictationMode::build(QWidget* pnl_wnnx, QWidget* loudspeaker, const QIcon& startImage) {
    panel = buildDictationPanel(pnl_wnnx, loudspeaker, startImage);
}

void DictationMode::attachWordList(Tfrm_wnnx_list* list, StudyState& state) {
    frm_wnnx_list = list;
    if (list == nullptr) {
        return;
    }
    list->state = &state;
    list->sound = sound;
    list->closed = [this] {
        tim_tx.stop();
        if (frame.window) {
            frame.window->show();
        }
    };
}

bool DictationMode::running() const {
    return running_ && panel.pnl_wnnx_main && !panel.pnl_wnnx_main->isHidden() &&
           !panel.pnl_wnnx->isHidden();
}

void DictationMode::layOut() {
    if (!panel.pnl_wnnx_main->isHidden()) {
        // It fills the panel, also when the panel changed size while it was hidden.
        panel.pnl_wnnx_main->setGeometry(panel.pnl_wnnx->rect());
        panel.flash_laba->move(
            loudspeakerPlace(panel.pnl_wnnx_main->size(), panel.flash_laba->size(),
                             panel.lbl_wnnx_state->height(), panel.prog_In->height()));
        return;
    }
    const StartLayout place = layOutStart(panel.pnl_wnnx->size(), panel.btn_wnnx1->size(),
                                          panel.cmb_timer->width(), panel.lbl_timer->width());
    panel.btn_wnnx1->move(place.button);
    panel.cmb_timer->move(place.intervalBoxLeft, panel.cmb_timer->y());
    panel.lbl_timer->move(place.intervalCaptionLeft, panel.lbl_timer->y());
}

void DictationMode::start(StudyState& state) {
    state.CurrentIndex = 0;
    running_ = true;
    panel.pnl_wnnx_main->show();
    layOut();
    step(state);
    // A lesson as short as one entry has ended in that first step.
    if (running_) {
        startTimer();
    }
}

void DictationMode::startPrompt(StudyState& state) {
    if (frame.voicePromptsOn && frame.voicePromptsOn()) {
        sound.play(state.ChannelSlots[kCueSlot], QStringLiteral("Data\\sndsoft\\") + kStartPrompt);
    }
}

void DictationMode::chooseInterval() {
    interval_ = intervalForItem(panel.cmb_timer->currentIndex());
    if (interval_ > 0) {
        tim_tx.setInterval(interval_);
    } else {
        tim_tx.stop();
    }
}

void DictationMode::startTimer() {
    // An interval of 0 never ticks: the timer stays off and the next button steps.
    if (interval_ > 0) {
        tim_tx.start(interval_);
    }
}

void DictationMode::step(StudyState& state) {
    const auto taken = takeStep(state);
    if (!taken) {
        return;
    }
    sound.play(state.ChannelSlots[kCueSlot], taken->sound);
    panel.prog_In->setValue(taken->percent);
    panel.lbl_wnnx_state->setText(taken->progress);
    if (taken->ended) {
        end(state);
    }
}

void DictationMode::command(StudyState& state, const QString& command) {
    const auto which = labaCommand(command);
    if (!which) {
        return;
    }
    if (*which == LabaCommand::ReadAgain) {
        uint32_t& slot = state.ChannelSlots[kCueSlot];
        if (const auto last = lastReadEntry(state)) {
            sound.play(slot, entrySound(state.CurrentPinyin.value(*last)));
        } else {
            sound.stop(slot);
        }
        return;
    }
    // A press that arrives after the dictation has ended (or before one started) reads
    // nothing.
    if (!running()) {
        return;
    }
    const bool onTimer = tim_tx.isActive();
    tim_tx.stop();
    step(state);
    if (onTimer && running_) {
        startTimer();
    }
}

void DictationMode::end(StudyState& state) {
    tim_tx.stop();
    running_ = false;
    state.CurrentIndex = 0;
    // The last entry goes on sounding under the notice.
    ui::showInformation(frame.window, kEndTitle, kEndText);
    if (frm_wnnx_list && frame.window) {
        frm_wnnx_list->placeOver(frame.window->geometry());
        frm_wnnx_list->show();
    }
    showStartView();
    if (frame.window) {
        frame.window->hide();
    }
}

void DictationMode::showStartView() {
    if (frame.showDictationPanel) {
        frame.showDictationPanel();
    }
    panel.pnl_wnnx_main->hide();
    panel.pnl_wnnx->show();
    layOut();
}

}  // namespace pencora::dictation
