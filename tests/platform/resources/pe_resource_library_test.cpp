#include "platform/resources/pe_resource_library.h"
#include "platform/resources/pe_image.h"
#include "platform/resources/pe_resource_directory.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace pencora::resources;

const QString kData = QStringLiteral(PENCORA_SOURCE_DIR "/tests/platform/resources/data/pe/");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::span<const uint8_t> spanOf(const QByteArray& bytes) {
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

class LinkedLibrary : public testing::TestWithParam<const char*> {
  protected:
    QString path() const { return kData + QStringLiteral("lessons_%1.dll").arg(GetParam()); }
};

TEST_P(LinkedLibrary, FindsNamedAndNumberedResourcesIgnoringCase) {
    PeResourceLibrary library;
    ASSERT_TRUE(library.open(path())) << library.error().toStdString();
    EXPECT_EQ(library.resources().size(), 5u);

    const QByteArray movie = fileBytes(kData + "m010101.bin");
    for (auto [type, name] :
         {std::pair{u"Flash", u"a010101"}, {u"FLASH", u"A010101"}, {u"flash", u"a010101"}}) {
        const PeResource* found = library.find(type, name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(library.read(*found), movie);
    }
    ASSERT_NE(library.find(u"#10", u"#7"), nullptr);
    EXPECT_EQ(library.read(*library.find(u"#10", u"#7")), fileBytes(kData + "raw7.bin"));
    ASSERT_NE(library.find(u"#10", u"Movie"), nullptr);
    EXPECT_EQ(library.read(*library.find(u"#10", u"Movie")), fileBytes(kData + "rawnamed.bin"));

    EXPECT_EQ(library.find(u"Flash", u"a999999"), nullptr);
    EXPECT_EQ(library.find(u"Flash", u"a"), nullptr);
    EXPECT_EQ(library.find(u"#10", u"a010101"), nullptr);
}

TEST_P(LinkedLibrary, NeutralLanguageWinsOverOthers) {
    PeResourceLibrary library;
    ASSERT_TRUE(library.open(path()));
    const PeResource* found = library.find(u"flash", u"a020304");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->language, 0);
    EXPECT_EQ(library.read(*found), fileBytes(kData + "m020304_neutral.bin"));
}

TEST_P(LinkedLibrary, HeadersTellTheFormat) {
    const QByteArray bytes = fileBytes(path());
    const PeImageResult headers = readPeImage(spanOf(bytes));
    ASSERT_TRUE(headers.error.isEmpty()) << headers.error.toStdString();
    EXPECT_EQ(headers.image.pe32Plus, QByteArray(GetParam()) == "pe32plus");
    EXPECT_NE(headers.image.resourceRva, 0u);
}

// Every prefix of a good library is either read whole or refused; none is read past its end
// (the sanitizer build checks the reads).
TEST_P(LinkedLibrary, EveryTruncationIsReadSafely) {
    const QByteArray bytes = fileBytes(path());
    int refused = 0;
    for (qsizetype size = 0; size < bytes.size(); ++size) {
        const QByteArray prefix(bytes.constData(), size);
        const PeResourceResult result = readPeResources(spanOf(prefix));
        if (!result.error.isEmpty()) {
            ++refused;
            EXPECT_TRUE(result.resources.empty());
        }
        for (const PeResource& resource : result.resources) {
            EXPECT_LE(resource.offset + resource.size, static_cast<uint64_t>(size));
        }
    }
    EXPECT_GT(refused, 0);
}

INSTANTIATE_TEST_SUITE_P(PeResources, LinkedLibrary, testing::Values("pe32", "pe32plus"));

// The sample course's library, linked by the course generator: a movie for every reading.
TEST(CourseLibrary, EveryLessonReadingHasItsMovie) {
    const QString data = QStringLiteral(PENCORA_SOURCE_DIR "/sample-content/Data/");
    PeResourceLibrary library;
    ASSERT_TRUE(library.open(data + "lesson/book.dll")) << library.error().toStdString();
    const QStringList readings = QDir(data + "lessonread").entryList({"*.mp3"}, QDir::Files);
    ASSERT_FALSE(readings.isEmpty());
    EXPECT_EQ(library.resources().size(), static_cast<size_t>(readings.size()));
    for (const QString& reading : readings) {
        const QString code = QFileInfo(reading).completeBaseName();
        const PeResource* movie = library.find(u"Flash", QString("a" + code));
        ASSERT_NE(movie, nullptr) << code.toStdString();
        const QByteArray bytes = library.read(*movie);
        EXPECT_TRUE(bytes.startsWith("FWS") || bytes.startsWith("CWS")) << code.toStdString();
    }
}

// Each malformed file is refused with an error that names the file and what is wrong.
TEST(MalformedLibrary, EveryKeptInputIsRefused) {
    const QDir folder(kData + "malformed");
    const QStringList names = folder.entryList(QDir::Files);
    ASSERT_GE(names.size(), 15);
    for (const QString& name : names) {
        PeResourceLibrary library;
        EXPECT_FALSE(library.open(folder.filePath(name))) << name.toStdString();
        EXPECT_TRUE(library.error().contains(name)) << library.error().toStdString();
        EXPECT_FALSE(library.isOpen());
        EXPECT_TRUE(library.resources().empty());
    }
}

TEST(MalformedLibrary, ErrorsSayWhatIsWrong) {
    const std::pair<const char*, const char*> expected[] = {
        {"directory_loops_to_root.dll", "loop"},
        {"directory_points_to_itself.dll", "loop"},
        {"type_count_huge.dll", "claims 65536 entries"},
        {"name_count_huge.dll", "claims"},
        {"name_past_end.dll", "name at 0x"},
        {"data_outside_sections.dll", "outside every section"},
        {"data_size_past_section.dll", "outside every section"},
        {"section_data_past_end.dll", "section 2 (.rsrc"},
        {"truncated_in_headers.dll", "past the end"},
        {"pe_offset_past_end.dll", "PE header at 0x7ffffff0"},
        {"language_entry_is_directory.dll", "not a numbered data entry"},
        {"type_entry_is_data.dll", "not to a directory"},
    };
    for (auto [file, phrase] : expected) {
        PeResourceLibrary library;
        EXPECT_FALSE(library.open(kData + "malformed/" + file));
        EXPECT_TRUE(library.error().contains(QLatin1String(phrase)))
            << file << ": " << library.error().toStdString();
    }
}

TEST(MalformedLibrary, MissingEmptyAndForeignFilesAreRefused) {
    QTemporaryDir dir;
    PeResourceLibrary library;
    EXPECT_FALSE(library.open(dir.filePath("book.dll")));
    EXPECT_TRUE(library.error().startsWith("cannot open"));

    for (const QByteArray& content : {QByteArray(), QByteArray("FWS\x06 not a library"),
                                      QByteArray("MZ") + QByteArray(100, '\0')}) {
        QFile file(dir.filePath("other.dll"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_FALSE(library.open(file.fileName()));
        EXPECT_TRUE(library.error().contains("not a PE file") ||
                    library.error().contains("PE signature"))
            << library.error().toStdString();
    }
}

TEST(MalformedLibrary, LibraryWithoutResourceDirectoryIsEmpty) {
    QByteArray bytes = fileBytes(kData + "lessons_pe32.dll");
    const uint32_t pe = static_cast<uint8_t>(bytes[0x3C]) | static_cast<uint8_t>(bytes[0x3D]) << 8;
    bytes[pe + 24 + 92] = 2;  // only the export and import directories remain
    const PeResourceResult result = readPeResources(spanOf(bytes));
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_TRUE(result.resources.empty());
}

TEST(MalformedLibrary, ReopeningForgetsTheOldLibrary) {
    PeResourceLibrary library;
    ASSERT_TRUE(library.open(kData + "lessons_pe32.dll"));
    const PeResource kept = *library.find(u"Flash", u"a010101");
    EXPECT_FALSE(library.open(kData + "malformed/type_count_huge.dll"));
    EXPECT_EQ(library.find(u"Flash", u"a010101"), nullptr);
    EXPECT_TRUE(library.read(kept).isEmpty());
}

}  // namespace
