// The application's looks: the platform's own, and four embedded skins, each a Qt style
// sheet that repaints every window at once (frames, menus, toolbar, panels, buttons, radio
// buttons, check boxes, drop-down lists, grids, scroll bars, progress bars, status bars).
//
// A skin is a program resource of type STYLE whose first line records its style name:
//   /* Style name: Aqua Graphite */
// and is found by that name, ignoring case.
#pragma once

#include "settings/skin_names.h"

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace pencora::settings {

// The style names the embedded skins record.
QStringList embeddedStyleNames();

// The sheet of the embedded skin recording `styleName`, ignoring case.
std::optional<QString> findStyle(const QString& styleName);

// Applies skin `number` to the whole application at once. Throws SkinError, with the look
// left as it was, when the number names no skin or its style is not embedded.
void applySkin(int number);

// A widget that keeps its design look in a style sheet of its own would hide a skin's
// colours behind it. Marked here, it sets that sheet aside while a skin is on and takes it
// back with the platform's own look. Its children keep its font in every look.
void giveWayToSkins(QWidget* widget);

}  // namespace pencora::settings
