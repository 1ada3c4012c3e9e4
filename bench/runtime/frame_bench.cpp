// Frame drawing cost: a 1280 x 720 movie of 300 curved shapes with anti-aliasing, drawn by the
// runtime (display-list walk, draw commands, the shape renderer), against the same paths
// filled directly with QPainter into the same buffer.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <random>

#include "platform/flash/runtime/swf_movie_engine.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace {

using namespace pencora;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kShapes = 300;

struct Blob {
    int x, y, r;  // pixels
    swf::Rgba color;
};

std::vector<Blob> blobs() {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(0, kWidth), y(0, kHeight), r(10, 80), c(0, 255);
    std::vector<Blob> out;
    for (int i = 0; i < kShapes; ++i) {
        out.push_back(
            {x(rng),
             y(rng),
             r(rng),
             {uint8_t(c(rng)), uint8_t(c(rng)), uint8_t(c(rng)), uint8_t(128 + c(rng) / 2)}});
    }
    return out;
}

// A blob: four quadratic curves around a diamond, in twips.
template <class F>
void blobOutline(const Blob& b, F&& curve) {
    const int x = b.x * 20, y = b.y * 20, r = b.r * 20;
    curve(x + r, y + r, x + r, y);
    curve(x + r, y - r, x, y - r);
    curve(x - r, y - r, x - r, y);
    curve(x - r, y + r, x, y + r);
}

swf::Bytes movie(const std::vector<Blob>& list) {
    swfwrite::MovieBuilder m(8, kWidth, kHeight, 24);
    uint16_t depth = 1;
    for (const Blob& b : list) {
        swfwrite::ShapeBuilder s;
        s.fill1(s.addFill(swfwrite::solidFill(b.color))).moveTo((b.x) * 20, (b.y + b.r) * 20);
        blobOutline(b, [&](int cx, int cy, int ax, int ay) { s.curveTo(cx, cy, ax, ay); });
        m.place(m.define(s.build()), depth++);
    }
    m.showFrame();
    return m.write();
}

void BM_RuntimeFrame(benchmark::State& state) {
    const auto list = blobs();
    const swf::Bytes bytes = movie(list);
    auto engine = runtime::createSwfMovieEngine();
    if (!engine->loadMovie(0, bytes, u"bench.swf", {})) {
        state.SkipWithError("the movie did not load");
        return;
    }
    engine->runFrame();
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    flash::RenderTarget target{image.bits(), kWidth, kHeight, int(image.bytesPerLine()), 0, 0,
                               kWidth,       kHeight};
    flash::RenderOptions options;
    for (auto _ : state) {
        engine->render(target, options);
        benchmark::DoNotOptimize(image.bits());
    }
    if (!qgetenv("PENCORA_BENCH_SAVE").isEmpty()) {
        image.save(QString::fromLocal8Bit(qgetenv("PENCORA_BENCH_SAVE")));
    }
}
BENCHMARK(BM_RuntimeFrame)->Unit(benchmark::kMillisecond);

void BM_PainterFloor(benchmark::State& state) {
    const auto list = blobs();
    std::vector<std::pair<QPainterPath, QColor>> paths;
    for (const Blob& b : list) {
        QPainterPath p;
        p.moveTo(b.x * 20, (b.y + b.r) * 20);
        blobOutline(b, [&](int cx, int cy, int ax, int ay) { p.quadTo(cx, cy, ax, ay); });
        paths.emplace_back(QTransform::fromScale(0.05, 0.05).map(p),
                           QColor(b.color.r, b.color.g, b.color.b, b.color.a));
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const auto& [p, c] : paths) {
            painter.fillPath(p, c);
        }
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_PainterFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
