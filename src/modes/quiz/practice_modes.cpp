#include "modes/quiz/practice_modes.h"

namespace pencora::quiz {

std::optional<PracticeMode> practiceModeForCaption(const QString& caption) {
    const QString name = caption.trimmed();
    if (name == u"听音认字") {
        return PracticeMode::Tyrz;
    }
    if (name == u"看音认字") {
        return PracticeMode::Kyrz;
    }
    if (name == u"看字认音") {
        return PracticeMode::Kzry;
    }
    if (name == u"听音辨音") {
        return PracticeMode::Tyby;
    }
    if (name == u"我念你写") {
        return PracticeMode::Wnnx;
    }
    return std::nullopt;
}

std::optional<QuizKind> quizOf(PracticeMode mode) {
    switch (mode) {
        case PracticeMode::Tyrz:
            return QuizKind::Tyrz;
        case PracticeMode::Kyrz:
            return QuizKind::Kyrz;
        case PracticeMode::Kzry:
            return QuizKind::Kzry;
        case PracticeMode::Tyby:
            return QuizKind::Tyby;
        case PracticeMode::Wnnx:
            break;
    }
    return std::nullopt;
}

std::optional<QString> practiceRefusal(const StudyState& state) {
    if (!state.lessonSelected()) {
        return kNoLessonText;
    }
    if (state.CurrentWords.size() < 2) {
        return kTooFewEntriesText;
    }
    return std::nullopt;
}

}  // namespace pencora::quiz
