// ExternalInterface (see external_interface.h for the XML call format), with the helpers
// the original keeps on the class: _escapeXML, _unescapeXML, _jsQuoteString, _toXML,
// _objectToXML, _arrayToXML, _argumentsToXML, _toAS, _objectToAS, _arrayToAS, _argumentsToAS.
#include "platform/flash/avm1/external_interface.h"

#include <QXmlStreamReader>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/xml_node.h"

namespace pencora::avm1 {

namespace {

constexpr int kMaxDepth = 32;
const QString kCallbacks = QStringLiteral("__callbacks");

bool isFunction(const Value& v) {
    return v.object() && v.object()->kind() == ObjectKind::Function;
}

QString unescapeXml(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

QString toXml(Machine& m, const Value& v, int depth);

QString propertiesXml(Machine& m, Object* o, int depth, bool asArray) {
    QString out = asArray ? QStringLiteral("<array>") : QStringLiteral("<object>");
    if (asArray) {
        auto* a = static_cast<ArrayObject*>(o);
        const uint32_t n = std::min<uint32_t>(a->length(), 1u << 16);
        for (uint32_t i = 0; i < n; ++i) {
            out += QStringLiteral("<property id=\"%1\">").arg(i) + toXml(m, a->at(i), depth + 1) +
                   QStringLiteral("</property>");
        }
        return out + QStringLiteral("</array>");
    }
    for (const QString& name : m.enumerate(o)) {
        const Value v = m.get(o, name);
        if (isFunction(v)) {
            continue;
        }
        out += QStringLiteral("<property id=\"%1\">").arg(xmlEscape(name)) +
               toXml(m, v, depth + 1) + QStringLiteral("</property>");
    }
    return out + QStringLiteral("</object>");
}

QString toXml(Machine& m, const Value& v, int depth) {
    m.tick();
    switch (v.type()) {
        case Value::Type::Undefined:
            return QStringLiteral("<undefined/>");
        case Value::Type::Null:
            return QStringLiteral("<null/>");
        case Value::Type::Boolean:
            return v.boolean() ? QStringLiteral("<true/>") : QStringLiteral("<false/>");
        case Value::Type::Number:
            return QStringLiteral("<number>") + m.toString(v) + QStringLiteral("</number>");
        case Value::Type::String:
            return QStringLiteral("<string>") + xmlEscape(v.string()) + QStringLiteral("</string>");
        case Value::Type::Object:
            break;
    }
    Object* o = v.object();
    if (depth >= kMaxDepth || isFunction(v)) {
        return QStringLiteral("<null/>");
    }
    return propertiesXml(m, o, depth, o->kind() == ObjectKind::Array);
}

// Reads the VALUE element the reader stands on; leaves it on that element's end.
Value readValue(Machine& m, QXmlStreamReader& r, int depth) {
    m.tick();
    const QStringView name = r.name();
    if (name == u"string") {
        return Value(r.readElementText(QXmlStreamReader::IncludeChildElements));
    }
    if (name == u"number") {
        bool ok = false;
        const double n = r.readElementText(QXmlStreamReader::IncludeChildElements).toDouble(&ok);
        return ok ? Value(n) : Value(std::nan(""));
    }
    Value result;
    if (name == u"true" || name == u"false") {
        result = Value(name == u"true");
    } else if (name == u"null") {
        result = Value::null();
    } else if ((name == u"array" || name == u"object") && depth < kMaxDepth) {
        const bool isArray = name == u"array";
        Object* o = isArray ? static_cast<Object*>(m.makeArray()) : m.makeObject();
        result = Value(o);
        while (r.readNextStartElement()) {
            if (r.name() != u"property") {
                r.skipCurrentElement();
                continue;
            }
            const QString id = r.attributes().value(QLatin1String("id")).toString();
            Value v;
            if (r.readNextStartElement()) {
                v = readValue(m, r, depth + 1);
                r.skipCurrentElement();  // to the property's end
            }
            m.set(o, id, v);
        }
        return result;
    }
    r.skipCurrentElement();
    return result;
}

// ---- the natives --------------------------------------------------------------------------

Value eiCall(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value::null();
    }
    const QString request = invokeXml(m, m.toString(args[0]), {args.begin() + 1, args.end()});
    const QString answer = m.host().externalCall(request);
    if (answer.isEmpty()) {
        return Value::null();
    }
    return xmlToValue(m, answer);
}

Value eiAddCallback(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* ei = self.object();
    if (!ei || args.size() < 3 || !isFunction(args[2])) {
        return Value(false);
    }
    Object* callbacks = m.get(ei, kCallbacks).object();
    if (!callbacks) {
        callbacks = m.makeObject();
        ei->put(kCallbacks, Value(callbacks), kDontEnum | kDontDelete);
    }
    Object* entry = m.makeObject();
    entry->put(QStringLiteral("self"), argAt(args, 1));
    entry->put(QStringLiteral("fn"), args[2]);
    callbacks->put(m.toString(args[0]), Value(entry));
    return Value(true);
}

Value eiEscapeXml(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty() || args[0].isNullish() || (args[0].isString() && args[0].string().isEmpty())) {
        if (!args.empty() && args[0].isUndefined()) {
            return Value(QStringLiteral("undefined"));
        }
        return args.empty() || args[0].isString() ? Value::null() : Value(QStringLiteral("null"));
    }
    return Value(xmlEscape(m.toString(args[0])));
}

Value eiUnescapeXml(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty()) {
        return Value::null();
    }
    return Value(unescapeXml(m.toString(args[0])));
}

Value eiJsQuoteString(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.empty() || (args[0].isString() && args[0].string().isEmpty())) {
        return Value::null();
    }
    QString s = m.toString(args[0]);
    s.replace(QLatin1String("\""), QLatin1String("\\\""));
    return Value(s);
}

Value eiToXml(Machine& m, const Value&, std::vector<Value>& args) {
    return Value(toXml(m, argAt(args, 0), 0));
}
Value eiObjectToXml(Machine& m, const Value&, std::vector<Value>& args) {
    Object* o = argAt(args, 0).object();
    return Value(o ? propertiesXml(m, o, 0, false) : QStringLiteral("<object></object>"));
}
Value eiArrayToXml(Machine& m, const Value&, std::vector<Value>& args) {
    Object* o = argAt(args, 0).object();
    if (!o || o->kind() != ObjectKind::Array) {
        return Value(QStringLiteral("<array></array>"));
    }
    return Value(propertiesXml(m, o, 0, true));
}
Value eiArgumentsToXml(Machine& m, const Value&, std::vector<Value>& args) {
    QString out = QStringLiteral("<arguments>");
    if (Object* o = argAt(args, 0).object(); o && o->kind() == ObjectKind::Array) {
        for (const Value& v : static_cast<ArrayObject*>(o)->values(m)) {
            out += toXml(m, v, 1);
        }
    }
    return Value(out + QStringLiteral("</arguments>"));
}

// The _...ToAS helpers walk anything shaped like an XML node (nodeName, firstChild,
// childNodes, attributes.id), as the original does, not only XMLNode objects.
Value nodeToAs(Machine& m, const Value& node, int depth);

Value childNodes(Machine& m, const Value& node) {
    return node.isObject() ? m.getMember(node, QStringLiteral("childNodes")) : Value();
}

// Calls `visit` with each child of `node` (at most 65536), unless `depth` is too deep.
template <class Visit>
void forEachChild(Machine& m, const Value& node, int depth, Visit visit) {
    const Value kids = childNodes(m, node);
    Object* list = kids.object();
    if (!list || depth >= kMaxDepth) {
        return;
    }
    const uint32_t n = uint32_t(
        std::clamp(m.toNumber(m.get(list, QStringLiteral("length"))), 0.0, double(1 << 16)));
    for (uint32_t i = 0; i < n; ++i) {
        visit(m.get(list, QString::number(i)));
    }
}

// A child stored under its attributes.id, its first child converted.
void putById(Machine& m, Object* out, const Value& child, int depth) {
    const Value id =
        m.getMember(m.getMember(child, QStringLiteral("attributes")), QStringLiteral("id"));
    m.set(out, m.toString(id),
          nodeToAs(m, m.getMember(child, QStringLiteral("firstChild")), depth + 1));
}

Value nodesToArray(Machine& m, const Value& node, int depth, bool byId) {
    ArrayObject* out = m.makeArray();
    forEachChild(m, node, depth, [&](const Value& child) {
        if (byId) {
            putById(m, out, child, depth);
        } else {
            out->setAt(m, out->length(), nodeToAs(m, child, depth + 1));
        }
    });
    return Value(out);
}

Value nodesToObject(Machine& m, const Value& node, int depth) {
    Object* out = m.makeObject();
    forEachChild(m, node, depth, [&](const Value& child) { putById(m, out, child, depth); });
    return Value(out);
}

Value nodeToAs(Machine& m, const Value& node, int depth) {
    if (!node.isObject() || depth >= kMaxDepth) {
        return Value();
    }
    m.tick();
    // The name must be a string or a String object; another object whose toString gives
    // "null" names nothing.
    const Value nodeName = m.getMember(node, QStringLiteral("nodeName"));
    const bool stringObject = nodeName.object() && nodeName.object()->kind() == ObjectKind::String;
    if (!nodeName.isString() && !stringObject) {
        return Value();
    }
    const QString name = m.toString(nodeName);
    if (name == u"null") {
        return Value::null();
    }
    if (name == u"true") {
        return Value(true);
    }
    if (name == u"false") {
        return Value(false);
    }
    // The text node itself, as a string (an XML text node prints as its text).
    const Value text = m.getMember(node, QStringLiteral("firstChild"));
    if (name == u"string") {
        return Value(m.toString(text));
    }
    if (name == u"number") {
        return Value(m.toNumber(Value(m.toString(text))));
    }
    if (name == u"array") {
        return nodesToArray(m, node, depth, true);
    }
    if (name == u"object") {
        return nodesToObject(m, node, depth);
    }
    return Value();
}

Value eiToAs(Machine& m, const Value&, std::vector<Value>& args) {
    return nodeToAs(m, argAt(args, 0), 0);
}
Value eiArrayToAs(Machine& m, const Value&, std::vector<Value>& args) {
    return nodesToArray(m, argAt(args, 0), 0, true);
}
Value eiArgumentsToAs(Machine& m, const Value&, std::vector<Value>& args) {
    return nodesToArray(m, argAt(args, 0), 0, false);
}
Value eiObjectToAs(Machine& m, const Value&, std::vector<Value>& args) {
    return nodesToObject(m, argAt(args, 0), 0);
}

Value eiCtor(Machine&, const Value& self, std::vector<Value>&) {
    return self;
}

const NativeEntry kStatics[] = {
    {"call", eiCall},
    {"addCallback", eiAddCallback},
    {"_escapeXML", eiEscapeXml},
    {"_unescapeXML", eiUnescapeXml},
    {"_jsQuoteString", eiJsQuoteString},
    {"_toXML", eiToXml},
    {"_objectToXML", eiObjectToXml},
    {"_arrayToXML", eiArrayToXml},
    {"_argumentsToXML", eiArgumentsToXml},
    {"_toAS", eiToAs},
    {"_objectToAS", eiObjectToAs},
    {"_arrayToAS", eiArrayToAs},
    {"_argumentsToAS", eiArgumentsToAs},
};

}  // namespace

QString valueToXml(Machine& m, const Value& v) {
    return toXml(m, v, 0);
}

Value xmlToValue(Machine& m, const QString& xml) {
    QXmlStreamReader r(xml);
    if (!r.readNextStartElement()) {
        return Value();
    }
    return readValue(m, r, 0);
}

QString invokeXml(Machine& m, const QString& name, const std::vector<Value>& args) {
    QString out =
        QStringLiteral("<invoke name=\"%1\" returntype=\"xml\"><arguments>").arg(xmlEscape(name));
    for (const Value& v : args) {
        out += toXml(m, v, 1);
    }
    return out + QStringLiteral("</arguments></invoke>");
}

namespace {

// Reads the request, runs the callback and writes its result, all inside one run of the
// machine, so getters and setters the movie defined run under the usual limits.
Value answerNative(Machine& m, const Value&, std::vector<Value>& args) {
    QXmlStreamReader r(m.toString(argAt(args, 0)));
    if (!r.readNextStartElement() || r.name() != u"invoke") {
        return Value();
    }
    const QString name = r.attributes().value(QLatin1String("name")).toString();
    std::vector<Value> callArgs;
    while (r.readNextStartElement()) {
        if (r.name() != u"arguments") {
            r.skipCurrentElement();
            continue;
        }
        while (r.readNextStartElement()) {
            callArgs.push_back(readValue(m, r, 1));
        }
    }
    if (r.hasError() && r.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        return Value();
    }
    Object* ei = m.get(m.global(), QStringLiteral("ExternalInterface")).object();
    Object* callbacks = ei ? m.get(ei, kCallbacks).object() : nullptr;
    Property* entry = callbacks ? callbacks->find(name, 10) : nullptr;
    Object* e = entry ? entry->value.object() : nullptr;
    if (!e) {
        return Value();
    }
    const Value result =
        m.call(m.get(e, QStringLiteral("fn")), m.get(e, QStringLiteral("self")), callArgs);
    return Value(toXml(m, result, 0));
}

}  // namespace

std::optional<QString> answerExternalCall(Machine& m, const QString& request, int swfVersion) {
    RunResult result =
        m.callValue(Value(m.makeNative(answerNative)), Value(), {Value(request)}, swfVersion);
    if (!result.ok()) {
        // The callback threw or ran out of time: it answered nothing.
        return QStringLiteral("<undefined/>");
    }
    if (!result.value.isString()) {
        return std::nullopt;
    }
    return result.value.string();
}

void installExternalInterface(Machine& m) {
    FunctionObject* ei = m.makeClass(eiCtor, m.makeObject());
    installTable(m, ei, kStatics);
    ei->put(QStringLiteral("available"), Value(true), kDontEnum | kDontDelete | kReadOnly);
    m.global()->put(QStringLiteral("ExternalInterface"), Value(ei), kDontEnum);
    // Also as flash.external.ExternalInterface.
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    if (!flash) {
        flash = m.makeObject();
        m.global()->put(QStringLiteral("flash"), Value(flash), kDontEnum);
    }
    Object* external = m.makeObject();
    external->put(QStringLiteral("ExternalInterface"), Value(ei));
    flash->put(QStringLiteral("external"), Value(external));
}

}  // namespace pencora::avm1
