// BitmapData: the premultiplied store and what scripts get back from it, the size limits per
// version, and the answers of the methods to bad arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/bitmap_data.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

struct Bitmaps : ::testing::Test {
    Fixture f{10};
    Machine& m = f.machine;

    Value ctor() {
        Value flash = m.get(m.global(), "flash");
        return m.getMember(m.getMember(flash, "display"), "BitmapData");
    }
    Value make(std::vector<Value> args) { return m.construct(ctor(), args); }
    Value call(const Value& target, const char* method, std::vector<Value> args = {}) {
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), 10);
        EXPECT_TRUE(r.ok());
        return r.value;
    }
    uint32_t pixel32(const Value& b, int x, int y) {
        return uint32_t(m.toInt32(call(b, "getPixel32", {Value(x), Value(y)})));
    }
    Value rect(int x, int y, int w, int h) {
        Object* o = m.makeObject();
        o->put("x", Value(x));
        o->put("y", Value(y));
        o->put("width", Value(w));
        o->put("height", Value(h));
        return Value(o);
    }
};

}  // namespace

TEST(BitmapPixels, PremultiplyingLosesWhatTheOriginalLoses) {
    struct Row {
        uint32_t in, out;
    };
    const Row rows[] = {
        {0xAABBCCDD, 0xAABBCCDC}, {0x12345678, 0x12395571},
        {0xFF123456, 0xFF123456},  // opaque pixels are kept as they are
        {0x00FFFFFF, 0x00000000},  // fully transparent ones lose their colour
        {0x80FFFFFF, 0x80FFFFFF},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(unpremultiply(premultiply(r.in)), r.out) << std::hex << r.in;
    }
}

TEST(BitmapPixels, SizeLimitsPerVersion) {
    EXPECT_TRUE(BitmapDataObject::sizeAllowed(2880, 2880, 9));
    EXPECT_FALSE(BitmapDataObject::sizeAllowed(2881, 1, 9));
    EXPECT_TRUE(BitmapDataObject::sizeAllowed(8191, 1, 10));
    EXPECT_FALSE(BitmapDataObject::sizeAllowed(8192, 1, 10));
    EXPECT_TRUE(BitmapDataObject::sizeAllowed(4095, 4096, 10));
    EXPECT_FALSE(BitmapDataObject::sizeAllowed(4096, 4096, 10));  // 2^24 pixels
    EXPECT_FALSE(BitmapDataObject::sizeAllowed(0, 10, 10));
    EXPECT_FALSE(BitmapDataObject::sizeAllowed(-5, 10, 10));
}

TEST(BitmapPixels, FillsStayInsideTheBitmap) {
    BitmapDataObject b(nullptr);
    b.create(4, 3, true, 0xFF000000);
    b.fillRect(-10, -10, 12, 11, 0xFFFF0000);  // clipped to (0,0)-(2,1)
    EXPECT_EQ(b.pixel32(1, 0), 0xFFFF0000u);
    EXPECT_EQ(b.pixel32(2, 0), 0xFF000000u);
    EXPECT_EQ(b.pixel32(0, 1), 0xFF000000u);
    b.fillRect(3, 2, 2147483647, 2147483647, 0xFF00FF00);  // no overflow past the edge
    EXPECT_EQ(b.pixel32(3, 2), 0xFF00FF00u);
    EXPECT_EQ(b.pixel32(5, 5), 0u);  // outside reads as 0
    // A flood fill stops at other colours and reports whether it changed anything.
    EXPECT_TRUE(b.floodFill(0, 2, 0xFF0000FF));
    EXPECT_EQ(b.pixel32(2, 2), 0xFF0000FFu);
    EXPECT_EQ(b.pixel32(1, 0), 0xFFFF0000u);
    EXPECT_FALSE(b.floodFill(0, 2, 0xFF0000FF));
    EXPECT_FALSE(b.floodFill(-1, 0, 0xFF0000FF));
}

TEST(BitmapPixels, ScrollKeepsWhatIsUncovered) {
    BitmapDataObject b(nullptr);
    b.create(3, 1, false, 0);
    b.setPixel32(0, 0, 0xFF000001);
    b.setPixel32(1, 0, 0xFF000002);
    b.setPixel32(2, 0, 0xFF000003);
    b.scroll(1, 0);
    EXPECT_EQ(b.pixel32(0, 0), 0xFF000001u);
    EXPECT_EQ(b.pixel32(1, 0), 0xFF000001u);
    EXPECT_EQ(b.pixel32(2, 0), 0xFF000002u);
}

TEST_F(Bitmaps, ConstructionFailsWithUndefined) {
    EXPECT_TRUE(make({}).isUndefined());
    EXPECT_TRUE(make({Value(10)}).isUndefined());
    EXPECT_TRUE(make({Value(8192), Value(1)}).isUndefined());
    Value b = make({Value(3), Value(2), Value(false), Value(double(0x80123456u))});
    ASSERT_TRUE(b.isObject());
    EXPECT_EQ(m.toNumber(m.getMember(b, "width")), 3);
    EXPECT_FALSE(m.toBoolean(m.getMember(b, "transparent")));
    EXPECT_EQ(pixel32(b, 0, 0), 0xFF123456u);  // opaque: alpha forced
    m.setMember(b, "width", Value(100));       // read only
    EXPECT_EQ(m.toNumber(m.getMember(b, "width")), 3);
}

TEST_F(Bitmaps, MethodsAnswerBadArgumentsWithNegativeCodes) {
    Value b = make({Value(3), Value(3), Value(true), Value(double(0xAABBCCDDu))});
    EXPECT_EQ(m.toNumber(call(b, "getPixel", {Value(1)})), -1);
    EXPECT_EQ(m.toNumber(call(b, "setPixel32", {Value(1), Value(2)})), -1);
    EXPECT_EQ(m.toNumber(call(b, "setPixel32", {Value(1), Value(2), Value(double(0x12345678))})),
              0);
    EXPECT_EQ(pixel32(b, 1, 2), 0x12395571u);
    // setPixel keeps the alpha that is there.
    call(b, "setPixel", {Value(0), Value(0), Value(0xBBBBBB)});
    EXPECT_EQ(pixel32(b, 0, 0), 0xAABBBBBBu);
    // A rectangle needs all four fields.
    Object* partial = m.makeObject();
    partial->put("x", Value(0));
    partial->put("y", Value(0));
    partial->put("height", Value(1));
    EXPECT_EQ(m.toNumber(call(b, "fillRect", {Value(partial), Value(0)})), -1);
    EXPECT_EQ(m.toNumber(call(b, "fillRect", {rect(0, 0, 1, 1), Value(double(0xFF000000u))})), 0);
    EXPECT_EQ(pixel32(b, 0, 0), 0xFF000000u);
    // colorTransform wants a real ColorTransform.
    Object* plain = m.makeObject();
    EXPECT_EQ(m.toNumber(call(b, "colorTransform", {rect(0, 0, 3, 3), Value(plain)})), -3);
    EXPECT_EQ(m.toNumber(call(b, "colorTransform", {Value(), Value(plain)})), -2);
    // A disposed bitmap answers -1 to everything.
    call(b, "dispose");
    EXPECT_EQ(m.toNumber(m.getMember(b, "width")), -1);
    EXPECT_EQ(m.toNumber(call(b, "getPixel32", {Value(0), Value(0)})), -1);
    EXPECT_EQ(m.toNumber(call(b, "dispose")), -1);
}

TEST_F(Bitmaps, ColorTransformClampsEachChannel) {
    Value b = make({Value(1), Value(1), Value(true), Value(double(0xAABBCCDDu))});
    Value flash = m.get(m.global(), "flash");
    Value ct = m.getMember(m.getMember(flash, "geom"), "ColorTransform");
    std::vector<Value> args{Value(0), Value(0), Value(1),   Value(1),
                            Value(0), Value(0), Value(255), Value(0)};
    Value t = m.construct(ct, args);
    call(b, "colorTransform", {rect(0, 0, 1, 1), t});
    EXPECT_EQ(pixel32(b, 0, 0), 0xAA0000FFu);
}

TEST_F(Bitmaps, CompareAndHitTest) {
    Value a = make({Value(2), Value(1), Value(true), Value(double(0xFF102030u))});
    Value b = make({Value(2), Value(1), Value(true), Value(double(0xFF102030u))});
    call(b, "setPixel32", {Value(0), Value(0), Value(double(0xFF0F2030u))});
    call(b, "setPixel32", {Value(1), Value(0), Value(double(0x80102030u))});
    Value diff = call(a, "compare", {b});
    ASSERT_TRUE(diff.isObject());
    EXPECT_EQ(pixel32(diff, 0, 0), 0xFF010000u);  // colour differs: opaque channel differences
    EXPECT_EQ(pixel32(diff, 1, 0), 0x7FFFFFFFu);  // only alpha differs: white, alpha difference
    Value narrow = make({Value(1), Value(1)});
    EXPECT_EQ(m.toNumber(call(a, "compare", {narrow})), -3);
    EXPECT_EQ(m.toNumber(call(a, "compare", {Value(m.makeObject())})), -2);

    Value geom = m.getMember(m.get(m.global(), "flash"), "geom");
    auto point = [&](int x, int y) {
        std::vector<Value> xy{Value(x), Value(y)};
        return m.construct(m.getMember(geom, "Point"), xy);
    };
    // b sits at (10, 0): its translucent pixel is at stage (11, 0).
    EXPECT_TRUE(call(b, "hitTest", {point(10, 0), Value(0x80), point(11, 0)}).boolean());
    EXPECT_FALSE(call(b, "hitTest", {point(10, 0), Value(0x81), point(11, 0)}).boolean());
    EXPECT_FALSE(call(b, "hitTest", {point(10, 0), Value(1), point(12, 0)}).boolean());
    // A plain {x, y} is not a Point: it misses; an object without y is refused.
    Object* plain = m.makeObject();
    plain->put("x", Value(10));
    plain->put("y", Value(0));
    EXPECT_FALSE(call(b, "hitTest", {point(10, 0), Value(1), Value(plain)}).boolean());
    plain->remove("y", 10);
    EXPECT_EQ(m.toNumber(call(b, "hitTest", {point(10, 0), Value(1), Value(plain)})), -3);
    EXPECT_EQ(m.toNumber(call(b, "hitTest", {Value(plain), Value(1), point(0, 0)})), -2);
    // Two bitmaps overlap where both are opaque enough.
    EXPECT_TRUE(
        call(a, "hitTest", {point(0, 0), Value(1), b, point(-1, 0), Value(0x80)}).boolean());
    EXPECT_FALSE(
        call(a, "hitTest", {point(0, 0), Value(1), b, point(-1, 0), Value(0x90)}).boolean());
}

namespace {

struct BitmapCopies : Bitmaps {
    Value point(int x, int y) {
        Object* o = m.makeObject();
        o->put("x", Value(x));
        o->put("y", Value(y));
        return Value(o);
    }
    Value filled(uint32_t argb, bool transparent = true) {
        return make({Value(3), Value(3), Value(transparent), Value(double(argb))});
    }
    double number(const Value& v) { return m.toNumber(v); }
    std::string rectText(const Value& r) {
        std::string out;
        for (const char* k : {"x", "y", "width", "height"}) {
            out += std::to_string(m.toInt32(m.getMember(r, k))) + " ";
        }
        return out;
    }
};

}  // namespace

// The copying methods read source, rectangle and point alike and leave out what falls outside
// either bitmap; each then makes its pixels its own way.
TEST_F(BitmapCopies, CopiesShareTheirArgumentsAndMakeTheirOwnPixels) {
    Value dest = filled(0xFF000000);
    Value src = filled(0xFF102030);
    Value disposed = filled(0xFF000000);
    call(disposed, "dispose");
    for (const char* method : {"copyPixels", "copyChannel", "merge", "paletteMap", "threshold"}) {
        SCOPED_TRACE(method);
        EXPECT_EQ(number(call(dest, method)), -1);
        const Value tail[] = {Value(1), Value(1), Value(128), Value(128), Value(128), Value(128)};
        auto with = [&](Value source, Value r) {
            std::vector<Value> args{source, r, point(0, 0)};
            args.insert(args.end(), std::begin(tail), std::end(tail));
            return number(call(dest, method, args));
        };
        EXPECT_EQ(with(Value(m.makeObject()), rect(0, 0, 3, 3)), -2);
        EXPECT_EQ(with(disposed, rect(0, 0, 3, 3)), -3);
        EXPECT_EQ(with(src, Value()), -4);
    }

    // A 2 x 2 corner lands at (2, 2): only its first pixel fits.
    call(dest, "copyPixels", {src, rect(0, 0, 2, 2), point(2, 2)});
    EXPECT_EQ(pixel32(dest, 2, 2), 0xFF102030u);
    EXPECT_EQ(pixel32(dest, 1, 1), 0xFF000000u);
    // Corners before the destination's are cut off; far ones leave everything as it was.
    Value shifted = filled(0xFF000000);
    call(src, "setPixel32", {Value(2), Value(2), Value(double(0xFF00FF00u))});
    call(shifted, "copyPixels", {src, rect(0, 0, 3, 3), point(-2, -2)});
    EXPECT_EQ(pixel32(shifted, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(pixel32(shifted, 1, 1), 0xFF000000u);
    call(shifted, "copyPixels", {src, rect(-2147483647, 0, 2147483647, 3), point(2147483647, 0)});
    EXPECT_EQ(pixel32(shifted, 1, 1), 0xFF000000u);
    call(src, "setPixel32", {Value(2), Value(2), Value(double(0xFF102030u))});
    // A bitmap copies onto itself as it was before.
    call(src, "setPixel32", {Value(0), Value(0), Value(double(0xFF0000FFu))});
    call(src, "copyPixels", {src, rect(0, 0, 2, 1), point(1, 0)});
    EXPECT_EQ(pixel32(src, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(pixel32(src, 2, 0), 0xFF102030u);

    Value c = filled(0xFF000000);
    call(c, "copyChannel", {src, rect(0, 0, 3, 3), point(0, 0), Value(4), Value(1)});
    EXPECT_EQ(pixel32(c, 0, 0), 0xFFFF0000u);  // blue into red
    EXPECT_EQ(pixel32(c, 2, 2), 0xFF300000u);

    Value merged = filled(0xFF000000);
    call(merged, "merge",
         {filled(0xFFFFFFFF), rect(0, 0, 3, 3), point(0, 0), Value(128), Value(0), Value(256),
          Value(256)});
    EXPECT_EQ(pixel32(merged, 1, 1), 0xFF7F00FFu);

    Value mapped = filled(0xFF000000);
    std::vector<Value> reds(256, Value(0));
    reds[0x10] = Value(double(0x00000001));
    call(mapped, "paletteMap", {src, rect(0, 0, 3, 3), point(0, 0), Value(m.makeArray(reds))});
    EXPECT_EQ(pixel32(mapped, 2, 2), 0xFF002031u);  // red's entry added, the rest kept
}

// threshold compares the stored (premultiplied) pixel, both sides masked, and counts the
// pixels that took the colour; with copySource the others take the source's.
TEST_F(BitmapCopies, ThresholdComparesStoredPixelsAndCounts) {
    Value src = filled(0xFFFFFFFF);
    call(src, "setPixel32", {Value(1), Value(1), Value(double(0x12345678u))});
    Value dest = filled(0xFF000000, false);
    auto run = [&](const char* op, bool copySource) {
        return number(
            call(dest, "threshold",
                 {src, rect(0, 0, 3, 3), point(0, 0), Value(op), Value(double(0x33333333u)),
                  Value(double(0xFFAAAAAAu)), Value(double(0x00FF0000u)), Value(copySource)}));
    };
    // 0x12345678 is stored with red 0x04: below 0x33 although its straight red is 0x34.
    EXPECT_EQ(run("<", false), 1);
    EXPECT_EQ(pixel32(dest, 1, 1), 0xFFAAAAAAu);
    EXPECT_EQ(pixel32(dest, 0, 0), 0xFF000000u);
    EXPECT_EQ(run(">", true), 8);
    EXPECT_EQ(pixel32(dest, 1, 1), 0xFF395571u);  // the source's, made opaque here
    EXPECT_EQ(run("!=", false), 9);
    EXPECT_EQ(run("==", false), 0);
    EXPECT_EQ(run("no such", false), 1);  // compares as "<"
}

// getColorBoundsRect finds the pixels of a colour, or those of any other; a lone pixel at the
// origin is found like any other.
TEST_F(BitmapCopies, ColorBoundsAroundThePixelsOfAColour) {
    Value b = filled(0xFFFFFFFF);
    EXPECT_EQ(number(call(b, "getColorBoundsRect", {Value(1)})), -1);
    auto bounds = [&](bool find) {
        return rectText(
            call(b, "getColorBoundsRect",
                 {Value(double(0xFFFFFFFFu)), Value(double(0xFFFFFFFFu)), Value(find)}));
    };
    EXPECT_EQ(bounds(true), "0 0 3 3 ");
    EXPECT_EQ(bounds(false), "0 0 0 0 ");
    call(b, "setPixel32", {Value(0), Value(0), Value(double(0xFF00FF00u))});
    EXPECT_EQ(bounds(false), "0 0 1 1 ");
    call(b, "setPixel32", {Value(2), Value(1), Value(double(0xFF00FF00u))});
    EXPECT_EQ(bounds(false), "0 0 3 2 ");
}

// noise fills the chosen channels from the seed, the same seed giving the same pixels; the
// channels left out are 0 and alpha left out is opaque.
TEST_F(BitmapCopies, NoiseFillsTheChosenChannelsFromTheSeed) {
    Value a = filled(0xFF000000);
    Value b = filled(0xFF000000);
    EXPECT_EQ(number(call(a, "noise")), -1);
    call(a, "noise", {Value(7), Value(10), Value(20), Value(1 | 4)});
    call(b, "noise", {Value(7), Value(10), Value(20), Value(1 | 4)});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint32_t p = pixel32(a, x, y);
            EXPECT_EQ(p, pixel32(b, x, y));
            EXPECT_EQ(p & 0xFF00FF00u, 0xFF000000u);
            EXPECT_GE((p >> 16) & 0xFF, 10u);
            EXPECT_LE((p >> 16) & 0xFF, 20u);
            EXPECT_GE(p & 0xFF, 10u);
        }
    }
    call(a, "noise", {Value(3), Value(0), Value(255), Value(8), Value(true)});
    const uint32_t grey = pixel32(a, 1, 1);
    EXPECT_EQ((grey >> 16) & 0xFF, grey & 0xFF);
    EXPECT_EQ((grey >> 8) & 0xFF, grey & 0xFF);
}

// pixelDissolve walks the clipped region once through: each call writes the pixel its seed
// names and numPixels more, and answers where the next call goes on.
TEST_F(BitmapCopies, PixelDissolveReachesEveryPixelOnceAcrossCalls) {
    auto changed = [&](const Value& b, uint32_t from, int w, int h) {
        int n = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                n += pixel32(b, x, y) != from ? 1 : 0;
            }
        }
        return n;
    };
    Value b = make({Value(7), Value(9), Value(true), Value(double(0xFF000000u))});
    Value seed(0);
    std::vector<int> counts;
    for (int round = 0; round < 66; ++round) {
        seed = call(b, "pixelDissolve",
                    {b, m.getMember(b, "rectangle"), point(0, 0), seed, Value(1),
                     Value(double(0xFFFF0000u))});
        counts.push_back(changed(b, 0xFF000000u, 7, 9));
    }
    EXPECT_EQ(counts[0], 2);
    EXPECT_EQ(counts[10], 12);
    EXPECT_EQ(counts[61], 63) << "every pixel once, none twice";
    EXPECT_EQ(counts[65], 63);
    EXPECT_EQ(pixel32(b, 6, 8), 0xFFFF0000u);

    // From another bitmap the pixels are copied, only where rectangle and point both land.
    Value dest = filled(0xFF000000);
    Value src = filled(0xFF102030);
    seed = Value(5);
    for (int round = 0; round < 10; ++round) {
        seed = call(dest, "pixelDissolve", {src, rect(-1, 0, 3, 3), point(1, 1), seed, Value(3)});
    }
    EXPECT_EQ(changed(dest, 0xFF000000u, 3, 3), 2);
    EXPECT_EQ(pixel32(dest, 2, 2), 0xFF102030u);
    EXPECT_EQ(pixel32(dest, 0, 0), 0xFF000000u);

    // numPixels 0 writes the one pixel the seed names; bad arguments answer codes.
    Value one = filled(0xFF000000);
    for (int round = 0; round < 3; ++round) {
        call(one, "pixelDissolve", {one, rect(0, 0, 3, 3), point(0, 0), Value(4), Value(0)});
    }
    EXPECT_EQ(changed(one, 0xFF000000u, 3, 3), 1);
    EXPECT_EQ(number(call(one, "pixelDissolve", {Value(), rect(0, 0, 3, 3), point(0, 0)})), -1);
    EXPECT_EQ(number(call(one, "pixelDissolve", {one, Value(), point(0, 0)})), -4);
    Value gone = filled(0xFF000000);
    call(gone, "dispose");
    EXPECT_EQ(number(call(one, "pixelDissolve", {gone, rect(0, 0, 3, 3), point(0, 0)})), -1);
    for (const char* method :
         {"pixelDissolve", "draw", "applyFilter", "perlinNoise", "generateFilterRect", "clone"}) {
        EXPECT_EQ(number(call(gone, method, {one, rect(0, 0, 3, 3), point(0, 0)})), -1) << method;
    }
}

// An alpha bitmap masks copyPixels: its pixel at alphaPoint plus the source pixel's place in
// the rectangle scales that pixel's alpha; where the mask has no pixel nothing is copied.
TEST_F(BitmapCopies, CopyPixelsMasksBySecondBitmapsAlpha) {
    Value src = filled(0xFFFF0000);
    Value mask = filled(0x00000000);
    call(mask, "setPixel32", {Value(1), Value(1), Value(double(0x80000000u))});
    call(mask, "setPixel32", {Value(2), Value(1), Value(double(0xFF000000u))});
    Value dest = filled(0x00000000);
    call(dest, "copyPixels", {src, rect(1, 0, 2, 2), point(0, 0), mask, point(1, 1)});
    EXPECT_EQ(pixel32(dest, 0, 0), 0x80FF0000u);  // source (1, 0) under mask (1, 1)
    EXPECT_EQ(pixel32(dest, 1, 0), 0xFFFF0000u);  // under mask (2, 1)
    // Source (1, 1) and (2, 1) fall under mask row 2, which is transparent.
    EXPECT_EQ(pixel32(dest, 0, 1), 0x00000000u);
    // From (2, 1) the right column falls beside the mask: this bitmap keeps its pixels there.
    Value kept = filled(0xFF0000FF);
    call(kept, "copyPixels", {src, rect(1, 0, 2, 2), point(0, 0), mask, point(2, 1)});
    EXPECT_EQ(pixel32(kept, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(pixel32(kept, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(pixel32(kept, 0, 1), 0x00000000u);
    EXPECT_EQ(pixel32(kept, 1, 1), 0xFF0000FFu);
    // mergeAlpha lays the masked pixel over this bitmap's.
    Value merged = filled(0xFF0000FF);
    call(merged, "copyPixels",
         {src, rect(1, 0, 2, 2), point(0, 0), mask, point(1, 1), Value(true)});
    EXPECT_EQ(pixel32(merged, 0, 0), 0xFF80007Fu);
    EXPECT_EQ(pixel32(merged, 0, 1), 0xFF0000FFu);
}

namespace {

struct PerlinNoise : BitmapCopies {
    // perlinNoise on a new transparent bitmap; the arguments after the bitmap's size.
    Value noise(int w, int h, std::vector<Value> args) {
        Value b = make({Value(w), Value(h), Value(true), Value(0)});
        call(b, "perlinNoise", std::move(args));
        return b;
    }
    std::vector<uint32_t> pixels(const Value& b, int w, int h) {
        std::vector<uint32_t> out;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                out.push_back(pixel32(b, x, y));
            }
        }
        return out;
    }
    static int channel(uint32_t p, int shift) { return int((p >> shift) & 0xFF); }
};

}  // namespace

// The seed decides the pattern; the chosen channels get noise of their own within 0..255,
// fractal noise around mid grey, the others 0 and alpha opaque.
TEST_F(PerlinNoise, SeededChannelsAroundMidGrey) {
    Value b = filled(0xFF000000);
    EXPECT_EQ(
        number(call(b, "perlinNoise", {Value(8), Value(8), Value(2), Value(1), Value(false)})), -1);
    auto args = [](int seed, int channels, bool grey) {
        return std::vector<Value>{Value(10),    Value(10),   Value(3),        Value(seed),
                                  Value(false), Value(true), Value(channels), Value(grey)};
    };
    const auto a = pixels(noise(24, 24, args(5, 1 | 2, false)), 24, 24);
    EXPECT_EQ(a, pixels(noise(24, 24, args(5, 1 | 2, false)), 24, 24));
    EXPECT_NE(a, pixels(noise(24, 24, args(6, 1 | 2, false)), 24, 24));
    int low = 255, high = 0, redIsGreen = 0;
    for (uint32_t p : a) {
        EXPECT_EQ(p & 0xFF0000FFu, 0xFF000000u);  // blue left out, alpha opaque
        low = std::min(low, channel(p, 16));
        high = std::max(high, channel(p, 16));
        redIsGreen += channel(p, 16) == channel(p, 8) ? 1 : 0;
    }
    EXPECT_LT(low, 127);
    EXPECT_GT(high, 128);
    EXPECT_LT(redIsGreen, 24 * 24 / 4);  // each channel its own noise
    // Grey scale: one noise in red, green and blue; alpha asked for gets its own.
    for (uint32_t p : pixels(noise(16, 16, args(5, 7 | 8, true)), 16, 16)) {
        EXPECT_EQ(channel(p, 16), channel(p, 8));
        EXPECT_EQ(channel(p, 8), channel(p, 0));
    }
    // No octaves: flat mid grey; turbulence starts from black.
    for (uint32_t p : pixels(
             noise(4, 4,
                   {Value(10), Value(10), Value(0), Value(1), Value(false), Value(true), Value(1)}),
             4, 4)) {
        EXPECT_EQ(p, 0xFF7F0000u);
    }
    for (uint32_t p : pixels(noise(4, 4,
                                   {Value(10), Value(10), Value(0), Value(1), Value(false),
                                    Value(false), Value(1)}),
                             4, 4)) {
        EXPECT_EQ(p, 0xFF000000u);
    }
}

// Turbulence sums the noise's size: never below what fractal noise's first octave leaves at
// mid grey, and darker on the whole. An octave's offset moves its noise by whole pixels.
TEST_F(PerlinNoise, TurbulenceAndOffsets) {
    auto one = [&](bool fractal, Value offsets) {
        return pixels(noise(20, 20,
                            {Value(9), Value(7), Value(1), Value(3), Value(false), Value(fractal),
                             Value(1), Value(false), offsets}),
                      20, 20);
    };
    const auto fractal = one(true, Value());
    const auto turbulence = one(false, Value());
    for (size_t i = 0; i < fractal.size(); ++i) {
        // |n| * 255 against (n + 1) * 127.5, one octave: turbulence = 2 * |fractal - 127.5|.
        const double expect = 2 * std::fabs(channel(fractal[i], 16) + 0.5 - 127.5);
        EXPECT_NEAR(channel(turbulence[i], 16), expect, 2.0) << i;
    }
    std::vector<Value> points{point(5, 2)};
    const auto moved = one(true, Value(m.makeArray(points)));
    for (int y = 0; y + 2 < 20; ++y) {
        for (int x = 0; x + 5 < 20; ++x) {
            EXPECT_EQ(moved[size_t(y * 20 + x)], fractal[size_t((y + 2) * 20 + x + 5)]);
        }
    }
}

// Stitched, the noise wraps at the bitmap's edges: stepping from the last column to the first
// (or row) changes no more than stepping between neighbours inside.
TEST_F(PerlinNoise, StitchingMakesTheEdgesMeet) {
    const int w = 40, h = 30;
    const auto p = pixels(
        noise(w, h, {Value(13), Value(11), Value(2), Value(9), Value(true), Value(true), Value(1)}),
        w, h);
    auto red = [&](int x, int y) { return channel(p[size_t(y * w + x)], 16); };
    int inside = 0, across = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x + 1 < w; ++x) {
            inside = std::max(inside, std::abs(red(x + 1, y) - red(x, y)));
        }
        across = std::max(across, std::abs(red(0, y) - red(w - 1, y)));
    }
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y + 1 < h; ++y) {
            inside = std::max(inside, std::abs(red(x, y + 1) - red(x, y)));
        }
        across = std::max(across, std::abs(red(x, 0) - red(x, h - 1)));
    }
    EXPECT_GT(inside, 0);
    EXPECT_LE(across, inside + 2);
}
