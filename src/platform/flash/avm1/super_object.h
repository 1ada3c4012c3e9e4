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
    SuperObject(Object* h, Object* self, int depth)
        : Object(h->proto()), holder(h), self(self), depth(depth) {}
    Object* holder;  // the prototype holding the running method (a constructor's prototype)
    // The holder's place on this's prototype chain when the call began (1: this.__proto__; 0:
    // not on it). super() and super.method() start from whatever stands there now, so a
    // method that sets this.__proto__ before super() reaches the new chain's constructor.
    Object* self;
    int depth;
    Object* currentHolder() const;
    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        t.mark(holder);
        if (self) {
            t.mark(self);
        }
    }
};

// super(args) when method is null, super.method(args) otherwise.
Value callThroughSuper(Machine& m, SuperObject* super, const Value& thisValue,
                       const QString* method, std::vector<Value>& args);

}  // namespace pencora::avm1
