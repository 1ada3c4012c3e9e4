// Filters, blend modes and opaque backgrounds as the display list draws them: from the placing
// tag, and from scripts through a clip's `filters`, `blendMode` and `opaqueBackground`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numbers>
#include <tuple>

#include "../avm1/assembler.h"
#include "../avm1/test_host.h"
#include "engine_fixture.h"
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/runtime/drawing/draw_list.h"
#include "platform/flash/runtime/scripting/clip_display_properties.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Value;
using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::str;
using test::at;
using test::square;
using Code = swf::ActionCode;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlack = 0xFF000000;
const swf::Rgba kRedSwf{255, 0, 0, 255};

int channelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

struct FilterRenderTest : testing::Test, test::EngineFixture {
    // A movie clip named "box" at depth 1 holding a red square over 10..19 x 10..19 (pixels).
    swfwrite::MovieBuilder movie(const swf::PlaceObject& placing = {}) {
        return test::boxMovie(kRedSwf, placing);
    }

    // Pushes `new flash.filters.DropShadowFilter(distance, 0, 0, 1, 0, 0)`.
    static void pushShadow(Assembler& a, double distance) {
        a.push({num(0), num(0), num(1), num(0), num(0), num(distance), integer(6), str("flash")})
            .op(Code::GetVariable)
            .push({str("filters")})
            .op(Code::GetMember)
            .push({str("DropShadowFilter")})
            .op(Code::NewMethod);
    }
};

swf::Filter shadowFilter(double distance) {
    swf::Filter f;
    f.type = swf::FilterType::DropShadow;
    f.color = swf::Rgba{0, 0, 0, 255};
    f.distance = distance;
    f.strength = 1;
    f.compositeSource = true;
    return f;
}

TEST_F(FilterRenderTest, ShadowFromThePlacingTagDrawsBeyondTheObject) {
    swf::PlaceObject p;
    p.filters = std::vector<swf::Filter>{shadowFilter(5)};
    auto b = movie(p);
    b.showFrame();
    ASSERT_TRUE(load(b));
    for (auto q : {flash::Quality::High, flash::Quality::Low}) {
        const QImage img = render(40, 40, q);
        EXPECT_EQ(img.pixel(15, 15), kRed);
        EXPECT_EQ(img.pixel(22, 15), kBlack);  // the shadow, 5 pixels right of the square
        EXPECT_EQ(img.pixel(26, 15), kWhite);
        EXPECT_EQ(img.pixel(8, 15), kWhite);
    }
}

TEST_F(FilterRenderTest, AnAreaDrawnInPlaceMatchesOneDrawnOnAScratchBitmap) {
    // The player composes a dirty area in the frame's own rows (a device the area's size) as it
    // once did on a scratch bitmap of the frame's size: a blurred shadow crossing the area's
    // edges must come out the same either way.
    swf::PlaceObject p;
    swf::Filter shadow = shadowFilter(5);
    shadow.blurX = shadow.blurY = 6;
    p.filters = std::vector<swf::Filter>{shadow};
    auto b = movie(p);
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QRect area(13, 12, 11, 9);
    flash::RenderOptions o;
    o.matrix.tx = -area.left();
    o.matrix.ty = -area.top();
    o.paintBackground = false;
    QImage scratch(40, 40, QImage::Format_ARGB32_Premultiplied);
    scratch.fill(kWhite);
    engine->render(
        {scratch.bits(), 40, 40, int(scratch.bytesPerLine()), 0, 0, area.width(), area.height()},
        o);
    QImage frame(40, 40, QImage::Format_ARGB32_Premultiplied);
    frame.fill(kWhite);
    const int stride = int(frame.bytesPerLine());
    engine->render({frame.bits() + area.top() * stride + area.left() * 4, area.width(),
                    area.height(), stride, 0, 0, area.width(), area.height()},
                   o);
    EXPECT_EQ(frame.copy(area), scratch.copy(QRect(QPoint(0, 0), area.size())));
    EXPECT_EQ(frame.pixel(area.left() - 1, area.top()), kWhite) << "nothing drawn outside";
}

TEST_F(FilterRenderTest, AnObjectTooLargeOnceFilteredIsDrawnWithoutItsFilters) {
    // The 10-pixel square stretched across, its left edge kept at 10, casting a shadow 5
    // pixels down. 800 times as wide, the filtered image is about 8010 by 20 pixels and gets
    // its shadow; 820 times (8210 wide) is past the 8191 a filtered image may be.
    struct Case {
        double scaleX;
        bool shadow;
    };
    for (const Case c : {Case{800, true}, Case{820, false}}) {
        SCOPED_TRACE(c.scaleX);
        swf::PlaceObject p;
        swf::Filter f = shadowFilter(5);
        f.angle = std::numbers::pi / 2;
        p.filters = std::vector<swf::Filter>{f};
        swf::Matrix m;
        m.a = c.scaleX;
        m.tx = int32_t(std::lround(-(10 * c.scaleX - 10) * 20));
        p.matrix = m;
        auto b = movie(p);
        b.showFrame();
        ASSERT_TRUE(load(b));
        for (auto q : {flash::Quality::High, flash::Quality::Low}) {
            const QImage img = render(40, 40, q);
            EXPECT_EQ(img.pixel(15, 15), kRed);
            EXPECT_EQ(img.pixel(15, 22), c.shadow ? kBlack : kWhite);
        }
    }
}

TEST_F(FilterRenderTest, ABitmapTakesItsColourTransformAfterItsFilters) {
    // The shadow is part of the bitmap, so the colour transform reaches it: a red added to
    // everything turns the black shadow red; half the alpha fades the square and its shadow
    // alike (alpha 255 * 128 / 256 = 127 over white).
    swf::ColorTransform redder;
    redder.rAdd = 255;
    swf::ColorTransform half;
    half.aMult = 128;
    for (const auto& [name, cx, square, shadow] :
         {std::tuple{"red added", redder, kRed, kRed},
          std::tuple{"half alpha", half, QRgb(0xFFFF8080), QRgb(0xFF808080)}}) {
        SCOPED_TRACE(name);
        swf::PlaceObject p;
        p.filters = std::vector<swf::Filter>{shadowFilter(5)};
        p.colorTransform = cx;
        auto b = movie(p);
        b.showFrame();
        ASSERT_TRUE(load(b));
        for (auto q : {flash::Quality::High, flash::Quality::Low}) {
            const QImage img = render(40, 40, q);
            EXPECT_LE(channelDifference(img.pixel(15, 15), square), 1);
            EXPECT_LE(channelDifference(img.pixel(22, 15), shadow), 1);
            EXPECT_EQ(img.pixel(26, 15), kWhite);
        }
    }
}

TEST_F(FilterRenderTest, ShadowOfAnObjectAboveTheStageFallsIntoView) {
    // The square lies over -10..0, wholly above the stage; its shadow, 15 pixels down over
    // 5..15, does not.
    swf::PlaceObject p;
    swf::Filter shadow = shadowFilter(15);
    shadow.angle = std::numbers::pi / 2;
    p.filters = std::vector<swf::Filter>{shadow};
    p.matrix = at(0, -20);
    auto b = movie(p);
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40, flash::Quality::Low);
    EXPECT_EQ(img.pixel(15, 5), kBlack);
    EXPECT_EQ(img.pixel(15, 14), kBlack);
    EXPECT_EQ(img.pixel(15, 4), kWhite);
    EXPECT_EQ(img.pixel(15, 15), kWhite);
}

TEST_F(FilterRenderTest, ScriptFiltersAreCopiedInAndOut) {
    // box.filters = [new DropShadowFilter(5, ...)];
    // var f = box.filters; f[0].distance = 0;   -- a copy: the clip keeps its shadow
    // box.blendMode = "bogus";                   -- an unknown mode changes nothing
    Assembler a;
    a.push({str("box")}).op(Code::GetVariable).push({str("filters")});
    pushShadow(a, 5);
    a.push({integer(1)}).op(Code::InitArray).op(Code::SetMember);
    a.push({str("box")})
        .op(Code::GetVariable)
        .push({str("filters")})
        .op(Code::GetMember)
        .push({integer(0)})
        .op(Code::GetMember)
        .push({str("distance"), num(0)})
        .op(Code::SetMember);
    a.push({str("box")})
        .op(Code::GetVariable)
        .push({str("blendMode"), str("bogus")})
        .op(Code::SetMember);
    a.op(Code::End);
    auto b = movie();
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40);
    EXPECT_EQ(img.pixel(15, 15), kRed);
    EXPECT_EQ(img.pixel(22, 15), kBlack);
}

TEST_F(FilterRenderTest, ScriptOpaqueBackgroundFillsTheBoundsBelowTheClip) {
    // box.opaqueBackground = 0x0000FF, then a filter list that is no list clears the filters.
    Assembler a;
    a.push({str("box")})
        .op(Code::GetVariable)
        .push({str("opaqueBackground"), num(0x0000FF)})
        .op(Code::SetMember);
    a.push({str("box")}).op(Code::GetVariable).push({str("filters"), num(3)}).op(Code::SetMember);
    a.op(Code::End);
    swf::PlaceObject p;
    p.filters = std::vector<swf::Filter>{shadowFilter(5)};
    auto b = movie(p);
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40, flash::Quality::Low);
    EXPECT_EQ(img.pixel(15, 15), kRed);  // the clip over its background
    EXPECT_EQ(img.pixel(22, 15), kWhite);
    // The background covers the clip's bounds only: here exactly its square.
    EXPECT_EQ(img.pixel(9, 15), kWhite);
}

TEST_F(FilterRenderTest, AScrollRectShowsItsPartOfTheClipAtTheClipsOrigin) {
    // box (its red square over 10..19) placed at x 5; box.scrollRect = new
    // flash.geom.Rectangle(12, 8, 5, 40): the clip's x 12..16 and y 8..47 show at its origin,
    // so the square's columns 12..16 land on 5..9 and its rows on 2..11; the rest is cut.
    Assembler a;
    a.push({str("box")}).op(Code::GetVariable).push({str("scrollRect")});
    a.push({num(40), num(5), num(8), num(12), integer(4), str("flash")})
        .op(Code::GetVariable)
        .push({str("geom")})
        .op(Code::GetMember)
        .push({str("Rectangle")})
        .op(Code::NewMethod)
        .op(Code::SetMember);
    a.push({str("w"), str("box")})
        .op(Code::GetVariable)
        .push({str("scrollRect")})
        .op(Code::GetMember)
        .push({str("width")})
        .op(Code::GetMember)
        .op(Code::SetVariable);
    a.op(Code::End);
    swf::PlaceObject p;
    p.matrix = swf::Matrix{};
    p.matrix->tx = 100;
    auto b = movie(p);
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40, flash::Quality::Low);
    for (QPoint red : {QPoint(5, 2), QPoint(9, 2), QPoint(5, 11), QPoint(9, 11)}) {
        EXPECT_EQ(img.pixel(red), kRed) << red.x() << "," << red.y();
    }
    for (QPoint cut : {QPoint(4, 5), QPoint(10, 5), QPoint(7, 12), QPoint(12, 15)}) {
        EXPECT_EQ(img.pixel(cut), kWhite) << cut.x() << "," << cut.y();
    }
    EXPECT_EQ(engine->getVariable(u"w"), u"5");

    // Taking it away shows the whole clip again, where its matrix puts it.
    Assembler clear;
    clear.push({str("box")})
        .op(Code::GetVariable)
        .push({str("scrollRect"), avm1::test::undef()})
        .op(Code::SetMember)
        .op(Code::End);
    auto whole = movie(p);
    whole.doAction(a.bytes).doAction(clear.bytes).showFrame();
    ASSERT_TRUE(load(whole));
    const QImage back = render(40, 40, flash::Quality::Low);
    EXPECT_EQ(back.pixel(15, 15), kRed);
    EXPECT_EQ(back.pixel(14, 5), kWhite);
}

TEST_F(FilterRenderTest, BitmapsStartOnTheWholePixelNearestTheirCorner) {
    // A clip holding a blue mark at 0..2 and a red square at 10.4..20.4, placed three times
    // 0.3 pixels right and down. Drawn directly the square spans 10.7..20.7 and covers
    // pixels 11 to 20; cached or filtered, the clip's bitmap starts on the pixel nearest its
    // corner (0.3 rounds to 0), which moves the square back to 10.4..20.4: pixels 10 to 19.
    swfwrite::MovieBuilder b(8, 100, 40);
    const uint16_t mark = b.define(square(0, 0, 2, 2, {0, 0, 255, 255}));
    const uint16_t red = b.define(square(10.4, 10.4, 20.4, 20.4, kRedSwf));
    const uint16_t sprite = test::clipOf(b, {mark, red});
    auto place = [&](uint16_t depth, double x) {
        swf::PlaceObject p = test::placing3(sprite, depth, at(x + 0.3, 0.3));
        return p;
    };
    b.place(place(1, 0));
    swf::PlaceObject cached = place(2, 30);
    cached.cacheAsBitmap = true;
    b.place(cached);
    swf::PlaceObject filtered = place(3, 60);
    swf::Filter blur;
    blur.type = swf::FilterType::Blur;  // a blur of nothing: only the bitmap's placement shows
    filtered.filters = std::vector<swf::Filter>{blur};
    b.place(filtered).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(100, 40, flash::Quality::Low);
    for (int x0 : {11, 40, 70}) {
        SCOPED_TRACE(x0);
        const int y0 = x0 == 11 ? 11 : 10;
        EXPECT_EQ(img.pixel(x0, y0), kRed);
        EXPECT_EQ(img.pixel(x0 + 9, y0 + 9), kRed);
        EXPECT_EQ(img.pixel(x0 - 1, y0 + 5), kWhite);
        EXPECT_EQ(img.pixel(x0 + 10, y0 + 5), kWhite);
        EXPECT_EQ(img.pixel(x0 + 5, y0 - 1), kWhite);
        EXPECT_EQ(img.pixel(x0 + 5, y0 + 10), kWhite);
    }
    // Twice as large the corner snaps on the device's pixels, not the stage's: the cached
    // clip's corner at 60.6 moves to 61, its square from 81.4..101.4 to 81.8..101.8.
    const QImage twice = render(200, 80, flash::Quality::Low, 2);
    EXPECT_EQ(twice.pixel(81, 30), kWhite);
    EXPECT_EQ(twice.pixel(82, 30), kRed);
    EXPECT_EQ(twice.pixel(101, 30), kRed);
    EXPECT_EQ(twice.pixel(102, 30), kWhite);
}

TEST_F(FilterRenderTest, ACachedMorphStartsOnThePixelNearestItsCornerAtItsRatio) {
    // A morph of a red mark at 0..2 and a red square at 10.4..20.4 moving one pixel right and
    // down, shown at ratio 0.3: the mark at 0.3, the square at 10.7. Drawn directly the
    // square's first column is 11; cached, the bitmap's corner (the mark's, 0.3 at this ratio)
    // rounds to 0 and takes the square back to 10.4: its first column is 10.
    swfwrite::MovieBuilder b(8, 60, 30);
    swf::MorphShape m;
    swf::MorphFillStyle f;
    f.startColor = f.endColor = kRedSwf;
    m.fills = {f};
    auto twips = [](double pixels) { return int32_t(std::lround(pixels * 20)); };
    swfwrite::ShapeBuilder from, to;
    from.fill1(1)
        .rectangle(0, 0, twips(2), twips(2))
        .rectangle(twips(10.4), twips(10.4), twips(20.4), twips(20.4));
    to.rectangle(twips(1), twips(1), twips(3), twips(3))
        .rectangle(twips(11.4), twips(11.4), twips(21.4), twips(21.4));
    m.startRecords = from.records();
    m.endRecords = to.records();
    m.startBounds = m.startEdgeBounds = {0, twips(20.4), 0, twips(20.4)};
    m.endBounds = m.endEdgeBounds = {twips(1), twips(21.4), twips(1), twips(21.4)};
    const uint16_t id = b.define(m);
    auto place = [&](uint16_t depth, double x, bool cached) {
        swf::PlaceObject p = test::placing3(id, depth, at(x, 0));
        p.ratio = uint16_t(std::lround(0.3 * 65535));
        p.cacheAsBitmap = cached;
        b.place(p);
    };
    place(1, 0, false);
    place(2, 30, true);
    b.showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(60, 30, flash::Quality::Low);
    EXPECT_EQ(img.pixel(10, 15), kWhite);
    EXPECT_EQ(img.pixel(11, 15), kRed);
    EXPECT_EQ(img.pixel(20, 15), kRed);
    EXPECT_EQ(img.pixel(39, 15), kWhite);
    EXPECT_EQ(img.pixel(40, 15), kRed);
    EXPECT_EQ(img.pixel(49, 15), kRed);
    EXPECT_EQ(img.pixel(50, 15), kWhite);
}

TEST_F(FilterRenderTest, ACachedClipTakesItsAlphaAsAWhole) {
    // A clip of a red square at 10..20 under a blue one at 15..25, at half alpha. Cached, the
    // finished bitmap fades as one: where they overlap only the blue shows, faded. Drawn
    // directly each square fades on its own and the red shows through the blue.
    swfwrite::MovieBuilder b(8, 60, 30);
    const uint16_t red = b.define(square(10, 5, 20, 20, kRedSwf));
    const uint16_t blue = b.define(square(15, 5, 25, 20, {0, 0, 255, 255}));
    const uint16_t sprite = test::clipOf(b, {red, blue});
    swf::ColorTransform half;
    half.aMult = 128;
    for (const auto& [depth, x, cached] : {std::tuple{1, 0.0, false}, std::tuple{2, 30.0, true}}) {
        swf::PlaceObject p = test::placing3(sprite, uint16_t(depth), at(x, 0));
        p.colorTransform = half;
        p.cacheAsBitmap = cached;
        b.place(p);
    }
    b.showFrame();
    ASSERT_TRUE(load(b));
    for (auto q : {flash::Quality::High, flash::Quality::Low}) {
        const QImage img = render(60, 30, q);
        EXPECT_LE(channelDifference(img.pixel(12, 10), 0xFFFF8080), 2);
        EXPECT_LE(channelDifference(img.pixel(42, 10), 0xFFFF8080), 2);
        EXPECT_LE(channelDifference(img.pixel(17, 10), 0xFF8040C0), 2) << "red under blue";
        EXPECT_LE(channelDifference(img.pixel(47, 10), 0xFF8080FF), 2) << "the blue alone";
    }
}

TEST_F(FilterRenderTest, BackgroundCoversThePixelsWhoseCentresItHolds) {
    // An invisible square over 10..20 in a clip half a pixel right and down, with
    // opaqueBackground = 0x0000FF: the background spans 10.5..20.5, holding the centres of
    // pixels 10 to 19 (its top and left edges count, its bottom and right edges do not).
    swf::PlaceObject p;
    p.matrix = at(0.5, 0.5);
    auto b = test::boxMovie({255, 0, 0, 0}, p);
    Assembler a;
    a.push({str("box")})
        .op(Code::GetVariable)
        .push({str("opaqueBackground"), num(0x0000FF)})
        .op(Code::SetMember);
    a.op(Code::End);
    b.doAction(a.bytes).showFrame();
    ASSERT_TRUE(load(b));
    const QImage img = render(40, 40, flash::Quality::Low);
    for (int v : {10, 19}) {
        EXPECT_EQ(img.pixel(v, 15), 0xFF0000FFu) << v;
        EXPECT_EQ(img.pixel(15, v), 0xFF0000FFu) << v;
    }
    for (int v : {9, 20}) {
        EXPECT_EQ(img.pixel(v, 15), kWhite) << v;
        EXPECT_EQ(img.pixel(15, v), kWhite) << v;
    }
}

TEST_F(FilterRenderTest, SubtractTakesTheLayersPremultipliedColourOnce) {
    // A half-transparent grey (128 of 255 alpha) subtracted from white: white minus the grey's
    // premultiplied 64 leaves 191, not the 223 a second alpha weighting gave.
    swfwrite::MovieBuilder b(8, 20, 20);
    const uint16_t grey = b.define(square(0, 0, 20, 20, {128, 128, 128, 128}));
    swf::PlaceObject p = test::placing3(grey, 1);
    p.blendMode = swf::BlendMode::Subtract;
    b.place(p).showFrame();
    ASSERT_TRUE(load(b));
    const QRgb px = render(20, 20, flash::Quality::Low).pixel(10, 10);
    EXPECT_NEAR(qRed(px), 191, 2);
    EXPECT_EQ(qRed(px), qBlue(px));
}

// How the group holding the red square and the cutter is drawn: straight onto the stage, or
// into a buffer of its own (a layer, a bitmap, another blend).
enum class Group { Loose, Layer, Cached, Multiplied };

// A red square over 0..30 and, above it, a clip in `mode` of a square over 0..10 in `left`
// and one over 10..20 in `right`; both in a group drawn as `drawnAs` says.
QImage cutterOverRed(FilterRenderTest& t, swf::BlendMode mode, Group drawnAs,
                     swf::Rgba left = {0, 0, 255, 255}, swf::Rgba right = {0, 0, 255, 128}) {
    swfwrite::MovieBuilder b(8, 40, 20);
    const uint16_t red = b.define(square(0, 0, 30, 20, kRedSwf));
    const uint16_t first = b.define(square(0, 0, 10, 20, left));
    const uint16_t second = b.define(square(10, 0, 20, 20, right));
    const uint16_t cutterId = test::clipOf(b, {first, second});
    swfwrite::TimelineBuilder group;
    group.place(red, 1);
    swf::PlaceObject cut = test::placing3(cutterId, 2);
    cut.blendMode = mode;
    group.place(cut).showFrame();
    swf::PlaceObject p = test::placing3(b.define(group.sprite()), 1);
    p.blendMode = drawnAs == Group::Layer        ? swf::BlendMode::Layer
                  : drawnAs == Group::Multiplied ? swf::BlendMode::Multiply
                                                 : swf::BlendMode::Normal;
    p.cacheAsBitmap = drawnAs == Group::Cached;
    b.place(p).showFrame();
    EXPECT_TRUE(t.load(b));
    return t.render(40, 20, flash::Quality::Low);
}

TEST_F(FilterRenderTest, AlphaObjectScalesItsGroupOnlyWhereItsAlphaIsAboveZero) {
    // In a layer group, an alpha-mode clip of two squares, 0..10 fully transparent and 10..20
    // half transparent. The group stays red outside the alpha clip and where it draws nothing
    // but transparency; it is halved where the clip is half.
    const QImage img =
        cutterOverRed(*this, swf::BlendMode::Alpha, Group::Layer, {0, 0, 0, 0}, {0, 0, 0, 128});
    EXPECT_EQ(img.pixel(5, 10), kRed);
    EXPECT_EQ(img.pixel(25, 10), kRed);
    const QRgb halved = img.pixel(15, 10);
    EXPECT_EQ(qRed(halved), 255);
    EXPECT_NEAR(qGreen(halved), 127, 2);
    EXPECT_EQ(img.pixel(35, 10), kWhite);
}

TEST_F(FilterRenderTest, EraseCutsItsLayerByItsAlphaAndShowsNothingOutsideOne) {
    const QImage layered = cutterOverRed(*this, swf::BlendMode::Erase, Group::Layer);
    EXPECT_EQ(layered.pixel(5, 10), kWhite) << "the group is cut away to the stage";
    const QRgb halved = layered.pixel(15, 10);  // half the red left, over white
    EXPECT_EQ(qRed(halved), 255);
    EXPECT_NEAR(qGreen(halved), 128, 2);
    EXPECT_EQ(qGreen(halved), qBlue(halved));
    EXPECT_EQ(layered.pixel(25, 10), kRed);

    const QImage loose = cutterOverRed(*this, swf::BlendMode::Erase, Group::Loose);
    for (int x : {5, 15, 25}) {
        EXPECT_EQ(loose.pixel(x, 10), kRed) << x;
    }
    EXPECT_EQ(loose.pixel(35, 10), kWhite);
}

TEST_F(FilterRenderTest, AlphaOutsideALayerShowsNothingEither) {
    const QImage loose = cutterOverRed(*this, swf::BlendMode::Alpha, Group::Loose);
    for (int x : {5, 15, 25}) {
        EXPECT_EQ(loose.pixel(x, 10), kRed) << x;
    }
    // Drawn normally the same clip would show blue: it is the mode that hides it.
    const QImage normal = cutterOverRed(*this, swf::BlendMode::Normal, Group::Loose);
    EXPECT_EQ(normal.pixel(5, 10), 0xFF0000FF);
}

TEST_F(FilterRenderTest, AlphaAndEraseWorkInAnyGroupDrawnIntoItsOwnBuffer) {
    // A cached group and a multiplied one are drawn apart like a layer: the cutter changes
    // their alpha and not the stage's. Over white, multiplying shows the group as it is.
    for (Group group : {Group::Cached, Group::Multiplied}) {
        const QImage erased = cutterOverRed(*this, swf::BlendMode::Erase, group);
        EXPECT_EQ(erased.pixel(5, 10), kWhite) << int(group);
        EXPECT_NEAR(qGreen(erased.pixel(15, 10)), 128, 2) << int(group);
        EXPECT_EQ(erased.pixel(25, 10), kRed) << int(group);

        const QImage alpha =
            cutterOverRed(*this, swf::BlendMode::Alpha, group, {0, 0, 0, 255}, {0, 0, 0, 64});
        EXPECT_EQ(alpha.pixel(5, 10), kRed) << int(group);
        EXPECT_NEAR(qGreen(alpha.pixel(15, 10)), 191, 2) << int(group);
        EXPECT_EQ(alpha.pixel(25, 10), kRed) << int(group);
    }
}

TEST_F(FilterRenderTest, AScriptMaskShowsTheClipOnlyWhereTheMaskDrawsAndHidesItself) {
    // box (red over 10..19) masked by "m", a clip drawing black over 0..14 x 0..39, moved
    // 1 pixel down by its parent "holder" (the mask counts where it stands on the stage).
    // Frame 2 takes the mask away again with setMask(null).
    auto b = movie();
    const uint16_t black = b.define(square(0, 0, 15, 40, swf::Rgba{0, 0, 0, 255}));
    const uint16_t maskSprite = test::clipOf(b, {black});
    swfwrite::TimelineBuilder holder;
    swf::PlaceObject inner;
    inner.characterId = maskSprite;
    inner.depth = 1;
    inner.name = "m";
    holder.place(inner).showFrame();
    swf::PlaceObject outer;
    outer.characterId = b.define(holder.sprite());
    outer.depth = 2;
    outer.name = "holder";
    outer.matrix = at(0, 1);
    b.place(outer);
    // The mask is on the stack: box.setMask(it).
    auto setMask = [](Assembler& a) {
        a.push({integer(1), str("box")})
            .op(Code::GetVariable)
            .push({str("setMask")})
            .op(Code::CallMethod)
            .op(Code::Pop);
    };
    Assembler first;
    first.push({str("holder.m")}).op(Code::GetVariable);
    setMask(first);
    b.doAction(first.bytes).showFrame();
    Assembler second;
    second.push({avm1::test::null()});
    setMask(second);
    b.doAction(second.bytes).showFrame();
    ASSERT_TRUE(load(b));
    for (auto q : {flash::Quality::High, flash::Quality::Low}) {
        const QImage img = render(40, 40, q);
        EXPECT_EQ(img.pixel(12, 15), kRed) << "inside the mask";
        EXPECT_EQ(img.pixel(17, 15), kWhite) << "outside it";
        EXPECT_EQ(img.pixel(5, 5), kWhite) << "the mask itself is not drawn";
    }
    ASSERT_TRUE(load(b, 2));
    const QImage img = render(40, 40, flash::Quality::Low);
    EXPECT_EQ(img.pixel(17, 15), kRed);
    EXPECT_EQ(img.pixel(5, 5), kBlack) << "no longer a mask, it shows";
}

TEST(ScriptFilters, EveryKindSurvivesTheTripThroughScriptObjects) {
    avm1::test::Fixture script;
    avm1::Machine& m = script.machine;
    std::vector<swf::Filter> filters;
    swf::Filter blur;
    blur.type = swf::FilterType::Blur;
    blur.blurX = 3;
    blur.blurY = 7;
    blur.passes = 2;
    blur.compositeSource = true;
    filters.push_back(blur);
    swf::Filter shadow = shadowFilter(6);
    shadow.angle = std::numbers::pi / 4;
    shadow.color = swf::Rgba{0x12, 0x34, 0x56, 0x80};
    shadow.inner = true;
    shadow.compositeSource = false;  // hideObject
    filters.push_back(shadow);
    swf::Filter bevel = shadowFilter(2);
    bevel.type = swf::FilterType::Bevel;
    bevel.highlightColor = swf::Rgba{255, 255, 255, 255};
    bevel.onTop = true;
    filters.push_back(bevel);
    swf::Filter glow;
    glow.type = swf::FilterType::GradientGlow;
    glow.gradientColors = {{255, 0, 0, 255}, {0, 0, 255, 0}};
    glow.gradientRatios = {0, 255};
    glow.compositeSource = true;
    filters.push_back(glow);
    swf::Filter matrix;
    matrix.type = swf::FilterType::ColorMatrix;
    matrix.matrix.assign(20, 0.5f);
    matrix.compositeSource = true;
    filters.push_back(matrix);
    swf::Filter conv;
    conv.type = swf::FilterType::Convolution;
    conv.matrixX = 2;
    conv.matrixY = 1;
    conv.matrix = {1, -1};
    conv.divisor = 2;
    conv.preserveAlpha = true;
    conv.compositeSource = true;
    filters.push_back(conv);

    const Value list = filtersToScript(m, filters);
    const std::vector<swf::Filter> back = filtersFromScript(m, list);
    ASSERT_EQ(back.size(), filters.size());
    for (size_t i = 0; i < filters.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].type, filters[i].type);
        EXPECT_NEAR(back[i].angle, filters[i].angle, 1e-9);
        EXPECT_EQ(back[i].color, filters[i].color);
        EXPECT_EQ(back[i].inner, filters[i].inner);
        EXPECT_EQ(back[i].onTop, filters[i].onTop);
        EXPECT_EQ(back[i].compositeSource, filters[i].compositeSource);
        EXPECT_EQ(back[i].passes, filters[i].passes);
        EXPECT_EQ(back[i].matrix, filters[i].matrix);
        EXPECT_EQ(back[i].gradientColors, filters[i].gradientColors);
    }
    // Scripts see degrees, alphas from 0 to 1 and the bevel's type by name.
    const Value second = m.getMember(list, QStringLiteral("1"));
    EXPECT_NEAR(m.toNumber(m.getMember(second, QStringLiteral("angle"))), 45, 1e-9);
    EXPECT_NEAR(m.toNumber(m.getMember(second, QStringLiteral("alpha"))), 128 / 255.0, 1e-9);
    EXPECT_TRUE(m.toBoolean(m.getMember(second, QStringLiteral("hideObject"))));
    EXPECT_EQ(
        m.toString(m.getMember(m.getMember(list, QStringLiteral("2")), QStringLiteral("type"))),
        QStringLiteral("full"));
}

TEST(ScriptFilters, WhatIsNotAFilterIsLeftOutAndBlendNamesMapBothWays) {
    avm1::test::Fixture script;
    avm1::Machine& m = script.machine;
    const Value list = Value(m.makeArray({Value(3), Value(m.makeObject()), Value()}));
    EXPECT_TRUE(filtersFromScript(m, list).empty());
    EXPECT_TRUE(filtersFromScript(m, Value(QStringLiteral("x"))).empty());
    EXPECT_EQ(blendModeFromScript(m, Value(QStringLiteral("multiply"))), swf::BlendMode::Multiply);
    EXPECT_EQ(blendModeFromScript(m, Value(3)), swf::BlendMode::Multiply);
    EXPECT_EQ(blendModeFromScript(m, Value(QStringLiteral("Multiply"))), std::nullopt);
    EXPECT_EQ(blendModeFromScript(m, Value(0)), std::nullopt);
    EXPECT_EQ(blendModeFromScript(m, Value(15)), std::nullopt);
    EXPECT_EQ(blendModeName(swf::BlendMode::HardLight), QStringLiteral("hardlight"));
    EXPECT_EQ(blendModeName(swf::BlendMode(0)), QStringLiteral("normal"));
}

TEST(ScriptFilters, AFilteredClipReadsAsCachedUntilItsFiltersGo) {
    avm1::test::Fixture script;
    avm1::Machine& m = script.machine;
    DisplayObject clip;
    Value cached;
    ASSERT_TRUE(getDisplayProperty(m, clip, QStringLiteral("cacheAsBitmap"), cached));
    EXPECT_FALSE(m.toBoolean(cached));
    clip.filters = {shadowFilter(2)};
    getDisplayProperty(m, clip, QStringLiteral("cacheAsBitmap"), cached);
    EXPECT_TRUE(m.toBoolean(cached));
    clip.filters.clear();  // the value set before comes back
    getDisplayProperty(m, clip, QStringLiteral("cacheAsBitmap"), cached);
    EXPECT_FALSE(m.toBoolean(cached));
    ASSERT_TRUE(setDisplayProperty(m, clip, QStringLiteral("cacheAsBitmap"), Value(true)));
    getDisplayProperty(m, clip, QStringLiteral("cacheAsBitmap"), cached);
    EXPECT_TRUE(m.toBoolean(cached));
}

TEST(FilterDirtyArea, AnObjectMovingUnderAShadowRedrawsAllTheShadowReaches) {
    // A clip with a 10-pixel shadow holds a square that moves by one pixel: what changes on
    // screen is the square and its shadow, so the area must reach 10 pixels past the square.
    swfwrite::MovieBuilder b(8, 100, 100);
    const uint16_t red = b.define(square(0, 0, 10, 10, kRedSwf));
    swfwrite::TimelineBuilder inside;
    inside.place(red, 1).showFrame().move(1, at(1, 0)).showFrame();
    const uint16_t sprite = b.define(inside.sprite());
    swf::PlaceObject p = test::placing3(sprite, 1, at(20, 20));
    p.filters = std::vector<swf::Filter>{shadowFilter(10)};
    b.place(p).showFrame().showFrame();
    Player player;
    player.load(0, test::share(b));
    player.runFrame();
    const auto first = buildDrawList(player);
    player.runFrame();
    const auto area = changedArea(first, buildDrawList(player));
    ASSERT_TRUE(area);
    EXPECT_GE(area->right(), 20 + 11 + 10);  // the moved square's right edge plus the shadow
    EXPECT_LE(area->left(), 20);
}

TEST(FilterDirtyArea, ACachedClipsNewColourTransformRedrawsIt) {
    // The clip's own drawing does not change, only the transform its bitmap takes.
    swfwrite::MovieBuilder b(8, 100, 100);
    const uint16_t red = b.define(square(0, 0, 10, 10, kRedSwf));
    const uint16_t sprite = test::clipOf(b, {red});
    swf::PlaceObject p = test::placing3(sprite, 1, at(20, 20));
    p.cacheAsBitmap = true;
    b.place(p).showFrame();
    swf::PlaceObject faded;
    faded.version = 3;
    faded.move = true;
    faded.depth = 1;
    faded.colorTransform = swf::ColorTransform{};
    faded.colorTransform->aMult = 128;
    b.place(faded).showFrame();
    Player player;
    player.load(0, test::share(b));
    player.runFrame();
    const auto first = buildDrawList(player);
    player.runFrame();
    const auto area = changedArea(first, buildDrawList(player));
    ASSERT_TRUE(area);
    EXPECT_TRUE(area->contains(QRectF(20, 20, 10, 10)));
}

}  // namespace
}  // namespace pencora::runtime
