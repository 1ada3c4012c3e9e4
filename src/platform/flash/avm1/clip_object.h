// Display objects as script objects. The runtime makes one ClipObject per movie clip, button
// or text field that scripts can reach (Machine::makeClip) and gives it a ClipBinding that
// answers what the display list knows. Script variables set on the clip are kept in the object
// itself, so they survive as long as the object does.
#pragma once

#include <QString>

#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class Machine;

// Implemented by the runtime, one per display object.
class ClipBinding {
  public:
    virtual ~ClipBinding() = default;
    // Built-in properties (_x, _currentframe, _name ...) and children by instance name.
    // Returns true and fills `out` when the clip answers the name.
    virtual bool get(Machine& m, const QString& name, Value& out) = 0;
    // Returns true when the clip consumed the assignment (a built-in property).
    virtual bool set(Machine& m, const QString& name, const Value& v) = 0;
    // Instance names of children, for for..in (newest first).
    virtual void childNames(std::vector<QString>& out) { (void)out; }
    // Objects the display object keeps alive (children's ClipObjects ...).
    virtual void traceRefs(Tracer& t) { (void)t; }
};

class ClipObject : public Object {
  public:
    ClipObject(Object* proto, ClipBinding* binding)
        : Object(proto, ObjectKind::Clip), binding_(binding) {}

    ClipBinding* binding() const { return binding_; }
    // The runtime calls detach() when the display object is removed; the script object then
    // behaves as a plain object (references to removed clips stay harmless). `lastPath` is
    // where the clip stood ("_level0.a.b"): a clip placed there later stands in for it.
    void detach(const QString& lastPath = {}) {
        binding_ = nullptr;
        if (!lastPath.isEmpty()) {
            lastPath_ = lastPath;
        }
    }
    bool removed() const { return !binding_; }
    const QString& lastPath() const { return lastPath_; }

    bool getOwnVirtual(Machine& m, const QString& name, Value& out) override {
        return binding_ && binding_->get(m, name, out);
    }
    bool setOwnVirtual(Machine& m, const QString& name, const Value& v) override {
        return binding_ && binding_->set(m, name, v);
    }
    void enumerateVirtual(Machine&, std::vector<QString>& out) override {
        if (binding_) {
            binding_->childNames(out);
        }
    }
    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        if (binding_) {
            binding_->traceRefs(t);
        }
    }

  private:
    ClipBinding* binding_;
    QString lastPath_;
};

// A clip removed from the display list is found again by its path when another clip has come
// to stand there (function_base_clip_readded); anything else, and a removed clip with nothing
// at its path, is itself.
Object* currentClip(Machine& m, Object* o);

}  // namespace pencora::avm1
