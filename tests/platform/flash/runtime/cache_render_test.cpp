// Objects cached as bitmaps land on whole pixels: what they draw moves by the rounding of the
// corner of what they cover (cache_as_bitmap/avm1_color). Low quality, so single pixels tell.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::square;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;

struct CacheRenderTest : testing::Test, test::EngineFixture {
    // A red square 0..10 pixels placed at (12.5, 12.5), cached or not.
    QImage draw(bool cached) {
        swfwrite::MovieBuilder b(8, 40, 40);
        const uint16_t red = b.define(square(0, 0, 10, 10, {255, 0, 0, 255}));
        swf::PlaceObject p;
        p.version = 3;
        p.characterId = red;
        p.depth = 1;
        p.matrix = swf::Matrix{};
        p.matrix->tx = p.matrix->ty = 250;
        p.cacheAsBitmap = cached;
        b.place(p);
        b.showFrame();
        EXPECT_TRUE(load(b));
        return render(40, 40, flash::Quality::Low);
    }
};

TEST_F(CacheRenderTest, ACachedObjectIsRoundedOntoWholePixels) {
    // Drawn directly, the centres on the square's left and top edges (12.5) are inside and
    // those on its right and bottom (22.5) are not; cached, the square starts at pixel 13.
    const QImage direct = draw(false);
    EXPECT_EQ(direct.pixel(12, 12), kRed);
    EXPECT_EQ(direct.pixel(22, 15), kWhite);
    EXPECT_EQ(direct.pixel(15, 22), kWhite);
    const QImage cached = draw(true);
    EXPECT_EQ(cached.pixel(12, 15), kWhite);
    EXPECT_EQ(cached.pixel(15, 12), kWhite);
    EXPECT_EQ(cached.pixel(13, 13), kRed);
    EXPECT_EQ(cached.pixel(22, 22), kRed);
    EXPECT_EQ(cached.pixel(23, 15), kWhite);
}

}  // namespace
}  // namespace pencora::runtime
