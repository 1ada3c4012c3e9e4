// Where a wrapped line may end. Latin text breaks after spaces, tabs and hyphens; Chinese,
// Japanese and Korean text breaks between any two of its characters, except before closing
// punctuation (，。！ ...) and after opening punctuation (（《 ...). A character of two UTF-16
// units is never split.
#pragma once

#include <QStringView>

namespace pencora::runtime {

// Whether a line may end after text[i], with text[i + 1] (if any) starting the next one.
bool mayBreakAfter(QStringView text, int i);

// Whether ending a line after text[i] would split a character of two UTF-16 units.
bool splitsCharacter(QStringView text, int i);

}  // namespace pencora::runtime
