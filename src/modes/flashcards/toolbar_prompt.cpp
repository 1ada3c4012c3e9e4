#include "modes/flashcards/toolbar_prompt.h"

#include "common/hint.h"
#include "app/tfrm_main.h"
#include "content/content_paths.h"
#include "sound/play_file.h"

namespace pencora::flashcards {

void tb_zcsjMouseEnter(Tfrm_Main& frm, QObject* Sender) {
    // Read at this moment: switching prompts off lets a playing prompt finish, and the next
    // button entered stays silent.
    if (!frm.voicePromptsOn())
        return;
    sound::play_file(frm.State.ChannelSlots[0], content::promptRelativePath(Hint(Sender)));
}

}  // namespace pencora::flashcards
