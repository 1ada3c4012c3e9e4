// The main window's handlers of the practice modes: the toolbar's five practice buttons, the
// next-question and slide-in timers, and the quiz panels' buttons. Each calls the quiz mode.
#include "app/tfrm_main.h"

#include "modes/quiz/practice_modes.h"
#include "platform/ui/error_report.h"
#include "platform/ui/message_service.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTimer>

using pencora::quiz::isShown;
using pencora::quiz::QuizKind;

namespace {

struct QuizMethods {
    void (Tfrm_Main::*caption)();
    void (Tfrm_Main::*show)();
};

QuizMethods methodsOf(QuizKind kind) {
    switch (kind) {
        case QuizKind::Tyrz:
            return {&Tfrm_Main::btn_tyrzcaption, &Tfrm_Main::btn_tyrzshow};
        case QuizKind::Kyrz:
            return {&Tfrm_Main::btn_kyrzcaption, &Tfrm_Main::btn_kyrzshow};
        case QuizKind::Kzry:
            return {&Tfrm_Main::btn_kzrycaption, &Tfrm_Main::btn_kzryshow};
        case QuizKind::Tyby:
            break;
    }
    return {&Tfrm_Main::btn_tybycaption, &Tfrm_Main::btn_tybyshow};
}

}  // namespace

void Tfrm_Main::buildQuiz() {
    Quiz.panels = pencora::quiz::buildQuizPanels(pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby);
    auto onClick = [this](QAbstractButton* button, void (Tfrm_Main::*handler)(QObject*)) {
        connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
            pencora::ui::guarded([&] { (this->*handler)(button); });
        });
    };
    auto onEnter = [this](QWidget* button, void (Tfrm_Main::*handler)(QObject*)) {
        pencora::quiz::onMouseEnter(button, [this, button, handler] {
            pencora::ui::guarded([&] { (this->*handler)(button); });
        });
    };
    for (QPushButton* b : Quiz.panels.tyrz.buttons) {
        onClick(b, &Tfrm_Main::btn_kyrz1Click);
    }
    for (QPushButton* b : Quiz.panels.kyrz.buttons) {
        onClick(b, &Tfrm_Main::btn_kyrz1Click);
    }
    for (QPushButton* b : Quiz.panels.kzry.buttons) {
        onClick(b, &Tfrm_Main::btn_kzry1Click);
    }
    for (QPushButton* b : Quiz.panels.tyby.buttons) {
        onClick(b, &Tfrm_Main::btn_tyby1Click);
    }
    onClick(Quiz.panels.tyrz.replay, &Tfrm_Main::btn_tyrz_readClick);
    onClick(Quiz.panels.tyby.replay, &Tfrm_Main::btn_tyby_readClick);
    onEnter(Quiz.panels.tyrz.replay, &Tfrm_Main::btn_tyrz_readMouseEnter);
    onEnter(Quiz.panels.tyby.replay, &Tfrm_Main::btn_tyby_readMouseEnter);

    connect(Timer1, &QTimer::timeout, this,
            [this] { pencora::ui::guarded([this] { Timer1Timer(Timer1); }); });
    connect(Timer2, &QTimer::timeout, this,
            [this] { pencora::ui::guarded([this] { Timer2Timer(Timer2); }); });
}

void Tfrm_Main::btn_kewenClick(QObject* Sender) {
    using namespace pencora::quiz;
    // Qt paints every widget double-buffered, so switching panels does not flicker.
    Quiz.stopLessonReading(State);
    if (const auto refusal = practiceRefusal(State)) {
        pencora::ui::showInformation(this, kPracticeTitle, *refusal);
        return;
    }
    if (isShown(pnl_info)) {
        pnl_info->hide();
    }
    tim_tx->stop();
    Flashcards->Timer11->stop();
    Flashcards->Timer11Tag = 0;
    Quiz.drawCurrentIndex(State);
    pnlmain->hide();

    const auto* button = qobject_cast<const QAbstractButton*>(Sender);
    const auto mode = practiceModeForCaption(button ? button->text() : QString());
    if (!mode) {
        return;
    }
    if (const auto kind = quizOf(*mode)) {
        QWidget* panel = Quiz.panels[*kind].panel;
        if (!isShown(panel)) {
            for (QWidget* other : {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby, pnl_wnnx, pnlrszc}) {
                if (other != panel) {
                    other->hide();
                }
            }
            panel->show();
        }
        askQuestion(*kind);
        layOutQuiz(*kind);
        return;
    }

    // 我念你写: over to dictation.
    if (voicePromptsOn()) {
        Quiz.playCue(State, QStringLiteral("tingxie.mp3"));
    }
    for (QWidget* other : {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby, pnlrszc}) {
        other->hide();
    }
    Dictation.showStartView();
    pnl_wnnx->show();
    btn_wnnxshow();
}

void Tfrm_Main::askQuestion(QuizKind kind) {
    (this->*methodsOf(kind).caption)();
}

void Tfrm_Main::layOutQuiz(QuizKind kind) {
    (this->*methodsOf(kind).show)();
}

void Tfrm_Main::btn_tyrzcaption() {
    Quiz.buildQuestion(QuizKind::Tyrz, State, XMLRead, *Timer2);
}

void Tfrm_Main::btn_kyrzcaption() {
    Quiz.buildQuestion(QuizKind::Kyrz, State, XMLRead, *Timer2);
}

void Tfrm_Main::btn_kzrycaption() {
    Quiz.buildQuestion(QuizKind::Kzry, State, XMLRead, *Timer2);
}

void Tfrm_Main::btn_tybycaption() {
    Quiz.buildQuestion(QuizKind::Tyby, State, XMLRead, *Timer2);
}

void Tfrm_Main::btn_tyrzshow() {
    Quiz.layOut(QuizKind::Tyrz);
}

void Tfrm_Main::btn_kyrzshow() {
    Quiz.layOut(QuizKind::Kyrz);
}

void Tfrm_Main::btn_kzryshow() {
    Quiz.layOut(QuizKind::Kzry);
}

void Tfrm_Main::btn_tybyshow() {
    Quiz.layOut(QuizKind::Tyby);
}

void Tfrm_Main::Timer1Timer(QObject* /*Sender*/) {
    Timer1->stop();
    Quiz.drawCurrentIndex(State);
    // The layout stays; a mode left within the second keeps only the new index.
    if (const auto kind = Quiz.visibleQuiz()) {
        askQuestion(*kind);
    }
}

void Tfrm_Main::Timer2Timer(QObject* /*Sender*/) {
    Quiz.slideIn(*Timer2);
}

void Tfrm_Main::btn_kyrz1Click(QObject* Sender) {
    Quiz.answerCharacter(qobject_cast<const QAbstractButton*>(Sender), State, *Timer1);
}

void Tfrm_Main::btn_kzry1Click(QObject* Sender) {
    Quiz.answerPinyin(QuizKind::Kzry, qobject_cast<const QAbstractButton*>(Sender), State, *Timer1);
}

void Tfrm_Main::btn_tyby1Click(QObject* Sender) {
    Quiz.answerPinyin(QuizKind::Tyby, qobject_cast<const QAbstractButton*>(Sender), State, *Timer1);
}

void Tfrm_Main::btn_tyrz_readClick(QObject* /*Sender*/) {
    Quiz.replay(State);
}

void Tfrm_Main::btn_tyby_readClick(QObject* /*Sender*/) {
    Quiz.replay(State);
}

void Tfrm_Main::btn_tyrz_readMouseEnter(QObject* /*Sender*/) {
    Quiz.replayPrompt(State, voicePromptsOn());
}

void Tfrm_Main::btn_tyby_readMouseEnter(QObject* /*Sender*/) {
    Quiz.replayPrompt(State, voicePromptsOn());
}
