// The controls of 字词速记 inside pnlmain as the course designed them: the entry, its pinyin
// line, the progress line along the bottom, and pnl_nandu at the top right with the three
// speed buttons and the pinyin switch, each with the caption that passes clicks on to it.
#pragma once

class QCheckBox;
class QLabel;
class QRadioButton;
class QWidget;

namespace pencora::flashcards {

struct FlashcardPanel {
    QWidget* pnlmain = nullptr;
    QLabel* lblword = nullptr;    // the entry; its Hint is the entry's pinyin
    QLabel* lblpinyin = nullptr;  // the pinyin line above it
    QLabel* lblstate = nullptr;   // progress line along the bottom
    QWidget* pnl_nandu = nullptr;
    QLabel* Label3 = nullptr;  // "浏览速度："
    QRadioButton* rb_easy = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* rb_normal = nullptr;
    QLabel* Label4 = nullptr;
    QRadioButton* rb_hard = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* chkpinyin = nullptr;
    QLabel* Label8 = nullptr;
};

// Builds the controls inside `pnlmain`; 中 and 开启拼音 start checked.
FlashcardPanel buildFlashcardPanel(QWidget* pnlmain);

}  // namespace pencora::flashcards
