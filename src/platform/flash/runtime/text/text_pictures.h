// The clips that show the pictures of a field's markup (<img>): one per picture, held by the
// field at depths 1, 2 ... in the order of the tags. `src` names a symbol the movie exports
// (its clip is placed at once) or a file fetched as loadMovie fetches one (a JPEG or a movie,
// shown once it arrives). Each clip is scaled to the picture's size, stands where the layout
// puts the picture, scrolls with the text and shows only inside the field's box.
#pragma once

#include <vector>

#include "platform/flash/avm1/value.h"
#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/text/text_field.h"

namespace pencora::avm1 {
class Machine;
}

namespace pencora::runtime {

class ScriptHost;

// Makes the field's clips follow its markup when the markup replaced its pictures, then
// takes the size of content that has arrived since; the field is laid out again when a
// picture's size changed.
void syncTextPictures(ScriptHost& host, DisplayObject& field);
// Puts the clips where `layout` puts the pictures, as the field is scrolled now.
void arrangeTextPictures(DisplayObject& field, const TextLayout& layout);
// TextField.getImageReference(id): the clip made for the picture of that id (SWF 8 on).
avm1::Value getImageReference(avm1::Machine& m, const avm1::Value& self,
                              std::vector<avm1::Value>& args);

}  // namespace pencora::runtime
