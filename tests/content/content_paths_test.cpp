#include "content/content_paths.h"
#include "content/book_group_table.h"
#include "content/integer_text.h"
#include "content_test_support.h"

using namespace pencora::content;

TEST(LessonNaming, KeysCodesAndGroupNumbers) {
    struct Row {
        int book, groupPosition, lesson;
        const char* key;
        const char* code;
    };
    const Row rows[] = {
        {1, 0, 1, "lesson201", "010201"},  // book 1's first group is the file's group 2
        {2, 0, 1, "lesson101", "020101"},  {2, 1, 1, "lesson201", "020201"},
        {3, 2, 10, "lesson310", "030310"},  // tenth lesson: the key ends in 10
        {12, 5, 3, "lesson603", "120603"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        const int group = groupNumber(row.book, row.groupPosition);
        EXPECT_EQ(lessonKey(group, row.lesson), QString::fromLatin1(row.key));
        EXPECT_EQ(lessonCode(row.book, group, row.lesson), QString::fromLatin1(row.code));
    }
    EXPECT_EQ(lessonMovieName(u"030105"), "a030105");
}

// A name read from content can never point outside the content folder.
TEST(ContentPaths, HostileNamesNameNoFile) {
    const QString hostile[] = {"..",   "../../etc/passwd", "..\\..\\x", "a/b",
                               "a\\b", "/etc/passwd",      "C:x",       QString(QChar(0)) + "a",
                               ""};
    for (const QString& name : hostile) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(pronunciationRelativePath(name).isEmpty());
        EXPECT_TRUE(lessonReadingRelativePath(name).isEmpty());
        EXPECT_TRUE(promptRelativePath(name).isEmpty());
        EXPECT_TRUE(contentFile(pronunciationRelativePath(name)).isEmpty());
    }
    // Spaces and tone marks are ordinary characters of a pinyin.
    EXPECT_EQ(pronunciationRelativePath(u" xiáng "), QStringLiteral("Data\\sound\\ xiáng .mp3"));
}

class ContentFolder : public ProgramFolderFixture {};

TEST_F(ContentFolder, DataAndDATANameOneFolder) {
    const QString written = write("Data/sound/lǜ.mp3", "x");
    write("Data/xml/unit.xml", "<a/>");
    EXPECT_EQ(contentFile(pronunciationRelativePath(u"lǜ")), written);
    EXPECT_EQ(contentFile(u"DATA\\SOUND\\lǜ.mp3"), written);
    EXPECT_EQ(contentFile(catalogueRelativePath()), folder() + "/Data/xml/unit.xml");
    EXPECT_EQ(contentFile(lessonReadingRelativePath(u"010201")),
              folder() + "/Data/lessonread/010201.mp3");
}

TEST(BookGroupTable, BooksAndTheirGroups) {
    const QStringList book9 = BookGroupTable("9");
    ASSERT_EQ(book9.size(), 8);
    EXPECT_EQ(book9[0], QStringLiteral("五年级上册"));
    EXPECT_EQ(book9[5], QStringLiteral("第六组"));  // book 9 has no 第五组
    EXPECT_EQ(BookGroupTable("1").size(), 7);
    EXPECT_EQ(BookGroupTable("1")[1], QStringLiteral("识字（一）"));
    EXPECT_EQ(BookGroupTable("10").size(), 8);
    EXPECT_FALSE(BookGroupTable("10").contains(QStringLiteral("第六组")));
    EXPECT_EQ(BookGroupTable("12").size(), 7);
    EXPECT_EQ(BookGroupTable("12").last(), QStringLiteral("古诗词背诵"));
    for (int book = 1; book <= 12; ++book) {
        for (const QString& item : BookGroupTable(QString::number(book))) {
            EXPECT_FALSE(item.isEmpty() || item.contains(u' ')) << book;
        }
    }
    EXPECT_TRUE(BookGroupTable("13").isEmpty());
    EXPECT_TRUE(BookGroupTable("0").isEmpty());
    EXPECT_TRUE(BookGroupTable("-1").isEmpty());
    EXPECT_THROW(BookGroupTable("x"), IntegerTextError);
    EXPECT_THROW(BookGroupTable(""), IntegerTextError);
}

TEST(IntegerText, AcceptsWhatTheCourseWrites) {
    EXPECT_EQ(parseInteger("2"), 2);
    EXPECT_EQ(parseInteger(" 2"), 2);
    EXPECT_EQ(parseInteger("-1"), -1);
    EXPECT_EQ(parseInteger("2 "), std::nullopt);
    EXPECT_EQ(parseInteger(""), std::nullopt);
    EXPECT_EQ(parseInteger("1.5"), std::nullopt);
    EXPECT_EQ(parseInteger("99999999999"), std::nullopt);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
}
