// The dictation mode on its own panel with a fake of the frame: steps on the timer (ticks
// given by hand) and on the loudspeaker's commands, the end with its notice and the word list
// in the window's place, and the word list's grid and cells.
#include "modes/dictation/dictation_mode.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "support/fake_mode_context.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

using namespace pencora;
using namespace pencora::dictation;
using pencora::ui::MessageIcon;
using Played = pencora::testing::FakeModeContext::Played;

namespace {

QString entrySoundOf(int entry) {
    return QStringLiteral("Data\\sound\\py%1 .mp3").arg(entry + 1);
}

class Dictation : public ::testing::Test {
  protected:
    void SetUp() override {
        context.frameWindow()->setGeometry(40, 30, 906, 475);
        pnl_wnnx = context.addPanel(QStringLiteral("pnl_wnnx"));
        mode.build(pnl_wnnx, QIcon());
        mode.attachWordList(&list);
        context.showOnlyPanel(pnl_wnnx);
        context.frameWindow()->show();
        context.clearRecords();
    }

    void lesson(int entries) {
        state.CurrentLessonTitle = QStringLiteral("一年级上册→【1 画】");
        state.CurrentWords.clear();
        state.CurrentPinyin.clear();
        for (int k = 0; k < entries; ++k) {
            state.CurrentWords << QStringLiteral("词%1").arg(k + 1);
            state.CurrentPinyin << QStringLiteral("py%1 ").arg(k + 1);
        }
    }

    bool runningView() const { return !mode.panel.pnl_wnnx_main->isHidden(); }
    int bar() const { return mode.panel.prog_In->value(); }
    QString line() const { return mode.panel.lbl_wnnx_state->text(); }
    QString cell(int row, int column) const { return list.GridChar->item(row, column)->text(); }
    void command(const char* text) { mode.command(QString::fromLatin1(text)); }
    // A tick of tim_tx, as the window's handler runs it.
    void tick() {
        ASSERT_TRUE(mode.tim_tx.isActive()) << "no tick comes from a stopped timer";
        mode.step();
    }
    QWidget& window() { return *context.frameWindow(); }

    pencora::testing::FakeModeContext context;
    StudyState& state = context.state;
    std::vector<Played>& played = context.played;
    QWidget* pnl_wnnx = nullptr;
    DictationMode mode{context};
    Tfrm_wnnx_list list;
};

TEST_F(Dictation, TwoEntriesReadTheFirstAtOnceAndEndOnTheNextTick) {
    lesson(2);
    state.CurrentIndex = 1;  // whatever the toolbar drew: a dictation starts from the first
    mode.start();
    EXPECT_TRUE(runningView());
    EXPECT_EQ(played, (std::vector<Played>{{0, entrySoundOf(0)}}));
    EXPECT_EQ(bar(), 50);
    EXPECT_EQ(line(),
              QStringLiteral("已经听写【1】词，共【2】词_______当前课程：一年级上册→【1 画】"));
    EXPECT_TRUE(mode.tim_tx.isActive());
    EXPECT_EQ(mode.tim_tx.interval(), 5000);
    EXPECT_TRUE(context.notices.empty());

    tick();
    EXPECT_EQ(played.back(), (Played{0, entrySoundOf(1)}));
    EXPECT_EQ(bar(), 100);
    EXPECT_FALSE(mode.tim_tx.isActive());
    EXPECT_EQ(state.CurrentIndex, 0);
    ASSERT_EQ(context.notices.size(), 1u);
    const auto& notice = context.notices[0];
    EXPECT_EQ(notice.icon, MessageIcon::Information);
    EXPECT_EQ(notice.title, QStringLiteral("听写练习说明！"));
    EXPECT_EQ(notice.text, QStringLiteral("小朋友，本课程中的字词已经听写完成！\r\r"
                                          "点击确定按钮，核对一下你听写的字词是否正确？"));
    EXPECT_EQ(notice.buttons, ui::MessageButtons::Ok);
    // The word list in the window's place, the panel back on its start view, the window gone.
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.geometry(), window().geometry());
    EXPECT_EQ(cell(0, 0), QStringLiteral("词1"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("词2"));
    EXPECT_FALSE(runningView());
    EXPECT_FALSE(pnl_wnnx->isHidden());
    EXPECT_EQ(context.shownPanels, std::vector<QWidget*>{pnl_wnnx});
    EXPECT_TRUE(window().isHidden());
    EXPECT_EQ(played.size(), 2u) << "the last entry goes on sounding under the notice";
}

TEST_F(Dictation, EveryEndPlacesTheListOverTheWindowAsItIsNow) {
    lesson(2);
    for (const QRect place : {QRect(40, 30, 906, 475), QRect(10, 20, 1200, 700)}) {
        list.hide();
        window().show();
        window().setGeometry(place);
        mode.start();
        tick();
        EXPECT_EQ(list.geometry(), place);
    }
}

TEST_F(Dictation, ThreeEntriesShowTruncatedPercentages) {
    lesson(3);
    mode.start();
    std::vector<int> bars{bar()};
    tick();
    bars.push_back(bar());
    tick();
    bars.push_back(bar());
    EXPECT_EQ(bars, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(line(),
              QStringLiteral("已经听写【3】词，共【3】词_______当前课程：一年级上册→【1 画】"));
}

TEST_F(Dictation, ManualReadsOnlyOnTheNextButton) {
    lesson(3);
    mode.panel.cmb_timer->setCurrentIndex(7);
    mode.chooseInterval();
    EXPECT_EQ(mode.panel.cmb_timer->currentText(), QStringLiteral("手动"));
    mode.start();
    EXPECT_EQ(played.size(), 1u);
    EXPECT_FALSE(mode.tim_tx.isActive()) << "a timer of interval 0 would tick without end";
    command("btnnext");
    EXPECT_EQ(played.back(), (Played{0, entrySoundOf(1)}));
    EXPECT_FALSE(mode.tim_tx.isActive());
    command("btnnext");
    EXPECT_EQ(played.back(), (Played{0, entrySoundOf(2)}));
    EXPECT_EQ(context.notices.size(), 1u);

    // The choice of interval holds for the next dictation too, and back to 8秒 ticks again.
    mode.panel.cmb_timer->setCurrentIndex(1);
    mode.chooseInterval();
    mode.start();
    EXPECT_TRUE(mode.tim_tx.isActive());
    EXPECT_EQ(mode.tim_tx.interval(), 8000);
}

TEST_F(Dictation, ReadAgainRepeatsWithoutAdvancingAndIsSilentBeforeTheFirstEntry) {
    lesson(3);
    command("btnread");
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(context.freedChannels, std::vector<int>{0}) << "slot 0 falls silent";

    mode.start();
    played.clear();
    command("btnread");
    command("btnread");
    EXPECT_EQ(played, (std::vector<Played>{{0, entrySoundOf(0)}, {0, entrySoundOf(0)}}));
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(bar(), 33);

    // Commands differ by case; anything else is ignored.
    played.clear();
    for (const char* other : {"BTNREAD", "btnNext", "read_lx", ""}) {
        command(other);
    }
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(state.CurrentIndex, 1);
}

TEST_F(Dictation, NextDuringAnAutomaticDictationReadsAtOnceAndRestartsTheInterval) {
    lesson(3);
    mode.panel.cmb_timer->setCurrentIndex(4);  // 20秒
    mode.chooseInterval();
    mode.start();
    EXPECT_EQ(mode.tim_tx.interval(), 20000);
    command("btnnext");
    EXPECT_EQ(played.back(), (Played{0, entrySoundOf(1)}));
    EXPECT_TRUE(mode.tim_tx.isActive());
    EXPECT_GT(mode.tim_tx.remainingTime(), 19000) << "a full interval from the press";

    // On the last entry it ends the dictation, and a press after that reads nothing.
    command("btnnext");
    EXPECT_EQ(played.back(), (Played{0, entrySoundOf(2)}));
    EXPECT_FALSE(mode.tim_tx.isActive());
    EXPECT_EQ(context.notices.size(), 1u);
    const size_t heard = played.size();
    command("btnnext");
    EXPECT_EQ(played.size(), heard);
    EXPECT_FALSE(mode.tim_tx.isActive());
    EXPECT_EQ(context.notices.size(), 1u);
    EXPECT_EQ(state.CurrentIndex, 0);
}

TEST_F(Dictation, StartPromptPlaysOnlyWithVoicePrompts) {
    context.voicePrompts = false;
    mode.startPrompt();
    EXPECT_TRUE(played.empty());
    context.voicePrompts = true;
    mode.startPrompt();
    EXPECT_EQ(played, (std::vector<Played>{{0, QStringLiteral("Data\\sndsoft\\tingxie2.mp3")}}));
}

TEST_F(Dictation, LayoutPlacesTheStartViewAndCentresTheLoudspeaker) {
    window().resize(1001, 601);
    QApplication::processEvents();
    const QSize panel = pnl_wnnx->size();
    ASSERT_GT(panel.width(), 900);
    mode.layOut();
    const int w = panel.width();
    const int h = panel.height();
    EXPECT_EQ(mode.panel.btn_wnnx1->geometry(), QRect(w / 2 - 224, h / 2 - 24 + 50, 449, 48));
    EXPECT_EQ(mode.panel.cmb_timer->x(), w - 67 - 5);
    EXPECT_EQ(mode.panel.lbl_timer->x(), w - 67 - 5 - 96 + 3);
    EXPECT_EQ(mode.panel.cmb_timer->count(), 8);
    EXPECT_EQ(mode.panel.cmb_timer->currentText(), QStringLiteral("5秒"));

    lesson(2);
    mode.start();
    EXPECT_EQ(mode.panel.pnl_wnnx_main->geometry(), QRect(QPoint(0, 0), panel));
    EXPECT_EQ(mode.panel.prog_In->geometry(), QRect(0, h - 30, w, 30));
    EXPECT_EQ(mode.panel.lbl_wnnx_state->geometry(), QRect(0, h - 74, w, 44));
    EXPECT_EQ(mode.panel.flash_laba->geometry(),
              QRect((w - 250) / 2, (h - 74 - 250) / 2, 250, 250));
}

TEST_F(Dictation, TheWordListFillsRowByRowAndForgetsALongerLesson) {
    lesson(30);
    list.show();
    EXPECT_EQ(cell(3, 5), QStringLiteral("词24"));
    EXPECT_EQ(list.GridChar->rowCount() * list.GridChar->columnCount(), 24);
    list.hide();

    lesson(10);
    list.show();
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(cell(0, column), QStringLiteral("词%1").arg(column + 1));
    }
    EXPECT_EQ(cell(1, 3), QStringLiteral("词10"));
    EXPECT_EQ(cell(1, 4), QString()) << "nothing of the longer lesson is left";
    EXPECT_EQ(cell(3, 5), QString());
}

TEST_F(Dictation, AWordWiderThanItsCellIsDrawnFromItsFirstCharacterAndClipped) {
    lesson(2);
    state.CurrentWords = {QStringLiteral("春天"), QStringLiteral("春夏")};
    list.show();
    list.GridChar->setCurrentCell(3, 5);  // neither cell drawn as selected
    const QImage grid = list.GridChar->viewport()->grab().toImage();
    const QRect first = list.GridChar->visualItemRect(list.GridChar->item(0, 0));
    const QRect second = list.GridChar->visualItemRect(list.GridChar->item(0, 1));
    ASSERT_EQ(first.width(), 79) << "80 with its grid line";
    auto part = [&](const QRect& cell, int from, int width) {
        return grid.copy(cell.x() + from, cell.y(), width, cell.height());
    };
    // The same first character in both; the second one shows where it begins, so the words
    // differ at the right edge (a shortened "春…" would look the same in both).
    EXPECT_EQ(part(first, 0, 56), part(second, 0, 56));
    EXPECT_NE(part(first, 62, 17), part(second, 62, 17));
    auto maroonPixels = [&](const QRect& cell) {
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = grid.pixelColor(x, y);
                count += c.red() > 90 && c.green() < 40 && c.blue() < 40;
            }
        }
        return count;
    };
    EXPECT_GT(maroonPixels(first), 400) << "the entry is drawn large, in maroon";
}

TEST_F(Dictation, ACellReadsItsEntryAndAnEmptyCellOnlyStops) {
    lesson(10);
    state.CurrentPinyin[8] = QStringLiteral(" huā\t");
    list.show();
    bool canSelect = true;
    list.GridCharSelectCell(list.GridChar, 2, 1, canSelect);
    EXPECT_EQ(played, (std::vector<Played>{{0, QStringLiteral("Data\\sound\\huā.mp3")}}));
    list.GridCharSelectCell(list.GridChar, 5, 2, canSelect);
    EXPECT_EQ(played.size(), 1u);
    EXPECT_EQ(context.freedChannels, std::vector<int>{0});
    EXPECT_TRUE(canSelect);
}

TEST_F(Dictation, ClosingTheListStopsTheTimerAndBringsTheWindowBackOnTheStartView) {
    lesson(2);
    mode.start();
    tick();
    ASSERT_TRUE(window().isHidden());
    mode.tim_tx.start(5000);  // whatever started it meanwhile, closing stops it
    list.close();
    EXPECT_TRUE(list.isHidden());
    EXPECT_FALSE(window().isHidden());
    EXPECT_FALSE(mode.tim_tx.isActive());
    EXPECT_FALSE(runningView());
    EXPECT_FALSE(mode.panel.btn_wnnx1->isHidden());
}

}  // namespace
