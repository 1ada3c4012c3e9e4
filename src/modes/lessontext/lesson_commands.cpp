#include "modes/lessontext/lesson_commands.h"

namespace pencora::lessontext {

LessonCommand classifyCommand(QStringView command, QStringView args) {
    if (command == u"read_lx") {
        return args == u"true" ? LessonCommand::ReadWhole : LessonCommand::StopReading;
    }
    if (command == u"lesson_page") {
        return LessonCommand::PageTurned;
    }
    if (command == u"lesson_play") {
        return LessonCommand::PlayPassage;
    }
    return LessonCommand::None;
}

QString lessonMovieName(QStringView code) {
    return QStringLiteral("a%1").arg(code);
}

QString lessonReadingPath(QStringView code) {
    return QStringLiteral("DATA\\lessonread\\%1.mp3").arg(code);
}

QString missingLibraryText(QStringView code, QStringView reason) {
    return QStringLiteral("无法打开课文动画库 Data\\lesson\\book.dll，课文 %1 不能显示。\n%2")
        .arg(code, reason);
}

QString missingMovieText(QStringView code) {
    return QStringLiteral("课文动画库 Data\\lesson\\book.dll 里没有课文 %1 的动画（资源 %2）。")
        .arg(code, lessonMovieName(code));
}

}  // namespace pencora::lessontext
