// 同步学课文 heard and seen: the mode on a panel of its own with a recording frame, the
// lesson movies from a small library linked by MinGW-w64 (a010101 red, a010102 blue), the
// readings as tones on SDL's disk driver, each lesson its own pitch.
#include "modes/lessontext/lesson_text_mode.h"
#include "listening.h"
#include "modes/mode_context.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/fs/program_path.h"
#include "player/flash_player.h"
#include "sound/play_file.h"
#include "support/application.h"
#include "support/events.h"
#include "support/fake_mode_context.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>

namespace stdfs = std::filesystem;
using namespace pencora;
using namespace pencora::audio::testing;

namespace {

using pencora::testing::wait;

constexpr double kLow = 440;   // lesson 010101
constexpr double kHigh = 990;  // lesson 010102

class LessonText : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        pencora::testing::ensureApplication();
        flash::registerFlashControl(flash::createDefaultMovieEngine);
    }
    void SetUp() override {
        fs::setProgramFolder(QString::fromStdString(tmp.path().string()));
        library();
        // Lesson 010101 reads 1.2 s low, 010102 1.5 s high.
        recording("010101", 1.2, kLow);
        recording("010102", 1.5, kHigh);
        ASSERT_TRUE(out.start());
        mode = std::make_unique<lessontext::LessonTextMode>(frame, pnlrszc);
    }
    void TearDown() override {
        mode.reset();
        if (!finished) {
            out.finish();
        }
        fs::setProgramFolder({});
    }

    void library() {
        stdfs::create_directories(tmp.path() / "Data" / "lesson");
        stdfs::copy_file(PENCORA_SOURCE_DIR "/tests/modes/lessontext/data/book.dll",
                         tmp.path() / "Data" / "lesson" / "book.dll");
    }
    // A tone as MP3 at a constant bit rate.
    void recording(const std::string& code, double seconds, double frequency) {
        const stdfs::path folder = tmp.path() / "DATA" / "lessonread";
        stdfs::create_directories(folder);
        ASSERT_TRUE(writeTone(folder / (code + ".mp3"), ToneFormat::Mp3, 44100, 1, seconds,
                              frequency, 0.3));
    }
    // Bytes of the recording per second of sound.
    double byteRate(const std::string& code, double seconds) const {
        return double(stdfs::file_size(tmp.path() / "DATA" / "lessonread" / (code + ".mp3"))) /
               seconds;
    }

    void open(const QString& code) {
        frame.state.LessonCode = code;
        mode->TBlessonClick();
    }
    void command(const QString& name, const QString& args) {
        mode->FlashbgHandleFSCommand(name, args);
    }
    // Lets the player and the device run for `seconds` of sound.
    void run(double seconds) {
        out.waitFor(seconds);
        QCoreApplication::processEvents();
    }
    Capture finish() {
        finished = true;
        return out.finish();
    }
    static size_t frames(double seconds) { return size_t(seconds * 44100); }
    double tone(const Capture& c, size_t from, double seconds, double frequency) const {
        return toneAmplitude(c, from + 2048, from + 2048 + frames(seconds), frequency);
    }
    player::TsfFlashPlayer* flash() const { return mode->panel().Flashbg; }
    // The colour in the middle of the movie as drawn.
    QRgb shown() const {
        const QImage image = flash()->GrabToBmp();
        return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
    }

    TempFolder tmp;
    DiskOutput out{tmp.path()};
    bool finished = false;
    pencora::testing::FakeModeContext frame;
    QWidget* pnlrszc = frame.addPanel(QStringLiteral("pnlrszc"));
    std::unique_ptr<lessontext::LessonTextMode> mode;
};

}  // namespace

TEST_F(LessonText, ShowsTheLessonsMovieAndReadsItOnSlotOne) {
    open("010101");
    const size_t openedAt = out.elapsed();
    EXPECT_EQ(frame.shownPanels, std::vector<QWidget*>{pnlrszc});
    EXPECT_EQ(frame.playerNames, std::vector<QString>{"Flashbg"});
    EXPECT_FALSE(pnlrszc->isHidden());
    EXPECT_FALSE(flash()->isHidden());
    EXPECT_NE(frame.state.ChannelSlots[1], 0u);
    EXPECT_EQ(frame.state.OpenLessonCode, "010101");
    EXPECT_TRUE(flash()->IsPlaying());
    EXPECT_EQ(flash()->Volume(), 100);
    EXPECT_FALSE(flash()->VolumeControl());
    EXPECT_FALSE(flash()->Transparent());
    EXPECT_EQ(flash()->Color(), QColor(Qt::white));
    EXPECT_EQ(frame.stopped,
              (std::vector{modes::Activity::Flashcards, modes::Activity::Dictation}));
    wait(100);
    EXPECT_EQ(qRed(shown()), 255);
    EXPECT_EQ(qBlue(shown()), 0);
    run(0.4);
    const Capture c = finish();
    EXPECT_NEAR(tone(c, openedAt, 0.3, kLow), 0.3, 0.06);
}

TEST_F(LessonText, AnotherLessonStopsTheOldReadingAndReadsTheNewFromItsStart) {
    open("010101");
    run(0.3);
    open("010102");
    const size_t switchedAt = out.elapsed();
    EXPECT_EQ(frame.shownPanels.size(), 1u) << "the panel was showing already";
    wait(100);
    EXPECT_EQ(qBlue(shown()), 255);
    EXPECT_EQ(qRed(shown()), 0);
    run(0.5);
    const Capture c = finish();
    EXPECT_NEAR(tone(c, switchedAt, 0.3, kHigh), 0.3, 0.06);
    EXPECT_LT(tone(c, switchedAt, 0.3, kLow), 0.02);
}

TEST_F(LessonText, TheToolbarButtonAgainReopensTheLessonFromItsStart) {
    open("010101");
    run(0.9);  // 0.3 s of the reading left
    open("010101");
    const size_t reopenedAt = out.elapsed();
    EXPECT_TRUE(flash()->IsPlaying());
    run(1.5);
    const Capture c = finish();
    EXPECT_NEAR(c.seconds(soundingFrames(c, reopenedAt, c.frames())), 1.2, 0.1);
}

// The passage commands, each heard alone: how long it sounds tells which bytes were read.
TEST_F(LessonText, PassagesReadTheirByteRangeAndHaltTheMovie) {
    const double rate = byteRate("010102", 1.5);
    open("010102");
    struct Case {
        const char* args;
        double seconds;
    } cases[] = {
        {"1000,3000", 2000 / rate},
        {"5000", 1.5 - 5000 / rate},
        {"", 1.5},
        {"abc,5", 1.5},
    };
    std::vector<std::pair<size_t, double>> heard;
    for (const Case& k : cases) {
        command("lesson_play", k.args);
        EXPECT_FALSE(flash()->IsPlaying()) << k.args;
        EXPECT_NE(frame.state.ChannelSlots[1], 0u) << k.args;
        heard.push_back({out.elapsed(), k.seconds});
        run(k.seconds + 0.3);
    }
    heard.push_back({out.elapsed(), 0});
    const Capture c = finish();
    const double frame = 1152 / 44100.0;  // an MP3 frame, the grain of a byte window
    for (size_t i = 0; i + 1 < heard.size(); ++i) {
        const double sounding = c.seconds(soundingFrames(c, heard[i].first, heard[i + 1].first));
        EXPECT_NEAR(sounding, heard[i].second, 2 * frame + 0.03) << cases[i].args;
    }
}

TEST_F(LessonText, StoppingTheReadingSilencesBothSlotsAndHaltsTheMovie) {
    stdfs::create_directories(tmp.path() / "Data" / "sound");
    writeTone(tmp.path() / "Data" / "sound" / "ma.mp3", ToneFormat::Mp3, 44100, 1, 2, 1500, 0.3);
    open("010102");
    sound::play_file(frame.state.ChannelSlots[0], u"Data\\sound\\ma.mp3");
    run(0.3);
    command("read_lx", "false");
    const size_t stoppedAt = out.elapsed();
    EXPECT_FALSE(flash()->IsPlaying());
    run(0.4);
    command("read_lx", "true");
    const size_t restartedAt = out.elapsed();
    EXPECT_TRUE(flash()->IsPlaying());
    run(0.4);
    const Capture c = finish();
    EXPECT_NEAR(tone(c, stoppedAt - frames(0.25) - 2048, 0.2, 1500), 0.3, 0.06);
    EXPECT_EQ(soundingFrames(c, stoppedAt + 2048, restartedAt), 0u);
    EXPECT_NEAR(tone(c, restartedAt, 0.3, kHigh), 0.3, 0.06);
    EXPECT_LT(tone(c, restartedAt, 0.3, 1500), 0.02) << "the pronunciation stays stopped";
}

TEST_F(LessonText, TurningThePageStopsTheReadingButNotTheMovie) {
    open("010102");
    run(0.3);
    command("lesson_page", "");
    const size_t turnedAt = out.elapsed();
    EXPECT_TRUE(flash()->IsPlaying());
    command("Lesson_Page", "");
    command("READ_LX", "false");
    EXPECT_TRUE(flash()->IsPlaying()) << "commands are compared with their letter case";
    run(0.3);
    const Capture c = finish();
    EXPECT_EQ(soundingFrames(c, turnedAt + 2048, c.frames()), 0u);
}

TEST_F(LessonText, AMissingMovieIsReportedNamingTheLessonAndLeavesThePanelBlack) {
    open("010101");
    run(0.3);
    frame.state.LessonCode = "020304";
    try {
        mode->TBlessonClick();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromStdString(error.what()).contains("020304")) << error.what();
    }
    const size_t failedAt = out.elapsed();
    EXPECT_TRUE(flash()->isHidden());
    EXPECT_FALSE(pnlrszc->isHidden());
    run(0.3);
    const Capture c = finish();
    EXPECT_EQ(soundingFrames(c, failedAt + 2048, c.frames()), 0u) << "the old reading stopped";
}

TEST_F(LessonText, AMissingLibraryIsReportedAndLookedForAgainNextTime) {
    stdfs::remove(tmp.path() / "Data" / "lesson" / "book.dll");
    frame.state.LessonCode = "010101";
    EXPECT_THROW(
        {
            try {
                mode->TBlessonClick();
            } catch (const std::runtime_error& error) {
                EXPECT_TRUE(QString::fromStdString(error.what()).contains("book.dll"));
                throw;
            }
        },
        std::runtime_error);
    EXPECT_TRUE(flash()->isHidden());
    library();
    mode->TBlessonClick();
    EXPECT_FALSE(flash()->isHidden());
}

TEST_F(LessonText, AMissingRecordingLeavesTheMovieSilent) {
    stdfs::remove(tmp.path() / "DATA" / "lessonread" / "010102.mp3");
    open("010102");
    EXPECT_FALSE(flash()->isHidden());
    EXPECT_TRUE(flash()->IsPlaying());
    EXPECT_EQ(frame.state.ChannelSlots[1], 0u);
    command("read_lx", "true");
    command("lesson_play", "100,900");
    EXPECT_EQ(frame.state.ChannelSlots[1], 0u);
    run(0.3);
    const Capture c = finish();
    EXPECT_EQ(soundingFrames(c, 0, c.frames()), 0u);
}

TEST_F(LessonText, BeforeAnyLessonThePanelIsBlackAndNothingIsReported) {
    stdfs::remove(tmp.path() / "Data" / "lesson" / "book.dll");
    EXPECT_NO_THROW(open(QString()));
    EXPECT_FALSE(pnlrszc->isHidden());
    EXPECT_TRUE(flash()->isHidden());
    EXPECT_EQ(pnlrszc->palette().color(QPalette::Window), QColor(Qt::black));
}

// An empty or backward range would open "to the end of the file"; it reads nothing instead.
TEST_F(LessonText, APassageOfNoBytesReadsNothing) {
    open("010102");
    for (const char* args : {"3000,3000", "3000,1000", "-5"}) {
        command("lesson_play", args);
        EXPECT_EQ(frame.state.ChannelSlots[1], 0u) << args;
        EXPECT_FALSE(flash()->IsPlaying());
    }
    const size_t from = out.elapsed();
    run(0.3);
    const Capture c = finish();
    EXPECT_EQ(soundingFrames(c, from + 2048, c.frames()), 0u);
}
