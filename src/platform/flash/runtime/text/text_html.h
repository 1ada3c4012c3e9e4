// The HTML subset of text fields: <p align> <br> <b> <i> <u> <font face size color
// letterSpacing kerning> <a href target> <li> <textformat ...> <span> <img ...>, read into text
// with format runs and pictures, and written back in the upper-case form scripts read from
// htmlText.
#pragma once

#include <QString>

#include <map>

#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

// A style sheet's formats by selector: a tag name ("p", "a:link", any custom tag) or a class
// (".title").
using HtmlStyles = std::map<QString, TextFormat>;

// Replaces the field's text with the parsed `html`, starting from the new text format; with
// `styles`, each tag takes its tag's and then its class's style.
void setHtml(TextField& field, const QString& html, const HtmlStyles* styles = nullptr);
QString toHtml(const TextField& field);

}  // namespace pencora::runtime
