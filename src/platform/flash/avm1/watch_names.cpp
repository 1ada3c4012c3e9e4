#include "platform/flash/avm1/watch_names.h"

namespace pencora::avm1 {

namespace {

// The entry holding `name`: the exact one first, then before SWF 7 one in another case.
QHash<QString, Object::Watch>::iterator entryOf(Object& o, const QString& name, int swfVersion) {
    QHash<QString, Object::Watch>& all = o.watches();
    auto it = all.find(name);
    if (it != all.end() || swfVersion >= 7) {
        return it;
    }
    for (it = all.begin(); it != all.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
            return it;
        }
    }
    return all.end();
}

}  // namespace

Object::Watch* findWatch(Object& o, const QString& name, int swfVersion) {
    auto it = entryOf(o, name, swfVersion);
    return it == o.watches().end() ? nullptr : &it.value();
}

void setWatch(Object& o, const QString& name, const Object::Watch& w, int swfVersion) {
    removeWatch(o, name, swfVersion);
    o.watches().insert(name, w);
}

bool removeWatch(Object& o, const QString& name, int swfVersion) {
    auto it = entryOf(o, name, swfVersion);
    if (it == o.watches().end()) {
        return false;
    }
    o.watches().erase(it);
    return true;
}

}  // namespace pencora::avm1
