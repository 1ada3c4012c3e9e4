#include "platform/ui/message_service.h"

#include <QApplication>
#include <QMessageBox>

namespace pencora::ui {

namespace {

MessageSink& currentSink() {
    static MessageSink sink;
    return sink;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageResult showMessage(const Message& message) {
    const MessageSink& sink = currentSink();
    return sink ? sink(message) : showMessageBox(message);
}

void showInformation(QWidget* owner, const QString& title, const QString& text) {
    showMessage({MessageIcon::Information, title, text, owner, MessageButtons::Ok});
}

MessageSink setMessageSink(MessageSink sink) {
    MessageSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

MessageResult showMessageBox(const Message& message) {
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (message.buttons == MessageButtons::YesNo) {
        buttons = QMessageBox::Yes | QMessageBox::No;
    }
    if (message.buttons == MessageButtons::OkCancel) {
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    }
    // A carriage return alone breaks the line, as the course's texts expect.
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(boxIcon(message.icon), message.title, text, buttons, message.owner);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        default:
            return MessageResult::Ok;
    }
}

MessageRecorder::MessageRecorder(MessageResult answer) {
    previous_ = setMessageSink([this, answer](const Message& m) {
        messages_.push_back({m.icon, m.title, m.text, m.owner, m.buttons});
        return answer;
    });
}

MessageRecorder::~MessageRecorder() {
    setMessageSink(std::move(previous_));
}

}  // namespace pencora::ui
