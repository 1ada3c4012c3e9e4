// Shared by the files that implement MovieClip's methods (movieclip_methods.cpp,
// movieclip_drawing.cpp): how a native finds its host and its clip, and the installers.
#pragma once

#include <optional>
#include <vector>

#include <QImage>

#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::avm1 {
class BitmapDataObject;
}

namespace pencora::runtime {

inline DisplayObject* thisClip(avm1::Machine& m, const avm1::Value& self) {
    return hostOf(m).displayOf(self.object());
}

// The character exported under `name` (attachMovie's linkage names, matched ignoring case).
std::optional<uint16_t> exportedCharacter(const MovieContext& movie, const QString& name);
// Names `id` is exported under.
std::vector<QString> exportNames(const MovieContext& movie, uint16_t id);

// Display properties that are not among the 22 numbered ones (blendMode, filters ...) are
// in clip_display_properties.h.

// A depth argument as scripts give it, as a file depth; nullopt when it is out of the range
// scripts may use.
std::optional<int> scriptDepth(avm1::Machine& m, const avm1::Value& v);

bool getTransformProperty(avm1::Machine& m, DisplayObject& object, const QString& name,
                          avm1::Value& out);
bool setTransformProperty(avm1::Machine& m, DisplayObject& object, const QString& name,
                          const avm1::Value& v);

// A BitmapData's pixels as a premultiplied image; null when it is disposed.
QImage pixelsOf(const avm1::BitmapDataObject& bitmap);
// The BitmapData a value holds, or null.
avm1::BitmapDataObject* bitmapDataOf(const avm1::Value& v);

// attachBitmap.
void installClipBitmaps(avm1::Machine& m, avm1::Object* proto);
// Depth methods, attach/duplicate/remove, bounds, coordinates, hit tests, drag, getURL ...
void installClipMethods(avm1::Machine& m, avm1::Object* proto);
// beginFill, lineStyle, moveTo, lineTo, curveTo, endFill, clear and the gradient forms.
void installClipDrawing(avm1::Machine& m, avm1::Object* proto);

}  // namespace pencora::runtime
