// NetConnection without a network. connect(null) makes the local connection that plain
// video playback uses and reports NetConnection.Connect.Success at once; a server address
// is taken but never reached, since the player does not go online; close() reports
// NetConnection.Connect.Closed for either kind. isConnected is true while the local
// connection stands.
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

const QString kState = QStringLiteral("__state");  // "local", "remote" or absent
const QString kConnected = QStringLiteral("isConnected");

void status(Machine& m, const Value& self, const char* code) {
    Object* event = m.makeObject();
    event->put(QStringLiteral("level"), Value(QStringLiteral("status")));
    event->put(QStringLiteral("code"), Value(QString::fromLatin1(code)));
    std::vector<Value> args{Value(event)};
    m.callMethodValue(self, QStringLiteral("onStatus"), args);
}

void closeConnection(Machine& m, const Value& self) {
    Object* o = self.object();
    Property* state = o ? o->find(kState, 10) : nullptr;
    if (!state) {
        return;
    }
    const bool remote = state->value.isString() && state->value.string() == u"remote";
    o->remove(kState, 10);
    o->put(kConnected, Value(false), kDontEnum);
    status(m, self, "NetConnection.Connect.Closed");
    if (remote) {
        // The attempt to reach the server ends too; the original tells it without an event.
        std::vector<Value> none;
        m.callMethodValue(self, QStringLiteral("onStatus"), none);
    }
}

Value ncCtor(Machine&, const Value& self, std::vector<Value>&) {
    if (Object* o = self.object()) {
        o->put(kConnected, Value(false), kDontEnum);
    }
    return Value();  // super() into NetConnection gives undefined
}

Value ncConnect(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value(false);
    }
    closeConnection(m, self);
    if (args[0].isNull()) {
        o->put(kState, Value(QStringLiteral("local")), kDontEnum);
        o->put(kConnected, Value(true), kDontEnum);
        status(m, self, "NetConnection.Connect.Success");
        return Value(true);
    }
    o->put(kState, Value(QStringLiteral("remote")), kDontEnum);
    return Value(true);
}

Value ncClose(Machine& m, const Value& self, std::vector<Value>&) {
    closeConnection(m, self);
    return Value();
}

const NativeEntry kPrototype[] = {
    {"connect", ncConnect},
    {"close", ncClose},
};

}  // namespace

void installNetConnection(Machine& m) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    m.global()->put(QStringLiteral("NetConnection"), Value(m.makeClass(ncCtor, proto)), kDontEnum);
}

}  // namespace pencora::avm1
