// Where the variable a text field shows lives, as a path scripts can read.
#pragma once

#include <QString>

namespace pencora::runtime {

class ScriptHost;
struct DisplayObject;

// The dot path of the variable a field is bound to ("_level0.clip.name"); empty when it has
// none or the clip holding it is not there.
QString textVariablePath(ScriptHost& host, DisplayObject& field);

}  // namespace pencora::runtime
