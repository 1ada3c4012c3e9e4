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
    if (Object* o = self.object(); o && o->kind() == ObjectKind::String) {
        return static_cast<PrimitiveObject*>(o)->primitive.string();
    }
    return m.toString(self);
}

// An integer argument; NaN reads as 0, infinities saturate.
double intArg(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    if (std::isnan(d)) {
        return 0;
    }
    return std::trunc(d);
}

Value stringCtor(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(args.empty() ? QString() : m.toString(args[0]));
}

Value stringConstruct(Machine& m, const Value&, std::vector<Value>& args) {
    QString s = args.empty() ? QString() : m.toString(args[0]);
    return Value(m.toObject(Value(s)));
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
    Object* o = self.object();
    if (o && o->kind() != ObjectKind::String) {
        // Borrowed by another object: converting it would call this method again.
        return Value(o->kind() == ObjectKind::Function ? "[type Function]" : "[object Object]");
    }
    return Value(thisString(m, self));
}

Value charAt(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    double i = intArg(m, arg(args, 0));
    if (i < 0 || i >= s.size()) {
        return Value(QString());
    }
    return Value(QString(s[qsizetype(i)]));
}

Value charCodeAt(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    double i = intArg(m, arg(args, 0));
    if (i < 0 || i >= s.size()) {
        return Value(std::nan(""));
    }
    return Value(double(s[qsizetype(i)].unicode()));
}

Value concat(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    for (const Value& v : args) {
        s = m.checkedConcat(s, m.toString(v));
    }
    return Value(s);
}

Value indexOf(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    QString what = m.toString(arg(args, 0));
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
    QString s = thisString(m, self);
    QString what = m.toString(arg(args, 0));
    double from = args.size() > 1 ? intArg(m, args[1]) : double(s.size());
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
    QString s = thisString(m, self);
    qsizetype start = relIndex(intArg(m, arg(args, 0)), s.size());
    qsizetype end = args.size() > 1 && !args[1].isUndefined() ? relIndex(intArg(m, args[1]), s.size())
                                                              : s.size();
    return Value(start < end ? s.mid(start, end - start) : QString());
}

Value substring(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    auto clampIt = [&](double d) { return qsizetype(std::clamp(d, 0.0, double(s.size()))); };
    qsizetype start = clampIt(intArg(m, arg(args, 0)));
    qsizetype end = args.size() > 1 && !args[1].isUndefined() ? clampIt(intArg(m, args[1]))
                                                              : s.size();
    if (start > end) {
        std::swap(start, end);
    }
    return Value(s.mid(start, end - start));
}

Value substr(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    qsizetype start = relIndex(intArg(m, arg(args, 0)), s.size());
    double len = args.size() > 1 && !args[1].isUndefined() ? intArg(m, args[1])
                                                           : double(s.size());
    if (len < 0) {
        len = std::max(0.0, double(s.size() - start) + len);
    }
    return Value(s.mid(start, qsizetype(std::min(len, double(s.size())))));
}

Value split(Machine& m, const Value& self, std::vector<Value>& args) {
    QString s = thisString(m, self);
    std::vector<Value> parts;
    double limit = args.size() > 1 && !args[1].isUndefined() ? m.toNumber(args[1]) : 4294967295.0;
    if (args.empty() || args[0].isUndefined()) {
        parts.push_back(Value(s));
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

Value toLowerCase(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(thisString(m, self).toLower());
}

Value toUpperCase(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(thisString(m, self).toUpper());
}

const NativeEntry kPrototype[] = {
    {"toString", stringToString}, {"valueOf", stringToString},   {"charAt", charAt},
    {"charCodeAt", charCodeAt},   {"concat", concat},            {"indexOf", indexOf},
    {"lastIndexOf", lastIndexOf}, {"slice", slice},              {"substring", substring},
    {"substr", substr},           {"split", split},              {"toLowerCase", toLowerCase},
    {"toUpperCase", toUpperCase},
};

}  // namespace

void installStringClass(Machine& m) {
    Object* proto = m.heap().make<PrimitiveObject>(m.protos().object, ObjectKind::String,
                                                   Value(QString()));
    m.protos().string = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(stringCtor, proto, stringConstruct);
    ctor->putNative(m, QStringLiteral("fromCharCode"), fromCharCode);
    m.global()->put(QStringLiteral("String"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
