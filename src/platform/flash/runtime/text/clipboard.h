// The clipboard text fields copy to and paste from: the desktop's while the application has
// one, else one kept in this process.
#pragma once

#include <QString>

namespace pencora::runtime {

QString clipboardText();
void setClipboardText(const QString& text);

}  // namespace pencora::runtime
