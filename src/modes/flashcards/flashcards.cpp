#include "modes/flashcards/flashcards.h"

#include "common/hint.h"
#include "app/tfrm_main.h"
#include "content/content_paths.h"
#include "platform/audio/bass.h"
#include "platform/ui/message_service.h"
#include "sound/play_file.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
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

// Where the slide brings the entry to rest, and the start step puts it at once.
int restingTop(const Tfrm_Main& frm, int offset) {
    return frm.pnlmain->height() / 2 - frm.lblword->height() / 2 + offset;
}

// The pinyin line keeps 15 px above the entry.
void placePinyinAboveWord(Tfrm_Main& frm) {
    frm.lblpinyin->move(frm.lblpinyin->x(), frm.lblword->y() - frm.lblpinyin->height() - 15);
}

void setTop(QWidget* widget, int top) {
    widget->move(widget->x(), top);
}

QString progressLine(const Tfrm_Main& frm, qsizetype position) {
    return QStringLiteral("学习内容：【") + frm.State.CurrentLessonTitle +
           QStringLiteral("】，当前是第") + QString::number(position) +
           QStringLiteral("个，字词总量：") + QString::number(frm.State.CurrentWords.size());
}

void playPronunciation(Tfrm_Main& frm, const QString& pinyin) {
    sound::play_file(frm.State.ChannelSlots[0], content::pronunciationRelativePath(pinyin));
}

void showOnly(Tfrm_Main& frm, QWidget* panel) {
    for (QWidget* other : {frm.pnl_info, frm.pnl_kyrz, frm.pnl_kzry, frm.pnl_tyrz, frm.pnl_tyby,
                           frm.pnl_wnnx, frm.pnlrszc})
        other->hide();
    panel->show();
    // The panel's size is read right away below; give it the client panel's size now
    // rather than when the layout next runs.
    if (QLayout* layout = frm.pnl_rszc->layout())
        layout->activate();
}

}  // namespace

Speed checkedSpeed(const Tfrm_Main& frm) {
    if (frm.rb_easy->isChecked())
        return Speed::Slow;
    if (frm.rb_hard->isChecked())
        return Speed::Fast;
    return Speed::Medium;
}

void tb_zcsjClick(Tfrm_Main& frm, QObject* /*Sender*/) {
    // A lesson reading stops even when no lesson is chosen.
    BASS_StreamFree(frm.State.ChannelSlots[1]);
    if (!frm.State.lessonSelected()) {
        ui::showInformation(&frm, kNoLessonTitle, kNoLessonText);
        return;
    }
    if (frm.pnlmain->isHidden())
        showOnly(frm, frm.pnlmain);
    frm.tim_tx->stop();  // a running dictation stops

    frm.Timer11Tag = 0;
    frm.lblword->clear();
    setHint(frm.lblword, QString());
    frm.lblpinyin->clear();
    frm.Timer11->setInterval(kFirstCardDelayMs);
    frm.Timer11->start();

    setTop(frm.lblword, restingTop(frm, 10));
    placePinyinAboveWord(frm);
    frm.lblword->move(0, frm.lblword->y());
    frm.lblpinyin->move(0, frm.lblpinyin->y());
    placeControls(frm);
    frm.lblstate->setText(progressLine(frm, 1));
}

void Timer11Timer(Tfrm_Main& frm, QObject* /*Sender*/) {
    // The first tick after a start turns the short start delay into the reading speed.
    if (frm.Timer11->interval() == kFirstCardDelayMs)
        frm.Timer11->setInterval(speedInterval(checkedSpeed(frm)));

    const QStringList& words = frm.State.CurrentWords;
    if (frm.Timer11Tag > words.size() - 1) {
        // The timer is off before the box opens, so no card step runs while it is up.
        frm.Timer11->stop();
        frm.Timer11Tag = 0;
        const ui::MessageResult answer =
            ui::showMessage({ui::MessageIcon::Question, kFinishedTitle, kFinishedText, &frm,
                             ui::MessageButtons::OkCancel});
        // OK: the first entry follows one full interval later. Cancel, or closing the box,
        // leaves the last card on view.
        if (answer != ui::MessageResult::Cancel)
            frm.Timer11->start();
        return;
    }

    const int i = frm.Timer11Tag;
    // The pinyin list always has an entry for every word; read it defensively all the same.
    const QString pinyin = frm.State.CurrentPinyin.value(i);
    setTop(frm.lblword, -151);
    placePinyinAboveWord(frm);
    frm.Timer21->start();

    frm.lblword->setText(words[i]);
    frm.lblpinyin->setText(pinyin);
    setHint(frm.lblword, pinyin);
    frm.lblpinyin->setVisible(frm.chkpinyin->isChecked());
    frm.lblstate->setText(progressLine(frm, i + 1));
    playPronunciation(frm, pinyin);
    frm.Timer11Tag = i + 1;
}

void Timer21Timer(Tfrm_Main& frm, QObject* /*Sender*/) {
    // Steps of 30 px from above the panel; the labels come to rest up to 29 px past the
    // target, the tick that finds them there stops the slide.
    if (frm.lblword->y() < restingTop(frm, 5)) {
        setTop(frm.lblword, frm.lblword->y() + 30);
        setTop(frm.lblpinyin, frm.lblpinyin->y() + 30);
    } else {
        frm.Timer21->stop();
    }
}

void rb_easyClick(Tfrm_Main& frm, QObject* /*Sender*/) {
    // A stopped timer stays stopped; a running one waits the new interval from now. Chosen
    // before the first card, the speed replaces the start delay.
    frm.Timer11->setInterval(speedInterval(checkedSpeed(frm)));
}

void chkpinyinClick(Tfrm_Main& frm, QObject* /*Sender*/) {
    frm.lblpinyin->setHidden(!frm.lblpinyin->isHidden());
}

void lblwordClick(Tfrm_Main& frm, QObject* /*Sender*/) {
    // Before the first card the Hint is empty and names no sound.
    playPronunciation(frm, Hint(frm.lblword));
}

void placeControls(Tfrm_Main& frm) {
    const int width = frm.pnlmain->width();
    frm.lblword->resize(width, frm.lblword->height());
    frm.lblpinyin->resize(width, frm.lblpinyin->height());
    frm.pnl_nandu->move(width - frm.pnl_nandu->width() - 3, 8);
}

void stopFlashcards(Tfrm_Main& frm) {
    frm.Timer11->stop();
    frm.Timer21->stop();
}

}  // namespace pencora::flashcards
