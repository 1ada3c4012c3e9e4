// Reading corpus tests and input scripts, and one test run end to end through the control
// with the stand-in engine: the runner's plumbing, not the engine's conformance.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>

#include "corpus.h"
#include "forwarding_engine.h"
#include "input_script.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/control/stub_engine.h"
#include "platform/ole/class_registry.h"
#include "stub_movie.h"

namespace pencora::swfplay {
namespace {

TEST(CorpusTest, TakesItsSettingsFromTestToml) {
    const TomlDocument doc = parseToml(R"(num_ticks = 7
[approximations]
epsilon = 0.5
[image_comparisons.a]
trigger = 3
tolerance = 4
[image_comparisons.b]
trigger = "fs_command"
[[image_comparisons.c.checks]]
tolerance = 9
filter = "aarch64"
[[image_comparisons.c.checks]]
tolerance = 1
max_outliers = 2
[player_options]
with_renderer = { quality = "low" }
viewport_dimensions = { width = 200, height = 150, scale_factor = 2.0 }
)");
    ASSERT_TRUE(doc.root) << doc.error;
    const CorpusTest test = corpusTestFrom(*doc.root);
    EXPECT_EQ(test.frames, 7);
    ASSERT_TRUE(test.approximations);
    EXPECT_EQ(test.approximations->epsilon, 0.5);
    EXPECT_EQ(test.quality, u"Low");
    // The control is sized to the viewport in device pixels; none given: the stage's size.
    EXPECT_EQ(test.viewport, std::make_pair(400, 300));
    EXPECT_FALSE(corpusTestFrom(*parseToml("").root).viewport);
    ASSERT_EQ(test.images.size(), 3u);
    EXPECT_EQ(test.images[0].frame, 3);
    EXPECT_EQ(test.images[0].checks[0].tolerance, 4);
    EXPECT_TRUE(test.images[1].onCommand);
    ASSERT_EQ(test.images[2].checks.size(), 1u);  // the aarch64 check does not apply
    EXPECT_EQ(test.images[2].checks[0].maxOutliers, 2);
    EXPECT_EQ(corpusTestFrom(*parseToml("").root).frames, 1);
}

TEST(InputScript, CutsEventsIntoFramesAtWait) {
    std::string error;
    const auto script = parseInputScript(R"([
        {"type": "MouseMove", "pos": [12.5, 20]},
        {"type": "MouseDown", "pos": [12, 20], "btn": "Left"},
        {"type": "Wait"},
        {"type": "KeyDown", "key": {"Char": "a"}},
        {"type": "KeyDown", "key": "ArrowLeft"},
        {"type": "TextInput", "codepoint": "字"},
        {"type": "SetClipboardText", "text": "x"},
        {"type": "TextControl", "code": "SelectRightWord"},
        {"type": "TextControl", "code": "NoSuchCommand"},
        {"type": "ImePreedit", "text": "z"},
        {"type": "Wait"},
        {"type": "MouseWheel", "lines": -1}
    ])",
                                         &error);
    ASSERT_TRUE(script) << error;
    ASSERT_EQ(script->steps.size(), 3u);
    ASSERT_EQ(script->steps[0].size(), 2u);
    EXPECT_EQ(script->steps[0][0].kind, flash::InputKind::MouseMove);
    EXPECT_DOUBLE_EQ(script->steps[0][0].x, 12.5);
    // Clipboard text, known editing commands and an input method's composition are events in
    // their place; what this host cannot express is dropped.
    ASSERT_EQ(script->steps[1].size(), 6u);
    EXPECT_EQ(script->steps[1][0].keyCode, 'A');
    EXPECT_EQ(script->steps[1][0].character, u'a');
    EXPECT_EQ(script->steps[1][1].keyCode, 37);
    EXPECT_EQ(script->steps[1][2].character, u'字');
    EXPECT_EQ(script->steps[1][3].clipboard, std::u16string(u"x"));
    EXPECT_EQ(script->steps[1][4].kind, flash::InputKind::TextCommand);
    EXPECT_EQ(script->steps[1][4].command, flash::TextCommand::SelectRightWord);
    EXPECT_EQ(script->steps[1][5].kind, flash::InputKind::Composition);
    EXPECT_EQ(script->steps[1][5].text, u"z");
    EXPECT_EQ(script->steps[2][0].wheelDelta, -1);
    EXPECT_FALSE(parseInputScript("{\"type\": \"Wait\"}", &error));
    EXPECT_FALSE(parseInputScript("[", &error));
}

TEST(CorpusRun, RunsATestFolderThroughTheControl) {
    ole::ScopedClassRegistration restore(ole::CLSID_ShockwaveFlash, nullptr);
    flash::registerFlashControl(flash::createStubMovieEngine);

    const auto root = std::filesystem::temp_directory_path() / "pencora_swfplay_corpus";
    std::filesystem::remove_all(root);
    const auto folder = root / "visual" / "plain";
    std::filesystem::create_directories(folder);
    test::writeStubMovie(folder / "test.swf");
    std::ofstream(folder / "test.toml") << "num_frames = 2\n[image_comparisons.output]\n";
    QImage expected(550, 400, QImage::Format_ARGB32);
    expected.fill(qRgb(0x33, 0x66, 0x99));
    ASSERT_TRUE(expected.save(QString::fromStdString((folder / "output.expected.png").string())));
    std::ofstream(folder / "output.txt") << "";

    ASSERT_EQ(findCorpusTests(root), std::vector<std::filesystem::path>{folder});
    std::string error;
    auto test = readCorpusTest(folder, root, &error);
    ASSERT_TRUE(test) << error;
    EXPECT_EQ(test->name, "visual/plain");
    EXPECT_TRUE(test->compareTrace);
    const Verdict pass = runCorpusTest(*test);
    EXPECT_TRUE(pass.pass) << pass.reason;

    expected.fill(qRgb(0x33, 0x66, 0x98));
    expected.save(QString::fromStdString((folder / "output.expected.png").string()));
    EXPECT_EQ(runCorpusTest(*test).reason,
              "image output: 220000 pixels differ by more than 0 (largest 1, 0 allowed)");

    std::ofstream(folder / "output.txt") << "hello\n";
    EXPECT_EQ(runCorpusTest(*test).reason, "trace 0 lines, expected 1; first missing: 'hello'");

    std::filesystem::remove(folder / "test.swf");
    EXPECT_EQ(runCorpusTest(*test).reason, "the movie did not load");

    {
        ole::ScopedClassRegistration none(ole::CLSID_ShockwaveFlash, nullptr);
        EXPECT_EQ(runCorpusTest(*test).reason,
                  "the Flash control is not available: REGDB_E_CLASSNOTREG (0x80040154)");
    }
    std::filesystem::remove_all(root);
}

// The stand-in engine, except that its frames crash or never end.
class FaultyEngine final : public test::ForwardingEngine {
  public:
    explicit FaultyEngine(bool hang) : hang_(hang) {}
    void runFrame() override {
        if (!hang_) {
            std::abort();
        }
        volatile unsigned spin = 0;
        while (true) {
            spin = spin + 1u;  // unsigned: wraps, never overflows
        }
    }

  private:
    bool hang_;
};

TEST(CorpusRun, AnEngineThatCrashesOrHangsFailsOnlyItsTest) {
    const auto folder = std::filesystem::temp_directory_path() / "pencora_swfplay_faulty";
    std::filesystem::create_directories(folder);
    test::writeStubMovie(folder / "test.swf");
    std::ofstream(folder / "test.toml") << "num_frames = 1\n";
    std::ofstream(folder / "output.txt") << "";
    std::string error;
    const auto test = readCorpusTest(folder, folder.parent_path(), &error);
    ASSERT_TRUE(test) << error;

    ole::ScopedClassRegistration restore(ole::CLSID_ShockwaveFlash, nullptr);
    flash::registerFlashControl(flash::createStubMovieEngine);
    EXPECT_TRUE(runCorpusTestIsolated(*test, 30).pass);

    flash::registerFlashControl([] { return std::make_unique<FaultyEngine>(false); });
    EXPECT_EQ(runCorpusTestIsolated(*test, 30).reason, "crashed (signal 6)");

    flash::registerFlashControl([] { return std::make_unique<FaultyEngine>(true); });
    EXPECT_EQ(runCorpusTestIsolated(*test, 1).reason, "timed out after 1 s");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pencora::swfplay
