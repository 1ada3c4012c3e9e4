#include "platform/ui/error_report.h"

#include "platform/ui/message_service.h"

#include <QWidget>

namespace pencora::ui {

namespace {

QString describe(std::exception_ptr error) {
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QStringLiteral("Unknown error");
}

}  // namespace

void reportException(std::exception_ptr error) {
    QString title = QCoreApplication::applicationName();
    if (title.isEmpty()) {
        title = QStringLiteral("Pencora");
    }
    showMessage({MessageIcon::Error, title, describe(error), QApplication::activeWindow(),
                 MessageButtons::Ok});
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportException(std::current_exception());
        return false;
    }
}

}  // namespace pencora::ui
