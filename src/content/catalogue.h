// The catalogue tree: every element of `unit.xml` becomes a node with the element's
// caption and its two image indices, children in document order. This code knows no
// widgets; the main window passes a sink that appends nodes to its tree view.
#pragma once

#include <QString>

namespace pencora::xml {
class XmlDocument;
class XmlElement;
}  // namespace pencora::xml

namespace pencora::content {

class CatalogueSink {
  public:
    using Node = void*;  // the sink's own handle of a node; nullptr stands for "no parent"
    virtual ~CatalogueSink() = default;
    virtual void clear() = 0;
    // Appends a node as the last child of `parent` (a top-level node for nullptr).
    virtual Node addNode(Node parent, const QString& caption) = 0;
    virtual void setImages(Node node, int imageIndex, int selectedIndex) = 0;
};

// Loads `Data\xml\unit.xml` into `document`. Any error is ignored: the document then holds
// no catalogue and the fill at the first show reports it.
void loadCatalogue(xml::XmlDocument& document);

// Replaces the tree with the catalogue in `document`, then makes the document inactive.
// An empty document, or an ImageIndex/SelectedIndex that is missing or not a number,
// throws; the nodes added before the fault stay. The error about an index names the file,
// the line and the element.
void FillCatalogueTree(CatalogueSink& tree, xml::XmlDocument& document);

// `file` names the catalogue in errors.
void AddCatalogueNode(CatalogueSink& tree, const xml::XmlElement& element,
                      CatalogueSink::Node parent, const QString& file = QString());

}  // namespace pencora::content
