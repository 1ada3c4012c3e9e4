#include "modes/quiz/pinyin_lookup.h"

#include "content/content_paths.h"
#include "content/word_lists.h"

namespace pencora::quiz {

QString lookupPinyin(const xml::XmlDocument& xmlRead, int groupNo, int lessonNo,
                     const QString& word) {
    const QString query = content::entryXPath(content::lessonKey(groupNo, lessonNo), word);
    // The reader answers " " for every failure, which trims to an empty choice.
    return content::ReadNodeAttribute(xmlRead, query, QStringLiteral("PinYin1")).trimmed();
}

}  // namespace pencora::quiz
