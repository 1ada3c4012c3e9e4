// Writes the main window's movies of our own into a folder (normally src/app/resources/movies):
//   LOSE  the quiz success animation: a star that springs up inside a green ring, 110 x 110
//         pixels, 13 frames at 12 frames per second, stopping on its last frame, so that
//         every Play() runs it once more from the start;
//   LABA  the dictation loudspeaker: 240 x 240 pixels, one frame at 12 frames per second, a
//         loudspeaker whose sound waves pulse, and two buttons whose release sends the
//         commands "btnread" ("朗读", read the entry again) and "btnnext" ("下一个", the
//         next entry). Each button carries a picture (a circling arrow, a forward arrow)
//         and a caption under it that a first-grader reads: "再听一遍" and "下一个"; the
//         captions are outlines of the font "Noto Sans CJK SC" (Debian's fonts-noto-cjk).
// Both are compressed version 9 movies. Run it again after changing a movie and commit its
// output:
//   app_movies src/app/resources/movies
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>

#include <QGuiApplication>

#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"
#include "text_outline.h"

namespace {

using namespace pencora;

constexpr int kTwips = 20;

// A getURL action to "FSCommand:<command>" with its argument (UTF-8, as from version 6).
swf::Bytes fsCommand(const std::string& command, const std::string& argument) {
    const std::string url = "FSCommand:" + command;
    swf::Bytes body(url.begin(), url.end());
    body.push_back(0);
    body.insert(body.end(), argument.begin(), argument.end());
    body.push_back(0);
    swf::Bytes bytes{0x83, static_cast<std::uint8_t>(body.size()),
                     static_cast<std::uint8_t>(body.size() >> 8)};
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0);
    return bytes;
}

swf::Bytes stopAction() {
    return {0x07, 0x00};
}

// A closed circle of eight quadratic arcs (twips), drawn with the builder's current styles.
void circle(swfwrite::ShapeBuilder& b, double cx, double cy, double r) {
    const double control = r / std::cos(std::numbers::pi / 8);
    b.moveTo(static_cast<int32_t>(cx + r), static_cast<int32_t>(cy));
    for (int k = 1; k <= 8; ++k) {
        const double mid = (k - 0.5) * std::numbers::pi / 4;
        const double end = k * std::numbers::pi / 4;
        b.curveTo(static_cast<int32_t>(cx + control * std::cos(mid)),
                  static_cast<int32_t>(cy + control * std::sin(mid)),
                  static_cast<int32_t>(cx + r * std::cos(end)),
                  static_cast<int32_t>(cy + r * std::sin(end)));
    }
}

swf::Shape disc(double cx, double cy, double r, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    circle(b, cx, cy, r);
    return b.build();
}

swf::Shape ring(double cx, double cy, double r, int width, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    b.line(b.addLine(swfwrite::solidLine(static_cast<uint16_t>(width), color)));
    circle(b, cx, cy, r);
    return b.build();
}

// A closed polygon through the points (twips).
swf::Shape polygon(const std::vector<std::pair<double, double>>& points, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    b.moveTo(static_cast<int32_t>(points.front().first),
             static_cast<int32_t>(points.front().second));
    for (std::size_t k = 1; k <= points.size(); ++k) {
        const auto& p = points[k % points.size()];
        b.lineTo(static_cast<int32_t>(p.first), static_cast<int32_t>(p.second));
    }
    return b.build();
}

// A five-pointed star about the origin, its tips at radius r, the first one straight up.
swf::Shape star(double r, swf::Rgba color) {
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < 10; ++k) {
        const double radius = (k % 2 == 0) ? r : r * 0.42;
        const double angle = -std::numbers::pi / 2 + k * std::numbers::pi / 5;
        points.emplace_back(radius * std::cos(angle), radius * std::sin(angle));
    }
    return polygon(points, color);
}

swf::Matrix scaledAt(double scale, double x, double y) {
    swf::Matrix m;
    m.a = scale;
    m.d = scale;
    m.tx = static_cast<int32_t>(x * kTwips);
    m.ty = static_cast<int32_t>(y * kTwips);
    return m;
}

swf::Bytes successMovie() {
    swfwrite::MovieBuilder b(9, 110, 110, 12);
    b.background({255, 255, 255, 255});
    const std::uint16_t halo = b.define(disc(0, 0, 50 * kTwips, {222, 247, 214, 255}));
    const std::uint16_t border = b.define(ring(0, 0, 50 * kTwips, 4 * kTwips, {70, 170, 60, 255}));
    const std::uint16_t body = b.define(star(44 * kTwips, {255, 200, 30, 255}));
    const std::uint16_t shine = b.define(star(18 * kTwips, {255, 240, 160, 255}));
    // The star springs up past its size and settles; the ring follows it in.
    static constexpr double kStar[13] = {0.15, 0.3,  0.5,  0.7,  0.9, 1.08, 1.15,
                                         1.1,  1.03, 0.97, 0.98, 1.0, 1.0};
    static constexpr double kRing[13] = {0.2, 0.35, 0.5, 0.65, 0.8, 0.9, 0.96,
                                         1.0, 1.0,  1.0, 1.0,  1.0, 1.0};
    for (int frame = 0; frame < 13; ++frame) {
        const swf::Matrix ringAt = scaledAt(kRing[frame], 55, 55);
        const swf::Matrix starAt = scaledAt(kStar[frame], 55, 57);
        if (frame == 0) {
            b.place(halo, 1, ringAt).place(border, 2, ringAt).place(body, 3, starAt);
        } else {
            b.move(1, ringAt).move(2, ringAt).move(3, starAt);
        }
        if (frame == 8) {
            b.place(shine, 4, scaledAt(0.4, 55, 57));
        } else if (frame > 8) {
            b.move(4, scaledAt(0.4 + 0.15 * (frame - 8), 55, 57));
        }
        if (frame == 12) {
            b.doAction(stopAction());
        }
        b.showFrame();
    }
    return b.write(swf::Compression::Zlib);
}

// A round button: a disc with a lighter one while the mouse is over it and a darker one while
// pressed, the icon on top, the caption under it (a press on the caption counts too), and
// the command sent on release.
swf::Button roundButton(swfwrite::MovieBuilder& b, double cx, double cy, swf::Rgba up,
                        swf::Rgba over, swf::Rgba down, std::uint16_t icon, std::uint16_t caption,
                        const swf::Bytes& onRelease) {
    namespace bs = swf::button_state;
    const double r = 30 * kTwips;
    const std::uint16_t upDisc = b.define(disc(cx, cy, r, up));
    const std::uint16_t overDisc = b.define(disc(cx, cy, r, over));
    const std::uint16_t downDisc = b.define(disc(cx, cy, r, down));
    // The whole strip under the disc answers, not only the strokes of the caption.
    const double halfWidth = 50 * kTwips;
    const std::uint16_t captionArea = b.define(polygon({{cx - halfWidth, cy + r},
                                                        {cx + halfWidth, cy + r},
                                                        {cx + halfWidth, cy + r + 34 * kTwips},
                                                        {cx - halfWidth, cy + r + 34 * kTwips}},
                                                       up));
    swf::Button button;
    button.version = 2;
    auto record = [](std::uint8_t states, std::uint16_t id, std::uint16_t depth) {
        swf::ButtonRecord r;
        r.states = states;
        r.characterId = id;
        r.depth = depth;
        return r;
    };
    button.records = {record(bs::Up | bs::HitTest, upDisc, 1),
                      record(bs::Over, overDisc, 2),
                      record(bs::Down, downDisc, 3),
                      record(bs::Up | bs::Over | bs::Down, icon, 4),
                      record(bs::Up | bs::Over | bs::Down, caption, 5),
                      record(bs::HitTest, captionArea, 6)};
    button.actions.push_back({swf::button_condition::OverDownToOverUp, 0, onRelease});
    return button;
}

// The buttons are drawn about y = 195 and placed this many pixels higher.
constexpr double kButtonLift = 28;

swf::Bytes loudspeakerMovie() {
    swfwrite::MovieBuilder b(9, 240, 240, 12);
    b.background({255, 255, 255, 255});
    const swf::Rgba grey{90, 100, 115, 255};
    const double t = kTwips;
    // The loudspeaker: a box and a cone opening to the right.
    const std::uint16_t box = b.define(
        polygon({{52 * t, 62 * t}, {82 * t, 62 * t}, {82 * t, 108 * t}, {52 * t, 108 * t}}, grey));
    const std::uint16_t cone = b.define(polygon(
        {{82 * t, 62 * t}, {122 * t, 30 * t}, {122 * t, 140 * t}, {82 * t, 108 * t}}, grey));
    // The sound waves: a sprite that shows one, two, then three arcs, and again.
    swfwrite::TimelineBuilder waves;
    const swf::Rgba blue{60, 140, 220, 255};
    std::uint16_t arcs[3];
    for (int k = 0; k < 3; ++k) {
        swfwrite::ShapeBuilder arc;
        arc.line(arc.addLine(swfwrite::solidLine(static_cast<uint16_t>(6 * t), blue)));
        const double r = (22 + 20 * k) * t;
        const double cx = 124 * t;
        const double cy = 85 * t;
        const double a = std::numbers::pi / 4;
        arc.moveTo(static_cast<int32_t>(cx + r * std::cos(-a)),
                   static_cast<int32_t>(cy + r * std::sin(-a)));
        arc.curveTo(static_cast<int32_t>(cx + r / std::cos(a)), static_cast<int32_t>(cy),
                    static_cast<int32_t>(cx + r * std::cos(a)),
                    static_cast<int32_t>(cy + r * std::sin(a)));
        arcs[k] = b.define(arc.build());
    }
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 0) {
            waves.place(arcs[0], 1);
        }
        if (frame == 4) {
            waves.place(arcs[1], 2);
        }
        if (frame == 8) {
            waves.place(arcs[2], 3);
        }
        waves.showFrame();
    }
    // Back to one arc when the sprite loops: going to its first frame rebuilds its list.
    const std::uint16_t wavesId = b.define(waves.sprite());

    // Icons: "read again" a circular arrow, "next" a double triangle.
    const swf::Rgba white{255, 255, 255, 255};
    swfwrite::ShapeBuilder again;
    again.line(again.addLine(swfwrite::solidLine(static_cast<uint16_t>(5 * t), white)));
    {
        const double cx = 70 * t, cy = 195 * t, r = 14 * t;
        again.moveTo(static_cast<int32_t>(cx + r), static_cast<int32_t>(cy));
        for (int k = 1; k <= 6; ++k) {
            const double mid = (k - 0.5) * std::numbers::pi / 4;
            const double end = k * std::numbers::pi / 4;
            const double control = r / std::cos(std::numbers::pi / 8);
            again.curveTo(static_cast<int32_t>(cx + control * std::cos(mid)),
                          static_cast<int32_t>(cy + control * std::sin(mid)),
                          static_cast<int32_t>(cx + r * std::cos(end)),
                          static_cast<int32_t>(cy + r * std::sin(end)));
        }
    }
    const std::uint16_t againArc = b.define(again.build());
    const std::uint16_t againHead =
        b.define(polygon({{76 * t, 172 * t}, {90 * t, 181 * t}, {76 * t, 190 * t}}, white));
    swfwrite::TimelineBuilder againIcon;
    againIcon.place(againArc, 1).place(againHead, 2).showFrame();
    const std::uint16_t againIconId = b.define(againIcon.sprite());
    const std::uint16_t nextIconId = b.define(polygon({{158 * t, 180 * t},
                                                       {172 * t, 195 * t},
                                                       {172 * t, 180 * t},
                                                       {188 * t, 195 * t},
                                                       {172 * t, 210 * t},
                                                       {172 * t, 195 * t},
                                                       {158 * t, 210 * t}},
                                                      white));

    // Captions a first-grader reads, under the buttons (baseline 31 px below their centres).
    const QString family = QStringLiteral("Noto Sans CJK SC");
    const std::uint16_t readCaption = b.define(app_movies::textShape(
        QStringLiteral("再听一遍"), family, 22, true, 70, 226 + kButtonLift, {40, 110, 190, 255}));
    const std::uint16_t nextCaption = b.define(app_movies::textShape(
        QStringLiteral("下一个"), family, 22, true, 172, 226 + kButtonLift, {50, 140, 45, 255}));
    const std::uint16_t readButton = b.define(
        roundButton(b, 70 * t, 195 * t, {60, 140, 220, 255}, {90, 165, 240, 255},
                    {40, 110, 190, 255}, againIconId, readCaption, fsCommand("btnread", "朗读")));
    const std::uint16_t nextButton = b.define(
        roundButton(b, 172 * t, 195 * t, {70, 170, 60, 255}, {100, 195, 90, 255},
                    {50, 140, 45, 255}, nextIconId, nextCaption, fsCommand("btnnext", "下一个")));
    // The loudspeaker a little up, the buttons up to make room for their captions below.
    const swf::Matrix speakerAt = scaledAt(1.0, 0, -12);
    const swf::Matrix buttonsAt = scaledAt(1.0, 0, -kButtonLift);
    b.place(box, 1, speakerAt)
        .place(cone, 2, speakerAt)
        .place(wavesId, 3, speakerAt)
        .place(readButton, 4, buttonsAt)
        .place(nextButton, 5, buttonsAt);
    b.showFrame();
    return b.write(swf::Compression::Zlib);
}

bool save(const std::string& folder, const std::string& name, const swf::Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    // Only the font database is needed, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_movies <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok =
        save(folder, "LOSE", successMovie()) && save(folder, "LABA", loudspeakerMovie());
    return ok ? 0 : 1;
}
