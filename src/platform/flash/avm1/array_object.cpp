#include "platform/flash/avm1/array_object.h"

#include <cmath>

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
    return v < 4294967295LL ? v : -1;
}

void ArrayObject::setLength(Machine& m, double n) {
    if (!std::isfinite(n) || n < 0) {
        return;
    }
    uint32_t len = uint32_t(std::min<double>(n, m.limits().maxArrayLength));
    if (len > elements.size()) {
        m.heap().charge((len - elements.size()) * sizeof(Value));
    }
    elements.resize(len);
}

void ArrayObject::setAt(Machine& m, uint32_t i, const Value& v) {
    if (i >= elements.size()) {
        if (i >= m.limits().maxArrayLength) {
            // Beyond the dense store: kept as an ordinary property.
            put(QString::number(i), v);
            return;
        }
        m.heap().charge((i + 1 - elements.size()) * sizeof(Value));
        elements.resize(i + 1);
    }
    elements[i] = v;
}

bool ArrayObject::getOwnVirtual(Machine&, const QString& name, Value& out) {
    if (name == QLatin1String("length")) {
        out = Value(double(elements.size()));
        return true;
    }
    int64_t i = arrayIndex(name);
    if (i >= 0 && uint64_t(i) < elements.size()) {
        out = elements[size_t(i)];
        return true;
    }
    return false;
}

bool ArrayObject::setOwnVirtual(Machine& m, const QString& name, const Value& v) {
    if (name == QLatin1String("length")) {
        setLength(m, m.toNumber(v));
        return true;
    }
    int64_t i = arrayIndex(name);
    if (i >= 0 && i < int64_t(m.limits().maxArrayLength)) {
        setAt(m, uint32_t(i), v);
        return true;
    }
    return false;
}

void ArrayObject::enumerateVirtual(Machine&, std::vector<QString>& out) {
    for (size_t i = elements.size(); i-- > 0;) {
        if (!elements[i].isUndefined()) {
            out.push_back(QString::number(i));
        }
    }
}

}  // namespace pencora::avm1
