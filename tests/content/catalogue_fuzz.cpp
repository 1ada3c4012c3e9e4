// Feeds arbitrary bytes to the catalogue fill as if they were unit.xml.
#include "content/catalogue.h"
#include "platform/xml/xml_document.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

class CountingTree : public pencora::content::CatalogueSink {
  public:
    void clear() override { nodes.clear(); }
    Node addNode(Node, const QString& caption) override {
        nodes.push_back(caption.size());
        return &nodes;
    }
    void setImages(Node, int, int) override {}
    std::vector<qsizetype> nodes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pencora::xml::XmlDocument doc;
    CountingTree tree;
    try {
        doc.loadFromBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
            "unit.xml");
        pencora::content::FillCatalogueTree(tree, doc);
    } catch (const std::exception&) {
    }
    return 0;
}
