// 字词速记: the selected lesson's entries one at a time on pnlmain, large, with their pinyin
// above, each read aloud as it appears, moving on by itself at one of three speeds and
// offering a fresh start after the last one. Timer11 steps the cards (its Tag, kept in
// Timer11Tag, is the index of the next entry); Timer21 drops the two labels into place.
//
// Everything here works on the main window's controls and study state; the window's
// handlers of the same names call these. The controls are built by flashcard_panel.h.
#pragma once

class QObject;
class Tfrm_Main;

namespace pencora::flashcards {

// The pause before the first card of a start.
inline constexpr int kFirstCardDelayMs = 500;

enum class Speed { Slow, Medium, Fast };

// Milliseconds between two cards: 慢 8 s, 中 4 s, 快 2 s.
constexpr int speedInterval(Speed speed) {
    switch (speed) {
        case Speed::Slow:
            return 8000;
        case Speed::Medium:
            return 4000;
        case Speed::Fast:
            return 2000;
    }
    return 4000;
}

// The speed of the checked radio button of pnl_nandu.
Speed checkedSpeed(const Tfrm_Main& frm);

void tb_zcsjClick(Tfrm_Main& frm, QObject* Sender);    // start, or start again
void Timer11Timer(Tfrm_Main& frm, QObject* Sender);    // one card
void Timer21Timer(Tfrm_Main& frm, QObject* Sender);    // one step of the slide
void rb_easyClick(Tfrm_Main& frm, QObject* Sender);    // speed change
void chkpinyinClick(Tfrm_Main& frm, QObject* Sender);  // pinyin line on or off
void lblwordClick(Tfrm_Main& frm, QObject* Sender);    // replay the card on view

// The resize hook: widths follow the panel and the switches stay at its top right; the
// vertical positions are left alone.
void placeControls(Tfrm_Main& frm);

// Stops the card and slide timers, as the character tables and the lesson text do.
void stopFlashcards(Tfrm_Main& frm);

}  // namespace pencora::flashcards
