// Placing the caret and selecting with the pointer: a press in a selectable field puts the
// caret at the character boundary nearest the pointer, and dragging moves the selection's far
// end after the pointer, even outside the field.
#pragma once

#include <QPointF>

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

// The character boundary nearest `inField` (twips from the field's top-left corner, as the
// field shows its text after scrolling). Above the first line counts as the first line, below
// the last as the last; left of a line is its start, right of it its end. `kept`: how device
// text shows stretched along its lines (keptProportion), 1 when it shows as laid out.
int caretIndexAt(const TextField& field, const TextLayout& layout, QPointF inField,
                 double kept = 1);

// The topmost selectable text field under the stage point (twips) below `root`, or null.
DisplayObject* selectableFieldAt(DisplayObject& root, QPointF stageTwips);

// The pointer went down on the field (which has the focus by now): the caret goes under it.
void textFieldPressed(DisplayObject& field, QPointF stageTwips);
// The pointer moved with the button held after going down on the field: the selection runs
// from where it went down to the boundary nearest the pointer.
void textFieldDragged(DisplayObject& field, QPointF stageTwips);

}  // namespace pencora::runtime
