#include "platform/ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pencora::ui {

bool installToolkitTranslations(const QString& locale) {
    auto* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    // "qt" loads qtbase and the other modules' catalogues the toolkit ships.
    auto* translator = new QTranslator(app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qt_") + locale, folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace pencora::ui
