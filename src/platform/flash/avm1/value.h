// A value of the ActionScript 1/2 machine: undefined, null, boolean, number, string or object.
// Strings are UTF-16 (QString) because the script's string methods count UTF-16 units. Objects
// are owned by the machine's heap; a Value only points at them.
#pragma once

#include <QString>

#include <type_traits>

namespace pencora::avm1 {

class Object;

class Value {
  public:
    enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    Value(bool b) : type_(Type::Boolean), number_(b ? 1 : 0) {}
    Value(double n) : type_(Type::Number), number_(n) {}
    Value(int n) : type_(Type::Number), number_(n) {}
    Value(const QString& s) : type_(Type::String), string_(s) {}
    Value(QString&& s) : type_(Type::String), string_(std::move(s)) {}
    Value(const char* s) : type_(Type::String), string_(QString::fromUtf8(s)) {}
    Value(Object* o) : type_(o ? Type::Object : Type::Null), object_(o) {}
    // A pointer to an object of a derived class. Without this, a class the compiler has only
    // seen declared would convert to bool and give true; here it fails to compile instead.
    template <class T>
        requires(std::is_class_v<T> && !std::is_same_v<std::remove_cv_t<T>, Object>)
    Value(T* o) : Value(static_cast<Object*>(o)) {}

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

    bool boolean() const { return number_ != 0; }
    double number() const { return number_; }
    const QString& string() const { return string_; }
    Object* object() const { return type_ == Type::Object ? object_ : nullptr; }

  private:
    Type type_ = Type::Undefined;
    double number_ = 0;
    QString string_;
    Object* object_ = nullptr;
};

}  // namespace pencora::avm1
