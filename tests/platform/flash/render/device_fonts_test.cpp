// Which installed face a movie's device font name is shown with, against made-up lists of
// installed families (so the answers do not depend on this machine), and once against the
// machine's own font database.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>

#include "platform/flash/render/device_fonts.h"

namespace pencora::swf::render {
namespace {

const QStringList kDebian = {"DejaVu Sans",      "DejaVu Serif",      "DejaVu Sans Mono",
                             "Noto Sans",        "Noto Serif",        "Noto Sans Mono",
                             "Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UKai CN",
                             "AR PL UMing CN",   "WenQuanYi Zen Hei"};

TEST(DeviceFace, GenericNamesTakeTheNotoFamilies) {
    EXPECT_EQ(deviceFace("_sans", kDebian), "Noto Sans");
    EXPECT_EQ(deviceFace("_serif", kDebian), "Noto Serif");
    EXPECT_EQ(deviceFace("_typewriter", kDebian), "Noto Sans Mono");
    // A machine without Noto keeps the generic faces apart with DejaVu.
    const QStringList dejaVu = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};
    EXPECT_EQ(deviceFace("_serif", dejaVu), "DejaVu Serif");
    EXPECT_EQ(deviceFace("_typewriter", dejaVu), "DejaVu Sans Mono");
    // Even when a face of that very name is installed, a generic name goes through the table.
    EXPECT_EQ(deviceFace("_sans", QStringList{"_sans", "Noto Sans"}), "Noto Sans");
}

TEST(DeviceFace, ChineseNamesAndTheirAliasesTakeTheMatchingStyle) {
    for (const char* song : {"宋体", "新宋体", "SimSun", "NSimSun", "simsun"}) {
        EXPECT_EQ(deviceFace(QString::fromUtf8(song), kDebian), "AR PL UMing CN") << song;
    }
    for (const char* hei : {"黑体", "SimHei", "Microsoft YaHei", "微软雅黑"}) {
        EXPECT_EQ(deviceFace(QString::fromUtf8(hei), kDebian), "Noto Sans CJK SC") << hei;
    }
    for (const char* kai : {"楷体", "楷体_GB2312", "KaiTi", "KaiTi_GB2312"}) {
        EXPECT_EQ(deviceFace(QString::fromUtf8(kai), kDebian), "AR PL UKai CN") << kai;
    }
    for (const char* fang : {"仿宋", "仿宋_GB2312", "FangSong", "FangSong_GB2312"}) {
        EXPECT_EQ(deviceFace(QString::fromUtf8(fang), kDebian), "Noto Serif CJK SC") << fang;
    }
}

TEST(DeviceFace, MissingCandidatesFallThroughInOrder) {
    // Without the Ming face, 宋体 takes the next Song-style face, then any CJK face.
    EXPECT_EQ(deviceFace("宋体", QStringList{"Noto Serif CJK SC", "Noto Sans CJK SC"}),
              "Noto Serif CJK SC");
    EXPECT_EQ(deviceFace("宋体", QStringList{"Noto Sans", "WenQuanYi Zen Hei"}),
              "WenQuanYi Zen Hei");
    // Without the Kai face, 楷体 still gets a CJK face, never a Latin one.
    EXPECT_EQ(deviceFace("楷体", QStringList{"Noto Sans", "AR PL UMing CN"}), "AR PL UMing CN");
    // Nothing that could show it: empty, and the caller keeps the name.
    EXPECT_EQ(deviceFace("黑体", QStringList{"Some Font"}), QString());
}

TEST(DeviceFace, OtherNamesAreUsedWhenInstalledElseTheirScriptsDefault) {
    EXPECT_EQ(deviceFace("dejavu serif", kDebian), "DejaVu Serif") << "installed, any case";
    EXPECT_EQ(deviceFace("Verdana", kDebian), "Noto Sans");
    EXPECT_EQ(deviceFace("", kDebian), "Noto Sans");
    EXPECT_EQ(deviceFace("方正姚体", kDebian), "Noto Sans CJK SC");
    // Windows faces go to their look-alikes where these are installed.
    const QStringList urw = {"Nimbus Roman", "Nimbus Sans", "Nimbus Mono PS", "Noto Sans"};
    EXPECT_EQ(deviceFace("Times New Roman", urw), "Nimbus Roman");
    EXPECT_EQ(deviceFace("Arial", urw), "Nimbus Sans");
    EXPECT_EQ(deviceFace("Courier New", urw), "Nimbus Mono PS");
    EXPECT_EQ(deviceFace("Times New Roman", kDebian), "Noto Serif");
}

TEST(DeviceFace, ThisMachinesFontDatabase) {
    ASSERT_NE(qobject_cast<QGuiApplication*>(QCoreApplication::instance()), nullptr);
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains("Noto Sans") || !installed.contains("AR PL UKai CN")) {
        GTEST_SKIP() << "fonts-noto-core or fonts-arphic-ukai not installed";
    }
    EXPECT_EQ(deviceFace("_sans"), "Noto Sans");
    EXPECT_EQ(deviceFace("楷体_GB2312"), "AR PL UKai CN");
    // Every face the table answers with is one Qt lists.
    for (const char* n : {"_serif", "_typewriter", "宋体", "黑体", "仿宋", "SimSun", "Foo"}) {
        EXPECT_TRUE(installed.contains(deviceFace(QString::fromUtf8(n)))) << n;
    }
}

}  // namespace
}  // namespace pencora::swf::render
