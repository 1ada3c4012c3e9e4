// The character tables: the book menu, the table window's unit list, grid and count line.
#include "modes/tables/shengzi_layout.h"
#include "modes/tables/tables_mode.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/ui/status_panels.h"
#include "support/mode_test.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>

using namespace pencora::tables;

namespace {

class CharacterTables : public pencora::testing::ModeTest {
  protected:
    void SetUp() override {
        ModeTest::SetUp();
        tables = std::make_unique<TablesMode>(context, &popshengzi);
        showFrame(768, 480);
        // Book 1: its first unit is group 2 of the file; lesson1 entries belong to no unit
        // shown and lesson20 is part of group 2 only by the naming rules.
        write("Data/xml/hanzi1.xml", R"(<hanzi>
            <lesson201 Chinese="一" PinYin1="yī"/><lesson201 Chinese="去" PinYin1="qù"/>
            <lesson202 Chinese="口" PinYin1="kǒu"/><lesson301 Chinese="天" PinYin1="tiān"/>
            <lesson401 Chinese="地" PinYin1="dì"/><word201 Chinese="X" PinYin1=""/></hanzi>)");
        write("Data/xml/hanzi3.xml", R"(<hanzi><lesson101 Chinese="秋" PinYin1="qiū"/>
            <lesson102 Chinese="气" PinYin1="qì"/><lesson201 Chinese="场" PinYin1="chǎng"/></hanzi>)");
    }
    QMenu popshengzi;
    std::unique_ptr<TablesMode> tables;
    QWidget& mainWindow() { return *context.frameWindow(); }

    Tfrm_shengzi& openBook(int book) {
        tables->MenuItems[book - 1]->trigger();
        EXPECT_NE(tables->frm_shengzi, nullptr);
        return *tables->frm_shengzi;
    }
    void chooseUnit(Tfrm_shengzi& table, int item) { table.Rb_danyuanItems->button(item)->click(); }
    static QStringList cells(const Tfrm_shengzi& table) {
        QStringList out;
        for (int r = 0; r < table.GridChar->rowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                if (!table.cellText(c, r).isEmpty()) {
                    out << table.cellText(c, r);
                }
            }
        }
        return out;
    }
};

}  // namespace

TEST(ShengziLayout, KeysCellsAndWidths) {
    EXPECT_EQ(unitKey("1", 0), "lesson");
    EXPECT_EQ(unitKey("1", 1), "lesson2");  // book 1 counts its groups from 2
    EXPECT_EQ(unitKey("1", 6), "lesson7");
    EXPECT_EQ(unitKey("3", 1), "lesson1");
    EXPECT_EQ(unitKey("12", 6), "lesson6");
    EXPECT_EQ(unitListWidth(768), 190);
    EXPECT_EQ(unitListWidth(1018), 240);
    EXPECT_EQ(unitListWidth(772), 190);
    EXPECT_EQ(rowCount(0), 1);
    EXPECT_EQ(rowCount(10), 1);
    EXPECT_EQ(rowCount(95), 10);
    EXPECT_EQ(cellSize(578), 53);
    EXPECT_EQ(fontPointsOnShow(53), 26);
    EXPECT_EQ(fontPointsOnResize(53), 29);
}

TEST_F(CharacterTables, BookMenuHasTwelveBooksWithTheirImages) {
    ASSERT_EQ(tables->MenuItems.size(), 12);
    EXPECT_EQ(tables->MenuItems[0]->text(), QStringLiteral("一年级上册生字表"));
    EXPECT_EQ(tables->MenuItems[11]->text(), QStringLiteral("六年级下册生字表"));
    EXPECT_EQ(tables->MenuItems[9]->property("Hint").toString(), "10");
    EXPECT_EQ(tables->MenuItems[9]->objectName(), "MenuItem10");
    EXPECT_EQ(tables->ImageList_Popup.size(), 12);
    EXPECT_FALSE(tables->MenuItems[5]->icon().pixmap(28, 28).isNull());
    EXPECT_EQ(tables->frm_shengzi, nullptr);  // created on first use
}

TEST_F(CharacterTables, WholeBookThenOneUnit) {
    Tfrm_shengzi& table = openBook(1);
    EXPECT_TRUE(table.isVisible());
    EXPECT_EQ(table.windowTitle(), QStringLiteral("生字表"));
    ASSERT_EQ(table.Rb_danyuanItems->buttons().size(), 7);
    EXPECT_EQ(table.Rb_danyuanItems->button(0)->text(), QStringLiteral("一年级上册"));
    EXPECT_EQ(table.Rb_danyuanItems->button(1)->text(), QStringLiteral("识字（一）"));
    EXPECT_EQ(table.unitIndex(), 0);
    EXPECT_EQ(cells(table), (QStringList{"一", "去", "口", "天", "地"}));
    EXPECT_EQ(table.sb_state->panelText(0), QStringLiteral("当前所选的内容中，共有生字数为：5 个"));

    chooseUnit(table, 1);
    EXPECT_EQ(cells(table), (QStringList{"一", "去", "口"}));
    EXPECT_EQ(table.sb_state->panelText(0), QStringLiteral("当前所选的内容中，共有生字数为：3 个"));
    EXPECT_EQ(table.GridChar->currentRow(), 0);
    EXPECT_EQ(table.GridChar->currentColumn(), 0);

    chooseUnit(table, 6);  // a unit without characters
    EXPECT_EQ(cells(table), QStringList());
    EXPECT_EQ(table.GridChar->rowCount(), 1);
    EXPECT_EQ(table.sb_state->panelText(0), QStringLiteral("当前所选的内容中，共有生字数为：0 个"));
}

TEST_F(CharacterTables, ASecondBookReplacesTheFirst) {
    Tfrm_shengzi& first = openBook(1);
    chooseUnit(first, 1);
    Tfrm_shengzi& table = openBook(3);
    EXPECT_EQ(&table, &first);  // one window, kept
    EXPECT_EQ(table.Rb_danyuanItems->buttons().size(), 9);
    EXPECT_EQ(table.Rb_danyuanItems->button(0)->text(), QStringLiteral("二年级上册"));
    EXPECT_EQ(table.unitIndex(), 0);
    EXPECT_EQ(cells(table), (QStringList{"秋", "气", "场"}));
    chooseUnit(table, 1);  // other books count their groups from 1
    EXPECT_EQ(cells(table), (QStringList{"秋", "气"}));
}

TEST_F(CharacterTables, NinetyFiveCharactersFillTenRows) {
    QString entries;
    for (int i = 0; i < 95; ++i) {
        entries += QStringLiteral(R"(<lesson101 Chinese="%1"/>)").arg(QChar(0x4E00 + i));
    }
    write("Data/xml/hanzi5.xml", "<hanzi>" + entries + "</hanzi>");
    Tfrm_shengzi& table = openBook(5);
    EXPECT_EQ(table.GridChar->rowCount(), 10);
    EXPECT_EQ(table.cellText(4, 9), QString(QChar(0x4E00 + 94)));
    EXPECT_EQ(table.cellText(5, 9), QString());
    EXPECT_EQ(table.cellText(0, 1), QString(QChar(0x4E00 + 10)));
    EXPECT_TRUE(table.sb_state->panelText(0).endsWith(QStringLiteral("95 个")));
}

TEST_F(CharacterTables, CellsAndUnitListFollowTheWindowWidth) {
    Tfrm_shengzi& table = openBook(1);
    table.resize(768, 480);
    table.FormResize(&table);
    EXPECT_EQ(table.pnlmain->width(), 190);
    const int narrow = table.GridChar->columnWidth(0);
    EXPECT_EQ(narrow, cellSize(table.GridChar->width()));
    EXPECT_EQ(table.GridChar->rowHeight(0), narrow);
    EXPECT_EQ(table.GridChar->font().pointSize(), fontPointsOnResize(narrow));

    table.resize(1018, 480);
    table.FormResize(&table);
    EXPECT_EQ(table.pnlmain->width(), 240);
    EXPECT_GT(table.GridChar->columnWidth(0), narrow);
    EXPECT_EQ(table.GridChar->columnWidth(0), cellSize(table.GridChar->width()));

    // A book shown again uses half the cell.
    openBook(1);
    EXPECT_EQ(table.GridChar->font().pointSize(), fontPointsOnShow(table.GridChar->columnWidth(0)));
}

TEST_F(CharacterTables, ChoosingABookStopsTheFlashcardsAndTheNextQuestionButNotDictation) {
    using pencora::modes::Activity;
    openBook(1);
    EXPECT_TRUE(context.wasStopped(Activity::Flashcards));
    EXPECT_TRUE(context.wasStopped(Activity::NextQuestion));
    EXPECT_FALSE(context.wasStopped(Activity::Dictation));
    EXPECT_FALSE(context.wasStopped(Activity::LessonReading));
}

TEST_F(CharacterTables, ClosingHidesTheTableAndShowsTheMainWindow) {
    Tfrm_shengzi& table = openBook(1);
    mainWindow().hide();
    table.close();
    EXPECT_FALSE(table.isVisible());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_EQ(tables->frm_shengzi, &table);
}

TEST_F(CharacterTables, AnUnreadableBookIsReportedAndListsNothing) {
    Tfrm_shengzi& table = openBook(1);
    const QString countLine = table.sb_state->panelText(0);
    messages->clear();
    openBook(7);  // no hanzi7.xml
    ASSERT_EQ(messages->messages().size(), 1u);
    EXPECT_EQ(messages->messages()[0].icon, pencora::ui::MessageIcon::Error);
    EXPECT_EQ(cells(table), QStringList());
    EXPECT_EQ(table.sb_state->panelText(0), countLine);
}
