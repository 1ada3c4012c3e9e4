// Miter joins cut off at their limit, drawn from writer-built shapes (extended line styles)
// with and without anti-aliasing. Each corner points its tip along +x from a corner on a
// pixel centre, so the pixels checked on the bisector lie a whole number of pixels past the
// corner: one on either side of the cut (or of the tip, for a miter kept whole).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int px = 20;  // twips per pixel
constexpr double kCornerX = 30.5;
constexpr double kCornerY = 50.5;

struct Corner {
    double angle;  // degrees between the two lines
    double width;  // pixels, in the shape
    double limit;  // as stored in the style
};

// Ink in the device pixel whose centre lies `along` pixels past the corner on the bisector,
// the corner drawn under x and y scales `sx`, `sy` (the shape is drawn at the device corner).
double inkPast(const Corner& c, double along, double sx, double sy, bool antialiased) {
    LineStyle l = solidLine(uint16_t(std::lround(c.width * px)), Rgba{0, 0, 0, 255});
    l.startCap = l.endCap = CapStyle::None;
    l.join = JoinStyle::Miter;
    l.miterLimit = c.limit;
    const double half = c.angle / 2 * M_PI / 180;
    const double legX = -30 * std::cos(half);
    const double legY = 30 * std::sin(half);
    const double vx = kCornerX / sx;
    const double vy = kCornerY / sy;
    auto twips = [](double v) { return int(std::lround(v * px)); };
    ShapeBuilder s;
    s.line(s.addLine(l)).moveTo(twips(vx + legX), twips(vy - legY));
    s.lineTo(twips(vx), twips(vy)).lineTo(twips(vx + legX), twips(vy + legY));
    MovieBuilder b;
    const uint16_t id = b.define(s.build(0, 4));
    auto movie = readMovie(b.write()).movie;
    QImage image(120, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    Library library(movie);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    render::draw(*library.prepare(id), p, QTransform::fromScale(sx / px, sy / px));
    p.end();
    return (255 - qRed(image.pixel(int(kCornerX + along), int(kCornerY)))) / 255.0;
}

TEST(MiterJoins, AreCutOffHalfTheirLimitInWidthsPastTheCorner) {
    // The cut lies limit x width / 2 past the corner; a tip nearer than that is whole.
    struct Row {
        Corner corner;
        int inside;   // pixels past the corner: inked
        int outside;  // not inked
    };
    const Row rows[] = {
        // A right angle's tip is 7.07 out for a 10-pixel line: a limit of 1 cuts it at 5,
        // 1.5 (a cut at 7.5) keeps it whole.
        {{90, 10, 1}, 4, 6},
        {{90, 10, 1.5}, 6, 8},
        // 30 degrees: the tip is 19.3 out; cuts at 5, 7.5 and 15.
        {{30, 10, 1}, 4, 6},
        {{30, 10, 1.5}, 6, 9},
        {{30, 10, 3}, 14, 16},
        // 20 degrees: the tip is 28.8 out. 255 keeps it; a limit under 1 counts as 1.
        {{20, 10, 255}, 24, 30},
        {{20, 10, 3}, 14, 16},
        {{20, 10, 0.5}, 4, 6},
        // A 6-pixel line at 60 degrees: the tip is 6 out, a limit of 1.5 cuts at 4.5.
        {{60, 6, 1.5}, 3, 5},
        {{60, 6, 2}, 5, 7},
    };
    for (const Row& r : rows) {
        for (bool antialiased : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << r.corner.angle << " degrees, width " << r.corner.width << ", limit "
                         << r.corner.limit << (antialiased ? " smooth" : " aliased"));
            EXPECT_GT(inkPast(r.corner, r.inside, 1, 1, antialiased), 0.9);
            EXPECT_LT(inkPast(r.corner, r.outside, 1, 1, antialiased), 0.1);
        }
    }
}

TEST(MiterJoins, ScaleWithTheLineTheyJoin) {
    // Drawn twice as large the cut lies twice as far out; stretched along the bisector only,
    // the miter is the shape's, stretched with it (30 degrees, limit 1.5: a cut 7.5 out in the
    // shape, 15 on the device).
    for (bool antialiased : {false, true}) {
        SCOPED_TRACE(antialiased ? "smooth" : "aliased");
        const Corner small{90, 5, 1};  // 10 device pixels wide at twice the size: cut at 5
        EXPECT_GT(inkPast(small, 4, 2, 2, antialiased), 0.9);
        EXPECT_LT(inkPast(small, 6, 2, 2, antialiased), 0.1);
        const Corner stretched{30, 10, 1.5};
        EXPECT_GT(inkPast(stretched, 13, 2, 1, antialiased), 0.9);
        EXPECT_LT(inkPast(stretched, 17, 2, 1, antialiased), 0.1);
    }
}

TEST(MiterJoins, ClosedOutlinesAreMiteredWhereTheyCloseAndLeaveNoSeams) {
    // A 10-pixel square outline from (30, 30) to (70, 70), closed where it began: all four
    // corners are whole miters (a right angle's tip, 7.07 out, is within a limit of 1.5),
    // the first corner too. With anti-aliasing the added miters meet the stroke without a
    // seam: every pixel inside the outline's band is full ink.
    LineStyle l = solidLine(10 * px, Rgba{0, 0, 0, 255});
    l.join = JoinStyle::Miter;
    l.miterLimit = 1.5;
    ShapeBuilder s;
    s.line(s.addLine(l)).moveTo(30 * px, 30 * px);
    s.lineTo(70 * px, 30 * px).lineTo(70 * px, 70 * px).lineTo(30 * px, 70 * px);
    s.lineTo(30 * px, 30 * px);
    MovieBuilder b;
    const uint16_t id = b.define(s.build(0, 4));
    Library library(readMovie(b.write()).movie);
    for (bool antialiased : {false, true}) {
        SCOPED_TRACE(antialiased ? "smooth" : "aliased");
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, antialiased);
        render::draw(*library.prepare(id), p, QTransform::fromScale(1.0 / px, 1.0 / px));
        p.end();
        for (QPoint corner : {QPoint(26, 26), QPoint(73, 26), QPoint(73, 73), QPoint(26, 73)}) {
            EXPECT_EQ(image.pixel(corner), qRgb(0, 0, 0)) << corner.x() << "," << corner.y();
        }
        for (int y = 25; y < 75; ++y) {
            for (int x = 25; x < 75; ++x) {
                const bool band = x < 35 || x >= 65 || y < 35 || y >= 65;
                if (band) {
                    ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace pencora::swf::render
