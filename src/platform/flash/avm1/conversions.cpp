#include "platform/flash/avm1/conversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace pencora::avm1 {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool isSpace(QChar c) {
    ushort u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\v' || u == '\f';
}

int digitValue(QChar c) {
    ushort u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'z') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'Z') {
        return u - 'A' + 10;
    }
    return 99;
}

// Parses a decimal literal at s[i...]; returns the number of characters used (0 if none).
size_t scanDecimal(const QString& s, size_t i, double& out) {
    size_t start = i;
    size_t n = size_t(s.size());
    std::string buf;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        buf += char(s[i].unicode());
        ++i;
    }
    size_t digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        buf += char(s[i++].unicode());
        ++digits;
    }
    if (i < n && s[i] == '.') {
        buf += '.';
        ++i;
        while (i < n && s[i].unicode() >= '0' && s[i].unicode() <= '9') {
            buf += char(s[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            exp += char(s[j++].unicode());
        }
        size_t expDigits = 0;
        while (j < n && s[j].unicode() >= '0' && s[j].unicode() <= '9') {
            exp += char(s[j++].unicode());
            ++expDigits;
        }
        if (expDigits > 0) {
            buf += exp;
            i = j;
        }
    }
    out = std::strtod(buf.c_str(), nullptr);
    return i - start;
}

// "%.15g" of `n` with the 16th and later digits dropped instead of rounded; for numbers of 15
// or more integer digits only.
void truncateToFifteenDigits(double n, char* buf, size_t size) {
    char all[64];
    std::snprintf(all, sizeof all, "%.20e", n);  // d.dddd...e+XXX
    std::string s = all;
    const size_t e = s.find('e');
    const size_t point = s.find('.');
    std::string digits = s.substr(0, point + 15);  // the sign, one digit, the point, 14 more
    while (digits.back() == '0') {
        digits.pop_back();
    }
    if (digits.back() == '.') {
        digits.pop_back();
    }
    std::snprintf(buf, size, "%se%s", digits.c_str(), s.c_str() + e + 1);
}

}  // namespace

QString numberToString(double n) {
    if (std::isnan(n)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(n)) {
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    }
    if (n == 0) {
        return QStringLiteral("0");
    }
    if (std::fabs(n) < 1e15 && n == std::floor(n)) {
        return QString::number(qint64(n));
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", n);
    if (std::isinf(std::strtod(buf, nullptr))) {
        // Rounding the largest numbers up to 15 digits would go past the largest double: they
        // keep their first 15 digits as they are (Number.MAX_VALUE is 1.79769313486231e+308).
        truncateToFifteenDigits(n, buf, sizeof buf);
    }
    // "%g" gives "1e-05" and "1.5e+20"; the original prints the exponent without padding.
    std::string s = buf;
    size_t e = s.find('e');
    if (e != std::string::npos) {
        std::string mant = s.substr(0, e);
        char sign = s[e + 1];
        std::string digits = s.substr(e + 2);
        while (digits.size() > 1 && digits[0] == '0') {
            digits.erase(0, 1);
        }
        s = mant + "e" + sign + digits;
    }
    return QString::fromLatin1(s.c_str());
}

QString numberToString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) {
        return numberToString(n);
    }
    if (std::isinf(n)) {
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    }
    // The original converts through a 32-bit integer for other radixes; NaN becomes the
    // smallest one, whose negation overflows, so its digits come out as remainders at or
    // below zero, written as the characters at or below '0' (primitive_type_globals).
    int32_t v = std::isnan(n) ? INT32_MIN : doubleToInt32(n);
    if (v == INT32_MIN) {
        QString out;
        int32_t rest = v;
        do {
            out.prepend(QChar(char16_t('0' + rest % radix)));
            rest /= radix;
        } while (rest);
        return QLatin1Char('-') + out;
    }
    bool neg = v < 0;
    uint32_t u = neg ? uint32_t(-(int64_t)v) : uint32_t(v);
    QString out;
    do {
        out.prepend(QChar("0123456789abcdefghijklmnopqrstuvwxyz"[u % radix]));
        u /= radix;
    } while (u);
    if (neg) {
        out.prepend('-');
    }
    return out;
}

double stringToNumber(const QString& s, int swfVersion) {
    size_t n = size_t(s.size());
    size_t i = 0;
    while (i < n && isSpace(s[i])) {
        ++i;
    }
    if (i == n) {
        return swfVersion < 5 ? 0 : kNaN;
    }
    double value = 0;
    // Hexadecimal, with an optional sign.
    {
        size_t j = i;
        bool neg = false;
        if (j < n && (s[j] == '-' || s[j] == '+')) {
            neg = s[j] == '-';
            ++j;
        }
        if (swfVersion >= 6 && j + 1 < n && s[j] == '0' && (s[j + 1] == 'x' || s[j + 1] == 'X')) {
            j += 2;
            // A sign may also follow the prefix ("0x-10" is -16, swf6_string_as_bool test).
            if (j < n && (s[j] == '-' || s[j] == '+')) {
                neg = neg != (s[j] == '-');
                ++j;
            }
            size_t digits = 0;
            // Hexadecimal and octal read as 32-bit integers: longer ones wrap
            // (swf6_global_funcs test: "0x1999999981ffffff" is -2113929217).
            uint32_t h = 0;
            while (j < n && digitValue(s[j]) < 16) {
                h = h * 16 + uint32_t(digitValue(s[j++]));
                ++digits;
            }
            while (j < n && isSpace(s[j])) {
                ++j;
            }
            if (digits == 0 || j != n) {
                return kNaN;
            }
            return neg ? -double(int32_t(h)) : double(int32_t(h));
        }
    }
    // From SWF 6 a leading zero followed only by octal digits reads as octal ("010" is 8);
    // leading blanks make it decimal again (" 010" is 10).
    if (swfVersion >= 6 && i == 0) {
        size_t j = i;
        bool neg = false;
        if (j < n && (s[j] == '-' || s[j] == '+')) {
            neg = s[j] == '-';
            ++j;
        }
        if (j + 1 < n && s[j] == '0') {
            size_t k = j + 1;
            uint32_t o = 0;
            bool octal = true;
            for (; k < n && !isSpace(s[k]); ++k) {
                if (s[k] < '0' || s[k] > '7') {
                    octal = false;
                    break;
                }
                o = o * 8 + uint32_t(s[k].unicode() - '0');
            }
            size_t t = k;
            while (t < n && isSpace(s[t])) {
                ++t;
            }
            if (octal && t == n) {
                return neg ? -double(int32_t(o)) : double(int32_t(o));
            }
        }
    }
    size_t used = scanDecimal(s, i, value);
    if (used == 0) {
        // "Infinity" is not read back by the original's ToNumber.
        return swfVersion < 5 ? 0 : kNaN;
    }
    // Trailing blanks make the string not a number ("  5  " is NaN, is_finite test).
    size_t j = i + used;
    if (j != n) {
        return swfVersion < 5 ? value : kNaN;
    }
    return value;
}

double primitiveToNumber(const Value& v, int swfVersion) {
    switch (v.type()) {
        case Value::Type::Undefined:
        case Value::Type::Null:
            return swfVersion >= 7 ? kNaN : 0;
        case Value::Type::Boolean:
            return v.boolean() ? 1 : 0;
        case Value::Type::Number:
            return v.number();
        case Value::Type::String:
            return stringToNumber(v.string(), swfVersion);
        case Value::Type::Object:
            return kNaN;
    }
    return kNaN;
}

QString primitiveToString(const Value& v, int swfVersion) {
    switch (v.type()) {
        case Value::Type::Undefined:
            return swfVersion >= 7 ? QStringLiteral("undefined") : QString();
        case Value::Type::Null:
            return QStringLiteral("null");
        case Value::Type::Boolean:
            if (swfVersion < 5) {
                return v.boolean() ? QStringLiteral("1") : QStringLiteral("0");
            }
            return v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
        case Value::Type::Number:
            return numberToString(v.number());
        case Value::Type::String:
            return v.string();
        case Value::Type::Object:
            return QStringLiteral("[object Object]");
    }
    return {};
}

bool toBoolean(const Value& v, int swfVersion) {
    switch (v.type()) {
        case Value::Type::Undefined:
        case Value::Type::Null:
            return false;
        case Value::Type::Boolean:
            return v.boolean();
        case Value::Type::Number:
            return !std::isnan(v.number()) && v.number() != 0;
        case Value::Type::String: {
            if (swfVersion >= 7) {
                return !v.string().isEmpty();
            }
            double d = stringToNumber(v.string(), swfVersion);
            return !std::isnan(d) && d != 0;
        }
        case Value::Type::Object:
            return true;
    }
    return false;
}

int32_t doubleToInt32(double d) {
    return int32_t(doubleToUint32(d));
}

uint32_t doubleToUint32(double d) {
    if (!std::isfinite(d)) {
        return 0;
    }
    double t = std::trunc(d);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) {
        m += 4294967296.0;
    }
    return uint32_t(m);
}

double parseIntString(const QString& s, int radix, bool radixGiven) {
    // The original's parseInt (parse_int test): "0x" is honoured only at the very start and
    // may be followed by blanks and a sign; a leading zero means octal only when the whole
    // string, after an optional sign, is octal digits; leading blanks turn both off.
    const size_t n = size_t(s.size());
    size_t i = 0;
    bool neg = false;
    if (radixGiven && (radix < 2 || radix > 36)) {
        return kNaN;
    }
    auto isHexStart = [&](size_t at) {
        return at + 1 < n && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X');
    };
    if (isHexStart(0) && (!radixGiven || radix == 16 || radix > 33)) {
        if (!radixGiven) {
            radix = 16;
        }
        i = 2;
        while (i < n && isSpace(s[i])) {
            ++i;
        }
        if (i < n && (s[i] == '-' || s[i] == '+')) {
            neg = s[i] == '-';
            ++i;
        }
    } else if (n > 2 && (s[0] == '-' || s[0] == '+') && isHexStart(1)) {
        if (!radixGiven) {
            return kNaN;
        }
        // A signed "0x" with a radix: the original skips the sign and the zero and reads from
        // the "x" on, unsigned ("-0x100" in base 36 is 1540944; parse_int test).
        i = 2;
    } else {
        bool blank = false;
        while (i < n && isSpace(s[i])) {
            ++i;
            blank = true;
        }
        if (i < n && (s[i] == '-' || s[i] == '+')) {
            neg = s[i] == '-';
            ++i;
        }
        if (!radixGiven) {
            radix = 10;
            if (!blank && i + 1 < n && s[i] == '0') {
                bool octal = true;
                for (size_t j = i; j < n; ++j) {
                    if (s[j] < '0' || s[j] > '7') {
                        octal = false;
                        break;
                    }
                }
                if (octal) {
                    radix = 8;
                }
            }
        }
    }
    double v = 0;
    size_t digits = 0;
    while (i < n && digitValue(s[i]) < radix) {
        v = v * radix + digitValue(s[i++]);
        ++digits;
    }
    if (digits == 0) {
        return kNaN;
    }
    return neg ? -v : v;
}

namespace {

// The original's parseFloat adds the fraction digit by digit, each worth a tenth of the one
// before (the scale divided by ten each time), so it can land a unit off the nearest double:
// parseFloat(".1499999") is 0.14999990000000005 (parse_float test). `text` is [sign] digits [.
// digits] [e exponent].
double accumulateDecimal(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    double whole = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        whole = whole * 10 + (text[i++] - '0');
    }
    double fraction = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            scale /= 10;
            fraction += (text[i++] - '0') * scale;
        }
    }
    double v = whole + fraction;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        v *= std::pow(10.0, std::strtod(text.c_str() + i + 1, nullptr));
    }
    return negative ? -v : v;
}

}  // namespace

double parseFloatString(const QString& s) {
    // The original's parseFloat (parse_float test): later decimal points are skipped
    // ("1.2345.678" is 1.2345678), the exponent wraps as a 32-bit integer, and "Infinity"
    // is not a number.
    const size_t n = size_t(s.size());
    size_t i = 0;
    while (i < n && isSpace(s[i])) {
        ++i;
    }
    std::string buf;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        buf += char(s[i++].unicode());
    }
    size_t digits = 0;
    bool dot = false;
    bool secondDot = false;  // after a second point no exponent is read
    for (; i < n; ++i) {
        ushort c = s[i].unicode();
        if (c >= '0' && c <= '9') {
            buf += char(c);
            ++digits;
        } else if (c == '.') {
            if (!dot) {
                buf += '.';
                dot = true;
            } else {
                secondDot = true;
            }
        } else {
            break;
        }
    }
    if (digits == 0) {
        return kNaN;
    }
    if (!secondDot && i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        bool neg = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            neg = s[j] == '-';
            ++j;
        }
        uint32_t e = 0;
        size_t expDigits = 0;
        while (j < n && s[j].unicode() >= '0' && s[j].unicode() <= '9') {
            e = e * 10 + (s[j++].unicode() - '0');
            ++expDigits;
        }
        if (expDigits) {
            int32_t exp = int32_t(e);
            buf += 'e' + std::to_string(neg ? -int64_t(exp) : int64_t(exp));
        }
    }
    return accumulateDecimal(buf);
}

QString urlEscape(const QByteArray& bytes) {
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = uint8_t(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out.append(QChar(c));
        } else {
            out.append(QLatin1Char('%'));
            out.append(QLatin1Char(hex[c >> 4]));
            out.append(QLatin1Char(hex[c & 15]));
        }
    }
    return out;
}

}  // namespace pencora::avm1
