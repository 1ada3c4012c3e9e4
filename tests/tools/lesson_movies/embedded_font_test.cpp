// Glyphs taken from the Kai face: the embedded font lists its characters in ascending code
// order with matching indexes (lookups by code rely on it), skips spaces, refuses characters
// the face lacks, and its outlines are closed contours covering the same box as the face's own.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <stdexcept>

#include "embedded_font.h"

namespace lesson_movies {
namespace {

using namespace pencora;

constexpr const char* kKaiFace = "/usr/share/fonts/truetype/arphic/ukai.ttc";

struct Walk {
    QRectF bounds;
    int openContours = 0;
};

// Follows a glyph's records (20 units a pixel at 1024 pixels an em) and notes where it goes.
Walk walk(const std::vector<swf::ShapeRecord>& records) {
    Walk w;
    double x = 0, y = 0, startX = 0, startY = 0;
    bool open = false;
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    auto visit = [&](double px, double py) {
        x0 = std::min(x0, px), y0 = std::min(y0, py), x1 = std::max(x1, px), y1 = std::max(y1, py);
    };
    for (const auto& r : records) {
        if (const auto* c = std::get_if<swf::StyleChange>(&r)) {
            if (c->moveX) {
                w.openContours += open && (x != startX || y != startY);
                x = startX = *c->moveX;
                y = startY = *c->moveY;
                open = true;
            }
        } else if (const auto* e = std::get_if<swf::StraightEdge>(&r)) {
            x += e->dx;
            y += e->dy;
            visit(x, y);
        } else {
            const auto& q = std::get<swf::CurvedEdge>(r);
            const double cx = x + q.cx, cy = y + q.cy;
            const double ex = cx + q.ax, ey = cy + q.ay;
            // The curve's extremes on each axis, where they fall inside it.
            auto at = [](double a, double b, double c, double t) {
                return (1 - t) * (1 - t) * a + 2 * (1 - t) * t * b + t * t * c;
            };
            for (const double t : {(x - cx) / (x - 2 * cx + ex), (y - cy) / (y - 2 * cy + ey)}) {
                if (t > 0 && t < 1) {
                    visit(at(x, cx, ex, t), at(y, cy, ey, t));
                }
            }
            x = ex;
            y = ey;
            visit(x, y);
        }
    }
    w.openContours += open && (x != startX || y != startY);
    w.bounds = QRectF(QPointF(x0 / 20, y0 / 20), QPointF(x1 / 20, y1 / 20));
    return w;
}

class KaiFont : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QFile::exists(kKaiFace)) {
            GTEST_SKIP() << "the Kai face (fonts-arphic-ukai) is not installed";
        }
    }
};

TEST_F(KaiFont, CharactersInCodeOrderWithTheirIndexes) {
    EmbeddedFont font(kKaiFace);
    font.use(U"读 书");
    font.use(U"口一读ā");
    const swf::Font f = font.font(3, "Kai");
    EXPECT_EQ(f.version, 3);
    ASSERT_EQ(f.codes.size(), 5u);
    EXPECT_TRUE(std::is_sorted(f.codes.begin(), f.codes.end()));
    EXPECT_EQ(f.glyphs.size(), f.codes.size());
    EXPECT_EQ(f.advances.size(), f.codes.size());
    for (size_t k = 0; k < f.codes.size(); ++k) {
        EXPECT_EQ(font.index(f.codes[k]), k);
    }
    EXPECT_THROW(font.use(U"\U0001F600"), std::runtime_error);
    EXPECT_THROW(font.index(U'水'), std::logic_error);
}

TEST_F(KaiFont, OutlinesMatchTheFace) {
    EmbeddedFont font(kKaiFace);
    const std::u32string text = U"口永鹅ǚ";
    font.use(text);
    const swf::Font f = font.font(1, "Kai");
    const QRawFont raw(QString::fromLatin1(kKaiFace), 1024);
    for (size_t k = 0; k < f.codes.size(); ++k) {
        SCOPED_TRACE(k);
        const char32_t c = f.codes[k];
        const auto glyphs = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
        const QRectF expected = raw.pathForGlyph(glyphs.front()).boundingRect();
        const Walk w = walk(f.glyphs[k]);
        EXPECT_EQ(w.openContours, 0);
        // Within a pixel and a half at 1024 pixels an em (points are rounded to units).
        EXPECT_NEAR(w.bounds.left(), expected.left(), 1.5);
        EXPECT_NEAR(w.bounds.right(), expected.right(), 1.5);
        EXPECT_NEAR(w.bounds.top(), expected.top(), 1.5);
        EXPECT_NEAR(w.bounds.bottom(), expected.bottom(), 1.5);
        EXPECT_NEAR(f.advances[k] / 20.0, font.advance(c, 1024), 0.05);
    }
}

}  // namespace
}  // namespace lesson_movies
