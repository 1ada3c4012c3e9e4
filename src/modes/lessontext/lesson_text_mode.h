// 同步学课文: the selected lesson's movie from the course's lesson-movie library with its
// recorded reading on channel slot 1, and the movie's commands about the reading.
//
// A lesson whose movie cannot be found raises an error with a text naming the lesson; the
// frame's general error report shows it, the panel stays black.
#pragma once

#include "modes/lessontext/lesson_text_panel.h"

#include <QString>
#include <memory>

namespace pencora::resources {
class PeResourceLibrary;
}

namespace pencora::lessontext {

class LessonTextMode {
  public:
    // Builds Flashbg inside the frame's panel `pnlrszc`.
    LessonTextMode(modes::ModeContext& context, QWidget* pnlrszc);
    ~LessonTextMode();
    LessonTextMode(const LessonTextMode&) = delete;
    LessonTextMode& operator=(const LessonTextMode&) = delete;

    // The toolbar button: stops the reading and the flashcard and dictation timers, shows
    // the panel and opens the selected lesson's text from its start. Before any lesson has
    // been selected the panel stays black and nothing is reported.
    void TBlessonClick();

    // Loads and starts the movie and the reading of the lesson with the six-digit `code`.
    void OpenLessonText(const QString& code);

    // The movie's commands: "read_lx", "lesson_page", "lesson_play".
    void FlashbgHandleFSCommand(const QString& command, const QString& args);

    const LessonTextPanel& panel() const { return panel_; }

  private:
    uint32_t& readingSlot();
    const resources::PeResourceLibrary& library(const QString& code);
    void readWhole();
    void stopReading();
    void playPassage(const QString& args);

    modes::ModeContext& context_;
    LessonTextPanel panel_;
    // Opened on the first lesson text and kept until the program ends.
    std::unique_ptr<resources::PeResourceLibrary> LessonLibrary;
};

}  // namespace pencora::lessontext
