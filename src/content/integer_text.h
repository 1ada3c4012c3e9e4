// Whole numbers written in content (image indices, book numbers in menu hints). The
// course's files were written for a reader that accepts leading blanks, an optional sign
// and decimal digits, and nothing after them; anything else is an error naming the text.
#pragma once

#include <QString>
#include <optional>
#include <stdexcept>

namespace pencora::content {

class IntegerTextError : public std::runtime_error {
  public:
    explicit IntegerTextError(const QString& text);
    // The same error with the place the text came from in front: "where: 'x' is not ...".
    IntegerTextError(const QString& text, const QString& where);
};

std::optional<int> parseInteger(const QString& text);

// As parseInteger, but throws IntegerTextError ("'x' is not a valid integer value").
int toInteger(const QString& text);

}  // namespace pencora::content
