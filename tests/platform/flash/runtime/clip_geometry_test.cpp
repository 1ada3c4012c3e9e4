// How scripts measure clips: sizes read and set on turned clips, bounds, the frame counts a
// clip reports, and hit tests against morph shapes between their ends.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;
using test::square;

const swf::Rgba kRed{255, 0, 0, 255};

// A morph from a 10 x 10 square at the origin to a 40 x 10 bar, both at the clip's origin.
swf::MorphShape growingBar() {
    swf::MorphShape m;
    swf::MorphFillStyle f;
    f.startColor = f.endColor = kRed;
    m.fills = {f};
    swfwrite::ShapeBuilder from, to;
    from.fill1(1).rectangle(0, 0, 200, 200);
    to.rectangle(0, 0, 800, 200);
    m.startRecords = from.records();
    m.endRecords = to.records();
    m.startBounds = m.startEdgeBounds = {0, 200, 0, 200};
    m.endBounds = m.endEdgeBounds = {0, 800, 0, 200};
    return m;
}

struct ClipGeometryTest : testing::Test {
    Player player;
    ScriptHost* host = nullptr;
    uint8_t version = 8;

    ClipGeometryTest() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
    }

    // Exports "Bar" (a 40 x 20 rectangle at the origin) and "Morph" (growingBar at ratio 0, a
    // half and the end on its frames 1 to 3).
    void load(uint8_t swfVersion) {
        version = swfVersion;
        swfwrite::MovieBuilder b(version);
        const uint16_t shape = b.define(square(0, 0, 40, 20, kRed));
        const uint16_t barId = test::clipOf(b, {shape});

        const uint16_t morph = b.define(growingBar());
        swfwrite::TimelineBuilder frames;
        for (uint16_t ratio : {0, 32768, 65535}) {
            swf::PlaceObject p;
            p.depth = 1;
            p.ratio = ratio;
            if (ratio == 0) {
                p.characterId = morph;
                p.matrix = swf::Matrix{};
            } else {
                p.move = true;
            }
            frames.place(p).showFrame();
        }
        const uint16_t morphId = b.define(frames.sprite());
        b.tag(swf::ExportAssets{{{barId, "Bar"}, {morphId, "Morph"}}});
        player.load(0, test::share(b));
        player.runFrame();
    }

    avm1::Machine& m() { return host->machine(); }
    Object* root() { return host->scriptObject(*player.root(0)); }
    Value call(Object* o, const char* method, std::vector<Value> args = {}) {
        return m().callMethod(o, QString::fromLatin1(method), std::move(args), version).value;
    }
    double number(Object* o, const char* name) {
        return m().toNumber(m().get(o, QString::fromLatin1(name)));
    }
    void set(Object* o, const char* name, const Value& v) {
        m().set(o, QString::fromLatin1(name), v);
    }
    Object* attach(const char* symbol, const char* name, int depth) {
        return call(root(), "attachMovie", {symbol, name, depth}).object();
    }
    double boundsEdge(Object* clip, const char* method, const char* edge) {
        return number(call(clip, method, {Value(clip)}).object(), edge);
    }
};

// Setting a size takes both scales against the clip turned but not scaled: _xscale follows the
// parent's width and _yscale its height. On a clip turned a quarter, the first _width set
// therefore changes what shows as its height; a second one reaches the width asked for.
TEST_F(ClipGeometryTest, SizesSetOnATurnedClipFollowTheParentsAxes) {
    for (uint8_t v : {5, 6, 8}) {
        SCOPED_TRACE(int(v));
        load(v);
        Object* bar = attach("Bar", "bar", 1);
        ASSERT_TRUE(bar);
        set(bar, "_width", Value(50));
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 125);
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 100);
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 50);

        set(bar, "_xscale", Value(100));
        set(bar, "_rotation", Value(90));
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 20);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 40);
        set(bar, "_width", Value(10));
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 50);
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 100);
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 20);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 20);
        set(bar, "_width", Value(10));
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 50);
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 10);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 20);
        EXPECT_DOUBLE_EQ(number(bar, "_rotation"), 90);

        // The other way round, the same holds for _height.
        set(bar, "_rotation", Value(-90));
        set(bar, "_height", Value(30));
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 75);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 20);
        set(bar, "_height", Value(30));
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 75);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 30);
        EXPECT_DOUBLE_EQ(number(bar, "_rotation"), -90);
    }
}

// A zero size is kept and a clip set to nothing can be given a size again; a negative size,
// like what is no finite number, changes nothing. A size never turns a clip over: one flipped
// by its scale stays flipped when sized, and one asked for a negative size first and then a
// positive one faces the way it did (a bar laid out before it knows its length does so).
TEST_F(ClipGeometryTest, SizesTakeZeroAndIgnoreNegativesAndWhatIsNoFiniteNumber) {
    for (uint8_t v : {5, 6, 8}) {
        SCOPED_TRACE(int(v));
        load(v);
        Object* bar = attach("Bar", "bar", 1);
        ASSERT_TRUE(bar);
        set(bar, "_width", Value(0));
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 0);
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 0);
        set(bar, "_width", Value(20));
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 50);
        set(bar, "_height", Value(-10));
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 100);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 20);
        set(bar, "_height", Value(60));
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 300);
        for (const Value& odd :
             {Value(NAN), Value(INFINITY), Value(-INFINITY), Value("wide"), Value(-5)}) {
            set(bar, "_width", odd);
            set(bar, "_height", odd);
        }
        EXPECT_DOUBLE_EQ(number(bar, "_xscale"), 50);
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), 300);
        EXPECT_DOUBLE_EQ(number(bar, "_width"), 20);
        set(bar, "_yscale", Value(-100));
        set(bar, "_height", Value(10));
        EXPECT_DOUBLE_EQ(number(bar, "_yscale"), -50);
        EXPECT_DOUBLE_EQ(number(bar, "_height"), 10);
    }
}

// A morph's outline for bounds and hit tests is the one last shown: a goto moves it only once
// its frame has been shown, for the bounds, the plain hit test and the shape hit test alike.
TEST_F(ClipGeometryTest, MorphsAreMeasuredAndHitAtTheRatioLastShown) {
    for (uint8_t v : {5, 8}) {
        SCOPED_TRACE(int(v));
        load(v);
        Object* morph = attach("Morph", "morph", 1);
        ASSERT_TRUE(morph);
        call(morph, "stop");
        auto hits = [&](double x, bool shape) {
            const Value hit = call(morph, "hitTest", {x, 5, shape});
            return hit.isBoolean() && hit.boolean();
        };
        EXPECT_DOUBLE_EQ(boundsEdge(morph, "getBounds", "xMax"), 10);
        DisplayObject* shape = host->displayOf(morph)->childAt(1);
        ASSERT_TRUE(shape);
        call(morph, "gotoAndStop", {3});
        EXPECT_EQ(host->displayOf(morph)->childAt(1), shape);
        EXPECT_DOUBLE_EQ(boundsEdge(morph, "getBounds", "xMax"), 10);
        EXPECT_FALSE(hits(30, false));
        EXPECT_FALSE(hits(30, true));

        player.runFrame();
        EXPECT_DOUBLE_EQ(boundsEdge(morph, "getBounds", "xMax"), 40);
        EXPECT_DOUBLE_EQ(boundsEdge(morph, "getRect", "xMax"), 40);
        EXPECT_TRUE(hits(30, false));
        EXPECT_TRUE(hits(30, true));

        call(morph, "gotoAndStop", {2});
        player.runFrame();
        EXPECT_DOUBLE_EQ(boundsEdge(morph, "getBounds", "xMax"), 25);
        EXPECT_TRUE(hits(20, true));
        EXPECT_FALSE(hits(30, true));
        EXPECT_FALSE(hits(30, false));
    }
}

// getBounds and getRect take their target as a path: a clip reference is the clip now at its
// path, text is a path from the clip asked, and an undefined target reads as the empty path (the
// clip itself) only where undefined converts to empty text. Whatever names no clip gives no
// bounds at all.
TEST_F(ClipGeometryTest, BoundsTargetsNameClipsByPath) {
    for (uint8_t v : {5, 6, 7, 8}) {
        SCOPED_TRACE(int(v));
        load(v);
        Object* bar = attach("Bar", "bar", 1);
        set(bar, "_x", Value(100));
        Object* other = call(root(), "createEmptyMovieClip", {"other", 2}).object();
        set(other, "_x", Value(30));
        auto xMin = [&](std::vector<Value> target) {
            const Value b = call(bar, "getBounds", std::move(target));
            return b.isObject() ? number(b.object(), "xMin") : NAN;
        };
        EXPECT_EQ(xMin({}), 0);
        EXPECT_EQ(xMin({Value(root())}), 100);
        EXPECT_EQ(xMin({Value(other)}), 70);
        EXPECT_EQ(xMin({"_parent.other"}), 70);
        EXPECT_TRUE(std::isnan(xMin({"other"})));  // a path from bar, where nothing is
        EXPECT_TRUE(std::isnan(xMin({Value()})) == (v >= 7));
        EXPECT_TRUE(std::isnan(xMin({Value::null()})));

        call(other, "removeMovieClip");
        EXPECT_TRUE(std::isnan(xMin({Value(other)})));
        Object* again = call(root(), "createEmptyMovieClip", {"other", 3}).object();
        set(again, "_x", Value(50));
        EXPECT_EQ(xMin({Value(other)}), 50);
    }
}

// Points travel between a clip and the stage through the clip's matrix joined with each of its
// parents' in turn, from the clip up, every product keeping its offset on whole twips; the way
// back inverts the clip's joined matrix and keeps that offset whole too. A small scaled and
// turned clip under a moved and turned root shows where this parts from exact arithmetic.
TEST_F(ClipGeometryTest, PointsCrossSpacesThroughMatricesKeptOnWholeTwips) {
    struct Case {
        double rootRotation, rootX;
        double global[2], backInOuter[2];
    };
    const Case cases[] = {
        {5, -10, {189.2, 281.6}, {190.15, 190.2}},
        {10, -3, {170.95, 297.85}, {190.1, 189.95}},
    };
    for (uint8_t v : {5, 6, 8}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << int(v) << " root turned " << c.rootRotation);
            load(v);
            set(root(), "_x", Value(c.rootX));
            set(root(), "_rotation", Value(c.rootRotation));
            Object* outer = attach("Bar", "outer", 1);
            ASSERT_TRUE(outer);
            for (const char* p : {"_x", "_y"}) {
                set(outer, p, Value(200));
            }
            set(outer, "_xscale", Value(25));
            set(outer, "_yscale", Value(25));
            set(outer, "_rotation", Value(25));
            Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
            ASSERT_TRUE(inner);
            set(inner, "_x", Value(200));
            set(inner, "_y", Value(200));

            Object* point = m().makeObject();
            set(point, "x", Value(-10));
            set(point, "y", Value(-10));
            call(inner, "localToGlobal", {Value(point)});
            EXPECT_DOUBLE_EQ(number(point, "x"), c.global[0]);
            EXPECT_DOUBLE_EQ(number(point, "y"), c.global[1]);
            call(outer, "globalToLocal", {Value(point)});
            EXPECT_DOUBLE_EQ(number(point, "x"), c.backInOuter[0]);
            EXPECT_DOUBLE_EQ(number(point, "y"), c.backInOuter[1]);
        }
    }
}

// createTextField answers the new field only from SWF 8 on; a position too far for twips stops
// at the last twip, where the same number given to a clip's _x and _y puts the clip.
TEST_F(ClipGeometryTest, CreatedFieldsStandWhereAClipGivenTheSamePositionStands) {
    for (uint8_t v : {6, 7, 8}) {
        SCOPED_TRACE(int(v));
        load(v);
        const Value made = call(root(), "createTextField", {"t", 5, 1e300, -1e300, 10, 10});
        EXPECT_EQ(made.isObject(), v >= 8);
        Object* field = m().get(root(), QStringLiteral("t")).object();
        ASSERT_TRUE(field);
        Object* clip = call(root(), "createEmptyMovieClip", {"c", 6}).object();
        set(clip, "_x", Value(1e300));
        set(clip, "_y", Value(-1e300));
        EXPECT_DOUBLE_EQ(number(field, "_x"), number(clip, "_x"));
        EXPECT_DOUBLE_EQ(number(field, "_y"), number(clip, "_y"));
        EXPECT_GT(number(field, "_x"), 1e8);
    }
}

// A clip that draws nothing reports the largest twip value on every edge in its own space; the
// same value taken through another clip's space comes out a little rounded.
TEST_F(ClipGeometryTest, EmptyClipsReportTheLargestCoordinate) {
    load(8);
    Object* empty = call(root(), "createEmptyMovieClip", {"empty", 1}).object();
    set(empty, "_x", Value(10));
    for (const char* edge : {"xMin", "xMax", "yMin", "yMax"}) {
        EXPECT_DOUBLE_EQ(boundsEdge(empty, "getBounds", edge), 0x7FFFFFF / 20.0) << edge;
        EXPECT_DOUBLE_EQ(number(call(empty, "getRect", {Value(root())}).object(), edge),
                         std::ldexp(1.0, 27) / 20)
            << edge;
    }
    EXPECT_EQ(number(empty, "_width"), 0);
    EXPECT_EQ(number(empty, "_height"), 0);
}

}  // namespace
}  // namespace pencora::runtime
