// TextField.StyleSheet: named styles as plain objects (_css), each also kept transformed into
// a TextFormat (_styles); parseCSS reads the CSS subset movies load, load fetches it through
// the host.
#pragma once

#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/flash/avm1/machine.h"

namespace pencora::runtime {

// One rule of a parsed sheet: its selectors and its properties (names turned from dashes into
// camel case, values with the leading white space dropped).
struct CssRule {
    std::vector<QString> selectors;
    std::vector<std::pair<QString, QString>> properties;
};
// The rules of `css`, or nullopt when it is malformed (then nothing of it applies).
std::optional<std::vector<CssRule>> parseCss(const QString& css);

// Installs TextField.StyleSheet; TextField and TextFormat must exist.
void installStyleSheetClass(avm1::Machine& m);

}  // namespace pencora::runtime
