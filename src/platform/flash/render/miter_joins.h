// Miter joins cut off at their limit. A miter join carries the outer edges of two lines on
// until they meet at a tip. A miter's length is the length of its point, from the inner
// corner (where the lines' inner edges cross) to the tip: 1 / sin(half the corner's angle)
// widths, twice the tip's distance from the point where the lines' centres meet. The limit,
// a factor of the width from 1 to 255, caps that length: a miter longer than `limit` widths
// is cut square to the bisector `limit` half-widths past the centres' meeting point, so that
// what is left is `limit` widths long measured the same way (a limit of 2.5 on a 10-pixel
// line cuts at 12.5 pixels past that point, leaving a 25-pixel miter).
//
// A miter is thus kept whole up to the corner angle where 1 / sin(half the angle) reaches the
// limit (1.414: right angles and wider, 2: 60 degrees, 4: about 30, 8: about 15), and at that
// angle the cut meets the tip: sharper corners lose their point gradually, never at once.
// The cut always lies beyond the bevel, so a limit of 1 still shows some of the miter.
#pragma once

#include <QPen>
#include <QPolygonF>

namespace pencora::swf::render {

// A pen whose joins are mitered with a cut: Qt's own miter join is not used, the pen carries
// Qt::MiterJoin and the limit (1 to 255) for strokeOutline() (line_stroke.h) to read.
void setCutMiterJoin(QPen& pen, double limit);

// How far past the point where the lines' centres meet, along the bisector, a miter of a line
// `width` wide may reach with `limit` (clamped to 1..255) before it is cut: the same at every
// angle, the limit being on the miter's length.
double miterReach(double width, double limit);

// What a cut miter adds to a bevel at `corner`, where a line `width` wide arriving along `in`
// leaves along `out` (both of unit length): a polygon through the corner, empty when the line
// goes straight on.
QPolygonF cutMiter(QPointF corner, QPointF in, QPointF out, double width, double limit);

}  // namespace pencora::swf::render
