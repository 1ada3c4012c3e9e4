// The controls of 同步学课文: the black panel pnlrszc (the frame's) and the movie player
// Flashbg filling it.
#pragma once

class QWidget;

namespace pencora::player {
class TsfFlashPlayer;
}

namespace pencora::modes {
class ModeContext;
}

namespace pencora::lessontext {

struct LessonTextPanel {
    QWidget* pnlrszc = nullptr;
    player::TsfFlashPlayer* Flashbg = nullptr;  // hidden until a lesson's movie is shown
};

// Makes `pnlrszc` black and fills it with Flashbg: opaque over white, no pop-up menu, full
// volume, no volume control, hidden.
LessonTextPanel buildLessonTextPanel(QWidget* pnlrszc, modes::ModeContext& context);

}  // namespace pencora::lessontext
