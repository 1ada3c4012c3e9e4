// The five practice modes of the toolbar and what a lesson needs before one can start.
#pragma once

#include "common/study_state.h"

#include <QString>
#include <array>
#include <optional>

namespace pencora::quiz {

enum class QuizKind { Tyrz, Kyrz, Kzry, Tyby };
enum class PracticeMode { Tyrz, Kyrz, Kzry, Tyby, Wnnx };

inline constexpr std::array<QuizKind, 4> kQuizKinds{QuizKind::Tyrz, QuizKind::Kyrz, QuizKind::Kzry,
                                                    QuizKind::Tyby};

// The mode a toolbar button's caption names, spaces around it ignored; nullopt for any
// other caption.
std::optional<PracticeMode> practiceModeForCaption(const QString& caption);

std::optional<QuizKind> quizOf(PracticeMode mode);

inline const QString kPracticeTitle = QStringLiteral("Pencora生字练习说明！");
inline const QString kNoLessonText = QStringLiteral("请通过左侧目录，先选择用于练习的具体课程！");
// Two sentences joined by a lone carriage return, as the box has always shown them.
inline const QString kTooFewEntriesText =
    QStringLiteral("本课程中用于听写练习的字词数量少于2个！\r请选择其它课文进行相关字词的练习！");

// The notice that refuses practice on the selected lesson, or nullopt when it can start:
// a lesson must be selected and hold at least two entries.
std::optional<QString> practiceRefusal(const StudyState& state);

}  // namespace pencora::quiz
