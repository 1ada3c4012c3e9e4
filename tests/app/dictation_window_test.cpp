// 我念你写 in the whole window on the sample course, with the real movie engine behind the
// loudspeaker and the audio library on SDL's disk driver: the loudspeaker's buttons, pressed
// through the engine, reach the window's command handler from the event loop and step the
// dictation; the entries are heard; another lesson stops a dictation.
#include "app/tfrm_main.h"
#include "listening.h"
#include "platform/audio/bass.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "player/flash_player.h"
#include "support/application.h"
#include "support/events.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>

using namespace pencora;

namespace {

using pencora::testing::click;
using pencora::testing::wait;

class DictationWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        pencora::testing::ensureApplication();
        flash::registerFlashControl(flash::createDefaultMovieEngine);
    }
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (tmp.path() / "output.raw").c_str(), 1);
        fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
        frm = std::make_unique<Tfrm_Main>();
        frm->FormCreate(frm.get());
        frm->resize(906, 475);
        frm->show();
        QApplication::processEvents();
        ASSERT_TRUE(frm->State.lessonSelected());
        ASSERT_GE(frm->State.CurrentWords.size(), 2);
    }
    void TearDown() override {
        frm->FormClose(frm.get());
        frm.reset();
        fs::setProgramFolder(QString());
    }

    void enterDictation() {
        frm->TB_listenAndWrite->click();
        ASSERT_FALSE(frm->pnl_wnnx->isHidden());
    }
    QString line() const { return frm->Dictation.panel.lbl_wnnx_state->text(); }
    // A button of the loudspeaker, pressed where the movie draws it (240 x 240 shown whole in
    // 250 x 250), then the event loop run until its command has come through.
    void press(double x, double y) {
        const double scale = 250.0 / 240.0;
        click(frm->flash_laba, QPoint(int(x * scale), int(y * scale)));
        wait(200);
    }
    void pressNext() { press(172, 167); }
    void pressReadAgain() { press(70, 167); }

    audio::testing::TempFolder tmp;
    audio::testing::DiskOutput out{tmp.path()};
    ui::MessageRecorder messages;
    std::unique_ptr<Tfrm_Main> frm;
};

}  // namespace

TEST_F(DictationWindow, TheLoudspeakersButtonsStepTheDictationAndItsEntriesAreHeard) {
    enterDictation();
    frm->Dictation.panel.btn_wnnx1->click();
    const int n = static_cast<int>(frm->State.CurrentWords.size());
    EXPECT_TRUE(line().startsWith(QStringLiteral("已经听写【1】词，共【%1】词").arg(n)));
    EXPECT_NE(frm->State.ChannelSlots[0], 0u) << "the first entry's recording plays";
    EXPECT_TRUE(frm->tim_tx->isActive());
    out.waitFor(0.8);
    wait(150);  // the loudspeaker is drawn before anyone can press its buttons
    pressNext();
    EXPECT_TRUE(line().startsWith(QStringLiteral("已经听写【2】词"))) << line().toStdString();
    EXPECT_TRUE(frm->tim_tx->isActive()) << "the interval starts again";
    const uint32_t second = frm->State.ChannelSlots[0];
    pressReadAgain();
    EXPECT_NE(frm->State.ChannelSlots[0], second) << "read again: a new stream";
    EXPECT_NE(frm->State.ChannelSlots[0], 0u);
    EXPECT_TRUE(line().startsWith(QStringLiteral("已经听写【2】词"))) << "without advancing";
    out.waitFor(0.8);

    frm->FormClose(frm.get());
    const audio::testing::Capture c = out.finish();
    EXPECT_GT(audio::testing::soundingFrames(c, 0, c.frames()), 4000u) << "the entries were heard";
}

TEST_F(DictationWindow, AnotherLessonDuringADictationReturnsToTheStartView) {
    enterDictation();
    frm->Dictation.panel.btn_wnnx1->click();
    ASSERT_FALSE(frm->Dictation.panel.pnl_wnnx_main->isHidden());

    QTreeWidgetItem* current = frm->tv_mulu->currentItem();
    ASSERT_NE(current, nullptr);
    QTreeWidgetItem* next = current->parent()->child(1);
    ASSERT_NE(next, nullptr);
    const QString before = frm->State.CurrentLessonTitle;
    frm->selectNode(next);
    EXPECT_NE(frm->State.CurrentLessonTitle, before);
    EXPECT_FALSE(frm->pnl_wnnx->isHidden());
    EXPECT_TRUE(frm->Dictation.panel.pnl_wnnx_main->isHidden());
    EXPECT_FALSE(frm->tim_tx->isActive());

    // A stale press of the next button reads nothing now; the start button starts afresh.
    const uint32_t slot = frm->State.ChannelSlots[0];
    frm->flash_labaHandleFSCommand(frm->flash_laba, QStringLiteral("btnnext"),
                                   QStringLiteral("下一个"));
    EXPECT_EQ(frm->State.ChannelSlots[0], slot);
    frm->Dictation.panel.btn_wnnx1->click();
    EXPECT_TRUE(line().startsWith(QStringLiteral("已经听写【1】词")));
    EXPECT_TRUE(line().endsWith(frm->State.CurrentLessonTitle));
}
