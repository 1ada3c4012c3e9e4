// BitmapData.applyFilter and generateFilterRect as scripts call them: a filter object run over
// a bitmap's rectangle into this bitmap, and the rectangle it changes.
#include <gtest/gtest.h>

#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;

struct BitmapFilterTest : testing::Test {
    Player player;
    ScriptHost* host = nullptr;

    BitmapFilterTest() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
        swfwrite::MovieBuilder b;
        player.load(0, test::share(b));
        player.runFrame();
    }

    avm1::Machine& m() { return host->machine(); }
    Value call(Object* o, const char* method, std::vector<Value> args = {}) {
        return m().callMethod(o, QString::fromLatin1(method), std::move(args), 8).value;
    }
    Value member(const char* package, const char* name) {
        const Value p = m().getMember(m().get(m().global(), QStringLiteral("flash")),
                                      QString::fromLatin1(package));
        return m().getMember(p, QString::fromLatin1(name));
    }
    Object* bitmap(int w, int h, bool transparent, double fill) {
        std::vector<Value> args{w, h, transparent, fill};
        return m().construct(member("display", "BitmapData"), args).object();
    }
    Value filter(const char* name, std::vector<Value> args) {
        return m().construct(member("filters", name), args);
    }
    Value rect(int x, int y, int w, int h) {
        std::vector<Value> args{x, y, w, h};
        return m().construct(member("geom", "Rectangle"), args);
    }
    Value point(int x, int y) {
        Object* o = m().makeObject();
        o->put(QStringLiteral("x"), Value(x));
        o->put(QStringLiteral("y"), Value(y));
        return Value(o);
    }
    uint32_t pixel(Object* b, int x, int y) {
        return uint32_t(m().toInt32(call(b, "getPixel32", {x, y})));
    }
    int alpha(Object* b, int x, int y) { return int(pixel(b, x, y) >> 24); }
    std::string text(const Value& r) {
        std::string out;
        for (const char* k : {"x", "y", "width", "height"}) {
            out += std::to_string(m().toInt32(m().getMember(r, QString::fromLatin1(k)))) + " ";
        }
        return out;
    }
};

// A blur spreads one opaque pixel over its box: five pixels of a fifth each for a blur of 5,
// none across for a blur of 1. The rectangle's corner lands at the point given, and every
// pixel the filter reaches takes the filtered one, transparent or not; the rest stay.
TEST_F(BitmapFilterTest, BlurSpreadsAPixelByItsSizeToThePointGiven) {
    Object* src = bitmap(21, 21, true, 0);
    call(src, "setPixel32", {10, 10, double(0xFFFFFFFFu)});
    Object* dest = bitmap(30, 30, true, double(0x8000FF00u));
    const Value blur = filter("BlurFilter", {5, 1, 1});
    EXPECT_EQ(m().toNumber(call(dest, "applyFilter", {src, rect(5, 5, 11, 11), point(0, 0), blur})),
              0);
    for (int x = 3; x <= 7; ++x) {
        EXPECT_NEAR(alpha(dest, x, 5), 51, 1) << x;
    }
    EXPECT_EQ(pixel(dest, 2, 5), 0u);  // reached by nothing, but inside the filtered area
    EXPECT_EQ(pixel(dest, 8, 5), 0u);
    EXPECT_EQ(pixel(dest, 5, 4), 0u);
    EXPECT_EQ(pixel(dest, 20, 20), 0x8000FF00u);  // outside it: kept
    EXPECT_EQ(pixel(dest, 13, 5), 0x8000FF00u);

    // Onto itself, the source read before it is written.
    call(src, "applyFilter",
         {src, rect(0, 0, 21, 21), point(0, 0), filter("BlurFilter", {1, 5, 1})});
    EXPECT_NEAR(alpha(src, 10, 8), 51, 1);
    EXPECT_NEAR(alpha(src, 10, 12), 51, 1);
    EXPECT_EQ(alpha(src, 10, 13), 0);
    EXPECT_EQ(alpha(src, 9, 10), 0);

    // Bad arguments, as the copying methods answer them.
    Object* gone = bitmap(2, 2, true, 0);
    call(gone, "dispose");
    EXPECT_EQ(m().toNumber(call(dest, "applyFilter",
                                {Value(m().makeObject()), rect(0, 0, 1, 1), point(0, 0), blur})),
              -2);
    EXPECT_EQ(m().toNumber(call(dest, "applyFilter", {gone, rect(0, 0, 1, 1), point(0, 0), blur})),
              -3);
    EXPECT_EQ(m().toNumber(call(dest, "applyFilter", {src, Value(), point(0, 0), blur})), -4);
    EXPECT_EQ(m().toNumber(call(dest, "applyFilter", {src, rect(0, 0, 1, 1), point(0, 0), 3})), -1);
    EXPECT_EQ(m().toNumber(call(gone, "applyFilter", {src, rect(0, 0, 1, 1), point(0, 0), blur})),
              -1);
}

// generateFilterRect grows the rectangle by what each kind of filter reaches.
TEST_F(BitmapFilterTest, FilterRectGrowsByTheFiltersReach) {
    Object* b = bitmap(4, 4, true, 0);
    auto grown = [&](const Value& f) {
        return text(call(b, "generateFilterRect", {rect(10, 10, 20, 20), f}));
    };
    EXPECT_EQ(grown(filter("BlurFilter", {5, 3, 1})), "8 9 24 22 ");
    EXPECT_EQ(grown(filter("BlurFilter", {5, 3, 2})), "6 8 28 24 ");  // two passes
    EXPECT_EQ(grown(filter("GlowFilter", {0xFF, 1, 5, 5})), "8 8 24 24 ");
    EXPECT_EQ(grown(filter("GlowFilter", {0xFF, 1, 5, 5, 2, 1, true})), "10 10 20 20 ");
    // A shadow falls 4 to the right and 0 down, blurred 1 pixel round.
    EXPECT_EQ(grown(filter("DropShadowFilter", {4, 0, 0, 1, 3, 3})), "9 9 26 22 ");
    EXPECT_EQ(grown(filter("DropShadowFilter", {4, 180, 0, 1, 3, 3})), "5 9 26 22 ");
    // An outer bevel lights one side and shades the other.
    EXPECT_EQ(grown(filter("BevelFilter", {4, 90, 0xFFFFFF, 1, 0, 1, 1, 1, 1, 1, "outer"})),
              "10 6 20 28 ");
    EXPECT_EQ(m().toNumber(call(b, "generateFilterRect", {rect(0, 0, 1, 1), 7})), -1);
    call(b, "dispose");
    EXPECT_EQ(
        m().toNumber(call(b, "generateFilterRect", {rect(0, 0, 1, 1), filter("BlurFilter", {})})),
        -1);
}

}  // namespace
}  // namespace pencora::runtime
