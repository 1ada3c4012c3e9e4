// The deblocking filter on planes built by hand: steps between blocks are smoothed by the
// amounts the filter's rule gives (rounding down both ways), steps too large for the strength
// and steps inside a block stay, and planes too small or misdescribed are left alone.
#include <gtest/gtest.h>

#include <vector>

#include "platform/flash/video/deblock_filter.h"

namespace pencora::flash::video {
namespace {

// A plane `width` x `height` whose columns before `split` hold `left` and the rest `right`.
std::vector<uint8_t> columnsPlane(int width, int height, int split, uint8_t left, uint8_t right) {
    std::vector<uint8_t> s(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s[size_t(y) * width + x] = x < split ? left : right;
        }
    }
    return s;
}

std::vector<int> row(const std::vector<uint8_t>& s, int width, int y, int from, int to) {
    return std::vector<int>(s.begin() + y * width + from, s.begin() + y * width + to);
}

TEST(DeblockFilter, StrengthFollowsTheQuantizer) {
    EXPECT_EQ(deblockStrength(1), 1);
    EXPECT_EQ(deblockStrength(8), 4);
    EXPECT_EQ(deblockStrength(31), 12);
    EXPECT_EQ(deblockStrength(0), 1);  // out of range: the nearest quantizer
    EXPECT_EQ(deblockStrength(99), 12);
}

TEST(DeblockFilter, StepsBetweenBlocksAreSmoothedRoundingDown) {
    // Rising 100 -> 120 across the edge at column 8: (a - 4b + 4c - d) / 8 = 7.5 gives 7.
    auto up = columnsPlane(16, 8, 8, 100, 120);
    deblockPlane({up, 16, 8, 16}, 12);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(row(up, 16, y, 5, 11), (std::vector<int>{100, 103, 107, 113, 117, 120}));
    }
    // Falling 120 -> 100: -7.5 gives -8, one level more than the rising step moves.
    auto down = columnsPlane(16, 8, 8, 120, 100);
    deblockPlane({down, 16, 8, 16}, 12);
    EXPECT_EQ(row(down, 16, 3, 5, 11), (std::vector<int>{120, 116, 112, 108, 104, 100}));
}

TEST(DeblockFilter, LargeStepsAndStepsInsideBlocksStay) {
    // At strength 2 a step of 7 is an edge of the picture: nothing moves.
    auto strong = columnsPlane(16, 8, 8, 100, 120);
    const auto before = strong;
    deblockPlane({strong, 16, 8, 16}, 2);
    EXPECT_EQ(strong, before);
    // A step at column 4 lies inside a block.
    auto inside = columnsPlane(16, 8, 4, 100, 120);
    const auto insideBefore = inside;
    deblockPlane({inside, 16, 8, 16}, 12);
    EXPECT_EQ(inside, insideBefore);
}

TEST(DeblockFilter, EdgesBetweenRowsOfBlocksToo) {
    // Rows 0..7 at 100, rows 8..15 at 120, with padding beyond the width in each row.
    const int stride = 12;
    std::vector<uint8_t> s(size_t(stride) * 16, 7);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
            s[size_t(y) * stride + x] = y < 8 ? 100 : 120;
        }
    }
    deblockPlane({s, 8, 16, stride}, 12);
    std::vector<int> column;
    for (int y = 5; y < 11; ++y) {
        column.push_back(s[size_t(y) * stride + 3]);
    }
    EXPECT_EQ(column, (std::vector<int>{100, 103, 107, 113, 117, 120}));
    EXPECT_EQ(s[size_t(9) * stride + 8], 7);  // the padding is not the picture's
}

TEST(DeblockFilter, PlanesThatDoNotFitTheirSamplesAreLeftAlone) {
    auto s = columnsPlane(16, 8, 8, 100, 120);
    const auto before = s;
    deblockPlane({s, 16, 9, 16}, 12);  // one row more than there is
    deblockPlane({s, 17, 8, 16}, 12);  // rows wider than their stride
    deblockPlane({s, 0, 8, 16}, 12);
    deblockPlane({{}, 16, 8, 16}, 12);
    EXPECT_EQ(s, before);
    std::vector<uint8_t> tiny = {1, 2, 3};  // smaller than a block: no edges
    deblockPlane({tiny, 3, 1, 3}, 12);
    EXPECT_EQ(tiny, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace pencora::flash::video
