// Gradient colours as the player paints them: the table read at pixel centres with its
// entries blended, the spread modes, the focal ray, and whole frames drawn through the
// renderer where each pixel's colour is known by construction.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <limits>

#include "platform/flash/render/drawable.h"
#include "platform/flash/render/gradient_fill.h"
#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::swf::render {
namespace {

using namespace swfwrite;

constexpr int px = 20;  // twips per pixel

const Rgba kRed{255, 0, 0, 255};
const Rgba kBlue{0, 0, 255, 255};

Gradient redToBlue() {
    Gradient g;
    g.stops = {{0, kRed}, {255, kBlue}};
    return g;
}

TEST(GradientRamp, EntriesShowAtTheirCentresAndBlendBetween) {
    const GradientRamp ramp(gradientTable(redToBlue(), {}));
    // Red to blue over 0..255: entry i is (255 - i, 0, i).
    EXPECT_EQ(ramp.at(0.5), qRgba(255, 0, 0, 255));
    EXPECT_EQ(ramp.at(100.5), qRgba(155, 0, 100, 255));
    EXPECT_EQ(ramp.at(255.5), qRgba(0, 0, 255, 255));
    // Half way between two centres: half of each.
    const QRgb between = ramp.at(11.0);    // entries 10 and 11
    EXPECT_EQ(qBlue(between), 10);         // 10.5: a half rounds down
    EXPECT_EQ(qRed(between), 244);         // 244.5
    EXPECT_EQ(qBlue(ramp.at(11.25)), 11);  // 10.75
    // Before the first centre and after the last the end entries hold.
    EXPECT_EQ(ramp.at(0), ramp.at(0.5));
    EXPECT_EQ(ramp.at(256), ramp.at(255.5));

    // The table blends straight colours: a see-through stop's colour still tints the entries
    // near it (the frames show it), and the ramp holds them premultiplied.
    Gradient fade;
    fade.stops = {{0, {0, 255, 0, 0}}, {255, kBlue}};
    const GradientRamp faded(gradientTable(fade, {}));
    EXPECT_EQ(faded.at(0.5), qRgba(0, 0, 0, 0));
    const QRgb quarter = qUnpremultiply(faded.at(64.5));
    EXPECT_NEAR(qAlpha(quarter), 64, 1);
    EXPECT_NEAR(qGreen(quarter), 191, 2);
    EXPECT_NEAR(qBlue(quarter), 64, 2);
}

TEST(GradientRamp, SpreadModesFoldPositionsIntoTheSquare) {
    struct Row {
        double position;
        double pad, repeat, reflect;
    };
    const Row rows[] = {
        {-10, 0, 246, 10},   {0, 0, 0, 0},       {100, 100, 100, 100}, {256, 256, 0, 256},
        {300, 256, 44, 212}, {600, 256, 88, 88}, {-300, 0, 212, 212},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.position);
        EXPECT_DOUBLE_EQ(spreadPosition(r.position, SpreadMode::Pad), r.pad);
        EXPECT_DOUBLE_EQ(spreadPosition(r.position, SpreadMode::Repeat), r.repeat);
        EXPECT_DOUBLE_EQ(spreadPosition(r.position, SpreadMode::Reflect), r.reflect);
    }
    // Positions no number can reach (a squashed matrix) go to an end, never undefined.
    EXPECT_DOUBLE_EQ(spreadPosition(std::nan(""), SpreadMode::Pad), 0);
    EXPECT_DOUBLE_EQ(spreadPosition(1e300, SpreadMode::Pad), 256);
    const double folded = spreadPosition(-1e300, SpreadMode::Reflect);
    EXPECT_GE(folded, 0);
    EXPECT_LE(folded, 256);
}

TEST(GradientRamp, PositionsAlongTheAxisOutFromTheCentreAndFromTheFocus) {
    constexpr double r = 16384;  // the square's half width in twips
    EXPECT_DOUBLE_EQ(gradientPosition(FillType::LinearGradient, 0, -r, 123), 0);
    EXPECT_DOUBLE_EQ(gradientPosition(FillType::LinearGradient, 0, 0, 0), 128);
    EXPECT_DOUBLE_EQ(gradientPosition(FillType::LinearGradient, 0, r, -5), 256);
    EXPECT_DOUBLE_EQ(gradientPosition(FillType::RadialGradient, 0, 0, 0), 0);
    EXPECT_DOUBLE_EQ(gradientPosition(FillType::RadialGradient, 0, 0.6 * r, 0.8 * r), 256);
    // Focal: 0 at the focus, 256 on the circle whichever way the ray goes, half way between.
    const double f = 0.5;
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, f * r, 0), 0, 1e-9);
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, r, 0), 256, 1e-9);
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, -r, 0), 256, 1e-9);
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, 0, r), 256, 1e-9);
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, 0.75 * r, 0), 128, 1e-9);
    EXPECT_NEAR(gradientPosition(FillType::FocalGradient, f, -0.25 * r, 0), 128, 1e-9);
    // A focal point on the circle is held just inside it: every position stays a number.
    for (double x : {-r, 0.0, r, 2 * r}) {
        EXPECT_TRUE(std::isfinite(gradientPosition(FillType::FocalGradient, 1.0, x, 0.3 * r)));
    }
}

struct GradientFrame {
    std::shared_ptr<const Movie> movie;
    uint16_t id = 0;

    // A 256 x 20 pixel rectangle filled with `type` over `box` (pixels), red to blue.
    GradientFrame(FillType type, QRectF box, SpreadMode spread = SpreadMode::Pad,
                  double focal = 0) {
        MovieBuilder b;
        ShapeBuilder s;
        FillStyle fill = gradientFill(type,
                                      gradientBox(int(box.x() * px), int(box.y() * px),
                                                  int(box.width() * px), int(box.height() * px)),
                                      {{0, kRed}, {255, kBlue}}, spread);
        fill.gradient.focalPoint = focal;
        s.rectangle(0, 0, 256 * px, 20 * px, s.addFill(fill));
        id = b.define(s.build());
        movie = readMovie(b.write()).movie;
    }

    QImage draw(bool antialias, const QTransform& painterTransform = {},
                const QTransform& matrix = QTransform::fromScale(1.0 / px, 1.0 / px)) const {
        QImage image(256, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        Library library(movie);
        auto d = library.prepare(id);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, antialias);
        p.setTransform(painterTransform);
        render::draw(*d, p, matrix);
        return image;
    }
};

TEST(GradientPixels, EveryPixelReadsTheEntryAtItsCentre) {
    // A linear gradient exactly 256 pixels wide: pixel x's centre is at x + 0.5, entry x.
    const GradientFrame frame(FillType::LinearGradient, QRectF(0, 0, 256, 20));
    for (bool antialias : {false, true}) {
        SCOPED_TRACE(antialias ? "anti-aliased" : "aliased");
        const QImage image = frame.draw(antialias);
        int wrong = 0;
        for (int x = 0; x < 256; ++x) {
            wrong += image.pixel(x, 10) != qRgb(255 - x, 0, x);
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(image.pixel(0, 10), qRgb(255, 0, 0));    // the first colour at the start
        EXPECT_EQ(image.pixel(255, 10), qRgb(0, 0, 255));  // and the last at the end
    }
    // The same through a painter that moves what it draws (a layer's origin): the
    // gradient moves with the shape.
    const QImage moved = frame.draw(false, QTransform::fromTranslate(-56, 0),
                                    QTransform::fromScale(1.0 / px, 1.0 / px));
    EXPECT_EQ(moved.pixel(0, 10), qRgb(255 - 56, 0, 56));
    EXPECT_EQ(moved.pixel(199, 10), qRgb(0, 0, 255));
}

TEST(GradientPixels, SpreadsAndTheFocusOnAFrame) {
    // A 64-pixel box repeated or reflected along the 256-pixel rectangle.
    const QRectF box(0, 0, 64, 20);
    const QImage repeat =
        GradientFrame(FillType::LinearGradient, box, SpreadMode::Repeat).draw(false);
    const QImage reflect =
        GradientFrame(FillType::LinearGradient, box, SpreadMode::Reflect).draw(false);
    const QImage pad = GradientFrame(FillType::LinearGradient, box, SpreadMode::Pad).draw(false);
    EXPECT_EQ(repeat.pixel(64, 10), repeat.pixel(0, 10));
    EXPECT_EQ(repeat.pixel(64 + 17, 10), repeat.pixel(17, 10));
    EXPECT_EQ(reflect.pixel(64, 10), reflect.pixel(63, 10));
    EXPECT_EQ(reflect.pixel(64 + 17, 10), reflect.pixel(63 - 17, 10));
    EXPECT_EQ(reflect.pixel(128 + 17, 10), reflect.pixel(17, 10));
    EXPECT_EQ(pad.pixel(200, 10), qRgb(0, 0, 255));

    // A focal gradient over a 200-pixel circle centred on row 10, its focus at 0.5: half way
    // from the focus (x 150) to the circle (x 200) reads entry 128, where red and blue meet.
    const QImage focal =
        GradientFrame(FillType::FocalGradient, QRectF(0, -89.5, 200, 200), SpreadMode::Pad, 0.5)
            .draw(false);
    // Pixel 174's centre is 24.5 pixels from the focus (a 50-pixel way): entry 125.44 - 0.5.
    const QRgb mid = focal.pixel(174, 10);
    EXPECT_EQ(qBlue(mid), 125);
    EXPECT_EQ(qRed(mid), 130);
    // Half a pixel from the focus: position 2.56, entry 2.06.
    EXPECT_EQ(focal.pixel(150, 10), qRgb(253, 0, 2));
}

TEST(GradientPixels, ARepaintReusesPixelsOnlyForTheSameGradientPlaceAndColours) {
    // The square mapped onto 256 device pixels from x 0: pixel x reads entry x.
    FillStyle style;
    style.type = FillType::LinearGradient;
    style.gradient = redToBlue();
    const QTransform square(256.0 / 32768, 0, 0, 256.0 / 32768, 128, 0);
    const QRect area(0, 0, 256, 4);
    auto at10 = [](const QImage& image) { return image.pixel(10, 0); };

    const QImage first = gradientImage(style, square, {}, area);
    EXPECT_EQ(at10(first), qRgb(245, 0, 10));
    ColorTransform noRed;
    noRed.rMult = 0;
    EXPECT_EQ(at10(gradientImage(style, square, noRed, area)), qRgb(0, 0, 10));
    EXPECT_EQ(at10(gradientImage(style, square * QTransform::fromTranslate(16, 0), {}, area)),
              qRgb(255, 0, 0));  // moved right: pixel 10 lies before the start
    EXPECT_EQ(at10(gradientImage(style, square, {}, area.translated(8, 0))), qRgb(237, 0, 18));
    FillStyle reversed = style;
    reversed.gradient.stops = {{0, kBlue}, {255, kRed}};
    EXPECT_EQ(at10(gradientImage(reversed, square, {}, area)), qRgb(10, 0, 245));
    FillStyle radial = style;
    radial.type = FillType::RadialGradient;
    // 117.5 pixels out: position 235, half way between entries 234 and 235.
    EXPECT_EQ(at10(gradientImage(radial, square, {}, area)), qRgb(20, 0, 234));
    EXPECT_EQ(gradientImage(style, square, {}, area), first);

    // A matrix gone to not-a-number paints the first colour rather than reading outside the
    // table.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QImage broken = gradientImage(style, QTransform(nan, 0, 0, 1, 0, 0), {}, area);
    ASSERT_FALSE(broken.isNull());
    EXPECT_EQ(at10(broken), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace pencora::swf::render
