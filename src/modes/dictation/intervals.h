// The choices of the interval box: how long the dictation waits between two entries.
#pragma once

#include <QString>
#include <QStringList>

namespace pencora::dictation {

// The box's items in order: "5秒" .. "60秒" and "手动" (manual: only the next button reads).
QStringList intervalItems();

// The item shown when the program starts ("5秒").
inline constexpr int kDefaultIntervalItem = 0;

// Milliseconds between two entries for the item at `index`: 0 for "手动" and for an index
// that names no item, so a step then only comes on demand.
int intervalForItem(int index);

}  // namespace pencora::dictation
