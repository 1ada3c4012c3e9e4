// Judging runs: trace text exactly or within approximations, images within tolerances.
#include <gtest/gtest.h>

#include "output_compare.h"

namespace pencora::swfplay {
namespace {

TEST(CompareTrace, JudgesExactlyOrWithinTheApproximations) {
    const Approximations bare{0.01, true, {}};
    const Approximations patterns{1e-9, false, {"(\\d+\\.\\d+)"}};
    struct Row {
        const char* name;
        const char* actual;
        const char* expected;
        std::optional<Approximations> approx;
        bool pass;
        const char* reason;
    };
    const Row rows[] = {
        {"equal", "a\nb\n", "a\nb\n", std::nullopt, true, ""},
        {"line endings and final break", "a\r\nb", "a\nb\n", std::nullopt, true, ""},
        {"differs", "a\nc\n", "a\nb\n", std::nullopt, false, "line 2: expected 'b', got 'c'"},
        {"missing line", "a\n", "a\nb\n", std::nullopt, false,
         "1 lines, expected 2; first missing: 'b'"},
        {"extra line", "a\nb\nz\n", "a\nb\n", std::nullopt, false,
         "3 lines, expected 2; first extra: 'z'"},
        {"nothing at all", "", "x\n", std::nullopt, false,
         "0 lines, expected 1; first missing: 'x'"},
        {"numbers need approximations", "0.3", "0.30000000000000004", std::nullopt, false,
         "line 1: expected '0.30000000000000004', got '0.3'"},
        {"bare within epsilon", "w=10.004 h=-3", "w=10 h=-3.001", bare, true, ""},
        {"bare beyond epsilon", "w=10.02", "w=10", bare, false,
         "line 1: expected 'w=10', got 'w=10.02'"},
        {"bare text must match", "x=1", "y=1", bare, false, "line 1: expected 'y=1', got 'x=1'"},
        {"bare NaN matches NaN", "NaN 1e3", "NaN 1000", bare, true, ""},
        {"bare count of numbers", "1 2", "1", bare, false, "line 1: expected '1', got '1 2'"},
        {"patterns compare captures", "v 0.1000000000001", "v 0.1", patterns, true, ""},
        {"patterns leave integers exact", "n 3 v 0.1", "n 4 v 0.1", patterns, false,
         "line 1: expected 'n 4 v 0.1', got 'n 3 v 0.1'"},
    };
    for (const Row& row : rows) {
        const Verdict v = compareTrace(row.actual, row.expected, row.approx);
        EXPECT_EQ(v.pass, row.pass) << row.name;
        EXPECT_EQ(v.reason, row.reason) << row.name;
    }
    EXPECT_FALSE(compareTrace("a", "b", Approximations{0, false, {"("}}).pass);  // bad pattern
}

QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TEST(CompareImages, CountsPixelsBeyondTheTolerance) {
    QImage expected = filled(4, 4, qRgba(100, 100, 100, 255));
    QImage actual = expected;
    actual.setPixel(0, 0, qRgba(103, 100, 100, 255));
    actual.setPixel(1, 0, qRgba(100, 100, 100, 250));
    EXPECT_TRUE(compareImages(actual, expected, {5, 0}).pass);
    const Verdict strict = compareImages(actual, expected, {2, 1});
    EXPECT_FALSE(strict.pass);
    EXPECT_EQ(strict.reason, "2 pixels differ by more than 2 (largest 5, 1 allowed)");
    EXPECT_TRUE(compareImages(actual, expected, {2, 2}).pass);
    // Premultiplied and straight forms of the same colours compare equal.
    EXPECT_TRUE(compareImages(expected.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                              expected, {0, 0})
                    .pass);
    EXPECT_EQ(compareImages(filled(3, 4, 0), expected, {255, 100}).reason,
              "size 3x4, expected 4x4");
}

}  // namespace
}  // namespace pencora::swfplay
