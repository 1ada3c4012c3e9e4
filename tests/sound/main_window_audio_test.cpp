// The main window starts the audio library when it is created and frees it when it closes.
#include "app/tfrm_main.h"
#include "listening.h"
#include "platform/audio/bass.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "sound/audio_startup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace pencora;
using namespace std::chrono_literals;

namespace {

int argc = 1;
char arg0[] = "main_window_audio_test";
char* argv[] = {arg0, nullptr};

QApplication& app() {
    static QApplication instance(argc, argv);
    return instance;
}

}  // namespace

TEST(MainWindowAudio, WithoutADeviceStartUpShowsOneErrorBoxAndTheWindowRunsOn) {
    app();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
    ui::MessageRecorder recorder;
    {
        Tfrm_Main frm_Main;
        frm_Main.FormCreate(&frm_Main);
        // Other start-up steps may report too (a catalogue that is missing); the audio
        // library says one thing only.
        std::vector<ui::MessageRecorder::Entry> audio;
        for (const auto& m : recorder.messages()) {
            if (m.text == QString::fromUtf16(sound::kInitFailedText) ||
                m.text == QString::fromUtf16(sound::kWrongVersionText)) {
                audio.push_back(m);
            }
        }
        ASSERT_EQ(audio.size(), 1u);
        EXPECT_EQ(audio[0].text, QStringLiteral("发音引擎初始化错误，可能无法正常使用朗读功能!"));
        EXPECT_EQ(audio[0].icon, ui::MessageIcon::Error);
        EXPECT_TRUE(audio[0].title.isEmpty());
        EXPECT_TRUE(audio[0].owner.isNull());
        EXPECT_EQ(frm_Main.State.ChannelSlots[0], 0u) << "no welcome cue without a library";
        frm_Main.FormClose(&frm_Main);
    }
    fs::setProgramFolder({});
}

TEST(MainWindowAudio, CreationPlaysTheWelcomeCueAndClosingStopsIt) {
    app();
    audio::testing::TempFolder tmp;
    audio::testing::DiskOutput out(tmp.path());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (tmp.path() / "output.raw").c_str(), 1);
    fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
    ui::MessageRecorder recorder;
    {
        Tfrm_Main frm_Main;
        frm_Main.FormCreate(&frm_Main);
        EXPECT_NE(frm_Main.State.ChannelSlots[0], 0u);
        const uint32_t cue = frm_Main.State.ChannelSlots[0];
        out.waitFor(0.7);  // the cue starts after a breath of silence
        frm_Main.FormClose(&frm_Main);
        EXPECT_FALSE(BASS_ChannelStop(cue)) << "shut-down freed the cue";
    }
    for (const auto& m : recorder.messages()) {
        EXPECT_NE(m.text, QString::fromUtf16(sound::kInitFailedText));
    }
    const audio::testing::Capture c = out.finish();
    EXPECT_GT(audio::testing::soundingFrames(c, 0, c.frames()), 2000u) << "the cue was heard";
    fs::setProgramFolder({});
}
