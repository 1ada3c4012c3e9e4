// Line caps, joins and width scaling drawn through the renderer without anti-aliasing. The
// pixels checked lie well inside or outside the expected outline, so they do not depend on
// how an edge pixel is decided.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int px = 20;  // twips per pixel
const Rgba kBlack{0, 0, 0, 255};

// Draws a polyline of `style` through `points` (pixels) into a white 100 x 100 image.
QImage drawLine(const LineStyle& style, std::vector<QPointF> points,
                const QTransform& m = QTransform::fromScale(1.0 / px, 1.0 / px),
                bool antialiased = false) {
    MovieBuilder b;
    ShapeBuilder s;
    s.line(s.addLine(style)).moveTo(int(points[0].x() * px), int(points[0].y() * px));
    for (size_t i = 1; i < points.size(); ++i) {
        s.lineTo(int(points[i].x() * px), int(points[i].y() * px));
    }
    const uint16_t id = b.define(s.build(0, 4));
    auto movie = readMovie(b.write()).movie;
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    Library library(movie);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    render::draw(*library.prepare(id), p, m);
    return image;
}

bool inked(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(0, 0, 0);
}

TEST(LineStyles, CapsEndTheLineFlatRoundOrSquare) {
    // A 10-pixel line from (20, 50) to (80, 50).
    LineStyle l = solidLine(10 * px, kBlack);
    struct Row {
        CapStyle cap;
        bool beyondEnd;     // (17, 50): 2.5 pixels past the start
        bool beyondCorner;  // (15, 45): inside a square cap, outside a round one
    };
    const Row rows[] = {
        {CapStyle::None, false, false},
        {CapStyle::Round, true, false},
        {CapStyle::Square, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.cap));
        l.startCap = l.endCap = r.cap;
        const QImage image = drawLine(l, {{20, 50}, {80, 50}});
        EXPECT_TRUE(inked(image, 22, 50));
        EXPECT_TRUE(inked(image, 50, 46));
        EXPECT_FALSE(inked(image, 50, 43));
        EXPECT_EQ(inked(image, 17, 50), r.beyondEnd);
        EXPECT_EQ(inked(image, 82, 50), r.beyondEnd);
        EXPECT_EQ(inked(image, 15, 45), r.beyondCorner);
        EXPECT_FALSE(inked(image, 12, 50));
    }
}

TEST(LineStyles, EachEndOfALineTakesItsOwnCap) {
    // A 10-pixel line from (20.5, 50) to (80.5, 50) with one cap at its start and another at
    // its end. Past each end the pixel 1.5 to 2.5 pixels out on row 50 lies in a round or
    // square cap; the one 2.5 to 3.5 out on row 45 (4 to 5 aside) in a square cap, outside a
    // round one. The ends lie mid-pixel, where a seam between line and cap would show.
    struct Row {
        CapStyle start;
        CapStyle end;
    };
    const Row rows[] = {{CapStyle::None, CapStyle::Round},
                        {CapStyle::Round, CapStyle::Square},
                        {CapStyle::Square, CapStyle::None},
                        {CapStyle::Round, CapStyle::None}};
    auto capAt = [](const QImage& image, int aside, int ahead) {
        // The cap's pixels: past x = 20.5 going left, or past x = 80.5 going right.
        return std::pair{inked(image, 20 - ahead, aside), inked(image, 80 + ahead, aside)};
    };
    for (const Row& r : rows) {
        for (bool antialiased : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(r.start) << " to " << int(r.end)
                                            << (antialiased ? " smooth" : " aliased"));
            LineStyle l = solidLine(10 * px, kBlack);
            l.startCap = r.start;
            l.endCap = r.end;
            const QImage image = drawLine(l, {{20.5, 50}, {80.5, 50}},
                                          QTransform::fromScale(1.0 / px, 1.0 / px), antialiased);
            auto [startAhead, endAhead] = capAt(image, 50, 2);
            EXPECT_EQ(startAhead, r.start != CapStyle::None);
            EXPECT_EQ(endAhead, r.end != CapStyle::None);
            auto [startCorner, endCorner] = capAt(image, 45, 3);
            EXPECT_EQ(startCorner, r.start == CapStyle::Square);
            EXPECT_EQ(endCorner, r.end == CapStyle::Square);
            // Where a cap meets the line's end no seam shows.
            if (r.end != CapStyle::None) {
                EXPECT_TRUE(inked(image, 80, 48));
                EXPECT_TRUE(inked(image, 80, 52));
            }
            EXPECT_FALSE(inked(image, 86, 50));
            EXPECT_FALSE(inked(image, 13, 50));
        }
    }
}

TEST(LineStyles, ALineKeptFromClosingIsCappedWhereItReturnsToItsStart) {
    // A 10-pixel square outline from (30, 30) round to (30, 30) with miter joins. Closed, its
    // first corner is mitered like the others: (26, 26) lies in the miter. Kept from closing,
    // it has two ends there: flat caps leave (26, 26) out, square caps cover it.
    LineStyle l = solidLine(10 * px, kBlack);
    l.join = JoinStyle::Miter;
    const std::vector<QPointF> square = {{30, 30}, {70, 30}, {70, 70}, {30, 70}, {30, 30}};
    struct Row {
        bool noClose;
        CapStyle cap;
        bool corner;  // (26, 26) inked
    };
    const Row rows[] = {{false, CapStyle::None, true},
                        {true, CapStyle::None, false},
                        {true, CapStyle::Square, true}};
    for (const Row& r : rows) {
        for (bool antialiased : {false, true}) {
            SCOPED_TRACE(testing::Message() << r.noClose << " " << int(r.cap)
                                            << (antialiased ? " smooth" : " aliased"));
            l.noClose = r.noClose;
            l.startCap = l.endCap = r.cap;
            const QImage image =
                drawLine(l, square, QTransform::fromScale(1.0 / px, 1.0 / px), antialiased);
            EXPECT_EQ(inked(image, 26, 26), r.corner);
            EXPECT_TRUE(inked(image, 73, 26));  // the other corners stay mitered
            EXPECT_TRUE(inked(image, 26, 73));
            EXPECT_TRUE(inked(image, 31, 31));  // inside the band where the ends meet
        }
    }
}

TEST(LineStyles, MitersAreCutOffWhereBevelsAndRoundJoinsStayNearTheCorner) {
    LineStyle l = solidLine(10 * px, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    // A right angle at (70, 70): a miter's tip is 7.07 pixels past the corner along the
    // bisector; (74, 74) is 5.66 out. A limit of 1.5 keeps the whole tip, 1 cuts it 5 out.
    const std::vector<QPointF> right = {{20, 70}, {70, 70}, {70, 20}};
    l.join = JoinStyle::Miter;
    l.miterLimit = 1.5;
    EXPECT_TRUE(inked(drawLine(l, right), 74, 74));
    l.miterLimit = 1;
    EXPECT_FALSE(inked(drawLine(l, right), 74, 74));
    EXPECT_TRUE(inked(drawLine(l, right), 73, 73));  // 4.95 out: within the cut
    l.join = JoinStyle::Bevel;
    EXPECT_FALSE(inked(drawLine(l, right), 73, 73));
    l.join = JoinStyle::Round;
    EXPECT_FALSE(inked(drawLine(l, right), 74, 74));

    // A 30-degree corner at (80, 80): the miter's tip is 19.3 pixels out along the bisector,
    // (89, 82) about 9.8. A limit of 3 cuts 15 out and keeps it; 1.5 cuts 7.5 out.
    const double rise = 70 * std::tan(M_PI / 6);
    const std::vector<QPointF> acute = {{10, 80}, {80, 80}, {10, 80 - rise}};
    l.join = JoinStyle::Miter;
    l.miterLimit = 3;
    EXPECT_TRUE(inked(drawLine(l, acute), 89, 82));
    l.miterLimit = 1.5;
    const QImage cut = drawLine(l, acute);
    EXPECT_FALSE(inked(cut, 89, 82));
    EXPECT_TRUE(inked(cut, 79, 82));  // the corner itself stays covered
}

TEST(LineStyles, WidthsFollowTheMatrixUnlessScalingIsOff) {
    LineStyle l = solidLine(11 * px, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    auto rowsInked = [](const QImage& image, int x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            n += inked(image, x, y);
        }
        return n;
    };
    // Drawn at half size across and a quarter down, centred on pixel row 50.
    const QTransform squash = QTransform::fromScale(0.5 / px, 0.25 / px);
    const std::vector<QPointF> across = {{20, 202}, {180, 202}};
    // The pen is the shape's, squashed with it: a horizontal line is 11 x 0.25 high.
    EXPECT_EQ(rowsInked(drawLine(l, across, squash), 50), 3);
    l.noHScale = true;
    EXPECT_EQ(rowsInked(drawLine(l, across, squash), 50), 3);  // 11 x the vertical 0.25
    l.noVScale = true;
    EXPECT_EQ(rowsInked(drawLine(l, across, squash), 50), 11);  // not scaled at all
    // However small it is drawn, a line keeps one pixel.
    LineStyle thin = solidLine(1 * px, kBlack);
    EXPECT_EQ(rowsInked(drawLine(thin, across, QTransform::fromScale(0.25 / px, 0.25 / px)), 30),
              1);
}

// How many pixels of ink a column holds: the width of a horizontal line crossing it.
double inkInColumn(const QImage& image, int x) {
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        ink += (255 - qRed(image.pixel(x, y))) / 255.0;
    }
    return ink;
}

TEST(LineStyles, PixelHintingMakesLinesWholeDevicePixelsWide) {
    // A horizontal line 2.6 pixels wide, at the stage's size and twice as large; hinted it is
    // 3 and 5 device pixels wide (2.6 and 5.2 rounded), with anti-aliasing or without.
    LineStyle l = solidLine(52, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    for (double scale : {1.0, 2.0}) {
        const QTransform m = QTransform::fromScale(scale / px, scale / px);
        for (bool antialiased : {true, false}) {
            SCOPED_TRACE(testing::Message() << scale << (antialiased ? " smooth" : " aliased"));
            l.pixelHinting = false;
            const double plain = inkInColumn(drawLine(l, {{5, 20}, {45, 20}}, m, antialiased), 40);
            l.pixelHinting = true;
            const double hinted = inkInColumn(drawLine(l, {{5, 20}, {45, 20}}, m, antialiased), 40);
            EXPECT_NEAR(hinted, std::round(2.6 * scale), 0.05);
            if (antialiased) {
                EXPECT_NEAR(plain, 2.6 * scale, 0.05);
            }
        }
    }
}

TEST(LineStyles, HintedLinesStartAndEndOnWholeDevicePixels) {
    // A 2-pixel line from (5.3, 20.3) to (45.4, 20.3), flat-capped, drawn at the stage's size
    // and (from half the coordinates) twice as large. Hinted, its anchors move to (5, 20) and
    // (45, 20): rows 19 and 20 are full, row 21 empty, and column 5 is the first with ink.
    LineStyle l = solidLine(40, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    l.pixelHinting = true;
    auto ink = [](const QImage& image, int x, int y) {
        return (255 - qRed(image.pixel(x, y))) / 255.0;
    };
    for (double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        l.width = uint16_t(40 / scale);
        const QImage image =
            drawLine(l, {{5.3 / scale, 20.3 / scale}, {45.4 / scale, 20.3 / scale}},
                     QTransform::fromScale(scale / px, scale / px), true);
        EXPECT_NEAR(ink(image, 25, 19), 1, 0.02);
        EXPECT_NEAR(ink(image, 25, 20), 1, 0.02);
        EXPECT_NEAR(ink(image, 25, 21), 0, 0.02);
        EXPECT_NEAR(ink(image, 4, 20), 0, 0.02);
        EXPECT_NEAR(ink(image, 5, 20), 1, 0.02);
        EXPECT_NEAR(ink(image, 44, 20), 1, 0.02);
        EXPECT_NEAR(ink(image, 45, 20), 0, 0.02);
    }
}

// How many pixels of ink a row holds: the width of a vertical line crossing it.
double inkInRow(const QImage& image, int y) {
    double ink = 0;
    for (int x = 0; x < image.width(); ++x) {
        ink += (255 - qRed(image.pixel(x, y))) / 255.0;
    }
    return ink;
}

TEST(LineStyles, HintedLinesAreWholePixelsEachWayAnUnevenMatrixStretchesThem) {
    // A 2.6-pixel line under a matrix that stretches one way twice as much as the other is
    // 2.6 and 5.2 device pixels thick the two ways; hinted, 3 and 5.
    LineStyle l = solidLine(52, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    struct Row {
        const char* name;
        QTransform matrix;        // pixels to device pixels
        double acrossHorizontal;  // hinted thickness of a horizontal shape line
        double acrossVertical;    // and of a vertical one
        bool turned;              // the matrix turns a horizontal line upright
    };
    const Row rows[] = {
        {"taller", QTransform::fromScale(1, 2), 5, 3, false},
        {"wider", QTransform::fromScale(2, 1), 3, 5, false},
        // Turned a quarter after being stretched upright: the shape's horizontal line stands
        // upright on the device, 5.2 pixels across before hinting.
        {"turned", QTransform::fromScale(1, 2) * QTransform(0, 1, -1, 0, 100, 0), 5, 3, true},
    };
    auto thickness = [](const QImage& image, bool upright) {
        return upright ? inkInRow(image, 50) : inkInColumn(image, 50);
    };
    for (const Row& r : rows) {
        const QTransform m = QTransform::fromScale(1.0 / px, 1.0 / px) * r.matrix;
        for (bool antialiased : {true, false}) {
            SCOPED_TRACE(testing::Message() << r.name << (antialiased ? " smooth" : " aliased"));
            bool invertible = false;
            const QTransform back = r.matrix.inverted(&invertible);
            // Lines through the device point (50, 50), running across and down the shape.
            const QPointF c = back.map(QPointF(50.5, 50.5));
            const std::vector<QPointF> across = {{c.x() - 10, c.y()}, {c.x() + 10, c.y()}};
            const std::vector<QPointF> down = {{c.x(), c.y() - 10}, {c.x(), c.y() + 10}};
            l.pixelHinting = true;
            EXPECT_NEAR(thickness(drawLine(l, across, m, antialiased), r.turned),
                        r.acrossHorizontal, 0.05);
            EXPECT_NEAR(thickness(drawLine(l, down, m, antialiased), !r.turned), r.acrossVertical,
                        0.05);
            if (antialiased) {
                l.pixelHinting = false;
                EXPECT_NEAR(thickness(drawLine(l, across, m, antialiased), r.turned),
                            r.acrossHorizontal == 5 ? 5.2 : 2.6, 0.05);
            }
        }
    }
}

}  // namespace
}  // namespace pencora::swf::render
