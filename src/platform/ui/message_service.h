// Every notice the program shows goes through showMessage. By default it opens a
// QMessageBox; tests (and anything else that wants to watch) replace the sink and see the
// icon, title, text and owner of each box instead.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace pencora::ui {

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

struct Message {
    MessageIcon icon = MessageIcon::Information;
    QString title;  // empty: the box has no title of its own
    QString text;
    QWidget* owner = nullptr;  // nullptr: a box without owner
    MessageButtons buttons = MessageButtons::Ok;
};

using MessageSink = std::function<MessageResult(const Message&)>;

// Shows the message and returns the button chosen.
MessageResult showMessage(const Message& message);

// An information box owned by `owner` with a single OK button, the kind the modes show.
void showInformation(QWidget* owner, const QString& title, const QString& text);

// Replaces the sink; an empty sink returns to message boxes. Returns the previous sink.
MessageSink setMessageSink(MessageSink sink);

// The sink that opens a modal QMessageBox.
MessageResult showMessageBox(const Message& message);

// Records every message and answers with a fixed result while alive; restores the previous
// sink when it goes away. For tests.
class MessageRecorder {
  public:
    explicit MessageRecorder(MessageResult answer = MessageResult::Ok);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    struct Entry {
        MessageIcon icon;
        QString title;
        QString text;
        QPointer<QWidget> owner;
        MessageButtons buttons;
    };
    const std::vector<Entry>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

  private:
    std::vector<Entry> messages_;
    MessageSink previous_;
};

}  // namespace pencora::ui
