// Array: construction, the list methods, and sort/sortOn with the original's option flags.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

enum SortFlags {
    kCaseInsensitive = 1,
    kDescending = 2,
    kUniqueSort = 4,
    kReturnIndexedArray = 8,
    kNumeric = 16,
};

// Reads any object's elements (arrays directly, others through length and indices).
std::vector<Value> readList(Machine& m, Object* o) {
    if (!o) {
        return {};
    }
    if (o->kind() == ObjectKind::Array) {
        return static_cast<ArrayObject*>(o)->elements;
    }
    std::vector<Value> out;
    double n = m.toNumber(m.get(o, QStringLiteral("length")));
    for (uint32_t i = 0; n > 0 && i < n && i < m.limits().maxArrayLength; ++i) {
        out.push_back(m.get(o, QString::number(i)));
        m.tick();
    }
    return out;
}

void writeList(Machine& m, Object* o, std::vector<Value> list) {
    if (!o) {
        return;
    }
    if (o->kind() == ObjectKind::Array) {
        auto* a = static_cast<ArrayObject*>(o);
        if (list.size() > a->elements.size()) {
            m.heap().charge((list.size() - a->elements.size()) * sizeof(Value));
        }
        a->elements = std::move(list);
        return;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        m.set(o, QString::number(i), list[i]);
    }
    m.set(o, QStringLiteral("length"), Value(double(list.size())));
}

ArrayObject* asArray(const Value& v) {
    Object* o = v.object();
    return o && o->kind() == ObjectKind::Array ? static_cast<ArrayObject*>(o) : nullptr;
}

// Relative index as slice/splice read it: negative counts from the end.
size_t clampIndex(Machine& m, const Value& v, size_t len, size_t fallback) {
    if (v.isUndefined()) {
        return fallback;
    }
    double d = m.toNumber(v);
    if (std::isnan(d)) {
        return 0;
    }
    d = std::trunc(d);
    if (d < 0) {
        d = std::max(0.0, double(len) + d);
    }
    return size_t(std::min(d, double(len)));
}

Value arrayCtor(Machine& m, const Value&, std::vector<Value>& args) {
    ArrayObject* a = m.makeArray();
    if (args.size() == 1 && args[0].isNumber()) {
        a->setLength(m, args[0].number());
    } else {
        m.heap().charge(args.size() * sizeof(Value));
        a->elements = args;
    }
    return Value(a);
}

Value arrayPush(Machine& m, const Value& self, std::vector<Value>& args) {
    if (ArrayObject* a = asArray(self)) {
        for (const Value& v : args) {
            a->setAt(m, a->length(), v);
        }
        return Value(double(a->length()));
    }
    std::vector<Value> list = readList(m, self.object());
    list.insert(list.end(), args.begin(), args.end());
    size_t n = list.size();
    writeList(m, self.object(), std::move(list));
    return Value(double(n));
}

Value arrayPop(Machine& m, const Value& self, std::vector<Value>&) {
    if (ArrayObject* a = asArray(self)) {
        if (a->elements.empty()) {
            return Value();
        }
        Value v = a->elements.back();
        a->elements.pop_back();
        return v;
    }
    std::vector<Value> list = readList(m, self.object());
    if (list.empty()) {
        return Value();
    }
    Value v = list.back();
    list.pop_back();
    writeList(m, self.object(), std::move(list));
    return v;
}

Value arrayShift(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> list = readList(m, self.object());
    if (list.empty()) {
        return Value();
    }
    Value v = list.front();
    list.erase(list.begin());
    writeList(m, self.object(), std::move(list));
    return v;
}

Value arrayUnshift(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    list.insert(list.begin(), args.begin(), args.end());
    size_t n = list.size();
    writeList(m, self.object(), std::move(list));
    return Value(double(n));
}

Value arraySlice(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    size_t start = clampIndex(m, arg(args, 0), list.size(), 0);
    size_t end = clampIndex(m, arg(args, 1), list.size(), list.size());
    std::vector<Value> out;
    if (start < end) {
        out.assign(list.begin() + start, list.begin() + end);
    }
    return Value(m.makeArray(std::move(out)));
}

Value arraySplice(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    std::vector<Value> list = readList(m, self.object());
    size_t start = clampIndex(m, args[0], list.size(), 0);
    size_t count = list.size() - start;
    if (args.size() > 1) {
        double d = m.toNumber(args[1]);
        if (std::isnan(d) || d < 0) {
            d = 0;
        }
        count = size_t(std::min(std::trunc(d), double(list.size() - start)));
    }
    std::vector<Value> removed(list.begin() + start, list.begin() + start + count);
    list.erase(list.begin() + start, list.begin() + start + count);
    if (args.size() > 2) {
        list.insert(list.begin() + start, args.begin() + 2, args.end());
    }
    writeList(m, self.object(), std::move(list));
    return Value(m.makeArray(std::move(removed)));
}

Value arrayConcat(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    for (const Value& v : args) {
        if (ArrayObject* a = asArray(v)) {
            list.insert(list.end(), a->elements.begin(), a->elements.end());
        } else {
            list.push_back(v);
        }
        if (list.size() > m.limits().maxArrayLength) {
            throw LimitExceeded{LimitExceeded::Kind::Memory};
        }
    }
    return Value(m.makeArray(std::move(list)));
}

QString joinList(Machine& m, const std::vector<Value>& list, const QString& sep) {
    QString out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) {
            out = m.checkedConcat(out, sep);
        }
        out = m.checkedConcat(out, m.toString(list[i]));
        m.tick();
    }
    return out;
}

Value arrayJoin(Machine& m, const Value& self, std::vector<Value>& args) {
    QString sep = args.empty() || args[0].isUndefined() ? QStringLiteral(",")
                                                        : m.toString(args[0]);
    return Value(joinList(m, readList(m, self.object()), sep));
}

Value arrayToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(joinList(m, readList(m, self.object()), QStringLiteral(",")));
}

Value arrayReverse(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> list = readList(m, self.object());
    std::reverse(list.begin(), list.end());
    writeList(m, self.object(), std::move(list));
    return self;
}

// Compares two values the way sort's flags ask; negative, zero or positive.
int compareValues(Machine& m, const Value& a, const Value& b, int flags) {
    if (flags & kNumeric) {
        double x = m.toNumber(a);
        double y = m.toNumber(b);
        if (std::isnan(x) || std::isnan(y)) {
            // NaN (and non-numbers) sort after numbers.
            return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
        }
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    QString x = m.toString(a);
    QString y = m.toString(b);
    return x.compare(y, (flags & kCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

// Sorts `order` (indices into keys) and applies the flags; false when UNIQUESORT met a tie.
bool sortIndices(Machine& m, std::vector<size_t>& order,
                 const std::function<int(size_t, size_t)>& cmp, int flags) {
    bool tie = false;
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        m.tick();
        int c = cmp(x, y);
        if (c == 0) {
            tie = true;
        }
        return (flags & kDescending) ? c > 0 : c < 0;
    });
    return !(tie && (flags & kUniqueSort));
}

Value finishSort(Machine& m, const Value& self, std::vector<Value>& list,
                 std::vector<size_t>& order, bool ok, int flags) {
    if (!ok) {
        return Value(0);
    }
    if (flags & kReturnIndexedArray) {
        std::vector<Value> idx;
        for (size_t i : order) {
            idx.push_back(Value(double(i)));
        }
        return Value(m.makeArray(std::move(idx)));
    }
    std::vector<Value> sorted;
    sorted.reserve(list.size());
    for (size_t i : order) {
        sorted.push_back(list[i]);
    }
    writeList(m, self.object(), std::move(sorted));
    return self;
}

Value arraySort(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    Value compareFn;
    int flags = 0;
    size_t next = 0;
    if (!args.empty() && args[0].object() && args[0].object()->kind() == ObjectKind::Function) {
        compareFn = args[0];
        next = 1;
    }
    if (next < args.size()) {
        flags = m.toInt32(args[next]);
    }
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::function<int(size_t, size_t)> cmp;
    if (compareFn.isObject()) {
        cmp = [&](size_t x, size_t y) {
            std::vector<Value> pair{list[x], list[y]};
            double r = m.toNumber(m.call(compareFn, Value(), pair));
            return std::isnan(r) ? 0 : (r < 0 ? -1 : (r > 0 ? 1 : 0));
        };
    } else {
        cmp = [&](size_t x, size_t y) { return compareValues(m, list[x], list[y], flags); };
    }
    bool ok = sortIndices(m, order, cmp, flags);
    return finishSort(m, self, list, order, ok, flags);
}

Value arraySortOn(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    std::vector<QString> fields;
    std::vector<int> fieldFlags;
    int flags = args.size() > 1 ? m.toInt32(args[1]) : 0;
    if (ArrayObject* names = asArray(arg(args, 0))) {
        for (const Value& v : names->elements) {
            fields.push_back(m.toString(v));
        }
    } else {
        fields.push_back(m.toString(arg(args, 0)));
    }
    ArrayObject* perField = asArray(arg(args, 1));
    for (size_t i = 0; i < fields.size(); ++i) {
        fieldFlags.push_back(perField && i < perField->elements.size()
                                 ? m.toInt32(perField->elements[i])
                                 : flags);
    }
    if (perField) {
        flags = fieldFlags.empty() ? 0 : fieldFlags[0];
    }
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    auto cmp = [&](size_t x, size_t y) {
        for (size_t f = 0; f < fields.size(); ++f) {
            Value a = m.getMember(list[x], fields[f]);
            Value b = m.getMember(list[y], fields[f]);
            int c = compareValues(m, a, b, fieldFlags[f]);
            if (c != 0) {
                return (fieldFlags[f] & kDescending) != (flags & kDescending) ? -c : c;
            }
        }
        return 0;
    };
    bool ok = sortIndices(m, order, cmp, flags);
    return finishSort(m, self, list, order, ok, flags);
}

const NativeEntry kPrototype[] = {
    {"push", arrayPush},       {"pop", arrayPop},         {"shift", arrayShift},
    {"unshift", arrayUnshift}, {"slice", arraySlice},     {"splice", arraySplice},
    {"concat", arrayConcat},   {"join", arrayJoin},       {"toString", arrayToString},
    {"reverse", arrayReverse}, {"sort", arraySort},       {"sortOn", arraySortOn},
};

}  // namespace

void installArrayClass(Machine& m) {
    Object* proto = m.heap().make<ArrayObject>(m.protos().object);
    m.protos().array = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(arrayCtor, proto, arrayCtor);
    const std::pair<const char*, int> constants[] = {
        {"CASEINSENSITIVE", kCaseInsensitive}, {"DESCENDING", kDescending},
        {"UNIQUESORT", kUniqueSort},           {"RETURNINDEXEDARRAY", kReturnIndexedArray},
        {"NUMERIC", kNumeric},
    };
    for (const auto& [name, value] : constants) {
        ctor->put(QString::fromLatin1(name), Value(value), kDontEnum | kDontDelete | kReadOnly);
    }
    m.global()->put(QStringLiteral("Array"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
