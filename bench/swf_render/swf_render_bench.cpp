// One frame of a 1280 x 720 movie of 300 shapes (curved outlines, solid and gradient
// fills, outlines), drawn with anti-aliasing through the renderer, against the same paths
// filled directly with the painter (the floor: what QPainter costs by itself).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>

#include "platform/flash/render/drawable.h"
#include "platform/flash/render/paint_styles.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace {

using namespace pencora;
using namespace pencora::swfwrite;

struct Scene {
    std::shared_ptr<const swf::Movie> movie;
    std::vector<std::pair<uint16_t, QTransform>> objects;
};

Scene makeScene() {
    std::mt19937 rng(7);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    MovieBuilder b(8, 1280, 720);
    Scene scene;
    for (int i = 0; i < 300; ++i) {
        ShapeBuilder s;
        const int w = uni(20, 200) * 20;
        const int h = uni(20, 200) * 20;
        uint32_t fill =
            i % 3 == 0 ? s.addFill(gradientFill(swf::FillType::LinearGradient,
                                                gradientBox(0, 0, w, h, 0.5),
                                                {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 200}}}))
                       : s.addFill(solidFill({static_cast<uint8_t>(uni(0, 255)),
                                              static_cast<uint8_t>(uni(0, 255)),
                                              static_cast<uint8_t>(uni(0, 255)), 220}));
        uint32_t line = s.addLine(solidLine(40, {0, 0, 0, 255}));
        s.fill1(fill).line(line).moveTo(0, h / 2);
        s.curveTo(0, 0, w / 2, 0)
            .curveTo(w, 0, w, h / 2)
            .curveTo(w, h, w / 2, h)
            .curveTo(0, h, 0, h / 2);
        uint16_t id = b.define(s.build());
        QTransform m = QTransform::fromTranslate(uni(0, 1200), uni(0, 650));
        scene.objects.emplace_back(id, QTransform::fromScale(0.05, 0.05) * m);
    }
    scene.movie = swf::readMovie(b.write()).movie;
    return scene;
}

void BM_RendererFrame(benchmark::State& state) {
    Scene scene = makeScene();
    swf::render::Library lib(scene.movie);
    std::vector<std::pair<std::shared_ptr<const swf::render::Drawable>, QTransform>> list;
    for (const auto& [id, m] : scene.objects) {
        list.emplace_back(lib.prepare(id), m);
    }
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (const auto& [d, m] : list) {
            swf::render::draw(*d, p, m);
        }
    }
}
BENCHMARK(BM_RendererFrame)->Unit(benchmark::kMillisecond);

void BM_PainterFloor(benchmark::State& state) {
    Scene scene = makeScene();
    swf::render::Library lib(scene.movie);
    // The same paths and brushes, mapped and built once: only the painter's work is left.
    struct Item {
        QPainterPath fill;
        QBrush brush;
        QPainterPath line;
        QPen pen;
    };
    std::vector<Item> items;
    for (const auto& [id, m] : scene.objects) {
        auto d = lib.prepare(id);
        const auto& g = d->shape.groups[0];
        Item it;
        it.fill = m.map(g.fills[0].path);
        it.brush = swf::render::fillBrush(g.fills[0].style, m, {}, {});
        it.line = m.map(g.lines[0].path);
        it.pen = swf::render::linePen(g.lines[0].style, m, {}, {});
        items.push_back(it);
    }
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (const auto& it : items) {
            p.fillPath(it.fill, it.brush);
            p.strokePath(it.line, it.pen);
        }
    }
}
BENCHMARK(BM_PainterFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Nothing here opens a window; without a display the offscreen platform does.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
