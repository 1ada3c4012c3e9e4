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

namespace {

QStringEncoder codePageEncoder() {
    return QStringEncoder("GB18030", QStringEncoder::Flag::Stateless);
}

// The system's code page as bytes, or none where this system has no such converter or the text
// does not fit it. One encoder serves a whole string, its error state cleared for each use.
std::optional<QByteArray> inCodePage(QStringEncoder& codePage, const QString& text) {
    if (!codePage.isValid()) {
        return std::nullopt;
    }
    codePage.resetState();
    QByteArray bytes = codePage(text);
    if (codePage.hasError()) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> fromCodePage(QByteArrayView bytes) {
    QStringDecoder codePage("GB18030", QStringDecoder::Flag::Stateless);
    if (!codePage.isValid()) {
        return std::nullopt;
    }
    QString text = codePage(bytes);
    if (codePage.hasError() || text.isEmpty()) {
        return std::nullopt;
    }
    return text;
}

bool isLeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}

bool isTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

}  // namespace

bool escapesInCodePage(Machine& m) {
    return m.version() < 6 || usesCodepage(m);
}

QByteArray escapedBytes(const QString& text, bool codePage) {
    if (!codePage) {
        return text.toUtf8();
    }
    QByteArray out;
    QStringEncoder encoder = codePageEncoder();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x100) {
            out.append(char(c.unicode()));
            continue;
        }
        const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, n);
        out.append(inCodePage(encoder, character).value_or(character.toUtf8()));
        i += n - 1;
    }
    return out;
}

QString unescapedText(const QByteArray& bytes, bool codePage) {
    if (!codePage) {
        return QString::fromUtf8(bytes);
    }
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto lead = uint8_t(bytes[i]);
        if (isLeadByte(lead) && i + 1 < bytes.size() && isTrailByte(uint8_t(bytes[i + 1]))) {
            if (auto c = fromCodePage(QByteArrayView(bytes).sliced(i, 2))) {
                out.append(*c);
                ++i;
                continue;
            }
        }
        out.append(QChar(lead));
    }
    return out;
}

QString formDecoded(const QString& encoded, bool codePage) {
    QString spaced = encoded;
    spaced.replace(QLatin1Char('+'), QLatin1Char(' '));
    return unescapedText(QByteArray::fromPercentEncoding(escapedBytes(spaced, codePage)), codePage);
}

std::optional<uint16_t> codePageNumber(const QString& character) {
    QStringEncoder codePage = codePageEncoder();
    const std::optional<QByteArray> bytes = inCodePage(codePage, character);
    if (!bytes || bytes->isEmpty() || bytes->size() > 2) {
        return std::nullopt;
    }
    if (bytes->size() == 1) {
        return uint8_t(bytes->at(0));
    }
    return uint16_t(uint8_t(bytes->at(0)) << 8 | uint8_t(bytes->at(1)));
}

std::optional<QString> codePageCharacter(uint16_t number) {
    if (number < 0x80) {
        return QString(QChar(number));
    }
    const char pair[2] = {char(number >> 8), char(number & 0xFF)};
    if (number < 0x100 || !isLeadByte(uint8_t(pair[0])) || !isTrailByte(uint8_t(pair[1]))) {
        return std::nullopt;
    }
    return fromCodePage(QByteArrayView(pair, 2));
}

bool usesCodepage(Machine& m) {
    const Value system = m.get(m.global(), QStringLiteral("System"));
    return system.object() && m.toBoolean(m.getMember(system, QStringLiteral("useCodepage")));
}

}  // namespace pencora::avm1
