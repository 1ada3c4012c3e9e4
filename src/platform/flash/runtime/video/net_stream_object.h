// The script object of a NetStream and the install functions of the video classes; shared by
// the files of this folder only.
#pragma once

#include <QString>

#include <memory>

#include "platform/flash/avm1/object.h"
#include "platform/flash/runtime/video/flv_playback.h"

namespace pencora::avm1 {
class Machine;
}

namespace pencora::runtime {

class ScriptHost;

class NetStreamObject : public avm1::Object {
  public:
    NetStreamObject(avm1::Object* proto, SoundMixer& mixer)
        : Object(proto, avm1::ObjectKind::Host), playback(mixer) {}

    // time, bufferTime, bufferLength, bytesLoaded, bytesTotal and currentFps read the stream
    // (until a script stores its own value under the name).
    bool getOwnVirtual(avm1::Machine& m, const QString& name, avm1::Value& out) override;

    FlvPlayback playback;
    double bufferTime = 0.1;  // seconds
    double bytesLoaded = 0;
    double bytesTotal = 0;
    bool loading = false;
    int request = 0;  // counts play() calls: a fetch answered after a newer play is dropped
};

NetStreamObject* netStreamOf(const avm1::Value& v);

// The prototype of the machine's class `name` (made when the machine has none), whose
// methods the runtime fills in; `construct` (when given) makes its instances.
avm1::Object* classPrototype(avm1::Machine& m, const QString& name, avm1::NativeFn construct);

void installNetStreamClass(ScriptHost& host);

}  // namespace pencora::runtime
