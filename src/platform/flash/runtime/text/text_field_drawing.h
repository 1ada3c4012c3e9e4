// How a text field measures its text (embedded font advances, or a device font through Qt)
// and draws itself: background, border, and the visible lines.
#pragma once

#include <QFontMetricsF>
#include <QRect>
#include <QStringList>
#include <QTransform>

#include <optional>
#include <utility>

#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime {

// What text in a format the movie does not embed measures as, where embedded fonts are asked.
enum class MissingFont {
    Nothing,  // a field that embeds its fonts shows no such text: it takes no room
    Device,   // measured in the device font of that name instead
};

// Measures with the embedded fonts of `movie` when the field uses them, device fonts otherwise.
class FieldMeasure : public TextMeasure {
  public:
    FieldMeasure(const swf::Movie* movie, bool embedded, MissingFont missing = MissingFont::Nothing)
        : movie_(movie), embedded_(embedded), missing_(missing) {}
    double advance(const TextFormat& f, QStringView text) const override;
    double ascent(const TextFormat& f) const override;
    double descent(const TextFormat& f) const override;
    // The embedded font's kerning pairs, when the format asks for kerning.
    double kerning(const TextFormat& f, QChar left, QChar right) const override;
    // The embedded font a format names, if the field uses embedded fonts.
    const swf::Font* embeddedFont(const TextFormat& f) const;

    // Text in this format takes no room and shows nothing.
    bool invisible(const TextFormat& f) const {
        return embedded_ && missing_ == MissingFont::Nothing && !embeddedFont(f);
    }

  private:
    const QFontMetricsF& metrics(const TextFormat& f) const;

    const swf::Movie* movie_;
    bool embedded_;
    MissingFont missing_;
    // The metrics of the last format asked about: layouts ask many times in a row.
    mutable std::optional<std::pair<TextFormat, QFontMetricsF>> metrics_;
};

FieldMeasure measureFor(const DisplayObject& o);

// The whole device pixels a field's box covers when `toDevice` keeps it an upright rectangle
// (every corner within half a pixel of the rectangle's): corner and size rounded apart, halves
// down. Null otherwise.
// Without `turns` only positive scales count: quarter turns and mirror images do not.
std::optional<QRect> uprightPixels(const QTransform& toDevice, const QRectF& box, bool turns);

// Device text keeps the font's proportions in a field stretched unevenly: along a line, what
// the layout puts at `x` shows at anchor + (x - anchor) * keptProportion(full), `full` mapping
// the field to the device and the anchor being the point the line's alignment holds
// (lineAnchorOf). 1 when the field keeps its own proportions.
double keptProportion(const QTransform& full);
// The point of a line that its alignment holds (its start, middle or end) as the field shows it
// scrolled, in twips from the field box's left edge.
double lineAnchorOf(const TextField& field, const TextLine& line);

// The field took or lost the keyboard focus: taking it selects all of its text (an empty field
// shows its caret at the start); the drawing follows.
void textFieldFocusChanged(DisplayObject& field, bool gained);
// Where the caret of a focused input field stands (after any text an input method is still
// composing), as a zero-width box in the field's own twips.
std::optional<QRectF> textFieldCaret(const DisplayObject& field);

// The topmost text field below `root` whose box holds the point, or null.
DisplayObject* textFieldAt(DisplayObject& root, QPointF stageTwips);
// The mouse wheel turned `delta` notches over the field (positive: away from the user, back
// towards the first line); returns whether it scrolled.
bool wheelScroll(DisplayObject& field, int delta);

// The device fonts a movie may name (TextField.getFontList).
QStringList deviceFontNames();
// A device font name as scripts give it (_sans, _serif, _typewriter, 宋体 ...) as an installed
// family.
QString deviceFamily(const QString& name);

}  // namespace pencora::runtime
