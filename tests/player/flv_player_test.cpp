// An FLV video in the player with our movie engine behind the control: LoadMovie of the
// sample video loads the FLV player movie, which fetches the video through the player, shows
// its pictures, plays its sound (heard on SDL's disk driver) and loads the chosen skin.
// With PENCORA_FLV_SHOTS set to a folder, each skin's panel is saved there as flv-<skin>.png.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <cstdlib>

#include "listening.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "player/flash_player.h"
#include "player/ole_error.h"
#include "support/events.h"

namespace pencora::player {
namespace {

using pencora::testing::wait;

struct SkinCase {
    TsfFLVSkins skin;
    const char* name;
    QRgb button;  // the play button's colour in the skin
};

class FlvPlayerTest : public ::testing::TestWithParam<SkinCase> {
  protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_player_flv";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        flash::registerFlashControl([] { return flash::createDefaultMovieEngine(); });
    }
};

bool near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST_P(FlvPlayerTest, SampleVideoPlaysWithItsSoundInTheSkin) {
    const SkinCase c = GetParam();
    audio::testing::TempFolder tmp;
    audio::testing::DiskOutput out(tmp.path());
    ASSERT_TRUE(out.start());

    QLabel panel;
    panel.resize(340, 260);
    TsfFlashPlayer player(&panel);
    ASSERT_TRUE(player.IsFlashAviable());
    player.SetBounds(10, 10, 320, 240);
    player.setFLVPlaybackSkin(c.skin);
    player.LoadMovie(0, QStringLiteral(PENCORA_SOURCE_DIR "/sample-content/video/sample.flv"));
    panel.show();
    // The player movie's first frame registers "playflv" and sets its variables; on a busy
    // machine that may take a while.
    // Reading a variable the movie has not set yet is an error of the control.
    const auto ready = [&player] {
        try {
            return !player.GetVariable(QStringLiteral("duration")).isEmpty();
        } catch (const OleError&) {
            return false;
        }
    };
    for (int i = 0; i < 500 && !ready(); ++i) {
        wait(10);
    }
    player.Play();
    // The movie's clock runs on the event loop: keep it turning while the device plays.
    const size_t until = out.elapsed() + 44100 * 3 / 2;
    for (int i = 0; i < 400 && out.elapsed() < until; ++i) {
        wait(10);
    }

    EXPECT_EQ(player.GetVariable(QStringLiteral("duration")).left(1), QStringLiteral("6"))
        << "the video's metadata reached the player movie";
    player.Paint(nullptr);
    const TsfBitmap* frame = player.GrabCurrentFrame2();
    // The test picture's colour bars fill the stage above the skin, not the empty dark area.
    int coloured = 0;
    for (int x = 10; x < 320; x += 20) {
        const QRgb p = frame->GetPixel(x, 60);
        coloured += qRed(p) + qGreen(p) + qBlue(p) > 3 * 60 ? 1 : 0;
    }
    EXPECT_GT(coloured, 8) << "video pictures are shown";
    EXPECT_TRUE(near(frame->GetPixel(8, 216), c.button))
        << "the skin's play button, " << std::hex << frame->GetPixel(8, 216);

    if (const char* shots = std::getenv("PENCORA_FLV_SHOTS")) {
        panel.grab().save(QDir(QString::fromLocal8Bit(shots))
                              .filePath(QStringLiteral("flv-%1.png").arg(QLatin1String(c.name))));
    }
    player.Stop();
    const audio::testing::Capture heard = out.finish();
    const size_t from = audio::testing::firstSounding(heard);
    ASSERT_LT(from, heard.frames()) << "the video's sound was heard";
    EXPECT_GT(
        audio::testing::toneAmplitude(heard, from, std::min(heard.frames(), from + 22050), 330),
        0.05)
        << "its 330 Hz tone";
}

INSTANTIATE_TEST_SUITE_P(
    Skins, FlvPlayerTest,
    ::testing::Values(SkinCase{TsfFLVSkins::flvclearskin, "clearoverall", qRgb(190, 196, 204)},
                      SkinCase{TsfFLVSkins::flvsteelskin, "steel", qRgb(40, 45, 52)},
                      SkinCase{TsfFLVSkins::flvmojaveskin, "mojave", qRgb(232, 208, 168)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pencora::player
