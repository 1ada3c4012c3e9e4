// The dictation word-list window frm_wnnx_list: created hidden at start-up right after the
// main window, shown in its place when a dictation ends, with the lesson's entries in a grid
// of 6 x 4 cells for checking what was written; a click on a cell reads its entry. Closing it
// only hides it, so every dictation reuses the one window.
#pragma once

#include "app/study_state.h"
#include "modes/dictation/dictation_sound.h"

#include <QWidget>
#include <functional>

class QTableWidget;

class Tfrm_wnnx_list : public QWidget {
    Q_OBJECT
  public:
    explicit Tfrm_wnnx_list(QWidget* parent = nullptr);

    QWidget* pnl_main = nullptr;
    QTableWidget* GridChar = nullptr;

    // The study state whose entries the grid lists and whose slot 0 the cells play on.
    pencora::StudyState* state = nullptr;
    pencora::dictation::DictationSound sound = pencora::dictation::librarySound();
    // Runs after the window has hidden itself: the dictation's timer stops and the main
    // window comes back.
    std::function<void()> closed;

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
};
