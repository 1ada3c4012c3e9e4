// Conversions between primitive values, each taking the movie's SWF version: the original
// changed several rules with SWF 7 (undefined and null become NaN as numbers and "undefined" in
// strings; non-empty strings are true).
#pragma once

#include <QString>

#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

// Number printing of the original: 15 significant digits, fixed notation for decimal exponents
// from -5 to 14, otherwise "1.5e+20" / "1e-7"; NaN, Infinity, -Infinity; -0 prints "0".
QString numberToString(double n);
// Number.toString(radix) for radix 2..36 (integers only; the fraction is dropped).
QString numberToString(double n, int radix);

// String to number as ToNumber does it: surrounding white space allowed, "0x" hex, decimal with
// an optional exponent; anything else NaN. Before SWF 5 a non-number string reads as 0.
double stringToNumber(const QString& s, int swfVersion);

// Conversions of primitives (objects are left to the machine, which calls valueOf/toString).
double primitiveToNumber(const Value& v, int swfVersion);
QString primitiveToString(const Value& v, int swfVersion);
bool toBoolean(const Value& v, int swfVersion);

// ECMA-262 ToInt32 / ToUint32 of a number.
int32_t doubleToInt32(double d);
uint32_t doubleToUint32(double d);

// parseInt and parseFloat of the global object.
double parseIntString(const QString& s, int radix, bool radixGiven);
double parseFloatString(const QString& s);

// The player's URL encoding of bytes: letters and digits stay, every other byte is %XX in
// capitals (escape() and the variables a movie sends).
QString urlEscape(const QByteArray& bytes);

}  // namespace pencora::avm1
