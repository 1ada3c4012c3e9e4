// Shapes drawn without anti-aliasing, built with the writer from edges of the conformance
// movies whose single pixels pin down the rule: how curves are cut into chords, strokes
// filled as their outlines, round joins cut into chords too. 1 pixel = 20 twips.
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

QImage drawAliased(const Shape& shape, QSize size,
                   const QTransform& matrix = QTransform::fromScale(1.0 / px, 1.0 / px)) {
    MovieBuilder b;
    const uint16_t id = b.define(shape);
    auto result = readMovie(b.write());
    EXPECT_TRUE(result) << result.error;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    Library library(result.movie);
    auto d = library.prepare(id);
    EXPECT_NE(d, nullptr);
    if (d) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        draw(*d, p, matrix);
    }
    return image;
}

bool inked(const QImage& image, int x, int y) {
    return image.pixelColor(x, y) != QColor(Qt::white);
}

TEST(AliasedShapes, CurvesAreCutAsTheMoviesCutThem) {
    // Two edges of simple_shapes/masks' ellipse (at the movie's pixel positions). Each of
    // these pixels is painted only when a curve is cut into chords spaced to stray equally
    // from it at a tenth of a pixel: a tolerance of 0.095 or 0.105 loses one of them, and so
    // does an even subdivision or halving until flat.
    struct Row {
        const char* name;
        QPoint from, control, to, corner;
        QPoint pixel;
    };
    const Row rows[] = {
        {"top", {1614, 1187}, {3228, 19}, {5510, 19}, {5510, 4000}, {173, 14}},
        {"left", {0, 4009}, {0, 2356}, {1614, 1187}, {1614, 4009}, {29, 109}},
        // One of its masks' edges strays 0.093 pixel from its chord: one segment, so the
        // centre (390.5, 295.5), left of the curve but right of the chord, is inside.
        {"flat", {7842, 6073}, {7801, 5849}, {7792, 5823}, {7842, 5823}, {390, 295}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ShapeBuilder s;
        s.fill1(s.addFill(solidFill({0, 0, 0, 255})));
        s.moveTo(r.from.x(), r.from.y())
            .curveTo(r.control.x(), r.control.y(), r.to.x(), r.to.y())
            .lineTo(r.corner.x(), r.corner.y())
            .lineTo(r.from.x(), r.corner.y())
            .lineTo(r.from.x(), r.from.y());
        const QImage image = drawAliased(s.build(), QSize(400, 310));
        EXPECT_TRUE(inked(image, r.pixel.x(), r.pixel.y()));
    }
}

TEST(AliasedShapes, ThinStrokesAreFilledOutlines) {
    // A one-pixel line on a pixel boundary covers the row above it and nothing past its
    // round caps: the painter's own thin-line drawing would pick other pixels
    // (drawing_api/drawing_order).
    for (uint16_t width : {uint16_t(px), uint16_t(0)}) {
        SCOPED_TRACE(width ? "one pixel" : "hairline");
        ShapeBuilder s;
        s.line(s.addLine(solidLine(width, {0, 0, 0, 255})))
            .moveTo(20 * px, 10 * px)
            .lineTo(80 * px, 10 * px);
        const QImage image = drawAliased(s.build(), QSize(100, 20));
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += inked(image, x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(count, 60);
        EXPECT_TRUE(inked(image, 20, 9));
        EXPECT_TRUE(inked(image, 79, 9));
        EXPECT_FALSE(inked(image, 50, 10));
    }
}

TEST(AliasedShapes, CurvedLinesAreStrokedAlongTheirChords) {
    // A one-pixel line along a curve that bows 0.075 pixel off its chord, which lies 9.95
    // pixels down: the curve stays one chord, whose band [9.45, 10.45) holds the centres of
    // row 9 and not those of row 10. The band of the true curve, [9.525, 10.525) at its
    // middle, would take row 10 there instead (filters/drop_shadow's circles).
    ShapeBuilder s;
    s.line(s.addLine(solidLine(px, {0, 0, 0, 255})))
        .moveTo(10 * px, 199)
        .curveTo(50 * px, 202, 90 * px, 199);
    struct Case {
        const char* name;
        double scaleX;
    };
    // Stretched twice as wide, the pen is the shape's and the band as high as before.
    for (const Case c : {Case{"even", 1.0}, Case{"stretched", 2.0}}) {
        SCOPED_TRACE(c.name);
        const int middle = int(50 * c.scaleX);
        const QImage image = drawAliased(s.build(), QSize(int(100 * c.scaleX), 20),
                                         QTransform::fromScale(c.scaleX / px, 1.0 / px));
        EXPECT_TRUE(inked(image, middle, 9));
        EXPECT_FALSE(inked(image, middle, 10));
        int inkedInColumn = 0;
        for (int y = 0; y < image.height(); ++y) {
            inkedInColumn += inked(image, middle, y) ? 1 : 0;
        }
        EXPECT_EQ(inkedInColumn, 1);
    }
}

TEST(AliasedShapes, RoundJoinsAreCutIntoChordsOfATenthOfAPixel) {
    // filters/color_matrix: a rectangle outlined 20 pixels wide with round joins. Around its
    // top corner (30, 30) the centres 9.82 and 9.92 pixels away are painted and those 10.12
    // away are not; around its bottom corner (30, 69.95) the chords of a 90-degree join cut
    // into six leave out two centres 9.96 away that the true circle would hold.
    ShapeBuilder s;
    s.line(s.addLine(solidLine(20 * px, {0, 0, 0, 255})));
    s.rectangle(30 * px, 30 * px, 70 * px, 70 * px - 1);
    const QImage image = drawAliased(s.build(), QSize(100, 100));
    EXPECT_TRUE(inked(image, 23, 22));   // 9.92 from the corner
    EXPECT_TRUE(inked(image, 22, 23));   // 9.92
    EXPECT_TRUE(inked(image, 20, 27));   // 9.82
    EXPECT_FALSE(inked(image, 24, 21));  // 10.12
    EXPECT_FALSE(inked(image, 20, 26));  // 10.12
    EXPECT_TRUE(inked(image, 27, 79));   // 9.87 from the bottom corner
    EXPECT_TRUE(inked(image, 20, 72));   // 9.84
    EXPECT_FALSE(inked(image, 22, 76));  // 9.96, off the chord
    EXPECT_FALSE(inked(image, 23, 77));  // 9.96
}

}  // namespace
}  // namespace pencora::swf::render
