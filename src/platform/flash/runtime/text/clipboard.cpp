#include "platform/flash/runtime/text/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace pencora::runtime {

namespace {

QString& ownClipboard() {
    static QString text;
    return text;
}

}  // namespace

QString clipboardText() {
    if (qGuiApp) {
        return QGuiApplication::clipboard()->text();
    }
    return ownClipboard();
}

void setClipboardText(const QString& text) {
    if (qGuiApp) {
        QGuiApplication::clipboard()->setText(text);
    } else {
        ownClipboard() = text;
    }
}

}  // namespace pencora::runtime
