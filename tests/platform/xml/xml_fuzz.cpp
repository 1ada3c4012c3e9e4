// Feeds arbitrary bytes to the XML document and walks whatever it parsed.
#include "platform/xml/xml_document.h"

#include <cstddef>
#include <cstdint>

namespace {

void walk(const pencora::xml::XmlElement& element, int depth) {
    if (depth > 300) {
        return;
    }
    (void)element.nodeName();
    (void)element.attribute("text");
    (void)element.attribute("Chinese");
    for (auto child = element.firstChild(); child; child = child.nextSibling()) {
        walk(child, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pencora::xml::XmlDocument doc;
    try {
        doc.loadFromBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), "fuzz");
        const auto root = doc.documentElement();
        walk(root, 0);
        (void)root.selectSingleNode(R"(lesson201[@Chinese="画"])");
    } catch (const std::exception&) {
    }
    return 0;
}
