// Names and paths inside the interpreter: variables through the scope chain, target paths in
// slash and dot syntax, clip properties by index, calls by name and by method.
#pragma once

#include <QString>

#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

Value getVariable(Machine& m, Activation& act, const QString& name);
// With `holder`: the object of the scope chain the name was found on, when it was.
Value getVariable(Machine& m, Activation& act, HashedName name, Object** holder = nullptr);
void setVariable(Machine& m, Activation& act, const QString& name, const Value& v);
// Returns the object the value was assigned on, or null for a path.
Object* setVariable(Machine& m, Activation& act, HashedName name, const Value& v);
// Whether a name holds '/', ':' or '.', so that it may be a target path.
bool hasPathCharacters(const QString& name);
void defineLocal(Machine& m, Activation& act, const QString& name, const Value& v);
bool deleteVariable(Machine& m, Activation& act, const QString& name);
// A clip (or any object) named by a target path relative to the activation's target.
Object* resolvePath(Machine& m, Activation& act, const QString& path);
// SetTarget/SetTarget2 (tellTarget): timeline actions and variables of the activation now go
// to `clip`; an empty path goes back to the clip the code belongs to.
void setTarget(Machine& m, Activation& act, const Value& path);
// Whether the clip the code belongs to has left the display list while the code runs: such
// code stops at its next call.
bool baseClipRemoved(const Activation& act);
Value getClipProperty(Machine& m, Activation& act, const Value& target, double index);
void setClipProperty(Machine& m, Activation& act, const Value& target, double index,
                     const Value& v);

Value callFunctionByName(Machine& m, Activation& act, const QString& name,
                         std::vector<Value>& args);
Value callMethod(Machine& m, Activation& act, const Value& target, const Value& name,
                 std::vector<Value>& args);
Completion runTry(Machine& m, Activation& act, const swf::TryDef& t, const QString& catchName,
                  uint32_t& next, Value& returnValue);

}  // namespace pencora::avm1
