// Steps of the SWF 4 string actions. The multibyte forms work on the same UTF-16 strings as the
// single-byte ones; only their character numbers differ: before version 6 they are the system
// code page's, from 6 on UTF-16 units.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/avm1/steps.h"

namespace pencora::avm1 {

namespace {

struct StringOperands {
    QString left;
    QString right;
};

// Pops two operands, the right one first, and converts them left to right.
StringOperands popStrings(Machine& m, Activation& act) {
    Value right = act.pop();
    Value left = act.pop();
    QString x = m.toString(left);
    QString b = m.toString(right);
    return {std::move(x), std::move(b)};
}

}  // namespace

Flow stepStringEquals(Machine& m, Activation& act, Step&) {
    StringOperands o = popStrings(m, act);
    act.push(Value(o.left == o.right));
    return Flow::Next;
}

Flow stepStringLess(Machine& m, Activation& act, Step&) {
    StringOperands o = popStrings(m, act);
    act.push(Value(o.left < o.right));
    return Flow::Next;
}

Flow stepStringGreater(Machine& m, Activation& act, Step&) {
    StringOperands o = popStrings(m, act);
    act.push(Value(o.left > o.right));
    return Flow::Next;
}

Flow stepStringAdd(Machine& m, Activation& act, Step&) {
    StringOperands o = popStrings(m, act);
    act.push(Value(m.checkedConcat(o.left, o.right)));
    return Flow::Next;
}

Flow stepStringLength(Machine& m, Activation& act, Step&) {
    act.push(Value(double(m.toString(act.pop()).size())));
    return Flow::Next;
}

Flow stepStringExtract(Machine& m, Activation& act, Step&) {
    double count = m.toNumber(act.pop());
    double index = m.toNumber(act.pop());
    QString s = m.toString(act.pop());
    qsizetype start =
        std::isfinite(index) ? qsizetype(std::max(0.0, std::min(index - 1, double(s.size())))) : 0;
    qsizetype len = std::isfinite(count) && count >= 0
                        ? qsizetype(std::min(count, double(s.size())))
                        : s.size();
    act.push(Value(s.mid(start, len)));
    return Flow::Next;
}

Flow stepCharToAscii(Machine& m, Activation& act, Step&) {
    QString s = m.toString(act.pop());
    act.push(s.isEmpty() ? Value(0) : Value(double(s[0].unicode())));
    return Flow::Next;
}

Flow stepAsciiToChar(Machine& m, Activation& act, Step&) {
    uint32_t c = doubleToUint32(m.toNumber(act.pop())) & 0xFFFF;
    act.push(c == 0 ? Value(QString()) : Value(QString(QChar(char16_t(c)))));
    return Flow::Next;
}

// A movie before version 6 numbers a character as the code page holds it: 中 is 0xD6D0. One the
// code page has no one- or two-byte number for keeps its UTF-16 unit.
Flow stepMBCharToAscii(Machine& m, Activation& act, Step& s) {
    if (act.swfVersion >= 6) {
        return stepCharToAscii(m, act, s);
    }
    const QString text = m.toString(act.pop());
    if (text.isEmpty()) {
        act.push(Value(0));
        return Flow::Next;
    }
    const qsizetype n = text[0].isHighSurrogate() && text.size() > 1 ? 2 : 1;
    const std::optional<uint16_t> number = codePageNumber(text.left(n));
    act.push(Value(double(number ? *number : text[0].unicode())));
    return Flow::Next;
}

Flow stepMBAsciiToChar(Machine& m, Activation& act, Step& s) {
    if (act.swfVersion >= 6) {
        return stepAsciiToChar(m, act, s);
    }
    const uint16_t number = uint16_t(doubleToUint32(m.toNumber(act.pop())) & 0xFFFF);
    if (number == 0) {
        act.push(Value(QString()));
    } else if (std::optional<QString> c = codePageCharacter(number)) {
        act.push(Value(*c));
    } else {
        act.push(Value(QString(QChar(char16_t(number)))));
    }
    return Flow::Next;
}

}  // namespace pencora::avm1
