// Nine-slice scaling of clips: the grid a movie gives a clip's character, or a script sets,
// keeps a scaled clip's corners and border at their own size, stretches its edges one way and
// its centre both; child clips and rotated clips scale plainly. Scripts see the grid as
// scale9Grid from SWF 8.
#include <gtest/gtest.h>

#include <array>

#include "../avm1/assembler.h"
#include "engine_fixture.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::null;
using avm1::test::str;
using Code = swf::ActionCode;
using test::square;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;

struct Scale9Grid : testing::Test {
    test::TraceHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();

    Scale9Grid() { engine->setHost(&host); }

    // A 40 x 40 pixel box, red with a white inside 4 pixels in (two shapes), holding a child
    // clip with a blue bar at (16, 0)-(24, 4); its grid's centre is the white inside. It is
    // placed as `box` with `matrix`; the frame's script runs after. As a button it shows the
    // two shapes only.
    void load(uint8_t version, const swf::Matrix& matrix, bool grid, Assembler script = {},
              bool asButton = false) {
        swfwrite::MovieBuilder b(version, 150, 150);
        b.background({255, 255, 255, 255});
        const uint16_t red = b.define(square(0, 0, 40, 40, {255, 0, 0, 255}));
        const uint16_t white = b.define(square(4, 4, 36, 36, {255, 255, 255, 255}));
        const uint16_t blue = b.define(square(16, 0, 24, 4, {0, 0, 255, 255}));
        const uint16_t barId = test::clipOf(b, {blue});
        swfwrite::TimelineBuilder box;
        box.place(red, 1).place(white, 2).place(barId, 3).showFrame();
        uint16_t boxId = 0;
        if (asButton) {
            swf::Button button;
            button.version = 2;
            for (uint16_t id : {red, white}) {
                swf::ButtonRecord r;
                r.states = swf::button_state::Up | swf::button_state::HitTest;
                r.characterId = id;
                r.depth = id == red ? 1 : 2;
                button.records.push_back(r);
            }
            boxId = b.define(button);
        } else {
            boxId = b.define(box.sprite());
        }
        if (grid) {
            b.movie().scalingGrids[boxId] = swf::Rect{80, 720, 80, 720};
        }
        swf::PlaceObject p;
        p.characterId = boxId;
        p.depth = 1;
        p.name = "box";
        p.matrix = matrix;
        b.place(p);
        b.doAction(script.op(Code::End).bytes);
        b.showFrame();
        ASSERT_TRUE(engine->loadMovie(0, b.write(), u"test.swf", {}));
        engine->runFrame();
    }

    QImage render(flash::Quality quality = flash::Quality::Low) {
        QImage image(150, 150, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        flash::RenderTarget t{image.bits(), 150, 150, int(image.bytesPerLine()), 0, 0, 150, 150};
        flash::RenderOptions o;
        o.quality = quality;
        engine->render(t, o);
        return image;
    }

    std::vector<std::string> lines() {
        std::vector<std::string> out;
        for (const auto& l : host.lines) {
            out.push_back(QString::fromStdU16String(l).toStdString());
        }
        return out;
    }

    // Where a row of the image turns from red to something else, and back, from `x0` on.
    static std::pair<int, int> redRun(const QImage& image, int y, int x0) {
        int x = x0;
        while (x < image.width() && image.pixel(x, y) != kRed) {
            ++x;
        }
        const int start = x;
        while (x < image.width() && image.pixel(x, y) == kRed) {
            ++x;
        }
        return {start, x};
    }
};

swf::Matrix scaled(double sx, double sy) {
    swf::Matrix m = test::at(10, 10);
    m.a = sx;
    m.d = sy;
    return m;
}

// `target.scale9Grid = new flash.geom.Rectangle(x, y, width, height)`.
void setGrid(Assembler& script, const char* target, const std::array<int, 4>& r) {
    script.getVar(target).push({str("scale9Grid")});
    script.push({integer(r[3]), integer(r[2]), integer(r[1]), integer(r[0]), integer(4)})
        .getVar("flash")
        .push({str("geom")})
        .op(Code::GetMember)
        .push({str("Rectangle")})
        .op(Code::NewMethod)
        .op(Code::SetMember);
}

Assembler getGrid() {
    Assembler as;
    return as.getVar("box").push({str("scale9Grid")}).op(Code::GetMember);
}

// Scaled three times across and twice down, the box's border stays 4 pixels on every side;
// without the grid it grows with the box. The child clip is scaled plainly, not cut.
TEST_F(Scale9Grid, AScaledBoxKeepsItsBorderWidth) {
    load(8, scaled(3, 2), true);
    QImage image = render();
    EXPECT_EQ(redRun(image, 50, 0), std::make_pair(10, 14));     // left border
    EXPECT_EQ(redRun(image, 50, 14), std::make_pair(126, 130));  // right border
    EXPECT_EQ(image.pixel(125, 50), kWhite);
    EXPECT_EQ(image.pixel(40, 13), kRed);  // top border, 4 down from 10
    EXPECT_EQ(image.pixel(40, 14), kWhite);
    EXPECT_EQ(image.pixel(40, 86), kRed);  // bottom border, ending where the box does
    EXPECT_EQ(image.pixel(40, 85), kWhite);
    EXPECT_EQ(image.pixel(40, 90), kWhite);  // the stage below
    // The bar: 10 + 3 * 16 = 58 to 82 across, 10 + 2 * 4 = 18 down.
    EXPECT_EQ(image.pixel(70, 17), kBlue);
    EXPECT_EQ(image.pixel(58, 12), kBlue);
    EXPECT_NE(image.pixel(57, 12), kBlue);

    load(8, scaled(3, 2), false);
    image = render();
    EXPECT_EQ(redRun(image, 50, 0), std::make_pair(10, 22));
    EXPECT_EQ(image.pixel(40, 17), kRed);
}

// Smoothed, the regions of a box scaled by odd amounts to an odd place still meet on whole
// pixels: inside the box every pixel is the box's own colour, with no seam where regions join.
TEST_F(Scale9Grid, SmoothedRegionsMeetWithoutASeam) {
    swfwrite::MovieBuilder b(8, 150, 150);
    b.background({255, 255, 255, 255});
    const uint16_t red = b.define(square(0, 0, 40, 40, {255, 0, 0, 255}));
    const uint16_t boxId = test::clipOf(b, {red});
    b.movie().scalingGrids[boxId] = swf::Rect{200, 600, 200, 600};
    swf::PlaceObject p;
    p.characterId = boxId;
    p.depth = 1;
    p.matrix = test::at(10.35, 10.65);
    p.matrix->a = 2.3;
    p.matrix->d = 1.7;
    b.place(p);
    b.showFrame();
    ASSERT_TRUE(engine->loadMovie(0, b.write(), u"test.swf", {}));
    engine->runFrame();
    const QImage image = render(flash::Quality::High);
    int off = 0;
    for (int y = 13; y < 77; ++y) {  // the box covers 10.35..102.35 across, 10.65..78.65 down
        for (int x = 12; x < 101; ++x) {
            off += image.pixel(x, y) != kRed;
        }
    }
    EXPECT_EQ(off, 0);
}

// Squeezed below its corners' size, the corners shrink together; a rotated box scales plainly.
TEST_F(Scale9Grid, SmallAndRotatedBoxes) {
    load(8, scaled(0.1, 1), true);  // 4 pixels wide: two corners of 2
    QImage image = render();
    EXPECT_EQ(redRun(image, 30, 0), std::make_pair(10, 14));
    // Turned a quarter: local x runs down three times, local y runs left twice.
    swf::Matrix turned = test::at(100, 10);
    turned.a = turned.d = 0;
    turned.b = 3;
    turned.c = -2;
    load(8, turned, true);
    image = render();
    EXPECT_EQ(image.pixel(92, 40), kRed);  // the border 8 pixels thick, as plainly scaled
    EXPECT_EQ(image.pixel(91, 40), kWhite);
}

// target.method(args...), its answer dropped.
void callOn(Assembler& as, const std::string& target, const std::string& method,
            std::vector<double> args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        as.push({avm1::test::num(*it)});
    }
    as.push({integer(int(args.size()))}).getVar(target).push({str(method)});
    as.op(Code::CallMethod).op(Code::Pop);
}

// What a script draws into a clip is cut by the clip's grid like its shapes.
TEST_F(Scale9Grid, DrawnGraphicsFollowTheGrid) {
    Assembler script;
    script.push({integer(5), str("drawn"), integer(2)})
        .getVar("_root")
        .push({str("createEmptyMovieClip")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    const std::pair<double, double> squares[] = {{0, 40}, {4, 36}};
    for (const auto& [lo, hi] : squares) {
        callOn(script, "drawn", "beginFill", {double(lo == 0 ? 0xFF0000 : 0xFFFFFF), 100});
        callOn(script, "drawn", "moveTo", {lo, lo});
        callOn(script, "drawn", "lineTo", {hi, lo});
        callOn(script, "drawn", "lineTo", {hi, hi});
        callOn(script, "drawn", "lineTo", {lo, hi});
        callOn(script, "drawn", "lineTo", {lo, lo});
        callOn(script, "drawn", "endFill", {});
    }
    setGrid(script, "drawn", {4, 4, 32, 32});
    for (const auto& [name, value] :
         {std::pair<const char*, int>{"_x", 10}, {"_y", 10}, {"_xscale", 300}, {"_yscale", 200}}) {
        script.getVar("drawn").push({str(name), integer(value)}).op(Code::SetMember);
    }
    load(8, test::at(200, 200), false, script);
    const QImage image = render();
    EXPECT_EQ(redRun(image, 50, 0), std::make_pair(10, 14));
    EXPECT_EQ(redRun(image, 50, 14), std::make_pair(126, 130));
    EXPECT_EQ(image.pixel(40, 13), kRed);
    EXPECT_EQ(image.pixel(40, 14), kWhite);
}

// A clip stretched by its grid is hit where its regions are drawn, not where the plainly scaled
// shape would be: a 40 x 40 ring 4 pixels thick (four strips, or a 4-pixel line a script drew)
// scaled three times across and twice down at (10, 10) keeps a 4-pixel ring, where plainly
// scaled it is 12 across and 8 down. Shape hit tests, the pointer over a clip with a press
// handler and over a button whose shapes make the ring all follow the regions.
TEST_F(Scale9Grid, AStretchedClipIsHitWhereItsRegionsAreDrawn) {
    struct Probe {
        double x, y;
        bool grid, plain;
    };
    const Probe probes[] = {{12, 50, true, true},  {20, 50, false, true}, {124, 50, false, true},
                            {128, 50, true, true}, {60, 12, true, true},  {60, 16, false, true},
                            {60, 84, false, true}, {60, 88, true, true},  {60, 50, false, false}};
    auto probeScript = [&](const char* target) {
        Assembler as;
        for (const Probe& p : probes) {
            as.push({avm1::test::boolean(true), avm1::test::num(p.y), avm1::test::num(p.x),
                     integer(3)});
            as.getVar(target).push({str("hitTest")}).op(Code::CallMethod).trace();
        }
        return as;
    };
    auto expected = [&](bool grid) {
        std::vector<std::string> out;
        for (const Probe& p : probes) {
            out.push_back((grid ? p.grid : p.plain) ? "true" : "false");
        }
        return out;
    };
    for (bool grid : {true, false}) {
        SCOPED_TRACE(grid ? "grid" : "plain");
        // The ring as four strips placed in a clip, and as a button's shapes.
        auto ringMovie = [&](bool asButton) {
            swfwrite::MovieBuilder b(8, 150, 150);
            const swf::Rgba red{255, 0, 0, 255};
            const uint16_t strips[] = {
                b.define(square(0, 0, 40, 4, red)), b.define(square(0, 36, 40, 40, red)),
                b.define(square(0, 4, 4, 36, red)), b.define(square(36, 4, 40, 36, red))};
            swfwrite::TimelineBuilder ring;
            swf::Button button;
            button.version = 2;
            for (uint16_t i = 0; i < 4; ++i) {
                ring.place(strips[i], i + 1);
                swf::ButtonRecord r;
                r.states = swf::button_state::Up | swf::button_state::Over |
                           swf::button_state::Down | swf::button_state::HitTest;
                r.characterId = strips[i];
                r.depth = i + 1;
                button.records.push_back(r);
            }
            ring.showFrame();
            const uint16_t id = asButton ? b.define(button) : b.define(ring.sprite());
            if (grid) {
                b.movie().scalingGrids[id] = swf::Rect{80, 720, 80, 720};
            }
            swf::PlaceObject p;
            p.characterId = id;
            p.depth = 1;
            p.name = "box";
            p.matrix = scaled(3, 2);
            b.place(p);
            if (!asButton) {
                Assembler script = probeScript("box");
                script.getVar("box")
                    .push({str("onPress")})
                    .function("", {}, Assembler())
                    .op(Code::SetMember);
                b.doAction(script.op(Code::End).bytes);
            }
            b.showFrame();
            return b.write();
        };
        for (bool asButton : {false, true}) {
            host.lines.clear();
            ASSERT_TRUE(engine->loadMovie(0, ringMovie(asButton), u"test.swf", {}));
            engine->runFrame();
            if (!asButton) {
                EXPECT_EQ(lines(), expected(grid));
            }
            for (const Probe& probe : probes) {
                flash::InputEvent e;
                e.kind = flash::InputKind::MouseMove;
                e.x = probe.x;
                e.y = probe.y;
                engine->handleInput(e);
                EXPECT_EQ(engine->cursor() == flash::CursorShape::Hand,
                          grid ? probe.grid : probe.plain)
                    << probe.x << "," << probe.y << (asButton ? " button" : " clip");
            }
        }

        // The ring as a line a script drew around (2, 2)-(38, 38).
        Assembler drawing;
        drawing.push({integer(5), str("drawn"), integer(2)})
            .getVar("_root")
            .push({str("createEmptyMovieClip")})
            .op(Code::CallMethod)
            .op(Code::Pop);
        callOn(drawing, "drawn", "lineStyle", {4, 0xFF0000, 100});
        callOn(drawing, "drawn", "moveTo", {2, 2});
        for (const auto& [x, y] : {std::pair{38, 2}, {38, 38}, {2, 38}, {2, 2}}) {
            callOn(drawing, "drawn", "lineTo", {double(x), double(y)});
        }
        if (grid) {
            setGrid(drawing, "drawn", {4, 4, 32, 32});
        }
        for (const auto& [name, value] : {std::pair<const char*, int>{"_x", 10},
                                          {"_y", 10},
                                          {"_xscale", 300},
                                          {"_yscale", 200}}) {
            drawing.getVar("drawn").push({str(name), integer(value)}).op(Code::SetMember);
        }
        drawing.append(probeScript("drawn"));
        host.lines.clear();
        load(8, test::at(200, 200), false, drawing);
        EXPECT_EQ(lines(), expected(grid));
    }
}

// scale9Grid reads the movie's grid in pixels, as a copy; a script's Rectangle replaces it and
// draws by it; null takes it away. Before SWF 8 the name means nothing.
TEST_F(Scale9Grid, ScriptsReadAndSetTheGridFromSwf8) {
    Assembler script;
    script.append(getGrid()).trace();
    script.append(getGrid()).push({str("x"), integer(99)}).op(Code::SetMember);
    script.append(getGrid()).push({str("x")}).op(Code::GetMember).trace();
    setGrid(script, "box", {4, 4, 32, 40});
    script.append(getGrid()).trace();
    load(8, scaled(3, 2), true, script);
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"(x=4, y=4, w=32, h=32)", "4", "(x=4, y=4, w=32, h=40)"}));
    // The new grid has no bottom corners: the bottom border stretches with the centre.
    const QImage image = render();
    EXPECT_EQ(redRun(image, 50, 0), std::make_pair(10, 14));
    EXPECT_EQ(image.pixel(40, 84), kRed);
    EXPECT_EQ(image.pixel(40, 81), kWhite);

    host.lines.clear();
    Assembler remove;
    remove.getVar("box").push({str("scale9Grid"), null()}).op(Code::SetMember);
    remove.append(getGrid()).trace();
    load(8, scaled(3, 2), true, remove);
    EXPECT_EQ(lines(), std::vector<std::string>{"undefined"});
    EXPECT_EQ(redRun(render(), 50, 0), std::make_pair(10, 22));

    // A button has the grid too.
    host.lines.clear();
    Assembler onButton;
    onButton.append(getGrid()).trace();
    load(8, scaled(3, 2), true, onButton, true);
    EXPECT_EQ(lines(), std::vector<std::string>{"(x=4, y=4, w=32, h=32)"});
    EXPECT_EQ(redRun(render(), 50, 0), std::make_pair(10, 14));

    host.lines.clear();
    Assembler old;
    old.append(getGrid()).trace();
    load(7, scaled(3, 2), true, old);
    EXPECT_EQ(lines(), std::vector<std::string>{"undefined"});
}

}  // namespace
}  // namespace pencora::runtime
