// Arrays keep their elements as ordinary properties "0", "1" ... beside the named ones, as the
// original does: a hole is an absent property, for..in meets elements and names in the order
// they were set, and ASSetPropFlags reaches elements too. `length` is a number of its own:
// setting an element past it raises it, setting it lower deletes the elements beyond.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class ArrayObject : public Object {
  public:
    explicit ArrayObject(Object* proto) : Object(proto, ObjectKind::Array) {}

    // As scripts read it; negative after new Array(-1) or a.length = -1.
    int32_t length() const { return length_; }
    // The number of indices a method walks: the length, never below zero.
    uint32_t count() const { return length_ > 0 ? uint32_t(length_) : 0; }
    // Sets the length (as a 32-bit integer), deleting the elements at and past a lower one.
    void setLength(Machine& m, double n);
    // The own element, or undefined for a hole (getters are not run).
    Value at(uint32_t i);
    bool has(uint32_t i);
    // Stores an element as a plain property, raising the length past it; charged to the heap.
    void setAt(Machine& m, uint32_t i, const Value& v);
    void removeAt(uint32_t i);
    // Deletes the elements, all but DontDelete ones, leaving the length alone.
    void clearElements();
    // Replaces every element (named properties stay): the elements go in from index 0 up, so
    // for..in lists them last to first, as after the original's shift, splice or sort. A
    // DontDelete element survives in its place, with its flags, and keeps its value if it is
    // also read-only (array_shift and array_unshift tests).
    void assign(Machine& m, const std::vector<Value>& values);
    // Elements 0 .. count-1 with holes as undefined, read through the prototype chain like
    // a[i]; walks at most the machine's array limit.
    std::vector<Value> values(Machine& m);

    bool getOwnVirtual(Machine& m, const QString& name, Value& out) override;
    bool setOwnVirtual(Machine& m, const QString& name, const Value& v) override;

  private:
    int32_t length_ = 0;
};

// "12" -> 12; anything that is not a canonical array index -> -1.
int64_t arrayIndex(const QString& name);
// The index a name gives an array's length in SWF 6 and earlier movies: the digits that start
// it after blanks, so " 6" and "6xyz" count as 6; a name without leading digits -> -1.
int64_t leadingArrayIndex(const QString& name);

}  // namespace pencora::avm1
