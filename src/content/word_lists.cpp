#include "content/word_lists.h"

#include "platform/xml/xml_document.h"

namespace pencora::content {

QStringList ReadAttributeList(const QString& path, const QString& key, const QString& attribute) {
    xml::XmlDocument document;
    document.loadFromFile(path);
    QStringList values;
    const QByteArray name = attribute.toUtf8();
    for (xml::XmlElement child = document.documentElement().firstChild(); child;
         child = child.nextSibling()) {
        if (child.nodeName().contains(key)) {
            values << child.attribute(name.constData());
        }
    }
    return values;
}

QString ReadNodeAttribute(const xml::XmlDocument& document, const QString& xpath,
                          const QString& attribute) {
    static const QString kNothing = QStringLiteral(" ");
    try {
        const xml::XmlElement node = document.documentElement().selectSingleNode(xpath);
        if (!node || !node.hasAttribute(attribute)) {
            return kNothing;
        }
        return node.attribute(attribute);
    } catch (const std::exception&) {
        return kNothing;
    }
}

QString entryXPath(const QString& lessonKey, const QString& word) {
    return lessonKey + QStringLiteral("[@Chinese=\"") + word + QStringLiteral("\"]");
}

}  // namespace pencora::content
