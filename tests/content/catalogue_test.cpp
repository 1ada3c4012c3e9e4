#include "content/catalogue.h"
#include "content/integer_text.h"
#include "content_test_support.h"
#include "platform/xml/xml_document.h"

#include <memory>

using namespace pencora::content;

namespace {

// Records the tree as "caption/image/selected" rows with their depth.
class RecordingTree : public CatalogueSink {
  public:
    struct Row {
        QString caption;
        int depth = 0;
        int image = -9, selected = -9;
    };
    std::vector<std::unique_ptr<Row>> rows;
    int clears = 0;

    void clear() override {
        ++clears;
        rows.clear();
    }
    Node addNode(Node parent, const QString& caption) override {
        auto row = std::make_unique<Row>();
        row->caption = caption;
        row->depth = parent ? static_cast<Row*>(parent)->depth + 1 : 0;
        rows.push_back(std::move(row));
        return rows.back().get();
    }
    void setImages(Node node, int image, int selected) override {
        static_cast<Row*>(node)->image = image;
        static_cast<Row*>(node)->selected = selected;
    }
    QStringList outline() const {
        QStringList lines;
        for (const auto& r : rows) {
            lines << QString(r->depth, u' ') + r->caption +
                         QStringLiteral("/%1/%2").arg(r->image).arg(r->selected);
        }
        return lines;
    }
};

class Catalogue : public ProgramFolderFixture {};

}  // namespace

TEST_F(Catalogue, FillsNodesInDocumentOrderAndReleasesTheDocument) {
    write("Data/xml/unit.xml", R"(<c><r text="根" ImageIndex="0" SelectedIndex="0"><!-- x -->
      <b text=" 一年级上册 " ImageIndex="0" SelectedIndex="1"><g text="识字（一）" ImageIndex="1" SelectedIndex="1">
      <l text="1 画" ImageIndex="2" SelectedIndex="2"/></g></b></r><r2 text="second" ImageIndex="0" SelectedIndex="0"/></c>)");
    pencora::xml::XmlDocument doc;
    loadCatalogue(doc);
    RecordingTree tree;
    tree.addNode(nullptr, "stale");
    FillCatalogueTree(tree, doc);
    EXPECT_EQ(tree.outline(), (QStringList{"根/0/0", "  一年级上册 /0/1", "  识字（一）/1/1",
                                           "   1 画/2/2", "second/0/0"}));
    EXPECT_FALSE(doc.isActive());
}

TEST_F(Catalogue, BadImageIndexStopsTheFillKeepingEarlierNodes) {
    write("Data/xml/unit.xml", R"(<c><r text="根" ImageIndex="0" SelectedIndex="0">
      <b text="ok" ImageIndex="1" SelectedIndex="1"/><b text="bad" ImageIndex="x" SelectedIndex="1"/>
      <b text="after" ImageIndex="1" SelectedIndex="1"/></r></c>)");
    pencora::xml::XmlDocument doc;
    loadCatalogue(doc);
    RecordingTree tree;
    EXPECT_THROW(FillCatalogueTree(tree, doc), IntegerTextError);
    ASSERT_EQ(tree.rows.size(), 3u);  // the faulty node is there, its image unset
    EXPECT_EQ(tree.rows[2]->caption, "bad");
}

TEST_F(Catalogue, IndexErrorsNameTheFileTheLineAndTheElement) {
    write("Data/xml/unit.xml", R"(<c><r text="根" ImageIndex="0" SelectedIndex="0">
      <b text="ok" ImageIndex="1" SelectedIndex="1"/>
      <b text="第二册" SelectedIndex="1"/></r></c>)");
    pencora::xml::XmlDocument doc;
    loadCatalogue(doc);
    RecordingTree tree;
    try {
        FillCatalogueTree(tree, doc);
        FAIL() << "a missing ImageIndex must stop the fill";
    } catch (const IntegerTextError& e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_TRUE(message.contains(doc.fileName())) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("unit.xml"))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("line 3"))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("<b text=\"第二册\">"))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("ImageIndex"))) << e.what();
        EXPECT_TRUE(message.endsWith(QStringLiteral("'' is not a valid integer value")))
            << e.what();
    }
}

TEST_F(Catalogue, MissingOrBrokenCatalogueFailsAtTheFill) {
    for (const char* content : {static_cast<const char*>(nullptr), "<c><r"}) {
        if (content) {
            write("Data/xml/unit.xml", content);
        }
        pencora::xml::XmlDocument doc;
        loadCatalogue(doc);  // ignores the error
        RecordingTree tree;
        EXPECT_THROW(FillCatalogueTree(tree, doc), pencora::xml::XmlError);
        EXPECT_TRUE(tree.rows.empty());
    }
}

TEST_F(Catalogue, ReadsGb2312CatalogueBelowCapitalisedDATA) {
    pencora::fs::setProgramFolder(PENCORA_SOURCE_DIR "/tests/content/fixtures/gb2312");
    pencora::xml::XmlDocument doc;
    loadCatalogue(doc);
    RecordingTree tree;
    FillCatalogueTree(tree, doc);
    EXPECT_EQ(tree.outline(), (QStringList{"小学语文/0/0", " 一年级上册/0/0", "  识字（一）/1/1",
                                           "   1 一去二三里/2/2", "   2 口耳目/2/2"}));
}
