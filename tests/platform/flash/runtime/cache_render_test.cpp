// Objects drawn through bitmaps of their own (cached, or filtered) land on whole pixels: what
// they draw moves by the rounding of their bounds' corner (cache_as_bitmap/avm1_color,
// filters/drop_shadow). Low quality, so single pixels tell.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::square;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;

struct CacheRenderTest : testing::Test, test::EngineFixture {
    enum class Via { Direct, Cache, Filter };

    // A red square 0..10 pixels placed at (12.5, 12.5).
    QImage draw(Via via) {
        swfwrite::MovieBuilder b(8, 40, 40);
        const uint16_t red = b.define(square(0, 0, 10, 10, {255, 0, 0, 255}));
        swf::PlaceObject p = test::placing3(red, 1);
        p.matrix->tx = p.matrix->ty = 250;
        if (via == Via::Cache) {
            p.cacheAsBitmap = true;
        } else if (via == Via::Filter) {
            swf::Filter identity;  // a colour matrix that changes nothing
            identity.type = swf::FilterType::ColorMatrix;
            identity.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
            p.filters = std::vector<swf::Filter>{identity};
        }
        b.place(p);
        b.showFrame();
        EXPECT_TRUE(load(b));
        return render(40, 40, flash::Quality::Low);
    }
};

TEST_F(CacheRenderTest, ACachedOrFilteredObjectIsRoundedOntoWholePixels) {
    // Drawn directly, the centres on the square's left and top edges (12.5) are inside and
    // those on its right and bottom (22.5) are not; through a bitmap it starts at pixel 13.
    const QImage direct = draw(Via::Direct);
    EXPECT_EQ(direct.pixel(12, 12), kRed);
    EXPECT_EQ(direct.pixel(22, 15), kWhite);
    EXPECT_EQ(direct.pixel(15, 22), kWhite);
    for (Via via : {Via::Cache, Via::Filter}) {
        SCOPED_TRACE(via == Via::Cache ? "cached" : "filtered");
        const QImage image = draw(via);
        EXPECT_EQ(image.pixel(12, 15), kWhite);
        EXPECT_EQ(image.pixel(15, 12), kWhite);
        EXPECT_EQ(image.pixel(13, 13), kRed);
        EXPECT_EQ(image.pixel(22, 22), kRed);
        EXPECT_EQ(image.pixel(23, 15), kWhite);
    }
}

}  // namespace
}  // namespace pencora::runtime
