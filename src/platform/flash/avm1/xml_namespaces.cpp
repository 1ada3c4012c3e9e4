// Namespaces of XML elements: prefix, localName and namespaceURI, and the look-ups from a
// prefix to its namespace and back, through the xmlns attributes of the element and the
// elements around it.
#include "platform/flash/avm1/xml_namespaces.h"

#include "platform/flash/avm1/machine.h"

#include <optional>

namespace pencora::avm1 {

namespace {

// What an attribute declares: the prefix of "xmlns:p", or "" for the default namespace.
// The original takes any name that starts with "xmlns" and is not "xmlns:" plus a prefix
// ("xmlns", "xmlns:", "xmlnsaaa") as declaring the default namespace.
std::optional<QString> declaredPrefix(const QString& name) {
    if (!name.startsWith(QLatin1String("xmlns"))) {
        return std::nullopt;
    }
    if (name.size() > 6 && name[5] == u':') {
        return name.mid(6);
    }
    return QString();
}

}  // namespace

Value xmlPrefix(const XmlNode* node) {
    if (node->type != XmlNode::Element || node->name.isNull()) {
        return Value::null();
    }
    const qsizetype colon = node->name.indexOf(u':');
    return Value(colon < 0 ? QString() : node->name.left(colon));
}

Value xmlLocalName(const XmlNode* node) {
    if (node->type != XmlNode::Element || node->name.isNull()) {
        return Value::null();
    }
    const qsizetype colon = node->name.indexOf(u':');
    return Value(colon < 0 ? node->name : node->name.mid(colon + 1));
}

// The first declaration of `prefix` on the nearest element that has one.
Value xmlNamespaceForPrefix(Machine& m, const XmlNode* node, const QString& prefix) {
    for (const XmlNode* n = node; n; n = n->parent) {
        if (!n->attributes) {
            continue;
        }
        for (const Property& p : n->attributes->properties()) {
            if (declaredPrefix(p.name) == prefix) {
                return Value(m.toString(p.value));
            }
        }
    }
    return Value::null();
}

Value xmlPrefixForNamespace(Machine& m, const XmlNode* node, const QString& uri) {
    for (const XmlNode* n = node; n; n = n->parent) {
        if (!n->attributes) {
            continue;
        }
        for (const Property& p : n->attributes->properties()) {
            if (auto prefix = declaredPrefix(p.name); prefix && m.toString(p.value) == uri) {
                return Value(*prefix);
            }
        }
    }
    return Value::null();
}

Value xmlNamespaceUri(Machine& m, const XmlNode* node) {
    if (node->type != XmlNode::Element || node->name.isNull()) {
        return Value::null();
    }
    const Value uri = xmlNamespaceForPrefix(m, node, xmlPrefix(node).string());
    return uri.isNull() ? Value(QString()) : uri;
}

}  // namespace pencora::avm1
