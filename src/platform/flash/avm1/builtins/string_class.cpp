// String: construction, fromCharCode and the methods on UTF-16 units.
#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"

namespace pencora::avm1 {

namespace {

QString thisString(Machine& m, const Value& self) {
    if (Object* o = nativeOf(self.object()); o && o->kind() == ObjectKind::String) {
        return static_cast<PrimitiveObject*>(o)->primitive.string();
    }
    return m.toString(self);
}

// An integer argument, as a 32-bit integer: NaN reads as 0 and large values wrap, so
// charAt(4294967297) is charAt(1) (string_methods test).
double intArg(Machine& m, const Value& v) {
    return double(m.toInt32(v));
}

Value stringCtor(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(args.empty() ? QString() : m.toString(args[0]));
}

Value stringConstruct(Machine& m, const Value&, std::vector<Value>& args) {
    QString s = args.empty() ? QString() : m.toString(args[0]);
    // The built-in box, never one of a class a movie put in String's place: that class's own
    // super() comes here.
    return Value(m.heap().make<PrimitiveObject>(m.protos().string, ObjectKind::String, Value(s)));
}

Value fromCharCode(Machine& m, const Value&, std::vector<Value>& args) {
    QString out;
    for (const Value& v : args) {
        uint16_t c = uint16_t(doubleToUint32(m.toNumber(v)));
        if (c == 0) {
            break;
        }
        out.append(QChar(char16_t(c)));
    }
    return Value(out);
}

Value stringToString(Machine& m, const Value& self, std::vector<Value>&) {
    Object* o = nativeOf(self.object());
    if (o && o->kind() != ObjectKind::String) {
        // Borrowed by another object: converting it would call this method again.
        return Value(o->kind() == ObjectKind::Function ? "[type Function]" : "[object Object]");
    }
    return Value(thisString(m, self));
}

Value charAt(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    double i = intArg(m, argAt(args, 0));
    if (i < 0 || i >= s.size()) {
        return Value(QString());
    }
    return Value(QString(s[qsizetype(i)]));
}

Value charCodeAt(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    double i = intArg(m, argAt(args, 0));
    if (i < 0 || i >= s.size()) {
        return Value(std::nan(""));
    }
    return Value(double(s[qsizetype(i)].unicode()));
}

Value concat(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    for (const Value& v : args) {
        m.checkedAppend(s, m.toString(v));
    }
    return Value(s);
}

// indexOf, lastIndexOf, slice, substring and substr called with nothing answer undefined.
Value indexOf(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = thisString(m, self);
    QString what = m.toString(argAt(args, 0));
    double from = args.size() > 1 ? intArg(m, args[1]) : 0;
    if (from < 0) {
        from = 0;
    }
    if (from > s.size()) {
        return Value(-1);
    }
    return Value(double(s.indexOf(what, qsizetype(from))));
}

Value lastIndexOf(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = thisString(m, self);
    QString what = m.toString(argAt(args, 0));
    double from = args.size() > 1 && !args[1].isUndefined() ? intArg(m, args[1]) : double(s.size());
    if (from < 0) {
        return Value(-1);
    }
    from = std::min(from, double(s.size()));
    return Value(double(s.lastIndexOf(what, qsizetype(from))));
}

qsizetype relIndex(double d, qsizetype len) {
    if (d < 0) {
        d = std::max(0.0, double(len) + d);
    }
    return qsizetype(std::min(d, double(len)));
}

Value slice(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = thisString(m, self);
    qsizetype start = relIndex(intArg(m, argAt(args, 0)), s.size());
    qsizetype end = args.size() > 1 && !args[1].isUndefined()
                        ? relIndex(intArg(m, args[1]), s.size())
                        : s.size();
    return Value(start < end ? s.mid(start, end - start) : QString());
}

Value substring(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = thisString(m, self);
    auto clampIt = [&](double d) { return qsizetype(std::clamp(d, 0.0, double(s.size()))); };
    qsizetype start = clampIt(intArg(m, argAt(args, 0)));
    qsizetype end =
        args.size() > 1 && !args[1].isUndefined() ? clampIt(intArg(m, args[1])) : s.size();
    if (start > end) {
        std::swap(start, end);
    }
    return Value(s.mid(start, end - start));
}

Value substr(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    QString s = thisString(m, self);
    qsizetype start = relIndex(intArg(m, argAt(args, 0)), s.size());
    double len = args.size() > 1 && !args[1].isUndefined() ? intArg(m, args[1]) : double(s.size());
    if (len < 0) {
        // A negative length counts back from the end of the string, and the part must end
        // before the last unit (string_methods_negative_args test).
        len = double(s.size()) + len;
        if (len <= 0 || double(start) + len >= double(s.size())) {
            return Value(QString());
        }
    }
    return Value(s.mid(start, qsizetype(std::min(len, double(s.size())))));
}

Value split(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    std::vector<Value> parts;
    // A limit below zero or null keeps nothing; without a separator the limit is not read.
    double limit = args.size() > 1 && !args[1].isUndefined()
                       ? std::max(0.0, double(m.toInt32(args[1])))
                       : 4294967295.0;
    if (args.empty() || args[0].isUndefined()) {
        parts.push_back(Value(s));
        limit = 4294967295.0;
    } else {
        QString sep = m.toString(args[0]);
        if (sep.isEmpty()) {
            for (QChar c : s) {
                parts.push_back(Value(QString(c)));
            }
        } else {
            for (const QString& p : s.split(sep)) {
                parts.push_back(Value(p));
            }
        }
    }
    if (limit >= 0 && limit < double(parts.size())) {
        parts.resize(size_t(limit));
    }
    return Value(m.makeArray(std::move(parts)));
}

// The original's case tables where they differ from today's simple case mapping: İ lowers to
// i, Georgian capitals to the Mkhedruli letters, the Greek iota-subscript letters upper to
// their capital forms, and the Greek block maps by a fixed offset, final sigma included
// (string_methods test).
char16_t originalLower(char16_t c) {
    if (c == 0x0130) {
        return 0x0069;
    }
    if (c == 0x03A2) {
        return 0x03C2;
    }
    if (c >= 0x10A0 && c <= 0x10C5) {
        return char16_t(c + 0x30);
    }
    return QChar(c).toLower().unicode();
}

char16_t originalUpper(char16_t c) {
    if (c == 0x03C2) {
        return 0x03A2;
    }
    if (c == 0x03F2) {
        return 0x03A3;
    }
    if ((c >= 0x1F80 && c <= 0x1F87) || (c >= 0x1F90 && c <= 0x1F97) ||
        (c >= 0x1FA0 && c <= 0x1FA7)) {
        return char16_t(c + 8);
    }
    if (c == 0x1FB3 || c == 0x1FC3 || c == 0x1FF3) {
        return char16_t(c + 9);
    }
    return QChar(c).toUpper().unicode();
}

// One unit for one unit, without the special cases that change a string's length.
QString mapUnits(QString s, bool upper) {
    for (QChar& c : s) {
        if (!c.isSurrogate()) {
            c = QChar(upper ? originalUpper(c.unicode()) : originalLower(c.unicode()));
        }
    }
    return s;
}

Value toLowerCase(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(mapUnits(thisString(m, self), false));
}

Value toUpperCase(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(mapUnits(thisString(m, self), true));
}

const NativeEntry kPrototype[] = {
    {"toString", stringToString},
    {"valueOf", stringToString},
    {"charAt", charAt},
    {"charCodeAt", charCodeAt},
    {"concat", concat},
    {"indexOf", indexOf},
    {"lastIndexOf", lastIndexOf},
    {"slice", slice},
    {"substring", substring},
    {"substr", substr},
    {"split", split},
    {"toLowerCase", toLowerCase},
    {"toUpperCase", toUpperCase},
};

}  // namespace

void installStringClass(Machine& m) {
    Object* proto =
        m.heap().make<PrimitiveObject>(m.protos().object, ObjectKind::String, Value(QString()));
    m.protos().string = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(stringCtor, proto, stringConstruct);
    ctor->putNative(m, QStringLiteral("fromCharCode"), fromCharCode);
    m.global()->put(QStringLiteral("String"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
