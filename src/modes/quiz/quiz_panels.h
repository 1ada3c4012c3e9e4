// The controls of the four quiz panels as the course designed them: sizes, places, fonts and
// colours. The panels themselves belong to the main window; the controls are built inside
// them and named as the design names them (btn_tyrz1, lbl_kzry_zi, btn_tyby_read, ...).
#pragma once

#include "modes/quiz/practice_modes.h"

#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace pencora::quiz {

struct QuizControls {
    QuizKind kind = QuizKind::Tyrz;
    QWidget* panel = nullptr;
    // lbl_kyrz_pinyin, lbl_kzry_zi, or lbl_tyby_pinyin (never visible: it only holds the
    // key); 听音认字 has none.
    QLabel* label = nullptr;
    std::array<QPushButton*, 4> buttons{};
    QPushButton* replay = nullptr;  // btn_tyrz_read, btn_tyby_read; none in the other two
    int choiceCount = 0;            // choices of the question on the panel: 2 or 4
    // The success animation's player (flash_right1..4), placed by the main window; none in
    // tests that leave it out.
    QWidget* animation = nullptr;
};

struct QuizPanels {
    QuizControls tyrz;
    QuizControls kyrz;
    QuizControls kzry;
    QuizControls tyby;

    QuizControls& operator[](QuizKind kind);
    const QuizControls& operator[](QuizKind kind) const;
};

// Builds the controls inside the four panels (pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby) and
// gives the panels their design font. The panels place their children themselves.
QuizPanels buildQuizPanels(QWidget* pnl_tyrz, QWidget* pnl_kyrz, QWidget* pnl_kzry,
                           QWidget* pnl_tyby);

// Calls `handler` each time the pointer moves onto `widget` (the handler lives as long as
// the widget).
void onMouseEnter(QWidget* widget, std::function<void()> handler);

// A control counts as visible by its own flag, whether or not its window is on screen.
bool isShown(const QWidget* widget);

}  // namespace pencora::quiz
