// Pixel tests of the shape renderer, each built with the writer so the expected pixels are
// known by construction: 1 pixel = 20 twips, drawn into a white 100 x 100 image.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "platform/flash/render/bitmap_decode.h"
#include "platform/flash/render/drawable.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/encode.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int px = 20;  // twips per pixel

struct Canvas {
    QImage image{100, 100, QImage::Format_ARGB32_Premultiplied};
    Canvas() { image.fill(Qt::white); }
    QColor at(int x, int y) const { return image.pixelColor(x, y); }
};

std::shared_ptr<const Movie> movieOf(MovieBuilder& b) {
    // Through the file and the reader, as a player would get it.
    auto result = readMovie(b.write());
    EXPECT_TRUE(result) << result.error;
    return result.movie;
}

Canvas render(const std::shared_ptr<const Movie>& movie, uint16_t id, bool antialias = true,
              const ColorTransform& cx = {}, double ratio = 0.0,
              const QTransform& m = QTransform::fromScale(1.0 / px, 1.0 / px)) {
    Canvas c;
    Library library(movie);
    auto d = library.prepare(id);
    EXPECT_NE(d, nullptr);
    if (d) {
        QPainter p(&c.image);
        p.setRenderHint(QPainter::Antialiasing, antialias);
        draw(*d, p, m, cx, ratio);
    }
    return c;
}

int countColor(const QImage& img, QColor color, int tolerance = 0) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) <= tolerance &&
                std::abs(c.green() - color.green()) <= tolerance &&
                std::abs(c.blue() - color.blue()) <= tolerance) {
                ++n;
            }
        }
    }
    return n;
}

void expectNear(QColor got, QColor want, int tolerance, const char* what) {
    EXPECT_LE(std::abs(got.red() - want.red()), tolerance) << what << " red " << got.red();
    EXPECT_LE(std::abs(got.green() - want.green()), tolerance) << what << " green " << got.green();
    EXPECT_LE(std::abs(got.blue() - want.blue()), tolerance) << what << " blue " << got.blue();
    EXPECT_LE(std::abs(got.alpha() - want.alpha()), tolerance) << what << " alpha " << got.alpha();
}

TEST(SwfRender, SquareAtPixelBoundsCoversExactlyItsPixels) {
    for (bool aa : {false, true}) {
        SCOPED_TRACE(aa ? "anti-aliased" : "aliased");
        MovieBuilder b;
        ShapeBuilder s;
        s.rectangle(20 * px, 30 * px, 60 * px, 50 * px, s.addFill(solidFill({255, 0, 0, 255})));
        uint16_t id = b.define(s.build());
        Canvas c = render(movieOf(b), id, aa);
        EXPECT_EQ(countColor(c.image, Qt::red), 40 * 20);
        EXPECT_EQ(countColor(c.image, Qt::white), 100 * 100 - 40 * 20);
        EXPECT_EQ(c.at(20, 30), QColor(Qt::red));
        EXPECT_EQ(c.at(59, 49), QColor(Qt::red));
        EXPECT_EQ(c.at(19, 30), QColor(Qt::white));
        EXPECT_EQ(c.at(60, 49), QColor(Qt::white));
    }
}

TEST(SwfRender, HalfPixelEdgeIsBlendedOnlyWithAntiAliasing) {
    MovieBuilder b;
    ShapeBuilder s;
    s.rectangle(10 * px + 10, 10 * px, 20 * px, 20 * px, s.addFill(solidFill({0, 0, 0, 255})));
    uint16_t id = b.define(s.build());
    auto movie = movieOf(b);
    QColor smooth = render(movie, id, true).at(10, 15);
    EXPECT_NEAR(smooth.red(), 128, 3);
    QColor hard = render(movie, id, false).at(10, 15);
    EXPECT_TRUE(hard == QColor(Qt::black) || hard == QColor(Qt::white));
}

TEST(SwfRender, HolesAndSharedEdgesFollowFillSides) {
    // An outer square filled with style 1 whose inner square edges carry fill0=1 on their
    // left: the inner area is a hole. A second fill shares the inner edges (fill1=2).
    MovieBuilder b;
    ShapeBuilder s;
    uint32_t red = s.addFill(solidFill({255, 0, 0, 255}));
    uint32_t blue = s.addFill(solidFill({0, 0, 255, 255}));
    s.rectangle(10 * px, 10 * px, 90 * px, 90 * px, red);
    // Inner square anticlockwise on screen: red stays on the right side of the edges.
    s.fill0(blue).fill1(red).moveTo(30 * px, 30 * px);
    s.lineTo(30 * px, 70 * px)
        .lineTo(70 * px, 70 * px)
        .lineTo(70 * px, 30 * px)
        .lineTo(30 * px, 30 * px);
    uint16_t id = b.define(s.build());
    Canvas c = render(movieOf(b), id, false);
    EXPECT_EQ(c.at(15, 15), QColor(Qt::red));
    EXPECT_EQ(c.at(50, 50), QColor(Qt::blue));
    EXPECT_EQ(c.at(5, 5), QColor(Qt::white));
    EXPECT_EQ(countColor(c.image, Qt::blue), 40 * 40);
}

TEST(SwfRender, GradientsReachTheirEndColours) {
    struct Row {
        const char* name;
        FillType type;
        SpreadMode spread;
        QPoint firstAt;
        QPoint lastAt;
    };
    const Row rows[] = {
        // Linear over the box x 20..80: pad keeps the end colours beyond it.
        {"linear pad", FillType::LinearGradient, SpreadMode::Pad, {2, 50}, {97, 50}},
        // Radial: the centre has the first colour, the corners the last (padded).
        {"radial pad", FillType::RadialGradient, SpreadMode::Pad, {50, 50}, {1, 1}},
        {"focal pad", FillType::FocalGradient, SpreadMode::Pad, {50, 50}, {1, 98}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MovieBuilder b;
        ShapeBuilder s;
        s.rectangle(
            0, 0, 100 * px, 100 * px,
            s.addFill(gradientFill(row.type, gradientBox(20 * px, 20 * px, 60 * px, 60 * px),
                                   {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}}, row.spread)));
        uint16_t id = b.define(s.build());
        Canvas c = render(movieOf(b), id);
        expectNear(c.at(row.firstAt.x(), row.firstAt.y()), QColor(255, 0, 0), 8, "first");
        expectNear(c.at(row.lastAt.x(), row.lastAt.y()), QColor(0, 0, 255), 8, "last");
    }
    // Reflect and repeat spreads over a box half the shape's width.
    for (auto spread : {SpreadMode::Reflect, SpreadMode::Repeat}) {
        MovieBuilder b;
        ShapeBuilder s;
        s.rectangle(
            0, 0, 100 * px, 100 * px,
            s.addFill(gradientFill(FillType::LinearGradient, gradientBox(0, 0, 50 * px, 100 * px),
                                   {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}}, spread)));
        uint16_t id = b.define(s.build());
        Canvas c = render(movieOf(b), id);
        // Just past the box's end: reflect comes back from blue, repeat starts at red again.
        QColor after = c.at(51, 50);
        if (spread == SpreadMode::Reflect) {
            expectNear(after, QColor(0, 0, 255), 16, "reflect");
        } else {
            expectNear(after, QColor(255, 0, 0), 16, "repeat");
        }
    }
}

TEST(SwfRender, BitmapFillShowsItsTexels) {
    MovieBuilder b;
    LosslessBitmap bmp;
    bmp.version = 2;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = {0xffff0000, 0xff00ff00, 0xff0000ff, 0x80000000};
    uint16_t bitmapId = b.define(bmp);
    for (auto type : {FillType::ClippedBitmapHard, FillType::RepeatingBitmapHard}) {
        SCOPED_TRACE(static_cast<int>(type));
        ShapeBuilder s;
        // Each texel 10 x 10 pixels, the bitmap's origin at (20, 20).
        s.rectangle(20 * px, 20 * px, 60 * px, 60 * px,
                    s.addFill(bitmapFill(bitmapId, type, 20 * px, 20 * px, 10.0 * px)));
        MovieBuilder copy = b;
        uint16_t id = copy.define(s.build());
        Canvas c = render(movieOf(copy), id);
        EXPECT_EQ(c.at(25, 25), QColor(255, 0, 0));
        EXPECT_EQ(c.at(35, 25), QColor(0, 255, 0));
        EXPECT_EQ(c.at(25, 35), QColor(0, 0, 255));
        // Half-transparent black over white.
        expectNear(c.at(35, 35), QColor(127, 127, 127), 1, "alpha texel");
        // Texel edges stay sharp without smoothing.
        EXPECT_EQ(c.at(29, 25), QColor(255, 0, 0));
        EXPECT_EQ(c.at(30, 25), QColor(0, 255, 0));
        if (type == FillType::RepeatingBitmapHard) {
            EXPECT_EQ(c.at(45, 45), QColor(255, 0, 0));  // the pattern again
        }
    }
}

// A smoothed clipped bitmap scaled up: its edge texels must not be blended with the
// opposite edge, as a repeating texture would do.
TEST(SwfRender, SmoothedClippedBitmapKeepsItsEdgeColours) {
    MovieBuilder b;
    LosslessBitmap bmp;
    bmp.width = 2;
    bmp.height = 1;
    bmp.pixels = {0xffff0000, 0xff0000ff};
    uint16_t bitmapId = b.define(bmp);
    ShapeBuilder s;
    s.rectangle(0, 0, 40 * px, 20 * px,
                s.addFill(bitmapFill(bitmapId, FillType::ClippedBitmap, 0, 0, 20.0 * px)));
    uint16_t id = b.define(s.build());
    Canvas c = render(movieOf(b), id, true);
    expectNear(c.at(0, 10), QColor(255, 0, 0), 4, "left edge");
    expectNear(c.at(39, 10), QColor(0, 0, 255), 4, "right edge");
    // Between the texels the smoothing does blend.
    QColor mid = c.at(20, 10);
    EXPECT_GT(mid.red(), 60);
    EXPECT_GT(mid.blue(), 60);
}

TEST(SwfRender, ColourTransformMultipliesAndAdds) {
    MovieBuilder b;
    ShapeBuilder s;
    s.rectangle(0, 0, 100 * px, 100 * px, s.addFill(solidFill({200, 100, 50, 255})));
    uint16_t id = b.define(s.build());
    auto movie = movieOf(b);
    ColorTransform cx;
    cx.rMult = 128;  // 200 -> 100
    cx.gAdd = 100;   // 100 -> 200
    cx.bMult = 0;
    cx.bAdd = 300;  // clamped to 255
    EXPECT_EQ(render(movie, id, true, cx).at(50, 50), QColor(100, 200, 255));
    ColorTransform half;
    half.aMult = 128;  // half-transparent over white
    expectNear(render(movie, id, true, half).at(50, 50), QColor(227, 177, 152), 2, "alpha");
}

TEST(SwfRender, MorphAtHalfIsHalfway) {
    MovieBuilder b;
    MorphShape m;
    m.startBounds = {0, 20 * px, 0, 20 * px};
    m.endBounds = {0, 60 * px, 0, 60 * px};
    MorphFillStyle f;
    f.startColor = {255, 0, 0, 255};
    f.endColor = {0, 0, 255, 255};
    m.fills = {f};
    auto square = [](int32_t side, bool withFill) {
        StyleChange c;
        c.moveX = 0;
        c.moveY = 0;
        if (withFill) {
            c.fill1 = 1;
        }
        return std::vector<ShapeRecord>{c, StraightEdge{side, 0}, StraightEdge{0, side},
                                        StraightEdge{-side, 0}, StraightEdge{0, -side}};
    };
    m.startRecords = square(20 * px, true);
    m.endRecords = square(60 * px, false);
    uint16_t id = b.define(m);
    auto movie = movieOf(b);
    Canvas start = render(movie, id, false, {}, 0.0);
    EXPECT_EQ(countColor(start.image, Qt::red), 20 * 20);
    Canvas half = render(movie, id, false, {}, 0.5);
    EXPECT_EQ(countColor(half.image, QColor(128, 0, 128), 1), 40 * 40);
    EXPECT_EQ(half.at(40, 40), QColor(Qt::white));
    Canvas end = render(movie, id, false, {}, 1.0);
    EXPECT_EQ(countColor(end.image, Qt::blue), 60 * 60);
}

TEST(SwfRender, LinesHaveTheirWidthCapsAndScale) {
    MovieBuilder b;
    ShapeBuilder s;
    LineStyle l = solidLine(10 * px, {0, 0, 0, 255});
    l.startCap = l.endCap = CapStyle::None;
    s.line(s.addLine(l)).moveTo(20 * px, 50 * px).lineTo(80 * px, 50 * px);
    uint16_t id = b.define(s.build(0, 4));
    auto movie = movieOf(b);
    Canvas c = render(movie, id, false);
    EXPECT_EQ(countColor(c.image, Qt::black), 60 * 10);
    EXPECT_EQ(c.at(20, 45), QColor(Qt::black));
    EXPECT_EQ(c.at(19, 50), QColor(Qt::white));  // flat cap: nothing past the end
    EXPECT_EQ(c.at(50, 44), QColor(Qt::white));
    // Drawn at half size the line is half as wide.
    Canvas small = render(movie, id, false, {}, 0.0, QTransform::fromScale(0.5 / px, 0.5 / px));
    EXPECT_EQ(countColor(small.image, Qt::black), 30 * 5);
    // A hairline (width 0) still covers one pixel row.
    ShapeBuilder h;
    h.line(h.addLine(solidLine(0, {0, 0, 0, 255})))
        .moveTo(20 * px, 50 * px + 10)
        .lineTo(80 * px, 50 * px + 10);
    MovieBuilder b2;
    uint16_t hid = b2.define(h.build());
    Canvas hc = render(movieOf(b2), hid, false);
    EXPECT_GE(countColor(hc.image, Qt::black), 60);
    EXPECT_LE(countColor(hc.image, Qt::black), 62);
    // Scaled three times as high as wide, a 4-pixel line is 12 pixels thick where it runs
    // across and stays 4 wide where it runs down: the pen scales with the shape.
    ShapeBuilder cross;
    LineStyle thin = solidLine(4 * px, {0, 0, 0, 255});
    thin.startCap = thin.endCap = CapStyle::None;
    cross.line(cross.addLine(thin)).moveTo(10 * px, 10 * px).lineTo(60 * px, 10 * px);
    cross.moveTo(80 * px, 2 * px).lineTo(80 * px, 30 * px);
    MovieBuilder b3;
    uint16_t cid = b3.define(cross.build());
    Canvas tall =
        render(movieOf(b3), cid, false, {}, 0.0, QTransform::fromScale(1.0 / px, 3.0 / px));
    EXPECT_EQ(tall.at(30, 24), QColor(Qt::black));  // across: rows 24..35
    EXPECT_EQ(tall.at(30, 35), QColor(Qt::black));
    EXPECT_EQ(tall.at(30, 23), QColor(Qt::white));
    EXPECT_EQ(tall.at(30, 36), QColor(Qt::white));
    EXPECT_EQ(tall.at(78, 50), QColor(Qt::black));  // down: columns 78..81
    EXPECT_EQ(tall.at(81, 50), QColor(Qt::black));
    EXPECT_EQ(tall.at(77, 50), QColor(Qt::white));
    EXPECT_EQ(tall.at(82, 50), QColor(Qt::white));
}

TEST(SwfRender, StaticTextDrawsEmbeddedGlyphs) {
    MovieBuilder b;
    Font font;
    font.version = 2;
    font.name = "Box";
    // Glyph 0: a square filling the em box above the baseline (1024 units).
    ShapeBuilder g;
    g.rectangle(0, -1024, 1024, 0, 1);
    font.glyphs = {g.records()};
    font.codes = {'A'};
    uint16_t fontId = b.define(font);
    Text text;
    text.version = 2;
    text.bounds = {0, 100 * px, 0, 100 * px};
    TextRecord r;
    r.fontId = fontId;
    r.height = 20 * px;  // the em box is 20 pixels
    r.color = Rgba{0, 128, 0, 255};
    r.xOffset = 10 * px;
    r.yOffset = 40 * px;
    r.glyphs = {{0, 30 * px}, {0, 30 * px}};
    text.records = {r};
    uint16_t id = b.define(text);
    Canvas c = render(movieOf(b), id, false);
    EXPECT_EQ(countColor(c.image, QColor(0, 128, 0)), 2 * 20 * 20);
    EXPECT_EQ(c.at(10, 20), QColor(0, 128, 0));
    EXPECT_EQ(c.at(40, 39), QColor(0, 128, 0));
    EXPECT_EQ(c.at(35, 30), QColor(Qt::white));  // the advance leaves a gap
}

QByteArray jpegOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

TEST(SwfRender, JpegBitmapsDecodeWithTablesAndAlpha) {
    QImage src(8, 4, QImage::Format_RGB32);
    src.fill(QColor(0, 0, 255));
    const QByteArray jpeg = jpegOf(src);
    ASSERT_FALSE(jpeg.isEmpty());
    JpegBitmap b2;
    b2.version = 2;
    // With the stray end/start marker pair some writers put in front.
    b2.data = {0xff, 0xd9, 0xff, 0xd8};
    b2.data.insert(b2.data.end(), jpeg.begin(), jpeg.end());
    QImage img = decodeJpegBitmap(b2, {});
    ASSERT_EQ(img.size(), QSize(8, 4));
    expectNear(img.pixelColor(3, 2), QColor(0, 0, 255), 6, "jpeg2");

    // Version 3: the same image with an alpha plane of 0x80 everywhere.
    JpegBitmap b3 = b2;
    b3.version = 3;
    std::vector<uint8_t> alpha(32, 0x80);
    auto wrapped = wrapMovie(8, alpha, Compression::Zlib);
    b3.alpha.assign(wrapped.begin() + 8, wrapped.end());
    img = decodeJpegBitmap(b3, {});
    ASSERT_EQ(img.size(), QSize(8, 4));
    EXPECT_EQ(img.pixelColor(3, 2).alpha(), 0x80);
    // Its colours count as premultiplied: full blue is clamped to the alpha, and a JPEG of
    // half blue under half alpha is full blue at half opacity.
    EXPECT_NEAR(qBlue(img.pixel(3, 2)), 0x80, 1);
    QImage darker(8, 4, QImage::Format_RGB32);
    darker.fill(QColor(0, 0, 128));
    const QByteArray darkJpeg = jpegOf(darker);
    b3.data.assign(darkJpeg.begin(), darkJpeg.end());
    img = decodeJpegBitmap(b3, {});
    expectNear(img.pixelColor(3, 2), QColor(0, 0, 255, 128), 8, "premultiplied jpeg3");

    // Version 1: the tables in the movie's JPEGTables, the image without them. Splitting
    // a whole JPEG after its quantisation and Huffman tables gives such a pair.
    const auto sos = jpeg.indexOf(QByteArray("\xff\xda", 2));
    ASSERT_GT(sos, 0);
    std::vector<uint8_t> tables(jpeg.begin(), jpeg.begin() + sos);
    tables.push_back(0xff);
    tables.push_back(0xd9);
    JpegBitmap b1;
    b1.version = 1;
    b1.data = {0xff, 0xd8};
    b1.data.insert(b1.data.end(), jpeg.begin() + sos, jpeg.end());
    img = decodeJpegBitmap(b1, tables);
    ASSERT_EQ(img.size(), QSize(8, 4));
    expectNear(img.pixelColor(3, 2), QColor(0, 0, 255), 6, "jpeg1");

    JpegBitmap broken;
    broken.data = {0xff, 0xd8, 0x00};
    EXPECT_TRUE(decodeJpegBitmap(broken, {}).isNull());
}

TEST(SwfRender, MaskCoverageCutsWhatIsDrawnAboveIt) {
    MovieBuilder b;
    ShapeBuilder square;
    square.rectangle(0, 0, 100 * px, 100 * px, square.addFill(solidFill({255, 0, 0, 255})));
    uint16_t squareId = b.define(square.build());
    // The mask: a 40 x 40 square with a line, which a mask leaves out.
    ShapeBuilder mask;
    mask.line(mask.addLine(solidLine(10 * px, {0, 0, 0, 255})));
    mask.rectangle(30 * px, 30 * px, 70 * px, 70 * px, mask.addFill(solidFill({0, 0, 0, 255})));
    uint16_t maskId = b.define(mask.build());
    Library lib(movieOf(b));
    const QTransform m = QTransform::fromScale(1.0 / px, 1.0 / px);
    Canvas c;
    QPainter p(&c.image);
    p.setClipPath(coverage(*lib.prepare(maskId), m));
    draw(*lib.prepare(squareId), p, m);
    p.end();
    EXPECT_EQ(countColor(c.image, Qt::red), 40 * 40);
    EXPECT_EQ(c.at(30, 30), QColor(Qt::red));
    EXPECT_EQ(c.at(28, 50), QColor(Qt::white));
}

TEST(SwfRender, HitTestFollowsFillsAndLines) {
    MovieBuilder b;
    ShapeBuilder s;
    s.rectangle(0, 0, 10 * px, 10 * px, s.addFill(solidFill({0, 0, 0, 255})));
    s.line(s.addLine(solidLine(2 * px, {0, 0, 0, 255})))
        .fill1(0)
        .moveTo(50 * px, 0)
        .lineTo(50 * px, 40 * px);
    uint16_t id = b.define(s.build());
    Library lib(movieOf(b));
    auto d = lib.prepare(id);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(hitTest(*d, {5 * px, 5 * px}));
    EXPECT_FALSE(hitTest(*d, {20 * px, 5 * px}));
    EXPECT_TRUE(hitTest(*d, {50 * px + 10, 20 * px}));
    EXPECT_FALSE(hitTest(*d, {53 * px, 20 * px}));
}

}  // namespace
}  // namespace pencora::swf::render

int main(int argc, char** argv) {
    // QImage's JPEG reader is a plugin; a GUI application finds it.
    // Nothing here opens a window; without a display the offscreen platform does.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
