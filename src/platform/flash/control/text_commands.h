// The editing command a key gives a focused text field, as the control sends it after the key.
#pragma once

#include "platform/flash/control/movie_engine.h"

namespace pencora::flash {

// `virtualKey` is a Windows virtual-key code; Shift extends the selection, Control moves by
// words and to the ends of the text, and takes A, C, X and V as select all, copy, cut and
// paste. TextCommand::None for keys that edit nothing.
TextCommand textCommandForKey(int virtualKey, bool shift, bool control);

}  // namespace pencora::flash
