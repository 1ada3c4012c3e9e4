// How the runtime sees a character it draws: prepared once per movie and character id, then
// drawn any number of times with a transform, a colour transform and a morph ratio.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <memory>

#include "platform/flash/swf/geometry.h"
#include "platform/flash/swf/movie.h"

class QPainter;

namespace pencora::runtime {

// Multiply and add per channel, kept in floating point while transforms are combined:
// channel' = channel * mult + add, mult 1.0 = unchanged, add in 0..255 units.
struct ColorTransformF {
    double rMult = 1, gMult = 1, bMult = 1, aMult = 1;
    double rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    static ColorTransformF from(const swf::ColorTransform& c);
    // this applied after `inner`.
    ColorTransformF after(const ColorTransformF& inner) const;
    bool isIdentity() const;
    // A non-premultiplied colour through the transform, clamped.
    swf::Rgba apply(swf::Rgba c) const;
    // In the file's 8.8 fixed point, rounded and clamped.
    swf::ColorTransform toFixed() const;
    friend bool operator==(const ColorTransformF&, const ColorTransformF&) = default;
};

class CharacterDrawing {
  public:
    virtual ~CharacterDrawing() = default;
    // Paints the character; `toDevice` maps the character's twips to device pixels.
    virtual void draw(QPainter& painter, const QTransform& toDevice, const ColorTransformF& color,
                      uint16_t ratio) const = 0;
    // The filled area in character twips.
    virtual QPainterPath outline(uint16_t ratio) const = 0;
    // The area a mask made of this character cuts to, in character twips: its filled area,
    // unless the character masks with less than it fills (a text field: its letters).
    virtual QPainterPath maskArea(uint16_t ratio) const { return outline(ratio); }
    // Whether a point (character twips) lies on what the character paints, with `toStage`
    // mapping the character to the stage (twips): lines are hit as wide as they are drawn.
    virtual bool hits(QPointF point, uint16_t ratio, const QTransform& toStage) const = 0;
    // Whether a script's shape hit test (hitTest with its shape flag) finds the point on the
    // character: what it paints, where static text counts only its letters, not the whole
    // box the mouse takes.
    virtual bool hitsShape(QPointF point, uint16_t ratio, const QTransform& toStage) const {
        return hits(point, ratio, toStage);
    }
    // Bounds in character twips, strokes included.
    virtual QRectF bounds(uint16_t ratio) const = 0;
    // The bounds scripts see (_width, getBounds): those the movie declares for the character
    // where it declares any.
    virtual QRectF declaredBounds(uint16_t ratio) const { return bounds(ratio); }
    // The bounds of the edges alone, line widths left out (getRect): the filled area, or where
    // nothing is filled, the declared bounds.
    virtual QRectF edgeBounds(uint16_t ratio) const {
        const QRectF filled = outline(ratio).boundingRect();
        return filled.isEmpty() ? declaredBounds(ratio) : filled;
    }
    // What the character shows at `ratio`, as a value that differs whenever the drawing does:
    // the ratio itself, unless many ratios show one picture (a video: the picture's identity).
    virtual uint64_t shownAt(uint16_t ratio) const { return ratio; }
};

// Prepares drawings for the characters of a movie; a drawing keeps its movie alive. Returns
// null for characters that draw nothing (sounds, fonts) or that it cannot prepare.
class DrawingFactory {
  public:
    virtual ~DrawingFactory() = default;
    virtual std::shared_ptr<const CharacterDrawing> prepare(
        const std::shared_ptr<const swf::Movie>& movie, uint16_t characterId) = 0;
};

// A bitmap that is no character of a movie (a loaded image, a script's BitmapData), drawn one
// pixel per 20 twips; null for a null image.
std::shared_ptr<const CharacterDrawing> makeBitmapDrawing(const QImage& image, bool smoothing);

// The drawing the runtime uses unless told otherwise.
std::unique_ptr<DrawingFactory> makeDefaultDrawingFactory();

}  // namespace pencora::runtime
