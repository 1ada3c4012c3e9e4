// LoadVars: url-encoded variables in and out. load/sendAndLoad fetch through the host (which
// goes to the site's bind host); when the data arrives onData runs, whose default decodes the
// text into the object and calls onLoad(success).

#include "platform/flash/avm1/builtins/loaded_data.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/request_headers.h"

namespace pencora::avm1 {

namespace {

// Text goes out as escape() puts it: UTF-8, or the code page's bytes before version 6 and
// while System.useCodepage is true.
QByteArray textBytes(Machine& m, const QString& s) {
    return escapedBytes(s, escapesInCodePage(m));
}

Value loadVarsCtor(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

Value decode(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    if (!o || args.empty()) {
        return Value();
    }
    const QString form = m.toString(args[0]);
    // The escapes are bytes of the code page where escape() would write them so.
    const bool inCodePage = escapesInCodePage(m);
    for (const QString& pair : form.split(QLatin1Char('&'))) {
        if (pair.isEmpty()) {
            continue;
        }
        int eq = pair.indexOf(QLatin1Char('='));
        QString name = formDecoded(eq < 0 ? pair : pair.left(eq), inCodePage);
        QString value = eq < 0 ? QString() : formDecoded(pair.mid(eq + 1), inCodePage);
        m.set(o, name, Value(value));
    }
    return Value();
}

Value toString(Machine& m, const Value& self, std::vector<Value>&) {
    Object* o = self.object();
    if (!o) {
        return Value(QString());
    }
    QStringList parts;
    for (const QString& name : m.enumerate(o)) {
        Value v = m.get(o, name);
        if (v.object() && v.object()->kind() == ObjectKind::Function) {
            continue;
        }
        parts << urlEscape(textBytes(m, name)) + QLatin1Char('=') +
                     urlEscape(textBytes(m, m.toString(v)));
    }
    return Value(parts.join(QLatin1Char('&')));
}

// The default onData: decode what came, set `loaded`, call onLoad(success).
Value onData(Machine& m, const Value& self, std::vector<Value>& args) {
    return defaultOnData(m, self, args, decode);
}

bool startFetch(Machine& m, Object* receiver, const QString& url, UrlRequest::Method method,
                const QByteArray& body) {
    if (url.isEmpty() || !receiver) {
        return false;
    }
    receiver->put(QStringLiteral("loaded"), Value(false));
    // Nothing has come yet, and how much will come is not known.
    receiver->put(QStringLiteral("__bytes"), Value(0), kDontEnum);
    receiver->put(QStringLiteral("__bytesTotal"), Value(), kDontEnum);
    fetchTextFor(m, receiver, url, method, body, [](Object* o, double size) {
        o->put(QStringLiteral("__bytes"), Value(size), kDontEnum);
        o->put(QStringLiteral("__bytesTotal"), Value(size), kDontEnum);
    });
    return true;
}

Value load(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value(false);
    }
    return Value(startFetch(m, self.object(), m.toString(args[0]), UrlRequest::Method::Get, {}));
}

Value sendAndLoad(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* target = argAt(args, 1).object();
    if (args.empty() || !target) {
        return Value(false);
    }
    std::vector<Value> none;
    QByteArray body = m.toString(toString(m, self, none)).toUtf8();
    bool post = m.toString(argAt(args, 2)).compare(QLatin1String("POST"), Qt::CaseInsensitive) == 0;
    return Value(startFetch(m, target, m.toString(args[0]),
                            post ? UrlRequest::Method::Post : UrlRequest::Method::Get, body));
}

Value send(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty()) {
        return Value(false);
    }
    std::vector<Value> none;
    UrlRequest r;
    r.url = m.toString(args[0]);
    r.target = m.toString(argAt(args, 1));
    r.method = UrlRequest::Method::Post;
    r.variables = m.toString(toString(m, self, none)).toUtf8();
    m.host().getUrl(r);
    return Value(true);
}

// Both are undefined until a load starts; then the count is 0 and the total unknown until the
// data has come.
Value getBytesLoaded(Machine& m, const Value& self, std::vector<Value>&) {
    return m.getMember(self, QStringLiteral("__bytes"));
}

Value getBytesTotal(Machine& m, const Value& self, std::vector<Value>&) {
    return m.getMember(self, QStringLiteral("__bytesTotal"));
}

const NativeEntry kPrototype[] = {
    {"decode", decode},
    {"toString", toString},
    {"onData", onData},
    {"load", load},
    {"sendAndLoad", sendAndLoad},
    {"send", send},
    {"getBytesLoaded", getBytesLoaded},
    {"getBytesTotal", getBytesTotal},
    {"addRequestHeader", addRequestHeader},
};

}  // namespace

void installLoadVars(Machine& m) {
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    proto->put(QStringLiteral("contentType"),
               Value(QStringLiteral("application/x-www-form-urlencoded")), kDontEnum);
    m.global()->put(QStringLiteral("LoadVars"), Value(m.makeClass(loadVarsCtor, proto)), kDontEnum);
}

}  // namespace pencora::avm1
