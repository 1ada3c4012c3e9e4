#include "modes/quiz/quiz_mode.h"

#include "common/hint.h"
#include "content/content_paths.h"
#include "modes/quiz/choice_placement.h"
#include "modes/quiz/pinyin_lookup.h"
#include "modes/quiz/quiz_layout.h"
#include "sound/play_file.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace pencora::quiz {

namespace {

constexpr size_t kCueSlot = 0;
constexpr size_t kReadingSlot = 1;

bool indexInLesson(const StudyState& state) {
    return state.CurrentIndex >= 0 && state.CurrentIndex < state.CurrentWords.size();
}

bool asksPinyin(QuizKind kind) {
    return kind == QuizKind::Kzry || kind == QuizKind::Tyby;
}

}  // namespace

QuizSound librarySound() {
    return {
        [](uint32_t& slot, const QString& relativePath) { sound::play_file(slot, relativePath); },
        [](uint32_t& slot) { sound::free_slot(slot); }};
}

void QuizMode::drawCurrentIndex(StudyState& state) {
    random.reseedFromClock();
    state.CurrentIndex = random.below(static_cast<int>(state.CurrentWords.size()));
}

std::optional<QuizKind> QuizMode::visibleQuiz() const {
    for (QuizKind kind : kQuizKinds) {
        if (isShown(panels[kind].panel)) {
            return kind;
        }
    }
    return std::nullopt;
}

void QuizMode::buildQuestion(QuizKind kind, StudyState& state, const xml::XmlDocument& xmlRead,
                             QTimer& timer2) {
    // A lesson with fewer entries may have replaced the one the index was drawn for while
    // the next question was pending.
    if (!indexInLesson(state)) {
        return;
    }
    QuizControls& quiz = panels[kind];
    const QStringList& words = state.CurrentWords;
    const int n = static_cast<int>(words.size());
    const int c = state.CurrentIndex;
    auto pinyinOf = [&](const QString& word) {
        return lookupPinyin(xmlRead, state.GroupNo, state.LessonNo, word);
    };

    switch (kind) {
        case QuizKind::Tyrz:
            playPronunciation(state, state.CurrentPinyin.value(c));
            break;
        case QuizKind::Kyrz:
            quiz.label->move(quiz.label->x(), -quiz.label->height());
            timer2.start();
            quiz.label->setText(pinyinOf(words[c]));
            break;
        case QuizKind::Kzry: {
            quiz.label->move(quiz.label->x(), -quiz.label->height());
            quiz.label->setText(words[c]);
            setHint(quiz.label, pinyinOf(words[c]));
            timer2.start();
            break;
        }
        case QuizKind::Tyby:
            quiz.label->setText(pinyinOf(words[c]));
            // The sound file is found even when the stored pinyin carries spaces.
            playPronunciation(state, state.CurrentPinyin.value(c).trimmed());
            break;
    }

    const ChoiceText text = [&](int i) { return asksPinyin(kind) ? pinyinOf(words[i]) : words[i]; };
    const Choices choices = placeChoices(n, c, text, random.drawer());
    for (int k = 0; k < choices.count; ++k) {
        quiz.buttons[k]->setText(choices.captions[k]);
        quiz.buttons[k]->show();
    }
    quiz.choiceCount = choices.count;
}

void QuizMode::layOut(QuizKind kind) {
    QuizControls& quiz = panels[kind];
    const QWidget* panel = quiz.panel;
    const QSize button = quiz.buttons[0]->size();
    const QuizLayout layout = layoutQuiz(kind, panel->width(), panel->height(), button.width(),
                                         button.height(), quiz.choiceCount == 4);
    if (quiz.replay && layout.replayLeft) {
        quiz.replay->move(*layout.replayLeft, quiz.replay->y());
    }
    if (quiz.label && layout.labelHeight) {
        quiz.label->resize(*layout.labelWidth, *layout.labelHeight);
    }
    for (int k = 0; k < 4; ++k) {
        const ButtonPlace& place = layout.buttons[k];
        if (place.visible) {
            quiz.buttons[k]->move(place.left, place.top);
            quiz.buttons[k]->show();
        } else {
            quiz.buttons[k]->hide();
        }
    }
}

void QuizMode::slideIn(QTimer& timer2) {
    QLabel* label = nullptr;
    if (isShown(panels.kyrz.panel)) {
        label = panels.kyrz.label;
    } else if (isShown(panels.kzry.panel)) {
        label = panels.kzry.label;
    }
    if (label == nullptr) {
        // Nothing is sliding once the quiz is left; the next question starts the timer anew.
        timer2.stop();
        return;
    }
    const int top = label->y();
    if (top <= -30) {
        label->move(label->x(), top + 30);
    } else if (top < 0) {
        label->move(label->x(), 0);
    } else {
        timer2.stop();
    }
}

QString QuizMode::answerKey(QuizKind kind, const StudyState& state) const {
    switch (kind) {
        case QuizKind::Tyrz:
        case QuizKind::Kyrz:
            return indexInLesson(state) ? state.CurrentWords[state.CurrentIndex] : QString();
        case QuizKind::Kzry:
            return Hint(panels.kzry.label);
        case QuizKind::Tyby:
            break;
    }
    return panels.tyby.label->text();
}

bool QuizMode::answerCharacter(const QAbstractButton* clicked, StudyState& state, QTimer& timer1) {
    // Without an entry to compare with (a lesson too small for the quiz was picked since the
    // question was asked), no choice is right.
    if (!indexInLesson(state)) {
        playCue(state, kThinkCue);
        return false;
    }
    QuizControls* quiz = nullptr;
    if (isShown(panels.tyrz.panel)) {
        quiz = &panels.tyrz;
    } else if (isShown(panels.kyrz.panel)) {
        quiz = &panels.kyrz;
    }
    return judge(state.CurrentWords[state.CurrentIndex], clicked, quiz, state, timer1);
}

bool QuizMode::answerPinyin(QuizKind kind, const QAbstractButton* clicked, StudyState& state,
                            QTimer& timer1) {
    return judge(answerKey(kind, state), clicked, &panels[kind], state, timer1);
}

bool QuizMode::judge(const QString& key, const QAbstractButton* clicked, QuizControls* quiz,
                     StudyState& state, QTimer& timer1) {
    if (clicked == nullptr || clicked->text() != key) {
        playCue(state, kThinkCue);
        return false;
    }
    if (quiz != nullptr) {
        for (QPushButton* button : quiz->buttons) {
            button->hide();
        }
        // The success animation with its top-left corner at the clicked button's.
        if (quiz->animation != nullptr) {
            quiz->animation->move(clicked->pos());
            quiz->animation->show();
            if (playAnimation) {
                playAnimation(quiz->animation);
            }
        }
    }
    playCue(state, kRightCue);
    timer1.start();
    return true;
}

void QuizMode::replay(StudyState& state) {
    if (indexInLesson(state)) {
        playPronunciation(state, state.CurrentPinyin.value(state.CurrentIndex));
    }
}

void QuizMode::replayPrompt(StudyState& state, bool voicePrompts) {
    if (voicePrompts) {
        playCue(state, kReplayPrompt);
    }
}

void QuizMode::playPronunciation(StudyState& state, const QString& pinyin) {
    if (sound.play) {
        sound.play(state.ChannelSlots[kCueSlot], content::pronunciationRelativePath(pinyin));
    }
}

void QuizMode::playCue(StudyState& state, const QString& fileName) {
    if (sound.play) {
        sound.play(state.ChannelSlots[kCueSlot], content::cueRelativePath(fileName));
    }
}

void QuizMode::stopLessonReading(StudyState& state) {
    if (sound.free) {
        sound.free(state.ChannelSlots[kReadingSlot]);
    }
}

}  // namespace pencora::quiz
