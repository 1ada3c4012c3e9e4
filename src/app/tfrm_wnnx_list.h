// The dictation word-list window frm_wnnx_list: created hidden at start-up right after the
// main window, shown in its place when a dictation ends; closing it only hides it. Its grid
// and handlers come with dictation.
#pragma once

#include <QWidget>

class Tfrm_Main;

class Tfrm_wnnx_list : public QWidget {
    Q_OBJECT
  public:
    explicit Tfrm_wnnx_list(Tfrm_Main* main, QWidget* parent = nullptr);

    Tfrm_Main* frm_Main;  // the study state is read through the main window
    QWidget* pnl_main = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
};
