// What a native class needs of the machine beyond machine.h: a table of methods to install on a
// prototype or constructor, and the arguments of a call by position. Built-in classes here and
// the runtime's classes (MovieClip, TextField, Sound ...) use it alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>

#include "platform/flash/avm1/machine.h"

namespace pencora::avm1 {

// The player's platform and version as scripts read them: getVersion() and
// System.capabilities.version.
inline QString playerVersion() {
    return QStringLiteral("WIN 10,0,0,0");
}

// A row of a native class's property table.
struct NativeEntry {
    const char* name;
    NativeFn fn;
};

void installTable(Machine& m, Object* target, const NativeEntry* rows, size_t count,
                  uint16_t flags = kDontEnum);
template <size_t N>
void installTable(Machine& m, Object* target, const NativeEntry (&rows)[N],
                  uint16_t flags = kDontEnum) {
    installTable(m, target, rows, N, flags);
}

// Argument i of a native call; undefined past the last one. A copy: natives pass arguments on to
// calls that may change the list.
inline Value argAt(const std::vector<Value>& args, size_t i) {
    return i < args.size() ? args[i] : Value();
}

// The hidden global that holds Object.registerClass's table for code and symbols of a movie
// of `swfVersion`: movies up to SWF 6 share one table whose names match ignoring case, movies
// of SWF 7 on another, so a class one kind registers never claims the other kind's symbols.
inline QString registeredClassTable(int swfVersion) {
    return swfVersion >= 7 ? QStringLiteral("__registeredClasses7")
                           : QStringLiteral("__registeredClasses");
}

}  // namespace pencora::avm1
