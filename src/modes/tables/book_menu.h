// The book menu popshengzi of TB_Szb: twelve items, one per book, each opening that book's
// character table (MenuItem12Click). Installs the items, their artwork and the handler.
#pragma once

class QObject;
class Tfrm_Main;

namespace pencora::tables {

void install(Tfrm_Main& frm);

// Opens the table of the book named by the item's Hint, creating the window on first use;
// stops the flashcards and a pending next quiz question. A dictation runs on.
void MenuItem12Click(Tfrm_Main& frm, QObject* Sender);

}  // namespace pencora::tables
