// TextField as scripts see it: the properties of a text field as getter/setter pairs on
// TextField.prototype, its format methods, createTextField on clips, and the binding of a
// field to a timeline variable.
#pragma once

#include "platform/flash/runtime/display/display_object.h"

namespace pencora::avm1 {
class Machine;
class Object;
}  // namespace pencora::avm1

namespace pencora::runtime {

class ScriptHost;

// Installs TextField, TextFormat and MovieClip.prototype.createTextField; the MovieClip
// prototype must exist.
void installTextFieldClass(ScriptHost& host);

// A field's script object is its own first listener (onChanged, onScroller ...).
void initTextFieldObject(avm1::Machine& m, avm1::Object* script);

// A text field bound to a variable takes the variable's value, or gives it its own text when
// the variable is not set (the first time, when placed).
void syncTextVariable(ScriptHost& host, DisplayObject& field, bool placing);
// duplicateMovieClip of a text field: a new instance of its character (for a field made by
// createTextField, an empty field of no size) at `depth` of the same parent, placed and
// coloured like the source; what scripts set on the source stays with the source.
DisplayObject* duplicateTextField(ScriptHost& host, DisplayObject& source, const QString& name,
                                  int depth);
// Sets the field's variable to its text.
void pushTextVariable(ScriptHost& host, DisplayObject& field);
// Every bound text field on the display list, after scripts ran; then the listeners of every
// field whose scroll, maxscroll, hscroll or maxhscroll moved since they last heard are sent
// onScroller(field).
void syncTextVariables(ScriptHost& host);

// After the field's text or settings changed: size it (autoSize) and redraw it.
void textFieldChanged(DisplayObject& object);

}  // namespace pencora::runtime
