// The quizzes driven through the main window's handlers, as the toolbar, the answer buttons
// and the timers call them. Sounds and notices are recorded instead of played and shown.
#include "app/tfrm_main.h"
#include "common/hint.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace pencora::quiz;
using pencora::ui::MessageIcon;
using pencora::ui::MessageRecorder;

namespace {

// Book 1's character file as the quizzes see it: lesson201 holds the entries asked below.
const char kBook[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<hanzi>
  <lesson201 Chinese="画" PinYin1="huà "/>
  <lesson201 Chinese="远" PinYin1="yuǎn "/>
  <lesson201 Chinese="山" PinYin1="shān "/>
  <lesson201 Chinese="水" PinYin1="shuǐ "/>
  <lesson201 Chinese="话" PinYin1="huà"/>
</hanzi>)";

struct Played {
    int slot;
    QString path;
    bool operator==(const Played&) const = default;
};

class QuizFlow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { pencora::testing::ensureApplication(); }

    void SetUp() override {
        frm = std::make_unique<Tfrm_Main>();
        frm->Quiz.sound = {[this](uint32_t& slot, const QString& path) {
                               played.push_back({slotOf(slot), path});
                           },
                           [this](uint32_t& slot) { freed.push_back(slotOf(slot)); }};
        frm->Quiz.random = QuizRandom([tick = uint64_t{1}]() mutable { return tick++; });
        frm->XMLRead.loadFromBytes(kBook, QStringLiteral("hanzi1.xml"));
    }
    void TearDown() override { pencora::fs::setProgramFolder(QString()); }

    void lesson(const QStringList& words, const QStringList& pinyin) {
        frm->State.CurrentLessonTitle = QStringLiteral("一年级上册→【1 画】");
        frm->State.GroupNo = 2;
        frm->State.LessonNo = 1;
        frm->State.CurrentWords = words;
        frm->State.CurrentPinyin = pinyin;
    }
    void fourEntries() { lesson({"画", "远", "山", "水"}, {"huà ", "yuǎn ", "shān ", "shuǐ "}); }

    int slotOf(const uint32_t& slot) const { return &slot == &frm->State.ChannelSlots[1] ? 1 : 0; }
    QuizControls& quiz(QuizKind kind) { return frm->Quiz.panels[kind]; }
    QStringList visibleCaptions(QuizKind kind) {
        QStringList captions;
        for (QPushButton* b : quiz(kind).buttons) {
            if (!b->isHidden()) {
                captions << b->text();
            }
        }
        return captions;
    }
    int visibleButtons(QuizKind kind) { return static_cast<int>(visibleCaptions(kind).size()); }
    QPushButton* buttonShowing(QuizKind kind, const QString& text, bool equal) {
        for (QPushButton* b : quiz(kind).buttons) {
            if (!b->isHidden() && (b->text() == text) == equal) {
                return b;
            }
        }
        return nullptr;
    }
    QString currentWord() const { return frm->State.CurrentWords[frm->State.CurrentIndex]; }
    QString currentPinyin() const { return frm->State.CurrentPinyin[frm->State.CurrentIndex]; }
    static Played cue(const char* file) { return {0, QStringLiteral("Data\\sndsoft\\") + file}; }
    static Played sound(const QString& pinyin) {
        return {0, QStringLiteral("Data\\sound\\") + pinyin + QStringLiteral(".mp3")};
    }

    std::unique_ptr<Tfrm_Main> frm;
    std::vector<Played> played;
    std::vector<int> freed;
    MessageRecorder messages;
};

}  // namespace

TEST_F(QuizFlow, RefusesWithoutALessonAndWithFewerThanTwoEntries) {
    frm->btn_kewen->click();
    ASSERT_EQ(messages.messages().size(), 1u);
    const auto& first = messages.messages()[0];
    EXPECT_EQ(first.icon, MessageIcon::Information);
    EXPECT_EQ(first.title, QStringLiteral("Pencora生字练习说明！"));
    EXPECT_EQ(first.text, QStringLiteral("请通过左侧目录，先选择用于练习的具体课程！"));
    EXPECT_EQ(first.owner, frm.get());
    EXPECT_EQ(freed, std::vector<int>{1});  // a lesson reading stops all the same
    EXPECT_FALSE(frm->pnl_info->isHidden());
    EXPECT_TRUE(frm->pnl_tyrz->isHidden());

    lesson({"画"}, {"huà"});
    frm->TB_Mkcy->click();
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(messages.messages()[1].text,
              QStringLiteral(
                  "本课程中用于听写练习的字词数量少于2个！\r请选择其它课文进行相关字词的练习！"));
    EXPECT_TRUE(frm->pnl_kzry->isHidden());
    EXPECT_TRUE(played.empty());
}

TEST_F(QuizFlow, HearAndPickWrongThenRightThenTheNextQuestion) {
    fourEntries();
    frm->btn_kewen->click();
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(frm->pnl_info->isHidden());
    EXPECT_FALSE(frm->pnl_tyrz->isHidden());
    // The item's sound, its pinyin exactly as stored.
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played.back(), sound(currentPinyin()));
    QStringList captions = visibleCaptions(QuizKind::Tyrz);
    captions.sort();
    QStringList words = frm->State.CurrentWords;
    words.sort();
    EXPECT_EQ(captions, words);

    const QStringList before = visibleCaptions(QuizKind::Tyrz);
    buttonShowing(QuizKind::Tyrz, currentWord(), false)->click();
    EXPECT_EQ(played.back(), cue("think.mp3"));
    EXPECT_EQ(visibleCaptions(QuizKind::Tyrz), before);
    EXPECT_FALSE(frm->Timer1->isActive());
    buttonShowing(QuizKind::Tyrz, currentWord(), false)->click();
    EXPECT_EQ(played.back(), cue("think.mp3"));

    buttonShowing(QuizKind::Tyrz, currentWord(), true)->click();
    EXPECT_EQ(played.back(), cue("right.wav"));
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 0);
    EXPECT_TRUE(frm->Timer1->isActive());
    EXPECT_EQ(frm->Timer1->interval(), 1000);

    const size_t soundsBefore = played.size();
    frm->Timer1Timer(frm->Timer1);
    EXPECT_FALSE(frm->Timer1->isActive());
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 4);
    EXPECT_TRUE(visibleCaptions(QuizKind::Tyrz).contains(currentWord()));
    ASSERT_EQ(played.size(), soundsBefore + 1);
    EXPECT_EQ(played.back(), sound(currentPinyin()));
}

TEST_F(QuizFlow, PressingTheShownQuizAgainAsksAnewWithoutHidingThePanel) {
    fourEntries();
    frm->TB_rszc->click();
    ASSERT_FALSE(frm->pnl_kyrz->isHidden());
    int hides = 0;
    struct HideCounter : QObject {
        int* hides;
        explicit HideCounter(int* h) : hides(h) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Hide) {
                ++*hides;
            }
            return false;
        }
    } counter(&hides);
    frm->pnl_kyrz->installEventFilter(&counter);
    for (int i = 0; i < 5; ++i) {
        frm->TB_rszc->click();
        EXPECT_FALSE(frm->pnl_kyrz->isHidden());
        EXPECT_EQ(quiz(QuizKind::Kyrz).label->text(),
                  frm->State.CurrentPinyin[frm->State.CurrentIndex].trimmed());
    }
    EXPECT_EQ(hides, 0);
    frm->pnl_kyrz->removeEventFilter(&counter);

    // Another quiz takes the panel's place.
    frm->TBfirst->click();
    EXPECT_TRUE(frm->pnl_kyrz->isHidden());
    EXPECT_FALSE(frm->pnl_tyby->isHidden());
}

TEST_F(QuizFlow, TwoChoiceQuestionHidesAllFourThenBringsBackTwo) {
    lesson({"画", "远", "山"}, {"huà", "yuǎn", "shān"});
    frm->btn_kewen->click();
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 2);
    EXPECT_FALSE(quiz(QuizKind::Tyrz).buttons[0]->isHidden());
    EXPECT_FALSE(quiz(QuizKind::Tyrz).buttons[1]->isHidden());
    buttonShowing(QuizKind::Tyrz, currentWord(), true)->click();
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 0);
    frm->Timer1Timer(frm->Timer1);
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 2);
    EXPECT_TRUE(quiz(QuizKind::Tyrz).buttons[2]->isHidden());
    EXPECT_TRUE(quiz(QuizKind::Tyrz).buttons[3]->isHidden());

    // Back to a lesson of four: the other two come back, in columns.
    fourEntries();
    frm->btn_kewen->click();
    EXPECT_EQ(visibleButtons(QuizKind::Tyrz), 4);
}

TEST_F(QuizFlow, PinyinQuizzesAskTheLookedUpPinyinAndKeepTheirKey) {
    fourEntries();
    frm->TB_Mkcy->click();
    QuizControls& kzry = quiz(QuizKind::Kzry);
    EXPECT_EQ(kzry.label->text(), currentWord());
    const QString key = pencora::Hint(kzry.label);
    EXPECT_EQ(key, currentPinyin().trimmed());
    QStringList captions = visibleCaptions(QuizKind::Kzry);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{"huà", "shuǐ", "shān", "yuǎn"}));
    buttonShowing(QuizKind::Kzry, key, true)->click();
    EXPECT_EQ(played.back(), cue("right.wav"));
    EXPECT_EQ(visibleButtons(QuizKind::Kzry), 0);

    frm->TBfirst->click();
    QuizControls& tyby = quiz(QuizKind::Tyby);
    EXPECT_TRUE(tyby.label->isHidden());
    EXPECT_EQ(tyby.label->text(), currentPinyin().trimmed());
    // The sound is found under the pinyin without its spaces.
    EXPECT_EQ(played.back(), sound(currentPinyin().trimmed()));
    buttonShowing(QuizKind::Tyby, tyby.label->text(), false)->click();
    EXPECT_EQ(played.back(), cue("think.mp3"));
    buttonShowing(QuizKind::Tyby, tyby.label->text(), true)->click();
    EXPECT_EQ(played.back(), cue("right.wav"));
}

// 画 and 话 are both huà: five entries but four different pinyin, so four buttons; with the
// two homophones and one more, only two texts remain and the quiz still comes up.
TEST_F(QuizFlow, HomophonesAndFailedLookUpsNeverStopTheQuiz) {
    lesson({"画", "远", "山", "水", "话"}, {"huà", "yuǎn", "shān", "shuǐ", "huà"});
    for (int i = 0; i < 20; ++i) {
        frm->TBfirst->click();
        EXPECT_EQ(visibleButtons(QuizKind::Tyby), 4);
    }
    lesson({"画", "话", "画", "远"}, {"huà", "huà", "huà", "yuǎn"});
    for (int i = 0; i < 20; ++i) {
        frm->TB_Mkcy->click();
        const QStringList captions = visibleCaptions(QuizKind::Kzry);
        ASSERT_EQ(captions.size(), 2);
        EXPECT_NE(captions[0], captions[1]);
        EXPECT_TRUE(captions.contains(pencora::Hint(quiz(QuizKind::Kzry).label)));
    }

    // A word that breaks the query, and a word the book does not hold: blank pinyin.
    lesson({"画\"", "雪"}, {"huà", "xuě"});
    frm->TB_rszc->click();
    EXPECT_EQ(quiz(QuizKind::Kyrz).label->text(), "");
    EXPECT_EQ(visibleButtons(QuizKind::Kyrz), 2);

    // No book loaded: every choice is blank, and a blank choice is right for a blank key.
    frm->XMLRead.clear();
    fourEntries();
    frm->TB_Mkcy->click();
    EXPECT_EQ(visibleCaptions(QuizKind::Kzry), (QStringList{"", ""}));
    quiz(QuizKind::Kzry).buttons[1]->click();
    EXPECT_EQ(played.back(), cue("right.wav"));
}

TEST_F(QuizFlow, ResizeWhileSeeCharacterIsShownRelaysItsPanelOnly) {
    fourEntries();
    frm->TB_Mkcy->click();
    QuizControls& kzry = quiz(QuizKind::Kzry);
    kzry.label->move(0, -90);  // mid slide-in
    QuizControls& tyrz = quiz(QuizKind::Tyrz);
    const QPoint tyrzFirst = tyrz.buttons[0]->pos();

    kzry.panel->resize(714, 384);
    tyrz.panel->resize(714, 384);
    frm->FormResize(frm.get());
    EXPECT_EQ(kzry.label->size(), QSize(714, 244));
    EXPECT_EQ(kzry.label->y(), -90);
    const int lefts[] = {38, 197, 356, 515};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(kzry.buttons[k]->pos(), QPoint(lefts[k], 210)) << "button " << k + 1;
    }
    EXPECT_EQ(tyrz.buttons[0]->pos(), tyrzFirst);

    // The same panel in 听音认字: the worked example's places and the replay button.
    frm->btn_kewen->click();
    tyrz.panel->resize(714, 384);
    frm->FormResize(frm.get());
    const int tyrzLefts[] = {118, 237, 356, 475};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(tyrz.buttons[k]->pos(), QPoint(tyrzLefts[k], 147));
    }
    EXPECT_EQ(tyrz.replay->pos(), QPoint(624, 8));
}

TEST_F(QuizFlow, QuestionLabelSlidesInThirtyPixelsATickAndStopsAtTheTop) {
    fourEntries();
    frm->TB_rszc->click();
    QLabel* label = quiz(QuizKind::Kyrz).label;
    EXPECT_TRUE(frm->Timer2->isActive());
    label->move(0, -100);
    const int expected[] = {-70, -40, -10, 0, 0};
    for (int top : expected) {
        frm->Timer2Timer(frm->Timer2);
        EXPECT_EQ(label->y(), top);
    }
    EXPECT_FALSE(frm->Timer2->isActive());
}

TEST_F(QuizFlow, ReplayButtonsReplayTheItemAndPromptOnlyWhenPointedAt) {
    fourEntries();
    frm->btn_kewen->click();
    quiz(QuizKind::Tyrz).replay->click();
    EXPECT_EQ(played.back(), sound(currentPinyin()));  // as stored, spaces kept
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(quiz(QuizKind::Tyrz).replay, &enter);
    EXPECT_EQ(played.back(), cue("replay.mp3"));

    // During the wait after a right answer it replays the item just answered.
    buttonShowing(QuizKind::Tyrz, currentWord(), true)->click();
    frm->TBfirst->click();
    quiz(QuizKind::Tyby).replay->click();
    EXPECT_EQ(played.back(), sound(currentPinyin()));

    // With prompts off only the prompt falls silent.
    const size_t before = played.size();
    frm->Quiz.replayPrompt(frm->State, false);
    EXPECT_EQ(played.size(), before);
}

TEST_F(QuizFlow, DictationButtonHandsOverToTheDictationPanel) {
    fourEntries();
    frm->Dictation.panel.pnl_wnnx_main->show();  // a dictation was running
    frm->btn_kewen->click();
    frm->TB_listenAndWrite->click();
    EXPECT_EQ(played.back(), cue("tingxie.mp3"));
    EXPECT_FALSE(frm->pnl_wnnx->isHidden());
    for (QWidget* panel : {frm->pnl_tyrz, frm->pnl_kyrz, frm->pnl_kzry, frm->pnl_tyby}) {
        EXPECT_TRUE(panel->isHidden());
    }
    // The dictation's start view, laid out for the panel.
    EXPECT_TRUE(frm->Dictation.panel.pnl_wnnx_main->isHidden());
    const QWidget* start = frm->Dictation.panel.btn_wnnx1;
    EXPECT_EQ(start->x(), frm->pnl_wnnx->width() / 2 - start->width() / 2);

    // A pending next question after the mode was left only moves the index.
    frm->Timer1->start();
    const size_t before = played.size();
    frm->Timer1Timer(frm->Timer1);
    EXPECT_FALSE(frm->Timer1->isActive());
    EXPECT_EQ(played.size(), before);
}

// A lesson too small to practise, picked while the next question was pending, leaves the
// old buttons and an index beyond the new lists: nothing may read past them.
TEST_F(QuizFlow, PendingQuestionOnALessonTooSmallStaysSafe) {
    fourEntries();
    frm->btn_kewen->click();
    while (frm->State.CurrentIndex < 3) {
        frm->btn_kewen->click();
    }
    QPushButton* stale = buttonShowing(QuizKind::Tyrz, currentWord(), false);
    lesson({}, {});
    frm->btn_kewen->click();  // refused with its notice
    EXPECT_EQ(messages.messages().size(), 1u);
    stale->click();
    EXPECT_EQ(played.back(), cue("think.mp3"));
    frm->Timer1Timer(frm->Timer1);
    quiz(QuizKind::Tyrz).replay->click();
}

TEST_F(QuizFlow, PickingAnotherLessonRestartsTheQuizOnIt) {
    pencora::fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
    frm->FormCreate(frm.get());
    frm->show();
    ASSERT_TRUE(frm->State.lessonSelected());
    frm->TB_rszc->click();
    ASSERT_FALSE(frm->pnl_kyrz->isHidden());
    const QStringList firstWords = frm->State.CurrentWords;

    QTreeWidgetItem* second = frm->tv_mulu->topLevelItem(0)->child(0)->child(0)->child(1);
    frm->selectNode(second);
    EXPECT_NE(frm->State.CurrentWords, firstWords);
    EXPECT_FALSE(frm->pnl_kyrz->isHidden());
    for (const QString& caption : visibleCaptions(QuizKind::Kyrz)) {
        EXPECT_TRUE(frm->State.CurrentWords.contains(caption)) << caption.toStdString();
    }
    EXPECT_EQ(quiz(QuizKind::Kyrz).label->text(), currentPinyin().trimmed());
}

TEST_F(QuizFlow, RightAnswerStartsTheSuccessAnimationAtTheButtonAndLeavesItThere) {
    std::vector<QWidget*> started;
    frm->Quiz.playAnimation = [&](QWidget* player) {
        // Placed and visible before it starts.
        EXPECT_FALSE(player->isHidden());
        started.push_back(player);
    };
    fourEntries();
    frm->btn_kewen->click();
    QWidget* animation = quiz(QuizKind::Tyrz).animation;
    ASSERT_NE(animation, nullptr);
    EXPECT_TRUE(animation->isHidden());
    EXPECT_EQ(animation->size(), QSize(160, 160));

    buttonShowing(QuizKind::Tyrz, currentWord(), false)->click();
    EXPECT_TRUE(started.empty()) << "a wrong answer shows nothing";
    QPushButton* right = buttonShowing(QuizKind::Tyrz, currentWord(), true);
    right->click();
    ASSERT_EQ(started, std::vector<QWidget*>{animation});
    EXPECT_EQ(animation->pos(), right->pos());
    // The next question's buttons come back over the animation, which stays where it was.
    frm->Timer1Timer(frm->Timer1);
    EXPECT_FALSE(animation->isHidden());
    EXPECT_EQ(animation->pos(), right->pos());
    for (QPushButton* b : quiz(QuizKind::Tyrz).buttons) {
        EXPECT_GT(frm->pnl_tyrz->children().indexOf(b),
                  frm->pnl_tyrz->children().indexOf(animation));
    }

    // Each quiz has its own player; a change of look hides all four.
    EXPECT_NE(quiz(QuizKind::Kyrz).animation, animation);
    EXPECT_NE(quiz(QuizKind::Kzry).animation, nullptr);
    EXPECT_NE(quiz(QuizKind::Tyby).animation, nullptr);
    frm->hideQuizAnimations();
    EXPECT_TRUE(animation->isHidden());
}
