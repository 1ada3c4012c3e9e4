// The voice prompt of a toolbar button: when the pointer enters it and voice prompts are on,
// Data\sndsoft\ + the button's Hint + .mp3 plays on channel slot 0. With prompts off nothing
// happens, and whatever slot 0 is playing plays on.
#pragma once

class QObject;
class Tfrm_Main;

namespace pencora::flashcards {

void tb_zcsjMouseEnter(Tfrm_Main& frm, QObject* Sender);

}  // namespace pencora::flashcards
