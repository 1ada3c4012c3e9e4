// NetStream: play(url) fetches an FLV file through the control and plays it on the movie's
// clock; pause, seek, close, setBufferTime; time, bytesLoaded, bytesTotal, bufferTime and
// bufferLength read the stream; onStatus hears NetStream.Play.Start, NetStream.Buffer.Full,
// NetStream.Seek.Notify, NetStream.Play.Stop, NetStream.Buffer.Flush/Empty and
// NetStream.Play.StreamNotFound, and onMetaData the file's metadata.
#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/video/net_stream_object.h"
#include "platform/flash/runtime/video/net_streams.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

Value scriptValue(avm1::Machine& m, const flv::ScriptValue& v) {
    using Type = flv::ScriptValue::Type;
    switch (v.type) {
        case Type::Undefined:
            return {};
        case Type::Null:
            return Value::null();
        case Type::Number:
        case Type::Date:
            return Value(v.number);
        case Type::Boolean:
            return Value(v.number != 0);
        case Type::String:
            return Value(QString::fromUtf8(v.text));
        case Type::Array: {
            std::vector<Value> elements;
            for (const flv::ScriptValue& e : v.elements) {
                elements.push_back(scriptValue(m, e));
            }
            return Value(static_cast<avm1::Object*>(m.makeArray(std::move(elements))));
        }
        case Type::Object: {
            avm1::Object* o = m.makeObject();
            for (const auto& [name, member] : v.members) {
                o->put(QString::fromUtf8(name), scriptValue(m, member));
            }
            return Value(o);
        }
    }
    return {};
}

Value construct(avm1::Machine& m, const Value&, std::vector<Value>&) {
    auto* s = m.heap().make<NetStreamObject>(m.protos().object, hostOf(m).player().sounds());
    if (avm1::Object* ctor = m.get(m.global(), QStringLiteral("NetStream")).object()) {
        s->setProto(m.get(ctor, QStringLiteral("prototype")).object());
    }
    return Value(static_cast<avm1::Object*>(s));
}

void arrived(avm1::Machine& m, NetStreamObject* s, bool ok, const QByteArray& data, int version) {
    s->loading = false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    if (!ok || !s->playback.open(std::span(bytes, size_t(data.size())))) {
        s->bytesLoaded = s->bytesTotal = 0;
        hostOf(m).netStreams().queueStatus(s, QStringLiteral("NetStream.Play.StreamNotFound"),
                                           QStringLiteral("error"));
        hostOf(m).netStreams().deactivate(s);
        return;
    }
    s->bytesLoaded = s->bytesTotal = double(data.size());
    avm1::Object* info = m.makeObject();
    info->put(QStringLiteral("code"), Value(QStringLiteral("NetStream.Play.Start")));
    info->put(QStringLiteral("level"), Value(QStringLiteral("status")));
    m.callMethod(avm1::ownerOf(s), QStringLiteral("onStatus"), {Value(info)}, version);
    if (const auto& meta = s->playback.file()->metadata) {
        m.callMethod(avm1::ownerOf(s), QStringLiteral("onMetaData"), {scriptValue(m, *meta)},
                     version);
    }
}

Value play(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    NetStreamObject* s = netStreamOf(self);
    if (!s || args.empty()) {
        return {};
    }
    s->playback.close();
    s->loading = true;
    s->bytesLoaded = s->bytesTotal = 0;
    const int request = ++s->request;
    hostOf(m).netStreams().activate(s);
    avm1::FetchRequest r;
    r.url = m.toString(args[0]);
    avm1::Machine* machine = &m;
    const int version = m.version();
    r.done = [machine, s, request, version](bool ok, const QByteArray& data) {
        if (s->request == request) {
            arrived(*machine, s, ok, data, version);
        }
    };
    m.host().fetch(std::move(r));
    return {};
}

// pause() toggles; pause(true) pauses and pause(false) resumes.
Value pause(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    NetStreamObject* s = netStreamOf(self);
    if (!s) {
        return {};
    }
    const bool toggle = args.empty() || args[0].isUndefined();
    s->playback.setPaused(toggle ? !s->playback.paused() : m.toBoolean(args[0]));
    return {};
}

Value seek(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    NetStreamObject* s = netStreamOf(self);
    if (!s || !s->playback.isOpen()) {
        return {};
    }
    const double seconds = m.toNumber(argAt(args, 0));
    s->playback.seek(std::isfinite(seconds) ? seconds : 0);
    hostOf(m).netStreams().activate(s);
    hostOf(m).netStreams().queueStatus(s, QStringLiteral("NetStream.Seek.Notify"),
                                       QStringLiteral("status"));
    return {};
}

Value close(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    if (NetStreamObject* s = netStreamOf(self)) {
        ++s->request;
        s->loading = false;
        s->playback.close();
        s->bytesLoaded = s->bytesTotal = 0;
        hostOf(m).netStreams().deactivate(s);
    }
    return {};
}

Value setBufferTime(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (NetStreamObject* s = netStreamOf(self)) {
        const double seconds = m.toNumber(argAt(args, 0));
        s->bufferTime = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    }
    return {};
}

}  // namespace

NetStreamObject* netStreamOf(const Value& v) {
    avm1::Object* o = avm1::nativeOf(v.object());
    return o && o->kind() == avm1::ObjectKind::Host ? dynamic_cast<NetStreamObject*>(o) : nullptr;
}

bool NetStreamObject::getOwnVirtual(avm1::Machine& m, const QString& name, Value& out) {
    if (find(name, m.version())) {
        return false;
    }
    if (name == u"time") {
        out = Value(playback.time());
    } else if (name == u"bufferTime") {
        out = Value(bufferTime);
    } else if (name == u"bufferLength") {
        // The whole file is at hand once fetched: as much as asked for, up to the end.
        const double left =
            playback.isOpen() ? playback.durationMs() / 1000.0 - playback.time() : 0;
        out = Value(std::max(0.0, std::min(left, bufferTime)));
    } else if (name == u"bytesLoaded") {
        out = Value(bytesLoaded);
    } else if (name == u"bytesTotal") {
        out = Value(bytesTotal);
    } else if (name == u"currentFps") {
        out = Value(0.0);
    } else {
        return false;
    }
    return true;
}

void installNetStreamClass(ScriptHost& host) {
    avm1::Machine& m = host.machine();
    avm1::Object* proto = classPrototype(m, QStringLiteral("NetStream"), construct);
    if (auto* ctor = static_cast<avm1::FunctionObject*>(
            m.get(m.global(), QStringLiteral("NetStream")).object())) {
        ctor->superGivesUndefined = true;
    }
    proto->putNative(m, QStringLiteral("play"), play, avm1::kDontEnum);
    proto->putNative(m, QStringLiteral("pause"), pause, avm1::kDontEnum);
    proto->putNative(m, QStringLiteral("seek"), seek, avm1::kDontEnum);
    proto->putNative(m, QStringLiteral("close"), close, avm1::kDontEnum);
    proto->putNative(m, QStringLiteral("setBufferTime"), setBufferTime, avm1::kDontEnum);
}

}  // namespace pencora::runtime
