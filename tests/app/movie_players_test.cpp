// The main window's movie players with the real movie engine behind them: the start-up movies
// land in the five players, the success animation plays when started, and the loudspeaker's
// buttons send their commands to the window's handler.
#include "app/tfrm_main.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "player/flash_player.h"
#include "player/tsf_bitmap.h"
#include "support/application.h"
#include "support/events.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

using namespace pencora;

namespace {

using pencora::testing::click;
using pencora::testing::wait;

bool yellowish(std::uint32_t bgra) {
    const int r = (bgra >> 16) & 0xFF, g = (bgra >> 8) & 0xFF, b = bgra & 0xFF;
    return r > 200 && g > 150 && b < 120;
}

class MoviePlayers : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        pencora::testing::ensureApplication();
        flash::registerFlashControl(flash::createDefaultMovieEngine);
    }
    void SetUp() override {
        fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
        frm = std::make_unique<Tfrm_Main>();
        frm->FormCreate(frm.get());
        frm->show();
    }
    void TearDown() override {
        frm.reset();
        fs::setProgramFolder(QString());
    }

    std::unique_ptr<Tfrm_Main> frm;
    ui::MessageRecorder messages;
};

}  // namespace

TEST_F(MoviePlayers, SuccessMovieInAllFourQuizPlayersPlaysWhenStarted) {
    EXPECT_TRUE(messages.messages().empty());
    wait(150);
    for (TsfFlashPlayer* player :
         {frm->flash_right1, frm->flash_right2, frm->flash_right3, frm->flash_right4}) {
        ASSERT_TRUE(player->IsFlashAviable());
        EXPECT_TRUE(player->isHidden());
        EXPECT_EQ(player->Volume(), 100);
        EXPECT_FALSE(player->VolumeControl());
        // The star in the middle of every player: all four read the one stream.
        player->Paint(nullptr);
        EXPECT_TRUE(yellowish(player->GrabCurrentFrame2()->GetPixel(80, 84)))
            << player->objectName().toStdString();
    }
    // Shown and started, it runs to its last frame and stops there; started again, it runs
    // once more from the start.
    TsfFlashPlayer* player = frm->flash_right1;
    frm->btn_kewen->click();
    player->show();
    player->Play();
    for (int i = 0; i < 60 && player->CurrentFrame() < 12; ++i) {
        wait(25);
    }
    EXPECT_EQ(player->CurrentFrame(), 12);
    wait(200);
    EXPECT_EQ(player->CurrentFrame(), 12);
    EXPECT_FALSE(player->IsPlaying());
    player->Play();
    for (int i = 0; i < 20 && player->CurrentFrame() == 12; ++i) {
        wait(25);
    }
    EXPECT_LT(player->CurrentFrame(), 12);
}

TEST_F(MoviePlayers, LoudspeakerButtonsSendTheirCommandsToTheDictation) {
    std::vector<std::pair<QString, QString>> commands;
    TsfFlashPlayer* laba = frm->flash_laba;
    // Noted on their way to the window's handler flash_labaHandleFSCommand.
    const auto toWindow = laba->OnHandleFSCommand;
    ASSERT_TRUE(toWindow);
    laba->OnHandleFSCommand = [&, toWindow](TsfFlashPlayer* sender, const QString& command,
                                            const QString& args) {
        commands.emplace_back(command, args);
        toWindow(sender, command, args);
    };
    ASSERT_TRUE(laba->IsFlashAviable());
    frm->pnl_info->hide();
    frm->pnl_wnnx->show();
    frm->Dictation.panel.pnl_wnnx_main->show();
    EXPECT_EQ(laba->size(), QSize(250, 250));
    wait(150);
    // The movie is 240 x 240, shown whole in 250 x 250: its buttons' centres (70, 167) and
    // (172, 167) and their captions' middles (70, 218) and (172, 218) move by the scale.
    const double scale = 250.0 / 240.0;
    auto press = [&](double x, double y) {
        const std::size_t before = commands.size();
        click(laba, QPoint(int(x * scale), int(y * scale)));
        for (int i = 0; i < 10 && commands.size() == before; ++i) {
            wait(25);
        }
    };
    press(172, 167);
    press(70, 167);
    press(172, 218);  // the caption "下一个" is part of its button
    press(70, 218);
    press(120, 20);  // the loudspeaker itself sends nothing
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("btnnext"), QStringLiteral("下一个")},
        {QStringLiteral("btnread"), QStringLiteral("朗读")},
        {QStringLiteral("btnnext"), QStringLiteral("下一个")},
        {QStringLiteral("btnread"), QStringLiteral("朗读")}};
    EXPECT_EQ(commands, expected);
}

TEST_F(MoviePlayers, TheWholeStarShowsOverTheQuestionLabelInTheTopAnswerPlace) {
    frm->resize(1280, 800);
    frm->TB_rszc->click();  // 看音认字
    QWidget* panel = frm->pnl_kyrz;
    ASSERT_FALSE(panel->isHidden());
    // The right answer onto the top-most button, where the label reaches into the star.
    QList<QPushButton*> buttons = panel->findChildren<QPushButton*>();
    buttons.removeIf([](QPushButton* b) { return b->isHidden(); });
    ASSERT_GE(buttons.size(), 2);
    const QString key = frm->State.CurrentWords[frm->State.CurrentIndex];
    QPushButton* top = *std::min_element(buttons.begin(), buttons.end(),
                                         [](auto* a, auto* b) { return a->y() < b->y(); });
    for (QPushButton* b : buttons) {
        if (b->text() == key) {
            b->setText(top->text());
        }
    }
    top->setText(key);
    top->click();
    frm->Timer1->stop();  // the next question's buttons would cover the star by design
    TsfFlashPlayer* star = frm->flash_right2;
    ASSERT_FALSE(star->isHidden());
    for (int i = 0; i < 80 && star->CurrentFrame() < 12; ++i) {
        wait(25);
    }
    wait(100);
    // What the panel shows where the player is must be the player's own picture.
    const QRect place = star->geometry();
    const QImage shown = panel->grab(place).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage own = star->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), own.size());

    int differing = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            differing += shown.pixel(x, y) != own.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0) << "pixels of the star hidden by something in front of it";
}
