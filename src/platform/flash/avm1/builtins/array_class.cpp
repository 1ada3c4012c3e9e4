// Array: construction, the list methods, and sort/sortOn with the original's option flags.
#include <algorithm>
#include <cmath>
#include <optional>

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

// Reads any object's elements: an array's as a[i] reads them, holes as undefined; another
// object's own plain values up to its length, which is what the original's methods see when
// called on a non-array (array_prototyping test: inherited and getter elements read as
// undefined).
std::vector<Value> readList(Machine& m, Object* o) {
    if (!o) {
        return {};
    }
    o = nativeOf(o);
    if (o->kind() == ObjectKind::Array) {
        return static_cast<ArrayObject*>(o)->values(m);
    }
    std::vector<Value> out;
    double n = m.toNumber(m.get(o, QStringLiteral("length")));
    for (uint32_t i = 0; n > 0 && i < n && i < m.limits().maxArrayLength; ++i) {
        const Property* p = o->find(QString::number(i), m.version());
        out.push_back(p && !p->getter ? p->value : Value());
        m.tick();
    }
    return out;
}

void writeList(Machine& m, Object* o, const std::vector<Value>& list) {
    if (!o) {
        return;
    }
    o = nativeOf(o);
    if (o->kind() == ObjectKind::Array) {
        static_cast<ArrayObject*>(o)->assign(m, list);
        return;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        m.set(o, QString::number(i), list[i]);
    }
    m.set(o, QStringLiteral("length"), Value(double(list.size())));
}

ArrayObject* asArray(const Value& v) {
    Object* o = nativeOf(v.object());
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

// new Array(n) with one number makes n holes (a negative n is kept as the length: the original
// prints new Array(-1).length as -1); any other arguments become the elements.
Value arrayCtor(Machine& m, const Value&, std::vector<Value>& args) {
    ArrayObject* a = m.makeArray();
    if (args.size() == 1 && args[0].isNumber()) {
        a->setLength(m, args[0].number());
    } else {
        a->assign(m, args);
    }
    return Value(a);
}

Value arrayPush(Machine& m, const Value& self, std::vector<Value>& args) {
    if (ArrayObject* a = asArray(self)) {
        for (const Value& v : args) {
            a->setAt(m, a->count(), v);
        }
        return Value(double(a->length()));
    }
    std::vector<Value> list = readList(m, self.object());
    list.insert(list.end(), args.begin(), args.end());
    size_t n = list.size();
    writeList(m, self.object(), list);
    return Value(double(n));
}

Value arrayPop(Machine& m, const Value& self, std::vector<Value>&) {
    if (ArrayObject* a = asArray(self)) {
        uint32_t n = a->count();
        if (n == 0) {
            return Value();
        }
        // The element itself, even under a getter added on its index; a hole reads through
        // the prototypes as a[i] would.
        const QString last = QString::number(n - 1);
        const Property* own = a->find(last, 100);
        Value v = own ? own->value : m.get(a, last);
        a->setLength(m, double(n - 1));
        return v;
    }
    std::vector<Value> list = readList(m, self.object());
    if (list.empty()) {
        return Value();
    }
    Value v = list.back();
    list.pop_back();
    writeList(m, self.object(), list);
    return v;
}

// shift rewrites the remaining elements from index 0 up, holes becoming undefined (array_shift
// test lists them with for..in).
Value arrayShift(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> list = readList(m, self.object());
    if (list.empty()) {
        return Value();
    }
    Value v = list.front();
    list.erase(list.begin());
    writeList(m, self.object(), list);
    return v;
}

// unshift moves the old elements up from the last one down, then writes the new ones from index
// 0 up, so for..in meets the new elements first (array_unshift test).
Value arrayUnshift(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    const size_t n = list.size() + args.size();
    ArrayObject* a = asArray(self);
    if (!a) {
        list.insert(list.begin(), args.begin(), args.end());
        writeList(m, self.object(), list);
        return Value(double(n));
    }
    if (n > m.limits().maxArrayLength) {
        throw LimitExceeded{LimitExceeded::Kind::Memory};
    }
    a->clearElements();
    for (size_t k = list.size(); k-- > 0;) {
        a->setAt(m, uint32_t(k + args.size()), list[k]);
    }
    for (size_t j = 0; j < args.size(); ++j) {
        a->setAt(m, uint32_t(j), args[j]);
    }
    a->setLength(m, double(n));
    return Value(double(n));
}

Value arraySlice(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    size_t start = clampIndex(m, argAt(args, 0), list.size(), 0);
    size_t end = clampIndex(m, argAt(args, 1), list.size(), list.size());
    std::vector<Value> out;
    if (start < end) {
        out.assign(list.begin() + start, list.begin() + end);
    }
    return Value(m.makeArray(std::move(out)));
}

// splice(start[, count, items...]). An undefined start, or a count given as undefined or
// below zero, changes nothing and returns undefined (array_splice test).
Value arraySplice(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty() || args[0].isUndefined()) {
        return Value();
    }
    std::vector<Value> list = readList(m, self.object());
    size_t start = clampIndex(m, args[0], list.size(), 0);
    size_t count = list.size() - start;
    if (args.size() > 1) {
        if (args[1].isUndefined()) {
            return Value();
        }
        double d = m.toNumber(args[1]);
        if (d < 0) {
            return Value();
        }
        if (std::isnan(d)) {
            d = 0;
        }
        count = size_t(std::min(std::trunc(d), double(list.size() - start)));
    }
    std::vector<Value> removed(list.begin() + start, list.begin() + start + count);
    list.erase(list.begin() + start, list.begin() + start + count);
    if (args.size() > 2) {
        list.insert(list.begin() + start, args.begin() + 2, args.end());
    }
    if (list.size() > m.limits().maxArrayLength) {
        throw LimitExceeded{LimitExceeded::Kind::Memory};
    }
    writeList(m, self.object(), list);
    return Value(m.makeArray(std::move(removed)));
}

Value arrayConcat(Machine& m, const Value& self, std::vector<Value>& args) {
    std::vector<Value> list = readList(m, self.object());
    for (const Value& v : args) {
        if (ArrayObject* a = asArray(v)) {
            std::vector<Value> more = a->values(m);
            list.insert(list.end(), more.begin(), more.end());
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
            m.checkedAppend(out, sep);
        }
        m.checkedAppend(out, m.toString(list[i]));
        m.tick();
    }
    return out;
}

Value arrayJoin(Machine& m, const Value& self, std::vector<Value>& args) {
    QString sep = args.empty() || args[0].isUndefined() ? QStringLiteral(",") : m.toString(args[0]);
    return Value(joinList(m, readList(m, self.object()), sep));
}

Value arrayToString(Machine& m, const Value& self, std::vector<Value>&) {
    return Value(joinList(m, readList(m, self.object()), QStringLiteral(",")));
}

Value arrayReverse(Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> list = readList(m, self.object());
    std::reverse(list.begin(), list.end());
    writeList(m, self.object(), list);
    return self;
}

// CASEINSENSITIVE compares the lower-case forms, so "hëllo" and "HËLLO" tie (array_sort test).
int compareText(const QString& x, const QString& y, bool caseInsensitive) {
    const int c = caseInsensitive ? x.toLower().compare(y.toLower()) : x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Compares two values the way sort's flags ask, ascending; negative, zero or positive. NUMERIC
// compares numbers as numbers but anything else, "22" included, as text (array_sort test).
int compareValues(Machine& m, const Value& a, const Value& b, int flags) {
    if ((flags & kNumeric) && a.isNumber() && b.isNumber()) {
        double x = a.number();
        double y = b.number();
        if (std::isnan(x) || std::isnan(y)) {
            return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
        }
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return compareText(m.toString(a), m.toString(b), flags & kCaseInsensitive);
}

// Sorts `order` (indices into the list) by `cmp`, which already includes any DESCENDING, with
// the original's quicksort, comparison for comparison: a movie's compare function sees the same
// calls in the same order (array_sort_random test) and ties land where the original puts them.
// The first element of a range is its pivot; a two-element range is one comparison. An explicit
// stack instead of recursion: a sorted input makes the ranges as deep as the array is long.
// Returns false when UNIQUESORT met a tie.
bool sortIndices(Machine& m, std::vector<size_t>& order,
                 const std::function<int(size_t, size_t)>& cmp, int flags) {
    bool tie = false;
    auto compare = [&](size_t x, size_t y) {
        m.tick();
        int c = cmp(x, y);
        if (c == 0) {
            tie = true;
        }
        return c;
    };
    std::vector<std::pair<ptrdiff_t, ptrdiff_t>> ranges;
    if (!order.empty()) {
        ranges.push_back({0, ptrdiff_t(order.size()) - 1});
    }
    while (!ranges.empty()) {
        auto [lo, hi] = ranges.back();
        ranges.pop_back();
        if (hi <= lo) {
            continue;
        }
        if (hi - lo == 1) {
            if (compare(order[lo], order[hi]) > 0) {
                std::swap(order[lo], order[hi]);
            }
            continue;
        }
        const size_t pivot = order[lo];
        ptrdiff_t i = lo + 1;
        ptrdiff_t j = hi;
        for (;;) {
            while (i <= hi && compare(pivot, order[i]) > 0) {
                ++i;
            }
            if (i > j) {
                break;
            }
            if (i == j) {
                --j;
            }
            while (j > lo && compare(pivot, order[j]) <= 0) {
                --j;
            }
            if (i >= j) {
                break;
            }
            std::swap(order[i], order[j]);
        }
        std::swap(order[lo], order[j]);
        ranges.push_back({j + 1, hi});  // done after the left part, as the original does
        ranges.push_back({lo, j - 1});
    }
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
    writeList(m, self.object(), sorted);
    return self;
}

std::vector<size_t> identityOrder(size_t n) {
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) {
        order[i] = i;
    }
    return order;
}

bool isFunction(const Value& v) {
    return v.object() && v.object()->kind() == ObjectKind::Function;
}

// sort([compare][, flags]). The flags come from the second argument unless it is missing or
// undefined, then from a first argument that is not a function: sort(55, undefined) uses 55,
// sort(DESCENDING, NUMERIC) only NUMERIC, sort({}) sorts by text (array_sort test).
Value arraySort(Machine& m, const Value& self, std::vector<Value>& args) {
    // A first argument that is neither an object nor a number (undefined, null, a boolean)
    // sorts nothing.
    if (!args.empty() && !args[0].isObject() && !args[0].isNumber()) {
        return Value();
    }
    std::vector<Value> list = readList(m, self.object());
    Value compareFn = isFunction(argAt(args, 0)) ? args[0] : Value();
    int flags = 0;
    if (args.size() > 1 && !args[1].isUndefined()) {
        flags = m.toInt32(args[1]);
    } else if (!args.empty() && !compareFn.isObject()) {
        flags = m.toInt32(args[0]);
    }
    const int direction = (flags & kDescending) ? -1 : 1;
    std::vector<size_t> order = identityOrder(list.size());
    std::function<int(size_t, size_t)> cmp;
    if (compareFn.isObject()) {
        cmp = [&](size_t x, size_t y) {
            std::vector<Value> pair{list[x], list[y]};
            double r = m.toNumber(m.call(compareFn, Value(), pair));
            return direction * (std::isnan(r) ? 0 : (r < 0 ? -1 : (r > 0 ? 1 : 0)));
        };
    } else {
        cmp = [&](size_t x, size_t y) {
            return direction * compareValues(m, list[x], list[y], flags);
        };
    }
    bool ok = sortIndices(m, order, cmp, flags);
    return finishSort(m, self, list, order, ok, flags);
}

// sortOn(fields[, flags]). With an array of flags, one per field, the first one's UNIQUESORT
// and RETURNINDEXEDARRAY count for the whole sort; an array of another length means no flags
// at all. A field of an element that is not an object is the element itself.
Value arraySortOn(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value();
    }
    std::vector<Value> list = readList(m, self.object());
    std::vector<QString> fields;
    if (ArrayObject* names = asArray(args[0])) {
        for (const Value& v : names->values(m)) {
            fields.push_back(m.toString(v));
        }
    } else if (!args[0].isUndefined()) {
        fields.push_back(m.toString(args[0]));
    }
    std::vector<int> fieldFlags(fields.size(), 0);
    int flags = 0;
    if (ArrayObject* perField = asArray(argAt(args, 1))) {
        std::vector<Value> given = perField->values(m);
        if (given.size() == fields.size()) {
            for (size_t i = 0; i < given.size(); ++i) {
                fieldFlags[i] = m.toInt32(given[i]);
            }
            flags = fieldFlags.empty() ? 0 : fieldFlags[0];
        }
    } else if (args.size() > 1) {
        flags = m.toInt32(args[1]);
        std::fill(fieldFlags.begin(), fieldFlags.end(), flags);
    }
    // Fields are the element's own values: inherited ones and addProperty getters are not
    // seen (array_sort test), and an element without the field sorts after one with it.
    auto field = [&](const Value& element, const QString& name) -> std::optional<Value> {
        Object* o = element.object();
        if (!o) {
            return element;
        }
        if (const Property* p = o->find(name, m.version()); p && !p->getter) {
            return p->value;
        }
        Value out;
        if (o->getOwnVirtual(m, name, out)) {
            return out;
        }
        return std::nullopt;
    };
    std::vector<size_t> order = identityOrder(list.size());
    auto cmp = [&](size_t x, size_t y) {
        for (size_t f = 0; f < fields.size(); ++f) {
            std::optional<Value> a = field(list[x], fields[f]);
            std::optional<Value> b = field(list[y], fields[f]);
            if (!a || !b) {
                if (!a && !b) {
                    continue;
                }
                return a ? -1 : 1;
            }
            int c = compareValues(m, *a, *b, fieldFlags[f]);
            if (c != 0) {
                return (fieldFlags[f] & kDescending) ? -c : c;
            }
        }
        return 0;
    };
    bool ok = sortIndices(m, order, cmp, flags);
    return finishSort(m, self, list, order, ok, flags);
}

const NativeEntry kPrototype[] = {
    {"push", arrayPush},       {"pop", arrayPop},     {"shift", arrayShift},
    {"unshift", arrayUnshift}, {"slice", arraySlice}, {"splice", arraySplice},
    {"concat", arrayConcat},   {"join", arrayJoin},   {"toString", arrayToString},
    {"reverse", arrayReverse}, {"sort", arraySort},   {"sortOn", arraySortOn},
};

}  // namespace

void installArrayClass(Machine& m) {
    Object* proto = m.heap().make<ArrayObject>(m.protos().object);
    m.protos().array = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(arrayCtor, proto, arrayCtor);
    const std::pair<const char*, int> constants[] = {
        {"CASEINSENSITIVE", kCaseInsensitive},
        {"DESCENDING", kDescending},
        {"UNIQUESORT", kUniqueSort},
        {"RETURNINDEXEDARRAY", kReturnIndexedArray},
        {"NUMERIC", kNumeric},
    };
    for (const auto& [name, value] : constants) {
        ctor->put(QString::fromLatin1(name), Value(value), kDontEnum | kDontDelete | kReadOnly);
    }
    m.global()->put(QStringLiteral("Array"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
