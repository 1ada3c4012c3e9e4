// The picture swfplay renders by default: the stage size, shrunk to the largest side --size
// accepts when a header declares an absurd stage.
#include <gtest/gtest.h>

#include "movie_host.h"

namespace pencora::swfplay {
namespace {

TEST(RenderSize, StageSizeUpToTheCapShrunkInProportionBeyondIt) {
    struct Row {
        int width, height;
        int expectedWidth, expectedHeight;
    };
    const Row rows[] = {
        {550, 400, 550, 400},
        {kMaxRenderSide, kMaxRenderSide, kMaxRenderSide, kMaxRenderSide},
        {40000, 30000, kMaxRenderSide, 12288},  // 5 GB asked for, 800 MB given
        {1, 2000000000, 1, kMaxRenderSide},     // a sliver stays at least a pixel wide
        {2000000000, 2000000000, kMaxRenderSide, kMaxRenderSide},
        {0, -5, 1, 1},
    };
    for (const Row& r : rows) {
        const RenderSize size = fitRenderSize(r.width, r.height);
        EXPECT_EQ(size.width, r.expectedWidth) << r.width << "x" << r.height;
        EXPECT_EQ(size.height, r.expectedHeight) << r.width << "x" << r.height;
    }
}

}  // namespace
}  // namespace pencora::swfplay
