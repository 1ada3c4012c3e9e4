// NetConnection: only connect(null) is served, the connection for FLV files played from an
// address. A server address (RTMP) is refused with NetConnection.Connect.Failed.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/video/net_stream_object.h"
#include "platform/flash/runtime/video/net_streams.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

class ConnectionObject : public avm1::Object {
  public:
    explicit ConnectionObject(avm1::Object* proto) : Object(proto, avm1::ObjectKind::Host) {}

    bool getOwnVirtual(avm1::Machine& m, const QString& name, Value& out) override {
        if (name != u"isConnected" || find(name, m.version())) {
            return false;
        }
        out = Value(connected);
        return true;
    }

    bool connected = false;
};

ConnectionObject* connectionOf(const Value& v) {
    avm1::Object* o = v.object();
    return o && o->kind() == avm1::ObjectKind::Host ? dynamic_cast<ConnectionObject*>(o) : nullptr;
}

Value construct(avm1::Machine& m, const Value&, std::vector<Value>&) {
    auto* c = m.heap().make<ConnectionObject>(m.protos().object);
    if (avm1::Object* ctor = m.get(m.global(), QStringLiteral("NetConnection")).object()) {
        c->setProto(m.get(ctor, QStringLiteral("prototype")).object());
    }
    return Value(static_cast<avm1::Object*>(c));
}

Value callWithoutNew(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

// connect(null): connected for playing files; anything else names a server we have not.
Value connect(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    ConnectionObject* c = connectionOf(self);
    if (!c) {
        return {};
    }
    const bool local = args.empty() || args[0].isNullish();
    c->connected = local;
    NetStreams& streams = hostOf(m).netStreams();
    if (local) {
        streams.queueStatus(c, QStringLiteral("NetConnection.Connect.Success"),
                            QStringLiteral("status"));
    } else {
        streams.queueStatus(c, QStringLiteral("NetConnection.Connect.Failed"),
                            QStringLiteral("error"));
    }
    return Value(local);
}

Value close(avm1::Machine&, const Value& self, std::vector<Value>&) {
    if (ConnectionObject* c = connectionOf(self)) {
        c->connected = false;
    }
    return {};
}

}  // namespace

void installNetConnectionClass(ScriptHost& host) {
    avm1::Machine& m = host.machine();
    avm1::Object* proto = m.makeObject();
    proto->putNative(m, QStringLiteral("connect"), connect, avm1::kDontEnum);
    proto->putNative(m, QStringLiteral("close"), close, avm1::kDontEnum);
    m.defineClass(QStringLiteral("NetConnection"), callWithoutNew, proto)->constructNative =
        construct;
}

}  // namespace pencora::runtime
