#include "platform/xml/xml_document.h"

#include <limits>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <QFile>

#include <mutex>

namespace pencora::xml {

namespace {

// Marks the parser contexts of our documents.
char ourContext;
xmlExternalEntityLoader previousLoader = nullptr;

// Content files never need anything outside themselves: every external entity, DTD or
// network resource one of our documents asks for is refused. Other users of libxml2 in the
// process keep the loader they had.
xmlParserInputPtr refuseExternalEntity(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
    if (ctxt != nullptr && ctxt->_private == &ourContext) {
        return nullptr;
    }
    return previousLoader ? previousLoader(url, id, ctxt) : nullptr;
}

// libxml2 prints parse errors to stderr by default; we report them through XmlError.
void quietGenericError(void* /*ctx*/, const char* /*msg*/, ...) {}
void quietStructuredError(void* /*ctx*/, xmlErrorPtr /*error*/) {}

void initLibxmlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        previousLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(refuseExternalEntity);
    });
    // Error handlers are per thread in libxml2; the parser is used on one thread only.
    xmlSetGenericErrorFunc(nullptr, quietGenericError);
    xmlSetStructuredErrorFunc(nullptr, quietStructuredError);
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

QString fromXmlChars(const xmlChar* text) {
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

QString describeLastError(xmlParserCtxtPtr ctxt) {
    const xmlError* error = ctxt ? xmlCtxtGetLastError(ctxt) : nullptr;
    if (error == nullptr || error->message == nullptr) {
        return QStringLiteral("not well-formed");
    }
    QString text = QString::fromUtf8(error->message).trimmed();
    if (error->line > 0) {
        text += QStringLiteral(" (line %1)").arg(error->line);
    }
    return text;
}

xmlNode* elementFrom(xmlNode* node) {
    while (node != nullptr && node->type != XML_ELEMENT_NODE) {
        node = node->next;
    }
    return node;
}

}  // namespace

XmlError::XmlError(const QString& message) : std::runtime_error(message.toStdString()) {}

int XmlElement::line() const {
    if (node_ == nullptr) {
        return 0;
    }
    const long line = xmlGetLineNo(node_);
    return line > 0 && line <= std::numeric_limits<int>::max() ? static_cast<int>(line) : 0;
}

QString XmlElement::nodeName() const {
    if (node_ == nullptr) {
        return {};
    }
    QString name = fromXmlChars(node_->name);
    if (node_->ns != nullptr && node_->ns->prefix != nullptr) {
        name = fromXmlChars(node_->ns->prefix) + u':' + name;
    }
    return name;
}

QString XmlElement::attribute(const char* name) const {
    if (node_ == nullptr) {
        return {};
    }
    xmlChar* value = xmlGetProp(node_, reinterpret_cast<const xmlChar*>(name));
    QString text = fromXmlChars(value);
    xmlFree(value);
    return text;
}

QString XmlElement::attribute(const QString& name) const {
    return attribute(name.toUtf8().constData());
}

bool XmlElement::hasAttribute(const QString& name) const {
    if (node_ == nullptr) {
        return false;
    }
    const QByteArray utf8 = name.toUtf8();
    return xmlHasProp(node_, reinterpret_cast<const xmlChar*>(utf8.constData())) != nullptr;
}

XmlElement XmlElement::firstChild() const {
    return XmlElement(node_ ? elementFrom(node_->children) : nullptr);
}

XmlElement XmlElement::nextSibling() const {
    return XmlElement(node_ ? elementFrom(node_->next) : nullptr);
}

int XmlElement::childCount() const {
    int count = 0;
    for (XmlElement child = firstChild(); child; child = child.nextSibling()) {
        ++count;
    }
    return count;
}

XmlElement XmlElement::selectSingleNode(const QString& xpath) const {
    if (node_ == nullptr) {
        throw XmlError(QStringLiteral("XPath selection on no element"));
    }
    initLibxmlOnce();
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
        xmlXPathNewContext(node_->doc), xmlXPathFreeContext);
    if (!context) {
        throw XmlError(QStringLiteral("out of memory for XPath"));
    }
    context->node = node_;
    const QByteArray expression = xpath.toUtf8();
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.constData()),
                               context.get()),
        xmlXPathFreeObject);
    if (!result) {
        throw XmlError(QStringLiteral("invalid XPath expression: %1").arg(xpath));
    }
    if (result->type != XPATH_NODESET || result->nodesetval == nullptr) {
        return {};
    }
    const xmlNodeSet* nodes = result->nodesetval;
    if (nodes->nodeNr == 0) {
        return {};
    }
    // A node set comes back in document order; the first node is the one wanted.
    xmlNode* first = nodes->nodeTab[0];
    return XmlElement(first && first->type == XML_ELEMENT_NODE ? first : nullptr);
}

XmlDocument::XmlDocument() {
    initLibxmlOnce();
}

XmlDocument::~XmlDocument() {
    clear();
}

void XmlDocument::setFileName(const QString& path) {
    clear();
    fileName_ = path;
}

void XmlDocument::setActive(bool active) {
    if (active == active_) {
        return;
    }
    if (!active) {
        clear();
        return;
    }
    if (fileName_.isEmpty()) {
        active_ = true;
        return;
    }
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly)) {
        throw XmlError(QStringLiteral("Cannot open the XML file \"%1\": %2")
                           .arg(fileName_, file.errorString()));
    }
    if (file.size() > kMaxFileBytes) {
        throw XmlError(QStringLiteral("The XML file \"%1\" is too large (%2 bytes)")
                           .arg(fileName_)
                           .arg(file.size()));
    }
    const QByteArray bytes = file.readAll();
    loadFromBytes(bytes, fileName_);
}

void XmlDocument::loadFromFile(const QString& path) {
    setFileName(path);
    setActive(true);
}

void XmlDocument::loadFromBytes(const QByteArray& bytes, const QString& name) {
    clear();
    if (name != fileName_) {
        fileName_ = name;
    }
    initLibxmlOnce();
    if (bytes.size() > kMaxFileBytes) {
        throw XmlError(QStringLiteral("The XML file \"%1\" is too large").arg(name));
    }
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(),
                                                                      xmlFreeParserCtxt);
    if (!ctxt) {
        throw XmlError(QStringLiteral("out of memory parsing \"%1\"").arg(name));
    }
    ctxt->_private = &ourContext;
    // No URL is passed: relative references inside the file resolve to nothing.
    xmlDoc* doc = xmlCtxtReadMemory(ctxt.get(), bytes.constData(), static_cast<int>(bytes.size()),
                                    nullptr, nullptr, kParseOptions);
    if (doc == nullptr || !ctxt->wellFormed) {
        if (doc != nullptr) {
            xmlFreeDoc(doc);
        }
        throw XmlError(QStringLiteral("The XML file \"%1\" could not be read: %2")
                           .arg(name, describeLastError(ctxt.get())));
    }
    if (xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        throw XmlError(QStringLiteral("The XML file \"%1\" has no document element").arg(name));
    }
    doc_ = doc;
    active_ = true;
}

XmlElement XmlDocument::documentElement() const {
    if (doc_ == nullptr) {
        const QString which = fileName_.isEmpty()
                                  ? QStringLiteral("The XML document")
                                  : QStringLiteral("The XML document \"%1\"").arg(fileName_);
        throw XmlError(which + QStringLiteral(" holds no content"));
    }
    return XmlElement(xmlDocGetRootElement(doc_));
}

void XmlDocument::clear() {
    if (doc_ != nullptr) {
        xmlFreeDoc(doc_);
    }
    doc_ = nullptr;
    active_ = false;
}

}  // namespace pencora::xml
