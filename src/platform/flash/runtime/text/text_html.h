// The HTML subset of text fields: <p align> <br> <b> <i> <u> <font face size color
// letterSpacing kerning> <a href target> <li> <textformat ...> <span>, read into text with
// format runs, and written back in the upper-case form scripts read from htmlText.
#pragma once

#include <QString>

#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

// Replaces the field's text with the parsed `html`, starting from the new text format.
void setHtml(TextField& field, const QString& html);
QString toHtml(const TextField& field);

}  // namespace pencora::runtime
