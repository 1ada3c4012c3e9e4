#include "modes/flashcards/flashcard_mode.h"

#include "common/hint.h"
#include "content/content_paths.h"
#include "modes/mode_context.h"
#include "platform/ui/click_filter.h"
#include "platform/ui/error_report.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace pencora::flashcards {

namespace {

const QString kNoLessonTitle = QStringLiteral("Pencora生字练习说明！");
const QString kNoLessonText = QStringLiteral("请通过左侧目录，先选择用于学习的具体课程！");
const QString kFinishedTitle = QStringLiteral("字词速记学习完毕！");
// Two carriage returns between the sentences, no line feeds: the box breaks the line there.
const QString kFinishedText =
    QStringLiteral("本课中的字词已经全部学习完毕，您是否要重新进行字词速记学习呢？") +
    QStringLiteral("\r\r") +
    QStringLiteral("点击确定，将重新开始字词速记的学习，点击取消，将停止字词速记学习。");

void setTop(QWidget* widget, int top) {
    widget->move(widget->x(), top);
}

QTimer* timer(QWidget* owner, const char* name, int interval) {
    auto* t = new QTimer(owner);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

}  // namespace

FlashcardMode::FlashcardMode(modes::ModeContext& context, QWidget* pnlmain)
    : panel(buildFlashcardPanel(pnlmain)), context_(context) {
    Timer11 = timer(pnlmain, "Timer11", 4000);
    Timer21 = timer(pnlmain, "Timer21", 1);
    connectControls();
}

void FlashcardMode::connectControls() {
    QWidget* owner = panel.pnlmain;
    auto guardedCall = [this](void (FlashcardMode::*work)()) {
        return [this, work] { ui::guarded([&] { (this->*work)(); }); };
    };
    QObject::connect(Timer11, &QTimer::timeout, owner, guardedCall(&FlashcardMode::cardStep));
    QObject::connect(Timer21, &QTimer::timeout, owner, guardedCall(&FlashcardMode::slideStep));
    for (QRadioButton* speed : {panel.rb_easy, panel.rb_normal, panel.rb_hard}) {
        QObject::connect(speed, &QAbstractButton::clicked, owner,
                         guardedCall(&FlashcardMode::speedChanged));
    }
    QObject::connect(panel.chkpinyin, &QAbstractButton::clicked, owner,
                     guardedCall(&FlashcardMode::switchPinyin));
    for (QLabel* card : {panel.lblword, panel.lblpinyin}) {
        ui::onClick(card, guardedCall(&FlashcardMode::replay));
    }
}

Speed FlashcardMode::checkedSpeed() const {
    if (panel.rb_easy->isChecked()) {
        return Speed::Slow;
    }
    if (panel.rb_hard->isChecked()) {
        return Speed::Fast;
    }
    return Speed::Medium;
}

void FlashcardMode::start() {
    // A lesson reading stops even when no lesson is chosen.
    context_.stop(modes::Activity::LessonReading);
    const StudyState& state = context_.studyState();
    if (!state.lessonSelected()) {
        context_.showMessage(ui::MessageIcon::Information, kNoLessonTitle, kNoLessonText);
        return;
    }
    if (panel.pnlmain->isHidden()) {
        context_.showOnlyPanel(panel.pnlmain);
    }
    context_.stop(modes::Activity::Dictation);

    Timer11Tag = 0;
    panel.lblword->clear();
    setHint(panel.lblword, QString());
    panel.lblpinyin->clear();
    Timer11->setInterval(kFirstCardDelayMs);
    Timer11->start();

    setTop(panel.lblword, restingTop(panel.pnlmain->height(), panel.lblword->height(), 10));
    placePinyinAboveWord();
    panel.lblword->move(0, panel.lblword->y());
    panel.lblpinyin->move(0, panel.lblpinyin->y());
    placeControls();
    panel.lblstate->setText(progressLine(state.CurrentLessonTitle, 1, state.CurrentWords.size()));
}

void FlashcardMode::cardStep() {
    // The first tick after a start turns the short start delay into the reading speed.
    if (Timer11->interval() == kFirstCardDelayMs) {
        Timer11->setInterval(speedInterval(checkedSpeed()));
    }
    const StudyState& state = context_.studyState();
    if (pastLastCard(Timer11Tag, state.CurrentWords.size())) {
        // The timer is off before the box opens, so no card step runs while it is up.
        Timer11->stop();
        Timer11Tag = 0;
        const ui::MessageResult answer = context_.showMessage(
            ui::MessageIcon::Question, kFinishedTitle, kFinishedText, ui::MessageButtons::OkCancel);
        // OK: the first entry follows one full interval later. Cancel, or closing the box,
        // leaves the last card on view.
        if (answer != ui::MessageResult::Cancel) {
            Timer11->start();
        }
        return;
    }

    const int i = Timer11Tag;
    // The pinyin list always has an entry for every word; read it defensively all the same.
    const QString pinyin = state.CurrentPinyin.value(i);
    setTop(panel.lblword, kSlideStartTop);
    placePinyinAboveWord();
    Timer21->start();

    panel.lblword->setText(state.CurrentWords[i]);
    panel.lblpinyin->setText(pinyin);
    setHint(panel.lblword, pinyin);
    panel.lblpinyin->setVisible(panel.chkpinyin->isChecked());
    panel.lblstate->setText(
        progressLine(state.CurrentLessonTitle, i + 1, state.CurrentWords.size()));
    playPronunciation(pinyin);
    Timer11Tag = i + 1;
}

void FlashcardMode::slideStep() {
    const int target = restingTop(panel.pnlmain->height(), panel.lblword->height(), 5);
    const std::optional<int> next = flashcards::slideStep(panel.lblword->y(), target);
    if (!next) {
        Timer21->stop();
        return;
    }
    setTop(panel.lblword, *next);
    setTop(panel.lblpinyin, panel.lblpinyin->y() + kSlideStep);
}

void FlashcardMode::speedChanged() {
    // A stopped timer stays stopped; a running one waits the new interval from now. Chosen
    // before the first card, the speed replaces the start delay.
    Timer11->setInterval(speedInterval(checkedSpeed()));
}

void FlashcardMode::switchPinyin() {
    panel.lblpinyin->setHidden(!panel.lblpinyin->isHidden());
}

void FlashcardMode::replay() {
    // Before the first card the Hint is empty and names no sound.
    playPronunciation(Hint(panel.lblword));
}

void FlashcardMode::placeControls() {
    const int width = panel.pnlmain->width();
    panel.lblword->resize(width, panel.lblword->height());
    panel.lblpinyin->resize(width, panel.lblpinyin->height());
    panel.pnl_nandu->move(switchesLeft(width, panel.pnl_nandu->width()), 8);
}

void FlashcardMode::stop() {
    Timer11->stop();
    Timer21->stop();
}

void FlashcardMode::playPronunciation(const QString& pinyin) {
    context_.play_file(modes::kCueSlot, content::pronunciationRelativePath(pinyin));
}

void FlashcardMode::placePinyinAboveWord() {
    setTop(panel.lblpinyin, pinyinTop(panel.lblword->y(), panel.lblpinyin->height()));
}

void toolbarPrompt(modes::ModeContext& context, const QObject* button) {
    // Read at this moment: switching prompts off lets a playing prompt finish, and the next
    // button entered stays silent.
    if (!context.voicePromptsOn()) {
        return;
    }
    context.play_file(modes::kCueSlot, content::promptRelativePath(Hint(button)));
}

}  // namespace pencora::flashcards
