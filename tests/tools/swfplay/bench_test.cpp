// swfplay bench: the figures it prints from frame costs, the dirty areas it counts, and the
// composition of a dirty area at its place in the frame (with the stand-in engine, which
// paints its stage colour wherever it is asked to draw).
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "bench.h"
#include "forwarding_engine.h"
#include "platform/flash/control/flash_control.h"
#include "stub_movie.h"

namespace pencora::swfplay {
namespace {

constexpr QRgb kStage = 0xFF336699, kWhite = 0xFFFFFFFF;

TEST(BenchFigures, MedianPercentileAndRedrawnShares) {
    std::vector<FrameCost> costs;
    for (int i = 1; i <= 20; ++i) {
        costs.push_back({double(i), i == 1 ? 1.0 : (i % 2 ? 0.25 : 0.0)});
    }
    const BenchFigures f = summarize(costs);
    EXPECT_EQ(f.frames, 20);
    EXPECT_DOUBLE_EQ(f.medianMs, 10.5) << "even count: between the middle two";
    EXPECT_DOUBLE_EQ(f.p95Ms, 19) << "19 of 20 frames cost at most 19 ms";
    EXPECT_EQ(f.fullRedraws, 1);
    EXPECT_EQ(f.idleFrames, 10);
    EXPECT_DOUBLE_EQ(f.meanRedrawn, (1.0 + 9 * 0.25) / 20);

    costs.pop_back();  // 19 frames: the middle one; 95 % of 19 rounds up to the 19th
    EXPECT_DOUBLE_EQ(summarize(costs).medianMs, 10);
    EXPECT_DOUBLE_EQ(summarize(costs).p95Ms, 19);
    EXPECT_EQ(summarize({}).frames, 0);
    EXPECT_DOUBLE_EQ(summarize({{3, 0.5}}).p95Ms, 3);
}

// Invalidates, each frame, the next of a list of stage areas (none: the whole stage).
class DirtyEngine final : public test::ForwardingEngine {
  public:
    explicit DirtyEngine(std::vector<std::optional<flash::StageRect>> areas)
        : areas_(std::move(areas)) {}
    void setHost(flash::MovieEngineHost* host) override {
        host_ = host;
        inner_->setHost(host);
    }
    void runFrame() override {
        inner_->runFrame();
        if (host_ && next_ < areas_.size()) {
            if (const auto& a = areas_[next_]) {
                host_->invalidate(*a);
            } else {
                host_->invalidate(std::nullopt);
            }
        }
        ++next_;
    }

  private:
    std::vector<std::optional<flash::StageRect>> areas_;
    size_t next_ = 0;
    flash::MovieEngineHost* host_ = nullptr;
};

struct BenchRun : testing::Test {
    // One movie per test: ctest runs the tests of this fixture side by side.
    std::filesystem::path movie =
        std::filesystem::temp_directory_path() /
        (std::string("pencora_bench_") +
         testing::UnitTest::GetInstance()->current_test_info()->name() + ".swf");
    BenchRun() { test::writeStubMovie(movie); }
    ~BenchRun() override { std::filesystem::remove(movie); }
};

TEST_F(BenchRun, CountsWhatEachFrameAskedToRedraw) {
    // 55 x 40 stage pixels; the control adds a pixel all round: 57 x 42 of 550 x 400.
    const flash::StageRect small{10, 20, 65, 60};
    const flash::StageRect other{500, 300, 555, 340};  // the same size, cut at the edge
    flash::registerFlashControl([&] {
        return std::make_unique<DirtyEngine>(
            std::vector<std::optional<flash::StageRect>>{std::nullopt, small, other});
    });
    MovieHost host;
    ASSERT_TRUE(host.load(movie));
    const auto costs = playFrames(host, 550, 400, 5);
    ASSERT_EQ(costs.size(), 5u);
    EXPECT_DOUBLE_EQ(costs[0].redrawnShare, 1.0);
    EXPECT_DOUBLE_EQ(costs[1].redrawnShare, 57.0 * 42 / (550 * 400));
    EXPECT_DOUBLE_EQ(costs[2].redrawnShare, 51.0 * 42 / (550 * 400));
    EXPECT_DOUBLE_EQ(costs[3].redrawnShare, 0.0) << "a frame that asks nothing redraws nothing";
    EXPECT_DOUBLE_EQ(costs[4].redrawnShare, 0.0);
    for (const FrameCost& c : costs) {
        EXPECT_GE(c.milliseconds, 0.0);
    }
}

TEST_F(BenchRun, ADirtyAreaIsComposedAtItsPlaceAndNowhereElse) {
    flash::registerFlashControl(flash::createStubMovieEngine);
    MovieHost host;
    ASSERT_TRUE(host.load(movie));
    host.setSize(550, 400);
    FrameComposer composer(550, 400);
    composer.compose(host, QRect(100, 50, 30, 20));
    const QImage& screen = composer.screen();
    EXPECT_EQ(screen.pixel(100, 50), kStage);
    EXPECT_EQ(screen.pixel(129, 69), kStage);
    EXPECT_EQ(screen.pixel(99, 50), kWhite);
    EXPECT_EQ(screen.pixel(130, 69), kWhite);
    EXPECT_EQ(screen.pixel(129, 70), kWhite);
    EXPECT_EQ(screen.pixel(0, 0), kWhite) << "the area's own corner, not the frame's";
    // An area reaching past the frame is cut to it; what earlier areas put on the screen stays.
    composer.compose(host, QRect(540, 390, 40, 40));
    EXPECT_EQ(composer.screen().pixel(549, 399), kStage);
    EXPECT_EQ(composer.screen().pixel(539, 399), kWhite);
    EXPECT_EQ(composer.screen().pixel(100, 50), kStage);
}

}  // namespace
}  // namespace pencora::swfplay
