// The object `super` names inside a method: members are looked up from the prototype above the
// one holding the running method, and calls through it keep the current `this`.
#pragma once

#include <QString>

#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class Machine;

class SuperObject : public Object {
  public:
    explicit SuperObject(Object* h) : Object(h->proto()), holder(h) {}
    Object* holder;  // the prototype holding the running method (a constructor's prototype)
    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        t.mark(holder);
    }
};

// super(args) when method is null, super.method(args) otherwise.
Value callThroughSuper(Machine& m, SuperObject* super, const Value& thisValue,
                       const QString* method, std::vector<Value>& args);

}  // namespace pencora::avm1
