#include "platform/resources/program_resources.h"

#include <QDir>
#include <QFile>

namespace pencora::resources {

namespace {

const QString kRoot = QStringLiteral(":/pencora");

bool isPlainName(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..") {
        return false;
    }
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() == 0) {
            return false;
        }
    }
    return true;
}

QString findEntry(const QString& folder, QStringView name) {
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (QStringView(entry).compare(name, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return {};
}

QString typeFolder(QStringView type) {
    if (!isPlainName(type)) {
        return {};
    }
    const QString entry = findEntry(kRoot, type);
    return entry.isEmpty() ? QString() : kRoot + u'/' + entry;
}

}  // namespace

QString resourcePath(QStringView type, QStringView name) {
    if (!isPlainName(name)) {
        return {};
    }
    const QString folder = typeFolder(type);
    if (folder.isEmpty()) {
        return {};
    }
    const QString entry = findEntry(folder, name);
    return entry.isEmpty() ? QString() : folder + u'/' + entry;
}

std::optional<QByteArray> findResource(QStringView type, QStringView name) {
    const QString path = resourcePath(type, name);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

QStringList resourceNames(QStringView type) {
    const QString folder = typeFolder(type);
    if (folder.isEmpty()) {
        return {};
    }
    return QDir(folder).entryList(QDir::Files);
}

}  // namespace pencora::resources
