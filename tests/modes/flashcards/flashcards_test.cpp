// The flashcards with their timers driven by hand: each test calls the tick handlers itself
// and never runs the event loop, so a timer's interval and whether it is on are what a
// running program would wait for.
#include "modes/flashcards/flashcards.h"
#include "main_window_fixture.h"
#include "modes/flashcards/flashcard_panel.h"
#include "settings/settings_menu.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using pencora::ui::MessageButtons;
using pencora::ui::MessageIcon;
using pencora::ui::MessageResult;

namespace {

class Flashcards : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        pencora::flashcards::install(*frm);
        pencora::settings::install(*frm);
        showWindow();
    }
    void chooseLesson(const QStringList& words, const QStringList& pinyin) {
        frm->State.CurrentLessonTitle = QStringLiteral("一年级上册→【1 一去二三里】");
        frm->State.CurrentWords = words;
        frm->State.CurrentPinyin = pinyin;
    }
    void start() { frm->tb_zcsjClick(frm->tb_zcsj); }
    void tick() { frm->Timer11Timer(frm->Timer11); }
    QString state() const { return frm->lblstate->text(); }
    static QString progress(int n, int total) {
        return QStringLiteral(
                   "学习内容：【一年级上册→【1 一去二三里】】，当前是第%1个，字词总量：%2")
            .arg(n)
            .arg(total);
    }
};

class FlashcardsAnsweredCancel : public Flashcards {
  protected:
    void SetUp() override {
        answer = MessageResult::Cancel;
        Flashcards::SetUp();
    }
};

}  // namespace

TEST_F(Flashcards, WithoutALessonTheMessageShowsAndNoPanelChanges) {
    start();
    ASSERT_EQ(messages->messages().size(), 1u);
    const auto& m = messages->messages()[0];
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.title, QStringLiteral("Pencora生字练习说明！"));
    EXPECT_EQ(m.text, QStringLiteral("请通过左侧目录，先选择用于学习的具体课程！"));
    EXPECT_EQ(m.owner, frm.get());
    EXPECT_FALSE(frm->pnl_info->isHidden());
    EXPECT_TRUE(frm->pnlmain->isHidden());
    EXPECT_FALSE(frm->Timer11->isActive());
}

TEST_F(Flashcards, FirstCardAfterHalfASecondThenAtTheCheckedSpeed) {
    struct Row {
        QRadioButton* Tfrm_Main::*button;
        int interval;
    };
    for (const Row& row : {Row{&Tfrm_Main::rb_easy, 8000}, Row{&Tfrm_Main::rb_normal, 4000},
                           Row{&Tfrm_Main::rb_hard, 2000}}) {
        SCOPED_TRACE(row.interval);
        chooseLesson({"一", "去", "二"}, {"yī", "qù", "èr"});
        (frm.get()->*row.button)->setChecked(true);
        start();
        EXPECT_TRUE(frm->pnl_info->isHidden());
        EXPECT_FALSE(frm->pnlmain->isHidden());
        EXPECT_TRUE(frm->Timer11->isActive());
        EXPECT_EQ(frm->Timer11->interval(), 500);
        EXPECT_EQ(frm->lblword->text(), QString());
        EXPECT_EQ(state(), progress(1, 3));

        tick();
        EXPECT_EQ(frm->Timer11->interval(), row.interval);
        EXPECT_EQ(frm->lblword->text(), QStringLiteral("一"));
        EXPECT_EQ(frm->lblpinyin->text(), QStringLiteral("yī"));
        tick();
        EXPECT_EQ(frm->Timer11->interval(), row.interval);
        EXPECT_EQ(frm->lblword->text(), QStringLiteral("去"));
        EXPECT_EQ(state(), progress(2, 3));
    }
}

TEST_F(Flashcards, SpeedChangeBeforeTheFirstCardWaitsTheFullInterval) {
    frm->rb_easy->click();  // stopped: stays stopped
    EXPECT_FALSE(frm->Timer11->isActive());

    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    frm->rb_hard->click();
    EXPECT_EQ(frm->Timer11->interval(), 2000);
    tick();
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("一"));
    EXPECT_EQ(frm->Timer11->interval(), 2000);
    frm->rb_easy->click();  // during the run: from the next card
    EXPECT_TRUE(frm->Timer11->isActive());
    EXPECT_EQ(frm->Timer11->interval(), 8000);
}

TEST_F(Flashcards, PinyinSwitchActsAtOnceAndOnLaterCards) {
    chooseLesson({"一", "去", "二"}, {"yī", "qù", "èr"});
    start();
    tick();
    EXPECT_FALSE(frm->lblpinyin->isHidden());
    frm->chkpinyin->click();
    EXPECT_TRUE(frm->lblpinyin->isHidden());
    tick();
    EXPECT_TRUE(frm->lblpinyin->isHidden());
    frm->chkpinyin->click();
    EXPECT_FALSE(frm->lblpinyin->isHidden());
    tick();
    EXPECT_FALSE(frm->lblpinyin->isHidden());
}

TEST_F(Flashcards, LabelsDropInFromAboveAndRestBelowTheTarget) {
    chooseLesson({"一"}, {"yī"});
    start();
    const int target = frm->pnlmain->height() / 2 - frm->lblword->height() / 2 + 5;
    EXPECT_EQ(frm->lblword->y(), target + 5);  // placed at once by the start
    EXPECT_EQ(frm->lblword->width(), frm->pnlmain->width());
    tick();
    EXPECT_EQ(frm->lblword->y(), -151);
    EXPECT_EQ(frm->lblpinyin->y(), -151 - frm->lblpinyin->height() - 15);
    int steps = 0;
    while (frm->Timer21->isActive() && steps < 100) {
        frm->Timer21Timer(frm->Timer21);
        ++steps;
    }
    EXPECT_FALSE(frm->Timer21->isActive());
    EXPECT_GE(frm->lblword->y(), target);
    EXPECT_LT(frm->lblword->y(), target + 30);
    EXPECT_EQ((frm->lblword->y() + 151) % 30, 0);
    EXPECT_EQ(frm->lblword->y() - frm->lblpinyin->y(), frm->lblpinyin->height() + 15);
}

TEST_F(Flashcards, AfterTheLastCardOkStartsAgainOneIntervalLater) {
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    tick();
    tick();
    tick();  // past the end
    ASSERT_EQ(messages->messages().size(), 1u);
    const auto& m = messages->messages()[0];
    EXPECT_EQ(m.icon, MessageIcon::Question);
    EXPECT_EQ(m.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(m.owner, frm.get());
    EXPECT_EQ(m.title, QStringLiteral("字词速记学习完毕！"));
    EXPECT_EQ(m.text,
              QStringLiteral("本课中的字词已经全部学习完毕，您是否要重新进行字词速记学习呢？\r\r"
                             "点击确定，将重新开始字词速记的学习，点击取消，将停止字词速记学习。"));
    EXPECT_TRUE(frm->Timer11->isActive());
    EXPECT_EQ(frm->Timer11->interval(), 4000);
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("去"));  // the end tick shows nothing
    tick();
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("一"));
    EXPECT_EQ(state(), progress(1, 2));
}

TEST_F(FlashcardsAnsweredCancel, CancelLeavesTheLastCardAndStops) {
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    tick();
    tick();
    tick();
    EXPECT_FALSE(frm->Timer11->isActive());
    EXPECT_EQ(frm->Timer11Tag, 0);
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("去"));
    EXPECT_EQ(state(), progress(2, 2));
}

TEST_F(Flashcards, ALessonWithoutEntriesAsksAtTheFirstTick) {
    chooseLesson({}, {});
    start();
    tick();
    EXPECT_EQ(messages->messages().size(), 1u);
    EXPECT_EQ(frm->lblword->text(), QString());
}

TEST_F(Flashcards, EachCardAndItsReplaySoundTheEntry) {
    sound(QStringLiteral("Data/sound/qù.mp3"));
    chooseLesson({"一", "去"}, {"yī", "qù"});
    start();
    frm->lblwordClick(frm->lblword);  // no card yet: nothing to hear
    EXPECT_EQ(slot0(), 0u);
    tick();
    EXPECT_EQ(slot0(), 0u);  // yī has no recording here
    tick();
    const uint32_t card = slot0();
    EXPECT_NE(card, 0u);
    frm->lblwordClick(frm->lblpinyin);
    EXPECT_NE(slot0(), 0u);
    EXPECT_NE(slot0(), card);  // played again, on a new stream
}

TEST_F(Flashcards, ToolbarPromptsFollowTheSwitchWhileCardsStillSpeak) {
    sound(QStringLiteral("Data/sndsoft/zcsj.mp3"));
    sound(QStringLiteral("Data/sound/yī.mp3"));
    EXPECT_TRUE(frm->N1->isChecked());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(frm->tb_zcsj, &enter);
    const uint32_t prompt = slot0();
    EXPECT_NE(prompt, 0u);
    QCoreApplication::sendEvent(frm->ToolButton1, &enter);  // home.mp3 is missing here
    EXPECT_EQ(slot0(), 0u);

    frm->N1->trigger();
    EXPECT_FALSE(frm->N1->isChecked());
    EXPECT_FALSE(frm->voicePromptsOn());
    frm->tb_zcsjMouseEnter(frm->tb_zcsj);
    EXPECT_EQ(slot0(), 0u);  // silent, and what played plays on

    chooseLesson({"一"}, {"yī"});
    start();
    tick();
    const uint32_t card = slot0();
    EXPECT_NE(card, 0u);
    QCoreApplication::sendEvent(frm->tb_zcsj, &enter);
    EXPECT_EQ(slot0(), card);
}

TEST_F(Flashcards, ResizeKeepsTheSwitchesTopRight) {
    chooseLesson({"一"}, {"yī"});
    start();
    const int top = frm->lblword->y();
    frm->resize(1200, 700);
    frm->layout()->activate();
    frm->FormResize(frm.get());
    EXPECT_EQ(frm->lblword->width(), frm->pnlmain->width());
    EXPECT_EQ(frm->lblpinyin->width(), frm->pnlmain->width());
    EXPECT_EQ(frm->pnl_nandu->geometry().topLeft(),
              QPoint(frm->pnlmain->width() - frm->pnl_nandu->width() - 3, 8));
    EXPECT_EQ(frm->lblword->y(), top);
}

// Through the catalogue: picking another lesson while the flashcards run starts them again
// on that lesson.
class FlashcardsCatalogue : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        const char* images = R"( ImageIndex="0" SelectedIndex="0")";
        write("Data/xml/unit.xml",
              QStringLiteral(R"(<catalogue><root text="小学语文"%1><book text="一年级上册"%1>
                <group text="识字（一）"%1><lesson text="1 一去二三里"%1/>
                <lesson text="2 口耳目"%1/></group></book></root></catalogue>)")
                  .arg(QString::fromLatin1(images)));
        write("Data/xml/hanzi1.xml", R"(<hanzi><lesson201 Chinese="一" PinYin1="yī"/>
            <lesson201 Chinese="去" PinYin1="qù"/><lesson202 Chinese="口" PinYin1="kǒu"/>
            <lesson202 Chinese="耳" PinYin1="ěr"/><lesson202 Chinese="目" PinYin1="mù"/></hanzi>)");
        pencora::flashcards::install(*frm);
        frm->FormCreate(frm.get());
        showWindow();
    }
};

TEST_F(FlashcardsCatalogue, AnotherLessonRestartsAtTheFirstCard) {
    ASSERT_TRUE(messages->messages().empty());
    frm->tb_zcsj->click();
    EXPECT_TRUE(frm->tb_zcsj->isChecked());
    frm->Timer11Timer(frm->Timer11);
    frm->Timer11Timer(frm->Timer11);
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("去"));

    QTreeWidgetItem* group = frm->tv_mulu->topLevelItem(0)->child(0)->child(0);
    frm->selectNode(group->child(1));
    EXPECT_EQ(frm->lblstate->text(),
              QStringLiteral("学习内容：【一年级上册→【2 口耳目】】，当前是第1个，字词总量：3"));
    EXPECT_EQ(frm->Timer11->interval(), 500);
    frm->Timer11Timer(frm->Timer11);
    EXPECT_EQ(frm->lblword->text(), QStringLiteral("口"));
}
