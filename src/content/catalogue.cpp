#include "content/catalogue.h"

#include "content/content_paths.h"
#include "content/integer_text.h"
#include "platform/xml/xml_document.h"

namespace pencora::content {

void loadCatalogue(xml::XmlDocument& document) {
    try {
        document.loadFromFile(contentFile(catalogueRelativePath()));
    } catch (const std::exception&) {
        // No catalogue: the first show's fill reports it.
    }
}

namespace {

// An image index of the element; a missing or malformed one is an error that says where.
int imageIndexOf(const xml::XmlElement& element, const char* attribute, const QString& file) {
    const QString text = element.attribute(attribute);
    if (const auto value = parseInteger(text)) {
        return *value;
    }
    QString where = file.isEmpty() ? QStringLiteral("The catalogue")
                                   : QStringLiteral("The catalogue \"%1\"").arg(file);
    if (element.line() > 0) {
        where += QStringLiteral(", line %1").arg(element.line());
    }
    where += QStringLiteral(", element <%1 text=\"%2\">, attribute %3")
                 .arg(element.nodeName(), element.attribute("text"), QLatin1String(attribute));
    throw IntegerTextError(text, where);
}

}  // namespace

void FillCatalogueTree(CatalogueSink& tree, xml::XmlDocument& document) {
    tree.clear();
    document.setActive(true);
    for (xml::XmlElement child = document.documentElement().firstChild(); child;
         child = child.nextSibling()) {
        AddCatalogueNode(tree, child, nullptr, document.fileName());
    }
    // The catalogue is read once; its content is not needed again.
    document.setActive(false);
}

void AddCatalogueNode(CatalogueSink& tree, const xml::XmlElement& element,
                      CatalogueSink::Node parent, const QString& file) {
    const CatalogueSink::Node node = tree.addNode(parent, element.attribute("text"));
    tree.setImages(node, imageIndexOf(element, "ImageIndex", file),
                   imageIndexOf(element, "SelectedIndex", file));
    for (xml::XmlElement child = element.firstChild(); child; child = child.nextSibling()) {
        AddCatalogueNode(tree, child, node, file);
    }
}

}  // namespace pencora::content
