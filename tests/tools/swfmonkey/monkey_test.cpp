// The monkey: its stream is the seed's alone, it finds what acts on the pointer through the
// control, it names a movie whose scripts hung, and short runs over movies of our own (written
// here, and the program's own) stay clean.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "../../platform/flash/runtime/test_movies.h"
#include "monkey_input.h"
#include "monkey_run.h"
#include "movie_host.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"

namespace pencora::swfmonkey {
namespace {

using runtime::test::Actions;
using runtime::test::at;
using runtime::test::square;

// A button at (100,100)-(200,200) that says "click" on release, a hidden button, an input
// field at (300,50) 120 x 20, a plain square, and a root that traces each key it hears.
swfwrite::MovieBuilder activeMovie(uint8_t version) {
    swfwrite::MovieBuilder b(version);
    const uint16_t shape = b.define(square(100, 100, 200, 200, {255, 0, 0, 255}));
    swf::Button button;
    button.version = 2;
    for (uint8_t state : {swf::button_state::Up, swf::button_state::HitTest}) {
        swf::ButtonRecord r;
        r.states = state;
        r.characterId = shape;
        r.depth = 1;
        button.records.push_back(r);
    }
    button.actions = {swf::ButtonCondAction{swf::button_condition::OverDownToOverUp, 0,
                                            Actions().say("click").end()}};
    const uint16_t buttonId = b.define(button);
    swf::EditText field;
    field.bounds = {0, 120 * 20, 0, 20 * 20};
    field.variableName = "typed";
    field.fontHeight = 240;
    const uint16_t fieldId = b.define(field);
    const uint16_t plain = b.define(square(0, 300, 50, 350, {0, 0, 255, 255}));
    b.place(buttonId, 1);
    swf::PlaceObject hidden;
    hidden.depth = 2;
    hidden.characterId = buttonId;
    hidden.name = "hidden";
    hidden.matrix = at(300, 200);
    b.place(hidden);
    b.place(fieldId, 3, at(300, 50));
    b.place(plain, 4);
    b.label("start").showFrame();
    // Frame 2 hides the second button: setProperty("hidden", _visible, 0).
    Actions hide;
    hide.bytes = {0x96, 18, 0, 0, 'h', 'i', 'd', 'd', 'e', 'n', 0, 1, 0, 0, 0xE0, 0x40,  // 7.0
                  1,    0,  0, 0, 0,                                                     // 0.0
                  0x23};
    b.doAction(hide.end()).showFrame();
    return b;
}

std::filesystem::path writeMovie(const QTemporaryDir& dir, const std::string& name,
                                 const swfwrite::MovieBuilder& b) {
    const std::filesystem::path path = dir.filePath(QString::fromStdString(name)).toStdString();
    const swf::Bytes bytes = b.write();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

TEST(MonkeyInput, TheSeedAloneDecidesTheStream) {
    View view;
    view.activeAreas = {{10, 10, 20, 20}};
    view.labels = {u"start"};
    auto stream = [&](std::uint64_t seed) {
        Monkey monkey(seed, {u"a.swf", u"b.swf"});
        std::vector<std::tuple<int, double, double, int, char16_t, int>> out;
        int commands = 0;
        for (int frame = 0; frame < 3000; ++frame) {
            const FrameActions a = monkey.next(view);
            for (const auto& e : a.events) {
                out.emplace_back(int(e.kind), e.x, e.y, e.keyCode, e.character, int(e.command));
            }
            for (const auto& c : a.commands) {
                out.emplace_back(100 + int(c.kind), c.number, 0, int(c.a.size()),
                                 c.b.empty() ? 0 : c.b[0], 0);
                ++commands;
            }
        }
        return std::pair(out, commands);
    };
    const auto first = stream(7);
    EXPECT_EQ(first, stream(7));
    EXPECT_NE(first.first, stream(8).first);
    // Every kind of doing turns up in a long run, commands among them.
    std::set<int> kinds;
    for (const auto& e : first.first) {
        kinds.insert(std::get<0>(e));
    }
    for (int kind = 0; kind <= int(flash::InputKind::Composition); ++kind) {
        EXPECT_TRUE(kinds.contains(kind)) << "input kind " << kind;
    }
    for (int kind = 100; kind <= 100 + int(ControlCommand::Kind::LoadMovie); ++kind) {
        EXPECT_TRUE(kinds.contains(kind)) << "command " << kind - 100;
    }
}

TEST(MonkeyInput, PointsStayNearTheStageAndOftenLandOnActiveAreas) {
    View view;
    view.stageWidth = 300;
    view.stageHeight = 200;
    view.activeAreas = {{250, 150, 260, 160}, {-1e9, -1e9, 1e9, 1e9}};
    Monkey monkey(3, {});
    int onArea = 0, presses = 0;
    for (int frame = 0; frame < 2000; ++frame) {
        for (const auto& e : monkey.next(view).events) {
            if (e.kind != flash::InputKind::MouseMove && e.kind != flash::InputKind::MouseDown) {
                continue;
            }
            EXPECT_GE(e.x, -10);
            EXPECT_LE(e.x, 310);
            EXPECT_GE(e.y, -10);
            EXPECT_LE(e.y, 210);
            if (e.kind == flash::InputKind::MouseDown) {
                ++presses;
                onArea += e.x >= 250 && e.x <= 260 && e.y >= 150 && e.y <= 160;
            }
        }
    }
    EXPECT_GT(presses, 100);
    EXPECT_GT(onArea, presses / 10);
}

// The control reports the boxes of the buttons and input fields that show, in stage pixels,
// whatever the movie's version; a hidden button and a plain shape are not among them.
TEST(MonkeyRun, TheControlReportsWhatActsOnThePointer) {
    for (uint8_t version : {uint8_t(5), uint8_t(6), uint8_t(8)}) {
        QTemporaryDir dir;
        swfplay::MovieHost host;
        ASSERT_TRUE(host.load(writeMovie(dir, "active.swf", activeMovie(version))));
        host.advance(2);  // frame 2 hides the second button
        std::vector<flash::StageRect> areas = host.activeAreas();
        ASSERT_EQ(areas.size(), 2u) << "version " << int(version);
        EXPECT_DOUBLE_EQ(areas[0].left, 100);
        EXPECT_DOUBLE_EQ(areas[0].top, 100);
        EXPECT_DOUBLE_EQ(areas[0].right, 200);
        EXPECT_DOUBLE_EQ(areas[0].bottom, 200);
        EXPECT_NEAR(areas[1].left, 300, 3);
        EXPECT_NEAR(areas[1].top, 50, 3);
        EXPECT_NEAR(areas[1].right, 420, 3);
    }
}

TEST(MonkeyRun, ARunIsCleanAndTheSameSeedRepeatsIt) {
    QTemporaryDir dir;
    const auto movie = writeMovie(dir, "active.swf", activeMovie(8));
    writeMovie(dir, "other.swf", activeMovie(6));
    RunOptions options;
    options.frames = 300;
    options.seed = 5;
    const RunReport first = runMonkey(movie, options);
    ASSERT_TRUE(first.loaded);
    EXPECT_EQ(first.framesPlayed, 300);
    EXPECT_TRUE(first.problems.empty()) << first.problems.front();
    EXPECT_GT(first.events, 300);
    EXPECT_EQ(runMonkey(movie, options).digest, first.digest);
    // The clicks that landed on the button were heard.
    EXPECT_NE(first.digest, RunReport().digest);
}

// A script that runs past its time limit stops the movie's scripts: the run ends there and
// says so.
TEST(MonkeyRun, AHungScriptIsAProblem) {
    swfwrite::MovieBuilder b(8);
    b.movie().scriptTimeoutSeconds = 1;
    b.showFrame();
    Actions spin;
    spin.bytes = {0x99, 2, 0, 0xFB, 0xFF};  // Jump -5: to itself
    b.doAction(spin.end()).showFrame();
    QTemporaryDir dir;
    RunOptions options;
    options.frames = 50;
    const RunReport r = runMonkey(writeMovie(dir, "spin.swf", b), options);
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.framesPlayed, 2);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("time limit"), std::string::npos);
}

// The program's own movies take a short run cleanly.
TEST(MonkeyRun, TheProgramsOwnMoviesRunCleanly) {
    const std::filesystem::path source = PENCORA_SOURCE_DIR;
    for (const auto& movie :
         {source / "src/app/resources/movies/LABA", source / "src/player/resources/STEEL",
          source / "src/player/resources/SETVOLUME"}) {
        RunOptions options;
        options.frames = 120;
        const RunReport r = runMonkey(movie, options);
        ASSERT_TRUE(r.loaded) << movie;
        EXPECT_EQ(r.framesPlayed, 120) << movie;
        EXPECT_TRUE(r.problems.empty()) << movie << ": " << r.problems.front();
    }
}

}  // namespace
}  // namespace pencora::swfmonkey

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens without the test environment: no display is needed either way.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    pencora::flash::registerFlashControl(pencora::flash::createDefaultMovieEngine);
    return RUN_ALL_TESTS();
}
