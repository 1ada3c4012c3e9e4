// 生字表: the book menu popshengzi of TB_Szb with one item per book, and the character-table
// window frm_shengzi each item opens. The main window owns one TablesMode; its fixed handler
// MenuItem12Click calls openBook.
#pragma once

#include <QIcon>
#include <QList>

class QAction;
class QMenu;
class QObject;
class Tfrm_shengzi;

namespace pencora::modes {
class ModeContext;
}

namespace pencora::tables {

class TablesMode {
  public:
    // Fills `popshengzi` with the twelve books (MenuItem1..MenuItem12, Tag and Hint the book
    // number, a 28 x 28 image each) and connects them to openBook.
    TablesMode(modes::ModeContext& context, QMenu* popshengzi);
    TablesMode(const TablesMode&) = delete;
    TablesMode& operator=(const TablesMode&) = delete;

    QList<QAction*> MenuItems;
    QList<QIcon> ImageList_Popup;  // 28 x 28, one per book
    // Created on first use, a window of its own owned by the main window.
    Tfrm_shengzi* frm_shengzi = nullptr;

    // Opens the table of the book named by the item's Hint, creating the window on first
    // use; stops the flashcards and a pending next quiz question. A dictation runs on.
    void openBook(QObject* Sender);

  private:
    modes::ModeContext& context_;
};

}  // namespace pencora::tables
