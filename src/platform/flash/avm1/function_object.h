// Functions: natives of the built-in classes and functions defined by DefineFunction/2.
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/object.h"
#include "platform/flash/avm1/prepared_block.h"

namespace pencora::avm1 {

// What a script function closes over when it is defined.
struct ScriptFunction {
    std::shared_ptr<const PreparedBlock> code;
    const swf::FunctionDef* def = nullptr;                // owned by code's block
    uint32_t defIndex = 0;                                // the DefineFunction record
    std::shared_ptr<const std::vector<Value>> constants;  // the pool in force at definition
    std::vector<Object*> scope;                           // outermost first
    Object* targetClip = nullptr;                         // the clip whose timeline defined it
    int swfVersion = 8;
    bool mayUseSuper = true;  // the body names `super` (found when defined)
};

class FunctionObject : public Object {
  public:
    FunctionObject(Object* proto, NativeFn fn, NativeFn constructFn)
        : Object(proto, ObjectKind::Function), native(fn), constructNative(constructFn) {}
    FunctionObject(Object* proto, std::unique_ptr<ScriptFunction> s)
        : Object(proto, ObjectKind::Function), script(std::move(s)) {}

    NativeFn native = nullptr;
    // For `new`: called with the fresh object as this; a native class that needs its own kind
    // of object (Array, Date ...) returns it instead.
    NativeFn constructNative = nullptr;
    // When constructNative gives no object, `new` gives undefined instead of the plain object
    // (new BitmapData with a size it refuses).
    bool constructMayFail = false;
    // super() into this class's constructor gives undefined rather than the object it made
    // (the networking classes), though the object still gets its native part.
    bool superGivesUndefined = false;
    // A function ASnative made: its table and index, and no native of its own.
    int32_t tableId = -1;
    int32_t tableIndex = 0;
    std::unique_ptr<ScriptFunction> script;

    void traceRefs(Tracer& t) override {
        Object::traceRefs(t);
        if (script) {
            for (Object* o : script->scope) {
                t.mark(o);
            }
            if (script->targetClip) {
                t.mark(script->targetClip);
            }
        }
    }
};

}  // namespace pencora::avm1
