// The character-table window beyond the common path: the twelve book items as the menu
// carries them, the window's design, entries named loosely or without a character, the
// units of a book whose group captions skip a number, and the table's independence from
// the lesson picked in the tree.
#include "modes/tables/shengzi_layout.h"
#include "modes/tables/tables_mode.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/ui/status_panels.h"
#include "support/mode_test.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>

using namespace pencora::tables;

namespace {

const QString kCount = QStringLiteral("当前所选的内容中，共有生字数为：");

class TableWindow : public pencora::testing::ModeTest {
  protected:
    void SetUp() override {
        ModeTest::SetUp();
        tables = std::make_unique<TablesMode>(context, &popshengzi);
        showFrame(1000, 600);
    }
    QMenu popshengzi;
    std::unique_ptr<TablesMode> tables;
    QWidget& mainWindow() { return *context.frameWindow(); }

    Tfrm_shengzi& openBook(int book) {
        tables->MenuItems[book - 1]->trigger();
        EXPECT_NE(tables->frm_shengzi, nullptr);
        return *tables->frm_shengzi;
    }
    static void chooseUnit(Tfrm_shengzi& table, int item) {
        table.Rb_danyuanItems->button(item)->click();
    }
    // Every cell in reading order, empty ones included, up to the last filled one.
    static QStringList cells(const Tfrm_shengzi& table) {
        QStringList out;
        for (int r = 0; r < table.GridChar->rowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                out << table.cellText(c, r);
            }
        }
        while (!out.isEmpty() && out.last().isEmpty()) {
            out.removeLast();
        }
        return out;
    }
};

}  // namespace

TEST_F(TableWindow, TheBookMenuCarriesEachBooksNumberInTagAndHint) {
    const char16_t* captions[] = {u"一年级上册生字表", u"一年级下册生字表", u"二年级上册生字表",
                                  u"二年级下册生字表", u"三年级上册生字表", u"三年级下册生字表",
                                  u"四年级上册生字表", u"四年级下册生字表", u"五年级上册生字表",
                                  u"五年级下册生字表", u"六年级上册生字表", u"六年级下册生字表"};
    ASSERT_EQ(popshengzi.actions().size(), 12);
    for (int book = 1; book <= 12; ++book) {
        QAction* item = popshengzi.actions()[book - 1];
        EXPECT_EQ(item, tables->MenuItems[book - 1]);
        EXPECT_EQ(item->text(), QString::fromUtf16(captions[book - 1])) << book;
        EXPECT_EQ(item->data().toInt(), book);
        EXPECT_EQ(item->property("Hint").toString(), QString::number(book));
        EXPECT_EQ(item->icon().availableSizes().value(0, QSize(28, 28)), QSize(28, 28));
    }
    // The grades differ in their images, the two terms of one grade too.
    const QImage first = tables->MenuItems[0]->icon().pixmap(28, 28).toImage();
    EXPECT_NE(first, tables->MenuItems[1]->icon().pixmap(28, 28).toImage());
    EXPECT_NE(first, tables->MenuItems[2]->icon().pixmap(28, 28).toImage());
}

TEST_F(TableWindow, TheWindowIsBuiltAsDesignedAtTheMainWindowsSize) {
    write("Data/xml/hanzi2.xml", R"(<hanzi><lesson101 Chinese="春"/></hanzi>)");
    Tfrm_shengzi& table = openBook(2);
    EXPECT_TRUE(table.isWindow());
    EXPECT_EQ(table.windowTitle(), QStringLiteral("生字表"));
    EXPECT_EQ(table.minimumSize(), QSize(768, 480));
    EXPECT_EQ(table.size(), mainWindow().size());  // made with the main window's width and height
    EXPECT_EQ(table.pnlmain->width(), unitListWidth(1000));
    EXPECT_EQ(table.pnlmain->width(), 236);
    EXPECT_FALSE(table.testAttribute(Qt::WA_QuitOnClose));

    QTableWidget* grid = table.GridChar;
    EXPECT_EQ(grid->columnCount(), 10);
    EXPECT_FALSE(grid->horizontalHeader()->isVisible());
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->focusPolicy() & Qt::TabFocus);  // the Tab key passes it by
    EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    ASSERT_NE(grid->item(0, 0), nullptr);
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(grid->item(0, 0)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(table.sb_state->panelCount(), 1);
    EXPECT_TRUE(table.Rb_danyuan->isEnabled());
    // Square cells, ten of them across the grid.
    EXPECT_EQ(grid->columnWidth(0), grid->rowHeight(0));
    EXPECT_EQ(grid->columnWidth(9), cellSize(grid->width()));
}

TEST_F(TableWindow, EntriesAreListedByNamesContainingTheKeyAndWithoutACharacterTheCellIsEmpty) {
    write("Data/xml/hanzi1.xml", R"(<hanzi>
        <lesson201 Chinese="一"/><xlesson201y Chinese="二"/><lesson201 PinYin1="sān"/>
        <lesso201 Chinese="不"/><word Chinese="不"/><lesson202 Chinese="四"/>
        <lesson20 Chinese="五"/><lesson301 Chinese="六"/><lesson201 Chinese=""/>
        <lesson301 Chinese="七"/><lesson301 Chinese="八"/><lesson301 Chinese="九"/></hanzi>)");
    Tfrm_shengzi& table = openBook(1);
    // The whole book: every name holding "lesson", the entry without a character counted.
    EXPECT_EQ(cells(table), (QStringList{"一", "二", "", "四", "五", "六", "", "七", "八", "九"}));
    EXPECT_EQ(table.sb_state->panelText(0), kCount + QStringLiteral("10 个"));
    EXPECT_EQ(table.GridChar->rowCount(), 1);

    chooseUnit(table, 1);  // "lesson2" of the file
    EXPECT_EQ(cells(table), (QStringList{"一", "二", "", "四", "五"}));
    EXPECT_EQ(table.sb_state->panelText(0), kCount + QStringLiteral("6 个"));
    chooseUnit(table, 2);  // "lesson3"
    EXPECT_EQ(cells(table), (QStringList{"六", "七", "八", "九"}));

    // Eleven entries need a second row, holding the eleventh alone.
    write("Data/xml/hanzi1.xml", "<hanzi>" +
                                     QStringLiteral(R"(<lesson201 Chinese="字"/>)").repeated(10) +
                                     R"(<lesson301 Chinese="末"/></hanzi>)");
    openBook(1);
    EXPECT_EQ(table.GridChar->rowCount(), 2);
    EXPECT_EQ(table.cellText(0, 1), QStringLiteral("末"));
    EXPECT_EQ(table.cellText(1, 1), QString());
    EXPECT_EQ(table.GridChar->rowHeight(1), table.GridChar->columnWidth(0));
}

TEST_F(TableWindow, UnitsAreCountedByPositionEvenWhereTheirCaptionsSkipANumber) {
    // Book 9 has no 第五组: its fifth unit item is captioned 第六组 and lists the fifth
    // group of the file.
    write("Data/xml/hanzi9.xml", R"(<hanzi><lesson401 Chinese="甲"/><lesson501 Chinese="乙"/>
        <lesson601 Chinese="丙"/><lesson701 Chinese="丁"/></hanzi>)");
    Tfrm_shengzi& table = openBook(9);
    ASSERT_EQ(table.Rb_danyuanItems->buttons().size(), 8);
    EXPECT_EQ(table.Rb_danyuanItems->button(0)->text(), QStringLiteral("五年级上册"));
    EXPECT_EQ(table.Rb_danyuanItems->button(5)->text(), QStringLiteral("第六组"));
    chooseUnit(table, 5);
    EXPECT_EQ(cells(table), QStringList{"乙"});
    chooseUnit(table, 7);  // 第八组, the seventh group of the file
    EXPECT_EQ(cells(table), QStringList{"丁"});
    EXPECT_EQ(table.unitIndex(), 7);

    // Book 12 ends with its poems as unit 6.
    write("Data/xml/hanzi12.xml", R"(<hanzi><lesson601 Chinese="诗"/></hanzi>)");
    openBook(12);
    ASSERT_EQ(table.Rb_danyuanItems->buttons().size(), 7);
    EXPECT_EQ(table.Rb_danyuanItems->button(6)->text(), QStringLiteral("古诗词背诵"));
    chooseUnit(table, 6);
    EXPECT_EQ(cells(table), QStringList{"诗"});
}

TEST_F(TableWindow, ChoosingTheSameBookAgainStartsFromTheWholeBook) {
    write("Data/xml/hanzi4.xml",
          R"(<hanzi><lesson101 Chinese="甲"/><lesson201 Chinese="乙"/></hanzi>)");
    Tfrm_shengzi& table = openBook(4);
    chooseUnit(table, 2);
    EXPECT_EQ(cells(table), QStringList{"乙"});
    table.close();
    EXPECT_FALSE(table.isVisible());
    openBook(4);
    EXPECT_TRUE(table.isVisible());
    EXPECT_EQ(table.unitIndex(), 0);
    EXPECT_EQ(cells(table), (QStringList{"甲", "乙"}));
    EXPECT_EQ(table.sb_state->panelText(0), kCount + QStringLiteral("2 个"));
    EXPECT_EQ(table.Rb_danyuanItems->buttons().size(), 9);  // the items were replaced, not added
}

TEST_F(TableWindow, TheTableNeedsNoLessonAndLeavesTheStudyStateAlone) {
    // No catalogue at all: nothing is selected in the tree.
    write("Data/xml/hanzi6.xml", R"(<hanzi><lesson101 Chinese="甲" PinYin1="jiǎ"/></hanzi>)");
    ASSERT_FALSE(context.state.lessonSelected());
    context.state.CurrentIndex = 3;
    Tfrm_shengzi& table = openBook(6);
    EXPECT_EQ(cells(table), QStringList{"甲"});
    EXPECT_TRUE(messages->messages().empty());
    EXPECT_TRUE(context.state.CurrentWords.isEmpty());
    EXPECT_TRUE(context.state.LessonCode.isEmpty());
    EXPECT_EQ(context.state.CurrentIndex, 3);
    EXPECT_EQ(context.state.BookNo, 0);
    EXPECT_TRUE(context.shownPanels.empty());  // the main window's panels stay as they were
    EXPECT_TRUE(mainWindow().isVisible());
}

TEST_F(TableWindow, WordsAreDrawnWholeAndClippedNeverElided) {
    write(
        QStringLiteral("Data/xml/hanzi1.xml"),
        QStringLiteral(R"(<hanzi><lesson201 Chinese="春天"/><lesson202 Chinese="尾巴"/></hanzi>)"));
    Tfrm_shengzi& table = openBook(1);
    QTableWidget* grid = table.GridChar;
    ASSERT_EQ(table.cellText(0, 0), QStringLiteral("春天"));
    const QRect cell = grid->visualItemRect(grid->item(0, 0));
    auto drawn = [&] { return grid->viewport()->grab(cell).toImage(); };
    // The word is wider than its cell, so an eliding grid would cut it down to "…".
    const QString elided =
        QFontMetrics(grid->font()).elidedText(QStringLiteral("春天"), Qt::ElideRight, cell.width());
    ASSERT_NE(elided, QStringLiteral("春天"));
    const QImage word = drawn();
    grid->item(0, 0)->setText(elided);
    EXPECT_NE(drawn(), word) << "春天 drawn as " << elided.toStdString();
    // Both characters show, clipped at the cell's edges: not the first one alone.
    grid->item(0, 0)->setText(QStringLiteral("春"));
    EXPECT_NE(drawn(), word);
}

TEST_F(TableWindow, TheBookMenuShowsItsBooksAtTheirOwnSize) {
    popshengzi.adjustSize();
    const QImage menu = popshengzi.grab().toImage();
    // Rows of the first item that show book 1's red cover: 23 of the 28-pixel image.
    const QRect first = popshengzi.actionGeometry(tables->MenuItems[0]);
    int rows = 0;
    for (int y = first.top(); y <= first.bottom(); ++y) {
        for (int x = first.left(); x < first.left() + 60; ++x) {
            const QColor c = menu.pixelColor(x, y);
            if (std::abs(c.red() - 229) + std::abs(c.green() - 77) + std::abs(c.blue() - 66) < 30) {
                ++rows;
                break;
            }
        }
    }
    EXPECT_GE(rows, 20);
}
