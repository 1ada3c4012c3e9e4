// The drawing properties of display objects that scripts read and write by name: `filters`
// (an array of flash.filters objects, copied both ways), `blendMode`, `cacheAsBitmap`,
// `opaqueBackground`, `scrollRect` and, on clips and buttons, `scale9Grid` (a Rectangle in
// pixels, read back as a fresh copy; null takes the grid away).
#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {

// False when `name` is none of these properties (the caller looks further).
bool getDisplayProperty(avm1::Machine& m, const DisplayObject& o, const QString& name,
                        avm1::Value& out);
bool setDisplayProperty(avm1::Machine& m, DisplayObject& o, const QString& name,
                        const avm1::Value& v);

// One flash.filters object as the renderer's filter; nullopt when it is no filter.
std::optional<swf::Filter> oneFilterFromScript(avm1::Machine& m, const avm1::Value& v);
// A script's filter objects as the renderer's filters; what is not a filter is left out.
std::vector<swf::Filter> filtersFromScript(avm1::Machine& m, const avm1::Value& list);
// New script objects for the filters (a fresh array each time, as the original gives).
avm1::Value filtersToScript(avm1::Machine& m, const std::vector<swf::Filter>& filters);

// Blend mode names as scripts use them ("normal", "layer", ... "hardlight").
QString blendModeName(swf::BlendMode mode);
std::optional<swf::BlendMode> blendModeFromScript(avm1::Machine& m, const avm1::Value& v);

}  // namespace pencora::runtime
