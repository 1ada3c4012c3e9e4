// Functions and constants of _global: number parsing, escape/unescape, timers, getTimer,
// ASSetPropFlags.
#include <QStringList>

#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Value globalParseInt(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = m.toString(argAt(args, 0));
    bool radixGiven = args.size() > 1;
    int radix = radixGiven ? m.toInt32(args[1]) : 10;
    return Value(parseIntString(s, radix, radixGiven));
}

Value globalParseFloat(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    return Value(parseFloatString(m.toString(argAt(args, 0))));
}

// Without an argument there is no number at all, even where undefined reads as 0 (SWF 6).
Value globalIsNaN(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(args.empty() || std::isnan(m.toNumber(args[0])));
}

Value globalIsFinite(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(!args.empty() && std::isfinite(m.toNumber(args[0])));
}

Value globalEscape(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    const QString text = m.toString(args[0]);
    return Value(urlEscape(escapedBytes(text, escapesInCodePage(m))));
}

int hexDigit(QChar c) {
    ushort u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}

// escape and unescape work in UTF-8, or in the system's code page in movies before SWF 6 and
// while System.useCodepage is true.
// unescape: "+" reads as a space, and a "%" that does not start two hex digits is dropped with
// what it swallowed: "%z" loses both characters, "%4z" all three (unescape test).
Value globalUnescape(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = m.toString(args[0]);
    const bool inCodePage = escapesInCodePage(m);
    QByteArray bytes;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == '%') {
            if (i + 1 >= n || hexDigit(s[i + 1]) < 0) {
                i += 1;
                continue;
            }
            if (i + 2 >= n || hexDigit(s[i + 2]) < 0) {
                i += 2;
                continue;
            }
            bytes.append(char(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2])));
            i += 2;
        } else if (s[i] == '+') {
            bytes.append(' ');
        } else {
            const qsizetype width = s[i].isHighSurrogate() && i + 1 < n ? 2 : 1;
            bytes.append(escapedBytes(s.mid(i, width), inCodePage));
            i += width - 1;
        }
    }
    return Value(unescapedText(bytes, inCodePage));
}

bool isFunction(const Value& v) {
    return v.object() && v.object()->kind() == ObjectKind::Function;
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value startTimer(Machine& m, std::vector<Value>& args, bool repeat) {
    if (args.empty()) {
        return Value();
    }
    if (isFunction(args[0])) {
        if (args.size() < 2) {
            return Value();
        }
        std::vector<Value> rest(args.begin() + 2, args.end());
        return Value(m.addTimer(args[0], Value(), QString(), rest, m.toNumber(args[1]), repeat));
    }
    if (args[0].isObject() && args.size() >= 3) {
        std::vector<Value> rest(args.begin() + 3, args.end());
        return Value(
            m.addTimer(Value(), args[0], m.toString(args[1]), rest, m.toNumber(args[2]), repeat));
    }
    return Value();
}

Value globalSetInterval(Machine& m, const Value&, std::vector<Value>& args) {
    return startTimer(m, args, true);
}

Value globalSetTimeout(Machine& m, const Value&, std::vector<Value>& args) {
    return startTimer(m, args, false);
}

Value globalClearInterval(Machine& m, const Value&, std::vector<Value>& args) {
    double id = m.toNumber(argAt(args, 0));
    if (std::isfinite(id) && std::fabs(id) < 2147483647.0) {
        m.removeTimer(int(id));
    }
    return Value();
}

Value globalGetTimer(Machine& m, const Value&, std::vector<Value>&) {
    return Value(std::floor(m.host().milliseconds()));
}

// ASSetPropFlags(object, names, set, clear): names is null (every property), an array, or a
// comma-separated list.
Value asSetPropFlags(Machine& m, const Value&, std::vector<Value>& args) {
    Object* o = argAt(args, 0).object();
    if (!o) {
        return Value();
    }
    uint16_t set = uint16_t(m.toInt32(argAt(args, 2)));
    uint16_t clear = uint16_t(m.toInt32(argAt(args, 3)));
    std::vector<QString> names;
    Value list = argAt(args, 1);
    if (list.isNull()) {
        for (const Property& p : o->properties()) {
            names.push_back(p.name);
        }
    } else if (Object* a = list.object(); a && a->kind() == ObjectKind::Array) {
        for (const Value& v : static_cast<ArrayObject*>(a)->values(m)) {
            names.push_back(m.toString(v));
        }
    } else {
        for (const QString& n : m.toString(list).split(',')) {
            names.push_back(n);
        }
    }
    for (const QString& n : names) {
        o->setFlags(n, set, clear, m.version());
    }
    return Value();
}

Value globalGetVersion(Machine&, const Value&, std::vector<Value>&) {
    return Value(playerVersion());
}

Value noop(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

const NativeEntry kGlobals[] = {
    {"parseInt", globalParseInt},
    {"parseFloat", globalParseFloat},
    {"isNaN", globalIsNaN},
    {"isFinite", globalIsFinite},
    {"escape", globalEscape},
    {"unescape", globalUnescape},
    {"setInterval", globalSetInterval},
    {"setTimeout", globalSetTimeout},
    {"clearInterval", globalClearInterval},
    {"clearTimeout", globalClearInterval},
    {"getTimer", globalGetTimer},
    {"getVersion", globalGetVersion},
    {"ASSetPropFlags", asSetPropFlags},
    {"updateAfterEvent", noop},
};

}  // namespace

void installGlobalFunctions(Machine& m) {
    installTable(m, m.global(), kGlobals);
    m.global()->put(QStringLiteral("NaN"), Value(std::numeric_limits<double>::quiet_NaN()),
                    kDontEnum);
    m.global()->put(QStringLiteral("Infinity"), Value(std::numeric_limits<double>::infinity()),
                    kDontEnum);
    // The player's own start-up script leaves its scratch variable `o` behind as null, so every
    // movie reads `o` as null until it sets one of its own.
    m.global()->put(QStringLiteral("o"), Value::null(), kDontEnum);
}

}  // namespace pencora::avm1
