#include "platform/flash/avm1/array_object.h"

#include <cmath>

#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/machine.h"

namespace pencora::avm1 {

int64_t arrayIndex(const QString& name) {
    if (name.isEmpty() || name.size() > 10) {
        return -1;
    }
    if (name.size() > 1 && name[0] == '0') {
        return -1;
    }
    int64_t v = 0;
    for (QChar c : name) {
        if (c < '0' || c > '9') {
            return -1;
        }
        v = v * 10 + (c.unicode() - '0');
    }
    return v < 2147483647LL ? v : -1;
}

int64_t leadingArrayIndex(const QString& name) {
    qsizetype i = 0;
    while (i < name.size() &&
           (name[i] == ' ' || name[i] == '\t' || name[i] == '\n' || name[i] == '\r')) {
        ++i;
    }
    if (i == name.size() || name[i] < '0' || name[i] > '9') {
        return -1;
    }
    int64_t v = 0;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
        v = v * 10 + (name[i].unicode() - '0');
        if (v >= 2147483647LL) {
            return -1;
        }
    }
    return v;
}

void ArrayObject::setLength(Machine&, double n) {
    int32_t len = doubleToInt32(n);
    if (len < length_) {
        const int64_t keep = len > 0 ? len : 0;
        removeWhere([keep](const Property& p) {
            return !(p.flags & kDontDelete) && arrayIndex(p.name) >= keep;
        });
    }
    length_ = len;
}

Value ArrayObject::at(uint32_t i) {
    Property* p = find(QString::number(i), 100);
    return p && !p->getter ? p->value : Value();
}

bool ArrayObject::has(uint32_t i) {
    return find(QString::number(i), 100) != nullptr;
}

void ArrayObject::setAt(Machine& m, uint32_t i, const Value& v) {
    const QString name = QString::number(i);
    if (Property* p = find(name, 100); p && !p->getter) {
        // An element that survived a rewrite keeps its place and flags, and its value if it
        // is read-only.
        if (!(p->flags & kReadOnly)) {
            p->value = v;
        }
    } else {
        if (!p) {
            m.heap().charge(sizeof(Property));
        }
        put(name, v);
    }
    if (int64_t(i) >= length_ && i < 2147483647u) {
        length_ = int32_t(i + 1);
    }
}

void ArrayObject::removeAt(uint32_t i) {
    const QString name = QString::number(i);
    removeWhere([&name](const Property& p) { return p.name == name; });
}

void ArrayObject::clearElements() {
    removeWhere(
        [](const Property& p) { return !(p.flags & kDontDelete) && arrayIndex(p.name) >= 0; });
}

void ArrayObject::assign(Machine& m, const std::vector<Value>& values) {
    clearElements();
    for (size_t i = 0; i < values.size(); ++i) {
        setAt(m, uint32_t(i), values[i]);
    }
    length_ = int32_t(std::min<size_t>(values.size(), 2147483647u));
}

std::vector<Value> ArrayObject::values(Machine& m) {
    const uint32_t n = std::min(count(), m.limits().maxArrayLength);
    std::vector<Value> out;
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        out.push_back(m.get(this, QString::number(i)));
        m.tick();
    }
    return out;
}

bool ArrayObject::getOwnVirtual(Machine& m, const QString& name, Value& out) {
    if (isBuiltInName(name, QLatin1String("length"), m.version())) {
        out = Value(double(length_));
        return true;
    }
    return false;
}

bool ArrayObject::setOwnVirtual(Machine& m, const QString& name, const Value& v) {
    if (isBuiltInName(name, QLatin1String("length"), m.version())) {
        setLength(m, m.toNumber(v));
        return true;
    }
    const int64_t i = m.version() >= 7 ? arrayIndex(name) : leadingArrayIndex(name);
    if (i >= 0 && i >= length_) {
        length_ = int32_t(i + 1);
    }
    return false;  // the element itself is stored as an ordinary property
}

}  // namespace pencora::avm1
