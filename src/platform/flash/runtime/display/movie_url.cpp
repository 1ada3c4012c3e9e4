#include "platform/flash/runtime/display/movie_url.h"

#include <QUrl>

namespace pencora::runtime {

namespace {

bool isDrivePath(const QString& s) {
    return s.size() >= 3 && s[0].isLetter() && s[1] == u':' && (s[2] == u'/' || s[2] == u'\\');
}

// A scheme is two characters or more, so that a drive letter is none.
bool hasScheme(const QString& s) {
    const qsizetype colon = s.indexOf(u':');
    if (colon < 2) {
        return false;
    }
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = s[i];
        const bool ok =
            c.isLetter() || (i > 0 && (c.isDigit() || c == u'+' || c == u'-' || c == u'.'));
        if (!ok || c.unicode() > 0x7F) {
            return false;
        }
    }
    return true;
}

QString fileUrl(QString path) {
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/')) {
        path.prepend(u'/');
    }
    return QStringLiteral("file://") +
           QString::fromLatin1(QUrl::toPercentEncoding(path, "/:~!$&'()*+,;=@"));
}

}  // namespace

QString absoluteMovieUrl(const QString& address, const QString& base) {
    if (address.isEmpty() || hasScheme(address)) {
        return address;
    }
    if (address.startsWith(u'/') || address.startsWith(u'\\') || isDrivePath(address)) {
        return fileUrl(address);
    }
    if (base.isEmpty()) {
        return address;
    }
    QString relative = address;
    relative.replace(u'\\', u'/');
    const QUrl resolved = QUrl(base).resolved(QUrl(relative));
    return resolved.isValid() ? resolved.toString(QUrl::FullyEncoded) : address;
}

}  // namespace pencora::runtime
