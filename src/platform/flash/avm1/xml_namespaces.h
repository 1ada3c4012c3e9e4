// Namespaces of XMLNode elements (xml_namespaces.cpp). Text nodes and nameless nodes answer
// null; an element without a prefix has the prefix "".
#pragma once

#include "platform/flash/avm1/xml_node.h"

namespace pencora::avm1 {

Value xmlPrefix(const XmlNode* node);
Value xmlLocalName(const XmlNode* node);
Value xmlNamespaceUri(Machine& m, const XmlNode* node);
// null when no element from `node` up declares it.
Value xmlNamespaceForPrefix(Machine& m, const XmlNode* node, const QString& prefix);
Value xmlPrefixForNamespace(Machine& m, const XmlNode* node, const QString& uri);

}  // namespace pencora::avm1
