// The numbered natives: ASnative(table, index) hands out a built-in by its number, and
// ASSetNative / ASSetNativeAccessor put a run of them on an object under a list of names.
// Each function made this way remembers its table and index (FunctionObject::tableId) and the
// machine dispatches its calls here, so an index the table has no entry for still gives a
// function, one that does what its table does with unknown numbers.
#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

struct Row {
    int table;
    int index;
    const char* path;  // where the built-in is installed, from _global
};

const Row kRows[] = {
    {100, 0, "escape"},
    {100, 1, "unescape"},
    {100, 2, "parseInt"},
    {100, 3, "parseFloat"},
    {100, 5, "updateAfterEvent"},
    {100, 6, "isNaN"},
    {100, 7, "isFinite"},
    {103, 0, "Date.prototype.getFullYear"},
    {103, 1, "Date.prototype.getYear"},
    {103, 2, "Date.prototype.getMonth"},
    {103, 3, "Date.prototype.getDate"},
    {103, 4, "Date.prototype.getDay"},
    {103, 5, "Date.prototype.getHours"},
    {103, 6, "Date.prototype.getMinutes"},
    {103, 7, "Date.prototype.getSeconds"},
    {103, 8, "Date.prototype.getMilliseconds"},
    {103, 9, "Date.prototype.setFullYear"},
    {103, 10, "Date.prototype.setMonth"},
    {103, 11, "Date.prototype.setDate"},
    {103, 12, "Date.prototype.setHours"},
    {103, 13, "Date.prototype.setMinutes"},
    {103, 14, "Date.prototype.setSeconds"},
    {103, 15, "Date.prototype.setMilliseconds"},
    {103, 16, "Date.prototype.getTime"},
    {103, 17, "Date.prototype.setTime"},
    {103, 18, "Date.prototype.getTimezoneOffset"},
    {103, 19, "Date.prototype.toString"},
    {103, 20, "Date.prototype.setYear"},
    {200, 0, "Math.abs"},
    {200, 1, "Math.min"},
    {200, 2, "Math.max"},
    {200, 3, "Math.sin"},
    {200, 4, "Math.cos"},
    {200, 5, "Math.atan2"},
    {200, 6, "Math.tan"},
    {200, 7, "Math.exp"},
    {200, 8, "Math.log"},
    {200, 9, "Math.sqrt"},
    {200, 10, "Math.round"},
    {200, 11, "Math.random"},
    {200, 12, "Math.floor"},
    {200, 13, "Math.ceil"},
    {200, 14, "Math.atan"},
    {200, 15, "Math.asin"},
    {200, 16, "Math.acos"},
    {200, 17, "Math.pow"},
};

// Tables whose entries are computed rather than listed.
constexpr int kTableConstruction = 2;  // 2,0: whether the running function was called by new
constexpr int kTableGlobals = 100;
constexpr int kTableMath = 200;
// The convolution filter's parameters in pairs: getter 2k+1, setter 2k+2 for parameter k.
constexpr int kTableConvolution = 1109;
const char* const kConvolutionParams[] = {"matrixX",       "matrixY", "matrix", "divisor", "bias",
                                          "preserveAlpha", "clamp",   "color",  "alpha"};

bool knownTable(Machine& m, int table) {
    return table == kTableConstruction || table == kTableConvolution ||
           m.impl().nativeTables.contains(table);
}

Value trace(Machine& m, const Value&, std::vector<Value>& args) {
    const Value v = argAt(args, 0);
    m.host().trace(v.isUndefined() ? QStringLiteral("undefined") : m.toString(v));
    return Value();
}

FunctionObject* numbered(Machine& m, int table, int index) {
    FunctionObject* f = m.makeNative(nullptr);
    f->tableId = table;
    f->tableIndex = index;
    return f;
}

// A table number as ASnative reads it; -1 when it names no table.
int tableNumber(Machine& m, const Value& v) {
    const double d = m.toNumber(v);
    if (!std::isfinite(d) || d < 0 || d > 65535) {
        return -1;
    }
    return int(d);
}

Value asNative(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.size() != 2) {
        return Value();
    }
    const int table = tableNumber(m, args[0]);
    const int index = m.toInt32(args[1]);
    if (table < 0 || !knownTable(m, table)) {
        return Value();
    }
    return Value(numbered(m, table, index));
}

// One name of an ASSetNative list: a leading digit 6 to 9 (or 10) hides the property from
// movies older than that version; a leading 1 alone is dropped.
struct ListedName {
    QString name;
    uint16_t flags = 0;
};

ListedName listedName(const QString& slot) {
    ListedName out{slot, 0};
    if (slot.isEmpty()) {
        return out;
    }
    if (slot.startsWith(QLatin1String("10"))) {
        return {slot.mid(2), kVersion10};
    }
    static constexpr uint16_t kByDigit[] = {kVersion6, kVersion7, kVersion8, kVersion9};
    const char16_t first = slot[0].unicode();
    if (first >= u'6' && first <= u'9') {
        out = {slot.mid(1), kByDigit[first - u'6']};
    } else if (first == u'1') {
        out.name = slot.mid(1);
    }
    return out;
}

struct SetNativeArgs {
    Object* target = nullptr;
    int table = 0;
    QStringList names;
    int start = 0;
};

bool readSetNativeArgs(Machine& m, std::vector<Value>& args, SetNativeArgs& out) {
    if (args.size() < 3) {
        return false;
    }
    out.target = args[0].object();
    out.table = m.toInt32(args[1]);
    out.names = m.toString(args[2]).split(',');
    out.start = args.size() > 3 ? m.toInt32(args[3]) : 0;
    return out.target != nullptr;
}

// ASSetNative(object, table, "a,b,c"[, first]): object.a = ASnative(table, first) and so on.
// A property that is there already keeps its place and attributes.
Value asSetNative(Machine& m, const Value&, std::vector<Value>& args) {
    SetNativeArgs a;
    if (!readSetNativeArgs(m, args, a)) {
        return Value();
    }
    for (qsizetype i = 0; i < a.names.size(); ++i) {
        const ListedName n = listedName(a.names[i]);
        if (n.name.isEmpty()) {
            continue;
        }
        const Value fn(numbered(m, a.table, a.start + int(i)));
        if (Property* p = a.target->findAny(n.name, m.version())) {
            p->value = fn;
            p->getter = p->setter = nullptr;
        } else {
            a.target->put(n.name, fn, n.flags);
        }
    }
    return Value();
}

// ASSetNativeAccessor(object, table, "a,b"[, first]): each name becomes a getter/setter pair,
// numbers first and first + 1 for the first name, two further on for each next one.
Value asSetNativeAccessor(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        // Asked nothing, it answers with itself, as the original does.
        Object* self = m.impl().setNativeAccessor;
        return self ? Value(self) : Value();
    }
    SetNativeArgs a;
    if (!readSetNativeArgs(m, args, a)) {
        return Value();
    }
    for (qsizetype i = 0; i < a.names.size(); ++i) {
        const ListedName n = listedName(a.names[i]);
        if (n.name.isEmpty()) {
            continue;
        }
        const int index = a.start + 2 * int(i);
        a.target->put(n.name, Value(), n.flags);
        Property* p = a.target->findAny(n.name, 100);
        p->getter = numbered(m, a.table, index);
        p->setter = numbered(m, a.table, index + 1);
    }
    return Value();
}

}  // namespace

Value callNativeTable(Machine& m, int table, int index, const Value& self,
                      std::vector<Value>& args) {
    if (table == kTableConstruction) {
        Activation* a = m.current();
        return index == 0 ? Value(a && a->constructing) : Value();
    }
    if (table == kTableGlobals && index == 4) {
        return trace(m, self, args);
    }
    if (table == kTableConvolution) {
        const int k = (index - 1) / 2;
        if (index < 1 || k >= int(std::size(kConvolutionParams))) {
            return Value();
        }
        const QString name = QString::fromLatin1(kConvolutionParams[k]);
        if (index % 2 == 1) {
            return m.getMember(self, name);
        }
        m.setMember(self, name, argAt(args, 0));
        return Value();
    }
    auto it = m.impl().nativeTables.constFind(table);
    if (it != m.impl().nativeTables.constEnd()) {
        auto e = it->constFind(index);
        if (e != it->constEnd()) {
            return m.call(Value(*e), self, args);
        }
    }
    if (table == kTableMath) {
        // The maths natives read two numbers before looking at which one was asked for.
        for (size_t i = 0; i < std::min<size_t>(args.size(), 2); ++i) {
            m.toNumber(args[i]);
        }
        return Value(std::nan(""));
    }
    return Value();
}

void installNativeTables(Machine& m) {
    auto& tables = m.impl().nativeTables;
    for (const Row& r : kRows) {
        Object* o = m.global();
        Value v;
        for (const QString& step : QString::fromLatin1(r.path).split('.')) {
            Property* p = o ? o->find(step, 10) : nullptr;
            v = p ? p->value : Value();
            o = v.object();
        }
        if (o && o->kind() == ObjectKind::Function) {
            tables[r.table].insert(r.index, o);
        }
    }
    tables[kTableGlobals];  // trace lives in the table without being a global
    const NativeEntry globals[] = {
        {"ASnative", asNative},
        {"ASSetNative", asSetNative},
        {"ASSetNativeAccessor", asSetNativeAccessor},
    };
    installTable(m, m.global(), globals);
    m.impl().setNativeAccessor =
        m.global()->find(QStringLiteral("ASSetNativeAccessor"), 10)->value.object();
}

}  // namespace pencora::avm1
