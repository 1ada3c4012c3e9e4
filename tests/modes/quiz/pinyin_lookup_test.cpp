#include "modes/quiz/pinyin_lookup.h"
#include "modes/quiz/practice_modes.h"
#include "platform/xml/xml_document.h"

#include <gtest/gtest.h>

using namespace pencora::quiz;

namespace {

class PinyinLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        book.loadFromBytes(R"(<?xml version="1.0" encoding="UTF-8"?>
<hanzi>
  <lesson305 Chinese="画" PinYin1=" huà "/>
  <lesson305 Chinese="远" PinYin1="yuǎn"/>
  <lesson305 Chinese="远" PinYin1="second"/>
  <lesson305 Chinese="山"/>
  <lesson306 Chinese="水" PinYin1="shuǐ"/>
  <lesson1201 Chinese="春" PinYin1="chūn"/>
</hanzi>)",
                           QStringLiteral("hanzi5.xml"));
    }
    pencora::xml::XmlDocument book;
};

}  // namespace

TEST_F(PinyinLookup, FindsTheFirstEntryOfTheLessonAndTrimsIt) {
    EXPECT_EQ(lookupPinyin(book, 3, 5, "画"), "huà");
    EXPECT_EQ(lookupPinyin(book, 3, 5, "远"), "yuǎn");
    EXPECT_EQ(lookupPinyin(book, 12, 1, "春"), "chūn");
}

TEST_F(PinyinLookup, EveryFailureIsAnEmptyChoice) {
    EXPECT_EQ(lookupPinyin(book, 3, 5, "水"), "");    // in another lesson
    EXPECT_EQ(lookupPinyin(book, 3, 5, "山"), "");    // no PinYin1
    EXPECT_EQ(lookupPinyin(book, 3, 5, "a\"b"), "");  // breaks the query
    pencora::xml::XmlDocument empty;
    EXPECT_EQ(lookupPinyin(empty, 3, 5, "画"), "");  // nothing loaded
}

TEST(PracticeModes, CaptionsAndRefusals) {
    EXPECT_EQ(practiceModeForCaption(" 听音认字 "), PracticeMode::Tyrz);
    EXPECT_EQ(practiceModeForCaption(" 看字认音 "), PracticeMode::Kzry);
    EXPECT_EQ(practiceModeForCaption(" 我念你写 "), PracticeMode::Wnnx);
    EXPECT_FALSE(practiceModeForCaption(" 字词速记 ").has_value());
    EXPECT_FALSE(quizOf(PracticeMode::Wnnx).has_value());

    pencora::StudyState state;
    EXPECT_EQ(practiceRefusal(state), kNoLessonText);
    state.CurrentLessonTitle = QStringLiteral("一年级上册→【画】");
    state.CurrentWords = QStringList{"画"};
    EXPECT_EQ(practiceRefusal(state), kTooFewEntriesText);
    EXPECT_EQ(kTooFewEntriesText.count(QChar('\r')), 1);
    EXPECT_FALSE(kTooFewEntriesText.contains(QChar('\n')));
    state.CurrentWords << "远";
    EXPECT_FALSE(practiceRefusal(state).has_value());
}
