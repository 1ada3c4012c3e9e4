// The watches of an object by property name, matched as a movie of a version matches names:
// exactly from SWF 7 on, whatever their case before.
#pragma once

#include <QString>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

// The watch on `name`, or null.
Object::Watch* findWatch(Object& o, const QString& name, int swfVersion);
// Sets the watch on `name`, replacing one on the same name.
void setWatch(Object& o, const QString& name, const Object::Watch& w, int swfVersion);
// Removes the watch on `name`; false when there was none.
bool removeWatch(Object& o, const QString& name, int swfVersion);

}  // namespace pencora::avm1
