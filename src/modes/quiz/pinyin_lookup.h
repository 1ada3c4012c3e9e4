// The pinyin that the pinyin quizzes show: looked up for a word in the selected book's
// character file, not taken from the lesson's own pinyin list, and trimmed. A failed look-up
// (no file loaded, no such entry or attribute, a word that breaks the query) is empty.
#pragma once

#include <QString>

namespace pencora::xml {
class XmlDocument;
}

namespace pencora::quiz {

// lessonGGLL[@Chinese="word"] from the document element, its PinYin1, trimmed.
QString lookupPinyin(const xml::XmlDocument& xmlRead, int groupNo, int lessonNo,
                     const QString& word);

}  // namespace pencora::quiz
