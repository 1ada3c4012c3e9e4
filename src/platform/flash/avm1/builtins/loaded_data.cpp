#include "platform/flash/avm1/builtins/loaded_data.h"

#include "platform/flash/avm1/loaded_text.h"

namespace pencora::avm1 {

void fetchTextFor(Machine& m, Object* receiver, const QString& url, UrlRequest::Method method,
                  const QByteArray& body, ArrivedSize arrived) {
    m.pin(receiver);
    FetchRequest r;
    r.url = url;
    r.method = method;
    r.body = body;
    Machine* machine = &m;
    const int version = m.version();
    r.done = [machine, receiver, version, arrived](bool ok, const QByteArray& data) {
        machine->unpin(receiver);
        if (ok) {
            arrived(receiver, double(data.size()));
        }
        Value text = ok ? Value(decodeLoadedText(data, usesCodepage(*machine))) : Value();
        machine->callMethod(receiver, QStringLiteral("onData"), {text}, version);
    };
    m.host().fetch(std::move(r));
}

Value defaultOnData(Machine& m, const Value& self, std::vector<Value>& args, NativeFn read) {
    Object* o = self.object();
    if (!o) {
        return Value();
    }
    bool ok = !args.empty() && !args[0].isUndefined();
    if (ok) {
        std::vector<Value> text{args[0]};
        read(m, self, text);
    }
    o->put(QStringLiteral("loaded"), Value(ok));
    std::vector<Value> success{Value(ok)};
    m.callMethodValue(self, QStringLiteral("onLoad"), success);
    return Value();
}

}  // namespace pencora::avm1
