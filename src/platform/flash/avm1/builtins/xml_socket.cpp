// XMLSocket: a connection to a server that carries text messages, each ended by a zero byte.
// The machine opens nothing itself: connect() asks the host (Host::openSocket), which reports
// what happens on the connection. Every report waits for the machine's next timers, so the
// handlers (onConnect, onData, onClose) run on a later tick than the call that caused them.
//
// Incoming bytes are cut at zero bytes; each whole message goes to onData(src) as text (UTF-8
// from version 6 on, the system code page before), whose default parses it into a new XML
// object (new XML(src), so XML.prototype.ignoreWhite applies) and calls onXML(doc).
#include <cmath>
#include <memory>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

// What the host's reports may touch: it outlives the object when the host reports late.
struct SocketState {
    int attempt = 0;          // moves on whenever a connection is forgotten: older reports drop
    int hostId = 0;           // the host's connection
    bool active = false;      // connecting or connected: the object is pinned meanwhile
    bool open = false;        // onConnect(true) has been delivered and nothing closed it since
    QByteArray partial;       // bytes of a message whose zero byte has not come yet
    int version = 6;          // the version of the movie that connected: how its text is decoded
    bool overflowed = false;  // a message outgrew the string limit: the host was told to close
};

class SocketPart : public Object {
  public:
    SocketPart() : Object(nullptr, ObjectKind::Host), state(std::make_shared<SocketState>()) {}
    ~SocketPart() override { state->attempt = -1; }
    std::shared_ptr<SocketState> state;
};

SocketPart* socketOf(const Value& self) {
    return dynamic_cast<SocketPart*>(nativeOf(self.object()));
}

// The object whose handlers run: the one super() gave the part to, or the socket itself.
Object* ownerOf(SocketPart* part) {
    return part->nativeOwner() ? part->nativeOwner() : part;
}

enum class Report { Connected, Failed, Message, Closed };

// Forgets the connection without telling the host: what the host still reports of it, and
// reports of it not yet delivered, are dropped.
void forget(Machine& m, SocketPart* part) {
    ++part->state->attempt;
    if (part->state->active) {
        m.unpin(ownerOf(part));
    }
    part->state->active = false;
    part->state->overflowed = false;
    part->state->hostId = 0;
    part->state->open = false;
    part->state->partial.clear();
}

// A timer's function: args are the owner, the attempt, the report and its text.
Value deliver(Machine& m, const Value&, std::vector<Value>& args) {
    SocketPart* part = socketOf(argAt(args, 0));
    const int attempt = int(m.toNumber(argAt(args, 1)));
    if (!part || part->state->attempt != attempt || !part->state->active) {
        return Value();
    }
    const Value owner(ownerOf(part));
    std::vector<Value> handlerArgs;
    QString handler;
    switch (Report(int(m.toNumber(argAt(args, 2))))) {
        case Report::Connected:
            part->state->open = true;
            handler = QStringLiteral("onConnect");
            handlerArgs.push_back(Value(true));
            break;
        case Report::Failed:
            forget(m, part);
            handler = QStringLiteral("onConnect");
            handlerArgs.push_back(Value(false));
            break;
        case Report::Message:
            handler = QStringLiteral("onData");
            handlerArgs.push_back(argAt(args, 3));
            break;
        case Report::Closed:
            forget(m, part);
            handler = QStringLiteral("onClose");
            break;
    }
    m.callMethodValue(owner, handler, handlerArgs);
    return Value();
}

void schedule(Machine& m, Object* owner, int attempt, Report report, const QString& text = {}) {
    std::vector<Value> args{Value(owner), Value(attempt), Value(int(report)), Value(text)};
    m.addTimer(Value(m.makeNative(deliver)), Value(), {}, std::move(args), 0, false);
}

QString messageText(Machine& m, const SocketState& state, const QByteArray& bytes) {
    if (state.version >= 6) {
        return decodeLoadedText(bytes, usesCodepage(m));
    }
    return decodeMovieString(bytes.toStdString(), state.version);
}

// A message longer than any string a script may hold ends the connection: the host closes
// it and the movie hears onClose, after the messages that came whole before it.
void overflow(Machine& m, SocketState& state, Object* owner, int attempt) {
    state.overflowed = true;
    state.partial.clear();
    m.host().closeSocket(state.hostId);
    schedule(m, owner, attempt, Report::Closed);
}

// The host's reports, each checked against the attempt it belongs to.
SocketEvents eventsFor(Machine& m, SocketPart* part) {
    Machine* machine = &m;
    Object* owner = ownerOf(part);
    std::shared_ptr<SocketState> state = part->state;
    const int attempt = state->attempt;
    auto current = [state, attempt] { return state->attempt == attempt; };
    SocketEvents events;
    events.connected = [=](bool ok) {
        if (current()) {
            schedule(*machine, owner, attempt, ok ? Report::Connected : Report::Failed);
        }
    };
    events.received = [=](const QByteArray& bytes) {
        if (!current() || state->overflowed) {
            return;
        }
        state->partial += bytes;
        const size_t limit = machine->limits().maxStringLength;
        qsizetype start = 0;  // the messages taken are cut off once, at the end
        for (;;) {
            const qsizetype end = state->partial.indexOf('\0', start);
            if (size_t((end < 0 ? state->partial.size() : end) - start) > limit) {
                overflow(*machine, *state, owner, attempt);
                return;
            }
            if (end < 0) {
                break;
            }
            const QByteArray message = state->partial.mid(start, end - start);
            schedule(*machine, owner, attempt, Report::Message,
                     messageText(*machine, *state, message));
            start = end + 1;
        }
        state->partial.remove(0, start);
    };
    events.closed = [=] {
        if (current() && !state->overflowed) {
            schedule(*machine, owner, attempt, Report::Closed);
        }
    };
    return events;
}

Value socketCtor(Machine& m, const Value& self, std::vector<Value>&) {
    if (Object* o = self.object()) {
        o->setNativePart(m.heap().make<SocketPart>());
    }
    return Value();  // super() into XMLSocket gives undefined
}

void closeConnection(Machine& m, SocketPart* part) {
    const int id = part->state->hostId;
    const bool active = part->state->active;
    forget(m, part);
    if (active) {
        m.host().closeSocket(id);
    }
}

// connect(host, port): null, undefined or "" is the movie's own host; a port below 1024 (or
// none at all) is refused at once, without onConnect.
Value connect(Machine& m, const Value& self, std::vector<Value>& args) {
    SocketPart* part = socketOf(self);
    if (!part) {
        return Value(false);
    }
    const Value hostArg = argAt(args, 0);
    const QString host =
        hostArg.isUndefined() || hostArg.isNull() ? QString() : m.toString(hostArg);
    const double port = m.toNumber(argAt(args, 1));
    if (!std::isfinite(port) || port < 1024 || port > 65535) {
        return Value(false);
    }
    closeConnection(m, part);
    part->state->version = m.version();
    m.pin(ownerOf(part));
    part->state->active = true;
    SocketEvents events = eventsFor(m, part);
    const int attempt = part->state->attempt;
    const int id = m.host().openSocket(host, int(port), std::move(events));
    if (part->state->attempt == attempt) {
        part->state->hostId = id;
    }
    return Value(true);
}

// send(data): the text of data (an XML object's toString) and a zero byte; nothing while the
// socket is not connected.
Value send(Machine& m, const Value& self, std::vector<Value>& args) {
    SocketPart* part = socketOf(self);
    if (!part || !part->state->open) {
        return Value();
    }
    QByteArray bytes = encodeMovieString(m.toString(argAt(args, 0)), m.version());
    bytes.append('\0');
    m.host().sendSocket(part->state->hostId, bytes);
    return Value();
}

Value close(Machine& m, const Value& self, std::vector<Value>&) {
    if (SocketPart* part = socketOf(self)) {
        closeConnection(m, part);
    }
    return Value();
}

// The default onData: the message parsed as a new XML document, handed to onXML.
Value onData(Machine& m, const Value& self, std::vector<Value>& args) {
    const Value xml = m.get(m.global(), QStringLiteral("XML"));
    if (!xml.object()) {
        return Value();
    }
    std::vector<Value> source{argAt(args, 0)};
    std::vector<Value> doc{m.construct(xml, source)};
    m.callMethodValue(self, QStringLiteral("onXML"), doc);
    return Value();
}

const NativeEntry kPrototype[] = {
    {"connect", connect},
    {"send", send},
    {"close", close},
    {"onData", onData},
};

}  // namespace

void installXmlSocket(Machine& m) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    m.global()->put(QStringLiteral("XMLSocket"), Value(m.makeClass(socketCtor, proto)), kDontEnum);
}

}  // namespace pencora::avm1
