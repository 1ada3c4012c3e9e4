#include "modes/quiz/pinyin_lookup.h"
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
