// 同步学课文 in the main window on the sample course, heard on SDL's disk driver: the
// toolbar button shows the first lesson's movie with its reading, a quiz stops the reading,
// the button brings the lesson back from its start.
#include "app/tfrm_main.h"
#include "listening.h"
#include "platform/audio/bass.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "player/flash_player.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QToolButton>

using namespace pencora;
using namespace pencora::audio::testing;

namespace {

class LessonTextWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        pencora::testing::ensureApplication();
        flash::registerFlashControl(flash::createDefaultMovieEngine);
        fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
        ASSERT_TRUE(out.start());
        frm = std::make_unique<Tfrm_Main>();
        frm->FormCreate(frm.get());
        frm->resize(906, 475);
        frm->show();
        QCoreApplication::processEvents();
        frm->freeChannel(0);  // the welcome cue: only the reading is listened to here
    }
    void TearDown() override {
        frm.reset();
        if (!finished) {
            out.finish();
        }
        fs::setProgramFolder(QString());
    }
    // Runs the window and the device for `seconds` of sound; returns where that began.
    size_t run(double seconds) {
        const size_t from = out.elapsed();
        out.waitFor(seconds);
        QCoreApplication::processEvents();
        return from;
    }

    TempFolder tmp;
    DiskOutput out{tmp.path()};
    bool finished = false;
    ui::MessageRecorder messages;
    std::unique_ptr<Tfrm_Main> frm;
};

}  // namespace

TEST_F(LessonTextWindow, AQuizStopsTheReadingAndTheButtonReopensTheLesson) {
    ASSERT_FALSE(frm->State.LessonCode.isEmpty()) << "the first lesson is selected at first show";
    frm->TBlesson->click();
    const player::TsfFlashPlayer* flash = frm->LessonText->panel().Flashbg;
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_FALSE(frm->pnlrszc->isHidden());
    EXPECT_FALSE(flash->isHidden());
    EXPECT_EQ(frm->State.OpenLessonCode, frm->State.LessonCode);
    const size_t opened = run(1.0);

    frm->TB_rszc->click();  // 看音认字: the question is shown, not read
    EXPECT_TRUE(frm->pnlrszc->isHidden());
    EXPECT_FALSE(BASS_ChannelStop(frm->State.ChannelSlots[1])) << "the reading's stream is freed";
    const size_t quiz = run(1.0);

    frm->TBlesson->click();
    EXPECT_FALSE(frm->pnlrszc->isHidden());
    EXPECT_FALSE(flash->isHidden());
    const size_t back = run(1.0);
    EXPECT_TRUE(messages.messages().empty());

    finished = true;
    const Capture c = out.finish();
    EXPECT_GT(soundingFrames(c, opened, quiz), 44100u / 4) << "the reading sounds";
    EXPECT_EQ(soundingFrames(c, quiz + 2048, back), 0u) << "the quiz stopped the reading";
    EXPECT_GT(soundingFrames(c, back, c.frames()), 44100u / 4) << "the reading starts again";
}
