#include "modes/dictation/dictation_step.h"

namespace pencora::dictation {

std::optional<Step> takeStep(StudyState& state) {
    const int n = static_cast<int>(state.CurrentWords.size());
    const int i = state.CurrentIndex;
    if (i < 0 || i >= n) {
        return std::nullopt;
    }
    Step step;
    step.entry = i;
    step.sound = entrySound(state.CurrentPinyin.value(i));
    step.percent = progressPercent(i, n);
    step.progress = progressLine(i, n, state.CurrentLessonTitle);
    state.CurrentIndex = i + 1;
    if (state.CurrentIndex >= n) {
        step.ended = true;
        state.CurrentIndex = 0;
    }
    return step;
}

int progressPercent(int entry, int count) {
    if (count <= 0) {
        return 0;
    }
    return static_cast<int>((static_cast<int64_t>(entry) + 1) * 100 / count);
}

QString progressLine(int entry, int count, const QString& lessonTitle) {
    return QStringLiteral("已经听写【%1】词，共【%2】词_______当前课程：")
               .arg(entry + 1)
               .arg(count) +
           lessonTitle;
}

QString entrySound(const QString& pinyin) {
    return QStringLiteral("Data\\sound\\") + pinyin + QStringLiteral(".mp3");
}

std::optional<int> lastReadEntry(const StudyState& state) {
    const int last = state.CurrentIndex - 1;
    if (last < 0 || last >= state.CurrentWords.size()) {
        return std::nullopt;
    }
    return last;
}

std::optional<LabaCommand> labaCommand(const QString& command) {
    if (command == QStringLiteral("btnread")) {
        return LabaCommand::ReadAgain;
    }
    if (command == QStringLiteral("btnnext")) {
        return LabaCommand::Next;
    }
    return std::nullopt;
}

}  // namespace pencora::dictation
