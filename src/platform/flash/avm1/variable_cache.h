// GetVariable and SetVariable through the cache of their action (VariableCache in
// prepared_block.h). A name found last time as a plain own property of the object at the head
// of the scope chain (a timeline, a function's locals, a `with` object) is read or written
// there again without walking the chain, as long as that object is still the head, still has
// the property under that very name, with no getter and no version flags, and (for a write)
// no watch and no read-only flag. Anything else takes the whole walk (variables.h), and fills
// the cache from what the walk found.
#pragma once

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/machine.h"

namespace pencora::avm1 {

// GetVariable: pushes the value of `name`.
void pushVariableCached(Machine& m, Activation& act, const Value& name, VariableCache& cache);
void setVariableCached(Machine& m, Activation& act, const Value& name, const Value& v,
                       VariableCache& cache);

}  // namespace pencora::avm1
