// The main window's record of the selected lesson, its word lists, the item being practised
// and the two sound channel slots. Lesson selection is the only writer of the lesson fields
// and the lists; the modes move CurrentIndex and use the slots. Nothing here is saved.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace pencora {

struct StudyState {
    // The selected lesson.
    int32_t BookNo = 0;
    int32_t GroupNo = 0;  // as numbered in the character file: book 1 starts at 2
    int32_t LessonNo = 0;
    QString HanziFilePath;
    QString CurrentLessonTitle;  // book caption + "→【" + lesson caption + "】"
    QString LessonCode;          // BBGGLL

    // The lesson's items: entry i of one list belongs to entry i of the other.
    QStringList CurrentWords;
    QStringList CurrentPinyin;
    int32_t CurrentIndex = 0;

    // Sound: slot 0 cues, prompts and pronunciations; slot 1 the lesson reading.
    std::array<uint32_t, 2> ChannelSlots{0, 0};

    // Lesson text.
    QString OpenLessonCode;
    QStringList CommandArgs;  // split at ','

    bool FirstShow = true;

    // A lesson counts as selected once its title has at least five characters.
    bool lessonSelected() const { return CurrentLessonTitle.size() >= 5; }
};

}  // namespace pencora
