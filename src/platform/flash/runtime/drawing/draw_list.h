// A frame as draw commands: the display list of every layer walked in drawing order, each
// character with its full transform to stage pixels, its combined colour transform and its
// ratio; masks as a clip pushed before the objects they cover and popped after. A back end
// (draw_backend.h) executes the list; the diff of two lists gives the dirty area.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <optional>
#include <vector>

#include "platform/flash/runtime/drawing/character_drawing.h"
#include "platform/flash/swf/control_tags.h"

namespace pencora::runtime {

class Player;
struct DisplayObject;

struct DrawCommand {
    enum class Op { Draw, PushClip, PopClip, BeginLayer, EndLayer, Fill };
    Op op = Op::Draw;
    std::shared_ptr<const CharacterDrawing> drawing;  // Draw
    QTransform transform;                             // Draw: character twips to stage pixels
    ColorTransformF color;  // Draw; BeginLayer of a bitmap: applied to the finished bitmap
    uint16_t ratio = 0;
    uint64_t shown = 0;  // Draw: the drawing's shownAt(ratio); frames compare this
    QPainterPath clip;   // PushClip: the mask's area in stage pixels; Fill: the area filled
    // PushClip: a rectangle taken to whole device pixels, so cuts sharing an edge tile with
    // no seam between them (the regions of a scaling grid).
    bool clipOnPixels = false;
    uint32_t fillColor = 0;                         // Fill: 0xRRGGBB, opaque
    swf::BlendMode blend = swf::BlendMode::Normal;  // BeginLayer
    double opacity = 1;                             // BeginLayer: the layer's own alpha
    std::vector<swf::Filter> filters;               // BeginLayer: applied before compositing
    QRectF reach;  // BeginLayer with filters: what the object and its filters may cover (stage)
    // BeginLayer of an object drawn as a bitmap (cached or filtered): its declared bounds
    // (stage). The bitmap starts on the whole device pixel nearest their top-left corner.
    std::optional<QRectF> bitmapBounds;
    uint64_t serial = 0;
};

std::vector<DrawCommand> buildDrawList(const Player& player);

// What one object draws in its own coordinates (pixels): its character, its drawn graphics and
// its children, without its own matrix, colour transform, blend or visibility. `buffered`: the
// list is drawn into a buffer whose alpha counts, so alpha and erase blends act on it.
std::vector<DrawCommand> buildObjectDrawList(const DisplayObject& object, bool buffered);

// The area, in stage pixels, where two frames' lists draw differently; std::nullopt when
// nothing changed, a rectangle covering everything drawn when a mask changed.
std::optional<QRectF> changedArea(const std::vector<DrawCommand>& before,
                                  const std::vector<DrawCommand>& after);

}  // namespace pencora::runtime
