#include "platform/flash/runtime/text/text_field_pointer.h"

#include <algorithm>

#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/text/text_field_drawing.h"

namespace pencora::runtime {

namespace {

// The line a height falls on: the first whose box reaches below it, or the last line.
size_t lineAt(const TextLayout& layout, double y) {
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const TextLine& line = layout.lines[i];
        if (y < line.y + line.ascent + line.descent + line.leading) {
            return i;
        }
    }
    return layout.lines.size() - 1;
}

// The boundary of the line nearest `x`: a character is passed once the pointer is over its
// right half.
int indexInLine(const TextLayout& layout, const TextLine& line, double x) {
    double at = line.x;
    const int end = line.start + line.length;
    for (int i = line.start; i < end; ++i) {
        const double advance = size_t(i) < layout.advances.size() ? layout.advances[i] : 0;
        if (x < at + advance / 2) {
            return i;
        }
        at += advance;
    }
    return end;
}

// Where the stage point falls in the field's text, or -1 when the field cannot be turned back.
int indexUnder(DisplayObject& o, QPointF stageTwips) {
    const QTransform toStage = worldTransform(o);
    bool invertible = false;
    const QPointF local = toStage.inverted(&invertible).map(stageTwips);
    if (!invertible) {
        return -1;
    }
    const TextField& f = *o.field;
    return caretIndexAt(f, layoutText(f, measureFor(o)), local - f.bounds.topLeft(),
                        f.embedFonts ? 1.0 : keptProportion(toStage));
}

}  // namespace

int caretIndexAt(const TextField& f, const TextLayout& layout, QPointF inField, double kept) {
    if (layout.lines.empty()) {
        return 0;
    }
    const size_t top = size_t(std::clamp(f.scroll, 1, int(layout.lines.size())) - 1);
    const double scrolled = layout.lines[top].y - layout.lines.front().y;
    const TextLine& line = layout.lines[lineAt(layout, inField.y() + scrolled)];
    double x = inField.x();
    if (kept != 1 && kept > 0) {
        // Back from where stretched device text shows to where the layout put it.
        const double anchor = lineAnchorOf(f, line);
        x = anchor + (x - anchor) / kept;
    }
    return std::clamp(indexInLine(layout, line, x + f.hscroll * 20.0), 0, f.length());
}

DisplayObject* selectableFieldAt(DisplayObject& root, QPointF stageTwips) {
    DisplayObject* o = textFieldAt(root, stageTwips);
    return o && o->field->selectable ? o : nullptr;
}

void textFieldPressed(DisplayObject& o, QPointF stageTwips) {
    if (!o.field) {
        return;
    }
    const int at = indexUnder(o, stageTwips);
    if (at < 0) {
        return;
    }
    o.field->selectionBegin = o.field->selectionEnd = at;
    textFieldChanged(o);
}

void textFieldDragged(DisplayObject& o, QPointF stageTwips) {
    if (!o.field) {
        return;
    }
    const int at = indexUnder(o, stageTwips);
    if (at < 0 || at == o.field->selectionEnd) {
        return;
    }
    if (o.field->selectionBegin < 0) {
        o.field->selectionBegin = at;
    }
    o.field->selectionEnd = at;
    textFieldChanged(o);
}

}  // namespace pencora::runtime
