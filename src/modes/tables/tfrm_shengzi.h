// The character-table window frm_shengzi: a book's new characters ten to a row, narrowed to
// one unit by the list on the left. Created on first use by the book menu and kept; closing
// only hides it and brings the main window forward. It does not depend on the lesson picked
// in the catalogue tree.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGroupBox;
class QTableWidget;

namespace pencora::ui {
class StatusPanels;
}

class Tfrm_shengzi : public QWidget {
    Q_OBJECT
  public:
    // A window of its own, owned by the main window.
    explicit Tfrm_shengzi(QWidget* main);

    QWidget* frm_Main;  // the main window: its size at creation, brought back on close

    // The chosen book, written by the main window's book menu before the show step.
    QString ShengziBook;       // "1".."12"
    QString ShengziFilePath;   // the book's character file
    QStringList ShengziUnits;  // item 0 the book, items 1.. its units
    QStringList ShengziChars;  // the entries listed now, in file order

    QWidget* pnlmain = nullptr;  // holds the unit list
    QGroupBox* Rb_danyuan = nullptr;
    QButtonGroup* Rb_danyuanItems = nullptr;  // one radio button per unit, ids from 0
    QWidget* pnl_main = nullptr;              // holds the grid
    QTableWidget* GridChar = nullptr;
    pencora::ui::StatusPanels* sb_state = nullptr;

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormResize(QObject* Sender);
    void FormClose(QObject* Sender);
    void Rb_danyuanClick(QObject* Sender);

    // The selected unit item, -1 when there is none.
    int unitIndex() const;

    // The character in cell (column, row), empty when the cell is empty.
    QString cellText(int column, int row) const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void setUnitItems(const QStringList& units);
    void sizeCells(int fontPoints);
};
