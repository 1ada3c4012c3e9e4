// The committed sample lessons against their own description: every lesson of lessons.json
// has its reading, each sentence's byte range starts on an MPEG audio frame and the ranges
// tile the file, the start times the movies mark sentences by agree with those bytes at the
// reading's constant bit rate, and book.dll names a movie for every lesson.
#include <gtest/gtest.h>

#include <QFile>

#include <string>

#include "lesson_data.h"

namespace lesson_movies {
namespace {

const std::string kRoot = PENCORA_SOURCE_DIR;
constexpr double kBytesPerSecond = 16000 / 8.0;  // 16 kbit/s

QByteArray readAll(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool frameHeaderAt(const QByteArray& mp3, int64_t offset) {
    if (offset + 4 > mp3.size()) {
        return false;
    }
    const auto b0 = static_cast<uint8_t>(mp3[offset]);
    const auto b1 = static_cast<uint8_t>(mp3[offset + 1]);
    return b0 == 0xFF && (b1 & 0xE0) == 0xE0;
}

TEST(SampleLessons, ReadingsMatchTheirSentences) {
    const auto lessons = readLessons(kRoot + "/tools/lesson_texts/lessons.json");
    ASSERT_EQ(lessons.size(), 180u);
    for (const Lesson& l : lessons) {
        SCOPED_TRACE(l.code);
        const QByteArray mp3 =
            readAll(kRoot + "/sample-content/Data/lessonread/" + l.code + ".mp3");
        ASSERT_FALSE(mp3.isEmpty());
        EXPECT_GE(l.sentences.size(), 2u);
        EXPECT_LE(l.sentences.size(), 6u);
        int64_t next = 0;
        for (const Sentence& s : l.sentences) {
            EXPECT_EQ(s.start, next);
            EXPECT_TRUE(frameHeaderAt(mp3, s.start)) << "sentence at byte " << s.start;
            EXPECT_NEAR(s.time * kBytesPerSecond, static_cast<double>(s.start), 1.0);
            next = s.end;
        }
        EXPECT_EQ(next, mp3.size());
        EXPECT_NEAR(l.seconds * kBytesPerSecond, static_cast<double>(mp3.size()), 1.0);
    }
}

TEST(SampleLessons, LibraryNamesEveryLesson) {
    const auto lessons = readLessons(kRoot + "/tools/lesson_texts/lessons.json");
    const QByteArray dll = readAll(kRoot + "/sample-content/Data/lesson/book.dll");
    ASSERT_TRUE(dll.startsWith("MZ"));
    for (const Lesson& l : lessons) {
        // Resource names are stored as UTF-16, upper-cased by the resource compiler.
        const QString name = QString::fromStdString("A" + l.code);
        const QByteArray utf16(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
        EXPECT_TRUE(dll.contains(utf16)) << l.code;
    }
}

}  // namespace
}  // namespace lesson_movies
