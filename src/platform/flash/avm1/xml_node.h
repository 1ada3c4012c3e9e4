// XMLNode and XML documents: a tree of element and text nodes whose links (firstChild,
// parentNode, childNodes ...) read as properties; the XML class adds parsing, loading and the
// declaration texts.
#pragma once

#include <QString>

#include <vector>

#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

class ArrayObject;

class XmlNode : public Object {
  public:
    enum Type { Element = 1, Text = 3 };
    XmlNode(Object* proto, int type) : Object(proto, ObjectKind::XmlNode), type(type) {}

    int type;
    QString name;   // elements
    QString value;  // text nodes
    XmlNode* parent = nullptr;
    std::vector<XmlNode*> children;
    Object* attributes = nullptr;
    ArrayObject* childArray = nullptr;  // the childNodes array, refreshed when children change

    bool getOwnVirtual(Machine& m, const QString& name, Value& out) override;
    bool setOwnVirtual(Machine& m, const QString& name, const Value& v) override;
    void traceRefs(Tracer& t) override;

    // Detaches from the parent, if any.
    void detach(Machine& m);
    void insertChild(Machine& m, XmlNode* child, size_t index);
    void refreshChildArray(Machine& m);
    // Rewrites the childNodes array, if scripts have it, from `children`.
    void syncChildArray(Machine& m);
    // A copy of the node with its attributes, and with copies of all below it when deep.
    XmlNode* clone(Machine& m, bool deep) const;
    // A copy of the node and its attributes alone.
    XmlNode* copyAlone(Machine& m) const;
};

QString xmlEscape(const QString& s);
// The node as markup: elements with their attributes and children, text escaped.
QString xmlToString(Machine& m, const XmlNode* node);
// Parses `text` into `doc`'s children; returns the status code scripts see (0 when sound).
int xmlParse(Machine& m, XmlNode* doc, const QString& text, bool ignoreWhite, QString& xmlDecl,
             QString& docTypeDecl);

}  // namespace pencora::avm1
