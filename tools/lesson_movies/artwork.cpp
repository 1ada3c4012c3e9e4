#include "artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/flash/swfwrite/shape_builder.h"

namespace lesson_movies {

namespace {

using namespace pencora;
using swf::Rgba;

int32_t tw(double px) {
    return static_cast<int32_t>(std::lround(px * kTwips));
}

struct Point {
    double x, y;
};

swf::Shape polygon(const std::vector<Point>& points, Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    b.moveTo(tw(points.front().x), tw(points.front().y));
    for (std::size_t k = 1; k <= points.size(); ++k) {
        const Point& p = points[k % points.size()];
        b.lineTo(tw(p.x), tw(p.y));
    }
    return b.build();
}

swf::Shape ellipse(double cx, double cy, double rx, double ry, Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    const double c = 1 / std::cos(std::numbers::pi / 8);
    b.moveTo(tw(cx + rx), tw(cy));
    for (int k = 1; k <= 8; ++k) {
        const double mid = (k - 0.5) * std::numbers::pi / 4;
        const double end = k * std::numbers::pi / 4;
        b.curveTo(tw(cx + rx * c * std::cos(mid)), tw(cy + ry * c * std::sin(mid)),
                  tw(cx + rx * std::cos(end)), tw(cy + ry * std::sin(end)));
    }
    return b.build();
}

// A smooth hill: a half-ellipse standing on the ground line.
swf::Shape hill(double x0, double x1, double ground, double height, Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    const double mid = (x0 + x1) / 2;
    b.moveTo(tw(x0), tw(ground));
    b.curveTo(tw(x0), tw(ground - height), tw(mid), tw(ground - height));
    b.curveTo(tw(x1), tw(ground - height), tw(x1), tw(ground));
    b.lineTo(tw(x0), tw(ground));
    return b.build();
}

Rgba mix(Rgba a, Rgba b, double t) {
    auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (y - x) * t); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), 255};
}

bool mentions(const std::u32string& title, std::u32string_view chars) {
    return title.find_first_of(chars) != std::u32string::npos;
}

// Collects the shapes of a scene, back to front.
class Scenery {
  public:
    Scenery(swfwrite::MovieBuilder& movie, const Box& area) : movie_(movie), a_(area) {}
    double x(double f) const { return a_.x0 + f * (a_.x1 - a_.x0); }
    double y(double f) const { return a_.y0 + f * (a_.y1 - a_.y0); }
    double w(double f) const { return f * (a_.x1 - a_.x0); }
    void add(const swf::Shape& s) { ids_.push_back(movie_.define(s)); }
    // The scene clipped to its area by a mask at depth 1.
    uint16_t sprite() {
        swfwrite::TimelineBuilder t;
        swf::PlaceObject mask;
        mask.depth = 1;
        mask.characterId = movie_.define(polygon(
            {{a_.x0, a_.y0}, {a_.x1, a_.y0}, {a_.x1, a_.y1}, {a_.x0, a_.y1}}, {0, 0, 0, 255}));
        mask.matrix = swf::Matrix{};
        mask.clipDepth = static_cast<uint16_t>(ids_.size() + 1);
        t.place(mask);
        for (std::size_t k = 0; k < ids_.size(); ++k) {
            t.place(ids_[k], static_cast<uint16_t>(k + 2));
        }
        t.showFrame();
        return movie_.define(t.sprite());
    }

  private:
    swfwrite::MovieBuilder& movie_;
    Box a_;
    std::vector<uint16_t> ids_;
};

void sky(Scenery& s, Rgba top, Rgba bottom, double groundAt) {
    // Bands of colour stand in for a gradient.
    const int bands = 6;
    for (int k = 0; k < bands; ++k) {
        const double y0 = s.y(groundAt * k / bands), y1 = s.y(groundAt * (k + 1) / bands) + 1;
        s.add(polygon({{s.x(0), y0}, {s.x(1), y0}, {s.x(1), y1}, {s.x(0), y1}},
                      mix(top, bottom, double(k) / (bands - 1))));
    }
}

void ground(Scenery& s, double at, Rgba color) {
    s.add(
        polygon({{s.x(0), s.y(at)}, {s.x(1), s.y(at)}, {s.x(1), s.y(1)}, {s.x(0), s.y(1)}}, color));
}

void tree(Scenery& s, double fx, double base, double size, Rgba leaves) {
    const double cx = s.x(fx), by = s.y(base), r = s.w(size);
    s.add(polygon({{cx - r * 0.12, by},
                   {cx + r * 0.12, by},
                   {cx + r * 0.1, by - r * 1.2},
                   {cx - r * 0.1, by - r * 1.2}},
                  {120, 80, 45, 255}));
    s.add(ellipse(cx, by - r * 1.55, r * 0.8, r * 0.7, leaves));
    s.add(ellipse(cx - r * 0.25, by - r * 1.7, r * 0.4, r * 0.35,
                  mix(leaves, {255, 255, 255, 255}, 0.2)));
}

void flower(Scenery& s, double fx, double fy, double r, Rgba petals) {
    const double cx = s.x(fx), cy = s.y(fy);
    for (int k = 0; k < 5; ++k) {
        const double a = k * 2 * std::numbers::pi / 5;
        s.add(ellipse(cx + r * std::cos(a), cy + r * std::sin(a), r * 0.75, r * 0.75, petals));
    }
    s.add(ellipse(cx, cy, r * 0.6, r * 0.6, {250, 210, 60, 255}));
}

void house(Scenery& s, double fx, double base, double size) {
    const double x0 = s.x(fx), x1 = x0 + s.w(size), by = s.y(base), h = s.w(size) * 0.7;
    s.add(polygon({{x0, by}, {x1, by}, {x1, by - h}, {x0, by - h}}, {245, 232, 205, 255}));
    s.add(polygon({{x0 - 8, by - h}, {(x0 + x1) / 2, by - h * 1.8}, {x1 + 8, by - h}},
                  {200, 70, 55, 255}));
    const double dw = (x1 - x0) * 0.22;
    s.add(polygon({{(x0 + x1) / 2 - dw / 2, by},
                   {(x0 + x1) / 2 + dw / 2, by},
                   {(x0 + x1) / 2 + dw / 2, by - h * 0.55},
                   {(x0 + x1) / 2 - dw / 2, by - h * 0.55}},
                  {140, 95, 60, 255}));
}

void sun(Scenery& s, double fx, double fy, double r) {
    s.add(ellipse(s.x(fx), s.y(fy), s.w(r) * 1.35, s.w(r) * 1.35, {255, 236, 150, 255}));
    s.add(ellipse(s.x(fx), s.y(fy), s.w(r), s.w(r), {255, 196, 40, 255}));
}

void waves(Scenery& s, double from, Rgba water) {
    ground(s, from, water);
    for (int row = 0; row < 3; ++row) {
        const double y = s.y(from + 0.08 + row * 0.09);
        for (int k = 0; k < 4; ++k) {
            const double x = s.x(0.08 + k * 0.24 + (row % 2) * 0.1);
            s.add(ellipse(x, y, s.w(0.07), 2.5, mix(water, {255, 255, 255, 255}, 0.45)));
        }
    }
}

void boat(Scenery& s, double fx, double fy) {
    const double x = s.x(fx), y = s.y(fy), w = s.w(0.3);
    s.add(polygon({{x, y}, {x + w, y}, {x + w * 0.85, y + w * 0.22}, {x + w * 0.15, y + w * 0.22}},
                  {150, 90, 50, 255}));
    s.add(polygon({{x + w * 0.5, y - 4}, {x + w * 0.5, y - w * 0.75}, {x + w * 0.9, y - 4}},
                  {250, 250, 245, 255}));
}

void mountains(Scenery& s, double base, Rgba far, Rgba near) {
    s.add(polygon({{s.x(-0.1), s.y(base)}, {s.x(0.3), s.y(base - 0.45)}, {s.x(0.65), s.y(base)}},
                  far));
    s.add(polygon({{s.x(0.35), s.y(base)}, {s.x(0.72), s.y(base - 0.55)}, {s.x(1.1), s.y(base)}},
                  far));
    s.add(polygon({{s.x(0.1), s.y(base)}, {s.x(0.45), s.y(base - 0.3)}, {s.x(0.85), s.y(base)}},
                  near));
    s.add(polygon({{s.x(0.72), s.y(base - 0.55)},
                   {s.x(0.78), s.y(base - 0.47)},
                   {s.x(0.66), s.y(base - 0.47)}},
                  {250, 250, 250, 255}));
}

}  // namespace

swf::Shape roundedBox(const Box& box, double radius, Rgba fill, double lineWidth, Rgba line) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(fill)));
    if (lineWidth > 0) {
        b.line(b.addLine(swfwrite::solidLine(static_cast<uint16_t>(tw(lineWidth)), line)));
    }
    const double r = std::min({radius, (box.x1 - box.x0) / 2, (box.y1 - box.y0) / 2});
    b.moveTo(tw(box.x0 + r), tw(box.y0));
    b.lineTo(tw(box.x1 - r), tw(box.y0));
    b.curveTo(tw(box.x1), tw(box.y0), tw(box.x1), tw(box.y0 + r));
    b.lineTo(tw(box.x1), tw(box.y1 - r));
    b.curveTo(tw(box.x1), tw(box.y1), tw(box.x1 - r), tw(box.y1));
    b.lineTo(tw(box.x0 + r), tw(box.y1));
    b.curveTo(tw(box.x0), tw(box.y1), tw(box.x0), tw(box.y1 - r));
    b.lineTo(tw(box.x0), tw(box.y0 + r));
    b.curveTo(tw(box.x0), tw(box.y0), tw(box.x0 + r), tw(box.y0));
    return b.build();
}

Scene sceneFor(const std::u32string& title) {
    if (mentions(title, U"月星夜灯光梦")) {
        return Scene::Night;
    }
    if (mentions(title, U"雪冬")) {
        return Scene::Snow;
    }
    if (mentions(title, U"水河海湖潭鱼船洼泉潮岛峡渔雨洲鹅")) {
        return Scene::Water;
    }
    if (mentions(title, U"山石峰岭城洞画")) {
        return Scene::Mountains;
    }
    if (mentions(title, U"花春柳草树叶园果桃梅荷苗蜂虫鸟燕杨桂林")) {
        return Scene::Garden;
    }
    return Scene::Fields;
}

uint16_t defineIllustration(swfwrite::MovieBuilder& movie, Scene scene, int seed, const Box& area) {
    Scenery s(movie, area);
    const double shift = (seed % 7) / 7.0;
    const Rgba grass = mix({120, 190, 80, 255}, {200, 170, 70, 255}, (seed % 3) / 3.0);
    switch (scene) {
        case Scene::Night:
            sky(s, {20, 30, 80, 255}, {60, 70, 140, 255}, 0.75);
            s.add(ellipse(s.x(0.72), s.y(0.22), s.w(0.11), s.w(0.11), {255, 240, 170, 255}));
            s.add(ellipse(s.x(0.76), s.y(0.19), s.w(0.1), s.w(0.1), {40, 50, 110, 255}));
            for (int k = 0; k < 9; ++k) {
                const double fx = std::fmod(0.07 + k * 0.37 + shift, 0.95);
                const double fy = 0.08 + 0.5 * std::fmod(k * 0.29 + shift, 1.0);
                s.add(ellipse(s.x(fx), s.y(fy), 2.2, 2.2, {255, 255, 220, 255}));
            }
            ground(s, 0.75, {40, 70, 60, 255});
            house(s, 0.15 + shift * 0.3, 0.88, 0.28);
            break;
        case Scene::Snow:
            sky(s, {170, 200, 230, 255}, {225, 235, 245, 255}, 0.65);
            ground(s, 0.65, {250, 252, 255, 255});
            tree(s, 0.2 + shift * 0.2, 0.7, 0.12, {235, 240, 245, 255});
            s.add(ellipse(s.x(0.68), s.y(0.8), s.w(0.12), s.w(0.11), {255, 255, 255, 255}));
            s.add(ellipse(s.x(0.68), s.y(0.62), s.w(0.08), s.w(0.08), {255, 255, 255, 255}));
            s.add(
                polygon({{s.x(0.68), s.y(0.62)}, {s.x(0.75), s.y(0.635)}, {s.x(0.68), s.y(0.645)}},
                        {240, 130, 40, 255}));
            break;
        case Scene::Water:
            sky(s, {110, 170, 230, 255}, {200, 230, 250, 255}, 0.55);
            sun(s, 0.2 + shift * 0.6, 0.18, 0.07);
            waves(s, 0.55, {60, 140, 200, 255});
            boat(s, 0.35 + shift * 0.25, 0.6);
            break;
        case Scene::Mountains:
            sky(s, {120, 180, 235, 255}, {210, 235, 250, 255}, 0.8);
            sun(s, 0.15 + shift * 0.2, 0.16, 0.06);
            mountains(s, 0.8, {110, 140, 170, 255}, {90, 150, 90, 255});
            ground(s, 0.8, grass);
            break;
        case Scene::Garden:
            sky(s, {150, 205, 245, 255}, {225, 245, 250, 255}, 0.6);
            sun(s, 0.8 - shift * 0.2, 0.15, 0.07);
            ground(s, 0.6, grass);
            tree(s, 0.25, 0.65, 0.13, {70, 150, 70, 255});
            for (int k = 0; k < 5; ++k) {
                flower(s, 0.12 + k * 0.19, 0.78 + 0.08 * ((k + seed) % 2), 5,
                       k % 2 ? Rgba{240, 120, 160, 255} : Rgba{250, 250, 250, 255});
            }
            break;
        case Scene::Fields:
            sky(s, {130, 190, 240, 255}, {215, 238, 250, 255}, 0.62);
            sun(s, 0.78, 0.17, 0.07);
            s.add(hill(s.x(-0.2), s.x(0.7), s.y(0.66), s.w(0.22),
                       mix(grass, {60, 120, 60, 255}, 0.3)));
            s.add(hill(s.x(0.4), s.x(1.2), s.y(0.66), s.w(0.16),
                       mix(grass, {60, 120, 60, 255}, 0.15)));
            ground(s, 0.65, grass);
            house(s, 0.15 + shift * 0.4, 0.86, 0.3);
            tree(s, 0.85, 0.88, 0.09, {80, 160, 70, 255});
            break;
    }
    return s.sprite();
}

}  // namespace lesson_movies
