#include "modes/lessontext/command_args.h"

#include <limits>

namespace pencora::lessontext {
namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kDelimiter = u',';

// Past the end and NUL both end the text.
QChar at(QStringView text, qsizetype i) {
    return i < text.size() ? text[i] : QChar(u'\0');
}

bool isBlank(QChar c) {
    return c != u'\0' && c.unicode() <= u' ';
}

qsizetype skipBlanks(QStringView text, qsizetype i) {
    while (isBlank(at(text, i))) {
        ++i;
    }
    return i;
}

// The quoted item starting at `i` (on the opening quote); `i` ends past the closing quote,
// or at the end of the text when it has none.
QString quotedItem(QStringView text, qsizetype& i) {
    QString item;
    ++i;
    while (at(text, i) != u'\0') {
        if (text[i] == kQuote) {
            if (at(text, i + 1) != kQuote) {
                ++i;
                return item;
            }
            ++i;  // a doubled quote stands for one
        }
        item += text[i];
        ++i;
    }
    return item;
}

QString plainItem(QStringView text, qsizetype& i) {
    const qsizetype first = i;
    while (at(text, i).unicode() > u' ' && text[i] != kDelimiter) {
        ++i;
    }
    return text.mid(first, i - first).toString();
}

}  // namespace

QStringList splitCommandArgs(QStringView args) {
    QStringList items;
    qsizetype i = skipBlanks(args, 0);
    while (at(args, i) != u'\0') {
        items << (args[i] == kQuote ? quotedItem(args, i) : plainItem(args, i));
        i = skipBlanks(args, i);
        if (at(args, i) == kDelimiter) {
            if (at(args, i + 1) == u'\0') {
                items << QString();
            }
            i = skipBlanks(args, i + 1);
        }
    }
    return items;
}

std::optional<int64_t> readInt64(QStringView text) {
    qsizetype i = 0;
    const bool negative = at(text, 0) == u'-';
    if (negative || at(text, 0) == u'+') {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    // Gathered as a negative number, which reaches one further than a positive one.
    int64_t value = 0;
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    for (; i < text.size(); ++i) {
        const int digit = text[i].unicode() - u'0';
        if (digit < 0 || digit > 9 || value < (kMin + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

Passage readPassage(const QStringList& items) {
    Passage passage;
    int64_t* fields[] = {&passage.start, &passage.end};
    for (qsizetype k = 0; k < 2; ++k) {
        const auto value = k < items.size() ? readInt64(items[k]) : std::nullopt;
        if (!value) {
            break;
        }
        *fields[k] = *value;
    }
    return passage;
}

std::optional<StreamWindow> passageWindow(Passage passage) {
    if (passage.start < 0 || (passage.end != 0 && passage.end <= passage.start)) {
        return std::nullopt;
    }
    StreamWindow window{static_cast<uint64_t>(passage.start), 0};
    if (passage.end != 0) {
        window.length = static_cast<uint64_t>(passage.end - passage.start);
    }
    return window;
}

}  // namespace pencora::lessontext
