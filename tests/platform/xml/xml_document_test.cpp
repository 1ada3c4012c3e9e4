#include "platform/xml/xml_document.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

using pencora::xml::XmlDocument;
using pencora::xml::XmlElement;
using pencora::xml::XmlError;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray utf16le(const QString& text, bool bom) {
    QByteArray bytes;
    if (bom) {
        bytes.append("\xFF\xFE", 2);
    }
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

const QString kEntries = QStringLiteral(
    "<hanzi><lesson201 Chinese=\"画\" PinYin1=\" huà \"/><!-- note --><lesson201 "
    "Chinese=\"绿\" PinYin1=\"lǜ\"/>text<?pi x?><lesson202 Chinese=\"（全角）\"/></hanzi>");

std::vector<QString> childNames(const XmlElement& parent) {
    std::vector<QString> names;
    for (XmlElement child = parent.firstChild(); child; child = child.nextSibling()) {
        names.push_back(child.nodeName());
    }
    return names;
}

}  // namespace

// The course's files come in several encodings; each must give the same characters back.
TEST(XmlDocument, ReadsEveryDeclaredEncodingToTheSameText) {
    QTemporaryDir dir;
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const std::vector<Row> rows = {
        {"utf8 without declaration", kEntries.toUtf8()},
        {"utf8 with BOM", QByteArray("\xEF\xBB\xBF") + kEntries.toUtf8()},
        {"课文 utf16 with BOM",  // the path itself is Unicode
         utf16le(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + kEntries, true)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        XmlDocument doc;
        doc.loadFromFile(writeFile(dir, QString::fromUtf8(row.name), row.bytes));
        const XmlElement root = doc.documentElement();
        EXPECT_EQ(childNames(root), (std::vector<QString>{"lesson201", "lesson201", "lesson202"}));
        const XmlElement first = root.firstChild();
        EXPECT_EQ(first.attribute("Chinese"), QStringLiteral("画"));
        EXPECT_EQ(first.attribute("PinYin1"), QStringLiteral(" huà "));  // spaces kept
        EXPECT_EQ(first.nextSibling().attribute("PinYin1"), QStringLiteral("lǜ"));
        EXPECT_EQ(root.firstChild().nextSibling().nextSibling().attribute("Chinese"),
                  QStringLiteral("（全角）"));
        EXPECT_EQ(first.attribute("Missing"), QString());
        EXPECT_FALSE(first.hasAttribute("Missing"));
    }
}

TEST(XmlDocument, ReadsGb2312FileWithItsDeclaration) {
    XmlDocument doc;
    doc.loadFromFile(
        QStringLiteral(PENCORA_SOURCE_DIR "/tests/content/fixtures/gb2312/DATA/xml/hanzi1.xml"));
    const XmlElement third = doc.documentElement().firstChild().nextSibling().nextSibling();
    EXPECT_EQ(third.attribute("Chinese"), QStringLiteral("绿"));
    EXPECT_EQ(third.attribute("PinYin1"), QStringLiteral("lǜ"));
}

TEST(XmlDocument, ErrorsNameTheFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("nothere.xml");
    const QString broken = writeFile(dir, "broken.xml", "<a><b></a>");
    const QString empty = writeFile(dir, "empty.xml", "");
    const QString wrongEncoding =
        writeFile(dir, "gb.xml", "<?xml version=\"1.0\"?><a t=\"\xB5\xC4\"/>");
    for (const QString& path : {missing, broken, empty, wrongEncoding}) {
        SCOPED_TRACE(path.toStdString());
        XmlDocument doc;
        try {
            doc.loadFromFile(path);
            FAIL() << "no error";
        } catch (const XmlError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.what();
        }
        EXPECT_FALSE(doc.hasContent());
        EXPECT_THROW(doc.documentElement(), XmlError);
    }
    XmlDocument neverLoaded;
    EXPECT_TRUE(neverLoaded.isActive());
    EXPECT_THROW(neverLoaded.documentElement(), XmlError);
}

TEST(XmlDocument, DeactivatingReleasesAndActivatingReparses) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.xml", "<a><b/></a>");
    XmlDocument doc;
    doc.loadFromFile(path);
    doc.setActive(false);
    EXPECT_THROW(doc.documentElement(), XmlError);
    writeFile(dir, "a.xml", "<a><c/><d/></a>");
    doc.setActive(true);
    EXPECT_EQ(doc.documentElement().childCount(), 2);
}

// Content files must never reach outside themselves, even when they ask to.
TEST(XmlDocument, LoadsNoExternalEntityOrDtd) {
    QTemporaryDir dir;
    writeFile(dir, "secret.txt", "SECRET");
    const QString secretUrl = QStringLiteral("file://") + dir.filePath("secret.txt");
    const QByteArray withEntity = "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY ext SYSTEM \"" +
                                  secretUrl.toUtf8() + "\">]><a><b>&ext;</b></a>";
    XmlDocument doc;
    try {
        doc.loadFromFile(writeFile(dir, "ent.xml", withEntity));
        EXPECT_TRUE(doc.documentElement().selectSingleNode("b[contains(., 'SECRET')]").isNull());
    } catch (const XmlError&) {
        // Refusing the document outright is fine too.
    }
    const QByteArray withDtd =
        "<?xml version=\"1.0\"?><!DOCTYPE a SYSTEM \"http://127.0.0.1:9/x.dtd\"><a/>";
    XmlDocument second;
    second.loadFromFile(writeFile(dir, "dtd.xml", withDtd));
    EXPECT_EQ(second.documentElement().nodeName(), "a");
}

TEST(XmlDocument, SelectsFirstMatchingElementRelativeToDocumentElement) {
    XmlDocument doc;
    doc.loadFromBytes(
        "<h><lesson201 Chinese=\"a\" PinYin1=\"1\"/><lesson202 Chinese=\"b\" PinYin1=\"2\"/>"
        "<lesson202 Chinese=\"b\" PinYin1=\"3\"/></h>",
        "mem");
    const XmlElement root = doc.documentElement();
    EXPECT_EQ(root.selectSingleNode(R"(lesson202[@Chinese="b"])").attribute("PinYin1"), "2");
    EXPECT_TRUE(root.selectSingleNode(R"(lesson202[@Chinese="a"])").isNull());
    EXPECT_TRUE(root.selectSingleNode("h").isNull());  // relative, not from the document
    EXPECT_TRUE(root.selectSingleNode("lesson201/@Chinese").isNull());  // not an element
    EXPECT_THROW(root.selectSingleNode(R"(lesson202[@Chinese="""])"), XmlError);
}
