// The arguments of a lesson movie's commands: the comma list they are split into, and the
// byte range of the recording that "lesson_play" asks for.
#pragma once

#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace pencora::lessontext {

// Splits `args` the way the movies' comma lists are read: items are separated by commas and
// by white space (any character up to the space), an item in double quotes may hold either
// (a doubled quote inside stands for one), a comma with nothing before the next comma or the
// end gives an empty item. A NUL ends the text.
QStringList splitCommandArgs(QStringView args);

// A decimal 64-bit integer with an optional sign, nothing else; nothing when the text is
// not one or does not fit.
std::optional<int64_t> readInt64(QStringView text);

// The passage of "lesson_play": item 0 is the start, item 1 the end. Reading stops at the
// first missing item or the first that is no number; what was not read stays 0.
struct Passage {
    int64_t start = 0;
    int64_t end = 0;  // 0: up to the end of the recording
};
Passage readPassage(const QStringList& items);

// Where in the recording a passage lies, as a stream of the audio library is opened on a
// file: `length` 0 means up to the end. A passage that covers no bytes (a negative start,
// an end not after the start) has no window.
struct StreamWindow {
    uint64_t offset = 0;
    uint64_t length = 0;
};
std::optional<StreamWindow> passageWindow(Passage passage);

}  // namespace pencora::lessontext
