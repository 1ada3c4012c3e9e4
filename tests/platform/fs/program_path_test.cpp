#include "platform/fs/program_path.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace pencora::fs;

class ProgramPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("DATA/Sound");
        QFile f(dir.path() + "/DATA/Sound/xiáng.mp3");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        setProgramFolder(dir.path());
    }
    void TearDown() override { setProgramFolder({}); }
    QTemporaryDir dir;
};

TEST_F(ProgramPathTest, ComponentsMatchIgnoringCaseWithEitherSeparator) {
    const QString expected = dir.path() + "/DATA/Sound/xiáng.mp3";
    EXPECT_EQ(resolveProgramPath(u"Data\\sound\\xiáng.mp3"), expected);
    EXPECT_EQ(resolveProgramPath(u"data/SOUND/XIÁNG.MP3"), expected);
    EXPECT_EQ(resolveProgramPath(u"Data\\\\sound\\.\\xiáng.mp3"), expected);
}

TEST_F(ProgramPathTest, MissingComponentsAreAppendedAsWritten) {
    EXPECT_EQ(resolveProgramPath(u"Data\\xml\\unit.xml"), dir.path() + "/DATA/xml/unit.xml");
}

TEST_F(ProgramPathTest, PathsThatLeaveTheProgramFolderNameNothing) {
    for (const char16_t* hostile : {u"..\\secret", u"Data\\..\\..\\etc\\passwd", u"\\etc\\passwd",
                                    u"/etc/passwd", u"C:\\Windows\\win.ini", u""}) {
        EXPECT_TRUE(resolveProgramPath(hostile).isEmpty())
            << QString::fromUtf16(hostile).toStdString();
    }
    EXPECT_TRUE(resolveProgramPath(QString("Data\\a") + QChar(0) + "b").isEmpty());
}

// The installed `pencora` command is a relative link into the program's own folder; the
// content is found beside the file the links end at, not beside the command.
TEST(RealExecutableFolder, FollowsLinksToTheProgramItself) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath("usr/lib/pencora/Data") && top.mkpath("usr/bin"));
    QFile program(root.path() + "/usr/lib/pencora/pencora");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link("../lib/pencora/pencora", root.path() + "/usr/bin/pencora"));
    ASSERT_TRUE(QFile::link("usr/bin/pencora", root.path() + "/second-link"));
    ASSERT_TRUE(QFile::link("usr/lib", root.path() + "/linked-lib"));

    const QString expected = QFileInfo(root.path() + "/usr/lib/pencora").canonicalFilePath();
    EXPECT_EQ(realExecutableFolder(root.path() + "/usr/bin/pencora"), expected);
    EXPECT_EQ(realExecutableFolder(root.path() + "/second-link"), expected);
    EXPECT_EQ(realExecutableFolder(root.path() + "/linked-lib/pencora/pencora"), expected);
    EXPECT_EQ(realExecutableFolder(root.path() + "/usr/lib/pencora/pencora"), expected);
    // A dangling link or a missing file keeps the folder it was named in.
    ASSERT_TRUE(QFile::link("nowhere/pencora", root.path() + "/usr/bin/broken"));
    EXPECT_EQ(realExecutableFolder(root.path() + "/usr/bin/broken"), root.path() + "/usr/bin");
}

TEST(ContentName, OnlyPlainNamesBuildAPath) {
    EXPECT_EQ(contentPath(u"Data\\sound\\", u"xiáng", u".mp3"), "Data\\sound\\xiáng.mp3");
    EXPECT_EQ(contentPath(u"Data\\sound\\", u"hǎo ", u".mp3"), "Data\\sound\\hǎo .mp3");
    for (const char16_t* bad : {u"..", u".", u"", u"a\\b", u"a/b", u"..\\..\\x", u"C:x"}) {
        EXPECT_TRUE(contentPath(u"Data\\sound\\", bad, u".mp3").isEmpty())
            << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_TRUE(contentPath(u"Data\\sound\\", QString("a") + QChar(0), u".mp3").isEmpty());
}

}  // namespace
