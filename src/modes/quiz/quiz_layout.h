// Where a quiz panel's answer buttons, question label and replay button go for a panel of a
// given size. Plain arithmetic on the panel's width W and height H and the size w × h of the
// answer buttons; every division drops its remainder, so the places come out to the pixel
// on every platform (a 714 × 384 panel puts 听音认字's buttons at 118, 237, 356, 475).
#pragma once

#include "modes/quiz/practice_modes.h"

#include <array>
#include <optional>

namespace pencora::quiz {

struct ButtonPlace {
    int left = 0;
    int top = 0;
    bool visible = false;
};

struct QuizLayout {
    std::array<ButtonPlace, 4> buttons;
    std::optional<int> labelWidth;   // 看音认字 and 看字认音: the question label
    std::optional<int> labelHeight;  // (its top belongs to the slide-in)
    std::optional<int> replayLeft;  // 听音认字 and 听音辨音: the replay button (its top stays)
};

// The places for a question of two or four choices.
QuizLayout layoutQuiz(QuizKind kind, int panelWidth, int panelHeight, int buttonWidth,
                      int buttonHeight, bool fourChoices);

// The left edges of four buttons of width w in a panel of width W, before the quiz's offsets:
// the column centres W/6 + W/12, W/3 + W/12, W/2 + W/12, 2W/3 + W/12 less half a button.
std::array<int, 4> fourColumnLefts(int panelWidth, int buttonWidth);

}  // namespace pencora::quiz
