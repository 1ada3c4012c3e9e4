#include "modes/dictation/tfrm_wnnx_list.h"

#include "modes/dictation/word_cell_delegate.h"
#include "modes/dictation/word_grid.h"
#include "platform/ui/fonts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace pencora::dictation;

namespace {

constexpr int kCellSize = 80;
constexpr QSize kGridSize(491, 328);
constexpr QPoint kGridDesignPlace(102, 31);

void paintBlack(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
}

}  // namespace

Tfrm_wnnx_list::Tfrm_wnnx_list(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frm_wnnx_list"));
    // Closing this window must not end the program while the main window is hidden.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("我念你写－－字词列表"));
    setFont(pencora::ui::designFont(QStringLiteral("仿宋_GB2312"), 19));
    paintBlack(this);
    resize(680, 384);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pnl_main = new QWidget(this);
    pnl_main->setObjectName(QStringLiteral("pnl_main"));
    paintBlack(pnl_main);
    layout->addWidget(pnl_main);
    buildGrid();
}

void Tfrm_wnnx_list::buildGrid() {
    GridChar = new QTableWidget(kGridRows, kGridColumns, pnl_main);
    GridChar->setObjectName(QStringLiteral("GridChar"));
    GridChar->setGeometry(QRect(kGridDesignPlace, kGridSize));
    GridChar->horizontalHeader()->hide();
    GridChar->verticalHeader()->hide();
    GridChar->horizontalHeader()->setMinimumSectionSize(1);
    GridChar->verticalHeader()->setMinimumSectionSize(1);
    GridChar->horizontalHeader()->setDefaultSectionSize(kCellSize);
    GridChar->verticalHeader()->setDefaultSectionSize(kCellSize);
    GridChar->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridChar->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridChar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridChar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridChar->setShowGrid(true);
    GridChar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridChar->setSelectionMode(QAbstractItemView::SingleSelection);
    GridChar->setSelectionBehavior(QAbstractItemView::SelectItems);
    GridChar->setTabKeyNavigation(false);
    // Clicks and arrow keys reach it; the Tab key passes it by.
    GridChar->setFocusPolicy(Qt::ClickFocus);
    GridChar->setTextElideMode(Qt::ElideNone);
    GridChar->setWordWrap(false);
    GridChar->setFont(pencora::ui::designFont(QStringLiteral("仿宋_GB2312"), 60, true));
    GridChar->setItemDelegate(new WordCellDelegate(GridChar));
    GridChar->setStyleSheet(QStringLiteral(
        "QTableWidget#GridChar { background: rgb(180,180,218); gridline-color: black; }"));
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            GridChar->setItem(row, column, new QTableWidgetItem);
        }
    }
    {
        const QSignalBlocker quiet(GridChar);
        GridChar->setCurrentCell(0, 0);
    }

    // A click selects a cell and reads it, also the cell already selected; a move by the
    // arrow keys reads the cell it comes to.
    connect(GridChar, &QTableWidget::cellPressed, this,
            [this](int row, int column) { selectCell(row, column); });
    connect(GridChar, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) {
                if (QApplication::mouseButtons() == Qt::NoButton) {
                    selectCell(row, column);
                }
            });
}

void Tfrm_wnnx_list::selectCell(int row, int column) {
    bool canSelect = true;
    GridCharSelectCell(GridChar, column, row, canSelect);
}

void Tfrm_wnnx_list::attach(pencora::modes::ModeContext& context, std::function<void()> closed) {
    context_ = &context;
    closed_ = std::move(closed);
}

void Tfrm_wnnx_list::placeOver(const QRect& geometry) {
    setGeometry(geometry);
    // A single fixed border: the user does not resize it.
    setFixedSize(geometry.size());
}

void Tfrm_wnnx_list::FormShow(QObject* /*Sender*/) {
    const QStringList texts =
        gridTexts(context_ ? context_->studyState().CurrentWords : QStringList());
    for (int k = 0; k < kGridCells; ++k) {
        GridChar->item(k / kGridColumns, k % kGridColumns)->setText(texts[k]);
    }
    GridChar->move(centredGrid(pnl_main->size(), GridChar->size()));
}

void Tfrm_wnnx_list::GridCharSelectCell(QObject* /*Sender*/, int ACol, int ARow,
                                        bool& /*CanSelect*/) {
    if (context_ == nullptr) {
        return;
    }
    using pencora::modes::kCueSlot;
    if (const auto path = cellSound(context_->studyState().CurrentPinyin, ACol, ARow)) {
        context_->play_file(kCueSlot, *path);
    } else {
        // An empty cell reads nothing, and nothing is left sounding.
        context_->freeChannel(kCueSlot);
    }
}

void Tfrm_wnnx_list::FormClose(QObject* /*Sender*/) {
    if (closed_) {
        closed_();
    }
}

void Tfrm_wnnx_list::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        // The layout has given pnl_main the window's size by now, so the grid centres in it.
        if (QLayout* l = layout()) {
            l->activate();
        }
        FormShow(this);
    }
}

void Tfrm_wnnx_list::closeEvent(QCloseEvent* event) {
    // Hidden, not destroyed: every dictation reuses the one window.
    event->accept();
    FormClose(this);
}
