// The settings menu and the skins: one ticked, bold look at all times, every window
// repainted at once, and the platform's own look given back whole.
#include "main_window_fixture.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "modes/flashcards/flashcard_panel.h"
#include "modes/tables/book_menu.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/ui/status_panels.h"
#include "settings/settings_menu.h"
#include "settings/skins.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace pencora::settings;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

class Settings : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        pencora::flashcards::install(*frm);
        pencora::tables::install(*frm);
        install(*frm);
        showWindow();
        write("Data/xml/hanzi1.xml", R"(<hanzi><lesson201 Chinese="一" PinYin1="yī"/></hanzi>)");
    }
    void TearDown() override {
        qApp->setStyleSheet(QString());
        MainWindowFixture::TearDown();
    }
    QList<QAction*> skinItems() const { return {frm->N4, frm->N6, frm->N41, frm->N51, frm->N61}; }
    // The one item that is ticked and bold; fails when there is not exactly one of each.
    QAction* markedItem() const {
        QAction* ticked = nullptr;
        int ticks = 0, bolds = 0;
        for (QAction* item : skinItems()) {
            ticks += item->isChecked();
            bolds += item->font().bold();
            if (item->isChecked() && item->font().bold())
                ticked = item;
        }
        EXPECT_EQ(ticks, 1);
        EXPECT_EQ(bolds, 1);
        return ticked;
    }
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
    EXPECT_TRUE(frm->N1->isChecked());
    EXPECT_TRUE(frm->voicePromptsOn());
    EXPECT_EQ(markedItem(), frm->N4);
    EXPECT_EQ(frm->N3->title(), QStringLiteral("皮肤设置"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    frm->N1->trigger();
    EXPECT_FALSE(frm->voicePromptsOn());
    frm->N1->trigger();
    EXPECT_TRUE(frm->voicePromptsOn());
}

TEST_F(Settings, EachItemAppliesItsStyleAndAloneIsMarked) {
    struct Row {
        QAction* Tfrm_Main::*item;
        const char* style;
    };
    for (const Row& row :
         {Row{&Tfrm_Main::N6, "Lavender Classico"}, Row{&Tfrm_Main::N41, "Aqua Graphite"},
          Row{&Tfrm_Main::N51, "Iceberg Classico"}, Row{&Tfrm_Main::N61, "Carbon"},
          Row{&Tfrm_Main::N61, "Carbon"}}) {
        QAction* item = frm.get()->*row.item;
        SCOPED_TRACE(item->text().toStdString());
        item->trigger();  // the click toggles the tick before the handler runs
        EXPECT_EQ(markedItem(), item);
        EXPECT_EQ(recordedStyleName(qApp->styleSheet()), QString::fromLatin1(row.style));
        // The toolbar's own design sheet gives way so the skin's colours show.
        EXPECT_TRUE(frm->TOBzhuanti->styleSheet().isEmpty());
    }
    EXPECT_TRUE(messages->messages().empty());
}

TEST_F(Settings, DefaultLookGivesEveryWindowItsOwnColoursBack) {
    frm->MenuItems[0]->trigger();
    Tfrm_shengzi& table = *frm->frm_shengzi;
    const QString toolbarSheet = frm->TOBzhuanti->styleSheet();
    const QColor window = frm->palette().color(QPalette::Window);
    const QColor cells = table.GridChar->palette().color(QPalette::Base);
    const QColor units = table.pnlmain->palette().color(QPalette::Window);
    const QFont caption = frm->tb_zcsj->font();
    const QFont status = frm->sb_state->panel(1)->font();
    Tfrm_wnnx_list wordList;
    wordList.show();
    const QColor list = wordList.palette().color(QPalette::Window);

    frm->N51->trigger();
    EXPECT_NE(frm->palette().color(QPalette::Window), window);
    EXPECT_NE(table.GridChar->palette().color(QPalette::Base), cells);
    EXPECT_NE(table.pnlmain->palette().color(QPalette::Window), units);
    EXPECT_NE(wordList.palette().color(QPalette::Window), list);

    frm->N4->trigger();
    EXPECT_EQ(markedItem(), frm->N4);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_EQ(frm->TOBzhuanti->styleSheet(), toolbarSheet);
    EXPECT_EQ(frm->palette().color(QPalette::Window), window);
    EXPECT_EQ(table.GridChar->palette().color(QPalette::Base), cells);
    EXPECT_EQ(table.pnlmain->palette().color(QPalette::Window), units);
    EXPECT_EQ(wordList.palette().color(QPalette::Window), list);
    // Fonts too: once a styled parent's sheet is set again Qt stops passing its font on.
    EXPECT_EQ(frm->tb_zcsj->font(), caption);
    EXPECT_EQ(frm->sb_state->panel(1)->font(), status);
}

TEST_F(Settings, ALookThatCannotBeAppliedIsReportedAndChangesNoMark) {
    frm->N41->trigger();
    const QString sheet = qApp->styleSheet();
    frm->N61->setProperty("Hint", "9");  // names no skin
    frm->N61->trigger();
    ASSERT_EQ(messages->messages().size(), 1u);
    EXPECT_EQ(messages->messages()[0].icon, pencora::ui::MessageIcon::Error);
    EXPECT_EQ(markedItem(), frm->N41);
    EXPECT_EQ(qApp->styleSheet(), sheet);
}

TEST_F(Settings, WebSiteButtonOpensTheHomePage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    frm->ToolButton1Click(frm->ToolButton1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QString::fromLatin1(kHomePage))});
}

#include "settings_test.moc"
