#include "modes/quiz/quiz_layout.h"

namespace pencora::quiz {

namespace {

enum class TopRule { Centred, BelowPinyin, BelowCharacter };

struct QuizGeometry {
    std::array<int, 4> offsets;  // four choices: pushed apart for the wider pinyin buttons
    int gap;                     // two choices: half the space between the pair
    TopRule top;
    int labelElevenths;  // question label height in elevenths of the panel; 0: none
    bool replay;
};

QuizGeometry geometryOf(QuizKind kind) {
    switch (kind) {
        case QuizKind::Tyrz:
            return {{0, 0, 0, 0}, 50, TopRule::Centred, 0, true};
        case QuizKind::Kyrz:
            return {{0, 0, 0, 0}, 50, TopRule::BelowPinyin, 8, false};
        case QuizKind::Kzry:
            return {{-60, -20, 20, 60}, 70, TopRule::BelowCharacter, 7, false};
        case QuizKind::Tyby:
            break;
    }
    return {{-60, -20, 20, 60}, 70, TopRule::Centred, 0, true};
}

int topOf(TopRule rule, int H, int h) {
    switch (rule) {
        case TopRule::Centred:
            return H / 2 - h / 2;
        case TopRule::BelowPinyin:
            return 6 * H / 11 + h / 2;
        case TopRule::BelowCharacter:
            break;
    }
    return 5 * H / 11 + h / 2;
}

}  // namespace

std::array<int, 4> fourColumnLefts(int W, int w) {
    const int twelfth = W / 12;
    return {W / 6 + twelfth - w / 2, W / 3 + twelfth - w / 2, W / 2 + twelfth - w / 2,
            2 * W / 3 + twelfth - w / 2};
}

QuizLayout layoutQuiz(QuizKind kind, int W, int H, int w, int h, bool fourChoices) {
    const QuizGeometry g = geometryOf(kind);
    QuizLayout layout;
    if (g.replay) {
        layout.replayLeft = W - 90;
    }
    if (g.labelElevenths != 0) {
        layout.labelHeight = g.labelElevenths * H / 11;
        layout.labelWidth = W;
    }
    const int top = topOf(g.top, H, h);
    if (fourChoices) {
        const std::array<int, 4> lefts = fourColumnLefts(W, w);
        for (int k = 0; k < 4; ++k) {
            layout.buttons[k] = {lefts[k] + g.offsets[k], top, true};
        }
    } else {
        layout.buttons[0] = {W / 2 - w - g.gap, top, true};
        layout.buttons[1] = {W / 2 + g.gap, top, true};
        // Buttons 3 and 4 are hidden where they stand.
    }
    return layout;
}

}  // namespace pencora::quiz
