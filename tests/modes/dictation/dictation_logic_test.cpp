// The dictation's arithmetic and texts without widgets: steps through a lesson, the progress
// line, the interval table, the layout of both views and the word list's cells.
#include "modes/dictation/dictation_layout.h"
#include "modes/dictation/dictation_step.h"
#include "modes/dictation/intervals.h"
#include "modes/dictation/word_grid.h"

#include <gtest/gtest.h>

using namespace pencora;
using namespace pencora::dictation;

namespace {

StudyState lesson(int entries) {
    StudyState state;
    state.CurrentLessonTitle = QStringLiteral("一年级上册→【1 画】");
    for (int k = 0; k < entries; ++k) {
        state.CurrentWords << QStringLiteral("字%1").arg(k + 1);
        state.CurrentPinyin << QStringLiteral("zi%1 ").arg(k + 1);
    }
    return state;
}

// Every step of a dictation from the first entry, as percentages.
std::vector<int> percentsThrough(StudyState& state) {
    std::vector<int> percents;
    for (int guard = 0; guard < 100; ++guard) {
        const auto step = takeStep(state);
        if (!step) {
            break;
        }
        percents.push_back(step->percent);
        if (step->ended) {
            break;
        }
    }
    return percents;
}

}  // namespace

TEST(DictationStep, ATwoEntryLessonReadsEachOnceAndEndsOnTheSecond) {
    StudyState state = lesson(2);
    const auto first = takeStep(state);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->entry, 0);
    EXPECT_EQ(first->sound, QStringLiteral("Data\\sound\\zi1 .mp3")) << "pinyin as stored";
    EXPECT_EQ(first->percent, 50);
    EXPECT_EQ(first->progress,
              QStringLiteral("已经听写【1】词，共【2】词_______当前课程：一年级上册→【1 画】"));
    EXPECT_FALSE(first->ended);
    EXPECT_EQ(state.CurrentIndex, 1);

    const auto second = takeStep(state);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->entry, 1);
    EXPECT_EQ(second->percent, 100);
    EXPECT_TRUE(second->ended);
    EXPECT_EQ(state.CurrentIndex, 0) << "the next dictation starts from the first entry";
}

TEST(DictationStep, ProgressTruncates) {
    StudyState three = lesson(3);
    EXPECT_EQ(percentsThrough(three), (std::vector<int>{33, 66, 100}));
    StudyState seven = lesson(7);
    EXPECT_EQ(percentsThrough(seven), (std::vector<int>{14, 28, 42, 57, 71, 85, 100}));
    EXPECT_EQ(progressPercent(0, 0), 0) << "no lesson, no division by zero";
}

TEST(DictationStep, AnIndexOutsideTheLessonTakesNoStep) {
    StudyState state = lesson(3);
    for (int index : {3, 17, -1}) {
        state.CurrentIndex = index;
        EXPECT_FALSE(takeStep(state)) << index;
        EXPECT_EQ(state.CurrentIndex, index);
    }
    StudyState empty = lesson(0);
    EXPECT_FALSE(takeStep(empty));
}

TEST(DictationStep, ReadAgainRepeatsTheEntryReadLastAndNothingBeforeTheFirst) {
    StudyState state = lesson(3);
    EXPECT_FALSE(lastReadEntry(state));
    takeStep(state);
    EXPECT_EQ(lastReadEntry(state), 0);
    takeStep(state);
    EXPECT_EQ(lastReadEntry(state), 1);
    state.CurrentIndex = 9;  // a lesson replaced under the index
    EXPECT_FALSE(lastReadEntry(state));
}

TEST(DictationStep, CommandsAreMatchedExactly) {
    EXPECT_EQ(labaCommand(QStringLiteral("btnread")), LabaCommand::ReadAgain);
    EXPECT_EQ(labaCommand(QStringLiteral("btnnext")), LabaCommand::Next);
    for (const char* other : {"BtnNext", "btnnext ", "btnRead", "", "read_lx"}) {
        EXPECT_FALSE(labaCommand(QString::fromUtf8(other))) << other;
    }
}

TEST(DictationIntervals, EightItemsEndingInManual) {
    EXPECT_EQ(intervalItems(),
              (QStringList{"5秒", "8秒", "10秒", "15秒", "20秒", "30秒", "60秒", "手动"}));
    const int expected[] = {5000, 8000, 10000, 15000, 20000, 30000, 60000, 0};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(intervalForItem(k), expected[k]) << k;
    }
    EXPECT_EQ(intervalForItem(kDefaultIntervalItem), 5000);
    EXPECT_EQ(intervalForItem(-1), 0);
    EXPECT_EQ(intervalForItem(8), 0);
}

TEST(DictationLayout, BothViewsAtTheDesignSizeAndAnOddOne) {
    const StartLayout design = layOutStart({714, 384}, {449, 48}, 67, 96);
    EXPECT_EQ(design.button, QPoint(133, 218));
    EXPECT_EQ(design.intervalBoxLeft, 642);
    EXPECT_EQ(design.intervalCaptionLeft, 549);
    const StartLayout odd = layOutStart({1001, 601}, {449, 48}, 67, 96);
    EXPECT_EQ(odd.button, QPoint(500 - 224, 300 - 24 + 50));

    EXPECT_EQ(loudspeakerPlace({714, 384}, {250, 250}, 44, 30), QPoint(232, 30));
    EXPECT_EQ(loudspeakerPlace({1090, 725}, {250, 250}, 44, 30), QPoint(420, 200));
    // A window lower than the loudspeaker puts it partly above the top, not below the bar.
    EXPECT_EQ(loudspeakerPlace({600, 300}, {250, 250}, 44, 30), QPoint(175, -12));
}

TEST(WordGrid, FillsRowByRowUpToTwentyFourCells) {
    QStringList ten;
    for (int k = 0; k < 10; ++k) {
        ten << QStringLiteral("w%1").arg(k);
    }
    const QStringList cells = gridTexts(ten);
    ASSERT_EQ(cells.size(), kGridCells);
    EXPECT_EQ(cells.mid(0, 6), ten.mid(0, 6)) << "row 0 full";
    EXPECT_EQ(cells.mid(6, 4), ten.mid(6, 4)) << "row 1 holds the rest";
    for (int k = 10; k < kGridCells; ++k) {
        EXPECT_TRUE(cells[k].isEmpty()) << k;
    }

    QStringList thirty;
    for (int k = 0; k < 30; ++k) {
        thirty << QStringLiteral("w%1").arg(k);
    }
    EXPECT_EQ(gridTexts(thirty), thirty.mid(0, 24));
    EXPECT_EQ(entryOfCell(2, 1), 8);
    EXPECT_EQ(centredGrid({680, 384}, {491, 328}), QPoint(94, 28));
    EXPECT_EQ(centredGrid({400, 300}, {491, 328}), QPoint(-45, -14)) << "truncates towards zero";
}

TEST(WordGrid, ACellPlaysItsEntryTrimmedAndAnEmptyCellNothing) {
    const QStringList pinyin{"a", "b", "c", "d", "e", "f", "g", "h", QStringLiteral("\t huā \x01")};
    EXPECT_EQ(cellSound(pinyin, 2, 1), QStringLiteral("Data\\sound\\huā.mp3"));
    EXPECT_EQ(cellSound(pinyin, 0, 0), QStringLiteral("Data\\sound\\a.mp3"));
    EXPECT_FALSE(cellSound(pinyin, 3, 1));
    EXPECT_FALSE(cellSound(pinyin, 5, 3));
    EXPECT_FALSE(cellSound(pinyin, 6, 0)) << "no such column";
    EXPECT_FALSE(cellSound(pinyin, -1, 0));
    EXPECT_EQ(trimmedPinyin(QStringLiteral("  \r\n")), QString());
    EXPECT_EQ(trimmedPinyin(QStringLiteral("yī èr")), QStringLiteral("yī èr"));
}
