// Builds the flashcard controls on pnlmain, connects them and the two flashcard timers to
// the main window's handlers, installs the handlers, the resize hook and the toolbar's
// voice prompt.
#pragma once

class Tfrm_Main;

namespace pencora::flashcards {

void install(Tfrm_Main& frm);

}  // namespace pencora::flashcards
