#include "platform/flash/avm1/xml_node.h"

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/avm1/xml_namespaces.h"

namespace pencora::avm1 {

namespace {

Value nodeOrNull(XmlNode* n) {
    return n ? Value(static_cast<Object*>(n)) : Value::null();
}

size_t indexIn(const XmlNode* parent, const XmlNode* child) {
    for (size_t i = 0; i < parent->children.size(); ++i) {
        if (parent->children[i] == child) {
            return i;
        }
    }
    return parent->children.size();
}

// Before SWF 7 a node's built-in properties answer to their names in any case: the name as
// these properties spell it, or `name` itself when it names none of them.
QString builtInName(Machine& m, const QString& name) {
    static const char* const kNames[] = {
        "nodeType",     "nodeName",    "nodeValue",       "firstChild", "lastChild",
        "parentNode",   "nextSibling", "previousSibling", "prefix",     "localName",
        "namespaceURI", "childNodes",  "attributes",
    };
    if (m.version() >= 7) {
        return name;
    }
    for (const char* known : kNames) {
        if (Object::isBuiltInName(name, QLatin1String(known), m.version())) {
            return QString::fromLatin1(known);
        }
    }
    return name;
}

}  // namespace

bool XmlNode::getOwnVirtual(Machine& m, const QString& given, Value& out) {
    const QString n = builtInName(m, given);
    if (n == QLatin1String("nodeType")) {
        out = Value(type);
    } else if (n == QLatin1String("nodeName")) {
        out = type == Element && !name.isNull() ? Value(name) : Value::null();
    } else if (n == QLatin1String("nodeValue")) {
        out = type == Text ? Value(value) : Value::null();
    } else if (n == QLatin1String("firstChild")) {
        out = nodeOrNull(children.empty() ? nullptr : children.front());
    } else if (n == QLatin1String("lastChild")) {
        out = nodeOrNull(children.empty() ? nullptr : children.back());
    } else if (n == QLatin1String("parentNode")) {
        out = nodeOrNull(parent);
    } else if (n == QLatin1String("nextSibling") || n == QLatin1String("previousSibling")) {
        XmlNode* s = nullptr;
        if (parent) {
            size_t i = indexIn(parent, this);
            if (n == QLatin1String("nextSibling") && i + 1 < parent->children.size()) {
                s = parent->children[i + 1];
            } else if (n == QLatin1String("previousSibling") && i > 0 &&
                       i < parent->children.size()) {
                s = parent->children[i - 1];
            }
        }
        out = nodeOrNull(s);
    } else if (n == QLatin1String("prefix")) {
        out = xmlPrefix(this);
    } else if (n == QLatin1String("localName")) {
        out = xmlLocalName(this);
    } else if (n == QLatin1String("namespaceURI")) {
        out = xmlNamespaceUri(m, this);
    } else if (n == QLatin1String("childNodes")) {
        if (!childArray) {
            refreshChildArray(m);
        }
        out = Value(static_cast<Object*>(childArray));
    } else if (n == QLatin1String("attributes")) {
        if (!attributes) {
            attributes = m.makeObject();
        }
        out = Value(attributes);
    } else {
        return false;
    }
    return true;
}

bool XmlNode::setOwnVirtual(Machine& m, const QString& given, const Value& v) {
    const QString n = builtInName(m, given);
    if (n == QLatin1String("nodeName")) {
        if (type == Element) {
            name = v.isNullish() ? QString() : m.toString(v);
        }
        return true;
    }
    if (n == QLatin1String("nodeValue")) {
        if (type == Text) {
            value = m.toString(v);
        }
        return true;
    }
    if (n == QLatin1String("attributes")) {
        if (Object* o = v.object()) {
            attributes = o;
        }
        return true;
    }
    // The links are read-only.
    return n == QLatin1String("nodeType") || n == QLatin1String("firstChild") ||
           n == QLatin1String("lastChild") || n == QLatin1String("parentNode") ||
           n == QLatin1String("nextSibling") || n == QLatin1String("previousSibling") ||
           n == QLatin1String("childNodes");
}

void XmlNode::traceRefs(Tracer& t) {
    Object::traceRefs(t);
    if (parent) {
        t.mark(parent);
    }
    for (XmlNode* c : children) {
        t.mark(c);
    }
    if (attributes) {
        t.mark(attributes);
    }
    if (childArray) {
        t.mark(childArray);
    }
}

void XmlNode::detach(Machine& m) {
    if (!parent) {
        return;
    }
    XmlNode* p = parent;
    size_t i = indexIn(p, this);
    if (i < p->children.size()) {
        p->children.erase(p->children.begin() + i);
    }
    parent = nullptr;
    p->syncChildArray(m);
}

void XmlNode::insertChild(Machine& m, XmlNode* child, size_t index) {
    child->detach(m);
    index = std::min(index, children.size());
    children.insert(children.begin() + index, child);
    child->parent = this;
    syncChildArray(m);
}

// One array per node, rewritten in place: a script holding childNodes sees later changes
// (and what it pushed itself lasts only until the next change of the children).
void XmlNode::refreshChildArray(Machine& m) {
    if (!childArray) {
        childArray = m.makeArray();
    }
    syncChildArray(m);
}

void XmlNode::syncChildArray(Machine& m) {
    if (!childArray) {
        return;
    }
    std::vector<Value> nodes;
    nodes.reserve(children.size());
    for (XmlNode* c : children) {
        nodes.push_back(Value(static_cast<Object*>(c)));
    }
    childArray->clearElements();
    childArray->setLength(m, 0);
    childArray->assign(m, nodes);
}

XmlNode* XmlNode::copyAlone(Machine& m) const {
    auto* c = m.heap().make<XmlNode>(proto(), type);
    c->name = name;
    c->value = value;
    if (attributes) {
        c->attributes = m.makeObject();
        for (const Property& p : attributes->properties()) {
            c->attributes->put(p.name, p.value, p.flags);
        }
    }
    return c;
}

// A deep copy walks the tree with a list of its own rather than by recursion: a loaded
// document may nest deeper than the program's stack reaches.
XmlNode* XmlNode::clone(Machine& m, bool deep) const {
    XmlNode* top = copyAlone(m);
    std::vector<std::pair<const XmlNode*, XmlNode*>> pending;
    if (deep) {
        pending.emplace_back(this, top);
    }
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        for (size_t i = 0; i < from->children.size(); ++i) {
            XmlNode* copy = from->children[i]->copyAlone(m);
            to->insertChild(m, copy, to->children.size());
            pending.emplace_back(from->children[i], copy);
        }
        m.tick();
    }
    return top;
}

QString xmlEscape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
            case '&':
                out += QLatin1String("&amp;");
                break;
            case '<':
                out += QLatin1String("&lt;");
                break;
            case '>':
                out += QLatin1String("&gt;");
                break;
            case '"':
                out += QLatin1String("&quot;");
                break;
            case '\'':
                out += QLatin1String("&apos;");
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

// Writes the start of `node` (a text node whole) and answers whether its children and end tag
// are still to come.
bool openNode(Machine& m, const XmlNode* node, QString& out) {
    if (node->type == XmlNode::Text) {
        out += xmlEscape(node->value);
        return false;
    }
    if (node->name.isEmpty()) {
        return true;
    }
    out += QLatin1Char('<') + node->name;
    if (node->attributes) {
        // Attributes print newest first, like a for..in over them.
        for (const QString& a : m.enumerate(node->attributes)) {
            out += QLatin1Char(' ') + a + QLatin1String("=\"") +
                   xmlEscape(m.toString(m.get(node->attributes, a))) + QLatin1Char('"');
        }
    }
    if (node->children.empty()) {
        out += QLatin1String(" />");
        return false;
    }
    out += QLatin1Char('>');
    return true;
}

}  // namespace

// The tree is walked with a stack of its own rather than by recursion, so that a document
// nested deeper than the program's stack still prints; children are counted afresh at every
// step, as an attribute's toString may change the tree while it prints.
QString xmlToString(Machine& m, const XmlNode* node) {
    QString out;
    std::vector<std::pair<const XmlNode*, size_t>> open;
    if (openNode(m, node, out)) {
        open.emplace_back(node, 0);
    }
    while (!open.empty()) {
        auto& [parent, next] = open.back();
        if (next < parent->children.size()) {
            const XmlNode* child = parent->children[next++];
            if (openNode(m, child, out)) {
                open.emplace_back(child, 0);
            }
            m.tick();
            continue;
        }
        if (!parent->name.isEmpty()) {
            out += QLatin1String("</") + parent->name + QLatin1Char('>');
        }
        open.pop_back();
    }
    return out;
}

namespace {

QString decodeEntities(const QString& s) {
    if (!s.contains(QLatin1Char('&'))) {
        return s;
    }
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        qsizetype semi = s.indexOf(QLatin1Char(';'), i);
        if (semi < 0 || semi - i > 10) {
            out += s[i];
            continue;
        }
        QString e = s.mid(i + 1, semi - i - 1);
        QString r;
        if (e == QLatin1String("amp")) {
            r = QStringLiteral("&");
        } else if (e == QLatin1String("lt")) {
            r = QStringLiteral("<");
        } else if (e == QLatin1String("gt")) {
            r = QStringLiteral(">");
        } else if (e == QLatin1String("quot")) {
            r = QStringLiteral("\"");
        } else if (e == QLatin1String("apos")) {
            r = QStringLiteral("'");
        } else if (e.startsWith('#')) {
            bool ok = false;
            uint code = e.startsWith(QLatin1String("#x")) ? e.mid(2).toUInt(&ok, 16)
                                                          : e.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code < 0x110000) {
                r = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            }
        }
        if (r.isNull()) {
            out += s[i];
            continue;
        }
        out += r;
        i = semi;
    }
    return out;
}

bool isNameChar(QChar c) {
    return !c.isSpace() && c != '>' && c != '/' && c != '=' && c != '<';
}

}  // namespace

int xmlParse(Machine& m, XmlNode* doc, const QString& text, bool ignoreWhite, QString& xmlDecl,
             QString& docTypeDecl) {
    XmlNode* cur = doc;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto addText = [&](const QString& t, bool raw) {
        if (t.isEmpty()) {
            return;
        }
        if (ignoreWhite && t.trimmed().isEmpty()) {
            return;
        }
        auto* node = m.heap().make<XmlNode>(doc->proto(), XmlNode::Text);
        node->value = raw ? t : decodeEntities(t);
        cur->insertChild(m, node, cur->children.size());
    };
    while (i < n) {
        m.tick();
        if (text[i] != '<') {
            qsizetype lt = text.indexOf(QLatin1Char('<'), i);
            if (lt < 0) {
                lt = n;
            }
            addText(text.mid(i, lt - i), false);
            i = lt;
            continue;
        }
        if (text.mid(i, 4) == QLatin1String("<!--")) {
            qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0) {
                return -5;
            }
            i = end + 3;
        } else if (text.mid(i, 9) == QLatin1String("<![CDATA[")) {
            qsizetype end = text.indexOf(QLatin1String("]]>"), i + 9);
            if (end < 0) {
                return -2;
            }
            addText(text.mid(i + 9, end - i - 9), true);
            i = end + 3;
        } else if (text.mid(i, 2) == QLatin1String("<?")) {
            qsizetype end = text.indexOf(QLatin1String("?>"), i + 2);
            if (end < 0) {
                return -3;
            }
            xmlDecl += text.mid(i, end + 2 - i);
            i = end + 2;
        } else if (text.mid(i, 2) == QLatin1String("<!")) {
            qsizetype end = text.indexOf(QLatin1Char('>'), i + 2);
            if (end < 0) {
                return -4;
            }
            docTypeDecl = text.mid(i, end + 1 - i);
            i = end + 1;
        } else if (text.mid(i, 2) == QLatin1String("</")) {
            qsizetype end = text.indexOf(QLatin1Char('>'), i + 2);
            if (end < 0) {
                return -6;
            }
            QString name = text.mid(i + 2, end - i - 2).trimmed();
            if (cur == doc || cur->name != name) {
                return -10;
            }
            cur = cur->parent ? cur->parent : doc;
            i = end + 1;
        } else {
            qsizetype j = i + 1;
            while (j < n && isNameChar(text[j])) {
                ++j;
            }
            auto* el = m.heap().make<XmlNode>(doc->proto(), XmlNode::Element);
            el->name = text.mid(i + 1, j - i - 1);
            el->attributes = m.makeObject();
            // Attributes: name="value" or name='value'.
            for (;;) {
                while (j < n && text[j].isSpace()) {
                    ++j;
                }
                if (j >= n) {
                    return -6;
                }
                if (text[j] == '>' || (text[j] == '/' && j + 1 < n && text[j + 1] == '>')) {
                    break;
                }
                qsizetype a = j;
                while (j < n && isNameChar(text[j])) {
                    ++j;
                }
                QString attr = text.mid(a, j - a);
                while (j < n && text[j].isSpace()) {
                    ++j;
                }
                if (j >= n || text[j] != '=' || attr.isEmpty()) {
                    return -8;
                }
                ++j;
                while (j < n && text[j].isSpace()) {
                    ++j;
                }
                if (j >= n || (text[j] != '"' && text[j] != '\'')) {
                    return -8;
                }
                QChar quote = text[j];
                qsizetype close = text.indexOf(quote, j + 1);
                if (close < 0) {
                    return -8;
                }
                el->attributes->put(attr, Value(decodeEntities(text.mid(j + 1, close - j - 1))));
                j = close + 1;
            }
            cur->insertChild(m, el, cur->children.size());
            if (text[j] == '/') {
                i = j + 2;
            } else {
                cur = el;
                i = j + 1;
            }
        }
    }
    return cur == doc ? 0 : -9;
}

}  // namespace pencora::avm1
