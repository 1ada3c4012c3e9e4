// BitmapData.draw as a movie's scripts call it: clips and bitmaps painted into a bitmap's pixels
// with the matrix, colour transform, blend and clip rectangle given, read back with getPixel32.
#include <gtest/gtest.h>

#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;
using test::square;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

struct BitmapDrawTest : testing::Test {
    Player player;
    ScriptHost* host = nullptr;
    Object* box = nullptr;  // a 10 x 10 red square at its origin, placed away from the stage's

    BitmapDrawTest() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
        swfwrite::MovieBuilder b;
        const uint16_t shape = b.define(square(0, 0, 10, 10, {255, 0, 0, 255}));
        const uint16_t id = test::clipOf(b, {shape});
        b.tag(swf::ExportAssets{{{id, "Box"}}});
        player.load(0, test::share(b));
        player.runFrame();
        box = call(root(), "attachMovie", {"Box", "box", 1}).object();
        // Its own placement, colour and visibility do not reach what draw paints.
        m().set(box, QStringLiteral("_x"), Value(50));
        m().set(box, QStringLiteral("_xscale"), Value(300));
        m().set(box, QStringLiteral("_alpha"), Value(10));
        m().set(box, QStringLiteral("_visible"), Value(false));
    }

    avm1::Machine& m() { return host->machine(); }
    Object* root() { return host->scriptObject(*player.root(0)); }
    Value call(Object* o, const char* method, std::vector<Value> args = {}) {
        return m().callMethod(o, QString::fromLatin1(method), std::move(args), 8).value;
    }
    Object* bitmap(int w, int h, bool transparent, double fill) {
        const Value display = m().getMember(m().get(m().global(), QStringLiteral("flash")),
                                            QStringLiteral("display"));
        std::vector<Value> args{w, h, transparent, fill};
        return m().construct(m().getMember(display, QStringLiteral("BitmapData")), args).object();
    }
    Object* fields(std::initializer_list<std::pair<const char*, double>> values) {
        Object* o = m().makeObject();
        for (const auto& [name, v] : values) {
            o->put(QString::fromLatin1(name), Value(v));
        }
        return o;
    }
    uint32_t pixel(Object* b, int x, int y) {
        return uint32_t(m().toInt32(call(b, "getPixel32", {x, y})));
    }
};

TEST_F(BitmapDrawTest, AClipPaintsInItsOwnCoordinatesIntoTransparentAndOpaqueBitmaps) {
    Object* clear = bitmap(20, 20, true, 0);
    EXPECT_TRUE(call(clear, "draw", {Value(box)}).isUndefined());
    EXPECT_EQ(pixel(clear, 0, 0), kRed);
    EXPECT_EQ(pixel(clear, 9, 9), kRed);
    EXPECT_EQ(pixel(clear, 10, 9), 0u);
    EXPECT_EQ(pixel(clear, 15, 15), 0u);

    // Drawn with half its alpha, an opaque bitmap still shows only opaque pixels.
    Object* opaque = bitmap(20, 20, false, kBlue);
    call(opaque, "draw", {Value(box), Value(), Value(fields({{"alphaMultiplier", 0.5}}))});
    EXPECT_EQ(pixel(opaque, 5, 5) >> 24, 0xFFu);
    EXPECT_NEAR(int(pixel(opaque, 5, 5) >> 16 & 0xFF), 128, 1);
    EXPECT_NEAR(int(pixel(opaque, 5, 5) & 0xFF), 127, 1);
    EXPECT_EQ(pixel(opaque, 15, 15), kBlue);

    // The same in a transparent bitmap leaves half-transparent red.
    Object* half = bitmap(20, 20, true, 0);
    call(half, "draw", {Value(box), Value(), Value(fields({{"alphaMultiplier", 0.5}}))});
    EXPECT_NEAR(int(pixel(half, 5, 5) >> 24), 128, 1);
    EXPECT_EQ(pixel(half, 5, 5) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(BitmapDrawTest, MatrixColourTransformAndClipRectangle) {
    // Scaled twice and moved by (4, 4): the square covers pixels 4 to 23.
    Object* moved = bitmap(30, 30, true, 0);
    call(moved, "draw", {Value(box), Value(fields({{"a", 2}, {"d", 2}, {"tx", 4}, {"ty", 4}}))});
    EXPECT_EQ(pixel(moved, 3, 3), 0u);
    EXPECT_EQ(pixel(moved, 4, 4), kRed);
    EXPECT_EQ(pixel(moved, 23, 23), kRed);
    EXPECT_EQ(pixel(moved, 24, 23), 0u);

    // Red taken away, blue added: the square turns blue.
    Object* tinted = bitmap(20, 20, true, 0);
    call(tinted, "draw",
         {Value(box), Value(), Value(fields({{"redMultiplier", 0}, {"blueOffset", 255}}))});
    EXPECT_EQ(pixel(tinted, 5, 5), kBlue);
    EXPECT_EQ(pixel(tinted, 15, 15), 0u) << "the transform colours only what is drawn";

    // The clip rectangle is in the bitmap's pixels, whatever the matrix.
    Object* cut = bitmap(30, 30, true, 0);
    call(cut, "draw",
         {Value(box), Value(fields({{"a", 2}, {"d", 2}})), Value(), Value(),
          Value(fields({{"x", 5}, {"y", 0}, {"width", 5}, {"height", 30}}))});
    EXPECT_EQ(pixel(cut, 4, 4), 0u);
    EXPECT_EQ(pixel(cut, 5, 4), kRed);
    EXPECT_EQ(pixel(cut, 9, 19), kRed);
    EXPECT_EQ(pixel(cut, 10, 4), 0u);

    // A matrix that flattens everything to a line paints nothing.
    Object* flat = bitmap(20, 20, true, 0);
    call(flat, "draw", {Value(box), Value(fields({{"a", 0}, {"d", 0}}))});
    EXPECT_EQ(pixel(flat, 0, 0), 0u);
}

TEST_F(BitmapDrawTest, ChildrenKeepTheirPlacesAndBlendsActOnTheBitmap) {
    Object* holder = call(root(), "createEmptyMovieClip", {"holder", 2}).object();
    m().set(holder, QStringLiteral("_y"), Value(40));
    ASSERT_TRUE(call(holder, "attachMovie", {"Box", "a", 1}).isObject());
    Object* faded = call(holder, "attachMovie", {"Box", "b", 2}).object();
    Object* moved = call(holder, "attachMovie", {"Box", "c", 3}).object();
    ASSERT_TRUE(faded && moved);
    m().set(faded, QStringLiteral("_x"), Value(10));
    m().set(faded, QStringLiteral("_alpha"), Value(0));
    m().set(moved, QStringLiteral("_x"), Value(20));
    Object* shown = bitmap(30, 10, true, 0);
    call(shown, "draw", {Value(holder)});
    EXPECT_EQ(pixel(shown, 5, 5), kRed);
    EXPECT_EQ(pixel(shown, 15, 5), 0u) << "a child's colour transform still counts";
    EXPECT_EQ(pixel(shown, 25, 5), kRed);

    // A text field paints its box in its own coordinates.
    Object* field = call(root(), "createTextField", {"field", 3, 100, 100, 6, 4}).object();
    ASSERT_TRUE(field);
    m().set(field, QStringLiteral("background"), Value(true));
    m().set(field, QStringLiteral("backgroundColor"), Value(0x00FF00));
    Object* boxed = bitmap(10, 10, true, 0);
    call(boxed, "draw", {Value(field)});
    EXPECT_EQ(pixel(boxed, 2, 2), 0xFF00FF00u);
    EXPECT_EQ(pixel(boxed, 8, 8), 0u);

    // Erase cuts the source's shape out of a transparent bitmap.
    Object* erased = bitmap(20, 20, true, kBlue);
    call(erased, "draw", {Value(box), Value(), Value(), Value("erase")});
    EXPECT_EQ(pixel(erased, 5, 5) >> 24, 0u);
    EXPECT_EQ(pixel(erased, 15, 15), kBlue);
}

TEST_F(BitmapDrawTest, BitmapsDrawIntoBitmapsAndDisposedOnesDrawNothing) {
    Object* source = bitmap(2, 2, false, 0xFF00FF00);
    Object* target = bitmap(10, 10, true, 0);
    call(target, "draw", {Value(source), Value(fields({{"tx", 3}, {"ty", 3}}))});
    EXPECT_EQ(pixel(target, 2, 2), 0u);
    EXPECT_EQ(pixel(target, 3, 3), 0xFF00FF00u);
    EXPECT_EQ(pixel(target, 4, 4), 0xFF00FF00u);
    EXPECT_EQ(pixel(target, 5, 5), 0u);

    // A bitmap drawn into itself reads what it held before.
    call(target, "draw", {Value(target), Value(fields({{"tx", 2}, {"ty", 2}}))});
    EXPECT_EQ(pixel(target, 6, 6), 0xFF00FF00u);
    EXPECT_EQ(pixel(target, 7, 7), 0u);

    call(source, "dispose");
    Object* blank = bitmap(10, 10, true, 0);
    EXPECT_TRUE(call(blank, "draw", {Value(source)}).isUndefined());
    EXPECT_EQ(pixel(blank, 0, 0), 0u);

    call(blank, "dispose");
    EXPECT_EQ(m().toNumber(call(blank, "draw", {Value(box)})), -1);
    EXPECT_EQ(m().toNumber(call(target, "draw")), -1) << "no source";
}

}  // namespace
}  // namespace pencora::runtime
