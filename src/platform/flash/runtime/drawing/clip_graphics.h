// What a clip's drawing methods (beginFill, lineStyle, moveTo, lineTo, curveTo, endFill,
// clear) have drawn into it: kept as styled painter paths in the clip's twips and drawn under
// the clip's children. Each fill with the lines drawn while it was open forms one group;
// groups paint in the order they were begun, a group's lines over its fill.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>

#include <map>
#include <memory>
#include <optional>

#include "platform/flash/render/shape_paths.h"
#include "platform/flash/runtime/drawing/character_drawing.h"
#include "platform/flash/swf/shape.h"

namespace pencora::runtime {

struct DisplayObject;

class ClipGraphics {
  public:
    explicit ClipGraphics(uint64_t serial) : serial_(serial) {}

    void beginFill(const swf::FillStyle& fill);
    // A bitmap fill (`fill` of a bitmap type) painting `image`, kept as the drawing shows it.
    void beginBitmapFill(swf::FillStyle fill, const QImage& image);
    void endFill();
    // No style: later segments draw no line.
    void lineStyle(const std::optional<swf::LineStyle>& line);
    void moveTo(QPointF twips);
    void lineTo(QPointF twips);
    void curveTo(QPointF control, QPointF anchor);
    void clear();
    const std::optional<swf::LineStyle>& currentLine() const { return line_; }

    // What has been drawn so far; null when nothing shows. Rebuilt after each change.
    std::shared_ptr<const CharacterDrawing> drawing() const;
    // Identifies the drawn graphics in the draw list (distinct from the clip's own drawing).
    uint64_t serial() const { return serial_; }
    // A copy for duplicateMovieClip, with its own serial.
    std::shared_ptr<ClipGraphics> copy(uint64_t serial) const;

  private:
    void closeGroup();
    swf::render::StyleGroup& group();
    void startLine();
    // The path the current line style draws into, if a line style is set.
    QPainterPath* currentLinePath();
    // A fill left open is closed back to where its outline began, its line too.
    void closeFill(QPainterPath& fill, std::optional<swf::render::StyleGroup>& group) const;

    uint64_t serial_;
    swf::render::ShapePaths done_;
    std::map<uint16_t, QImage> images_;  // the bitmaps of bitmap fills, by their fills' ids
    std::optional<swf::render::StyleGroup> open_;  // the group being drawn into
    std::optional<swf::FillStyle> fill_;
    QPainterPath fillPath_;
    std::optional<swf::LineStyle> line_;
    QPointF pen_;
    QPointF fillStart_;  // where the fill's current outline began
    mutable std::shared_ptr<const CharacterDrawing> cached_;
    mutable bool dirty_ = true;
};

// The drawing of what scripts drew into `object`, null when none.
const CharacterDrawing* drawnGraphics(const DisplayObject& object);
std::shared_ptr<const CharacterDrawing> drawnGraphicsShared(const DisplayObject& object);

}  // namespace pencora::runtime
