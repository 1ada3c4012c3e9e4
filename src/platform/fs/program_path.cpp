#include "platform/fs/program_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pencora::fs {

namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

bool isSeparator(QChar c) {
    return c == u'\\' || c == u'/';
}

QStringList splitComponents(QStringView path) {
    QStringList parts;
    QString current;
    for (QChar c : path) {
        if (isSeparator(c)) {
            if (!current.isEmpty()) {
                parts << current;
            }
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty()) {
        parts << current;
    }
    return parts;
}

// The entry of `folder` whose name equals `component` ignoring case, or an empty string.
QString findIgnoringCase(const QString& folder, const QString& component) {
    if (component == u".") {
        return component;
    }
    const QString exact = folder + u'/' + component;
    if (QFileInfo::exists(exact)) {
        return component;
    }
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return {};
}

}  // namespace

QString realExecutableFolder(const QString& executable) {
    // The `pencora` command on the PATH is a link to the executable in its own folder, with
    // `Data` beside it; the folder that counts is the one of the file the link ends at.
    const QFileInfo info(executable);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absolutePath() : QFileInfo(real).absolutePath();
}

QString programFolder() {
    const QString& forced = folderOverride();
    if (!forced.isEmpty()) {
        return forced;
    }
    if (QCoreApplication::instance() != nullptr) {
        return realExecutableFolder(QCoreApplication::applicationFilePath());
    }
    return QDir::currentPath();
}

void setProgramFolder(const QString& folder) {
    QString cleaned = folder;
    while (cleaned.size() > 1 && isSeparator(cleaned.back())) {
        cleaned.chop(1);
    }
    folderOverride() = cleaned;
}

bool isPlainFileName(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..") {
        return false;
    }
    for (QChar c : name) {
        if (isSeparator(c) || c == u':' || c.unicode() == 0) {
            return false;
        }
    }
    return true;
}

bool isContainedRelativePath(QStringView relativePath) {
    if (relativePath.isEmpty() || isSeparator(relativePath.front())) {
        return false;
    }
    for (QChar c : relativePath) {
        if (c == u':' || c.unicode() == 0) {
            return false;
        }
    }
    const QStringList parts = splitComponents(relativePath);
    for (const QString& part : parts) {
        if (part == u"..") {
            return false;
        }
    }
    return !parts.isEmpty();
}

QString resolveProgramPath(QStringView relativePath) {
    if (!isContainedRelativePath(relativePath)) {
        return {};
    }
    QString path = programFolder();
    const QStringList parts = splitComponents(relativePath);
    bool found = true;
    for (const QString& part : parts) {
        if (part == u".") {
            continue;
        }
        QString name = found ? findIgnoringCase(path, part) : QString();
        if (name.isEmpty()) {
            found = false;
            name = part;
        }
        path += u'/' + name;
    }
    return path;
}

QString contentPath(QStringView prefix, QStringView name, QStringView suffix) {
    if (!isPlainFileName(name)) {
        return {};
    }
    return prefix.toString() + name.toString() + suffix.toString();
}

}  // namespace pencora::fs
