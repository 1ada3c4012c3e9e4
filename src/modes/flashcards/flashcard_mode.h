// 字词速记: the selected lesson's entries one at a time on pnlmain, large, with their pinyin
// above, each read aloud as it appears, moving on by itself at one of three speeds and
// offering a fresh start after the last one. Timer11 steps the cards (its Tag, kept in
// Timer11Tag, is the index of the next entry); Timer21 drops the two labels into place.
//
// The main window owns one FlashcardMode; its fixed handlers (tb_zcsjClick, Timer11Timer,
// ...) call it. The mode sees the frame only through its context.
#pragma once

#include "modes/flashcards/flashcard_panel.h"
#include "modes/flashcards/flashcard_steps.h"

class QObject;
class QTimer;
class QWidget;

namespace pencora::modes {
class ModeContext;
}

namespace pencora::flashcards {

class FlashcardMode {
  public:
    // Builds the controls inside `pnlmain` and connects them and the two timers.
    FlashcardMode(modes::ModeContext& context, QWidget* pnlmain);
    FlashcardMode(const FlashcardMode&) = delete;
    FlashcardMode& operator=(const FlashcardMode&) = delete;

    FlashcardPanel panel;
    QTimer* Timer11 = nullptr;  // card step, owned by the panel
    QTimer* Timer21 = nullptr;  // slide-in
    int Timer11Tag = 0;         // the next card

    void start();          // tb_zcsjClick: start, or start again
    void cardStep();       // Timer11Timer: one card
    void slideStep();      // Timer21Timer: one step of the slide
    void speedChanged();   // rb_easyClick
    void switchPinyin();   // chkpinyinClick: pinyin line on or off
    void replay();         // lblwordClick: the card on view again
    void placeControls();  // the resize hook: widths follow the panel, switches top right
    void stop();           // stops the card and slide timers

    // The speed of the checked radio button of pnl_nandu.
    Speed checkedSpeed() const;

  private:
    void connectControls();
    void playPronunciation(const QString& pinyin);
    void placePinyinAboveWord();

    modes::ModeContext& context_;
};

// The voice prompt of a toolbar button: when the pointer enters it and voice prompts are
// on, Data\sndsoft\ + the button's Hint + .mp3 plays on channel slot 0. With prompts off
// nothing happens, and whatever slot 0 is playing plays on.
void toolbarPrompt(modes::ModeContext& context, const QObject* button);

}  // namespace pencora::flashcards
