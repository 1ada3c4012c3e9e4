// The control's arithmetic and text rules, by rows: where the stage lands in each scale mode
// and alignment, zoom and pan, the local addresses the control may read itself, and the
// stand-in engine's reading of movie headers.
#include <gtest/gtest.h>

#include "platform/flash/control/control_properties.h"
#include "platform/flash/control/local_fetch.h"
#include "platform/flash/control/stage_layout.h"
#include "platform/flash/control/stub_engine.h"
#include "platform/flash/control/text_commands.h"

namespace pencora::flash {
namespace {

TEST(StageLayout, PlacesTheStageByScaleModeAndAlignment) {
    struct Row {
        const char* name;
        ScaleMode mode;
        int align;
        double a, d, tx, ty;
    };
    // A 200 x 100 stage in a 400 x 300 control at (10, 20).
    const Row rows[] = {
        {"show all centres", ScaleMode::ShowAll, 0, 2, 2, 10, 70},
        {"show all top", ScaleMode::ShowAll, kAlignTop, 2, 2, 10, 20},
        {"show all bottom", ScaleMode::ShowAll, kAlignBottom, 2, 2, 10, 120},
        {"no border crops the sides", ScaleMode::NoBorder, 0, 3, 3, -90, 20},
        {"no border left", ScaleMode::NoBorder, kAlignLeft, 3, 3, 10, 20},
        {"exact fit stretches", ScaleMode::ExactFit, 0, 2, 3, 10, 20},
        {"no scale centres", ScaleMode::NoScale, 0, 1, 1, 110, 120},
        {"no scale right bottom", ScaleMode::NoScale, kAlignRight | kAlignBottom, 1, 1, 210, 220},
    };
    for (const Row& row : rows) {
        StageLayout layout{ole::RECT{10, 20, 410, 320}, 200, 100, row.mode, row.align, {}};
        const StageMatrix m = stageMatrix(layout);
        EXPECT_DOUBLE_EQ(m.a, row.a) << row.name;
        EXPECT_DOUBLE_EQ(m.d, row.d) << row.name;
        EXPECT_DOUBLE_EQ(m.tx, row.tx) << row.name;
        EXPECT_DOUBLE_EQ(m.ty, row.ty) << row.name;
        const auto inv = inverse(m);
        ASSERT_TRUE(inv);
        EXPECT_NEAR(inv->a * m.tx + inv->tx, 0, 1e-9) << row.name;
    }
    // No stage yet: the identity at the object's corner, no division by zero.
    const StageMatrix empty =
        stageMatrix(StageLayout{ole::RECT{5, 6, 50, 60}, 0, 0, ScaleMode::ShowAll, 0, {}});
    EXPECT_DOUBLE_EQ(empty.a, 1);
    EXPECT_DOUBLE_EQ(empty.tx, 5);
}

TEST(StageLayout, ZoomsAndPansInsideTheStage) {
    StageLayout layout{ole::RECT{0, 0, 200, 100}, 200, 100, ScaleMode::ShowAll, 0, {}};
    EXPECT_FALSE(panView(layout, 10, 10, 0));  // nothing to pan at full view
    layout.view = zoomView(layout, 50);
    ASSERT_TRUE(layout.view);
    EXPECT_DOUBLE_EQ(layout.view->left, 50);
    EXPECT_DOUBLE_EQ(layout.view->right, 150);
    EXPECT_DOUBLE_EQ(stageMatrix(layout).a, 2);

    // Ten control pixels at 2x are five stage pixels; a pan never leaves the stage.
    layout.view = panView(layout, 10, 0, 0);
    EXPECT_DOUBLE_EQ(layout.view->left, 55);
    layout.view = panView(layout, 100, 100, 1);
    EXPECT_DOUBLE_EQ(layout.view->left, 100);
    EXPECT_DOUBLE_EQ(layout.view->bottom, 100);

    EXPECT_FALSE(zoomView(layout, 0));    // back to the whole stage
    EXPECT_FALSE(zoomView(layout, 400));  // zoomed out beyond the stage is the whole stage
    const auto rect = zoomRectView(layout, 200, 400, 1200, 1400);  // twips
    ASSERT_TRUE(rect);
    EXPECT_DOUBLE_EQ(rect->left, 10);
    EXPECT_DOUBLE_EQ(rect->bottom, 70);
    EXPECT_EQ(zoomRectView(layout, 50, 0, 10, 10)->left, layout.view->left);  // inverted: kept
}

TEST(ControlProperties, ReadsTheTextFormsIgnoringCase) {
    EXPECT_EQ(parseWindowMode(u"opaque"), WindowMode::Opaque);
    EXPECT_EQ(parseWindowMode(u"gpu"), WindowMode::Window);
    EXPECT_EQ(parseScaleMode(u"EXACTFIT"), ScaleMode::ExactFit);
    EXPECT_EQ(parseScaleMode(u""), ScaleMode::ShowAll);
    EXPECT_EQ(canonicalQuality(u"best"), u"Best");
    EXPECT_EQ(canonicalQuality(u"ultra"), u"High");
    EXPECT_EQ(renderQuality(u"AutoLow"), Quality::Low);
    EXPECT_EQ(parseAlign(u"bR"), kAlignBottom | kAlignRight);
    struct ColorRow {
        const char16_t* text;
        std::int32_t value;
    };
    for (const ColorRow& row :
         {ColorRow{u"#FFFFFF", 0xFFFFFF}, ColorRow{u"0x00ff00", 0x00FF00}, ColorRow{u"abc", 0xABC},
          ColorRow{u"", -1}, ColorRow{u"#GG0000", -1}, ColorRow{u"#1234567", -1}}) {
        EXPECT_EQ(parseColor(row.text), row.value);
    }
    const auto vars = parseQueryVariables(u"a=1&&b=x+y%20z&c&=skipped&d=%zz");
    ASSERT_EQ(vars.size(), 4u);
    EXPECT_EQ(vars[1].second, u"x y z");
    EXPECT_EQ(vars[2], (std::pair<std::u16string, std::u16string>{u"c", u""}));
    EXPECT_EQ(vars[3].second, u"%zz");  // a broken escape stays as written
}

TEST(ControlProperties, SavedStateRoundTripsAndRejectsCutOffBlocks) {
    ControlProperties p;
    p.movie = u"课文.swf";
    p.windowMode = WindowMode::Transparent;
    p.backgroundColor = 0x102030;
    p.loop = false;
    const auto bytes = saveControlState(p);
    const auto back = loadControlState(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, p);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        EXPECT_FALSE(loadControlState(std::span(bytes.data(), cut))) << cut;
    }
    // A text record claiming more than the block holds is refused, not read past the end.
    std::vector<std::uint8_t> hostile = {'P', 'n', 'F', 'l', 1,    0,    1,    0,   0,
                                         0,   102, 0,   3,   0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(loadControlState(hostile));
}

TEST(LocalFetch, NamesOnlyLocalFiles) {
    struct Row {
        const char16_t* address;
        const char16_t* base;
        const char* path;  // nullptr: not a local file
    };
    const Row rows[] = {
        {u"file:///movies/a.swf", u"", "/movies/a.swf"},
        {u"file://localhost/movies/a%20b.swf", u"", "/movies/a b.swf"},
        {u"FILE:///C:/x.swf", u"", "C:/x.swf"},
        {u"/abs/b.swf?x=1", u"", "/abs/b.swf"},
        {u"C:\\lessons\\c.swf", u"", "C:/lessons/c.swf"},
        {u"child.swf", u"/movies/", "/movies/child.swf"},
        {u"sub\\child.swf#top", u"file:///movies/", "/movies/sub/child.swf"},
        {u"child.swf", u"", nullptr},              // relative without a base
        {u"../secret.txt", u"/movies/", nullptr},  // stays below the movie's folder
        {u"http://zzz/a.swf", u"", nullptr},
        {u"https://example.com/a.swf", u"", nullptr},
        {u"rtmp://example.com/a", u"", nullptr},
        {u"javascript:alert(1)", u"", nullptr},
        {u"child.swf", u"http://example.com/", nullptr},
        {u"", u"/movies/", nullptr},
        // Code units a movie may write that form no character are replaced, not a crash.
        {u"/m/\xD800x%FF.swf", u"", "/m/\xEF\xBF\xBDx%FF.swf"},
        {u"file:///m/%FF%E6%9C%97.swf", u"", "/m/\xEF\xBF\xBD\xE6\x9C\x97.swf"},
    };
    for (const Row& row : rows) {
        const auto path = localFilePath(row.address, row.base);
        const std::string name(row.address, row.address + std::u16string_view(row.address).size());
        if (row.path) {
            ASSERT_TRUE(path) << name;
            EXPECT_EQ(path->generic_string(), row.path) << name;
        } else {
            EXPECT_FALSE(path) << name;
        }
    }
    EXPECT_EQ(localFolderOf(u"file:///movies/a.swf"), u"/movies/");
    EXPECT_EQ(localFolderOf(u"http://zzz/a.swf"), u"");
    EXPECT_FALSE(readLocalFile("/nonexistent/pencora.swf"));
}

TEST(StubEngine, ReadsTheHeaderAndDrawsTheStageColour) {
    // FWS version 6, stage 0..550 x 0..400 (twips 11000 x 8000 in 15-bit fields), 12 fps,
    // 2 frames, SetBackgroundColor(0x336699), ShowFrame, ShowFrame, End.
    std::vector<std::uint8_t> movie = {'F',  'W',  'S',  6,    0,    0,    0,    0,
                                       0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0,
                                       0x00, 0x00, 0x0C, 0x02, 0x00, 0x43, 0x02, 0x33,
                                       0x66, 0x99, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00};
    movie[4] = static_cast<std::uint8_t>(movie.size());
    auto engine = createStubMovieEngine();
    ASSERT_TRUE(engine->loadMovie(0, movie, u"a.swf", {}));
    const MovieInfo info = engine->movieInfo();
    EXPECT_EQ(info.swfVersion, 6);
    EXPECT_DOUBLE_EQ(info.stageWidth, 550);
    EXPECT_DOUBLE_EQ(info.stageHeight, 400);
    EXPECT_DOUBLE_EQ(info.frameRate, 12);
    EXPECT_EQ(info.frameCount, 2);
    EXPECT_EQ(info.framesLoaded, 2);
    EXPECT_EQ(info.backgroundColor, 0x336699u);
    engine->runFrame();
    engine->runFrame();
    EXPECT_EQ(engine->currentFrame(u""), 1);
    std::vector<std::uint8_t> pixels(4 * 4 * 4, 0);
    engine->render(RenderTarget{pixels.data(), 4, 4, 16, 1, 1, 3, 3}, RenderOptions{});
    EXPECT_EQ(pixels[0], 0);                       // outside the clip
    EXPECT_EQ(pixels[(1 * 4 + 1) * 4 + 0], 0x99);  // blue first
    EXPECT_EQ(pixels[(1 * 4 + 1) * 4 + 3], 0xFF);

    // Truncated and foreign data load nothing and read nothing out of bounds.
    for (std::size_t cut = 0; cut < 12; ++cut) {
        EXPECT_FALSE(engine->loadMovie(0, std::span(movie.data(), cut), u"", {})) << cut;
    }
    const std::uint8_t garbage[] = {'C', 'W', 'S', 9, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    EXPECT_FALSE(engine->loadMovie(0, garbage, u"", {}));
    EXPECT_FALSE(engine->movieInfo().loaded);
}

TEST(TextCommands, KeysGiveTheirEditingCommands) {
    using enum TextCommand;
    struct Case {
        int key;
        bool shift, control;
        TextCommand command;
    };
    const Case cases[] = {
        {0x25, false, false, MoveLeft},     {0x25, true, false, SelectLeft},
        {0x27, false, true, MoveRightWord}, {0x27, true, true, SelectRightWord},
        {0x24, false, false, MoveLeftLine}, {0x23, true, true, SelectRightDocument},
        {0x08, true, false, Backspace},     {0x2E, false, true, Delete},
        {0x0D, false, false, Enter},        {'A', false, true, SelectAll},
        {'C', false, true, Copy},           {'X', true, true, Cut},
        {'V', false, true, Paste},          {'V', false, false, None},
        {0x26, false, false, None},         {0x10, true, false, None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textCommandForKey(c.key, c.shift, c.control), c.command)
            << "key " << c.key << " shift " << c.shift << " control " << c.control;
    }
}

}  // namespace
}  // namespace pencora::flash
