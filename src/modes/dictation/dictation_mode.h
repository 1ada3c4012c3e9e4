// 我念你写 at work: the start of a dictation, its steps on the interval timer tim_tx and on
// the loudspeaker's buttons, and its end, where the word list window takes the main window's
// place. The main window owns one DictationMode and calls it from its handlers; the mode sees
// the window only through its mode context.
#pragma once

#include "modes/dictation/dictation_panel.h"
#include "modes/mode_context.h"

#include <QString>
#include <QTimer>

class QIcon;
class Tfrm_wnnx_list;

namespace pencora::player {
class TsfFlashPlayer;
}

namespace pencora::dictation {

class DictationMode {
  public:
    explicit DictationMode(modes::ModeContext& context);

    DictationPanel panel;
    // The dictation timer: off until a dictation starts, 5000 ms as the interval box starts.
    // With "手动" it does not run: only the next button reads.
    QTimer tim_tx;

    // Builds the panel's controls in pnl_wnnx, the loudspeaker's player among them.
    void build(QWidget* pnl_wnnx, const QIcon& startImage);
    player::TsfFlashPlayer* loudspeaker() const;
    // The word list window the end of a dictation shows (not owned); its cells read through
    // this mode's context, and closing it brings the main window back.
    void attachWordList(Tfrm_wnnx_list* list);
    Tfrm_wnnx_list* wordList() const { return frm_wnnx_list_; }

    // Hides the running view: the start view shows when pnl_wnnx does.
    void showStartView();
    // Places the controls of the view on show for the panel's size.
    void layOut();
    // The start button: from the first entry, reading it at once, then on the timer.
    void start();
    // The pointer on the start button: its voice prompt when voice prompts are on.
    void startPrompt();
    // The interval box's choice becomes the timer's interval.
    void chooseInterval();
    // Reads entry CurrentIndex and moves on; after the last entry the dictation ends.
    void step();
    // A command of the loudspeaker movie: "btnread" repeats the entry read last, "btnnext"
    // reads the next one now (and restarts the interval); anything else is ignored.
    void command(const QString& command);

    // Whether a dictation is under way: the running view shows and no end has come since.
    bool running() const;
    // The interval of the item chosen, 0 in manual mode.
    int interval() const { return interval_; }

  private:
    void startTimer();
    void end();

    modes::ModeContext& context_;
    Tfrm_wnnx_list* frm_wnnx_list_ = nullptr;
    int interval_ = 5000;
    bool running_ = false;
};

}  // namespace pencora::dictation
