// Lesson selection: turning the picked lesson node into the study state's lesson fields and
// word lists. The tree itself stays in the main window, which passes the node's position.
#pragma once

#include "common/study_state.h"

#include <QString>
#include <functional>

namespace pencora::xml {
class XmlDocument;
}

namespace pencora::content {

// A lesson node of the catalogue tree: positions among siblings, counted from 0.
struct LessonNode {
    int bookPosition = 0;
    int groupPosition = 0;
    int lessonPosition = 0;
    QString bookCaption;
    QString lessonCaption;
};

// Loads the book's character file into `xmlRead` (errors ignored), sets the numbers, the
// path and the title, shows "正在学习：" + title through `showStatus`, reads both lists and
// sets the lesson code. A character file that cannot be read throws from the list reader:
// the numbers, path, title and status text then already describe the new lesson while the
// lists and the code keep the previous lesson's.
void selectLesson(StudyState& state, xml::XmlDocument& xmlRead, const LessonNode& node,
                  const std::function<void(const QString&)>& showStatus);

QString lessonTitle(const QString& bookCaption, const QString& lessonCaption);

}  // namespace pencora::content
