#include "modes/quiz/quiz_layout.h"

#include <gtest/gtest.h>

using namespace pencora::quiz;

namespace {

struct LayoutRow {
    const char* name;
    QuizKind kind;
    int W, H, w, h;
    std::array<int, 4> fourLefts;
    int top;
    std::array<int, 2> twoLefts;
    int labelHeight;  // 0: the quiz has no visible label
    int replayLeft;   // 0: no replay button
};

// The 714 x 384 rows are the course's worked example. The 719 x 389 rows catch shortcuts
// that lose the integer divisions: 2W/3 is not 2(W/3), W/6 + W/12 is not W/4, and 6H/11 is
// not 6(H/11).
const LayoutRow kRows[] = {
    {"tyrz_714x384",
     QuizKind::Tyrz,
     714,
     384,
     120,
     90,
     {118, 237, 356, 475},
     147,
     {187, 407},
     0,
     624},
    {"kyrz_714x384",
     QuizKind::Kyrz,
     714,
     384,
     120,
     90,
     {118, 237, 356, 475},
     254,
     {187, 407},
     279,
     0},
    {"kzry_714x384",
     QuizKind::Kzry,
     714,
     384,
     160,
     73,
     {38, 197, 356, 515},
     210,
     {127, 427},
     244,
     0},
    {"tyby_714x384",
     QuizKind::Tyby,
     714,
     384,
     160,
     73,
     {38, 197, 356, 515},
     156,
     {127, 427},
     0,
     624},
    {"tyrz_719x389",
     QuizKind::Tyrz,
     719,
     389,
     120,
     90,
     {118, 238, 358, 478},
     149,
     {189, 409},
     0,
     629},
    {"kyrz_719x389",
     QuizKind::Kyrz,
     719,
     389,
     120,
     90,
     {118, 238, 358, 478},
     257,
     {189, 409},
     282,
     0},
    {"kzry_719x389",
     QuizKind::Kzry,
     719,
     389,
     160,
     73,
     {38, 198, 358, 518},
     212,
     {129, 429},
     247,
     0},
};

void PrintTo(const LayoutRow& row, std::ostream* os) {
    *os << row.name;
}

class QuizLayoutRows : public ::testing::TestWithParam<LayoutRow> {};

}  // namespace

TEST_P(QuizLayoutRows, PlacesButtonsLabelAndReplayToThePixel) {
    const LayoutRow& row = GetParam();
    const QuizLayout four = layoutQuiz(row.kind, row.W, row.H, row.w, row.h, true);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(four.buttons[k].left, row.fourLefts[k]) << "button " << k + 1;
        EXPECT_EQ(four.buttons[k].top, row.top) << "button " << k + 1;
        EXPECT_TRUE(four.buttons[k].visible);
    }
    const QuizLayout two = layoutQuiz(row.kind, row.W, row.H, row.w, row.h, false);
    EXPECT_EQ(two.buttons[0].left, row.twoLefts[0]);
    EXPECT_EQ(two.buttons[1].left, row.twoLefts[1]);
    EXPECT_EQ(two.buttons[0].top, row.top);
    EXPECT_EQ(two.buttons[1].top, row.top);
    EXPECT_TRUE(two.buttons[0].visible && two.buttons[1].visible);
    EXPECT_FALSE(two.buttons[2].visible || two.buttons[3].visible);

    for (const QuizLayout& layout : {four, two}) {
        if (row.labelHeight != 0) {
            EXPECT_EQ(layout.labelHeight, row.labelHeight);
            EXPECT_EQ(layout.labelWidth, row.W);
        } else {
            EXPECT_FALSE(layout.labelHeight.has_value());
        }
        if (row.replayLeft != 0) {
            EXPECT_EQ(layout.replayLeft, row.replayLeft);
        } else {
            EXPECT_FALSE(layout.replayLeft.has_value());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Panels, QuizLayoutRows, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });
