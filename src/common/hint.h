// The `Hint` of a control is a data field of the course, never a tooltip: a toolbar
// button's Hint names its voice prompt, a menu item's carries a book or skin number.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace pencora {

inline QString Hint(const QObject* control) {
    return control ? control->property("Hint").toString() : QString();
}

inline void setHint(QObject* control, const QString& hint) {
    control->setProperty("Hint", hint);
}

}  // namespace pencora
