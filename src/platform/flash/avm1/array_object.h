// Arrays keep their elements densely beside the property table; the indices read and write
// as properties "0", "1" ... and `length` follows them.
#pragma once

#include <QString>

#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class ArrayObject : public Object {
public:
    explicit ArrayObject(Object* proto) : Object(proto, ObjectKind::Array) {}

    std::vector<Value> elements;  // [0, length); holes are undefined

    uint32_t length() const { return uint32_t(elements.size()); }
    // Grows or shrinks; charged against the heap.
    void setLength(Machine& m, double n);
    Value at(uint32_t i) const { return i < elements.size() ? elements[i] : Value(); }
    void setAt(Machine& m, uint32_t i, const Value& v);

    bool getOwnVirtual(Machine& m, const QString& name, Value& out) override;
    bool setOwnVirtual(Machine& m, const QString& name, const Value& v) override;
    void enumerateVirtual(Machine& m, std::vector<QString>& out) override;
    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        for (const Value& v : elements) {
            t.mark(v);
        }
    }
    size_t footprint() const override {
        return Object::footprint() + elements.size() * sizeof(Value);
    }
};

// "12" -> 12; anything that is not a canonical array index -> -1.
int64_t arrayIndex(const QString& name);

}  // namespace pencora::avm1
