#include "content/lesson_selection.h"
#include "content/word_lists.h"
#include "content_test_support.h"
#include "platform/xml/xml_document.h"

using namespace pencora::content;
using pencora::StudyState;

namespace {

class LessonSelection : public ProgramFolderFixture {
  protected:
    void SetUp() override {
        ProgramFolderFixture::SetUp();
        write("Data/xml/hanzi1.xml", R"(<h><lesson101 Chinese="ā" PinYin1="ā"/>
            <lesson201 Chinese="画" PinYin1="huà"/><lesson201 Chinese="远" PinYin1="yuǎn"/></h>)");
        write("Data/xml/hanzi2.xml", R"(<h><lesson201 Chinese="春" PinYin1="chūn"/>
            <lesson210 Chinese="话" PinYin1="huà"/></h>)");
    }
    QStringList statuses;
    std::function<void(const QString&)> status = [this](const QString& s) { statuses << s; };
    StudyState state;
    pencora::xml::XmlDocument xmlRead;
};

}  // namespace

TEST_F(LessonSelection, FirstLessonOfBookOneIsGroupTwo) {
    selectLesson(state, xmlRead, {0, 0, 0, "一年级上册", "1 画"}, status);
    EXPECT_EQ(state.BookNo, 1);
    EXPECT_EQ(state.GroupNo, 2);
    EXPECT_EQ(state.LessonNo, 1);
    EXPECT_EQ(state.LessonCode, "010201");
    EXPECT_EQ(state.HanziFilePath, folder() + "/Data/xml/hanzi1.xml");
    EXPECT_EQ(state.CurrentLessonTitle, QStringLiteral("一年级上册→【1 画】"));
    EXPECT_EQ(statuses, QStringList{QStringLiteral("正在学习：一年级上册→【1 画】")});
    EXPECT_EQ(state.CurrentWords, (QStringList{"画", "远"}));
    EXPECT_EQ(state.CurrentPinyin, (QStringList{"huà", "yuǎn"}));
    EXPECT_TRUE(state.lessonSelected());
    // XMLRead holds the book for the pinyin look-ups.
    EXPECT_EQ(ReadNodeAttribute(xmlRead, entryXPath("lesson201", "远"), "PinYin1"), "yuǎn");
}

TEST_F(LessonSelection, OtherBooksCountGroupsFromOne) {
    selectLesson(state, xmlRead, {1, 1, 0, "一年级下册", "春"}, status);
    EXPECT_EQ(state.GroupNo, 2);
    EXPECT_EQ(state.CurrentWords, QStringList{"春"});
    selectLesson(state, xmlRead, {1, 1, 9, "一年级下册", "十"}, status);
    EXPECT_EQ(state.LessonCode, "020210");
    EXPECT_EQ(state.CurrentWords, QStringList{"话"});
}

// An unreadable character file: the new lesson's numbers and title show, the lists and the
// code stay those of the lesson before, and the error goes on to the caller.
TEST_F(LessonSelection, MissingCharacterFileKeepsTheOldListsAndCode) {
    selectLesson(state, xmlRead, {0, 0, 0, "一年级上册", "1 画"}, status);
    EXPECT_THROW(selectLesson(state, xmlRead, {4, 0, 0, "三年级上册", "1 秋天"}, status),
                 pencora::xml::XmlError);
    EXPECT_EQ(state.BookNo, 5);
    EXPECT_EQ(state.GroupNo, 1);
    EXPECT_EQ(state.HanziFilePath, folder() + "/Data/xml/hanzi5.xml");
    EXPECT_EQ(state.CurrentLessonTitle, QStringLiteral("三年级上册→【1 秋天】"));
    EXPECT_EQ(statuses.last(), QStringLiteral("正在学习：三年级上册→【1 秋天】"));
    EXPECT_EQ(state.CurrentWords, (QStringList{"画", "远"}));
    EXPECT_EQ(state.LessonCode, "010201");
    EXPECT_EQ(ReadNodeAttribute(xmlRead, entryXPath("lesson101", "1"), "PinYin1"), " ");
}
