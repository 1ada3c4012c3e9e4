// The flashcards on the fake frame with their timers driven by hand: each test calls the
// tick itself and never runs the event loop, so a timer's interval and whether it is on are
// what a running program would wait for. The sounds are the files the mode asked the frame
// to play.
#include "modes/flashcards/flashcard_mode.h"
#include "support/mode_test.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QTimer>

using pencora::flashcards::FlashcardMode;
using pencora::flashcards::FlashcardPanel;
using pencora::modes::Activity;
using pencora::ui::MessageButtons;
using pencora::ui::MessageIcon;
using pencora::ui::MessageResult;

namespace {

class Flashcards : public pencora::testing::ModeTest {
  protected:
    void SetUp() override {
        ModeTest::SetUp();
        info = context.addPanel(QStringLiteral("pnl_info"));
        info->show();
        pnlmain = context.addPanel(QStringLiteral("pnlmain"));
        mode = std::make_unique<FlashcardMode>(context, pnlmain);
        showFrame(760, 470);
    }
    void chooseLesson(const QStringList& words, const QStringList& pinyin) {
        context.state.CurrentLessonTitle = QStringLiteral("一年级上册→【1 一去二三里】");
        context.state.CurrentWords = words;
        context.state.CurrentPinyin = pinyin;
    }
    void start() { mode->start(); }
    void tick() { mode->cardStep(); }
    QString state() const { return mode->panel.lblstate->text(); }
    static QString progress(int n, int total) {
        return QStringLiteral(
                   "学习内容：【一年级上册→【1 一去二三里】】，当前是第%1个，字词总量：%2")
            .arg(n)
            .arg(total);
    }
    QStringList sounds() const { return context.playedOn(pencora::modes::kCueSlot); }

    QWidget* info = nullptr;
    QWidget* pnlmain = nullptr;
    std::unique_ptr<FlashcardMode> mode;
};

class FlashcardsAnsweredCancel : public Flashcards {
  protected:
    void SetUp() override {
        context.answer = MessageResult::Cancel;
        Flashcards::SetUp();
    }
};

}  // namespace

TEST_F(Flashcards, WithoutALessonTheMessageShowsAndNoPanelChanges) {
    start();
    ASSERT_EQ(context.notices.size(), 1u);
    const auto& m = context.notices[0];
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.title, QStringLiteral("Pencora生字练习说明！"));
    EXPECT_EQ(m.text, QStringLiteral("请通过左侧目录，先选择用于学习的具体课程！"));
    EXPECT_FALSE(info->isHidden());
    EXPECT_TRUE(pnlmain->isHidden());
    EXPECT_FALSE(mode->Timer11->isActive());
}

TEST_F(Flashcards, FirstCardAfterHalfASecondThenAtTheCheckedSpeed) {
    struct Row {
        QRadioButton* FlashcardPanel::*button;
        int interval;
    };
    for (const Row& row :
         {Row{&FlashcardPanel::rb_easy, 8000}, Row{&FlashcardPanel::rb_normal, 4000},
          Row{&FlashcardPanel::rb_hard, 2000}}) {
        SCOPED_TRACE(row.interval);
        chooseLesson({"一", "去", "二"}, {"yī", "qù", "èr"});
        (mode->panel.*row.button)->setChecked(true);
        start();
        EXPECT_TRUE(info->isHidden());
        EXPECT_FALSE(pnlmain->isHidden());
        EXPECT_TRUE(mode->Timer11->isActive());
        EXPECT_EQ(mode->Timer11->interval(), 500);
        EXPECT_EQ(mode->panel.lblword->text(), QString());
        EXPECT_EQ(state(), progress(1, 3));

        tick();
        EXPECT_EQ(mode->Timer11->interval(), row.interval);
        EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("一"));
        EXPECT_EQ(mode->panel.lblpinyin->text(), QStringLiteral("yī"));
        tick();
        EXPECT_EQ(mode->Timer11->interval(), row.interval);
        EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("去"));
        EXPECT_EQ(state(), progress(2, 3));
    }
}

TEST_F(Flashcards, SpeedChangeBeforeTheFirstCardWaitsTheFullInterval) {
    mode->panel.rb_easy->click();  // stopped: stays stopped
    EXPECT_FALSE(mode->Timer11->isActive());

    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    mode->panel.rb_hard->click();
    EXPECT_EQ(mode->Timer11->interval(), 2000);
    tick();
    EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("一"));
    EXPECT_EQ(mode->Timer11->interval(), 2000);
    mode->panel.rb_easy->click();  // during the run: from the next card
    EXPECT_TRUE(mode->Timer11->isActive());
    EXPECT_EQ(mode->Timer11->interval(), 8000);
}

TEST_F(Flashcards, PinyinSwitchActsAtOnceAndOnLaterCards) {
    chooseLesson({"一", "去", "二"}, {"yī", "qù", "èr"});
    start();
    tick();
    EXPECT_FALSE(mode->panel.lblpinyin->isHidden());
    mode->panel.chkpinyin->click();
    EXPECT_TRUE(mode->panel.lblpinyin->isHidden());
    tick();
    EXPECT_TRUE(mode->panel.lblpinyin->isHidden());
    mode->panel.chkpinyin->click();
    EXPECT_FALSE(mode->panel.lblpinyin->isHidden());
    tick();
    EXPECT_FALSE(mode->panel.lblpinyin->isHidden());
}

TEST_F(Flashcards, LabelsDropInFromAboveAndRestBelowTheTarget) {
    chooseLesson({"一"}, {"yī"});
    start();
    const int target = pnlmain->height() / 2 - mode->panel.lblword->height() / 2 + 5;
    EXPECT_EQ(mode->panel.lblword->y(), target + 5);  // placed at once by the start
    EXPECT_EQ(mode->panel.lblword->width(), pnlmain->width());
    tick();
    EXPECT_EQ(mode->panel.lblword->y(), -151);
    EXPECT_EQ(mode->panel.lblpinyin->y(), -151 - mode->panel.lblpinyin->height() - 15);
    int steps = 0;
    while (mode->Timer21->isActive() && steps < 100) {
        mode->slideStep();
        ++steps;
    }
    EXPECT_FALSE(mode->Timer21->isActive());
    EXPECT_GE(mode->panel.lblword->y(), target);
    EXPECT_LT(mode->panel.lblword->y(), target + 30);
    EXPECT_EQ((mode->panel.lblword->y() + 151) % 30, 0);
    EXPECT_EQ(mode->panel.lblword->y() - mode->panel.lblpinyin->y(),
              mode->panel.lblpinyin->height() + 15);
}

TEST_F(Flashcards, AfterTheLastCardOkStartsAgainOneIntervalLater) {
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    tick();
    tick();
    tick();  // past the end
    ASSERT_EQ(context.notices.size(), 1u);
    const auto& m = context.notices[0];
    EXPECT_EQ(m.icon, MessageIcon::Question);
    EXPECT_EQ(m.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(m.title, QStringLiteral("字词速记学习完毕！"));
    EXPECT_EQ(m.text,
              QStringLiteral("本课中的字词已经全部学习完毕，您是否要重新进行字词速记学习呢？\r\r"
                             "点击确定，将重新开始字词速记的学习，点击取消，将停止字词速记学习。"));
    EXPECT_TRUE(mode->Timer11->isActive());
    EXPECT_EQ(mode->Timer11->interval(), 4000);
    EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("去"));  // the end tick shows nothing
    tick();
    EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("一"));
    EXPECT_EQ(state(), progress(1, 2));
}

TEST_F(FlashcardsAnsweredCancel, CancelLeavesTheLastCardAndStops) {
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    tick();
    tick();
    tick();
    EXPECT_FALSE(mode->Timer11->isActive());
    EXPECT_EQ(mode->Timer11Tag, 0);
    EXPECT_EQ(mode->panel.lblword->text(), QStringLiteral("去"));
    EXPECT_EQ(state(), progress(2, 2));
}

TEST_F(Flashcards, ALessonWithoutEntriesAsksAtTheFirstTick) {
    chooseLesson({}, {});
    start();
    tick();
    EXPECT_EQ(context.notices.size(), 1u);
    EXPECT_EQ(mode->panel.lblword->text(), QString());
}

TEST_F(Flashcards, EachCardAndItsReplaySoundTheEntry) {
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    // The start stops a lesson reading and a dictation, and asks for no sound.
    EXPECT_TRUE(context.wasStopped(Activity::LessonReading));
    EXPECT_TRUE(context.wasStopped(Activity::Dictation));
    EXPECT_EQ(context.shownPanels, std::vector<QWidget*>{pnlmain});
    mode->replay();  // no card yet: the empty Hint names no recording, and slot 0 falls silent
    EXPECT_EQ(sounds(), QStringList{QString()});
    context.clearRecords();
    tick();
    tick();
    mode->replay();
    EXPECT_EQ(sounds(), (QStringList{QStringLiteral("Data\\sound\\yī.mp3"),
                                     QStringLiteral("Data\\sound\\qù.mp3"),
                                     QStringLiteral("Data\\sound\\qù.mp3")}));
}

TEST_F(Flashcards, ToolbarPromptsFollowTheSwitchWhileCardsStillSpeak) {
    QObject zcsj;
    zcsj.setProperty("Hint", QStringLiteral("zcsj"));
    pencora::flashcards::toolbarPrompt(context, &zcsj);
    EXPECT_EQ(sounds(), QStringList{QStringLiteral("Data\\sndsoft\\zcsj.mp3")});

    // Switched off: silent, and what played plays on (no slot is freed).
    context.voicePrompts = false;
    context.clearRecords();
    pencora::flashcards::toolbarPrompt(context, &zcsj);
    EXPECT_TRUE(context.played.empty());
    EXPECT_TRUE(context.freedChannels.empty());

    // The cards still speak.
    chooseLesson({"一"}, {"yī"});
    start();
    tick();
    EXPECT_EQ(sounds(), QStringList{QStringLiteral("Data\\sound\\yī.mp3")});
}

TEST_F(Flashcards, ResizeKeepsTheSwitchesTopRight) {
    chooseLesson({"一"}, {"yī"});
    start();
    const int top = mode->panel.lblword->y();
    showFrame(1200, 700);
    context.frameWindow()->layout()->activate();
    context.client()->layout()->activate();
    ASSERT_EQ(pnlmain->width(), 1200);
    mode->placeControls();
    EXPECT_EQ(mode->panel.lblword->width(), pnlmain->width());
    EXPECT_EQ(mode->panel.lblpinyin->width(), pnlmain->width());
    EXPECT_EQ(mode->panel.pnl_nandu->geometry().topLeft(),
              QPoint(pnlmain->width() - mode->panel.pnl_nandu->width() - 3, 8));
    EXPECT_EQ(mode->panel.lblword->y(), top);
}
