// The general error report: an exception that no handler traps ends that handler and is
// shown in an error box with its text; the program then runs on.
//
// Handlers connected to signals are wrapped with `guarded`; the application object also
// catches whatever escapes an event, as a last line.
#pragma once

#include <QApplication>
#include <exception>
#include <utility>

namespace pencora::ui {

// Shows the error box for the exception (owned by the active window, titled with the
// application's name).
void reportException(std::exception_ptr error);

// Runs `handler`; an exception that escapes it goes to reportException. Returns true when
// the handler ran to its end.
template <typename Handler>
bool guarded(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        reportException(std::current_exception());
        return false;
    }
}

// The application object: routes exceptions that escape an event handler to the report.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace pencora::ui
