// MovieClip methods driven through the script machine as a movie's scripts would call them:
// clips made, moved and removed by scripts, registered classes, the drawing methods, bounds,
// coordinates and hit tests.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <limits>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/drawing/draw_backend.h"
#include "platform/flash/runtime/drawing/draw_list.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::Object;
using avm1::Value;
using test::at;
using test::square;

const swf::Rgba kRed{255, 0, 0, 255};

struct MovieClipTest : testing::Test {
    Player player;
    ScriptHost* host = nullptr;
    std::vector<QString> traces;

    struct Traces : PlayerEvents {
        std::vector<QString>* out;
        void trace(const QString& line) override { out->push_back(line); }
        void fsCommand(const QString& command, const QString&) override { out->push_back(command); }
    } events;

    MovieClipTest() {
        auto h = std::make_unique<ScriptHost>(player);
        host = h.get();
        player.setActionRunner(std::move(h));
        events.out = &traces;
        player.setEvents(&events);
    }

    // A movie whose sprite 2 (a 10 x 10 red square at its origin) is exported as "Box".
    void loadBoxMovie(swfwrite::MovieBuilder& b) {
        const uint16_t shape = b.define(square(0, 0, 10, 10, kRed));
        const uint16_t id = test::clipOf(b, {shape});
        b.tag(swf::ExportAssets{{{id, "Box"}}});
        player.load(0, test::share(b));
        player.runFrame();
    }

    // The box movie loaded, with an empty clip "pen" at depth 1 of its root to draw in.
    Object* loadPen() {
        swfwrite::MovieBuilder b;
        loadBoxMovie(b);
        return call(root(), "createEmptyMovieClip", {"pen", 1}).object();
    }

    avm1::Machine& m() { return host->machine(); }
    Object* root() { return host->scriptObject(*player.root(0)); }
    Value call(Object* o, const char* method, std::vector<Value> args = {}) {
        return m().callMethod(o, QString::fromLatin1(method), std::move(args), 8).value;
    }
    double number(Object* o, const char* name) {
        return m().toNumber(m().get(o, QString::fromLatin1(name)));
    }
    Object* point(double x, double y) {
        Object* p = m().makeObject();
        p->put(QStringLiteral("x"), Value(x));
        p->put(QStringLiteral("y"), Value(y));
        return p;
    }
};

TEST_F(MovieClipTest, DepthsScriptsMayUseAndTheClipsTheyMayRemove) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* a = call(root(), "createEmptyMovieClip", {"a", 0}).object();
    ASSERT_TRUE(a);
    struct Row {
        double asked;
        double depth;  // getDepth() after swapDepths(asked)
    };
    // Out of range leaves the clip where it was; numbers wrap like 32-bit integers.
    const Row rows[] = {{999.7, 999},
                        {-16384, -16384},
                        {-16385, -16384},
                        {2130690044, 2130690044},
                        {2130690045, 2130690044},
                        {4294967297.0, 1}};
    for (const Row& r : rows) {
        call(a, "swapDepths", {r.asked});
        EXPECT_EQ(m().toNumber(call(a, "getDepth")), r.depth) << r.asked;
    }
    EXPECT_EQ(m().toNumber(call(root(), "getNextHighestDepth")), 2);

    // Two clips trade places; the instance at a depth follows.
    Object* c = call(root(), "createEmptyMovieClip", {"c", 7}).object();
    call(a, "swapDepths", {Value(c)});
    EXPECT_EQ(m().toNumber(call(a, "getDepth")), 7);
    EXPECT_EQ(m().toNumber(call(c, "getDepth")), 1);
    EXPECT_EQ(call(root(), "getInstanceAtDepth", {7}).object(), a);

    // Negative depths and those past 1048575 are beyond removeMovieClip.
    call(a, "swapDepths", {-5});
    call(a, "removeMovieClip");
    EXPECT_TRUE(host->displayOf(a));
    call(a, "swapDepths", {1048576});
    call(a, "removeMovieClip");
    EXPECT_TRUE(host->displayOf(a));
    call(a, "swapDepths", {1048575});
    call(a, "removeMovieClip");
    EXPECT_FALSE(host->displayOf(a));
}

// Infinite scales and rotations are kept as given; the matrix they make holds no NaN, and the
// other scale and later settings read back as set.
TEST_F(MovieClipTest, InfiniteScalesAndRotationsLeaveTheClipUsable) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* a = call(root(), "createEmptyMovieClip", {"a", 0}).object();
    ASSERT_TRUE(a);
    const double inf = std::numeric_limits<double>::infinity();
    auto set = [&](const char* name, double v) { m().set(a, QString::fromLatin1(name), Value(v)); };
    const DisplayObject* shown = host->displayOf(a);
    ASSERT_TRUE(shown);

    set("_xscale", inf);
    EXPECT_EQ(number(a, "_xscale"), inf);
    EXPECT_EQ(number(a, "_yscale"), 100);
    for (double entry : {shown->matrix.a, shown->matrix.b, shown->matrix.c, shown->matrix.d}) {
        EXPECT_FALSE(std::isnan(entry));
    }
    set("_yscale", -inf);
    EXPECT_EQ(number(a, "_yscale"), -inf);
    EXPECT_EQ(number(a, "_xscale"), inf);
    set("_xscale", 50);
    set("_yscale", 25);
    EXPECT_EQ(number(a, "_xscale"), 50);
    EXPECT_EQ(number(a, "_yscale"), 25);

    // An infinite turn has no angle: it reads NaN, and the scales come back with the next turn.
    set("_rotation", inf);
    EXPECT_TRUE(std::isnan(number(a, "_rotation")));
    set("_rotation", 90);
    EXPECT_DOUBLE_EQ(number(a, "_rotation"), 90);
    EXPECT_DOUBLE_EQ(number(a, "_xscale"), 50);
    EXPECT_DOUBLE_EQ(number(a, "_yscale"), 25);
}

TEST_F(MovieClipTest, AttachMovieFindsExportsIgnoringCaseAndCopiesTheInitObject) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* init = m().makeObject();
    init->put(QStringLiteral("_x"), Value(30));
    init->put(QStringLiteral("tag"), Value("first"));
    Object* box = call(root(), "attachMovie", {"bOX", "box", 3, Value(init)}).object();
    ASSERT_TRUE(box);
    EXPECT_EQ(number(box, "_x"), 30);
    EXPECT_EQ(m().toString(m().get(box, QStringLiteral("tag"))), u"first");
    EXPECT_EQ(number(box, "_width"), 10);

    EXPECT_TRUE(call(root(), "attachMovie", {"Missing", "x", 4}).isUndefined());
    // The same depth again replaces the first clip.
    Object* again = call(root(), "attachMovie", {"Box", "again", 3}).object();
    ASSERT_TRUE(again);
    EXPECT_FALSE(host->displayOf(box));
    EXPECT_EQ(call(root(), "getInstanceAtDepth", {3}).object(), again);
}

// A symbol whose first frame places a clip of its own: the init object belongs to the clip
// attached or copied, never to the clips its timeline places while it is made.
TEST_F(MovieClipTest, TheInitObjectGoesToTheNewClipNotToTheClipsItsFramePlaces) {
    swfwrite::MovieBuilder b;
    const uint16_t shape = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t innerId = test::clipOf(b, {shape});
    swf::PlaceObject pic;
    pic.depth = 1;
    pic.characterId = innerId;
    pic.name = "pic";
    pic.matrix = swf::Matrix{0.5, 0, 0, 0.5, 0, 0};
    swfwrite::TimelineBuilder card;
    card.place(pic).showFrame();
    const uint16_t cardId = b.define(card.sprite());
    b.tag(swf::ExportAssets{{{cardId, "Card"}}});
    player.load(0, test::share(b));
    player.runFrame();

    Object* init = m().makeObject();
    init->put(QStringLiteral("_xscale"), Value(90));
    init->put(QStringLiteral("tag"), Value("mine"));
    Object* attached = call(root(), "attachMovie", {"Card", "card", 1, Value(init)}).object();
    ASSERT_TRUE(attached);
    Object* copy = call(attached, "duplicateMovieClip", {"copy", 2, Value(init)}).object();
    ASSERT_TRUE(copy);
    for (Object* clip : {attached, copy}) {
        EXPECT_EQ(number(clip, "_xscale"), 90);
        EXPECT_EQ(m().toString(m().get(clip, QStringLiteral("tag"))), u"mine");
        Object* child = m().get(clip, QStringLiteral("pic")).object();
        ASSERT_TRUE(child);
        EXPECT_EQ(number(child, "_xscale"), 50);
        EXPECT_TRUE(m().get(child, QStringLiteral("tag")).isUndefined());
        EXPECT_EQ(number(clip, "_width"), 4.5);
    }
}

// A script may attach a symbol inside an instance of itself, and a copy of such a clip inside
// it, as a tree built branch by branch does; each level is a clip of its own.
TEST_F(MovieClipTest, ScriptsNestASymbolInsideItsOwnInstances) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* outer = call(root(), "attachMovie", {"Box", "outer", 1}).object();
    ASSERT_TRUE(outer);
    Object* middle = call(outer, "attachMovie", {"Box", "middle", 1}).object();
    ASSERT_TRUE(middle);
    Object* inner = call(middle, "attachMovie", {"Box", "inner", 1}).object();
    ASSERT_TRUE(inner);
    m().set(outer, QStringLiteral("_x"), Value(10));
    m().set(middle, QStringLiteral("_x"), Value(10));
    EXPECT_EQ(number(call(inner, "getBounds", {Value(root())}).object(), "xMin"), 20);
    Object* copy = call(inner, "duplicateMovieClip", {"copy", 2}).object();
    ASSERT_TRUE(copy);
    EXPECT_EQ(m().get(middle, QStringLiteral("copy")).object(), copy);
    EXPECT_EQ(number(outer, "_width"), 20);
}

// Object.registerClass(name, constructor) as a script would leave it in _global.
Value recordInit(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    // The constructor runs on the clip with its prototype set and the init object copied.
    m.set(self.object(), QStringLiteral("seen"), m.get(self.object(), QStringLiteral("tag")));
    return {};
}

TEST_F(MovieClipTest, RegisteredClassConstructsAttachedClipsAfterTheInitObject) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    avm1::FunctionObject* ctor = m().makeNative(recordInit);
    Object* proto = m().makeObject();
    proto->put(QStringLiteral("kind"), Value("boxclass"));
    ctor->put(QStringLiteral("prototype"), Value(proto));
    Object* objectClass = m().get(m().global(), QStringLiteral("Object")).object();
    call(objectClass, "registerClass", {"Box", Value(ctor)});

    Object* init = m().makeObject();
    init->put(QStringLiteral("tag"), Value("from init"));
    Object* box = call(root(), "attachMovie", {"Box", "box", 1, Value(init)}).object();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->proto(), proto);
    EXPECT_EQ(m().toString(m().get(box, QStringLiteral("seen"))), u"from init");
    EXPECT_EQ(m().toString(m().get(box, QStringLiteral("kind"))), u"boxclass");
}

TEST_F(MovieClipTest, DrawingShowsUnderChildrenAndCountsInBoundsAndHits) {
    Object* pen = loadPen();
    call(pen, "attachMovie", {"Box", "child", 1});
    call(pen, "lineStyle", {4, 0x0000FF, 100});
    call(pen, "beginFill", {0x00FF00, 50});
    call(pen, "moveTo", {20, 20});
    call(pen, "lineTo", {60, 20});
    call(pen, "lineTo", {60, 40});
    // No endFill: the open outline closes back to (20, 20) and shows already.

    Object* r = call(pen, "getRect").object();
    ASSERT_TRUE(r);
    EXPECT_EQ(number(r, "xMin"), 0);  // the child box at the origin
    EXPECT_EQ(number(r, "xMax"), 60);
    EXPECT_EQ(number(r, "yMax"), 40);
    Object* bounds = call(pen, "getBounds").object();
    EXPECT_EQ(number(bounds, "xMax"), 62);  // half the line's width beyond the edges

    // Inside the triangle, and in its bounding box but off the shape.
    EXPECT_TRUE(m().toBoolean(call(pen, "hitTest", {55, 30, true})));
    EXPECT_FALSE(m().toBoolean(call(pen, "hitTest", {25, 38, true})));
    EXPECT_TRUE(m().toBoolean(call(pen, "hitTest", {25, 38, false})));

    // The drawing comes before the child in the draw list.
    DisplayObject* shown = host->displayOf(pen);
    ASSERT_TRUE(shown && shown->graphics);
    const auto list = buildDrawList(player);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].serial, shown->graphics->serial());

    call(pen, "clear");
    EXPECT_EQ(buildDrawList(player).size(), 1u);
}

// A shape hit test finds what shows: a layer under a timeline mask only where the mask
// paints, a clip a script masked only inside its mask, and never the script's mask itself.
TEST_F(MovieClipTest, ShapeHitsCountOnlyWhatMasksLetShow) {
    swfwrite::MovieBuilder b;
    const uint16_t small = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t big = b.define(square(0, 0, 40, 40, kRed));
    const uint16_t corner = b.define(square(30, 30, 40, 40, kRed));
    swfwrite::TimelineBuilder sprite;
    swf::PlaceObject mask;
    mask.characterId = small;
    mask.depth = 1;
    mask.clipDepth = 2;
    sprite.place(mask).place(big, 2).place(corner, 3).showFrame();
    const uint16_t layered = b.define(sprite.sprite());
    b.tag(swf::ExportAssets{{{layered, "Layered"}}});
    loadBoxMovie(b);

    Object* clip = call(root(), "attachMovie", {"Layered", "layered", 1}).object();
    auto hits = [&](Object* o, double x, double y) {
        return m().toBoolean(call(o, "hitTest", {x, y, true}));
    };
    EXPECT_TRUE(hits(clip, 5, 5));
    EXPECT_FALSE(hits(clip, 20, 20));  // the big square, masked away
    EXPECT_TRUE(hits(clip, 35, 35));   // the corner, above the masked depths
    EXPECT_TRUE(m().toBoolean(call(clip, "hitTest", {20, 20})));  // bounds know no masks

    Object* holder = call(root(), "createEmptyMovieClip", {"holder", 2}).object();
    m().set(holder, QStringLiteral("_x"), Value(100));
    Object* shown = call(holder, "attachMovie", {"Box", "shown", 1}).object();
    m().set(shown, QStringLiteral("_xscale"), Value(400));
    m().set(shown, QStringLiteral("_yscale"), Value(400));
    Object* window = call(holder, "attachMovie", {"Box", "window", 2}).object();
    call(shown, "setMask", {Value(window)});
    EXPECT_TRUE(hits(shown, 105, 5));
    EXPECT_FALSE(hits(shown, 120, 20));
    EXPECT_FALSE(hits(holder, 120, 20));
    EXPECT_TRUE(hits(holder, 105, 5));
    call(shown, "setMask", {Value::null()});
    EXPECT_TRUE(hits(holder, 120, 20));
}

// A shape hit test measures a line by the width it is drawn at on the stage: a hairline is
// one pixel wide at any scale, a line that does not scale keeps its width, and a normal
// line scales with its clip (never under a pixel). Three lines across x 0..100, at y 20
// (hairline), 60 (4 px) and 100 (4 px, not scaling), drawn by the timeline and by script.
TEST_F(MovieClipTest, ShapeHitsMeasureLinesAtTheWidthTheyAreDrawn) {
    swfwrite::MovieBuilder b;
    swfwrite::ShapeBuilder lines;
    swf::LineStyle fixed = swfwrite::solidLine(80, kRed);
    fixed.noHScale = fixed.noVScale = true;
    const uint32_t styles[] = {lines.addLine(swfwrite::solidLine(0, kRed)),
                               lines.addLine(swfwrite::solidLine(80, kRed)), lines.addLine(fixed)};
    for (int i = 0; i < 3; ++i) {
        lines.line(styles[i]).moveTo(0, 400 + 800 * i).lineTo(2000, 400 + 800 * i);
    }
    const uint16_t shape = b.define(lines.build(0, 4));
    swfwrite::TimelineBuilder sprite;
    sprite.place(shape, 1).showFrame();
    b.tag(swf::ExportAssets{{{b.define(sprite.sprite()), "Lines"}}});
    loadBoxMovie(b);

    Object* drawn = call(root(), "createEmptyMovieClip", {"drawn", 2}).object();
    call(drawn, "lineStyle", {0});
    call(drawn, "moveTo", {0, 20});
    call(drawn, "lineTo", {100, 20});
    call(drawn, "lineStyle", {4});
    call(drawn, "moveTo", {0, 60});
    call(drawn, "lineTo", {100, 60});
    call(drawn, "lineStyle", {4, 0, 100, false, "none"});
    call(drawn, "moveTo", {0, 100});
    call(drawn, "lineTo", {100, 100});
    Object* placed = call(root(), "attachMovie", {"Lines", "placed", 1}).object();

    for (Object* clip : {placed, drawn}) {
        for (double scale : {1.0, 4.0, 0.25}) {
            SCOPED_TRACE(scale);
            m().set(clip, QStringLiteral("_xscale"), Value(scale * 100));
            m().set(clip, QStringLiteral("_yscale"), Value(scale * 100));
            // Hit `off` stage pixels below the line at local y `y`.
            auto hits = [&](double y, double off) {
                return m().toBoolean(call(clip, "hitTest", {50 * scale, y * scale + off, true}));
            };
            EXPECT_TRUE(hits(20, 0.4));
            EXPECT_FALSE(hits(20, 1.5));
            const double half = std::max(2 * scale, 0.5);
            EXPECT_TRUE(hits(60, half - 0.2));
            EXPECT_FALSE(hits(60, half + 0.3));
            EXPECT_TRUE(hits(100, 1.8));
            EXPECT_FALSE(hits(100, 2.5));
        }
    }
    // Scaled one way only, a line that does not scale across keeps its width.
    call(drawn, "clear");
    call(drawn, "lineStyle", {4, 0, 100, false, "horizontal"});
    call(drawn, "moveTo", {0, 20});
    call(drawn, "lineTo", {100, 20});
    m().set(drawn, QStringLiteral("_xscale"), Value(400));
    m().set(drawn, QStringLiteral("_yscale"), Value(100));
    EXPECT_TRUE(m().toBoolean(call(drawn, "hitTest", {200, 21.8, true})));
    EXPECT_FALSE(m().toBoolean(call(drawn, "hitTest", {200, 22.5, true})));
}

// A clip with a scroll rectangle shows the part of its space the rectangle names at its
// origin: what it holds moves by the rectangle's corner for hit tests and points as for
// drawing, nothing outside the rectangle is hit, and its size is the rectangle's.
TEST_F(MovieClipTest, AScrollRectMovesWhatAClipHoldsAndCutsItsHits) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* holder = call(root(), "createEmptyMovieClip", {"holder", 1}).object();
    m().set(holder, QStringLiteral("_x"), Value(100));
    // The box covers the holder's x 20..60, y 0..40; the rectangle shows x 20..30, y 0..10.
    Object* box = call(holder, "attachMovie", {"Box", "box", 1}).object();
    m().set(box, QStringLiteral("_x"), Value(20));
    m().set(box, QStringLiteral("_xscale"), Value(400));
    m().set(box, QStringLiteral("_yscale"), Value(400));
    host->displayOf(holder)->scrollRect = QRectF(20, 0, 10, 10);
    auto hits = [&](Object* o, double x, double y) {
        return m().toBoolean(call(o, "hitTest", {x, y, true}));
    };
    EXPECT_TRUE(hits(holder, 101, 5));  // the box's left edge, moved to the holder's origin
    EXPECT_TRUE(hits(box, 109, 9));
    EXPECT_FALSE(hits(holder, 115, 5));  // on the box, but beyond the rectangle's width
    EXPECT_FALSE(hits(box, 105, 15));    // and below its height
    EXPECT_FALSE(hits(holder, 95, 5));

    Object* p = point(0, 0);
    call(box, "localToGlobal", {Value(p)});
    EXPECT_EQ(number(p, "x"), 100);
    EXPECT_EQ(number(holder, "_width"), 10);
    EXPECT_EQ(number(holder, "_height"), 10);

    host->displayOf(holder)->scrollRect.reset();
    EXPECT_TRUE(hits(holder, 125, 5));
    EXPECT_FALSE(hits(holder, 101, 5));
}

// A shape hit test finds static text only on its letters, unless the text is drawn with the
// advanced anti-aliasing, which leaves it no outlines: then its box counts, as in a plain test.
TEST_F(MovieClipTest, ShapeHitsFindStaticTextOnItsLettersOrAdvancedTextInItsBox) {
    swfwrite::MovieBuilder b;
    // letters over x 10..30 and 40..60
    const swf::Text text = test::boxLetters(b, {0, 100 * 20, 0, 100 * 20}, 20, kRed, 10, 40);
    auto exportText = [&](const char* name) {
        const uint16_t id = b.define(text);
        swfwrite::TimelineBuilder sprite;
        sprite.place(id, 1).showFrame();
        b.tag(swf::ExportAssets{{{b.define(sprite.sprite()), name}}});
        return id;
    };
    exportText("Letters");
    b.movie().textSettings[exportText("Smooth")].advanced = true;
    loadBoxMovie(b);

    auto hits = [&](const char* name, double x, double y, bool shape) {
        Object* clip = call(root(), "attachMovie", {name, name, 1}).object();
        EXPECT_TRUE(clip);
        return clip && m().toBoolean(call(clip, "hitTest", {x, y, shape}));
    };
    EXPECT_TRUE(hits("Letters", 15, 30, true));
    EXPECT_TRUE(hits("Letters", 55, 25, true));
    EXPECT_FALSE(hits("Letters", 35, 30, true));  // between the letters
    EXPECT_FALSE(hits("Letters", 15, 50, true));  // below them, still inside the text's bounds
    EXPECT_TRUE(hits("Letters", 35, 30, false));
    EXPECT_TRUE(hits("Smooth", 35, 30, true));
    EXPECT_TRUE(hits("Smooth", 15, 50, true));
    EXPECT_FALSE(hits("Smooth", 150, 50, true));
}

// Static text masking a clip's square lets shape hits through on its letters only, however
// the text is anti-aliased: the mask shows no more than its letters.
TEST_F(MovieClipTest, ShapeHitsUnderAStaticTextMaskFindOnlyItsLetters) {
    swfwrite::MovieBuilder b;
    // letters over x 10..30 and 40..60
    const swf::Text text = test::boxLetters(b, {0, 100 * 20, 0, 100 * 20}, 20, kRed, 10, 40);
    const uint16_t big = b.define(square(0, 0, 100, 100, kRed));
    auto exportMasked = [&](const char* name, bool advanced) {
        const uint16_t id = b.define(text);
        b.movie().textSettings[id].advanced = advanced;
        swf::PlaceObject mask;
        mask.characterId = id;
        mask.depth = 1;
        mask.clipDepth = 2;
        swfwrite::TimelineBuilder sprite;
        sprite.place(mask).place(big, 2).showFrame();
        b.tag(swf::ExportAssets{{{b.define(sprite.sprite()), name}}});
    };
    exportMasked("Plain", false);
    exportMasked("Smooth", true);
    loadBoxMovie(b);

    int depth = 1;
    for (const char* name : {"Plain", "Smooth"}) {
        SCOPED_TRACE(name);
        Object* clip = call(root(), "attachMovie", {name, name, depth++}).object();
        ASSERT_TRUE(clip);
        auto hits = [&](double x, double y) {
            return m().toBoolean(call(clip, "hitTest", {x, y, true}));
        };
        EXPECT_TRUE(hits(15, 30));
        EXPECT_TRUE(hits(55, 25));
        EXPECT_FALSE(hits(35, 30));  // between the letters, inside the text's box
        EXPECT_FALSE(hits(15, 50));  // below them
        EXPECT_FALSE(hits(80, 80));  // the square, where no letter shows it
    }
}

TEST_F(MovieClipTest, DuplicateCopiesTheDrawingButNotItsLaterChanges) {
    Object* pen = loadPen();
    call(pen, "beginFill", {0xFF0000});
    call(pen, "moveTo", {0, 0});
    call(pen, "lineTo", {10, 0});
    call(pen, "lineTo", {10, 10});
    call(pen, "endFill");
    m().set(pen, QStringLiteral("_x"), Value(40));
    Object* copy = call(pen, "duplicateMovieClip", {"copy", 2}).object();
    ASSERT_TRUE(copy);
    EXPECT_EQ(number(copy, "_x"), 40);
    call(pen, "clear");
    EXPECT_EQ(number(copy, "_width"), 10);
    EXPECT_EQ(number(pen, "_width"), 0);
}

TEST_F(MovieClipTest, PointsBetweenAClipAndTheStage) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* outer = call(root(), "createEmptyMovieClip", {"outer", 1}).object();
    m().set(outer, QStringLiteral("_x"), Value(100));
    m().set(outer, QStringLiteral("_xscale"), Value(200));
    Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    m().set(inner, QStringLiteral("_y"), Value(10));

    Object* p = point(5, 5);
    call(inner, "localToGlobal", {Value(p)});
    EXPECT_DOUBLE_EQ(number(p, "x"), 110);
    EXPECT_DOUBLE_EQ(number(p, "y"), 15);
    call(inner, "globalToLocal", {Value(p)});
    EXPECT_DOUBLE_EQ(number(p, "x"), 5);
    EXPECT_DOUBLE_EQ(number(p, "y"), 5);

    // A coordinate the point only inherits does not make it a point.
    Object* half = m().makeObject();
    Object* proto = m().makeObject();
    proto->put(QStringLiteral("y"), Value(1));
    half->setProto(proto);
    half->put(QStringLiteral("x"), Value(1));
    call(inner, "localToGlobal", {Value(half)});
    EXPECT_EQ(number(half, "x"), 1);
}

// Positions and sizes come out on whole twips, as the player keeps them: a point through a
// turned and shrunk clip lands on the nearest twip and goes back through the same rounding.
TEST_F(MovieClipTest, SizesAndPointsComeOutOnWholeTwips) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* box = call(root(), "attachMovie", {"Box", "box", 1}).object();
    m().set(box, QStringLiteral("_xscale"), Value(33.33));
    EXPECT_DOUBLE_EQ(number(box, "_width"), 3.35);  // 66.66 twips
    EXPECT_DOUBLE_EQ(number(box, "_height"), 10);

    Object* outer = call(root(), "createEmptyMovieClip", {"outer", 2}).object();
    // A quarter scale turned by 25 degrees, as a movie file stores it.
    host->displayOf(outer)->matrix = swf::Matrix{
        0.2265777587890625, 0.10565185546875, -0.10565185546875, 0.2265777587890625, 4000, 4000};
    Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    host->displayOf(inner)->matrix = at(200, 200);
    Object* p = point(10, 10);
    call(inner, "localToGlobal", {Value(p)});
    EXPECT_DOUBLE_EQ(number(p, "x"), 225.4);
    EXPECT_DOUBLE_EQ(number(p, "y"), 269.75);
    call(outer, "globalToLocal", {Value(p)});
    EXPECT_DOUBLE_EQ(number(p, "x"), 210);
    EXPECT_DOUBLE_EQ(number(p, "y"), 209.95);
}

// _width and _height scale the clip's own axis by the ratio wanted, by name or through
// SetProperty; a clip with no size and a size that is no number leave the clip alone.
TEST_F(MovieClipTest, SettingASizeScalesTheClip) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* box = call(root(), "attachMovie", {"Box", "box", 1}).object();
    m().set(box, QStringLiteral("_width"), Value(25));
    EXPECT_DOUBLE_EQ(number(box, "_xscale"), 250);
    EXPECT_DOUBLE_EQ(number(box, "_width"), 25);
    m().set(box, QStringLiteral("_height"), Value(5));
    EXPECT_DOUBLE_EQ(number(box, "_yscale"), 50);
    EXPECT_DOUBLE_EQ(number(box, "_height"), 5);
    m().set(box, QStringLiteral("_height"), Value("abc"));
    m().set(box, QStringLiteral("_height"), Value(INFINITY));
    EXPECT_DOUBLE_EQ(number(box, "_yscale"), 50);
    // Through SetProperty too.
    host->setClipProperty(box, avm1::ClipProperty::Width, Value(5));
    EXPECT_DOUBLE_EQ(number(box, "_xscale"), 50);

    Object* empty = call(root(), "createEmptyMovieClip", {"empty", 2}).object();
    m().set(empty, QStringLiteral("_width"), Value(40));
    EXPECT_EQ(number(empty, "_xscale"), 100);
    EXPECT_EQ(number(empty, "_width"), 0);
}

// A turn is kept within a half turn either way; a half turn keeps the sign it was given.
TEST_F(MovieClipTest, RotationWrapsIntoAHalfTurnEitherWay) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* clip = call(root(), "createEmptyMovieClip", {"c", 1}).object();
    const std::pair<double, double> cases[] = {{180, 180}, {-180, -180}, {181, -179}, {-181, 179},
                                               {540, 180}, {-540, -180}, {720, 0},    {90.5, 90.5}};
    for (const auto& [set, read] : cases) {
        m().set(clip, QStringLiteral("_rotation"), Value(set));
        EXPECT_NEAR(number(clip, "_rotation"), read, 1e-9) << set;
    }
}

// The movie-wide properties keep what SetProperty gives them: the quality by name or by
// _highquality number, the sound buffer as a whole number of seconds.
TEST_F(MovieClipTest, MovieWidePropertiesKeepWhatScriptsSet) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    auto set = [&](avm1::ClipProperty p, const Value& v) { host->setClipProperty(root(), p, v); };
    auto text = [&](avm1::ClipProperty p) {
        return m().toString(host->getClipProperty(root(), p));
    };
    using P = avm1::ClipProperty;

    const std::pair<Value, const char*> highQuality[] = {
        {Value(2), "2"},         {Value(10), "2"}, {Value(INFINITY), "2"},
        {Value(1.5), "1"},       {Value(0), "0"},  {Value(-5), "1"},
        {Value(-INFINITY), "1"}, {Value(0), "0"},  {Value("10x"), "0"}};
    for (const auto& [v, read] : highQuality) {
        set(P::HighQuality, v);
        EXPECT_EQ(text(P::HighQuality), read) << m().toString(v).toStdString();
    }
    EXPECT_EQ(text(P::Quality), "LOW");
    set(P::Quality, Value("best"));
    EXPECT_EQ(text(P::Quality), "BEST");
    EXPECT_EQ(text(P::HighQuality), "2");
    set(P::Quality, Value(2));  // no quality's name: stays
    EXPECT_EQ(text(P::Quality), "BEST");
    set(P::Quality, Value("Medium"));
    EXPECT_EQ(text(P::Quality), "MEDIUM");
    EXPECT_TRUE(player.highQuality());

    EXPECT_EQ(text(P::SoundBufTime), "5");
    const std::pair<Value, const char*> seconds[] = {{Value(1.5), "1"},
                                                     {Value(-5), "-5"},
                                                     {Value("10"), "10"},
                                                     {Value("abc"), "10"},
                                                     {Value(INFINITY), "-2147483648"},
                                                     {Value(1e12), "-2147483648"}};
    for (const auto& [v, read] : seconds) {
        set(P::SoundBufTime, v);
        EXPECT_EQ(text(P::SoundBufTime), read) << m().toString(v).toStdString();
    }

    // The focus rectangle switch ignores what is not a number.
    set(P::FocusRect, Value(0));
    set(P::FocusRect, Value("10x"));
    EXPECT_FALSE(player.focusRectEnabled());
    set(P::FocusRect, Value("10"));
    EXPECT_TRUE(player.focusRectEnabled());
}

TEST_F(MovieClipTest, TimelineLeavesClipsScriptsTookOver) {
    swfwrite::MovieBuilder b;
    const uint16_t red = b.define(square(0, 0, 10, 10, kRed));
    const uint16_t clip = test::clipOf(b, {red});
    swf::PlaceObject named;
    named.depth = 1;
    named.characterId = clip;
    named.matrix = at(5, 0);
    named.name = "mc";
    b.place(named).showFrame();
    // A second character on the taken depth, then a move of that depth.
    b.place(red, 1, at(50, 50)).showFrame();
    b.move(1, at(70, 0)).showFrame();
    player.load(0, test::share(b));
    player.runFrame();
    Object* mc = m().get(root(), QStringLiteral("mc")).object();
    ASSERT_TRUE(mc);

    player.runFrame();
    EXPECT_EQ(player.root(0)->childAt(1), host->displayOf(mc));
    ASSERT_FALSE(traces.empty());
    EXPECT_EQ(traces.back(), u"Warning: Failed to place object at depth 1.");

    call(mc, "swapDepths", {-16383});  // its own depth: still taken over
    player.runFrame();
    EXPECT_EQ(number(mc, "_x"), 5);
}

// A clip placed by the timeline with handlers for initialize and construct, of which the
// placing tag lists `listed`.
swf::PlaceObject withEvents(uint16_t sprite, uint16_t depth, const std::string& name,
                            uint32_t listed) {
    swf::PlaceObject p;
    p.depth = depth;
    p.characterId = sprite;
    p.name = name;
    p.allClipEvents = listed;
    p.clipActions.push_back(
        {swf::clip_event::Initialize, 0, test::Actions().say(name + " init").bytes});
    p.clipActions.push_back(
        {swf::clip_event::Construct, 0, test::Actions().say(name + " construct").bytes});
    return p;
}

TEST_F(MovieClipTest, TimelineClipsInitializeInTurnThenConstructBeforeTheirFrames) {
    swfwrite::MovieBuilder b;
    swfwrite::TimelineBuilder sprite;
    sprite.doAction(test::Actions().say("frame").bytes).showFrame();
    const uint16_t id = b.define(sprite.sprite());
    constexpr uint32_t kBoth = swf::clip_event::Initialize | swf::clip_event::Construct;
    b.place(withEvents(id, 1, "a", kBoth));
    b.place(withEvents(id, 2, "b", swf::clip_event::Initialize));
    b.place(withEvents(id, 3, "c", 0));  // lists nothing: nothing fires
    b.showFrame();
    player.load(0, test::share(b));
    player.runFrame();
    const std::vector<QString> expected = {"a init", "b init", "a construct",
                                           "frame",  "frame",  "frame"};
    EXPECT_EQ(traces, expected);
}

Value seven(avm1::Machine&, const Value&, std::vector<Value>&) {
    return Value(7);
}
Value ninetyNine(avm1::Machine&, const Value&, std::vector<Value>&) {
    return Value(99);
}

TEST_F(MovieClipTest, PropertyAssignmentsConvertLikeNumbersAndIgnoreWhatIsNone) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* clip = call(root(), "createEmptyMovieClip", {"c", 1}).object();
    Object* boxed = m().makeObject();
    boxed->put(QStringLiteral("valueOf"), Value(m().makeNative(seven)));
    boxed->put(QStringLiteral("toString"), Value(m().makeNative(ninetyNine)));
    m().set(clip, QStringLiteral("_x"), Value(boxed));
    EXPECT_EQ(number(clip, "_x"), 7);  // valueOf, not toString

    for (const Value& none : {Value(), Value::null(), Value("abc"), Value(std::nan(""))}) {
        m().set(clip, QStringLiteral("_y"), Value(3));
        m().set(clip, QStringLiteral("_y"), none);
        EXPECT_EQ(number(clip, "_y"), 3) << m().toString(none).toStdString();
    }
    m().set(clip, QStringLiteral("_y"), Value(INFINITY));
    EXPECT_DOUBLE_EQ(number(clip, "_y"), -107374182.4);

    // _visible takes numbers too: "10" shows, what reads as no number leaves it as it was.
    for (const Value& none : {Value(), Value::null(), Value("10x"), Value("true"), Value("")}) {
        m().set(clip, QStringLiteral("_visible"), Value(true));
        m().set(clip, QStringLiteral("_visible"), none);
        EXPECT_TRUE(m().toBoolean(m().get(clip, QStringLiteral("_visible"))))
            << m().toString(none).toStdString();
    }
    m().set(clip, QStringLiteral("_visible"), Value("0"));
    EXPECT_FALSE(m().toBoolean(m().get(clip, QStringLiteral("_visible"))));
    m().set(clip, QStringLiteral("_visible"), Value("10"));
    EXPECT_TRUE(m().toBoolean(m().get(clip, QStringLiteral("_visible"))));
    m().set(clip, QStringLiteral("_visible"), Value(-INFINITY));
    EXPECT_TRUE(m().toBoolean(m().get(clip, QStringLiteral("_visible"))));

    // An infinite alpha, either way, makes the clip transparent.
    for (double inf : {INFINITY, -INFINITY}) {
        m().set(clip, QStringLiteral("_alpha"), Value(50));
        m().set(clip, QStringLiteral("_alpha"), Value(inf));
        EXPECT_EQ(number(clip, "_alpha"), 0) << inf;
    }
}

TEST_F(MovieClipTest, ScaleAndRotationKeepTheSignsScriptsGaveThem) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* clip = call(root(), "createEmptyMovieClip", {"c", 1}).object();
    DisplayObject* c = host->displayOf(clip);
    ASSERT_NE(c, nullptr);
    m().set(clip, QStringLiteral("_xscale"), Value(-100));
    m().set(clip, QStringLiteral("_yscale"), Value(-50));
    m().set(clip, QStringLiteral("_rotation"), Value(370));
    EXPECT_EQ(number(clip, "_xscale"), -100);
    EXPECT_EQ(number(clip, "_yscale"), -50);
    EXPECT_NEAR(number(clip, "_rotation"), 10, 1e-9);
    m().set(clip, QStringLiteral("_rotation"), Value(0));
    EXPECT_NEAR(c->matrix.a, -1, 1e-9) << "still mirrored after the rotation";
    EXPECT_NEAR(c->matrix.d, -0.5, 1e-9);
    // A matrix set another way is measured again.
    c->matrix = swf::Matrix{};
    c->matrix.a = 2;
    EXPECT_EQ(number(clip, "_xscale"), 200);
    EXPECT_EQ(number(clip, "_yscale"), 100);
}

TEST_F(MovieClipTest, RegisterClassTakesFunctionsOrNullOnly) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* objectClass = m().get(m().global(), QStringLiteral("Object")).object();
    EXPECT_FALSE(m().toBoolean(call(objectClass, "registerClass", {"Box", 5})));
    EXPECT_FALSE(
        m().toBoolean(call(objectClass, "registerClass", {"Box", Value(m().makeObject())})));
    EXPECT_TRUE(m().toBoolean(call(objectClass, "registerClass", {"Box", Value::null()})));
    EXPECT_TRUE(
        m().toBoolean(call(objectClass, "registerClass", {"Box", Value(m().makeNative(seven))})));
}

TEST_F(MovieClipTest, TransformOfAClipAloneAndWithItsParents) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* outer = call(root(), "createEmptyMovieClip", {"outer", 1}).object();
    m().set(outer, QStringLiteral("_x"), Value(10));
    m().set(outer, QStringLiteral("_yscale"), Value(50));
    m().set(outer, QStringLiteral("_alpha"), Value(50));
    Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    const double matrix[6] = {2, 0, 0, 1, 4, 6};
    host->setClipMatrix(inner, matrix);

    avm1::Host::ClipTransform own, all;
    ASSERT_TRUE(host->clipTransform(inner, false, own));
    ASSERT_TRUE(host->clipTransform(inner, true, all));
    EXPECT_DOUBLE_EQ(own.matrix[0], 2);
    EXPECT_DOUBLE_EQ(own.matrix[4], 4);
    EXPECT_DOUBLE_EQ(all.matrix[3], 0.5);
    EXPECT_DOUBLE_EQ(all.matrix[4], 14);
    EXPECT_DOUBLE_EQ(all.matrix[5], 3);
    EXPECT_DOUBLE_EQ(own.color[3], 1);
    EXPECT_DOUBLE_EQ(all.color[3], 0.5);
    EXPECT_FALSE(host->clipTransform(m().makeObject(), false, own));
}

TEST_F(MovieClipTest, TransformObjectsReadAfreshAndTakeOnlyTheirOwnKinds) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* outer = call(root(), "createEmptyMovieClip", {"outer", 1}).object();
    Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    Value geom =
        m().getMember(m().get(m().global(), QStringLiteral("flash")), QStringLiteral("geom"));
    auto make = [&](const char* cls, std::vector<Value> args) {
        return m().construct(m().getMember(geom, QString::fromLatin1(cls)), args);
    };
    Value t = make("Transform", {Value(inner)});
    ASSERT_TRUE(t.isObject());
    EXPECT_TRUE(make("Transform", {}).isUndefined());  // nothing to stand for

    // A Matrix goes in; a plain object is ignored.
    m().setMember(t, QStringLiteral("matrix"), make("Matrix", {1, 0, 0, 1, 30, 40}));
    EXPECT_DOUBLE_EQ(number(inner, "_x"), 30);
    Object* plain = m().makeObject();
    plain->put(QStringLiteral("tx"), Value(99));
    m().setMember(t, QStringLiteral("matrix"), Value(plain));
    EXPECT_DOUBLE_EQ(number(inner, "_x"), 30);
    // Each read is a new object: changing it changes nothing.
    Value read = m().getMember(t, QStringLiteral("matrix"));
    m().setMember(read, QStringLiteral("tx"), Value(5));
    EXPECT_DOUBLE_EQ(number(inner, "_x"), 30);

    // Combined colour offsets keep to 16 bits at each parent, as the stored ones do.
    m().setMember(m().get(inner, QStringLiteral("transform")), QStringLiteral("colorTransform"),
                  make("ColorTransform", {1, 1, 1, 1, 0, 0, -523, 0}));
    m().setMember(m().get(outer, QStringLiteral("transform")), QStringLiteral("colorTransform"),
                  make("ColorTransform", {1, 1, 127.5, 1, 0, 0, 0, 0}));
    Value all = m().getMember(t, QStringLiteral("concatenatedColorTransform"));
    EXPECT_DOUBLE_EQ(m().toNumber(m().getMember(all, QStringLiteral("blueOffset"))), -1147);
}

TEST_F(MovieClipTest, ASoundFollowsItsOwnersPathNotTheClip) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Value soundClass = m().get(m().global(), QStringLiteral("Sound"));
    std::vector<Value> byName{Value("later")};
    Object* early = m().construct(soundClass, byName).object();
    ASSERT_NE(early, nullptr);
    EXPECT_TRUE(call(early, "getVolume").isUndefined());  // nothing at the path yet

    Object* clip = call(root(), "createEmptyMovieClip", {"later", 1}).object();
    EXPECT_EQ(m().toNumber(call(early, "getVolume")), 100);
    std::vector<Value> byClip{Value(clip)};
    Object* made = m().construct(soundClass, byClip).object();
    call(made, "setVolume", {40});
    EXPECT_EQ(m().toNumber(call(early, "getVolume")), 40);  // the same clip's sounds

    // Renamed, the clip is no longer at the path either Sound remembers.
    m().set(clip, QStringLiteral("_name"), Value("other"));
    EXPECT_TRUE(call(made, "getVolume").isUndefined());
    EXPECT_TRUE(call(early, "getVolume").isUndefined());
}

// The pan reads back from the transform: the left side turned down gives a pan to the right,
// else the right side turned down one to the left. setTransform takes only the object's own
// members, as 32-bit integers.
TEST_F(MovieClipTest, ASoundsPanReadsBackFromItsTransform) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    std::vector<Value> none;
    Object* sound = m().construct(m().get(m().global(), QStringLiteral("Sound")), none).object();
    ASSERT_NE(sound, nullptr);
    for (double pan : {50.0, -50.0, 100.0, -100.0, 0.0, 1.0}) {
        call(sound, "setPan", {pan});
        EXPECT_EQ(m().toNumber(call(sound, "getPan")), pan);
    }
    auto transform = [&](double ll, double rr) {
        Object* t = m().makeObject();
        t->put(QStringLiteral("ll"), Value(ll));
        t->put(QStringLiteral("rr"), Value(rr));
        call(sound, "setTransform", {Value(t)});
        return m().toNumber(call(sound, "getPan"));
    };
    EXPECT_EQ(transform(50, 99), 50);
    EXPECT_EQ(transform(100, 99), -1);
    EXPECT_EQ(transform(-150, 20), -50);
    EXPECT_EQ(transform(-100, -150), 0);
    EXPECT_EQ(transform(std::nan(""), 3), 100);   // NaN is 0
    EXPECT_EQ(transform(3e9, 100), -1294967196);  // wraps as a 32-bit integer

    Object* inherited = m().makeObject();
    Object* proto = m().makeObject();
    proto->put(QStringLiteral("ll"), Value(22));
    inherited->setProto(proto);
    transform(100, 100);
    call(sound, "setTransform", {Value(inherited)});
    Object* read = call(sound, "getTransform").object();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(number(read, "ll"), 100);
}

TEST(ClipGraphicsTest, AnOutlineLeftOpenClosesWithItsLine) {
    // A triangle (0,0) (100,0) (100,100) in pixels, never closed by the script; the pen then
    // moves away. Just off the closing diagonal, on the fill's outer side, only the closing
    // stroke is there to hit.
    ClipGraphics g(1);
    swf::FillStyle fill;
    fill.color = {0, 255, 0, 255};
    swf::LineStyle line;
    line.width = 80;
    g.lineStyle(line);
    g.beginFill(fill);
    g.lineTo({2000, 0});
    g.lineTo({2000, 2000});
    g.moveTo({4000, 4000});
    g.lineTo({4000, 5000});
    ASSERT_TRUE(g.drawing());
    EXPECT_TRUE(g.drawing()->hits({800, 820}, 0, {}));
    EXPECT_TRUE(g.drawing()->hits({1500, 500}, 0, {}));  // the fill itself
    EXPECT_FALSE(g.drawing()->hits({500, 1500}, 0, {}));

    // clear() takes the line style too: what follows draws nothing.
    g.clear();
    g.moveTo({0, 0});
    g.lineTo({1000, 1000});
    EXPECT_FALSE(g.drawing());
}

Value removeSelf(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    std::vector<Value> none;
    m.callMethodValue(self, QStringLiteral("removeMovieClip"), none);
    return {};
}

// Regression: the placing code went on using a clip its own constructor had removed.
TEST_F(MovieClipTest, AClipItsConstructorRemovesIsNotReturned) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    avm1::FunctionObject* ctor = m().makeNative(removeSelf);
    Object* proto = m().makeObject();
    proto->setProto(m().protos().movieClip);  // the class extends MovieClip
    ctor->put(QStringLiteral("prototype"), Value(proto));
    Object* objectClass = m().get(m().global(), QStringLiteral("Object")).object();
    call(objectClass, "registerClass", {"Box", Value(ctor)});
    EXPECT_TRUE(call(root(), "attachMovie", {"Box", "gone", 1}).isUndefined());
    EXPECT_FALSE(player.root(0)->childAt(kScriptDepthBase + 1));
}

TEST_F(MovieClipTest, DraggedClipFollowsTheMouseAndNamesWhatItIsOver) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* target = call(root(), "attachMovie", {"Box", "target", 1}).object();
    m().set(target, QStringLiteral("_x"), Value(50));
    m().set(target, QStringLiteral("_y"), Value(50));
    Object* dragged = call(root(), "attachMovie", {"Box", "dragged", 2}).object();

    player.mouseMove({20, 30});
    call(dragged, "startDrag", {true});
    EXPECT_EQ(number(dragged, "_x"), 20);
    EXPECT_EQ(m().toString(m().get(dragged, QStringLiteral("_droptarget"))), u"");

    player.mouseMove({55, 56});
    player.runFrame();
    EXPECT_EQ(number(dragged, "_x"), 55);
    EXPECT_EQ(number(dragged, "_y"), 56);
    EXPECT_EQ(m().toString(m().get(dragged, QStringLiteral("_droptarget"))), u"/target");

    // Kept inside the rectangle given, and left where it is once dropped.
    call(dragged, "startDrag", {false, 0, 0, 30, 30});
    player.mouseMove({80, 10});
    player.runFrame();
    EXPECT_EQ(number(dragged, "_x"), 30);
    call(dragged, "stopDrag");
    player.mouseMove({5, 5});
    player.runFrame();
    EXPECT_EQ(number(dragged, "_x"), 30);
}

// What a script drew makes its clip a drop target where it paints, under the clip's children:
// a filled square and, beside it, a thick line with square ends reaching past its path.
TEST_F(MovieClipTest, WhatAScriptDrewIsADropTargetWhereItPaints) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* pad = call(root(), "createEmptyMovieClip", {"pad", 1}).object();
    call(pad, "beginFill", {0x00FF00, 100});
    call(pad, "moveTo", {50, 50});
    for (const auto& [x, y] : {std::pair{90, 50}, {90, 90}, {50, 90}, {50, 50}}) {
        call(pad, "lineTo", {x, y});
    }
    call(pad, "endFill");
    // 10 pixels wide from (120, 20) to (160, 20), square ends: (116, 20) is on it.
    call(pad, "lineStyle", {10, 0, 100, false, "normal", "square"});
    call(pad, "moveTo", {120, 20});
    call(pad, "lineTo", {160, 20});
    Object* dragged = call(root(), "attachMovie", {"Box", "dragged", 2}).object();
    call(dragged, "startDrag", {true});
    auto dropAt = [&](double x, double y) {
        player.mouseMove({x, y});
        player.runFrame();
        return m().toString(m().get(dragged, QStringLiteral("_droptarget"))).toStdString();
    };
    EXPECT_EQ(dropAt(70, 70), "/pad");
    EXPECT_EQ(dropAt(116, 20), "/pad");
    EXPECT_EQ(dropAt(116, 26), "");
    EXPECT_EQ(dropAt(100, 70), "");
    Object* inner = call(pad, "attachMovie", {"Box", "inner", 1}).object();
    m().set(inner, QStringLiteral("_x"), Value(60));
    m().set(inner, QStringLiteral("_y"), Value(60));
    EXPECT_EQ(dropAt(65, 65), "/pad/inner");
    call(dragged, "stopDrag");
}

// Limits given in part confine a dragged clip too: those left out count as 0, as do those that
// are no number (undefined, a word, NaN); numbers written as strings count as numbers.
TEST_F(MovieClipTest, DragLimitsGivenInPartCountTheRestAsZero) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* dragged = call(root(), "attachMovie", {"Box", "dragged", 1}).object();
    auto dragTo = [&](double x, double y) {
        player.mouseMove({x, y});
        player.runFrame();
        return std::make_pair(number(dragged, "_x"), number(dragged, "_y"));
    };
    using P = std::pair<double, double>;
    // Left 10, top 20, right 40: the bottom is 0, so y runs from 0 to 20.
    call(dragged, "startDrag", {true, 10, 20, 40});
    EXPECT_EQ(dragTo(70, 50), P(40, 20));
    EXPECT_EQ(dragTo(5, 5), P(10, 5));
    // Only the left: x from 0 to 30, y held at 0.
    call(dragged, "startDrag", {true, 30});
    EXPECT_EQ(dragTo(50, 40), P(30, 0));
    EXPECT_EQ(dragTo(12, 40), P(12, 0));
    // Strings, a word, undefined and NaN.
    call(dragged, "startDrag", {true, "10", "abc", "40", Value()});
    EXPECT_EQ(dragTo(70, 50), P(40, 0));
    call(dragged, "startDrag", {true, std::nan(""), 20, 40, 60});
    EXPECT_EQ(dragTo(5, 5), P(5, 20));
    EXPECT_EQ(dragTo(90, 90), P(40, 60));
    // Without limits it goes anywhere.
    call(dragged, "startDrag", {true});
    EXPECT_EQ(dragTo(90, 90), P(90, 90));
    call(dragged, "stopDrag");
}

struct DrawingPixelsTest : MovieClipTest {
    QImage frame() {
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterBackend(painter).execute(buildDrawList(player), QTransform());
        return image;
    }
    Object* array(std::vector<Value> values) { return m().makeArray(std::move(values)); }
    // Fills the rectangle (x0, y0)-(x1, y1) in one outline.
    void outline(Object* pen, double x0, double y0, double x1, double y1) {
        call(pen, "moveTo", {x0, y0});
        call(pen, "lineTo", {x1, y0});
        call(pen, "lineTo", {x1, y1});
        call(pen, "lineTo", {x0, y1});
        call(pen, "endFill");
    }
    // An unrotated gradient matrix of the "box" kind.
    Object* gradientBox(double x, double y, double w, double h) {
        Object* box = m().makeObject();
        box->put(QStringLiteral("matrixType"), Value("box"));
        for (auto [name, v] : {std::pair{"x", x}, {"y", y}, {"w", w}, {"h", h}, {"r", 0.0}}) {
            box->put(QString::fromLatin1(name), Value(v));
        }
        return box;
    }
    // The arguments of a red-to-blue gradient over `box`, both ends opaque, then `more`.
    std::vector<Value> redToBlue(const char* type, Object* box, std::vector<Value> more = {},
                                 std::vector<Value> ratios = {0, 255},
                                 std::vector<Value> alphas = {100, 100}) {
        std::vector<Value> args{type, Value(array({0xFF0000, 0x0000FF})),
                                Value(array(std::move(alphas))), Value(array(std::move(ratios))),
                                Value(box)};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
};

TEST_F(DrawingPixelsTest, FillsAndLinesLandWhereTheyAreDrawn) {
    Object* pen = loadPen();
    m().set(pen, QStringLiteral("_x"), Value(50));
    // A half-transparent red square at (10, 10)-(40, 40) of the clip, so (60, 60) on stage.
    call(pen, "beginFill", {0xFF0000, 50});
    outline(pen, 10, 10, 40, 40);
    // A 4-pixel blue line along y = 80, drawn without a fill.
    call(pen, "lineStyle", {4, 0x0000FF});
    call(pen, "moveTo", {-40, 80});
    call(pen, "lineTo", {40, 80});
    const QImage f = frame();
    EXPECT_EQ(f.pixel(75, 25), qRgb(255, 128, 128));
    EXPECT_EQ(f.pixel(55, 25), qRgb(255, 255, 255));
    EXPECT_EQ(f.pixel(30, 80), qRgb(0, 0, 255));
    EXPECT_EQ(f.pixel(30, 85), qRgb(255, 255, 255));
}

TEST_F(DrawingPixelsTest, MiterLimitsCutDrawnCornersAndAreClampedToOneTo255) {
    Object* pen = loadPen();
    const double inf = std::numeric_limits<double>::infinity();
    // A 10-pixel right angle at (70, 70) with no caps: its miter's tip lies 7.07 pixels out
    // along the bisector. (74, 74) is 5.66 out, beyond a limit of 1's cut (5 out); (73, 73)
    // is 4.95 out, within it, and beyond the bevel (3.54 out).
    struct Row {
        Value limit;
        bool whole;  // the tip is kept: (74, 74) inked
    };
    const Row rows[] = {{Value(1), false},    {Value(1.5), true}, {Value(0), false},
                        {Value(-inf), false}, {Value(300), true}, {Value(inf), true},
                        {Value(), true}};  // not given: 3
    for (const Row& r : rows) {
        SCOPED_TRACE(m().toString(r.limit).toStdString());
        call(pen, "clear");
        std::vector<Value> style = {10, 0x000000, 100, false, "normal", "none", "miter"};
        if (!r.limit.isUndefined()) {
            style.push_back(r.limit);
        }
        call(pen, "lineStyle", style);
        call(pen, "moveTo", {20, 70});
        call(pen, "lineTo", {70, 70});
        call(pen, "lineTo", {70, 20});
        const QImage f = frame();
        EXPECT_EQ(f.pixel(73, 73), qRgb(0, 0, 0));
        EXPECT_EQ(f.pixel(74, 74), r.whole ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    // The cut scales with the clip: at half size a 20-pixel line with a limit of 1 is cut
    // 5 pixels out on the stage.
    m().set(pen, QStringLiteral("_xscale"), Value(50));
    m().set(pen, QStringLiteral("_yscale"), Value(50));
    call(pen, "clear");
    call(pen, "lineStyle", {20, 0x000000, 100, false, "normal", "none", "miter", 1});
    call(pen, "moveTo", {40, 140});
    call(pen, "lineTo", {140, 140});
    call(pen, "lineTo", {140, 40});
    const QImage f = frame();
    EXPECT_EQ(f.pixel(73, 73), qRgb(0, 0, 0));
    EXPECT_EQ(f.pixel(74, 74), qRgb(255, 255, 255));
}

TEST_F(DrawingPixelsTest, ScaleModesKeepHintedLinesWholePixelsAsTheyScale) {
    Object* pen = loadPen();
    // A hinted 3-pixel horizontal line crossing stage column 20, in a clip stretched 1.7
    // times upright (5.1 pixels if it scales) and then also 1.3 times across.
    struct Row {
        const char* mode;
        int uprightOnly;  // rows inked when the clip is stretched upright only
        int bothWays;     // and when it is stretched across as well
    };
    const Row rows[] = {
        {"normal", 5, 5},      // scaled as the clip: the shape's pen, 5.1 upright
        {"none", 3, 3},        // never scaled
        {"vertical", 3, 4},    // not for an upright stretch alone; 3.9 across
        {"horizontal", 5, 5},  // scaled by the upright stretch
    };
    auto inkedRows = [](const QImage& f) {
        int n = 0;
        for (int y = 0; y < f.height(); ++y) {
            n += f.pixel(20, y) == qRgb(0, 0, 0);
        }
        return n;
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        m().set(pen, QStringLiteral("_xscale"), Value(100));
        m().set(pen, QStringLiteral("_yscale"), Value(170));
        call(pen, "clear");
        call(pen, "lineStyle", {3, 0x000000, 100, true, r.mode, "none"});
        call(pen, "moveTo", {5, 20});
        call(pen, "lineTo", {40, 20});
        EXPECT_EQ(inkedRows(frame()), r.uprightOnly);
        m().set(pen, QStringLiteral("_xscale"), Value(130));
        EXPECT_EQ(inkedRows(frame()), r.bothWays);
    }
}

TEST_F(DrawingPixelsTest, GradientBoxSpansTheBoxItNames) {
    Object* pen = loadPen();
    Object* box = gradientBox(20, 0, 60, 100);
    call(pen, "beginGradientFill", redToBlue("linear", box));
    outline(pen, 0, 0, 100, 100);
    const QImage f = frame();
    // Padded beyond the box at both ends, half way across its middle.
    EXPECT_EQ(f.pixel(5, 50), qRgb(255, 0, 0));
    EXPECT_EQ(f.pixel(95, 50), qRgb(0, 0, 255));
    const QColor mid = QColor(f.pixel(50, 50));
    EXPECT_NEAR(mid.red(), 128, 8);
    EXPECT_NEAR(mid.blue(), 128, 8);

    // A ratio that is no number counts as 0.
    call(pen, "clear");
    call(pen, "beginGradientFill", redToBlue("linear", box, {}, {Value("none"), 255}));
    call(pen, "lineTo", {100, 0});
    call(pen, "lineTo", {100, 100});
    call(pen, "lineTo", {0, 100});
    call(pen, "endFill");
    EXPECT_EQ(frame().pixel(50, 50), mid.rgb());

    // Arrays of different lengths make no gradient: the fill is not drawn.
    call(pen, "clear");
    call(pen, "beginGradientFill", redToBlue("linear", box, {}, {0, 255}, {100}));
    call(pen, "lineTo", {100, 0});
    call(pen, "lineTo", {100, 100});
    call(pen, "endFill");
    EXPECT_EQ(frame().pixel(90, 20), qRgb(255, 255, 255));
}

TEST_F(DrawingPixelsTest, GradientsSpreadBeyondTheirBoxMixInLinearLightAndPaintLines) {
    Object* pen = loadPen();
    // A red-to-blue gradient over the box 0..50 across, filling the whole 100 x 100 stage.
    Object* box = gradientBox(0, 0, 50, 100);
    auto fill = [&](const char* spread, const char* interpolation) {
        call(pen, "clear");
        call(pen, "beginGradientFill", redToBlue("linear", box, {spread, interpolation}));
        outline(pen, 0, 0, 100, 100);
        return frame();
    };
    const QImage pad = fill("pad", "RGB");
    EXPECT_EQ(pad.pixel(80, 50), qRgb(0, 0, 255)) << "the last colour held past the box";
    // Reflected, the box's second copy runs back from blue to red; repeated, it starts again.
    const QImage reflect = fill("reflect", "RGB");
    const QImage repeat = fill("repeat", "RGB");
    for (int d : {3, 17, 30}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(reflect.pixel(50 + d, 50), pad.pixel(49 - d, 50));
        EXPECT_EQ(repeat.pixel(50 + d, 50), pad.pixel(d, 50));
    }
    // In linear light half red and half blue is brighter than the plain average: each
    // channel's half of its light is 188 of 255, not 128.
    const QRgb rgbMiddle = pad.pixel(25, 50);
    const QRgb linearMiddle = fill("pad", "linearRGB").pixel(25, 50);
    EXPECT_NEAR(qRed(rgbMiddle), 128, 8);
    EXPECT_NEAR(qRed(linearMiddle), 188, 8);
    EXPECT_NEAR(qBlue(linearMiddle), 188, 8);

    // lineGradientStyle paints a line with the gradient over the same box, its ends red and
    // blue and its middle both.
    call(pen, "clear");
    call(pen, "lineStyle", {10, 0x00FF00, 100, false, "normal", "none"});
    call(pen, "lineGradientStyle", redToBlue("linear", box));
    call(pen, "moveTo", {0, 50});
    call(pen, "lineTo", {100, 50});
    const QImage line = frame();
    EXPECT_GE(qRed(line.pixel(1, 50)), 240);
    EXPECT_LE(qBlue(line.pixel(1, 50)), 15);
    EXPECT_EQ(line.pixel(70, 52), qRgb(0, 0, 255));
    EXPECT_NEAR(qRed(line.pixel(25, 47)), 128, 8);
    EXPECT_EQ(line.pixel(25, 40), qRgb(255, 255, 255)) << "only the line is painted";
}

TEST_F(MovieClipTest, ScaleAndRotationReadBackAsScriptsSetThem) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* c = call(root(), "createEmptyMovieClip", {"c", 1}).object();
    ASSERT_TRUE(c);
    // A flip by _xscale stays a flip: setting it twice does not turn the clip back.
    for (int i = 0; i < 2; ++i) {
        m().set(c, QStringLiteral("_xscale"), Value(-100));
        EXPECT_EQ(number(c, "_xscale"), -100);
        EXPECT_EQ(number(c, "_yscale"), 100);
        EXPECT_EQ(number(c, "_rotation"), 0);
        EXPECT_EQ(host->displayOf(c)->matrix.a, -1);
    }
    m().set(c, QStringLiteral("_rotation"), Value(270));
    EXPECT_EQ(number(c, "_rotation"), -90);
    EXPECT_EQ(number(c, "_xscale"), -100);
    // A matrix from elsewhere replaces what scripts set: it is read from the matrix again.
    DisplayObject* d = host->displayOf(c);
    d->matrix = swf::Matrix{-1, 0, 0, 1, 0, 0};
    EXPECT_EQ(number(c, "_xscale"), 100);
    EXPECT_NEAR(number(c, "_rotation"), 180, 1e-9);
    // Moving the clip keeps the values scripts set.
    m().set(c, QStringLiteral("_yscale"), Value(-50));
    m().set(c, QStringLiteral("_x"), Value(12));
    EXPECT_EQ(number(c, "_yscale"), -50);
}

TEST_F(MovieClipTest, TransformIsALiveViewOfTheClipsPlacement) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* outer = call(root(), "createEmptyMovieClip", {"outer", 1}).object();
    Object* inner = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    ASSERT_TRUE(outer && inner);
    Value geom =
        m().getMember(m().get(m().global(), QStringLiteral("flash")), QStringLiteral("geom"));
    auto make = [&](const char* cls, std::vector<Value> args) {
        return m().construct(m().getMember(geom, QString::fromLatin1(cls)), args);
    };
    auto field = [&](const Value& o, const char* name) {
        return m().toNumber(m().getMember(o, QString::fromLatin1(name)));
    };
    const Value t = make("Transform", {Value(inner)});
    ASSERT_TRUE(t.isObject());
    EXPECT_TRUE(make("Transform", {}).isUndefined()) << "no clip, no transform";

    m().set(outer, QStringLiteral("_x"), Value(100));
    m().set(inner, QStringLiteral("_x"), Value(5));
    // Every read is a fresh copy of the clip as it is now.
    const Value first = m().getMember(t, QStringLiteral("matrix"));
    EXPECT_EQ(field(first, "tx"), 5);
    EXPECT_NE(first.object(), m().getMember(t, QStringLiteral("matrix")).object());
    m().setMember(first, QStringLiteral("tx"), Value(999));
    EXPECT_EQ(number(inner, "_x"), 5);
    EXPECT_EQ(field(m().getMember(t, QStringLiteral("concatenatedMatrix")), "tx"), 105);

    // Assigning a Matrix moves the clip; anything else changes nothing.
    m().setMember(t, QStringLiteral("matrix"), make("Matrix", {2, 0, 0, 2, 7, 8}));
    EXPECT_EQ(number(inner, "_xscale"), 200);
    EXPECT_EQ(number(inner, "_y"), 8);
    m().setMember(t, QStringLiteral("matrix"), Value(m().makeObject()));
    EXPECT_EQ(number(inner, "_x"), 7);

    // Combined colour offsets are whole 16-bit numbers, wrapping when a product is large.
    auto tint = [&](Object* clip, std::vector<Value> values) {
        const Value view = make("Transform", {Value(clip)});
        m().setMember(view, QStringLiteral("colorTransform"), make("ColorTransform", values));
    };
    tint(outer, {1, 1, 127.5, 1, 0, 0, -523, 0});
    tint(inner, {0.5, 1, 1, 1, 0, 0, -1, 0});
    const Value combined = m().getMember(t, QStringLiteral("concatenatedColorTransform"));
    EXPECT_EQ(field(combined, "redMultiplier"), 0.5);
    EXPECT_EQ(field(combined, "blueMultiplier"), 127.5);
    // 127.5 * -1 - 523 = -650.5, whole: -651
    EXPECT_EQ(field(combined, "blueOffset"), -651);
    tint(inner, {1, 1, 1, 1, 0, 0, -517, 0});
    // 127.5 * -517 - 523 = -66440.5 -> -66441, which wraps to -905
    EXPECT_EQ(field(m().getMember(t, QStringLiteral("concatenatedColorTransform")), "blueOffset"),
              -905);

    // mc.transform = t copies the viewed clip's placement.
    Object* other = call(root(), "createEmptyMovieClip", {"other", 2}).object();
    m().set(other, QStringLiteral("transform"), t);
    EXPECT_EQ(number(other, "_x"), 7);
    EXPECT_EQ(number(other, "_xscale"), 200);

    // Once the clip is removed every member answers undefined and a new placement is
    // ignored; a clip that comes to stand at its path is viewed in its place.
    call(inner, "removeMovieClip", {});
    for (const char* member : {"matrix", "concatenatedMatrix", "colorTransform",
                               "concatenatedColorTransform", "pixelBounds"}) {
        EXPECT_TRUE(m().getMember(t, QString::fromLatin1(member)).isUndefined()) << member;
    }
    m().setMember(t, QStringLiteral("matrix"), make("Matrix", {1, 0, 0, 1, 50, 0}));
    Object* again = call(outer, "createEmptyMovieClip", {"inner", 1}).object();
    ASSERT_TRUE(again);
    EXPECT_EQ(number(again, "_x"), 0);
    m().set(again, QStringLiteral("_x"), Value(33));
    EXPECT_EQ(field(m().getMember(t, QStringLiteral("matrix")), "tx"), 33);
    EXPECT_EQ(field(m().getMember(t, QStringLiteral("concatenatedMatrix")), "tx"), 133);
}

TEST_F(DrawingPixelsTest, AttachedBitmapDataShowsItsPixelsAsTheyChange) {
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* c = call(root(), "createEmptyMovieClip", {"c", 1}).object();
    m().set(c, QStringLiteral("_x"), Value(20));
    m().set(c, QStringLiteral("_y"), Value(30));
    Value display =
        m().getMember(m().get(m().global(), QStringLiteral("flash")), QStringLiteral("display"));
    std::vector<Value> args{4, 4, false, 0xFF0000};
    const Value bitmap = m().construct(m().getMember(display, QStringLiteral("BitmapData")), args);
    ASSERT_TRUE(bitmap.isObject());
    call(c, "attachBitmap", {bitmap, 1});
    EXPECT_EQ(frame().pixel(21, 31), qRgb(255, 0, 0));
    EXPECT_EQ(frame().pixel(25, 31), qRgb(255, 255, 255)) << "four pixels wide";
    EXPECT_EQ(number(c, "_width"), 4);

    // A change to the bitmap shows from the next frame on; the bitmap stays alive meanwhile.
    call(bitmap.object(), "setPixel", {1, 1, 0x0000FF});
    player.runFrame();
    EXPECT_EQ(frame().pixel(21, 31), qRgb(0, 0, 255));
    call(bitmap.object(), "dispose");
    player.runFrame();
    EXPECT_EQ(frame().pixel(21, 31), qRgb(255, 255, 255));
}

TEST_F(DrawingPixelsTest, FocalPointIsKeptAsAMovieFileKeepsIt) {
    Object* pen = loadPen();
    // A 100-pixel circle centred on pixel row 50, its focus at 0.9 of the way to the right.
    Object* box = gradientBox(0, 0.5, 100, 100);
    call(pen, "beginGradientFill", redToBlue("radial", box, {"pad", "RGB", 0.9}));
    outline(pen, 0, 0, 100, 100);
    // The focus is 230/256, not 0.9: pixel 96 is 0.311 of the way from it to the circle
    // (0.3 with 0.9), entry 79 of red to blue.
    const QRgb p = frame().pixel(96, 50);
    EXPECT_EQ(qBlue(p), 79);
    EXPECT_EQ(qRed(p), 176);
}

TEST_F(DrawingPixelsTest, BitmapFillsPaintABitmapDatasPixels) {
    Object* pen = loadPen();
    // A 2 x 1 bitmap, red then blue, each pixel drawn 10 pixels wide from (20, 0).
    Value display =
        m().getMember(m().get(m().global(), QStringLiteral("flash")), QStringLiteral("display"));
    std::vector<Value> size{2, 1, false, 0xFF0000};
    const Value bitmap = m().construct(m().getMember(display, QStringLiteral("BitmapData")), size);
    ASSERT_TRUE(bitmap.isObject());
    call(bitmap.object(), "setPixel", {1, 0, 0x0000FF});
    Object* matrix = m().makeObject();
    for (auto [name, v] :
         {std::pair{"a", 10}, {"b", 0}, {"c", 0}, {"d", 10}, {"tx", 20}, {"ty", 0}}) {
        matrix->put(QString::fromLatin1(name), Value(v));
    }
    auto square = [&](Value repeat) {
        call(pen, "clear");
        call(pen, "beginBitmapFill", {bitmap, Value(matrix), repeat});
        outline(pen, 0, 0, 100, 20);
        return frame();
    };
    // Repeated, the pattern comes again every 20 pixels; clipped, its edge pixels stretch.
    const QImage tiled = square(Value(true));
    EXPECT_EQ(tiled.pixel(25, 5), qRgb(255, 0, 0));
    EXPECT_EQ(tiled.pixel(35, 5), qRgb(0, 0, 255));
    EXPECT_EQ(tiled.pixel(45, 5), qRgb(255, 0, 0));
    EXPECT_EQ(tiled.pixel(15, 15), qRgb(0, 0, 255));
    const QImage clipped = square(Value(false));
    EXPECT_EQ(clipped.pixel(25, 5), qRgb(255, 0, 0));
    EXPECT_EQ(clipped.pixel(35, 5), qRgb(0, 0, 255));
    EXPECT_EQ(clipped.pixel(85, 15), qRgb(0, 0, 255));
    EXPECT_EQ(clipped.pixel(5, 15), qRgb(255, 0, 0));
    // The pixels are those of the call: a later change does not show.
    call(bitmap.object(), "setPixel", {0, 0, 0x00FF00});
    EXPECT_EQ(frame().pixel(25, 5), qRgb(255, 0, 0));
    // Not a bitmap: no fill, as for a gradient that cannot be made.
    call(pen, "clear");
    call(pen, "beginBitmapFill", {Value(matrix)});
    call(pen, "lineTo", {100, 0});
    call(pen, "lineTo", {100, 20});
    call(pen, "endFill");
    EXPECT_EQ(frame().pixel(90, 5), qRgb(255, 255, 255));
}

TEST_F(DrawingPixelsTest, AMaskWithAScrollRectMasksWithWhatItShows) {
    // The masked box covers 10..50 (x and y). The mask holds a box over 30..70 and its
    // rectangle (20, 0, 30, 100) shows the mask's x 20..50 at its origin: the mask's box
    // lands on 10..40 and is cut at 30, so the red shows over x 10..29 only.
    swfwrite::MovieBuilder b;
    loadBoxMovie(b);
    Object* shown = call(root(), "attachMovie", {"Box", "shown", 1}).object();
    m().set(shown, QStringLiteral("_x"), Value(10));
    m().set(shown, QStringLiteral("_y"), Value(10));
    m().set(shown, QStringLiteral("_xscale"), Value(400));
    m().set(shown, QStringLiteral("_yscale"), Value(400));
    Object* window = call(root(), "createEmptyMovieClip", {"window", 2}).object();
    Object* inside = call(window, "attachMovie", {"Box", "inside", 1}).object();
    m().set(inside, QStringLiteral("_x"), Value(30));
    m().set(inside, QStringLiteral("_xscale"), Value(400));
    m().set(inside, QStringLiteral("_yscale"), Value(1000));
    host->displayOf(window)->scrollRect = QRectF(20, 0, 30, 100);
    call(shown, "setMask", {Value(window)});
    const QImage img = frame();
    EXPECT_EQ(img.pixel(10, 20), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(29, 45), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(30, 20), 0xFFFFFFFFu);
    EXPECT_EQ(img.pixel(45, 20), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace pencora::runtime
