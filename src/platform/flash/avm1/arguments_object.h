// The `arguments` of a script function call: an array of what the caller passed. Unlike an
// array's holes, an argument passed as undefined is still listed by for..in (arguments test).
#pragma once

#include "platform/flash/avm1/array_object.h"

namespace pencora::avm1 {

class ArgumentsObject : public ArrayObject {
  public:
    using ArrayObject::ArrayObject;
    void enumerateVirtual(Machine&, std::vector<QString>& out) override {
        for (size_t i = elements.size(); i-- > 0;) {
            out.push_back(QString::number(i));
        }
    }
};

}  // namespace pencora::avm1
