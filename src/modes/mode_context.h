// All a study mode sees of the frame it lives in. The main window implements it; tests hand
// a mode a fake that records what the mode asked for. A mode keeps a reference to its
// context for its whole life and never reaches the main window any other way.
#pragma once

#include "common/study_state.h"
#include "platform/ui/message_service.h"

#include <QString>

class QWidget;

namespace pencora::xml {
class XmlDocument;
}

namespace pencora::player {
class TsfFlashPlayer;
}

namespace pencora::modes {

// Channel slot 0 carries cues, prompts and pronunciations; slot 1 the lesson reading.
inline constexpr int kCueSlot = 0;
inline constexpr int kReadingSlot = 1;

// Work of other modes that starting a mode may have to stop. Which ones each mode stops is
// the mode's own choice: the character tables, for one, let a dictation run on.
enum class Activity {
    NextQuestion,  // a quiz's pending next question
    Flashcards,    // the card step and its slide-in
    Dictation,     // the dictation interval
    LessonReading  // the stream of channel slot 1
};

class ModeContext {
  public:
    virtual ~ModeContext() = default;

    // The lesson, its word lists, the current index and the two channel slots.
    virtual StudyState& studyState() = 0;
    // The selected book's character file.
    virtual const xml::XmlDocument& characterDocument() const = 0;

    // Plays `relativePath` of the content folder on channel slot `slot`, cutting off what
    // the slot played; a missing file plays nothing, silently.
    virtual void play_file(int slot, const QString& relativePath) = 0;
    // Stops and frees the stream of channel slot `slot`.
    virtual void freeChannel(int slot) = 0;

    // The 语音提示 switch as it stands now; read it at the moment a prompt would play.
    virtual bool voicePromptsOn() const = 0;

    // Shows a notice owned by the main window and returns the button chosen.
    virtual ui::MessageResult showMessage(ui::MessageIcon icon, const QString& title,
                                          const QString& text,
                                          ui::MessageButtons buttons = ui::MessageButtons::Ok) = 0;

    // Hides every other mode panel and shows `panel`, already at the client area's size.
    virtual void showOnlyPanel(QWidget* panel) = 0;

    // Stops another mode's work (see Activity).
    virtual void stop(Activity activity) = 0;

    // A new movie player inside `parent` with the frame's player settings (white, pointing
    // hand, full volume, no volume control), named `name`; owned by `parent`.
    virtual player::TsfFlashPlayer* createMoviePlayer(QWidget* parent, const QString& name) = 0;

    // The main window itself: to hide and show it, read its geometry, and own a mode's own
    // windows and boxes.
    virtual QWidget* frameWindow() = 0;
};

}  // namespace pencora::modes
