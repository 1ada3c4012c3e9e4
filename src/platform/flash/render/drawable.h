// What the display list draws: characters prepared once into painter paths (shapes, morph
// shapes, static text, bitmaps), then drawn any number of times with a matrix, a colour
// transform and, for morph shapes, a ratio.
//
//   render::Library library(movie);
//   auto d = library.prepare(characterId);      // null for sprites, buttons, sounds, ...
//   render::draw(*d, painter, twipsToDevice, colourTransform, ratio);
#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QTransform>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/flash/render/shape_paths.h"
#include "platform/flash/swf/movie.h"

namespace pencora::swf::render {

struct GlyphRun {
    QPainterPath path;  // the run's glyphs, in the text's own twips
    Rgba color;
};

struct Drawable {
    enum class Kind { Shape, Morph, Text, Bitmap };
    Kind kind = Kind::Shape;
    ShapePaths shape;                          // Shape; Bitmap (a rectangle with the bitmap's fill)
    const MorphShape* morph = nullptr;         // Morph: the record, kept alive with the movie
    std::vector<GlyphRun> runs;                // Text
    QTransform textMatrix;                     // Text
    QRectF bounds;                             // twips (a morph's: both ends united)
    std::map<uint16_t, QImage> images;         // the decoded bitmaps its fills use
    std::map<uint16_t, QImage> clampedImages;  // the same, padded for clipped fills
    std::shared_ptr<const Movie> movie;

    // Morph shapes keep the paths of the last ratio drawn.
    mutable std::mutex morphMutex;
    mutable double morphRatio = -1.0;
    mutable ShapePaths morphPaths;
};

class Library {
  public:
    explicit Library(std::shared_ptr<const Movie> movie);

    // The drawable of a character, prepared on first use; null when the character is not
    // one that draws by itself (sprites, buttons, edit text, sounds, fonts) or is missing.
    std::shared_ptr<const Drawable> prepare(uint16_t characterId);
    // A decoded bitmap (JPEG, PNG, GIF or lossless), premultiplied; null when undecodable.
    QImage image(uint16_t bitmapId);
    // Glyph outlines of a font, in its em square units (1024, or 20480 for DefineFont3).
    const std::vector<QPainterPath>* glyphs(uint16_t fontId);

    const Movie& movie() const { return *movie_; }

  private:
    void addImagesOf(const std::vector<FillStyle>& fills, Drawable& d);
    void addImage(uint16_t bitmapId, FillType type, Drawable& d);

    std::shared_ptr<const Movie> movie_;
    std::map<uint16_t, std::shared_ptr<const Drawable>> drawables_;
    std::map<uint16_t, QImage> images_;
    std::map<uint16_t, std::vector<QPainterPath>> glyphs_;
};

// A bitmap by itself, not from a movie's characters (a loaded image, a script's BitmapData):
// a rectangle of its size, one pixel per 20 twips. `image` is premultiplied ARGB.
std::shared_ptr<const Drawable> bitmapDrawable(const QImage& image, bool smoothing);

// Draws with `matrix` (twips to the painter's coordinates, on top of its own transform) and
// the colour transform; `ratio` 0..1 picks a morph shape's shape between start and end.
// Anti-aliasing follows the painter's Antialiasing hint; without it, fills, strokes (as their
// outlines) and glyphs go through fillAliased() (aliased_fill.h).
void draw(const Drawable& drawable, QPainter& painter, const QTransform& matrix,
          const ColorTransform& cx = {}, double ratio = 0.0);

// The paths of a morph shape at a ratio (0 = start, 1 = end).
ShapePaths morphPaths(const MorphShape& morph, double ratio);

// The area a drawable covers, mapped by `matrix` (fills and glyphs; lines are left out, as
// masks leave them out). A clip-depth mask clips the objects above it to this area,
// intersected with any mask already in force.
QPainterPath coverage(const Drawable& drawable, const QTransform& matrix, double ratio = 0.0);

// Whether a point (twips, in the character's space) lies on the drawable's painted area:
// inside a fill or on a line as wide as it is drawn when `toStage` maps the character to the
// stage (twips). Used for button hit areas and hit tests.
bool hitTest(const Drawable& drawable, const QPointF& point, double ratio = 0.0,
             const QTransform& toStage = {});

}  // namespace pencora::swf::render
