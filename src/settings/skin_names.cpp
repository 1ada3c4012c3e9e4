#include "settings/skin_names.h"

#include <QRegularExpression>

namespace pencora::settings {

SkinError::SkinError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString skinStyleName(int number) {
    switch (number) {
        case 0:
            return {};
        case 1:
            return QStringLiteral("Lavender Classico");
        case 2:
            return QStringLiteral("Aqua Graphite");
        case 3:
            return QStringLiteral("Iceberg Classico");
        case 4:
            return QStringLiteral("Carbon");
    }
    throw SkinError(QStringLiteral("There is no skin number %1").arg(number));
}

QString recordedStyleName(const QString& sheet) {
    static const QRegularExpression kFirstLine(
        QStringLiteral(R"(^\s*/\*\s*Style name:\s*(.*?)\s*\*/)"));
    const QRegularExpressionMatch match = kFirstLine.match(sheet);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace pencora::settings
