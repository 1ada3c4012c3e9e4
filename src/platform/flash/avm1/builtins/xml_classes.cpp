// XMLNode and XML: building, walking and printing trees; XML adds parseXML, load through the
// host, and the declarations it met.
#include "platform/flash/avm1/builtins/loaded_data.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/request_headers.h"
#include "platform/flash/avm1/xml_namespaces.h"
#include "platform/flash/avm1/xml_node.h"

namespace pencora::avm1 {

namespace {

XmlNode* asNode(const Value& v) {
    Object* o = nativeOf(v.object());
    return o && o->kind() == ObjectKind::XmlNode ? static_cast<XmlNode*>(o) : nullptr;
}

// new XMLNode(type, text): 1 makes an element named text, 3 a text node.
Value xmlNodeConstruct(Machine& m, const Value& self, std::vector<Value>& args) {
    int type = args.empty() ? XmlNode::Element : m.toInt32(args[0]);
    auto* n = m.heap().make<XmlNode>(self.object() ? self.object()->proto() : m.protos().xmlNode,
                                     type == XmlNode::Text ? XmlNode::Text : XmlNode::Element);
    QString text = args.size() > 1 && !args[1].isNullish() ? m.toString(args[1]) : QString();
    if (n->type == XmlNode::Text) {
        n->value = text;
    } else {
        n->name = text;
    }
    return Value(static_cast<Object*>(n));
}

Value nodeToString(Machine& m, const Value& self, std::vector<Value>&) {
    XmlNode* n = asNode(self);
    if (!n) {
        return Value(QString());
    }
    QString out;
    if (n->parent == nullptr && n->name.isEmpty() && n->type == XmlNode::Element) {
        // A document prints its XML declaration and then its DOCTYPE, each only when it has
        // one, before its nodes.
        for (const QString& name : {QStringLiteral("xmlDecl"), QStringLiteral("docTypeDecl")}) {
            const Value decl = m.get(n, name);
            if (!decl.isNullish()) {
                out += m.toString(decl);
            }
        }
    }
    return Value(out + xmlToString(m, n));
}

Value appendChild(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* n = asNode(self);
    XmlNode* c = asNode(argAt(args, 0));
    // A node that is already a child of this one stays where it is (removeNode first to
    // move it to the end); one from another tree moves here.
    if (n && c && c != n && c->parent != n) {
        for (XmlNode* p = n; p; p = p->parent) {
            if (p == c) {
                return Value();  // a node cannot hold its own ancestor
            }
        }
        n->insertChild(m, c, n->children.size());
    }
    return Value();
}

Value insertBefore(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* n = asNode(self);
    XmlNode* c = asNode(argAt(args, 0));
    XmlNode* before = asNode(argAt(args, 1));
    if (!n || !c || !before || before->parent != n || c == n || c->parent == n) {
        return Value();
    }
    for (XmlNode* p = n; p; p = p->parent) {
        if (p == c) {
            return Value();
        }
    }
    c->detach(m);
    size_t i = 0;
    while (i < n->children.size() && n->children[i] != before) {
        ++i;
    }
    n->insertChild(m, c, i);
    return Value();
}

Value removeNode(Machine& m, const Value& self, std::vector<Value>&) {
    if (XmlNode* n = asNode(self)) {
        n->detach(m);
    }
    return Value();
}

Value cloneNode(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* n = asNode(self);
    if (!n) {
        return Value();
    }
    return Value(static_cast<Object*>(n->clone(m, m.toBoolean(argAt(args, 0)))));
}

Value hasChildNodes(Machine&, const Value& self, std::vector<Value>&) {
    XmlNode* n = asNode(self);
    return Value(n && !n->children.empty());
}

Value xmlConstruct(Machine& m, const Value& self, std::vector<Value>& args) {
    auto* doc = m.heap().make<XmlNode>(self.object() ? self.object()->proto() : m.protos().xml,
                                       XmlNode::Element);
    if (m.version() >= 8) {
        doc->put(QStringLiteral("idMap"), Value(m.makeObject()), kDontEnum);
    }
    if (!args.empty() && !args[0].isNullish()) {
        std::vector<Value> text{args[0]};
        m.callMethodValue(Value(static_cast<Object*>(doc)), QStringLiteral("parseXML"), text);
    }
    return Value(static_cast<Object*>(doc));
}

// From version 8 on, a document lists its elements that carry an `id` attribute in `idMap`,
// by that attribute's value; nodes parsed later join the same map.
void mapIds(Machine& m, XmlNode* doc) {
    if (m.version() < 8) {
        return;
    }
    Object* map = m.get(doc, QStringLiteral("idMap")).object();
    if (!map) {
        map = m.makeObject();
        doc->put(QStringLiteral("idMap"), Value(map), kDontEnum);
    }
    std::vector<XmlNode*> pending(doc->children.rbegin(), doc->children.rend());
    while (!pending.empty()) {
        XmlNode* n = pending.back();
        pending.pop_back();
        m.tick();
        if (n->attributes) {
            if (Property* id = n->attributes->find(QStringLiteral("id"), m.version())) {
                map->put(m.toString(id->value), Value(static_cast<Object*>(n)));
            }
        }
        pending.insert(pending.end(), n->children.rbegin(), n->children.rend());
    }
}

Value parseXml(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* doc = asNode(self);
    if (!doc) {
        return Value();
    }
    while (!doc->children.empty()) {
        doc->children.back()->detach(m);
    }
    QString decl, doctype;
    bool ignoreWhite = m.toBoolean(m.get(doc, QStringLiteral("ignoreWhite")));
    int status = xmlParse(m, doc, m.toString(argAt(args, 0)), ignoreWhite, decl, doctype);
    doc->put(QStringLiteral("status"), Value(status));
    doc->put(QStringLiteral("xmlDecl"), decl.isEmpty() ? Value() : Value(decl));
    doc->put(QStringLiteral("docTypeDecl"), doctype.isEmpty() ? Value() : Value(doctype));
    mapIds(m, doc);
    return Value();
}

Value createElement(Machine& m, const Value&, std::vector<Value>& args) {
    auto* n = m.heap().make<XmlNode>(m.protos().xmlNode, XmlNode::Element);
    n->name = m.toString(argAt(args, 0));
    return Value(static_cast<Object*>(n));
}

Value createTextNode(Machine& m, const Value&, std::vector<Value>& args) {
    auto* n = m.heap().make<XmlNode>(m.protos().xmlNode, XmlNode::Text);
    n->value = m.toString(argAt(args, 0));
    return Value(static_cast<Object*>(n));
}

// The default onData: parse what came and call onLoad(success).
Value xmlOnData(Machine& m, const Value& self, std::vector<Value>& args) {
    return defaultOnData(m, self, args, parseXml);
}

// Fetches `url` for `o` (the document the answer is parsed into) and hands the text to its
// onData when it comes.
void startXmlFetch(Machine& m, Object* o, const QString& url, UrlRequest::Method method,
                   const QByteArray& body) {
    o->put(QStringLiteral("loaded"), Value(false));
    o->put(QStringLiteral("_bytesLoaded"), Value(0), kDontEnum | kDontDelete);
    fetchTextFor(m, o, url, method, body, [](Object* receiver, double size) {
        // Scripts cannot delete them (onData handlers try).
        const uint16_t flags = kDontEnum | kDontDelete;
        receiver->put(QStringLiteral("_bytesLoaded"), Value(size), flags);
        receiver->put(QStringLiteral("_bytesTotal"), Value(size), flags);
    });
}

Value xmlLoad(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* o = self.object();
    QString url = args.empty() ? QString() : m.toString(args[0]);
    if (!o || url.isEmpty()) {
        return Value(false);
    }
    startXmlFetch(m, o, url, UrlRequest::Method::Get, {});
    return Value(true);
}

// The document as the text a server receives: its toString, in UTF-8.
QByteArray documentBytes(Machine& m, const Value& self) {
    std::vector<Value> none;
    return m.toString(m.callMethodValue(self, QStringLiteral("toString"), none)).toUtf8();
}

// sendAndLoad(url, resultXML): posts the document and parses the answer into resultXML.
Value xmlSendAndLoad(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* result = argAt(args, 1).object();
    const QString url = args.empty() ? QString() : m.toString(args[0]);
    if (!self.object() || !result || url.isEmpty()) {
        return Value();
    }
    startXmlFetch(m, result, url, UrlRequest::Method::Post, documentBytes(m, self));
    return Value();
}

// send(url, window, method): the document goes to a browser window, by POST unless "GET" is
// asked for; false without an address.
Value xmlSend(Machine& m, const Value& self, std::vector<Value>& args) {
    if (args.empty() || !self.object()) {
        return Value(false);
    }
    UrlRequest r;
    r.url = m.toString(args[0]);
    r.target = m.toString(argAt(args, 1));
    const bool get =
        m.toString(argAt(args, 2)).compare(QLatin1String("GET"), Qt::CaseInsensitive) == 0;
    r.method = get ? UrlRequest::Method::Get : UrlRequest::Method::Post;
    r.variables = documentBytes(m, self);
    m.host().getUrl(r);
    return Value(true);
}

// Undefined before a load; _bytesLoaded is 0 from the request on, both are the size once
// the data has come.
Value xmlBytesLoaded(Machine& m, const Value& self, std::vector<Value>&) {
    return m.getMember(self, QStringLiteral("_bytesLoaded"));
}
Value xmlBytesTotal(Machine& m, const Value& self, std::vector<Value>&) {
    return m.getMember(self, QStringLiteral("_bytesTotal"));
}

Value getNamespaceForPrefix(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* n = asNode(self);
    return n ? xmlNamespaceForPrefix(m, n, m.toString(argAt(args, 0))) : Value();
}
Value getPrefixForNamespace(Machine& m, const Value& self, std::vector<Value>& args) {
    XmlNode* n = asNode(self);
    return n ? xmlPrefixForNamespace(m, n, m.toString(argAt(args, 0))) : Value();
}

const NativeEntry kNodePrototype[] = {
    {"getNamespaceForPrefix", getNamespaceForPrefix},
    {"getPrefixForNamespace", getPrefixForNamespace},
    {"toString", nodeToString},
    {"appendChild", appendChild},
    {"insertBefore", insertBefore},
    {"removeNode", removeNode},
    {"cloneNode", cloneNode},
    {"hasChildNodes", hasChildNodes},
};

const NativeEntry kXmlPrototype[] = {
    {"parseXML", parseXml},
    {"createElement", createElement},
    {"createTextNode", createTextNode},
    {"onData", xmlOnData},
    {"load", xmlLoad},
    {"send", xmlSend},
    {"sendAndLoad", xmlSendAndLoad},
    {"addRequestHeader", addRequestHeader},
    {"getBytesLoaded", xmlBytesLoaded},
    {"getBytesTotal", xmlBytesTotal},
};

}  // namespace

void installXmlClasses(Machine& m) {
    Object* nodeProto = m.makeObject();
    m.protos().xmlNode = nodeProto;
    installTable(m, nodeProto, kNodePrototype);
    m.global()->put(QStringLiteral("XMLNode"),
                    Value(m.makeClass(xmlNodeConstruct, nodeProto, xmlNodeConstruct)), kDontEnum);

    Object* xmlProto = m.heap().make<Object>(nodeProto);
    m.protos().xml = xmlProto;
    installTable(m, xmlProto, kXmlPrototype);
    xmlProto->put(QStringLiteral("ignoreWhite"), Value(false), kDontEnum);
    xmlProto->put(QStringLiteral("contentType"),
                  Value(QStringLiteral("application/x-www-form-urlencoded")), kDontEnum);
    m.global()->put(QStringLiteral("XML"), Value(m.makeClass(xmlConstruct, xmlProto, xmlConstruct)),
                    kDontEnum);
}

}  // namespace pencora::avm1
