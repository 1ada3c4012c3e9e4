// The program's icon as the windows and the desktop get it: a drawing made for each hicolor
// size (not one drawing scaled), a tile with transparent rounded corners, and the main window
// carrying it.
#include "app/program_icon.h"
#include "app/tfrm_main.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

int argc = 1;
char arg0[] = "program_icon_test";
char* argv[] = {arg0, nullptr};

TEST(ProgramIcon, EveryThemeSizeIsADrawingOfItsOwn) {
    QApplication app(argc, argv);
    const QIcon icon = pencora::app::programIcon();
    const QList<QSize> offered = icon.availableSizes();
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(offered.contains(QSize(size, size)));
        const QImage image = QImage(QStringLiteral(":/images/icon/%1.png").arg(size));
        ASSERT_EQ(image.size(), QSize(size, size));
        ASSERT_TRUE(image.hasAlphaChannel());
        // Rounded corners are see-through; the middle is the opaque tile.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }

    Tfrm_Main frm;
    EXPECT_EQ(frm.windowIcon().availableSizes(), offered);
}

}  // namespace
