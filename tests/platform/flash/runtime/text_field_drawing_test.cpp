// How text fields land on device pixels: upright boxes snapped to the pixel grid, device text
// hidden once the field turns, the frame's corner, the caret and selection of the focused
// field, unsigned glyph advances, stretched device text and the focus rectangle's _focusrect.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/text/text_field_drawing.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;

constexpr QRgb kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGreen = 0xFF00FF00;

TEST(UprightPixels, CornerAndSizeRoundApart) {
    const QRectF box(0, 0, 200, 200);  // 10 px
    // 76.4 .. 103.7 px: 27 pixels from 76, not 28 from rounding both edges.
    QTransform twice = QTransform::fromScale(2 * 1.36497 / 20, 2 * 1.36497 / 20);
    twice *= QTransform::fromTranslate(76.4, 96.4);
    EXPECT_EQ(uprightPixels(twice, box, false), QRect(76, 96, 27, 27));
    // 38.2 .. 51.85 px: 14 pixels, where rounding both edges down gives 13.
    QTransform once = QTransform::fromScale(1.36497 / 20, 1.36497 / 20);
    once *= QTransform::fromTranslate(38.2, 48.2);
    EXPECT_EQ(uprightPixels(once, box, false), QRect(38, 48, 14, 14));
    // Halves round down.
    QTransform half = QTransform::fromScale(0.05, 0.05) * QTransform::fromTranslate(20.5, 10.5);
    EXPECT_EQ(uprightPixels(half, box, false), QRect(20, 10, 10, 10));
}

TEST(UprightPixels, TinyTurnsCountAsUprightQuarterTurnsOnlyWhenAllowed) {
    const QRectF box(0, 0, 200, 200);
    auto turned = [](double degrees) {
        QTransform t = QTransform::fromScale(0.05, 0.05);
        t *= QTransform().rotate(degrees);
        return t * QTransform::fromTranslate(10, 10);
    };
    EXPECT_EQ(uprightPixels(turned(0.3), box, false), QRect(10, 10, 10, 10));
    EXPECT_FALSE(uprightPixels(turned(45), box, true));
    EXPECT_FALSE(uprightPixels(turned(90), box, false));
    EXPECT_EQ(uprightPixels(turned(90), box, true), QRect(0, 10, 10, 10));
    const QTransform mirrored =
        QTransform::fromScale(-0.05, 0.05) * QTransform::fromTranslate(30, 0);
    EXPECT_FALSE(uprightPixels(mirrored, box, false));
    EXPECT_EQ(uprightPixels(mirrored, box, true), QRect(20, 0, 10, 10));
}

// A DefineFont3 with one glyph, 'a': a square of 16384 units (16 px at 20 px) standing on the
// baseline, advance 20480, ascent 16384, descent 4096.
swf::Font squareFont() {
    swf::Font f;
    f.version = 3;
    f.name = "Square";
    f.wideCodes = true;
    swf::StyleChange start;
    start.moveX = 0;
    start.moveY = -16384;
    start.fill0 = 1;
    f.glyphs.push_back({start, swf::StraightEdge{16384, 0}, swf::StraightEdge{0, 16384},
                        swf::StraightEdge{-16384, 0}, swf::StraightEdge{0, -16384}});
    f.codes = {u'a'};
    f.hasLayout = true;
    f.ascent = 16384;
    f.descent = 4096;
    f.advances = {20480};
    f.glyphBounds = {swf::Rect{}};
    return f;
}

struct FieldPixelsTest : testing::Test, test::EngineFixture {
    static void SetUpTestSuite() { test::ensureGuiApplication(); }
    swfwrite::MovieBuilder b{8, 100, 60};
    FieldPixelsTest() { b.background({0, 255, 0, 255}); }

    // A bordered 40x30 px field at (10, 10) px, in the square font when `font` is given.
    swf::EditText box(std::optional<uint16_t> font, bool input = false) {
        swf::EditText e;
        e.bounds = {0, 800, 0, 600};
        e.border = true;
        e.readOnly = !input;
        if (font) {
            e.fontId = font;
            e.fontHeight = 400;
            e.useOutlines = true;
        }
        return e;
    }
    // A frame showing the field as it is, then one whose script focuses "f".
    void focusInSecondFrame() {
        Assembler a;
        a.push({str("f")}).op(Code::GetVariable);
        a.push({integer(1), str("Selection")})
            .op(Code::GetVariable)
            .push({str("setFocus")})
            .op(Code::CallMethod)
            .op(Code::Pop);
        b.showFrame();
        b.doAction(a.bytes).showFrame();
    }
    void place(const swf::EditText& e, double degrees = 0, const std::string& name = "f") {
        swf::PlaceObject p;
        p.characterId = b.define(e);
        p.depth = 1;
        p.name = name;
        swf::Matrix m;
        const double r = degrees * std::numbers::pi / 180;
        m.a = m.d = std::cos(r);
        m.b = std::sin(r);
        m.c = -std::sin(r);
        m.tx = m.ty = 200;
        p.matrix = m;
        b.place(p);
    }
};

TEST_F(FieldPixelsTest, DeviceTextHidesOnceTurnedOutlineTextTurns) {
    place(box(std::nullopt), 30);
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QImage device = render(100, 60);
    for (int y = 0; y < 60; y += 3) {
        for (int x = 0; x < 100; x += 3) {
            ASSERT_EQ(device.pixel(x, y), kGreen) << x << "," << y;
        }
    }

    swfwrite::MovieBuilder outline(8, 100, 60);
    b = outline;
    b.background({0, 255, 0, 255});
    place(box(b.define(squareFont())), 30);
    b.showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(render(100, 60).pixel(20, 30), kWhite) << "inside the turned box";
}

TEST_F(FieldPixelsTest, OutlineTextClosesTheFramesCorner) {
    place(box(b.define(squareFont())));
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(100, 60);
    EXPECT_EQ(img.pixel(50, 20), kBlack) << "right edge";
    EXPECT_EQ(img.pixel(30, 40), kBlack) << "bottom edge";
    EXPECT_EQ(img.pixel(50, 40), kBlack) << "the corner";
    EXPECT_EQ(img.pixel(51, 41), kGreen);
}

TEST_F(FieldPixelsTest, FocusedEmptyInputShowsItsCaretAtTheGutter) {
    place(box(b.define(squareFont()), true));
    b.showFrame();
    ASSERT_TRUE(load(b));
    EXPECT_EQ(render(100, 60).pixel(12, 20), kWhite) << "no caret before the focus";
    flash::InputEvent tab;
    tab.kind = flash::InputKind::KeyDown;
    tab.keyCode = 9;
    engine->handleInput(tab);
    const QImage img = render(100, 60);
    // 2 px gutter; the line is 16 + 4 px high.
    EXPECT_EQ(img.pixel(11, 20), kWhite);
    EXPECT_EQ(img.pixel(12, 12), kBlack);
    EXPECT_EQ(img.pixel(12, 31), kBlack);
    EXPECT_EQ(img.pixel(12, 32), kWhite) << "below the line";
    EXPECT_EQ(img.pixel(13, 20), kWhite);
}

TEST_F(FieldPixelsTest, FocusSelectsTheTextWhiteOnBlack) {
    swf::EditText e = box(b.define(squareFont()));
    e.initialText = "aa";
    e.border = false;
    e.bounds.xMax = 1600;  // 80 px: room past the text
    place(e);
    focusInSecondFrame();
    ASSERT_TRUE(load(b));
    QImage img = render(100, 60);
    EXPECT_EQ(img.pixel(20, 25), kBlack) << "the first glyph before the focus";
    ASSERT_TRUE(load(b, 2));
    img = render(100, 60);
    EXPECT_EQ(img.pixel(20, 25), kWhite) << "a selected glyph";
    EXPECT_EQ(img.pixel(30, 13), kBlack) << "the selection behind, above the glyph";
    EXPECT_EQ(img.pixel(51, 25), kBlack) << "the selection reaches the second advance's end";
    EXPECT_EQ(img.pixel(52, 25), kGreen) << "and ends there";
}

// The selection's edge inside a pixel covers it by the share of a 4 x 4 grid of samples it
// holds when smoothed: by quarters, each column of samples in or out whole. Without smoothing
// the edge moves to the nearest whole pixel.
TEST_F(FieldPixelsTest, TheSelectionsEdgeCoversAPixelByQuartersWhenSmoothed) {
    struct Case {
        int advanceTwips;  // the one character's advance as the layout counts it, at 20 px
        double scale;
        int column;       // the pixel the selection's right edge falls in
        int smoothGreen;  // the green left there over the green stage, smoothed
        QRgb aliased;     // and without smoothing
    };
    const Case cases[] = {
        {337, 1, 28, 64, kBlack},   // 28.85 px: three sample columns of four
        {324, 1, 28, 191, kGreen},  // 28.2: one
        {322, 1, 28, 255, kGreen},  // 28.1: none, though the edge is in the pixel
        {330, 1, 28, 128, kBlack},  // 28.5: two
        {337, 2, 57, 64, kBlack},   // twice as large, 57.7: three
    };
    for (const Case& c : cases) {
        b = swfwrite::MovieBuilder(8, 100, 60);
        b.background({0, 255, 0, 255});
        swf::Font f = squareFont();
        // Units that make the advance a hair over the whole twips the layout counts.
        f.advances = {int16_t(std::ceil(c.advanceTwips * 20480 / 400.0))};
        swf::EditText e = box(b.define(f));
        e.initialText = "a";
        e.border = false;
        e.bounds.xMax = 1600;
        place(e);
        focusInSecondFrame();
        ASSERT_TRUE(load(b, 2));
        const int y = int(30 * c.scale);  // below the glyph, in the line's descent
        const QImage smooth = render(100, 70, flash::Quality::High, c.scale);
        EXPECT_EQ(smooth.pixel(c.column - 1, y), kBlack) << c.advanceTwips;
        EXPECT_NEAR(qGreen(smooth.pixel(c.column, y)), c.smoothGreen, 2) << c.advanceTwips;
        EXPECT_EQ(qRed(smooth.pixel(c.column, y)), 0) << c.advanceTwips;
        EXPECT_EQ(smooth.pixel(c.column + 1, y), kGreen) << c.advanceTwips;
        const QImage aliased = render(100, 70, flash::Quality::Low, c.scale);
        EXPECT_EQ(aliased.pixel(c.column, y), c.aliased) << c.advanceTwips;
    }
}

TEST_F(FieldPixelsTest, AFieldMasksWithItsLettersOrWithItsBackground) {
    // A red sheet over the whole stage, masked by a field at (10, 10) px holding 'a': the
    // square glyph covers about x 12..28, y 15..31.
    constexpr QRgb kRed = 0xFFFF0000;
    auto build = [&](std::optional<uint16_t> font, bool background) {
        swf::EditText e = box(font);
        e.initialText = "a";
        e.border = background;  // a file's border comes with a background
        e.bounds.xMax = 1600;   // 80 px: room past the text
        swf::PlaceObject mask;
        mask.characterId = b.define(e);
        mask.depth = 1;
        mask.clipDepth = 2;
        swf::Matrix m;
        m.tx = m.ty = 200;
        mask.matrix = m;
        b.place(mask);
        swfwrite::ShapeBuilder sheet;
        sheet.rectangle(0, 0, 2000, 1200, sheet.addFill(swfwrite::solidFill({255, 0, 0, 255})));
        swf::PlaceObject red;
        red.characterId = b.define(sheet.build());
        red.depth = 2;
        b.place(red);
        b.showFrame();
        EXPECT_TRUE(load(b));
        return render(100, 60);
    };
    auto reset = [&] {
        b = swfwrite::MovieBuilder(8, 100, 60);
        b.background({0, 255, 0, 255});
    };
    QImage img = build(b.define(squareFont()), false);
    EXPECT_EQ(img.pixel(20, 25), kRed) << "inside the glyph";
    EXPECT_EQ(img.pixel(30, 13), kGreen) << "on the line, beside the glyph";
    EXPECT_EQ(img.pixel(60, 25), kGreen) << "in the box, past the text";

    reset();
    img = build(b.define(squareFont()), true);
    EXPECT_EQ(img.pixel(60, 25), kRed) << "a background masks with the whole box";
    EXPECT_EQ(img.pixel(5, 5), kGreen) << "and no further";

    // Device text masks with its run's box on the line: its letters are the system's.
    reset();
    img = build(std::nullopt, false);
    EXPECT_EQ(img.pixel(14, 20), kRed) << "at the start of the line";
    EXPECT_EQ(img.pixel(60, 20), kGreen) << "past the text";
}

TEST(FieldMeasure, EmbeddedMetricsReadUnsignedInWholeTwips) {
    auto movie = std::make_shared<swf::Movie>();
    swf::Font f = squareFont();
    f.version = 2;
    f.advances = {int16_t(-32536)};  // 33000 units as the file stores it
    f.id = 1;
    movie->dictionary.emplace(1, f);
    const FieldMeasure measure(movie.get(), true);
    TextFormat fmt = TextFormat::defaults();
    fmt.font = QStringLiteral("Square");
    fmt.size = 10;
    // 33000 units at 200 twips an em of 1024: 6445.3 twips, each advance down to whole twips.
    EXPECT_DOUBLE_EQ(measure.advance(fmt, u"a"), 6445);
    EXPECT_DOUBLE_EQ(measure.advance(fmt, u"aaa"), 3 * 6445);
    // So do the ascent and descent: 1003 and 205 units are 195.9 and 40.04 twips.
    movie->dictionary.clear();
    f.ascent = 1003;
    f.descent = 205;
    movie->dictionary.emplace(1, f);
    EXPECT_DOUBLE_EQ(FieldMeasure(movie.get(), true).ascent(fmt), 195);
    EXPECT_DOUBLE_EQ(FieldMeasure(movie.get(), true).descent(fmt), 40);
}

// The square font with a kerning pair that draws "aa" 4096 units (4 px at 20 px) closer.
swf::Font kernedSquareFont() {
    swf::Font f = squareFont();
    f.kerning = {swf::KerningPair{u'a', u'a', -4096}};
    return f;
}

TEST(FieldMeasure, KerningPairsApplyOnlyWhenTheFormatAsks) {
    auto movie = std::make_shared<swf::Movie>();
    swf::Font f = kernedSquareFont();
    f.id = 1;
    movie->dictionary.emplace(1, f);
    const FieldMeasure measure(movie.get(), true);
    TextFormat fmt = TextFormat::defaults();
    fmt.font = QStringLiteral("Square");
    fmt.size = 20;
    EXPECT_DOUBLE_EQ(measure.kerning(fmt, u'a', u'a'), 0) << "kerning is off by default";
    TextField field;
    field.bounds = QRectF(0, 0, 4000, 1000);
    field.newFormat = fmt;
    field.setText(QStringLiteral("aaa"));
    EXPECT_DOUBLE_EQ(layoutText(field, measure).textWidth, 3 * 400);
    fmt.kerning = true;
    EXPECT_DOUBLE_EQ(measure.kerning(fmt, u'a', u'a'), -80);
    EXPECT_DOUBLE_EQ(measure.kerning(fmt, u'a', u'b'), 0);
    field.applyFormat(0, field.length(), fmt);
    EXPECT_DOUBLE_EQ(layoutText(field, measure).textWidth, 3 * 400 - 2 * 80);
}

TEST_F(FieldPixelsTest, KernedEmbeddedGlyphsDrawCloser) {
    swf::EditText e = box(b.define(kernedSquareFont()));
    e.bounds = {0, 1600, 0, 600};
    e.border = false;
    e.initialText = "aaa";
    place(e);
    // tf = new TextFormat(); tf.kerning = true; f.setTextFormat(tf);
    Assembler a;
    a.push({str("tf"), integer(0), str("TextFormat")}).op(Code::NewObject).op(Code::SetVariable);
    a.getVar("tf").push({str("kerning"), avm1::test::boolean(true)}).op(Code::SetMember);
    a.getVar("tf").push({integer(1)}).getVar("f").push({str("setTextFormat")});
    a.op(Code::CallMethod).op(Code::Pop);
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    // Glyphs 16 px wide from x = 12 px, stepping 20 px less 4 for each pair: the third stands
    // at 44 to 60 px rather than 52 to 68.
    const QImage img = render(100, 60);
    EXPECT_EQ(img.pixel(58, 20), kBlack);
    EXPECT_EQ(img.pixel(64, 20), kGreen);
}

// Embedded glyphs are drawn where their unrounded advances lead, each on the nearest twip,
// though the layout counts every advance down to whole twips (textWidth and the selection).
TEST_F(FieldPixelsTest, EmbeddedGlyphsStepByTheirUnroundedAdvances) {
    swf::Font f = squareFont();
    f.advances = {20479};  // 99.995 twips at 5 px: 99 as the layout counts it
    swf::EditText e = box(b.define(f));
    e.bounds = {0, 1800, 0, 600};
    e.border = false;
    e.fontHeight = 100;
    e.initialText = "aaaaaaaaaaaaaaaaa";
    place(e);
    b.showFrame();
    ASSERT_TRUE(load(b));
    // Squares 4 px wide from x = 12 px: the 16th at 87 to 91 px and the 17th from 92 px, not
    // from 91.2 px as seventeen whole-twip steps would put it.
    const QImage img = render(100, 60);
    EXPECT_EQ(img.pixel(90, 14), kBlack);
    EXPECT_EQ(img.pixel(91, 14), kGreen);
    EXPECT_EQ(img.pixel(92, 14), kBlack);
}

TEST_F(FieldPixelsTest, DeviceGlyphsStepByWholePixelsOfTheFieldsSize) {
    const FieldMeasure measure(nullptr, false);
    TextFormat fmt = TextFormat::defaults();
    fmt.font = QStringLiteral("_sans");
    for (int size : {8, 10, 13, 29}) {
        fmt.size = size;
        const double i = measure.advance(fmt, u"i");
        EXPECT_GT(i, 0) << size;
        EXPECT_EQ(std::fmod(i, 20.0), 0) << size;
        // No fraction carries from one glyph to the next: a line is the sum of its glyphs.
        EXPECT_DOUBLE_EQ(measure.advance(fmt, u"iiiiiii"), 7 * i) << size;
        EXPECT_DOUBLE_EQ(measure.advance(fmt, u"Line 2"),
                         measure.advance(fmt, u"Li") + measure.advance(fmt, u"ne 2"))
            << size;
    }
}

TEST_F(FieldPixelsTest, AliasedDeviceTextPaintsOnlyItsInk) {
    swf::EditText e = box(std::nullopt);
    e.border = false;
    e.initialText = "WWW";
    e.textColor = swf::Rgba{0, 0, 255, 255};
    e.fontHeight = 400;
    place(e);
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(100, 60, flash::Quality::Low);
    int ink = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            const QRgb p = img.pixel(x, y);
            ASSERT_TRUE(p == kGreen || p == 0xFF0000FF) << x << "," << y;
            ink += p == 0xFF0000FF;
        }
    }
    EXPECT_GT(ink, 20);
}

// The columns holding blue ink in `img`: first and last, or {-1, -1}.
std::pair<int, int> inkColumns(const QImage& img) {
    std::pair<int, int> cols{-1, -1};
    for (int x = 0; x < img.width(); ++x) {
        for (int y = 0; y < img.height(); ++y) {
            if (qBlue(img.pixel(x, y)) > 128 && qGreen(img.pixel(x, y)) < 128) {
                cols = {cols.first < 0 ? x : cols.first, x};
                break;
            }
        }
    }
    return cols;
}

// A field stretched three times wider than tall shows its device text at its height, not
// stretched: a centred line keeps its middle, a left-aligned one its start.
TEST_F(FieldPixelsTest, StretchedDeviceTextKeepsItsProportionsAndItsAlignment) {
    auto inkOf = [&](swf::TextAlign align, double xscale) {
        b = swfwrite::MovieBuilder(8, 200, 60);
        b.background({0, 255, 0, 255});
        swf::EditText e = box(std::nullopt);
        e.border = false;
        e.initialText = "WW";
        e.textColor = swf::Rgba{0, 0, 255, 255};
        e.fontHeight = 200;
        e.hasLayout = true;
        e.align = align;
        swf::PlaceObject p;
        p.characterId = b.define(e);
        p.depth = 1;
        p.matrix = swf::Matrix{};
        p.matrix->a = xscale;
        p.matrix->tx = p.matrix->ty = 200;
        b.place(p);
        b.showFrame();
        EXPECT_TRUE(load(b));
        return inkColumns(render(200, 60, flash::Quality::Low));
    };
    const auto plain = inkOf(swf::TextAlign::Center, 1);
    ASSERT_GE(plain.first, 0) << "no device fonts";
    const int width = plain.second - plain.first;
    const auto centred = inkOf(swf::TextAlign::Center, 3);
    EXPECT_NEAR(centred.second - centred.first, width, 2) << "not stretched";
    EXPECT_NEAR((centred.first + centred.second) / 2.0, 10 + 3 * 20, 3) << "in the box's middle";
    const auto left = inkOf(swf::TextAlign::Left, 3);
    EXPECT_NEAR(left.second - left.first, width, 2);
    EXPECT_NEAR(left.first, 10 + 3 * 2, 3) << "from the gutter";
}

TEST_F(FieldPixelsTest, FocusRectangleKeepsTheSettingItWasShownWith) {
    const uint16_t shape = b.define(test::square(0, 0, 20, 20, {255, 0, 0, 255}));
    swf::Sprite sprite;
    swf::PlaceObject inner;
    inner.characterId = shape;
    inner.depth = 1;
    sprite.timeline.frames.push_back({{inner}, {}});
    const uint16_t clip = b.define(sprite);
    swf::PlaceObject p;
    p.characterId = clip;
    p.depth = 1;
    p.name = "c";
    swf::Matrix m;
    m.tx = m.ty = 400;
    p.matrix = m;
    b.place(p);
    Assembler a;
    a.getVar("c").push({str("tabEnabled"), avm1::test::boolean(true)}).op(Code::SetMember);
    b.doAction(a.bytes).showFrame();
    Assembler off;
    off.getVar("c").push({str("_focusrect"), avm1::test::boolean(false)}).op(Code::SetMember);
    b.doAction(off.bytes).showFrame();
    ASSERT_TRUE(load(b));
    flash::InputEvent tab;
    tab.kind = flash::InputKind::KeyDown;
    tab.keyCode = 9;
    engine->handleInput(tab);
    EXPECT_EQ(render(100, 60).pixel(20, 20), 0xFFFFFF00u) << "the highlight";
    engine->runFrame();
    EXPECT_EQ(render(100, 60).pixel(20, 20), 0xFFFFFF00u) << "still shown after _focusrect";
}

TEST_F(FieldPixelsTest, TheWheelScrollsTheFieldUnderThePointerWithinItsLines) {
    DisplayObject root;
    auto o = std::make_shared<DisplayObject>();
    o->kind = ObjectKind::EditText;
    o->parent = &root;
    o->matrix.tx = 200;
    o->field = std::make_shared<TextField>();
    o->field->bounds = QRectF(0, 0, 2000, 400);  // room for one 12-point line
    o->field->newFormat = TextFormat::defaults();
    o->field->multiline = true;
    o->field->setText(QStringLiteral("one\rtwo\rthree"));
    root.children[1] = o;
    EXPECT_EQ(textFieldAt(root, QPointF(100, 100)), nullptr) << "left of the field";
    ASSERT_EQ(textFieldAt(root, QPointF(300, 100)), o.get());
    TextField& f = *o->field;
    EXPECT_TRUE(wheelScroll(*o, -1));
    EXPECT_EQ(f.scroll, 2);
    wheelScroll(*o, -5);
    EXPECT_EQ(f.scroll, 3) << "no further than the last line";
    EXPECT_TRUE(wheelScroll(*o, 10));
    EXPECT_EQ(f.scroll, 1);
    f.mouseWheelEnabled = false;
    EXPECT_FALSE(wheelScroll(*o, -1));
    EXPECT_EQ(f.scroll, 1);
}

// An input field in device "Arial" 15 px, 150 px wide, squeezed to `xscale` of its width at
// (10, 10) px, its text bound to the variable `v`.
swfwrite::MovieBuilder squeezedInput(const char* text, double xscale, swf::TextAlign align) {
    swfwrite::MovieBuilder mb{8, 200, 60};
    mb.background({0, 255, 0, 255});
    swf::Font arial;
    arial.version = 2;
    arial.name = "Arial";
    swf::EditText e;
    e.bounds = {0, 3000, 0, 600};
    e.border = true;
    e.readOnly = false;
    e.fontId = mb.define(arial);
    e.fontHeight = 300;
    e.hasLayout = true;
    e.align = align;
    e.initialText = text;
    e.variableName = "v";
    swf::PlaceObject p;
    p.characterId = mb.define(e);
    p.depth = 1;
    p.name = "f";
    swf::Matrix m;
    m.a = xscale;
    m.tx = m.ty = 200;
    p.matrix = m;
    mb.place(p);
    mb.showFrame();
    return mb;
}

// The dark columns of a row inside the field's border (the caret, or the ink of the glyphs it
// crosses).
std::vector<int> darkColumns(const QImage& img, int y) {
    std::vector<int> out;
    for (int x = 11; x < 121; ++x) {
        if (qGray(img.pixel(x, y)) < 100 && qGreen(img.pixel(x, y)) < 200) {
            out.push_back(x);
        }
    }
    return out;
}

// Device text keeps the font's proportions in a squeezed field; the caret stands where the
// glyphs show, after the last one, not where the squeezed layout would put it.
TEST_F(FieldPixelsTest, CaretFollowsSqueezedDeviceText) {
    for (const swf::TextAlign align : {swf::TextAlign::Left, swf::TextAlign::Center}) {
        for (const char* text : {"WWWWWW", "iiiiiiiiiiii"}) {
            test::EngineFixture fx;
            ASSERT_TRUE(fx.load(squeezedInput(text, 0.75, align)));
            const QImage unfocused = fx.render(200, 60);
            const std::vector<int> ink = darkColumns(unfocused, 22);
            ASSERT_FALSE(ink.empty()) << text;
            flash::InputEvent tab;
            tab.kind = flash::InputKind::KeyDown;
            tab.keyCode = 9;
            fx.engine->handleInput(tab);
            flash::InputEvent end;
            end.kind = flash::InputKind::TextCommand;
            end.command = flash::TextCommand::MoveRightDocument;
            fx.engine->handleInput(end);
            // Above the glyphs' ink only the caret is dark.
            const std::vector<int> caret = darkColumns(fx.render(200, 60), 12);
            ASSERT_EQ(caret.size(), 1u) << text;
            EXPECT_GE(caret[0], ink.back() - 1) << text;
            EXPECT_LE(caret[0], ink.back() + 5) << text;
        }
    }
}

// A press on squeezed device text puts the caret between the glyphs it falls between.
TEST_F(FieldPixelsTest, PressOnSqueezedDeviceTextFindsTheGlyphShownThere) {
    test::EngineFixture fx;
    ASSERT_TRUE(fx.load(squeezedInput("iiiiiiiiiiii", 0.75, swf::TextAlign::Left)));
    const std::vector<int> ink = darkColumns(fx.render(200, 60), 22);
    ASSERT_GE(ink.size(), 12u);
    // Each glyph's ink is its own column or two; the gap after the fourth glyph's ink.
    std::vector<int> starts{ink.front()};
    for (size_t i = 1; i < ink.size(); ++i) {
        if (ink[i] > ink[i - 1] + 1) {
            starts.push_back(ink[i]);
        }
    }
    ASSERT_EQ(starts.size(), 12u);
    const double between = (starts[3] + starts[4]) / 2.0 + 0.5;
    for (auto kind :
         {flash::InputKind::MouseMove, flash::InputKind::MouseDown, flash::InputKind::MouseUp}) {
        flash::InputEvent e;
        e.kind = kind;
        e.x = between;
        e.y = 20;
        fx.engine->handleInput(e);
    }
    flash::InputEvent typed;
    typed.kind = flash::InputKind::TextInput;
    typed.character = u'W';
    fx.engine->handleInput(typed);
    EXPECT_EQ(fx.engine->getVariable(u"v"), u"iiiiWiiiiiiii");
}

}  // namespace
}  // namespace pencora::runtime
