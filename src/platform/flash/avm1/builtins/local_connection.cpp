// LocalConnection between the movies of this player. A receiver connects to a channel name;
// send() queues the call, which runs after the current scripts (on the next timer turn):
// the receiver's method gets the arguments and the sender's onStatus hears
// {level: "status"}, or {level: "error"} when no one listens on the channel. Nothing leaves
// the player: other processes' movies are never reached.
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

const QString kChannels = QStringLiteral("__channels");
const QString kName = QStringLiteral("__channel");

Object* channels(Machine& m) {
    Object* lc = m.get(m.global(), QStringLiteral("LocalConnection")).object();
    return lc ? m.get(lc, kChannels).object() : nullptr;
}

// Channel names compare ignoring case, as the original does. A sender may name the domain,
// "localhost:channel"; every movie here is from localhost, so other domains reach no one.
QString channelKey(const QString& name) {
    QString key = name.toLower();
    // Names that start with "_" are the same from every domain and take no prefix.
    if (key.startsWith(QLatin1String("localhost:")) &&
        !key.startsWith(QLatin1String("localhost:_"))) {
        key = key.mid(10);
    }
    return key;
}

bool isFunction(const Value& v) {
    return v.object() && v.object()->kind() == ObjectKind::Function;
}

Value lcCtor(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

Value lcConnect(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    Object* all = channels(m);
    const Value name = argAt(args, 0);
    if (!o || !all || !name.isString() || name.string().isEmpty() || name.string().contains(u':')) {
        return Value(false);
    }
    const QString key = channelKey(name.string());
    if (all->find(key, 10) || o->find(kName, 10)) {
        return Value(false);  // taken, or this one is already connected
    }
    all->put(key, Value(o));
    o->put(kName, Value(key), kDontEnum);
    return Value(true);
}

Value lcClose(Machine& m, const Value& self, std::vector<Value>&) {
    Object* o = self.object();
    Object* all = channels(m);
    Property* name = o ? o->find(kName, 10) : nullptr;
    if (!all || !name) {
        return Value();
    }
    all->remove(name->value.string(), 10);
    o->remove(kName, 10);
    return Value();
}

Value lcDomain(Machine&, const Value&, std::vector<Value>&) {
    return Value(QStringLiteral("localhost"));
}

// The queued half of send(): runs as a timer with (sender, listened, channel, method,
// args...). The call goes through only when the channel was held both when send() ran and
// now (by whoever holds it now); the sender hears its status first.
Value lcDeliver(Machine& m, const Value&, std::vector<Value>& queued) {
    if (queued.size() < 4) {
        return Value();
    }
    const Value sender = queued[0];
    const QString key = channelKey(m.toString(queued[2]));
    const QString method = m.toString(queued[3]);
    std::vector<Value> rest(queued.begin() + 4, queued.end());
    Object* all = channels(m);
    Property* receiver = all ? all->find(key, 10) : nullptr;
    const bool listened = queued[1].boolean() && receiver && receiver->value.object();

    Object* status = m.makeObject();
    status->put(QStringLiteral("level"),
                Value(listened ? QStringLiteral("status") : QStringLiteral("error")));
    std::vector<Value> statusArgs{Value(status)};
    m.callMethodValue(sender, QStringLiteral("onStatus"), statusArgs);
    if (!listened) {
        return Value();
    }
    receiver = all->find(key, 10);  // onStatus may have closed it
    if (receiver && receiver->value.object()) {
        const Value fn = m.get(receiver->value.object(), method);
        if (isFunction(fn)) {
            m.call(fn, receiver->value, rest);
        }
    }
    return Value();
}

Value lcSend(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.size() < 2 || !args[0].isString() || !args[1].isString() ||
        args[0].string().isEmpty() || args[1].string().isEmpty()) {
        return Value(false);
    }
    // LocalConnection's own methods cannot be called from afar.
    for (const char* reserved :
         {"send", "connect", "close", "allowDomain", "allowInsecureDomain", "domain"}) {
        if (args[1].string().compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0) {
            return Value(false);
        }
    }
    Object* all = channels(m);
    const bool listened = all && all->find(channelKey(args[0].string()), 10);
    std::vector<Value> queued{self, Value(listened)};
    queued.insert(queued.end(), args.begin(), args.end());
    m.addTimer(Value(m.makeNative(lcDeliver)), Value(), QString(), std::move(queued), 0, false);
    return Value(true);
}

const NativeEntry kPrototype[] = {
    {"connect", lcConnect},
    {"close", lcClose},
    {"send", lcSend},
    {"domain", lcDomain},
};

}  // namespace

void installLocalConnection(Machine& m) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype, std::size(kPrototype), kDontEnum | kDontDelete);
    FunctionObject* lc = m.makeClass(lcCtor, proto);
    lc->put(kChannels, Value(m.makeObject()), kDontEnum | kDontDelete);
    m.global()->put(QStringLiteral("LocalConnection"), Value(lc), kDontEnum);
}

}  // namespace pencora::avm1
