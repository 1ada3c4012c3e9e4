// ExternalInterface: calls between the movie and the program that hosts the control, in the
// control's XML call format (described in control/README.md).
//
//   request: <invoke name="f" returntype="xml"><arguments>VALUE...</arguments></invoke>
//   VALUE:   <undefined/> <null/> <true/> <false/> <number>1.5</number> <string>a&amp;b</string>
//            <array><property id="0">VALUE</property>...</array>
//            <object><property id="key">VALUE</property>...</object>
//
// ExternalInterface.call(name, args...) sends a request through Host::externalCall and reads
// the answer as one VALUE (null when there is none). Functions given to addCallback answer
// the control's CallFunction through answerExternalCall.
#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class Machine;

// A value as XML; objects nested deeper than a few dozen levels (or in a cycle) become null.
QString valueToXml(Machine& m, const Value& v);
// One VALUE; undefined for text that is none.
Value xmlToValue(Machine& m, const QString& xml);
// The request for calling `name` with `args`.
QString invokeXml(Machine& m, const QString& name, const std::vector<Value>& args);

// Runs the callback a request names and returns its result as VALUE; std::nullopt when the
// request is malformed or names no callback.
std::optional<QString> answerExternalCall(Machine& m, const QString& request, int swfVersion);

}  // namespace pencora::avm1
