// One step of a dictation, worked out without widgets: which entry is read, where the
// progress bar and the progress line stand, and whether the lesson is done. Also the texts
// the dictation shows and the commands of the loudspeaker movie.
#pragma once

#include "common/study_state.h"

#include <QString>
#include <optional>

namespace pencora::dictation {

struct Step {
    int entry = 0;       // the entry read (index into the word lists)
    QString sound;       // its pronunciation, relative to the program folder
    int percent = 0;     // the progress bar
    QString progress;    // the progress line under the loudspeaker
    bool ended = false;  // the entry was the lesson's last
};

// Reads entry CurrentIndex: CurrentIndex moves one past it, or back to 0 when it was the
// last. An index that names no entry (a lesson replaced under a pending step, or an empty
// one) takes no step and leaves the state as it is.
std::optional<Step> takeStep(StudyState& state);

// Per cent of the lesson done once entry `entry` of `count` is read, truncated: 1 of 3 is 33.
int progressPercent(int entry, int count);

// "已经听写【2】词，共【5】词_______当前课程：" + the lesson's title.
QString progressLine(int entry, int count, const QString& lessonTitle);

// Data\sound\<pinyin>.mp3, the pinyin as the character file stores it.
QString entrySound(const QString& pinyin);

// The entry the read-again button repeats: the one read last, none before the first step.
std::optional<int> lastReadEntry(const StudyState& state);

// The loudspeaker's buttons. Commands are told apart exactly, case included.
enum class LabaCommand { ReadAgain, Next };
std::optional<LabaCommand> labaCommand(const QString& command);

// The notice at the end of a dictation.
inline const QString kEndTitle = QStringLiteral("听写练习说明！");
inline const QString kEndText = QStringLiteral(
    "小朋友，本课程中的字词已经听写完成！\r\r点击确定按钮，核对一下你听写的字词是否正确？");

// The voice prompts of the mode.
inline const QString kStartPrompt = QStringLiteral("tingxie2.mp3");

}  // namespace pencora::dictation
