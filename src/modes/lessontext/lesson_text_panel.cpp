#include "modes/lessontext/lesson_text_panel.h"

#include "modes/mode_context.h"
#include "player/flash_player.h"

#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>

namespace pencora::lessontext {

LessonTextPanel buildLessonTextPanel(QWidget* pnlrszc, modes::ModeContext& context) {
    LessonTextPanel panel;
    panel.pnlrszc = pnlrszc;
    QPalette palette = pnlrszc->palette();
    palette.setColor(QPalette::Window, Qt::black);
    pnlrszc->setPalette(palette);
    pnlrszc->setAutoFillBackground(true);

    auto* player = context.createMoviePlayer(pnlrszc, QStringLiteral("Flashbg"));
    player->setParentColor(false);
    player->setColor(Qt::white);
    player->setTransparent(false);  // the movie is drawn over white, not over the black panel
    player->DisableFlashPopup = true;
    player->setVolume(100);
    player->setVolumeControl(false);
    player->hide();
    auto* fill = new QVBoxLayout(pnlrszc);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(player);
    panel.Flashbg = player;
    return panel;
}

}  // namespace pencora::lessontext
