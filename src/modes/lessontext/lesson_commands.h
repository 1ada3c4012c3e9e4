// What a lesson movie asks of the host, and the content files a lesson's text comes from.
#pragma once

#include <QString>
#include <QStringView>

namespace pencora::lessontext {

enum class LessonCommand {
    ReadWhole,    // "read_lx" "true": the whole recording from the beginning, movie restarted
    StopReading,  // "read_lx" anything else: both slots silent, movie halted
    PageTurned,   // "lesson_page": the reading stops, the movie runs on
    PlayPassage,  // "lesson_play": one byte range of the recording, movie halted
    None          // any other command
};

// Commands and the argument "true" are compared exactly, letter case included.
LessonCommand classifyCommand(QStringView command, QStringView args);

// The lesson-movie library below the program folder.
inline constexpr char16_t kLessonLibraryPath[] = u"Data\\lesson\\book.dll";
// The resource type of the lesson movies in it.
inline constexpr char16_t kLessonMovieType[] = u"Flash";

// The resource name of a lesson's movie: "a" + code.
QString lessonMovieName(QStringView code);
// The recording of a lesson, below the program folder.
QString lessonReadingPath(QStringView code);

// The texts of the error report when a lesson's movie cannot be shown.
QString missingLibraryText(QStringView code, QStringView reason);
QString missingMovieText(QStringView code);

}  // namespace pencora::lessontext
