#include "modes/dictation/dictation_mode.h"

#include "modes/dictation/dictation_layout.h"
#include "modes/dictation/dictation_step.h"
#include "modes/dictation/intervals.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "player/flash_player.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace pencora::dictation {

namespace {

using modes::kCueSlot;

}  // namespace

DictationMode::DictationMode(modes::ModeContext& context) : context_(context) {
    tim_tx.setObjectName(QStringLiteral("tim_tx"));
    tim_tx.setInterval(interval_);
}

void DictationMode::build(QWidget* pnl_wnnx, const QIcon& startImage) {
    const auto makePlayer = [this](QWidget* parent) -> QWidget* {
        return context_.createMoviePlayer(parent, QStringLiteral("flash_laba"));
    };
    panel = buildDictationPanel(pnl_wnnx, makePlayer, startImage);
}

player::TsfFlashPlayer* DictationMode::loudspeaker() const {
    return static_cast<player::TsfFlashPlayer*>(panel.flash_laba);
}

void DictationMode::attachWordList(Tfrm_wnnx_list* list) {
    frm_wnnx_list_ = list;
    if (list == nullptr) {
        return;
    }
    list->attach(context_, [this] {
        tim_tx.stop();
        context_.frameWindow()->show();
    });
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

void DictationMode::start() {
    StudyState& state = context_.studyState();
    state.CurrentIndex = 0;
    running_ = true;
    panel.pnl_wnnx_main->show();
    layOut();
    step();
    // A lesson as short as one entry has ended in that first step.
    if (running_) {
        startTimer();
    }
}

void DictationMode::startPrompt() {
    if (context_.voicePromptsOn()) {
        context_.play_file(kCueSlot, QStringLiteral("Data\\sndsoft\\") + kStartPrompt);
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

void DictationMode::step() {
    const auto taken = takeStep(context_.studyState());
    if (!taken) {
        return;
    }
    context_.play_file(kCueSlot, taken->sound);
    panel.prog_In->setValue(taken->percent);
    panel.lbl_wnnx_state->setText(taken->progress);
    if (taken->ended) {
        end();
    }
}

void DictationMode::command(const QString& command) {
    const StudyState& state = context_.studyState();
    const auto which = labaCommand(command);
    if (!which) {
        return;
    }
    if (*which == LabaCommand::ReadAgain) {
        if (const auto last = lastReadEntry(state)) {
            context_.play_file(kCueSlot, entrySound(state.CurrentPinyin.value(*last)));
        } else {
            context_.freeChannel(kCueSlot);
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
    step();
    if (onTimer && running_) {
        startTimer();
    }
}

void DictationMode::end() {
    tim_tx.stop();
    running_ = false;
    context_.studyState().CurrentIndex = 0;
    // The last entry goes on sounding under the notice.
    context_.showMessage(ui::MessageIcon::Information, kEndTitle, kEndText);
    QWidget* window = context_.frameWindow();
    if (frm_wnnx_list_) {
        frm_wnnx_list_->placeOver(window->geometry());
        frm_wnnx_list_->show();
    }
    context_.showOnlyPanel(panel.pnl_wnnx);
    showStartView();
    layOut();
    window->hide();
}

void DictationMode::showStartView() {
    panel.pnl_wnnx_main->hide();
}

}  // namespace pencora::dictation
