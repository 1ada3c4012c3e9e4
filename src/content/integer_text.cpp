#include "content/integer_text.h"

#include <limits>

namespace pencora::content {

IntegerTextError::IntegerTextError(const QString& text)
    : std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString()) {}

IntegerTextError::IntegerTextError(const QString& text, const QString& where)
    : std::runtime_error(
          QStringLiteral("%1: '%2' is not a valid integer value").arg(where, text).toStdString()) {}

std::optional<int> parseInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

int toInteger(const QString& text) {
    const std::optional<int> value = parseInteger(text);
    if (!value) {
        throw IntegerTextError(text);
    }
    return *value;
}

}  // namespace pencora::content
