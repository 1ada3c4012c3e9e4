// A value of the ActionScript 1/2 machine: undefined, null, boolean, number, string or object.
// Strings are UTF-16 (QString) because the script's string methods count UTF-16 units. Objects
// are owned by the machine's heap; a Value only points at them.
//
// A value is a type and one word. A string lives in a box that the values holding it share and
// count without atomic operations (the machine runs on one thread): copying a value is the
// interpreter's most frequent work, and QString's atomic count made a copy many times dearer.
// A value must therefore not be handed to another thread; its string() may.
#pragma once

#include <QString>

#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/flash/avm1/name_table.h"

namespace pencora::avm1 {

class Object;

class Value {
  public:
    enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    Value(bool b) : type_(Type::Boolean), number_(b ? 1 : 0) {}
    Value(double n) : type_(Type::Number), number_(n) {}
    Value(int n) : type_(Type::Number), number_(n) {}
    Value(const QString& s) : type_(Type::String), box_(new StringBox{s, 1, 0}) {}
    Value(QString&& s) : type_(Type::String), box_(new StringBox{std::move(s), 1, 0}) {}
    Value(const char* s) : Value(QString::fromUtf8(s)) {}
    Value(Object* o) : type_(o ? Type::Object : Type::Null), object_(o) {}
    // A pointer to an object of a derived class. Without this, a class the compiler has only
    // seen declared would convert to bool and give true; here it fails to compile instead.
    template <class T>
        requires(std::is_class_v<T> && !std::is_same_v<std::remove_cv_t<T>, Object>)
    Value(T* o) : Value(static_cast<Object*>(o)) {}

    Value(const Value& o) noexcept : type_(o.type_), bits_(o.bits_) { retain(); }
    Value(Value&& o) noexcept : type_(o.type_), bits_(o.bits_) { o.forget(); }
    Value& operator=(const Value& o) noexcept {
        o.retain();  // first, so that assigning a value to itself keeps its string
        release();
        type_ = o.type_;
        bits_ = o.bits_;
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        if (this != &o) {
            release();
            type_ = o.type_;
            bits_ = o.bits_;
            o.forget();
        }
        return *this;
    }
    ~Value() { release(); }

    static Value undefined() { return Value(); }
    static Value null() {
        Value v;
        v.type_ = Type::Null;
        return v;
    }

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNullish() const { return type_ == Type::Undefined || type_ == Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isObject() const { return type_ == Type::Object; }

    // A boolean reads as 0 or 1; anything but a number or boolean as 0 and false.
    bool boolean() const { return number() != 0; }
    double number() const { return isNumber() || isBoolean() ? number_ : 0; }
    const QString& string() const { return isString() ? box_->text : emptyString(); }
    // hashName(string()), worked out once per string: a name pushed by a literal or taken
    // from the constant pool is looked up again on every pass of a loop.
    uint32_t nameHash() const {
        if (!isString()) {
            return hashName(emptyString());
        }
        if (box_->hash == 0) {
            box_->hash = hashName(box_->text);
        }
        return box_->hash;
    }
    Object* object() const { return type_ == Type::Object ? object_ : nullptr; }
    // Whether both hold the very same string (copies of one value), not merely equal text.
    bool sharesString(const Value& o) const {
        return type_ == Type::String && o.type_ == Type::String && box_ == o.box_;
    }

  private:
    struct StringBox {
        QString text;
        uint32_t refs;
        uint32_t hash;  // nameHash(), 0 until asked for
    };

    static const QString& emptyString() {
        static const QString empty;
        return empty;
    }
    void retain() const {
        if (type_ == Type::String) {
            ++box_->refs;
        }
    }
    void release() {
        if (type_ == Type::String && --box_->refs == 0) {
            delete box_;
        }
    }
    void forget() {
        type_ = Type::Undefined;
        bits_ = 0;
    }

    Type type_ = Type::Undefined;
    union {
        uint64_t bits_ = 0;
        double number_;
        Object* object_;
        StringBox* box_;
    };
};

}  // namespace pencora::avm1
