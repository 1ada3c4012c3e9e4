// TextSnapshot and MovieClip.prototype.getTextSnapshot.
#pragma once

#include "platform/flash/avm1/machine.h"

namespace pencora::runtime {

void installTextSnapshotClass(avm1::Machine& m);

}  // namespace pencora::runtime
