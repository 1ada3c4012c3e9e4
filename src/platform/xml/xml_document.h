// Our XML document component on libxml2: a file loaded by its Unicode path, parsed in the
// encoding its declaration names (GB2312/GBK, UTF-8, UTF-16 with a BOM), walked element by
// element in document order, attributes read back unchanged, and one node picked by an
// XPath 1.0 expression evaluated from the document element. Nothing is ever fetched from
// the network and no external entity or DTD is loaded.
//
// Errors are XmlError exceptions whose text names the file. Callers decide whether to
// ignore them (the catalogue load, the XMLRead load) or let them reach the general error
// report (the word-list readers).
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

using xmlNode = struct _xmlNode;
using xmlDoc = struct _xmlDoc;

namespace pencora::xml {

class XmlError : public std::runtime_error {
  public:
    explicit XmlError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// A view of one element of a loaded document. It is valid while its document holds the
// same content; copying is cheap.
class XmlElement {
  public:
    XmlElement() = default;
    explicit XmlElement(xmlNode* node) : node_(node) {}

    bool isNull() const { return node_ == nullptr; }
    explicit operator bool() const { return node_ != nullptr; }

    // The element name exactly as written in the file (with its prefix, if any).
    QString nodeName() const;

    // The line of the file the element starts on; 0 when it is not known.
    int line() const;

    // The value of the attribute, unchanged; an empty string when it is missing.
    QString attribute(const char* name) const;
    QString attribute(const QString& name) const;
    bool hasAttribute(const QString& name) const;

    // Element children only, in document order; a null element when there are none.
    XmlElement firstChild() const;
    XmlElement nextSibling() const;
    int childCount() const;

    // The first node that `xpath` selects relative to this element, if it is an element.
    // A malformed expression throws XmlError; an expression that selects nothing (or only
    // non-element nodes) gives a null element.
    XmlElement selectSingleNode(const QString& xpath) const;

  private:
    xmlNode* node_ = nullptr;
};

class XmlDocument {
  public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Remembers the file to parse on activation; an already active document is released.
    void setFileName(const QString& path);
    QString fileName() const { return fileName_; }

    // Active means parsed. Activating a document with a file name parses it (an error
    // leaves it without content and is thrown); activating one without a file name leaves
    // it active and empty. Deactivating releases the content.
    void setActive(bool active);
    bool isActive() const { return active_; }

    // setFileName + setActive(true).
    void loadFromFile(const QString& path);

    // Parses bytes in memory; `name` stands for the file in error messages.
    void loadFromBytes(const QByteArray& bytes, const QString& name);

    bool hasContent() const { return doc_ != nullptr; }

    // The root element. Throws XmlError when the document holds no content.
    XmlElement documentElement() const;

    // Releases the content and leaves the document inactive.
    void clear();

    // The largest file we parse. The course's files are a few hundred kilobytes at most.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

  private:
    QString fileName_;
    bool active_ = true;
    xmlDoc* doc_ = nullptr;
};

}  // namespace pencora::xml
