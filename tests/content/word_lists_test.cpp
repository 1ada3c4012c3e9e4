#include "content/word_lists.h"
#include "content_test_support.h"
#include "platform/xml/xml_document.h"

using namespace pencora::content;

namespace {

// Odd entries the real course has: a missing PinYin1, spaced pinyin, homophones, a lesson
// spread over the file, a tenth lesson whose key contains the first's group prefix.
const QString kOddBook = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<hanzi>
  <lesson201 Chinese="画" PinYin1="huà"/>
  <lesson201 Chinese="远" />
  <lesson202 Chinese="山" PinYin1="shān"/>
  <lesson201 Chinese="色" PinYin1=" sè "/>
  <lesson210 Chinese="话" PinYin1="huà"/>
  <lesson301 Chinese="一" PinYin1="yī"/>
</hanzi>
)");

class WordLists : public ProgramFolderFixture {
  protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        path = write("Data/xml/hanzi1.xml", kOddBook);
    }
    QString path;
};

}  // namespace

TEST_F(WordLists, ListsStayParallelAndInFileOrder) {
    const QStringList words = ReadAttributeList(path, "lesson201", "Chinese");
    const QStringList pinyin = ReadAttributeList(path, "lesson201", "PinYin1");
    EXPECT_EQ(words, (QStringList{"画", "远", "色"}));
    EXPECT_EQ(pinyin, (QStringList{"huà", "", " sè "}));  // as stored, not trimmed
    EXPECT_EQ(ReadAttributeList(path, "lesson210", "Chinese"), QStringList{"话"});
    EXPECT_EQ(ReadAttributeList(path, "lesson2", "Chinese").size(), 5);  // the whole group
    EXPECT_EQ(ReadAttributeList(path, "lesson", "Chinese").size(), 6);   // the whole book
    EXPECT_TRUE(ReadAttributeList(path, "lesson909", "Chinese").isEmpty());
    EXPECT_THROW(ReadAttributeList(folder() + "/Data/xml/hanzi2.xml", "lesson201", "Chinese"),
                 pencora::xml::XmlError);
}

TEST_F(WordLists, NodeAttributeGivesOneSpaceOnEveryFailure) {
    pencora::xml::XmlDocument doc;
    doc.loadFromFile(path);
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson201", "画"), "PinYin1"), "huà");
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson201", "色"), "PinYin1"), " sè ");
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson210", "话"), "PinYin1"), "huà");
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson201", "远"), "PinYin1"), " ");  // missing
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson201", "山"), "PinYin1"),
              " ");  // other lesson
    EXPECT_EQ(ReadNodeAttribute(doc, entryXPath("lesson201", "a\"b"), "PinYin1"), " ");
    pencora::xml::XmlDocument empty;
    EXPECT_EQ(ReadNodeAttribute(empty, entryXPath("lesson201", "画"), "PinYin1"), " ");
}
