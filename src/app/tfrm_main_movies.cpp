// The main window's movie players: the four quiz success animations and the dictation
// loudspeaker, their start-up movies, and the loudspeaker's commands.
#include "app/tfrm_main.h"

#include "platform/ole/stream.h"
#include "platform/resources/program_resources.h"
#include "player/flash_player.h"

#include <QLabel>

#include <stdexcept>

using pencora::player::TsfFLVSkins;

namespace {

// The program's own movies are resources of this type.
constexpr char16_t kMovieType[] = u"FLASH";

TsfFlashPlayer* moviePlayer(QWidget* parent, const QString& name, int width, int height) {
    auto* player = new TsfFlashPlayer(parent);
    player->setObjectName(name);
    player->SetBounds(0, 0, width, height);
    player->setCursor(Qt::PointingHandCursor);
    player->setParentColor(false);
    player->setColor(Qt::white);
    player->setVolume(100);
    player->setVolumeControl(false);
    return player;
}

pencora::ole::ComPtr<pencora::ole::IStream> movieStream(const QString& name) {
    const auto bytes = pencora::resources::findResource(kMovieType, name);
    if (!bytes) {
        throw std::runtime_error("The program's movie \"" + name.toStdString() + "\" is missing.");
    }
    return pencora::ole::streamOnBytes(
        {reinterpret_cast<const std::uint8_t*>(bytes->constData()), std::size_t(bytes->size())});
}

// From the bottom: the question label, the success animation, the answer buttons. The next
// question's buttons cover an animation left showing, and the opaque label, which reaches
// down into the animation at the top answer places, never hides part of the star.
void stackUnderButtons(const pencora::quiz::QuizControls& quiz) {
    quiz.animation->lower();
    if (quiz.label != nullptr) {
        quiz.label->lower();
    }
}

}  // namespace

void Tfrm_Main::buildMoviePlayers() {
    QWidget* quizPanels[] = {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby};
    TsfFlashPlayer** players[] = {&flash_right1, &flash_right2, &flash_right3, &flash_right4};
    const char* names[] = {"flash_right1", "flash_right2", "flash_right3", "flash_right4"};
    for (int k = 0; k < 4; ++k) {
        TsfFlashPlayer* player =
            moviePlayer(quizPanels[k], QString::fromLatin1(names[k]), 160, 160);
        player->SetBounds(292, 264, 160, 160);
        player->setFLVPlaybackSkin(TsfFLVSkins::flvclearskin);
        player->hide();
        *players[k] = player;
    }
    Quiz.panels.tyrz.animation = flash_right1;
    Quiz.panels.kyrz.animation = flash_right2;
    Quiz.panels.kzry.animation = flash_right3;
    Quiz.panels.tyby.animation = flash_right4;
    for (pencora::quiz::QuizKind kind : pencora::quiz::kQuizKinds) {
        stackUnderButtons(Quiz.panels[kind]);
    }
    Quiz.playAnimation = [](QWidget* player) { static_cast<TsfFlashPlayer*>(player)->Play(); };
}

TsfFlashPlayer* Tfrm_Main::createMoviePlayer(QWidget* parent, const QString& name) {
    return moviePlayer(parent, name, 250, 250);
}

void Tfrm_Main::loadStartupMovies() {
    // One stream serves the four players; each load reads it from its start.
    const auto success = movieStream(QStringLiteral("lose"));
    for (TsfFlashPlayer* player : {flash_right1, flash_right2, flash_right3, flash_right4}) {
        player->LoadMovieFromStream(0, success.get());
    }
    flash_laba->LoadMovieFromStream(0, movieStream(QStringLiteral("laba")).get());
}

void Tfrm_Main::hideQuizAnimations() {
    for (TsfFlashPlayer* player : {flash_right1, flash_right2, flash_right3, flash_right4}) {
        if (player) {
            player->hide();
        }
    }
}
