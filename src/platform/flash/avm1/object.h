// Objects of the ActionScript 1/2 machine.
//
// Properties keep their insertion order; for..in walks them newest first, then up the prototype
// chain, as the original player does (enumerate tests). Names compare exactly from SWF 7 on and
// ignoring case before, so every look-up takes the caller's SWF version.
//
// Objects live on the machine's heap (heap.h) and are collected by mark and sweep between
// script runs; a subclass that holds values outside its property table reports them in
// traceRefs().
#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/flash/avm1/name_table.h"
#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class Machine;
class Object;
class FunctionObject;

// Property attributes, with the bit values ASSetPropFlags uses.
enum PropertyFlags : uint16_t {
    kDontEnum = 0x01,
    kDontDelete = 0x02,
    kReadOnly = 0x04,
    // Hidden from movies older than a version (ASSetPropFlags bits the built-ins use).
    kVersion6 = 0x80,
    kVersion7b = 0x100,  // hides from SWF 6 too (as_set_prop_flags_version_swf6 test)
    kVersion7 = 0x400,
    kVersion8 = 0x1000,
    kVersion9 = 0x2000,
    kVersion10 = 0x4000,
};

constexpr uint16_t kVersionFlags =
    kVersion6 | kVersion7 | kVersion7b | kVersion8 | kVersion9 | kVersion10;

// Whether the version bits among `flags` hide a property from movies of `swfVersion`.
bool hiddenFromVersion(uint16_t flags, int swfVersion);

struct Property {
    QString name;
    Value value;
    uint16_t flags = 0;
    // addProperty: a property with a getter reads by calling it; the setter may be null.
    Object* getter = nullptr;
    Object* setter = nullptr;
    // Names the getter/setter pair while its calls are counted (0: not yet), so that a
    // property deleted and added again during a call counts afresh.
    uint32_t accessorId = 0;
};

// Lets the heap's marker visit what an object refers to.
class Tracer {
  public:
    virtual ~Tracer() = default;
    virtual void mark(Object* o) = 0;
    void mark(const Value& v) {
        if (Object* o = v.object()) {
            mark(o);
        }
    }
};

// What kind of built-in an object is; the natives check it before touching subclass data.
enum class ObjectKind : uint8_t {
    Plain,
    Function,
    Array,
    Boolean,
    Number,
    String,
    Date,
    Error,
    Arguments,
    XmlNode,
    Clip,  // a display object supplied by the runtime (clip_binding.h)
    Host,  // any other object whose data the runtime supplies
};

class Object {
  public:
    explicit Object(Object* proto = nullptr, ObjectKind kind = ObjectKind::Plain)
        : proto_(proto), kind_(kind) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind kind() const { return kind_; }
    // The object the prototype chain goes on to (null when __proto__ is not an object).
    Object* proto() const { return proto_; }
    void setProto(Object* p) {
        proto_ = p;
        protoState_ = ProtoState::Derived;
        protoStored_.reset();
    }

    // __proto__ is a property of its own: a script may store any value there (a primitive
    // ends the chain), delete it once ASSetPropFlags allows it, and watch it.
    static bool isProtoName(const QString& name, int swfVersion) {
        return name.size() == 9 && isBuiltInName(name, QLatin1String("__proto__"), swfVersion);
    }
    // Whether `name` names the built-in property `builtIn` (`length` ...): before SWF 7 names
    // match whatever their case.
    static bool isBuiltInName(const QString& name, QLatin1String builtIn, int swfVersion) {
        return name.size() == builtIn.size() &&
               name.compare(builtIn, swfVersion >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive) ==
                   0;
    }
    bool hasProtoProperty() const;
    Value protoProperty() const;
    uint16_t protoFlags() const { return protoFlags_; }
    void assignProto(const Value& v);

    // Own properties, as stored. find() returns null when absent.
    Property* find(const QString& name, int swfVersion);
    // The same, including properties hidden from the version by ASSetPropFlags: reads do not
    // see those, but assignment, delete, hasOwnProperty and for..in do.
    Property* findAny(const QString& name, int swfVersion);
    // Both with the name's hashName() given, for walks that ask one object after another.
    // Inline, as every variable and member access goes through them.
    Property* find(const QString& name, uint32_t hash, int swfVersion) {
        Property* p = findAny(name, hash, swfVersion);
        if (p && (p->flags & kVersionFlags) && hiddenFromVersion(p->flags, swfVersion)) {
            return nullptr;
        }
        return p;
    }
    Property* findAny(const QString& name, uint32_t hash, int swfVersion) {
        uint32_t index = exact_.find(name, hash);
        if (index == NameTable::kAbsent) {
            return swfVersion < 7 ? findFolded(name) : nullptr;
        }
        return &props_[index];
    }
    const std::vector<Property>& properties() const { return props_; }
    // The own property at `index` of properties(), or null past the end.
    Property* propertyAt(size_t index) { return index < props_.size() ? &props_[index] : nullptr; }
    // Adds or overwrites an own property (no setter, no watch: plain storage).
    void put(const QString& name, const Value& v, uint16_t flags = 0);
    // Table of built-in properties: natives and constants declared by a built-in class.
    void putNative(Machine& m, const QString& name,
                   Value (*fn)(Machine&, const Value&, std::vector<Value>&),
                   uint16_t flags = kDontEnum);
    bool remove(const QString& name, int swfVersion);  // false when absent or DontDelete
    // Removes every property `pick` chooses, DontDelete or not, in one pass; how many went.
    size_t removeWhere(const std::function<bool(const Property&)>& pick);
    void setFlags(const QString& name, uint16_t set, uint16_t clear, int swfVersion);

    // The native part a built-in constructor gave this object when it ran on it (super() in
    // a subclass of Array, Date, Sound ...): the built-in's own object, holding its state. A
    // plain object presents the part's properties as its own (an Array part's elements and
    // length); the built-in's methods find their state through nativeOf().
    Object* nativePart() const { return nativePart_; }
    void setNativePart(Object* part) {
        nativePart_ = part == this ? nullptr : part;
        if (nativePart_) {
            nativePart_->nativeOwner_ = this;
        }
    }
    // The object whose native part this is, or null: events of the part (onLoad,
    // onSoundComplete ...) go to its owner, where a subclass defines its handlers.
    Object* nativeOwner() const { return nativeOwner_; }

    // Hooks for objects whose properties are partly computed (arrays, clips, strings).
    // getOwnVirtual returns true and fills `out` when it answers the name itself.
    virtual bool getOwnVirtual(Machine& m, const QString& name, Value& out);
    // setOwnVirtual returns true when the value was consumed.
    virtual bool setOwnVirtual(Machine& m, const QString& name, const Value& v);
    // Names the object answers itself, in for..in order (newest first).
    virtual void enumerateVirtual(Machine& m, std::vector<QString>& names);
    virtual void traceRefs(Tracer& t);
    // Approximate size in bytes, for the heap's memory cap.
    virtual size_t footprint() const { return sizeof(*this) + props_.size() * sizeof(Property); }

    // watch(): callbacks by property name.
    struct Watch {
        Object* callback = nullptr;
        Value userData;
        int running = 0;  // nested calls of the callback in progress
    };
    QHash<QString, Watch>& watches() { return watches_; }
    bool hasWatches() const { return !watches_.isEmpty(); }

    bool marked = false;  // heap bookkeeping

  private:
    void reindex();
    Property* findFolded(const QString& name);  // the name in any case, before SWF 7

    enum class ProtoState : uint8_t { Derived, Stored, Deleted };

    std::vector<Property> props_;
    NameTable exact_;
    NameTable folded_;  // lower-case names, for movies before SWF 7
    QHash<QString, Watch> watches_;
    Object* proto_;
    Object* nativePart_ = nullptr;
    Object* nativeOwner_ = nullptr;
    std::unique_ptr<Value> protoStored_;  // a primitive assigned to __proto__
    ObjectKind kind_;
    ProtoState protoState_ = ProtoState::Derived;
    uint16_t protoFlags_ = kDontEnum | kDontDelete;
};

// The object holding `o`'s built-in state: the native part a constructor gave it, or `o`.
inline Object* nativeOf(Object* o) {
    return o && o->nativePart() ? o->nativePart() : o;
}

// The object scripts see for `o`: the owner when `o` is another object's native part.
inline Object* ownerOf(Object* o) {
    return o && o->nativeOwner() ? o->nativeOwner() : o;
}

// Native function signature: (machine, this, arguments) -> result.
using NativeFn = Value (*)(Machine&, const Value& thisValue, std::vector<Value>& args);

}  // namespace pencora::avm1
