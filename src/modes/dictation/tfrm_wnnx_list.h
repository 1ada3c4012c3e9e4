// The dictation word-list window frm_wnnx_list: created hidden at start-up right after the
// main window, shown in its place when a dictation ends, with the lesson's entries in a grid
// of 6 x 4 cells for checking what was written; a click on a cell reads its entry. Closing it
// only hides it, so every dictation reuses the one window.
#pragma once

#include "modes/mode_context.h"

#include <QWidget>
#include <functional>

class QTableWidget;

class Tfrm_wnnx_list : public QWidget {
    Q_OBJECT
  public:
    explicit Tfrm_wnnx_list(QWidget* parent = nullptr);

    QWidget* pnl_main = nullptr;
    QTableWidget* GridChar = nullptr;

    // The context whose study state the grid lists and whose slot 0 the cells play on, and
    // what closing the window does besides hiding it (the dictation's timer stops and the
    // main window comes back). Without a context the grid stays empty and silent.
    void attach(pencora::modes::ModeContext& context, std::function<void()> closed);
    pencora::modes::ModeContext* context() const { return context_; }

    // Takes the place of the window whose geometry is given: same place, same size.
    void placeOver(const QRect& geometry);

    void FormShow(QObject* Sender);
    void GridCharSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void FormClose(QObject* Sender);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildGrid();
    void selectCell(int row, int column);

    pencora::modes::ModeContext* context_ = nullptr;
    std::function<void()> closed_;
};
