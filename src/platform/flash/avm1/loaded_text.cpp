#include "platform/flash/avm1/loaded_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/flash/avm1/machine.h"

namespace pencora::avm1 {

namespace {

bool isValidUtf8(const QByteArray& data) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(data);
    return !decoder.hasError();
}

}  // namespace

QString decodeLoadedText(const QByteArray& data, bool useCodepage) {
    if (data.startsWith("\xFF\xFE")) {
        return QStringDecoder(QStringDecoder::Utf16LE)(data.mid(2));
    }
    if (data.startsWith("\xFE\xFF")) {
        return QStringDecoder(QStringDecoder::Utf16BE)(data.mid(2));
    }
    if (data.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(data.mid(3));
    }
    if (!useCodepage || isValidUtf8(data)) {
        return QString::fromUtf8(data);
    }
    QStringDecoder codePage("GB18030");
    return codePage.isValid() ? QString(codePage(data)) : QString::fromLatin1(data);
}

QString decodeMovieString(const std::string& bytes, int swfVersion) {
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (swfVersion >= 6) {
        return QString::fromUtf8(view);
    }
    // Stateless: a lead byte cut off at the end is an error, not held back for more.
    QStringDecoder codePage("GB18030", QStringDecoder::Flag::Stateless);
    if (codePage.isValid()) {
        QString text = codePage(view);
        if (!codePage.hasError()) {
            return text;
        }
    }
    return QString::fromLatin1(view);
}

QByteArray encodeMovieString(const QString& text, int swfVersion) {
    if (swfVersion >= 6) {
        return text.toUtf8();
    }
    QStringEncoder codePage("GB18030");
    return codePage.isValid() ? QByteArray(codePage(text)) : text.toLatin1();
}

bool usesCodepage(Machine& m) {
    const Value system = m.get(m.global(), QStringLiteral("System"));
    return system.object() && m.toBoolean(m.getMember(system, QStringLiteral("useCodepage")));
}

}  // namespace pencora::avm1
