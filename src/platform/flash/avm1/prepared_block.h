// An action block made ready for the machine: operand strings decoded once for the movie's
// SWF version (UTF-8 from SWF 6, Latin-1 before), push literals turned into values.
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "platform/flash/actions/action.h"
#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

struct PreparedPush {
    enum class Kind : uint8_t { Literal, Register, Constant };
    Kind kind = Kind::Literal;
    uint32_t index = 0;
    Value value;
};

class Object;

// Where a GetVariable or SetVariable last found its name: an own property of the object at the
// head of the scope chain, at `index` of its properties (variable_cache.h). The cache keeps
// the name and the property's name alive, so that a later run can tell by identity alone that
// it names the same and finds the same property there.
struct VariableCache {
    Value name;
    QString propertyName;
    Object* holder = nullptr;  // compared only: a stale pointer finds no property of the name
    uint32_t index = 0;
};

struct PreparedAction {
    std::vector<PreparedPush> push;
    // Records after this one that the loop may run with it as one step, each still counted.
    enum class Joined : uint8_t {
        None,
        GetVariable,  // a Push whose last item, a string or constant, is the name read next
        If,           // Less2, then If on its result
        NotIf,        // Less2, Not, then If
    };
    Joined joined = Joined::None;
    std::shared_ptr<const std::vector<Value>> pool;  // ConstantPool, as string values
    QString text;
    QString text2;
    std::vector<QString> names;  // function parameters
    // GetVariable, SetVariable and a Push joined to a GetVariable.
    mutable VariableCache variable;
};

struct PreparedBlock {
    std::shared_ptr<const swf::ActionBlock> block;
    int swfVersion = 8;
    std::vector<PreparedAction> actions;
};

std::shared_ptr<const PreparedBlock> prepareBlock(std::shared_ptr<const swf::ActionBlock> block,
                                                  int swfVersion);

}  // namespace pencora::avm1
