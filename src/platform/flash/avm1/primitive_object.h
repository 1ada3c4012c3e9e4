// Boolean, Number and String objects: a primitive value boxed in an object (new Number(5), or a
// primitive converted for `with` and method calls).
#pragma once

#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class PrimitiveObject : public Object {
  public:
    PrimitiveObject(Object* proto, ObjectKind kind, const Value& v)
        : Object(proto, kind), primitive(v) {}
    Value primitive;

    bool getOwnVirtual(Machine& m, const QString& name, Value& out) override {
        if (kind() == ObjectKind::String &&
            isBuiltInName(name, QLatin1String("length"), m.version())) {
            out = Value(double(primitive.string().size()));
            return true;
        }
        return false;
    }
};

}  // namespace pencora::avm1
