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

void FillCatalogueTree(CatalogueSink& tree, xml::XmlDocument& document) {
    tree.clear();
    document.setActive(true);
    for (xml::XmlElement child = document.documentElement().firstChild(); child;
         child = child.nextSibling())
        AddCatalogueNode(tree, child, nullptr);
    // The catalogue is read once; its content is not needed again.
    document.setActive(false);
}

void AddCatalogueNode(CatalogueSink& tree, const xml::XmlElement& element,
                      CatalogueSink::Node parent) {
    const CatalogueSink::Node node = tree.addNode(parent, element.attribute("text"));
    tree.setImages(node, toInteger(element.attribute("ImageIndex")),
                   toInteger(element.attribute("SelectedIndex")));
    for (xml::XmlElement child = element.firstChild(); child; child = child.nextSibling())
        AddCatalogueNode(tree, child, node);
}

}  // namespace pencora::content
