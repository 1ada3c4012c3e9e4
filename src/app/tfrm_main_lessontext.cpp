// The main window's side of 同步学课文: the mode on pnlrszc and its movie's commands.
#include "app/tfrm_main.h"

#include "modes/lessontext/lesson_text_mode.h"
#include "player/flash_player.h"

void Tfrm_Main::buildLessonText() {
    LessonText = std::make_unique<pencora::lessontext::LessonTextMode>(*this, pnlrszc);
    LessonText->panel().Flashbg->OnHandleFSCommand =
        [this](TsfFlashPlayer* sender, const QString& command, const QString& args) {
            FlashbgHandleFSCommand(sender, command, args);
        };
}

void Tfrm_Main::FlashbgHandleFSCommand(TsfFlashPlayer* /*ASender*/, const QString& command,
                                       const QString& args) {
    LessonText->FlashbgHandleFSCommand(command, args);
}
