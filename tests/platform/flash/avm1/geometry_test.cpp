// flash.geom as script data: Rectangle's computed edges, Matrix arithmetic, ColorTransform.
#include <gtest/gtest.h>

#include <cmath>

#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

struct Geometry : ::testing::Test {
    Fixture f;
    Machine& m = f.machine;

    Value make(const char* cls, std::vector<Value> args = {}) {
        Value geom = m.getMember(m.get(m.global(), "flash"), "geom");
        return m.construct(m.getMember(geom, cls), args);
    }
    Value call(const Value& target, const char* method, std::vector<Value> args = {}) {
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), 8);
        EXPECT_TRUE(r.ok());
        return r.value;
    }
    QString text(const Value& v) { return m.toString(v); }
    QString get(const Value& o, const char* name) { return text(m.getMember(o, name)); }
};

}  // namespace

TEST_F(Geometry, RectangleEdgesFollowTheFields) {
    Value r = make("Rectangle", {Value(1), Value(3), Value(5), Value(7)});
    EXPECT_EQ(text(r), "(x=1, y=3, w=5, h=7)");
    EXPECT_EQ(get(r, "right"), "6");
    EXPECT_EQ(get(r, "bottomRight"), "(x=6, y=10)");
    m.setMember(r, "top", Value(0));  // the bottom edge stays
    EXPECT_EQ(get(r, "height"), "10");
    m.setMember(r, "left", Value(100));
    EXPECT_EQ(get(r, "width"), "-94");
    // Missing arguments stay undefined; the computed edges turn NaN.
    Value partial = make("Rectangle", {Value(1)});
    EXPECT_EQ(get(partial, "top"), "undefined");
    EXPECT_EQ(get(partial, "right"), "NaN");
    EXPECT_EQ(text(call(partial, "isEmpty")), "true");
}

TEST_F(Geometry, RectangleSetOperations) {
    Value a = make("Rectangle", {Value(0), Value(0), Value(4), Value(4)});
    Value b = make("Rectangle", {Value(2), Value(2), Value(4), Value(4)});
    EXPECT_EQ(text(call(a, "intersection", {b})), "(x=2, y=2, w=2, h=2)");
    EXPECT_EQ(text(call(a, "union", {b})), "(x=0, y=0, w=6, h=6)");
    EXPECT_EQ(text(call(a, "intersects", {b})), "true");
    Value far = make("Rectangle", {Value(10), Value(10), Value(1), Value(1)});
    EXPECT_EQ(text(call(a, "intersection", {far})), "(x=0, y=0, w=0, h=0)");
    EXPECT_EQ(text(call(a, "contains", {Value(4), Value(0)})), "false");  // right edge is out
    // A NaN on the way makes the answer undefined; an earlier false wins over it.
    EXPECT_EQ(text(call(a, "contains", {Value(1), Value(std::nan(""))})), "undefined");
    EXPECT_EQ(text(call(a, "contains", {Value(-1), Value(std::nan(""))})), "false");
    EXPECT_EQ(text(call(a, "intersection")), "(x=0, y=0, w=0, h=0)");
    EXPECT_EQ(text(call(a, "union")), "(x=NaN, y=NaN, w=NaN, h=NaN)");
    EXPECT_EQ(text(call(a, "intersects")), "false");
    EXPECT_EQ(text(call(a, "containsRectangle",
                        {make("Rectangle", {Value(1), Value(1), Value(3), Value(3)})})),
              "true");
}

TEST_F(Geometry, MatrixArithmetic) {
    EXPECT_EQ(text(make("Matrix")), "(a=1, b=0, c=0, d=1, tx=0, ty=0)");
    EXPECT_EQ(text(make("Matrix", {Value(1), Value(2)})),
              "(a=1, b=2, c=undefined, d=undefined, tx=undefined, ty=undefined)");
    Value inv = make("Matrix", {Value(2), Value(3), Value(5), Value(7), Value(9), Value(11)});
    call(inv, "invert");
    EXPECT_EQ(text(inv), "(a=-7, b=3, c=5, d=-2, tx=8, ty=-5)");
    Value t = make("Matrix", {Value(2), Value(3), Value(5), Value(7), Value(11), Value(13)});
    Value p = make("Point", {Value(1), Value(1)});
    EXPECT_EQ(text(call(t, "transformPoint", {p})), "(x=18, y=23)");
    EXPECT_EQ(text(call(t, "deltaTransformPoint", {p})), "(x=7, y=10)");
    Value g = make("Matrix");
    call(g, "createGradientBox", {Value(200), Value(300)});
    EXPECT_EQ(text(g), "(a=0.1220703125, b=0, c=0, d=0.18310546875, tx=100, ty=150)");
}

TEST_F(Geometry, ColorTransformDefaultsAndRgb) {
    Value ct = make("ColorTransform", {Value(0.5)});
    EXPECT_EQ(text(ct),
              "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
              "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)");
    m.setMember(ct, "rgb", Value(0x123456));
    EXPECT_EQ(get(ct, "redMultiplier"), "0");
    EXPECT_EQ(get(ct, "greenOffset"), "52");
    EXPECT_EQ(m.toNumber(m.getMember(ct, "rgb")), 0x123456);
}
