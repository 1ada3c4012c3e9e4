// Lines drawn as the filled outline of the pen in the shape's own twips, mapped to the device:
// - under a matrix that scales one way more than the other, the pen is the shape's, so a line
//   is as thick as the matrix makes it each way (a horizontal line scaled twice as high is
//   twice as thick, a vertical one is not);
// - with anti-aliasing, a curved line is the fill of the same outline.
// Straight lines under an even matrix keep the device pen. A hinted line's pen is made a whole
// number of device pixels across each of the ways the matrix stretches it (so under a matrix
// that scales one way more than the other, a hinted horizontal line and a hinted vertical one
// are each whole pixels thick).
//
// Without anti-aliasing a line's curves are first cut into the chords a fill's curves are cut
// into, and the chords are stroked: a one-pixel curve then takes the single pixels along it
// that the movies' aliased frames show (filters/drop_shadow, filters/glow_with_alpha_strength),
// where the pen's offset of the true curve strays from them near its half-pixel edges.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <optional>

#include "platform/flash/swf/shape.h"

namespace pencora::swf::render {

// The device outline of `line` (in twips) drawn with `style` and `pen` under `world`, when
// one of the cases above holds and the line is at least a device pixel thick every way;
// std::nullopt when the device pen draws it (hairlines, thinner lines, unscaled widths).
std::optional<QPainterPath> lineOutline(const QPainterPath& line, const LineStyle& style,
                                        const QPen& pen, const QTransform& world);

// `line` (in twips) with its anchors, where it starts and ends and where its curves start and
// end, on whole device pixels under `world` when the style asks for pixel hinting (curves'
// control points stay where they are); otherwise `line` as it is.
QPainterPath hintedAnchors(const QPainterPath& line, const LineStyle& style,
                           const QTransform& world);

// The device area `line` (in twips, its anchors already hinted) covers drawn with anti-aliasing
// by `pen` under `world`: the shape's pen outline where lineOutline() gives one, else the device
// pen's stroke with its cut miters, its own cap at each end and loops kept open as the style
// asks. What is drawn and what the pointer hits on a line are this one area.
QPainterPath drawnLineArea(const QPainterPath& line, const LineStyle& style, const QPen& pen,
                           const QTransform& world);

// The device outline to fill pixel by pixel for `line` drawn without anti-aliasing: its chords
// (cut on the device) stroked with the shape's pen (see lineOutline) or with the device pen `pen`.
QPainterPath aliasedLineOutline(const QPainterPath& line, const LineStyle& style, const QPen& pen,
                                const QTransform& world);

}  // namespace pencora::swf::render
