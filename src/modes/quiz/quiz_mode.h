// The four quizzes at work: question builders, layout, answer checking, the replay buttons
// and the slide-in of the question label. The main window owns one QuizMode and calls it
// from its handlers; the mode reads and writes the study state it is handed and touches no
// other part of the window.
#pragma once

#include "common/study_state.h"
#include "modes/quiz/quiz_panels.h"
#include "modes/quiz/quiz_random.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QAbstractButton;
class QTimer;

namespace pencora::xml {
class XmlDocument;
}

namespace pencora::quiz {

// How the quizzes make sound: `play` plays a file of the content folder on a channel slot,
// cutting off what the slot played; `free` stops and frees the slot's stream. By default
// both go to the sound library; tests put recorders in their place.
struct QuizSound {
    std::function<void(uint32_t& slot, const QString& relativePath)> play;
    std::function<void(uint32_t& slot)> free;
};

QuizSound librarySound();

// Cue files of the quizzes.
inline const QString kRightCue = QStringLiteral("right.wav");
inline const QString kThinkCue = QStringLiteral("think.mp3");
inline const QString kReplayPrompt = QStringLiteral("replay.mp3");

class QuizMode {
  public:
    QuizPanels panels;
    QuizRandom random;
    QuizSound sound = librarySound();
    // Starts a success animation's player from its first frame; the main window sets it.
    std::function<void(QWidget* player)> playAnimation;

    // Re-seeds the generator from the clock and draws CurrentIndex uniformly from the
    // lesson's entries (no memory of earlier questions).
    void drawCurrentIndex(StudyState& state);

    // The quiz whose panel is visible, looking at 听音认字, 看音认字, 看字认音, 听音辨音 in
    // this order.
    std::optional<QuizKind> visibleQuiz() const;

    // Turns entry CurrentIndex into a question on the quiz's panel: its sound or its label,
    // two or four choices, the answer key. `timer2` is the label slide-in, started for the
    // two quizzes with a label. An index outside the lesson asks nothing.
    void buildQuestion(QuizKind kind, StudyState& state, const xml::XmlDocument& xmlRead,
                       QTimer& timer2);

    // Places the quiz's label, buttons and replay button for the panel's current size and
    // shows two or four buttons as the question on it has.
    void layOut(QuizKind kind);

    // One tick of the slide-in: the visible quiz's label drops 30 pixels until it reaches
    // the panel's top edge, where `timer2` stops.
    void slideIn(QTimer& timer2);

    // A click on an answer button of a character quiz (听音认字 or 看音认字, told apart by
    // the visible panel) or of a pinyin quiz. A wrong choice plays the think cue and changes
    // nothing; a right one hides the quiz's buttons, plays the right cue and starts `timer1`
    // for the next question. Returns whether the choice was right.
    bool answerCharacter(const QAbstractButton* clicked, StudyState& state, QTimer& timer1);
    bool answerPinyin(QuizKind kind, const QAbstractButton* clicked, StudyState& state,
                      QTimer& timer1);

    // The replay button: the item's sound again, its pinyin as stored.
    void replay(StudyState& state);
    // The pointer on a replay button: the replay prompt when voice prompts are on.
    void replayPrompt(StudyState& state, bool voicePrompts);

    // The answer key of the question on the quiz's panel.
    QString answerKey(QuizKind kind, const StudyState& state) const;

    // Data\sndsoft\<fileName> on slot 0.
    void playCue(StudyState& state, const QString& fileName);
    // Frees the stream of slot 1, stopping a lesson reading.
    void stopLessonReading(StudyState& state);

  private:
    bool judge(const QString& key, const QAbstractButton* clicked, QuizControls* quiz,
               StudyState& state, QTimer& timer1);
    void playPronunciation(StudyState& state, const QString& pinyin);
};

}  // namespace pencora::quiz
