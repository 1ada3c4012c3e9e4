#include "modes/flashcards/flashcard_steps.h"

namespace pencora::flashcards {

QString progressLine(const QString& lessonTitle, qsizetype position, qsizetype total) {
    return QStringLiteral("学习内容：【") + lessonTitle + QStringLiteral("】，当前是第") +
           QString::number(position) + QStringLiteral("个，字词总量：") + QString::number(total);
}

}  // namespace pencora::flashcards
