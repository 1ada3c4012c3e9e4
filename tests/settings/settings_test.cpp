// The settings menu and the skins on a stand-in frame: one ticked, bold look at all times,
// every window repainted at once, and the platform's own look given back whole.
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/fonts.h"
#include "platform/ui/message_service.h"
#include "platform/ui/status_panels.h"
#include "settings/settings_menu.h"
#include "settings/skins.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMenu>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

using namespace pencora::settings;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

void fillBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

// What the menu works on: a window with the toolbar's design sheet and captions, a status bar,
// and the settings button's menu.
struct StandInFrame {
    StandInFrame() {
        window.setFont(pencora::ui::designFont(QStringLiteral("楷体_GB2312"), 20));
        fillBackground(&window, QColor(239, 253, 254));
        auto* column = new QVBoxLayout(&window);
        toolbar = new QToolBar(&window);
        toolbar->setFont(pencora::ui::designFont(QStringLiteral("宋体"), 16));
        toolbar->setStyleSheet(
            QStringLiteral("QToolBar { border: none; background: rgb(205,240,247); }"));
        caption = new QToolButton(toolbar);
        caption->setText(QStringLiteral(" 字词速记 "));
        toolbar->addWidget(caption);
        column->addWidget(toolbar);
        status = new pencora::ui::StatusPanels(
            {{185, Qt::AlignLeft, QString()}, {0, Qt::AlignLeft, QStringLiteral("→")}}, &window);
        column->addWidget(status);
        popset = new QMenu(&window);
        window.resize(906, 475);
        window.show();
    }
    // A dialog, which every skin repaints as it repaints the program's windows.
    QDialog window;
    QToolBar* toolbar = nullptr;
    QToolButton* caption = nullptr;
    pencora::ui::StatusPanels* status = nullptr;
    QMenu* popset = nullptr;
};

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        pencora::testing::ensureApplication();
        frame = std::make_unique<StandInFrame>();
        menu = std::make_unique<SettingsMenu>(
            SettingsFrame{frame->popset, frame->toolbar, frame->status, [this] { ++lookChanges; }});
    }
    void TearDown() override {
        qApp->setStyleSheet(QString());
        menu.reset();
        frame.reset();
    }
    QList<QAction*> skinItems() const { return menu->skinItems(); }
    // The one item that is ticked and bold; fails when there is not exactly one of each.
    QAction* markedItem() const {
        QAction* ticked = nullptr;
        int ticks = 0, bolds = 0;
        for (QAction* item : skinItems()) {
            ticks += item->isChecked();
            bolds += item->font().bold();
            if (item->isChecked() && item->font().bold()) {
                ticked = item;
            }
        }
        EXPECT_EQ(ticks, 1);
        EXPECT_EQ(bolds, 1);
        return ticked;
    }

    pencora::ui::MessageRecorder messages;
    std::unique_ptr<StandInFrame> frame;
    std::unique_ptr<SettingsMenu> menu;
    int lookChanges = 0;
};

}  // namespace

TEST(Skins, EachEmbeddedStyleIsFoundByItsNameIgnoringCase) {
    pencora::testing::ensureApplication();
    QStringList names = embeddedStyleNames();
    names.sort();
    EXPECT_EQ(names,
              (QStringList{"Aqua Graphite", "Carbon", "Iceberg Classico", "Lavender Classico"}));
    for (int number = 1; number <= 4; ++number) {
        const QString name = skinStyleName(number);
        ASSERT_TRUE(findStyle(name.toUpper()).has_value()) << name.toStdString();
        EXPECT_EQ(recordedStyleName(*findStyle(name)), name);
    }
    EXPECT_EQ(skinStyleName(0), QString());
    EXPECT_FALSE(findStyle(QStringLiteral("Mojave")).has_value());
    EXPECT_THROW(skinStyleName(5), SkinError);
}

TEST_F(Settings, StartsWithPromptsOnAndTheDefaultLook) {
    EXPECT_TRUE(menu->N1->isChecked());
    EXPECT_TRUE(menu->voicePromptsOn());
    EXPECT_EQ(markedItem(), menu->N4);
    EXPECT_EQ(menu->N3->title(), QStringLiteral("皮肤设置"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    menu->N1->trigger();
    EXPECT_FALSE(menu->voicePromptsOn());
    menu->N1->trigger();
    EXPECT_TRUE(menu->voicePromptsOn());
}

TEST_F(Settings, EachItemAppliesItsStyleAndAloneIsMarked) {
    struct Row {
        QAction* SettingsMenu::*item;
        const char* style;
    };
    for (const Row& row :
         {Row{&SettingsMenu::N6, "Lavender Classico"}, Row{&SettingsMenu::N41, "Aqua Graphite"},
          Row{&SettingsMenu::N51, "Iceberg Classico"}, Row{&SettingsMenu::N61, "Carbon"},
          Row{&SettingsMenu::N61, "Carbon"}}) {
        QAction* item = menu.get()->*row.item;
        SCOPED_TRACE(item->text().toStdString());
        item->trigger();  // the click toggles the tick before the handler runs
        EXPECT_EQ(markedItem(), item);
        EXPECT_EQ(recordedStyleName(qApp->styleSheet()), QString::fromLatin1(row.style));
        // The toolbar's own design sheet gives way so the skin's colours show.
        EXPECT_TRUE(frame->toolbar->styleSheet().isEmpty());
    }
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(Settings, DefaultLookGivesEveryWindowItsOwnColoursBack) {
    Tfrm_shengzi table(&frame->window);
    table.show();
    QDialog wordList;  // another window
    fillBackground(&wordList, QColor(163, 193, 235));
    wordList.show();
    const QString toolbarSheet = frame->toolbar->styleSheet();
    const QColor window = frame->window.palette().color(QPalette::Window);
    const QColor cells = table.GridChar->palette().color(QPalette::Base);
    const QColor units = table.pnlmain->palette().color(QPalette::Window);
    const QColor list = wordList.palette().color(QPalette::Window);
    const QFont caption = frame->caption->font();
    const QFont status = frame->status->panel(1)->font();

    menu->N51->trigger();
    EXPECT_EQ(lookChanges, 1);  // the frame hid its animations first
    EXPECT_NE(frame->window.palette().color(QPalette::Window), window);
    EXPECT_NE(table.GridChar->palette().color(QPalette::Base), cells);
    EXPECT_NE(table.pnlmain->palette().color(QPalette::Window), units);
    EXPECT_NE(wordList.palette().color(QPalette::Window), list);

    menu->N4->trigger();
    EXPECT_EQ(markedItem(), menu->N4);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_EQ(frame->toolbar->styleSheet(), toolbarSheet);
    EXPECT_EQ(frame->window.palette().color(QPalette::Window), window);
    EXPECT_EQ(table.GridChar->palette().color(QPalette::Base), cells);
    EXPECT_EQ(table.pnlmain->palette().color(QPalette::Window), units);
    EXPECT_EQ(wordList.palette().color(QPalette::Window), list);
    // Fonts too: once a styled parent's sheet is set again Qt stops passing its font on.
    EXPECT_EQ(frame->caption->font(), caption);
    EXPECT_EQ(frame->status->panel(1)->font(), status);
}

TEST_F(Settings, ALookThatCannotBeAppliedIsReportedAndChangesNoMark) {
    menu->N41->trigger();
    const QString sheet = qApp->styleSheet();
    menu->N61->setProperty("Hint", "9");  // names no skin
    menu->N61->trigger();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, pencora::ui::MessageIcon::Error);
    EXPECT_EQ(markedItem(), menu->N41);
    EXPECT_EQ(qApp->styleSheet(), sheet);
}

TEST_F(Settings, WebSiteButtonOpensTheHomePage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    openHomePage();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QString::fromLatin1(kHomePage))});
}

// The width of what a button draws in ink unlike its background (read at its corner).
static int inkWidth(QWidget* widget) {
    QApplication::processEvents();
    const QImage image = widget->grab().toImage();
    const QColor ground = image.pixelColor(1, image.height() - 2);
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - ground.red()) + std::abs(c.green() - ground.green()) +
                    std::abs(c.blue() - ground.blue()) >
                150) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < left ? 0 : right - left + 1;
}

TEST_F(Settings, ToolbarCaptionsKeepTheirSizeInEveryLook) {
    const int design = inkWidth(frame->caption);
    ASSERT_GE(design, 4 * 14) << "four characters of 16 pixels";
    for (QAction* look : {menu->N51, menu->N4}) {
        SCOPED_TRACE(look->text().toStdString());
        // Some platforms hand a child below a styled parent the application's font when a
        // sheet comes or goes; the caption must come back at its design size all the same.
        frame->caption->setFont(QApplication::font());
        look->trigger();
        EXPECT_GE(inkWidth(frame->caption), design - 2);
    }
}

#include "settings_test.moc"
