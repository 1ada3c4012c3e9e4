// Clipped bitmap fills on shapes larger than their bitmap: the edge texels stretch out to
// the shape's edge, sharp or smoothed, while a repeating fill tiles.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/flash/render/bitmap_fill.h"
#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int px = 20;  // twips per pixel

// A 2 x 2 bitmap (red, green / blue, white), each texel 10 x 10 pixels at (40, 40), filling
// the whole 100 x 100 frame.
QImage drawBitmapFill(FillType type, bool antialias) {
    MovieBuilder b;
    LosslessBitmap bmp;
    bmp.version = 2;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    const uint16_t bitmapId = b.define(bmp);
    ShapeBuilder s;
    s.rectangle(0, 0, 100 * px, 100 * px,
                s.addFill(bitmapFill(bitmapId, type, 40 * px, 40 * px, 10.0 * px)));
    const uint16_t id = b.define(s.build());
    auto movie = readMovie(b.write()).movie;
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    Library library(movie);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, antialias);
    render::draw(*library.prepare(id), p, QTransform::fromScale(1.0 / px, 1.0 / px));
    return image;
}

TEST(BitmapFill, ClippedEdgesStretchToTheShapesEdge) {
    for (auto type : {FillType::ClippedBitmapHard, FillType::ClippedBitmap}) {
        for (bool antialias : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(type) << (antialias ? " smooth" : " sharp"));
            const QImage image = drawBitmapFill(type, antialias);
            // Each corner of the frame has the nearest corner texel's colour, near the
            // bitmap and far from it (a tiled bitmap would show the opposite edge at 25).
            for (int near : {2, 25}) {
                const int far = 99 - near;
                EXPECT_EQ(image.pixel(near, near), qRgb(255, 0, 0));
                EXPECT_EQ(image.pixel(far, near), qRgb(0, 255, 0));
                EXPECT_EQ(image.pixel(near, far), qRgb(0, 0, 255));
                EXPECT_EQ(image.pixel(far, far), qRgb(255, 255, 255));
            }
            // Along the left edge the two left texels meet where they meet in the bitmap.
            EXPECT_EQ(image.pixel(25, 40), qRgb(255, 0, 0));
            EXPECT_EQ(image.pixel(25, 59), qRgb(0, 0, 255));
            const QRgb seam = image.pixel(25, 50);
            if (type == FillType::ClippedBitmap && antialias) {
                // Smoothed: half of each across the seam.
                EXPECT_NEAR(qRed(seam), 128, 14);
                EXPECT_NEAR(qBlue(seam), 128, 14);
            } else {
                EXPECT_EQ(seam, qRgb(0, 0, 255));
            }
        }
    }
    // A repeating fill tiles instead: 20 pixels left of the red texel is red again.
    const QImage tiled = drawBitmapFill(FillType::RepeatingBitmapHard, false);
    EXPECT_EQ(tiled.pixel(25, 45), qRgb(255, 0, 0));
    EXPECT_EQ(tiled.pixel(35, 45), qRgb(0, 255, 0));
}

TEST(BitmapFill, NearTheBitmapTheTextureBrushIsKept) {
    const QTransform tenfold = QTransform::fromScale(10, 10) * QTransform::fromTranslate(40, 40);
    // The bitmap's own 20 x 20 pixels, and a pixel more on each side, need no stretching.
    EXPECT_TRUE(staysNearBitmap(QSize(2, 2), tenfold, QRect(40, 40, 20, 20)));
    EXPECT_TRUE(staysNearBitmap(QSize(2, 2), tenfold, QRect(30, 30, 40, 40)));
    EXPECT_FALSE(staysNearBitmap(QSize(2, 2), tenfold, QRect(29, 40, 10, 10)));
    EXPECT_FALSE(staysNearBitmap(QSize(2, 2), tenfold, QRect(40, 40, 31, 10)));
    // Pixels filled directly: nothing for an empty area or a squashed mapping.
    QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
    one.fill(Qt::red);
    EXPECT_TRUE(clampedBitmapPixels(one, tenfold, QRect(), false).isNull());
    EXPECT_TRUE(
        clampedBitmapPixels(one, QTransform(0, 0, 0, 0, 5, 5), QRect(0, 0, 4, 4), true).isNull());
    const QImage filled = clampedBitmapPixels(one, tenfold, QRect(-1000, 0, 3000, 2), true);
    ASSERT_EQ(filled.size(), QSize(3000, 2));
    EXPECT_EQ(filled.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(filled.pixel(2999, 1), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace pencora::swf::render
