// Glows and bevels as the display list draws them, from the placing tag and from scripts: what
// knockout leaves of the object and of the effect at each quality, where a bevel falls in each
// of its placements, gradient glows and bevels, and a drop shadow hiding its object.
#include <gtest/gtest.h>

#include <string>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::num;
using avm1::test::str;
using test::square;
using Code = swf::ActionCode;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kYellow = 0xFFFFFF00;

struct FilterEffects : testing::Test, test::EngineFixture {
    // A clip named "box" holding an opaque red square over 10..19 x 10..19 (stage pixels) on a
    // 40 x 40 stage, with `filters` from its placing tag.
    bool loadBox(const std::vector<swf::Filter>& filters,
                 const std::vector<uint8_t>& actions = {}) {
        swf::PlaceObject p;
        if (!filters.empty()) {
            p.filters = filters;
        }
        swfwrite::MovieBuilder b = test::boxMovie({255, 0, 0, 255}, p);
        if (!actions.empty()) {
            b.doAction(actions);
        }
        b.showFrame();
        return load(b);
    }
};

// A blue glow of blur 4 at strength 100: every pixel its blurred alpha reaches by 3 levels or
// more is opaque blue.
swf::Filter blueGlow(int quality, bool inner, bool knockout) {
    swf::Filter f;
    f.type = swf::FilterType::Glow;
    f.color = swf::Rgba{0, 0, 255, 255};
    f.blurX = f.blurY = 4;
    f.strength = 100;
    f.passes = uint8_t(quality);
    f.inner = inner;
    f.knockout = knockout;
    f.compositeSource = true;
    return f;
}

TEST_F(FilterEffects, KnockoutGlowsShowOnlyTheGlowAtEveryQuality) {
    // Each pass spreads the glow further out (or in): a box of 4 reaches 2 pixels in one pass
    // and 4 in two; the glow's own pixels stay, the object's go.
    for (int quality : {1, 2, 3}) {
        SCOPED_TRACE("quality " + std::to_string(quality));
        ASSERT_TRUE(loadBox({blueGlow(quality, false, true)}));
        for (auto q : {flash::Quality::High, flash::Quality::Low}) {
            const QImage img = render(40, 40, q);
            EXPECT_EQ(img.pixel(15, 15), kWhite) << "the object knocked out";
            EXPECT_EQ(img.pixel(19, 15), kWhite);
            EXPECT_EQ(img.pixel(20, 15), kBlue) << "the glow around it";
            EXPECT_EQ(img.pixel(9, 15), kBlue);
            EXPECT_EQ(img.pixel(22, 15), quality == 1 ? kWhite : kBlue);
            EXPECT_EQ(img.pixel(27, 15), kWhite) << "beyond any pass";
        }
        // Twice as large the glow reaches twice as far on the device, and the object is
        // still gone.
        const QImage twice = render(80, 80, flash::Quality::Low, 2);
        EXPECT_EQ(twice.pixel(30, 30), kWhite);
        EXPECT_EQ(twice.pixel(41, 30), kBlue);
        EXPECT_EQ(twice.pixel(42, 30), kBlue);
        EXPECT_EQ(twice.pixel(60, 30), kWhite);

        // Inside, knockout leaves the glow within the object's edges and nothing else: the
        // middle of the object, past the glow's reach, and all outside show the stage.
        ASSERT_TRUE(loadBox({blueGlow(quality, true, true)}));
        const QImage inner = render(40, 40, flash::Quality::Low);
        EXPECT_EQ(inner.pixel(10, 15), kBlue);
        EXPECT_EQ(inner.pixel(19, 15), kBlue);
        if (quality == 1) {
            EXPECT_EQ(inner.pixel(15, 15), kWhite) << "past one pass's reach";
        }
        EXPECT_EQ(inner.pixel(9, 15), kWhite) << "an inner glow stays inside";
        EXPECT_EQ(inner.pixel(20, 15), kWhite);
    }
}

// A bevel at angle 0: yellow highlight, black shadow, distance 2, unblurred.
swf::Filter plainBevel(int quality, bool inner, bool onTop, bool knockout) {
    swf::Filter f;
    f.type = swf::FilterType::Bevel;
    f.highlightColor = swf::Rgba{255, 255, 0, 255};
    f.color = swf::Rgba{0, 0, 0, 255};
    f.distance = 2;
    f.strength = 1;
    f.passes = uint8_t(quality);
    f.inner = inner;
    f.onTop = onTop;
    f.knockout = knockout;
    f.compositeSource = true;
    return f;
}

TEST_F(FilterEffects, BevelsFallInsideOutsideOrAcrossTheEdgesAndKnockOutTheObject) {
    // At angle 0 the highlight falls on the right edge and the shadow on the left:
    // inside the object for an inner bevel, outside it for an outer one, across the edge for
    // a full one. Knockout leaves the bevel alone; unblurred, the quality changes nothing.
    struct Row {
        const char* name;
        bool inner, onTop;
        QRgb insideLeft, insideRight, outsideLeft, outsideRight;
    };
    const Row rows[] = {
        {"inner", true, false, kBlack, kYellow, kWhite, kWhite},
        {"outer", false, false, kRed, kRed, kBlack, kYellow},
        {"full", false, true, kBlack, kYellow, kBlack, kYellow},
    };
    for (const Row& row : rows) {
        for (int quality : {1, 2, 3}) {
            for (bool knockout : {false, true}) {
                SCOPED_TRACE(std::string(row.name) + " quality " + std::to_string(quality) +
                             (knockout ? " knockout" : ""));
                ASSERT_TRUE(loadBox({plainBevel(quality, row.inner, row.onTop, knockout)}));
                const QImage img = render(40, 40, flash::Quality::Low);
                const QRgb middle = knockout ? kWhite : kRed;
                EXPECT_EQ(img.pixel(15, 15), middle) << "no bevel in the middle";
                const QRgb insideLeft =
                    knockout && row.insideLeft == kRed ? kWhite : row.insideLeft;
                const QRgb insideRight =
                    knockout && row.insideRight == kRed ? kWhite : row.insideRight;
                EXPECT_EQ(img.pixel(10, 15), insideLeft);
                EXPECT_EQ(img.pixel(19, 15), insideRight);
                EXPECT_EQ(img.pixel(8, 15), row.outsideLeft);
                EXPECT_EQ(img.pixel(21, 15), row.outsideRight);
                EXPECT_EQ(img.pixel(25, 15), kWhite);
            }
        }
    }
    // Twice as large the distance is twice as many device pixels: a full bevel's shadow
    // covers 16..23 across the left edge at 20, its highlight 36..43 across the right one.
    ASSERT_TRUE(loadBox({plainBevel(1, false, true, false)}));
    const QImage twice = render(80, 80, flash::Quality::Low, 2);
    EXPECT_EQ(twice.pixel(15, 30), kWhite);
    EXPECT_EQ(twice.pixel(16, 30), kBlack);
    EXPECT_EQ(twice.pixel(23, 30), kBlack);
    EXPECT_EQ(twice.pixel(24, 30), kRed);
    EXPECT_EQ(twice.pixel(35, 30), kRed);
    EXPECT_EQ(twice.pixel(36, 30), kYellow);
    EXPECT_EQ(twice.pixel(43, 30), kYellow);
    EXPECT_EQ(twice.pixel(44, 30), kWhite);
}

// A property a script sets on a new filter: a number, a flag, a word or an array of numbers.
struct Property {
    Property(std::string n, avm1::test::Operand v) : name(std::move(n)), value(std::move(v)) {}
    Property(std::string n, std::vector<double> list)
        : name(std::move(n)), numbers(std::move(list)) {}
    std::string name;
    avm1::test::Operand value = avm1::test::undef();
    std::vector<double> numbers;  // an array when not empty
};

// var f = new flash.filters.<name>(); f.<property> = value ...; box.filters = [f];
std::vector<uint8_t> setBoxFilter(const char* name, const std::vector<Property>& properties) {
    Assembler a;
    a.push({str("f"), integer(0), str("flash")})
        .op(Code::GetVariable)
        .push({str("filters")})
        .op(Code::GetMember)
        .push({str(name)})
        .op(Code::NewMethod)
        .op(Code::SetVariable);
    for (const Property& p : properties) {
        a.push({str("f")}).op(Code::GetVariable).push({str(p.name)});
        if (p.numbers.empty()) {
            a.push({p.value});
        } else {
            for (auto it = p.numbers.rbegin(); it != p.numbers.rend(); ++it) {
                a.push({num(*it)});
            }
            a.push({integer(int(p.numbers.size()))}).op(Code::InitArray);
        }
        a.op(Code::SetMember);
    }
    a.push({str("box")}).op(Code::GetVariable).push({str("filters"), str("f")});
    a.op(Code::GetVariable).push({integer(1)}).op(Code::InitArray).op(Code::SetMember);
    a.op(Code::End);
    return a.bytes;
}

TEST_F(FilterEffects, AShadowThatHidesItsObjectLeavesTheShadowAlone) {
    for (bool hide : {false, true}) {
        SCOPED_TRACE(hide ? "hidden" : "shown");
        ASSERT_TRUE(loadBox(
            {}, setBoxFilter("DropShadowFilter", {{"distance", num(5)},
                                                  {"angle", num(0)},
                                                  {"color", num(0)},
                                                  {"blurX", num(0)},
                                                  {"blurY", num(0)},
                                                  {"hideObject", avm1::test::boolean(hide)}})));
        for (auto q : {flash::Quality::High, flash::Quality::Low}) {
            const QImage img = render(40, 40, q);
            EXPECT_EQ(img.pixel(12, 15), hide ? kWhite : kRed);
            EXPECT_EQ(img.pixel(18, 15), hide ? kBlack : kRed) << "the shadow under the object";
            EXPECT_EQ(img.pixel(22, 15), kBlack);
            EXPECT_EQ(img.pixel(26, 15), kWhite);
        }
    }
}

TEST_F(FilterEffects, ScriptGradientGlowsAndBevelsColourByTheirStops) {
    // A gradient glow from clear to blue at full strength rings the square in blue, and with
    // knockout leaves the ring alone.
    for (bool knockout : {false, true}) {
        SCOPED_TRACE(knockout ? "knockout" : "object shown");
        ASSERT_TRUE(loadBox({}, setBoxFilter("GradientGlowFilter",
                                             {{"distance", num(0)},
                                              {"colors", std::vector<double>{0x0000FF, 0x0000FF}},
                                              {"alphas", std::vector<double>{0, 1}},
                                              {"ratios", std::vector<double>{0, 255}},
                                              {"blurX", num(4)},
                                              {"blurY", num(4)},
                                              {"strength", num(255)},
                                              {"quality", num(2)},
                                              {"type", str("outer")},
                                              {"knockout", avm1::test::boolean(knockout)}})));
        const QImage img = render(40, 40, flash::Quality::Low);
        EXPECT_EQ(img.pixel(15, 15), knockout ? kWhite : kRed);
        EXPECT_EQ(img.pixel(20, 15), kBlue);
        EXPECT_EQ(img.pixel(9, 15), kBlue);
        EXPECT_EQ(img.pixel(22, 15), kBlue) << "two passes reach past two pixels";
        EXPECT_EQ(img.pixel(27, 15), kWhite);
    }
    // Full, the glow goes over the square; moved 8 pixels right, it shows all the way out.
    for (const auto& [type, distance] : {std::pair{"full", 0}, std::pair{"outer", 8}}) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(loadBox({}, setBoxFilter("GradientGlowFilter",
                                             {{"distance", num(distance)},
                                              {"angle", num(0)},
                                              {"colors", std::vector<double>{0x0000FF, 0x0000FF}},
                                              {"alphas", std::vector<double>{0, 1}},
                                              {"ratios", std::vector<double>{0, 255}},
                                              {"blurX", num(0)},
                                              {"blurY", num(0)},
                                              {"strength", num(10)},
                                              {"type", str(type)}})));
        const QImage img = render(40, 40, flash::Quality::Low);
        EXPECT_EQ(img.pixel(15, 15), distance == 0 ? kBlue : kRed);
        EXPECT_EQ(img.pixel(19 + distance, 15), kBlue);
        EXPECT_EQ(img.pixel(20 + distance, 15), kWhite);
    }
    // A gradient bevel from yellow (the highlight) through clear to blue (the shadow) at
    // angle 0: yellow on the right edge, blue on the left, inside the square.
    for (const char* type : {"inner", "full"}) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(
            loadBox({}, setBoxFilter("GradientBevelFilter",
                                     {{"distance", num(2)},
                                      {"angle", num(0)},
                                      {"colors", std::vector<double>{0xFFFF00, 0x000000, 0x0000FF}},
                                      {"alphas", std::vector<double>{1, 0, 1}},
                                      {"ratios", std::vector<double>{0, 128, 255}},
                                      {"blurX", num(0)},
                                      {"blurY", num(0)},
                                      {"strength", num(1)},
                                      {"type", str(type)}})));
        const QImage img = render(40, 40, flash::Quality::Low);
        EXPECT_EQ(img.pixel(19, 15), kYellow);
        EXPECT_EQ(img.pixel(10, 15), kBlue);
        EXPECT_EQ(img.pixel(15, 15), kRed);
        const bool full = std::string(type) == "full";
        EXPECT_EQ(img.pixel(8, 15), full ? kBlue : kWhite);
        EXPECT_EQ(img.pixel(21, 15), full ? kYellow : kWhite);
    }
}

}  // namespace
}  // namespace pencora::runtime
