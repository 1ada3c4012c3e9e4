// 我念你写 at work: the start of a dictation, its steps on the interval timer tim_tx and on
// the loudspeaker's buttons, and its end, where the word list window takes the main window's
// place. The main window owns one DictationMode and calls it from its handlers; the mode
// reads and writes the study state it is handed.
#pragma once

#include "app/study_state.h"
#include "modes/dictation/dictation_panel.h"
#include "modes/dictation/dictation_sound.h"

#include <QString>
#include <QTimer>
#include <functional>

class QIcon;
class Tfrm_wnnx_list;

namespace pencora::dictation {

// What the dictation asks of the window it lives in.
struct DictationFrame {
    // The main window: it owns the end notice, and the word list takes its place.
    QWidget* window = nullptr;
    // Hides every other mode panel and shows pnl_wnnx.
    std::function<void()> showDictationPanel;
    // The voice-prompt switch as it stands now.
    std::function<bool()> voicePromptsOn;
};

class DictationMode {
  public:
    DictationMode();

    DictationPanel panel;
    // The dictation timer: off until a dictation starts, 5000 ms as the interval box starts.
    // With "手动" it does not run: only the next button reads.
    QTimer tim_tx;
    DictationFrame frame;
    DictationSound sound = librarySound();
    Tfrm_wnnx_list* frm_wnnx_list = nullptr;  // not owned

    // Builds the panel's controls in pnl_wnnx (see buildDictationPanel).
    void build(QWidget* pnl_wnnx, QWidget* loudspeaker, const QIcon& startImage);
    // Hands the word list window the study state and its way back to the main window.
    void attachWordList(Tfrm_wnnx_list* list, StudyState& state);

    // Places the controls of the view on show for the panel's size.
    void layOut();
    // The start button: from the first entry, reading it at once, then on the timer.
    void start(StudyState& state);
    // The pointer on the start button: its voice prompt when voice prompts are on.
    void startPrompt(StudyState& state);
    // The interval box's choice becomes the timer's interval.
    void chooseInterval();
    // Reads entry CurrentIndex and moves on; after the last entry the dictation ends.
    void step(StudyState& state);
    // A command of the loudspeaker movie: "btnread" repeats the entry read last, "btnnext"
    // reads the next one now (and restarts the interval); anything else is ignored.
    void command(StudyState& state, const QString& command);

    // Whether a dictation is under way: the running view shows and no end has come since.
    bool running() const;
    // The interval of the item chosen, 0 in manual mode.
    int interval() const { return interval_; }

  private:
    void startTimer();
    void end(StudyState& state);
    void showStartView();

    int interval_ = 5000;
    bool running_ = false;
};

}  // namespace pencora::dictation
