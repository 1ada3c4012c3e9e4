#include "content/lesson_selection.h"

#include "content/content_paths.h"
#include "content/word_lists.h"
#include "platform/xml/xml_document.h"

namespace pencora::content {

QString lessonTitle(const QString& bookCaption, const QString& lessonCaption) {
    return bookCaption + QStringLiteral("→【") + lessonCaption + QStringLiteral("】");
}

void selectLesson(StudyState& state, xml::XmlDocument& xmlRead, const LessonNode& node,
                  const std::function<void(const QString&)>& showStatus) {
    const int bookNo = node.bookPosition + 1;
    state.HanziFilePath = contentFile(hanziFileRelativePath(bookNo));
    try {
        xmlRead.loadFromFile(state.HanziFilePath);
    } catch (const std::exception&) {
        // The pinyin look-ups then give " "; the list readers below report the file.
    }

    state.LessonNo = node.lessonPosition + 1;
    state.BookNo = bookNo;
    state.GroupNo = groupNumber(bookNo, node.groupPosition);

    state.CurrentLessonTitle = lessonTitle(node.bookCaption, node.lessonCaption);
    if (showStatus) {
        showStatus(QStringLiteral("正在学习：") + state.CurrentLessonTitle);
    }

    const QString key = lessonKey(state.GroupNo, state.LessonNo);
    // Both lists are read before either is stored, so they never describe two lessons.
    QStringList words = ReadAttributeList(state.HanziFilePath, key, QStringLiteral("Chinese"));
    QStringList pinyin = ReadAttributeList(state.HanziFilePath, key, QStringLiteral("PinYin1"));
    state.CurrentWords = std::move(words);
    state.CurrentPinyin = std::move(pinyin);

    state.LessonCode = lessonCode(state.BookNo, state.GroupNo, state.LessonNo);
}

}  // namespace pencora::content
