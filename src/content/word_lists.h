// The readers of a book's character file that every mode shares.
#pragma once

#include <QString>
#include <QStringList>

namespace pencora::xml {
class XmlDocument;
}

namespace pencora::content {

// The value of `attribute` (empty when missing) of every child of the document element
// whose name contains `key`, in file order. Opens `path` on its own; a missing or malformed
// file throws xml::XmlError for the caller (in practice the general error report).
// Keys: "lesson201" one lesson, "lesson2" one group, "lesson" the whole book.
QStringList ReadAttributeList(const QString& path, const QString& key, const QString& attribute);

// The text of `attribute` on the first node that `xpath` selects from the document element
// of `document`, e.g. lesson201[@Chinese="画"] and "PinYin1". Never fails: no document,
// nothing selected, a missing attribute or a malformed expression all give " ".
QString ReadNodeAttribute(const xml::XmlDocument& document, const QString& xpath,
                          const QString& attribute);

// The expression that selects a lesson's entry for `word`: key[@Chinese="word"].
QString entryXPath(const QString& lessonKey, const QString& word);

}  // namespace pencora::content
