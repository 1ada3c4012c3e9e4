#include "modes/tables/tfrm_shengzi.h"

#include "content/word_lists.h"
#include "modes/tables/shengzi_layout.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"
#include "platform/ui/status_panels.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLinearGradient>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

using pencora::ui::designFont;
namespace tables = pencora::tables;

namespace {

void fillBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

// The cells' own colours: light blue-grey cells with maroon characters, and the current
// cell shaded from aqua down to lavender. Kept in the palette so a skin's style sheet can
// take over and give them back.
QPalette gridPalette(QPalette palette) {
    const QColor cell(176, 185, 221);
    palette.setColor(QPalette::Base, cell);
    palette.setColor(QPalette::Window, cell);
    palette.setColor(QPalette::Text, QColor(128, 0, 0));
    palette.setColor(QPalette::HighlightedText, QColor(128, 0, 0));
    QLinearGradient shade(0, 0, 0, 1);
    shade.setCoordinateMode(QGradient::ObjectMode);
    shade.setColorAt(0, QColor(0, 255, 255));
    shade.setColorAt(1, QColor(180, 180, 218));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setBrush(group, QPalette::Highlight, QBrush(shade));
    }
    return palette;
}

}  // namespace

Tfrm_shengzi::Tfrm_shengzi(QWidget* main) : QWidget(main, Qt::Window), frm_Main(main) {
    setObjectName(QStringLiteral("frm_shengzi"));
    // Closing this window never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("生字表"));
    setFont(designFont(QStringLiteral("仿宋_GB2312"), 19, true));
    setMinimumSize(tables::kMinimumWindowWidth, 480);
    resize(760, 446);
    buildControls();
    FormCreate(this);
}

void Tfrm_shengzi::buildControls() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);

    pnlmain = new QWidget(this);
    pnlmain->setObjectName(QStringLiteral("pnlmain"));
    pnlmain->setFixedWidth(tables::kUnitListDesignWidth);
    fillBackground(pnlmain, QColor(163, 193, 235));
    auto* units = new QVBoxLayout(pnlmain);
    units->setContentsMargins(4, 4, 4, 4);
    Rb_danyuan = new QGroupBox(pnlmain);
    Rb_danyuan->setObjectName(QStringLiteral("Rb_danyuan"));
    Rb_danyuan->setFont(designFont(QStringLiteral("仿宋_GB2312"), 20, true));
    QPalette ink = Rb_danyuan->palette();
    ink.setColor(QPalette::WindowText, Qt::black);
    Rb_danyuan->setPalette(ink);
    auto* items = new QVBoxLayout(Rb_danyuan);
    items->setContentsMargins(8, 8, 8, 8);
    items->setSpacing(6);
    items->addStretch(1);
    units->addWidget(Rb_danyuan);
    Rb_danyuanItems = new QButtonGroup(this);
    Rb_danyuanItems->setExclusive(true);
    connect(Rb_danyuanItems, &QButtonGroup::idClicked, this,
            [this] { pencora::ui::guarded([this] { Rb_danyuanClick(Rb_danyuan); }); });
    body->addWidget(pnlmain);

    pnl_main = new QWidget(this);
    pnl_main->setObjectName(QStringLiteral("pnl_main"));
    fillBackground(pnl_main, Qt::black);
    auto* gridHolder = new QVBoxLayout(pnl_main);
    gridHolder->setContentsMargins(0, 0, 0, 0);
    GridChar = new QTableWidget(1, tables::kColumns, pnl_main);
    GridChar->setObjectName(QStringLiteral("GridChar"));
    GridChar->horizontalHeader()->hide();
    GridChar->verticalHeader()->hide();
    GridChar->horizontalHeader()->setMinimumSectionSize(1);
    GridChar->verticalHeader()->setMinimumSectionSize(1);
    GridChar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridChar->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    GridChar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridChar->setSelectionMode(QAbstractItemView::SingleSelection);
    GridChar->setShowGrid(true);
    // A word wider than its cell (春天, 尾巴) is drawn whole on one line and clipped at the
    // cell's edges; shortened to "…" it could not be read at all.
    GridChar->setTextElideMode(Qt::ElideNone);
    GridChar->setWordWrap(false);
    GridChar->setFocusPolicy(Qt::ClickFocus);  // skipped by the Tab key
    GridChar->setTabKeyNavigation(false);
    QFont cells = designFont(QStringLiteral("宋体"), 60);
    GridChar->setFont(cells);
    GridChar->setPalette(gridPalette(GridChar->palette()));
    gridHolder->addWidget(GridChar);
    body->addWidget(pnl_main, 1);
    column->addLayout(body, 1);

    // The count line is longer than the bar's design panel of 185 px: the one panel takes
    // the bar's width so the number stays in view.
    sb_state = new pencora::ui::StatusPanels({{0, Qt::AlignHCenter, QString()}}, this);
    sb_state->setObjectName(QStringLiteral("sb_state"));
    sb_state->setFixedHeight(26);
    sb_state->panel(0)->setFont(designFont(QStringLiteral("宋体"), 14));
    fillBackground(sb_state, QColor(198, 211, 239));
    column->addWidget(sb_state);
}

void Tfrm_shengzi::FormCreate(QObject* /*Sender*/) {
    resize(frm_Main->width(), frm_Main->height());
    ShengziUnits.clear();
}

void Tfrm_shengzi::setUnitItems(const QStringList& units) {
    auto* items = static_cast<QVBoxLayout*>(Rb_danyuan->layout());
    for (QAbstractButton* old : Rb_danyuanItems->buttons()) {
        Rb_danyuanItems->removeButton(old);
        delete old;
    }
    for (int i = 0; i < units.size(); ++i) {
        auto* item = new QRadioButton(units[i], Rb_danyuan);
        item->setObjectName(QStringLiteral("Rb_danyuan_%1").arg(i));
        item->setCursor(Qt::PointingHandCursor);
        // Held by each item: under a skin a styled parent passes no font on.
        item->setFont(Rb_danyuan->font());
        Rb_danyuanItems->addButton(item, i);
        items->insertWidget(i, item);
    }
}

void Tfrm_shengzi::FormShow(QObject* /*Sender*/) {
    setUnitItems(ShengziUnits);
    if (QAbstractButton* whole = Rb_danyuanItems->button(0)) {
        whole->setChecked(true);
    }
    Rb_danyuanClick(Rb_danyuan);
    sizeCells(tables::fontPointsOnShow(tables::cellSize(GridChar->width())));
    Rb_danyuan->setEnabled(true);
}

void Tfrm_shengzi::Rb_danyuanClick(QObject* /*Sender*/) {
    GridChar->clearContents();
    const QString key = tables::unitKey(ShengziBook, unitIndex());
    // An unreadable character file goes on to the general error report, leaving the grid
    // empty and the count line as it was.
    ShengziChars =
        pencora::content::ReadAttributeList(ShengziFilePath, key, QStringLiteral("Chinese"));
    const qsizetype n = ShengziChars.size();
    sb_state->setPanelText(0, QStringLiteral("当前所选的内容中，共有生字数为：") +
                                  QString::number(n) + QStringLiteral(" 个"));
    GridChar->setRowCount(tables::rowCount(n));
    for (qsizetype i = 0; i < n; ++i) {
        auto* cell = new QTableWidgetItem(ShengziChars[i]);
        cell->setTextAlignment(Qt::AlignCenter);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        GridChar->setItem(static_cast<int>(i / tables::kColumns),
                          static_cast<int>(i % tables::kColumns), cell);
    }
    GridChar->setCurrentCell(0, 0);
}

void Tfrm_shengzi::sizeCells(int fontPoints) {
    const int cell = std::max(1, tables::cellSize(GridChar->width()));
    GridChar->setColumnCount(tables::kColumns);
    GridChar->horizontalHeader()->setDefaultSectionSize(cell);
    GridChar->verticalHeader()->setDefaultSectionSize(cell);
    for (int c = 0; c < tables::kColumns; ++c) {
        GridChar->setColumnWidth(c, cell);
    }
    GridChar->setRowCount(tables::rowCount(ShengziChars.size()));
    for (int r = 0; r < GridChar->rowCount(); ++r) {
        GridChar->setRowHeight(r, cell);
    }
    QFont font = GridChar->font();
    font.setPointSize(std::max(1, fontPoints));
    GridChar->setFont(font);
}

void Tfrm_shengzi::FormResize(QObject* /*Sender*/) {
    pnlmain->setFixedWidth(tables::unitListWidth(width()));
    // The grid's width is read at once below.
    layout()->activate();
    sizeCells(tables::fontPointsOnResize(tables::cellSize(GridChar->width())));
}

void Tfrm_shengzi::FormClose(QObject* /*Sender*/) {
    frm_Main->show();
    frm_Main->raise();
    frm_Main->activateWindow();
}

int Tfrm_shengzi::unitIndex() const {
    return Rb_danyuanItems->checkedId();
}

QString Tfrm_shengzi::cellText(int column, int row) const {
    const QTableWidgetItem* cell = GridChar->item(row, column);
    return cell ? cell->text() : QString();
}

void Tfrm_shengzi::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pencora::ui::guarded([this] { FormResize(this); });
}

void Tfrm_shengzi::closeEvent(QCloseEvent* event) {
    // Hidden, not destroyed: the next book reuses the window.
    pencora::ui::guarded([this] { FormClose(this); });
    event->accept();
}
