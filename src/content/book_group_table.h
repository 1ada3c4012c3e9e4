// The built-in captions of each book and its groups, as the character tables show them.
#pragma once

#include <QString>
#include <QStringList>

namespace pencora::content {

// Item 0 the book's caption, items 1.. its groups. `bookNumberText` is "1".."12"; another
// number gives an empty list, a text that is no number throws IntegerTextError.
QStringList BookGroupTable(const QString& bookNumberText);

}  // namespace pencora::content
