#include "platform/flash/runtime/video/net_streams.h"

#include <algorithm>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/drawing/character_drawing.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/video/net_stream_object.h"
#include "platform/flash/runtime/video/stream_pictures.h"
#include "platform/flash/runtime/video/video_drawing.h"
#include "platform/flash/runtime/video/video_playback.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

// What a screen shows of a stream's picture. A video object keeps the size its stream declares
// (scripts lay players out by it before any picture comes, or when none will); a clip's bitmap
// takes the picture's own size.
std::shared_ptr<const CharacterDrawing> screenDrawing(const DisplayObject& screen,
                                                      const QImage& picture) {
    if (screen.video) {
        return makeStreamPictureDrawing(picture, *screen.video);
    }
    return picture.isNull() ? nullptr : makeBitmapDrawing(picture, false);
}

}  // namespace

NetStreams::NetStreams(ScriptHost& host) : host_(host) {}

NetStreams::~NetStreams() = default;

void NetStreams::queueStatus(avm1::Object* target, const QString& code, const QString& level) {
    host_.machine().pin(target);
    pending_.push_back({target, code, level});
}

void NetStreams::activate(NetStreamObject* stream) {
    if (std::find(active_.begin(), active_.end(), stream) == active_.end()) {
        active_.push_back(stream);
        host_.machine().pin(stream);
    }
}

void NetStreams::deactivate(NetStreamObject* stream) {
    std::erase(active_, stream);
    const bool waiting = std::any_of(pending_.begin(), pending_.end(),
                                     [&](const Status& s) { return s.target == stream; });
    if (!waiting) {
        host_.machine().unpin(stream);
    }
}

void NetStreams::attach(const std::shared_ptr<DisplayObject>& screen, NetStreamObject* stream) {
    std::erase_if(screens_, [&](const Screen& s) {
        auto o = s.object.lock();
        return !o || o == screen;
    });
    if (!stream) {
        screen->drawing = screen->video ? makeVideoDrawing(screen->video) : nullptr;
        return;
    }
    screens_.push_back({screen, stream});
    screen->drawing = screenDrawing(*screen, stream->playback.picture());
}

void NetStreams::addRoots(std::vector<avm1::Object*>& roots) const {
    for (const Screen& screen : screens_) {
        if (!screen.object.expired()) {
            roots.push_back(screen.stream);
        }
    }
}

void NetStreams::advance(double milliseconds) {
    std::vector<Status> due;
    due.swap(pending_);
    for (NetStreamObject* s : std::vector<NetStreamObject*>(active_)) {
        for (const QString& code : s->playback.advance(milliseconds)) {
            due.push_back({s, code, QStringLiteral("status")});
            host_.machine().pin(s);
        }
    }
    showPictures();
    for (const Status& status : due) {
        deliver(status);
    }
    for (const Status& status : due) {
        const bool kept =
            std::find(active_.begin(), active_.end(), status.target) != active_.end() ||
            std::any_of(pending_.begin(), pending_.end(),
                        [&](const Status& p) { return p.target == status.target; });
        if (!kept) {
            host_.machine().unpin(status.target);
        }
    }
}

void NetStreams::deliver(const Status& status) {
    avm1::Machine& m = host_.machine();
    avm1::Object* info = m.makeObject();
    info->put(QStringLiteral("code"), Value(status.code));
    info->put(QStringLiteral("level"), Value(status.level));
    m.callMethod(status.target, QStringLiteral("onStatus"), {Value(info)}, m.version());
}

void NetStreams::showPictures() {
    std::erase_if(screens_, [](const Screen& s) { return s.object.expired(); });
    std::vector<NetStreamObject*> changed;
    for (NetStreamObject* s : active_) {
        if (s->playback.takePictureChanged()) {
            changed.push_back(s);
        }
    }
    for (const Screen& screen : screens_) {
        if (std::find(changed.begin(), changed.end(), screen.stream) == changed.end()) {
            continue;
        }
        const auto object = screen.object.lock();
        object->drawing = screenDrawing(*object, screen.stream->playback.picture());
    }
}

avm1::Object* classPrototype(avm1::Machine& m, const QString& name, avm1::NativeFn construct) {
    avm1::Object* ctor = m.get(m.global(), name).object();
    if (!ctor || ctor->kind() != avm1::ObjectKind::Function) {
        auto callWithoutNew = [](avm1::Machine&, const Value&, std::vector<Value>&) {
            return Value();
        };
        ctor = m.defineClass(name, callWithoutNew, m.makeObject());
    }
    if (construct) {
        static_cast<avm1::FunctionObject*>(ctor)->constructNative = construct;
    }
    avm1::Object* proto = m.get(ctor, QStringLiteral("prototype")).object();
    if (!proto) {
        proto = m.makeObject();
        ctor->put(QStringLiteral("prototype"), Value(proto), avm1::kDontEnum);
    }
    return proto;
}

void installVideoClasses(ScriptHost& host) {
    installNetStreamClass(host);
    installStreamPictures(host);
}

}  // namespace pencora::runtime
