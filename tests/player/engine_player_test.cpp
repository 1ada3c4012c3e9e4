// The player with our movie engine behind the control: a movie loaded from a memory stream
// shows on a panel, over the panel's image while transparent and over Color when not; its
// button's command reaches OnHandleFSCommand from the event loop; the captures hold it.
//
// The movie is made here with the SWF writer: a 160 x 160 stage, a red button square from
// (40, 40) to (100, 100) whose release sends FSCommand("btnread", "1").
// With PENCORA_PLAYER_HOLD_MS set, the panel stays on screen that long for a screenshot.
#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"
#include "platform/ole/stream.h"
#include "player/flash_player.h"
#include "support/events.h"

namespace pencora::player {
namespace {

using pencora::testing::wait;

swf::Bytes buttonMovie() {
    swfwrite::MovieBuilder b(8, 160, 160, 24);
    b.background({255, 255, 255, 255});
    swfwrite::ShapeBuilder sb;
    const auto fill = sb.addFill(swfwrite::solidFill({255, 0, 0, 255}));
    sb.rectangle(40 * 20, 40 * 20, 100 * 20, 100 * 20, fill);
    const auto square = b.define(sb.build());
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord record;
    record.states = 0x0F;  // up, over, down and hit area
    record.characterId = square;
    record.depth = 1;
    button.records.push_back(record);
    swf::Bytes act{0x83};
    const std::string url = "FSCommand:btnread";
    swf::Bytes body(url.begin(), url.end());
    body.push_back(0);
    body.push_back('1');
    body.push_back(0);
    act.push_back(static_cast<std::uint8_t>(body.size()));
    act.push_back(0);
    act.insert(act.end(), body.begin(), body.end());
    act.push_back(0);
    button.actions.push_back(
        swf::ButtonCondAction{swf::button_condition::OverDownToOverUp, 0, act});
    const auto id = b.define(button);
    b.place(id, 1).doAction({0x07, 0}).showFrame();
    return b.write(swf::Compression::None);
}

class EnginePlayerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_player_engine";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        flash::registerFlashControl([] { return flash::createDefaultMovieEngine(); });
    }
};

TEST_F(EnginePlayerTest, StreamMovieShowsOnAPanelAndSendsItsCommand) {
    QLabel panel;
    panel.resize(420, 220);
    QImage stripes(420, 220, QImage::Format_RGB32);
    {
        QPainter p(&stripes);
        for (int x = 0; x < 420; x += 20) {
            p.fillRect(x, 0, 10, 220, QColor(0, 160, 0));
            p.fillRect(x + 10, 0, 10, 220, QColor(0, 90, 200));
        }
    }
    panel.setPixmap(QPixmap::fromImage(stripes));

    TsfFlashPlayer clear(&panel);
    ASSERT_TRUE(clear.IsFlashAviable());
    clear.SetBounds(20, 20, 160, 160);
    TsfFlashPlayer opaque(&panel);
    opaque.setColor(QColor(255, 255, 0));
    opaque.setTransparent(false);
    opaque.SetBounds(230, 20, 160, 160);

    const swf::Bytes movie = buttonMovie();
    const auto stream = ole::streamOnBytes(movie);
    clear.LoadMovieFromStream(0, stream.get());
    opaque.LoadMovieFromStream(0, stream.get());
    panel.show();
    wait(150);

    // Transparent: the panel's stripes behind the movie; the movie's square over them.
    clear.Paint(nullptr);
    const TsfBitmap* f = clear.GrabCurrentFrame2();
    EXPECT_EQ(f->GetPixel(2, 2) & 0xFFFFFF, stripes.pixel(22, 22) & 0xFFFFFF);
    EXPECT_EQ(f->GetPixel(12, 2) & 0xFFFFFF, stripes.pixel(32, 22) & 0xFFFFFF);
    EXPECT_EQ(f->GetPixel(70, 70) & 0xFFFFFF, 0xFF0000u);
    // Opaque: Color behind the movie.
    opaque.Paint(nullptr);
    EXPECT_EQ(opaque.GrabCurrentFrame2()->GetPixel(2, 2), 0xFFFFFF00u);
    EXPECT_EQ(opaque.GrabCurrentFrame2()->GetPixel(70, 70) & 0xFFFFFF, 0xFF0000u);
    // And on the screen: the panel as painted holds the composed frames.
    const QImage onScreen = panel.grab().toImage();
    EXPECT_EQ(onScreen.pixel(90, 90) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(onScreen.pixel(232, 22) & 0xFFFFFF, 0xFFFF00u);

    // The button's command arrives later, from the event loop.
    QString command, args;
    bool insideRelease = false;
    clear.OnHandleFSCommand = [&](TsfFlashPlayer* sender, const QString& c, const QString& a) {
        EXPECT_EQ(sender, &clear);
        EXPECT_FALSE(insideRelease);
        command = c;
        args = a;
    };
    const QPoint at(70, 70);
    QMouseEvent move(QEvent::MouseMove, at, clear.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&clear, &move);
    QMouseEvent down(QEvent::MouseButtonPress, at, clear.mapToGlobal(at), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&clear, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, clear.mapToGlobal(at), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    insideRelease = true;
    QApplication::sendEvent(&clear, &up);
    insideRelease = false;
    for (int i = 0; i < 20 && command.isEmpty(); ++i) {
        wait(25);
    }
    EXPECT_EQ(command, "btnread");
    EXPECT_EQ(args, "1");
    EXPECT_EQ(clear.cursor().shape(), Qt::PointingHandCursor) << "the movie's button cursor";

    // Captures: alpha from black and white, and a JPEG another decoder reads.
    const auto alpha = clear.GrabToBmpAlpha();
    ASSERT_EQ(alpha->width(), 160);
    EXPECT_EQ(alpha->GetPixel(70, 70), 0xFFFF0000u);
    EXPECT_EQ(alpha->GetPixel(5, 5), 0u);
    const QImage jpeg = QImage::fromData(clear.GrabToJpg(), "JPEG");
    ASSERT_EQ(jpeg.size(), QSize(160, 160));
    EXPECT_GT(qRed(jpeg.pixel(70, 70)), 200);
    EXPECT_LT(qBlue(jpeg.pixel(70, 70)), 60);

    if (const int hold = qEnvironmentVariableIntValue("PENCORA_PLAYER_HOLD_MS"); hold > 0) {
        panel.update();
        wait(hold);
    }
}

// Keys typed while the player has the keyboard reach the movie: a button's keyPress
// conditions for "a" and for Left send their commands.
TEST_F(EnginePlayerTest, KeysReachTheMovieWhileThePlayerHasTheKeyboard) {
    swfwrite::MovieBuilder b(8, 160, 160, 24);
    swfwrite::ShapeBuilder sb;
    sb.rectangle(0, 0, 40 * 20, 40 * 20, sb.addFill(swfwrite::solidFill({255, 0, 0, 255})));
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord record;
    record.states = 0x0F;
    record.characterId = b.define(sb.build());
    record.depth = 1;
    button.records.push_back(record);
    auto command = [](const std::string& arg) {
        const std::string url = "FSCommand:typed";
        swf::Bytes body(url.begin(), url.end());
        body.push_back(0);
        body.insert(body.end(), arg.begin(), arg.end());
        body.push_back(0);
        swf::Bytes act{0x83, static_cast<std::uint8_t>(body.size()), 0};
        act.insert(act.end(), body.begin(), body.end());
        act.push_back(0);
        return act;
    };
    button.actions.push_back(swf::ButtonCondAction{0, 'a', command("a")});
    button.actions.push_back(swf::ButtonCondAction{0, 1, command("left")});
    b.place(b.define(button), 1).doAction({0x07, 0}).showFrame();
    const swf::Bytes movie = b.write(swf::Compression::None);

    QWidget panel;
    panel.resize(200, 200);
    TsfFlashPlayer player(&panel);
    ASSERT_TRUE(player.IsFlashAviable());
    player.SetBounds(0, 0, 160, 160);
    const auto stream = ole::streamOnBytes(movie);
    player.LoadMovieFromStream(0, stream.get());
    std::vector<QString> typed;
    player.OnHandleFSCommand = [&](TsfFlashPlayer*, const QString& c, const QString& a) {
        if (c == "typed") {
            typed.push_back(a);
        }
    };
    panel.show();
    wait(100);
    // The host takes no focus by itself; a form that wants keys in the movie gives it.
    EXPECT_EQ(player.focusPolicy(), Qt::NoFocus);
    player.setFocusPolicy(Qt::StrongFocus);
    player.setFocus();

    for (auto [key, text] :
         {std::pair{Qt::Key_A, QStringLiteral("a")}, std::pair{Qt::Key_Left, QString()}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&player, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(&player, &release);
        for (int i = 0; i < 20 && typed.size() < (key == Qt::Key_A ? 1u : 2u); ++i) {
            wait(25);
        }
    }
    EXPECT_EQ(typed, (std::vector<QString>{"a", "left"}));
}

}  // namespace
}  // namespace pencora::player
