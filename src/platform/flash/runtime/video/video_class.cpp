#include "platform/flash/runtime/video/video_class.h"

#include <cmath>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/display/display_object.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/video/stream_pictures.h"
#include "platform/flash/runtime/video/video_drawing.h"
#include "platform/flash/runtime/video/video_playback.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Object;
using avm1::Value;

namespace {

DisplayObject* videoObject(Machine& m, const Value& self) {
    DisplayObject* o = hostOf(m).displayOf(self.object());
    return o && o->video ? o : nullptr;
}

// What the video shows changed without its frame changing: a new drawing makes the next
// frame draw it again.
void redraw(DisplayObject& o) {
    o.drawing = makeVideoDrawing(o.video);
}

Value clear(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = hostOf(m).displayOf(self.object());
    if (!o) {
        return {};
    }
    clearStreamPicture(*o);
    if (o->video) {
        o->video->clear(o->ratio);
        redraw(*o);
    }
    return {};
}

// The decoded size of the frame on show; 0 before the first.
Value getWidth(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = videoObject(m, self);
    if (!o) {
        return {};
    }
    o->video->pictureAt(o->ratio);
    return Value(double(o->video->decodedWidth()));
}

Value getHeight(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = videoObject(m, self);
    if (!o) {
        return {};
    }
    o->video->pictureAt(o->ratio);
    return Value(double(o->video->decodedHeight()));
}

Value getSmoothing(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = videoObject(m, self);
    return o ? Value(o->video->smoothing) : Value();
}

Value setSmoothing(Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* o = videoObject(m, self)) {
        o->video->smoothing = m.toBoolean(avm1::argAt(args, 0));
        redraw(*o);
    }
    return {};
}

Value getDeblocking(Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* o = videoObject(m, self);
    return o ? Value(double(o->video->deblocking)) : Value();
}

// 0 lets each packet decide, 1 is off, 2 and up choose a filter; anything else is 0.
Value setDeblocking(Machine& m, const Value& self, std::vector<Value>& args) {
    if (DisplayObject* o = videoObject(m, self)) {
        const double n = m.toNumber(avm1::argAt(args, 0));
        o->video->deblocking = std::isfinite(n) && n >= 0 && n <= 5 ? int(n) : 0;
        redraw(*o);
    }
    return {};
}

void addProperty(Machine& m, Object* proto, const char* name, avm1::NativeFn get,
                 avm1::NativeFn set) {
    const QString key = QString::fromLatin1(name);
    proto->put(key, Value(), avm1::kDontEnum);
    avm1::Property* p = proto->find(key, 10);
    p->getter = m.makeNative(get);
    p->setter = set ? m.makeNative(set) : nullptr;
}

Value videoCtor(Machine&, const Value&, std::vector<Value>&) {
    return {};
}

}  // namespace

void installVideoClass(ScriptHost& host) {
    Machine& m = host.machine();
    Object* proto = m.makeObject();
    const avm1::NativeEntry methods[] = {{"clear", clear}};
    avm1::installTable(m, proto, methods);
    addProperty(m, proto, "width", getWidth, nullptr);
    addProperty(m, proto, "height", getHeight, nullptr);
    addProperty(m, proto, "smoothing", getSmoothing, setSmoothing);
    addProperty(m, proto, "deblocking", getDeblocking, setDeblocking);
    // typeof a video is "object", not "movieclip".
    proto->put(QStringLiteral("__typeof__"), Value(QStringLiteral("object")),
               avm1::kDontEnum | avm1::kDontDelete | avm1::kReadOnly);
    m.protos().video = proto;
    m.defineClass(QStringLiteral("Video"), videoCtor, proto);
}

}  // namespace pencora::runtime
