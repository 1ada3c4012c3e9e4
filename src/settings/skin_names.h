// The five looks by number and the style names their sheets record, without widgets.
#pragma once

#include <QString>
#include <stdexcept>

namespace pencora::settings {

class SkinError : public std::runtime_error {
  public:
    explicit SkinError(const QString& message);
};

// The style of skin `number`: 0 the platform's own look (an empty name), 1 "Lavender
// Classico", 2 "Aqua Graphite", 3 "Iceberg Classico", 4 "Carbon". Another number throws.
QString skinStyleName(int number);

// The style name a sheet records on its first line, empty when it records none.
QString recordedStyleName(const QString& sheet);

}  // namespace pencora::settings
