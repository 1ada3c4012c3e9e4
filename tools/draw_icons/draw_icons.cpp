// Paints Pencora's own artwork with QPainter and writes it as PNG files with alpha:
//   toolbar/00.png .. 13.png   32 x 32, the toolbar image list (indices as the buttons use them)
//   tree/00.png .. 02.png      16 x 16, the catalogue tree (book, unit, lesson)
//   icon/16.png .. 256.png     the program's icon at each hicolor size (app_icon.cpp); the
//                              windows carry it and the installed menu entry shows it
// Regenerate with: build/tools/draw_icons/draw_icons src/app/resources/images
// (run with QT_QPA_PLATFORM=offscreen where there is no display).
#include "app_icon.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// A friendly palette: saturated but soft, with darker outlines of the same hue.
struct Tint {
    QColor light, base, dark;
};
const Tint kBlue{QColor(140, 200, 255), QColor(52, 132, 228), QColor(24, 72, 150)};
const Tint kGreen{QColor(160, 235, 140), QColor(64, 178, 72), QColor(30, 110, 40)};
const Tint kOrange{QColor(255, 214, 130), QColor(246, 150, 40), QColor(170, 90, 10)};
const Tint kRed{QColor(255, 160, 150), QColor(230, 72, 60), QColor(150, 30, 24)};
const Tint kPurple{QColor(214, 176, 255), QColor(142, 92, 220), QColor(84, 44, 150)};
const Tint kTeal{QColor(140, 235, 225), QColor(32, 170, 170), QColor(14, 100, 104)};
const Tint kYellow{QColor(255, 244, 150), QColor(250, 200, 40), QColor(176, 124, 0)};
const Tint kGrey{QColor(236, 240, 246), QColor(170, 182, 198), QColor(92, 104, 124)};

QBrush gradient(const QRectF& r, const Tint& t) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, t.light);
    g.setColorAt(1, t.base);
    return g;
}

QPen outline(const Tint& t, qreal width = 1.2) {
    QPen pen(t.dark, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void shadow(QPainter& p, const QRectF& r) {
    QRadialGradient g(r.center(), r.width() / 2);
    g.setColorAt(0, QColor(0, 0, 0, 70));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(r);
}

void glyph(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixels,
           bool bold = true) {
    QFont font;
    font.setFamilies({"Noto Sans CJK SC", "Noto Sans", "WenQuanYi Zen Hei", "DejaVu Sans"});
    font.setPixelSize(pixels);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void card(QPainter& p, const QRectF& r, const Tint& t, qreal radius = 3) {
    p.setPen(outline(t));
    p.setBrush(gradient(r, t));
    p.drawRoundedRect(r, radius, radius);
    // A gloss along the top edge.
    QRectF gloss(r.left() + 1.5, r.top() + 1.2, r.width() - 3, r.height() * 0.38);
    QLinearGradient g(gloss.topLeft(), gloss.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, 150));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(gloss, radius - 1, radius - 1);
}

void paper(QPainter& p, const QRectF& r) {
    p.setPen(outline(kGrey));
    p.setBrush(QColor(255, 255, 252));
    p.drawRoundedRect(r, 2, 2);
}

void speechWaves(QPainter& p, QPointF from, const QColor& colour, int count) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const qreal radius = 4 + i * 4;
        QPen pen(colour, 2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawArc(QRectF(from.x() - radius, from.y() - radius, 2 * radius, 2 * radius), -50 * 16,
                  100 * 16);
    }
}

void speaker(QPainter& p, const QRectF& r, const Tint& t) {
    QPainterPath body;
    const qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
    body.moveTo(x, y + h * 0.35);
    body.lineTo(x + w * 0.3, y + h * 0.35);
    body.lineTo(x + w * 0.62, y + h * 0.08);
    body.lineTo(x + w * 0.62, y + h * 0.92);
    body.lineTo(x + w * 0.3, y + h * 0.65);
    body.lineTo(x, y + h * 0.65);
    body.closeSubpath();
    p.setPen(outline(t));
    p.setBrush(gradient(r, t));
    p.drawPath(body);
}

void headphones(QPainter& p, const QRectF& r, const Tint& t) {
    QPen band(t.dark, 3.2);
    band.setCapStyle(Qt::RoundCap);
    p.setPen(band);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + 2, r.top(), r.width() - 4, r.height() * 1.1), 10 * 16, 160 * 16);
    QPen inner(t.light, 1.2);
    p.setPen(inner);
    p.drawArc(QRectF(r.left() + 2, r.top(), r.width() - 4, r.height() * 1.1), 30 * 16, 120 * 16);
    for (int side = 0; side < 2; ++side) {
        const qreal cx = side == 0 ? r.left() + 4 : r.right() - 4;
        QRectF cup(cx - 4, r.top() + r.height() * 0.45, 8, r.height() * 0.5);
        card(p, cup, t, 3.5);
    }
}

void eye(QPainter& p, const QRectF& r) {
    QPainterPath lid;
    lid.moveTo(r.left(), r.center().y());
    lid.quadTo(r.center().x(), r.top() - r.height() * 0.35, r.right(), r.center().y());
    lid.quadTo(r.center().x(), r.bottom() + r.height() * 0.35, r.left(), r.center().y());
    p.setPen(outline(kGrey, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(lid);
    const qreal d = r.height() * 0.95;
    QRectF iris(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    QRadialGradient g(iris.center(), d / 2);
    g.setColorAt(0, QColor(120, 80, 40));
    g.setColorAt(1, QColor(60, 40, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(iris);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(iris.center().x() + d * 0.08, iris.top() + d * 0.18, d * 0.25, d * 0.25));
}

void pencil(QPainter& p, QPointF tip, qreal length, qreal angleDegrees) {
    p.save();
    p.translate(tip);
    p.rotate(angleDegrees);
    const qreal w = 5.5;
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(6, -w / 2);
    point.lineTo(6, w / 2);
    point.closeSubpath();
    p.setPen(outline(kOrange, 1));
    p.setBrush(QColor(250, 222, 180));
    p.drawPath(point);
    p.setBrush(QColor(60, 60, 60));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(2.2, -1), QPointF(2.2, 1)}));
    QRectF body(6, -w / 2, length - 10, w);
    p.setPen(outline(kOrange, 1));
    p.setBrush(gradient(body, kYellow));
    p.drawRect(body);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(length - 4, -w / 2, 2, w));
    p.setBrush(QColor(250, 130, 150));
    p.drawRoundedRect(QRectF(length - 2.2, -w / 2, 3, w), 1.2, 1.2);
    p.restore();
}

void star(QPainter& p, QPointF c, qreal outer, const Tint& t) {
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal r = (i % 2 == 0) ? outer : outer * 0.45;
        poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    p.setPen(outline(t));
    p.setBrush(gradient(poly.boundingRect(), t));
    p.drawPolygon(poly);
}

void gear(QPainter& p, QPointF c, qreal outer, const Tint& t) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a0 = i * M_PI / teeth;
        const qreal a1 = (i + 1) * M_PI / teeth;
        const qreal r = (i % 2 == 0) ? outer : outer * 0.78;
        const QPointF p0(c.x() + r * std::cos(a0 + 0.08), c.y() + r * std::sin(a0 + 0.08));
        const QPointF p1(c.x() + r * std::cos(a1 - 0.08), c.y() + r * std::sin(a1 - 0.08));
        if (i == 0) {
            path.moveTo(p0);
        } else {
            path.lineTo(p0);
        }
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(c, outer * 0.32, outer * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(outline(t));
    p.setBrush(gradient(path.boundingRect(), t));
    p.drawPath(path);
}

void globe(QPainter& p, const QRectF& r) {
    QRadialGradient sea(r.center() - QPointF(r.width() * 0.18, r.height() * 0.2), r.width() * 0.7);
    sea.setColorAt(0, QColor(170, 225, 255));
    sea.setColorAt(1, QColor(40, 120, 220));
    p.setPen(outline(kBlue));
    p.setBrush(sea);
    p.drawEllipse(r);
    p.save();
    QPainterPath clip;
    clip.addEllipse(r);
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 190, 80));
    const qreal x = r.left(), y = r.top(), w = r.width();
    QPainterPath land;
    land.moveTo(x + w * 0.2, y + w * 0.25);
    land.cubicTo(x + w * 0.45, y + w * 0.1, x + w * 0.55, y + w * 0.35, x + w * 0.42, y + w * 0.5);
    land.cubicTo(x + w * 0.3, y + w * 0.62, x + w * 0.12, y + w * 0.5, x + w * 0.2, y + w * 0.25);
    p.drawPath(land);
    QPainterPath land2;
    land2.moveTo(x + w * 0.62, y + w * 0.55);
    land2.cubicTo(x + w * 0.85, y + w * 0.5, x + w * 0.9, y + w * 0.75, x + w * 0.7, y + w * 0.88);
    land2.cubicTo(x + w * 0.55, y + w * 0.85, x + w * 0.5, y + w * 0.65, x + w * 0.62,
                  y + w * 0.55);
    p.drawPath(land2);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(r.center().x() - w * 0.22, r.top(), w * 0.44, r.height()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.restore();
}

void openBook(QPainter& p, const QRectF& r, const Tint& cover) {
    const qreal cx = r.center().x();
    QPainterPath left, right;
    left.moveTo(cx, r.top() + r.height() * 0.15);
    left.quadTo(cx - r.width() * 0.25, r.top(), r.left(), r.top() + r.height() * 0.1);
    left.lineTo(r.left(), r.bottom() - r.height() * 0.08);
    left.quadTo(cx - r.width() * 0.25, r.bottom() - r.height() * 0.18, cx, r.bottom());
    left.closeSubpath();
    right = left * QTransform::fromTranslate(2 * cx, 0).scale(-1, 1);
    // The cover behind the pages.
    p.setPen(outline(cover));
    p.setBrush(gradient(r, cover));
    p.drawRoundedRect(r.adjusted(-1.5, 2.5, 1.5, 2), 2, 2);
    p.setPen(outline(kGrey, 1));
    p.setBrush(QColor(255, 255, 250));
    p.drawPath(left);
    p.drawPath(right);
}

void bookLines(QPainter& p, const QRectF& r) {
    const qreal cx = r.center().x();
    p.setPen(QPen(QColor(150, 170, 200), 1));
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + r.height() * (0.32 + 0.15 * i);
        p.drawLine(QPointF(r.left() + 3, y), QPointF(cx - 3, y + 0.6));
        p.drawLine(QPointF(cx + 3, y + 0.6), QPointF(r.right() - 3, y));
    }
}

using Painter = std::function<void(QPainter&)>;

// The toolbar images, by image index.
const Painter kToolbar[14] = {
    // 0 字词速记: a stack of flash cards, the top one showing 字.
    [](QPainter& p) {
        card(p, QRectF(9, 3, 19, 22), kPurple);
        card(p, QRectF(6, 5.5, 19, 22), kOrange);
        card(p, QRectF(3, 8, 20, 22), kBlue);
        glyph(p, QRectF(3, 8, 20, 21), "字", Qt::white, 16);
        star(p, QPointF(26, 26), 5, kYellow);
    },
    // 1 同步学课文: an open textbook with a play mark.
    [](QPainter& p) {
        openBook(p, QRectF(2, 6, 28, 20), kGreen);
        bookLines(p, QRectF(2, 6, 28, 20));
        QRectF badge(19, 17, 12, 12);
        p.setPen(outline(kRed));
        p.setBrush(gradient(badge, kRed));
        p.drawEllipse(badge);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(23.5, 20), QPointF(23.5, 26), QPointF(28, 23)}));
    },
    // 2 听音辨音: a speaker saying "ā".
    [](QPainter& p) {
        speaker(p, QRectF(2, 8, 16, 17), kTeal);
        card(p, QRectF(16, 3, 15, 15), kYellow, 7);
        glyph(p, QRectF(16, 2, 15, 15), QString::fromUtf8("ā"), kYellow.dark, 13);
        speechWaves(p, QPointF(14, 22), kTeal.dark, 2);
    },
    // 3 我念你写: a pencil writing on a sheet.
    [](QPainter& p) {
        paper(p, QRectF(3, 3, 21, 26));
        p.setPen(QPen(QColor(255, 150, 150), 1));
        p.drawLine(QPointF(7, 3.5), QPointF(7, 28.5));
        p.setPen(QPen(QColor(150, 180, 220), 1));
        for (int i = 0; i < 5; ++i) {
            p.drawLine(QPointF(8.5, 8 + i * 4.5), QPointF(21, 8 + i * 4.5));
        }
        glyph(p, QRectF(8, 6, 13, 13), "写", QColor(40, 60, 120), 11);
        pencil(p, QPointF(15, 25), 20, -48);
    },
    // 4 看音认字: an eye reading pinyin above a character card.
    [](QPainter& p) {
        eye(p, QRectF(3, 4, 16, 9));
        card(p, QRectF(12, 13, 17, 17), kRed);
        glyph(p, QRectF(12, 13, 17, 16), "字", Qt::white, 13);
        glyph(p, QRectF(17, 0, 15, 12), "zì", kBlue.dark, 10);
    },
    // 5 a reward star.
    [](QPainter& p) {
        shadow(p, QRectF(6, 24, 20, 6));
        star(p, QPointF(16, 15), 13, kYellow);
    },
    // 6 看字认音: a character card with its pinyin in a bubble.
    [](QPainter& p) {
        card(p, QRectF(2, 9, 19, 20), kGreen);
        glyph(p, QRectF(2, 9, 19, 19), "音", Qt::white, 14);
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(15, 2, 16, 12), 5, 5);
        bubble.moveTo(18, 13);
        bubble.lineTo(16, 18);
        bubble.lineTo(22, 13.5);
        p.setPen(outline(kBlue));
        p.setBrush(QColor(255, 255, 255));
        p.drawPath(bubble.simplified());
        glyph(p, QRectF(15, 1.5, 16, 12), QString::fromUtf8("yīn"), kBlue.dark, 9);
    },
    // 7 生字表: a grid of characters.
    [](QPainter& p) {
        QRectF sheet(3, 3, 26, 26);
        p.setPen(outline(kBlue));
        p.setBrush(QColor(250, 252, 255));
        p.drawRoundedRect(sheet, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(gradient(QRectF(3, 3, 26, 7), kBlue));
        p.drawRoundedRect(QRectF(3.6, 3.6, 24.8, 6), 1.5, 1.5);
        p.setPen(QPen(kBlue.base, 1));
        p.drawLine(QPointF(16, 10), QPointF(16, 29));
        p.drawLine(QPointF(3, 19.5), QPointF(29, 19.5));
        const char* chars[] = {"山", "水", "日", "月"};
        for (int i = 0; i < 4; ++i) {
            const int c = i % 2, r = i / 2;
            glyph(p, QRectF(3 + c * 13, 10 + r * 9.5, 13, 9.5), QString::fromUtf8(chars[i]),
                  QColor(200, 60, 50), 8);
        }
    },
    // 8 a light bulb (an idea).
    [](QPainter& p) {
        QRadialGradient glow(QPointF(16, 12), 14);
        glow.setColorAt(0, QColor(255, 250, 180, 160));
        glow.setColorAt(1, QColor(255, 250, 180, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QRectF(2, -2, 28, 28));
        p.setPen(outline(kYellow));
        p.setBrush(gradient(QRectF(8, 3, 16, 17), kYellow));
        p.drawEllipse(QRectF(8, 3, 16, 17));
        p.setBrush(gradient(QRectF(12, 19, 8, 8), kGrey));
        p.drawRoundedRect(QRectF(12, 19, 8, 8), 1.5, 1.5);
        p.setPen(QPen(kGrey.dark, 1));
        p.drawLine(QPointF(12.5, 22), QPointF(19.5, 22));
        p.drawLine(QPointF(12.5, 24.5), QPointF(19.5, 24.5));
    },
    // 9 网站: a globe.
    [](QPainter& p) {
        shadow(p, QRectF(6, 25, 20, 6));
        globe(p, QRectF(3, 2, 26, 26));
    },
    // 10 设置: a gear with a small one beside it.
    [](QPainter& p) {
        gear(p, QPointF(13, 14), 11, kGrey);
        gear(p, QPointF(24.5, 24.5), 6.5, kOrange);
    },
    // 11 a loudspeaker.
    [](QPainter& p) {
        speaker(p, QRectF(3, 6, 20, 20), kOrange);
        speechWaves(p, QPointF(17, 16), kOrange.dark, 3);
    },
    // 12 a help mark.
    [](QPainter& p) {
        QRectF r(3, 3, 26, 26);
        p.setPen(outline(kPurple));
        p.setBrush(gradient(r, kPurple));
        p.drawEllipse(r);
        glyph(p, r, "?", Qt::white, 20);
    },
    // 13 听音认字: headphones around a character.
    [](QPainter& p) {
        glyph(p, QRectF(7, 9, 18, 18), "字", kRed.base, 15);
        headphones(p, QRectF(2, 3, 28, 24), kBlue);
    },
};

// The tree images: 0 a book, 1 a unit, 2 a lesson.
const Painter kTree[3] = {
    [](QPainter& p) {
        QRectF cover(2.5, 1.5, 11, 13);
        p.setPen(outline(kBlue, 1));
        p.setBrush(gradient(cover, kBlue));
        p.drawRoundedRect(cover, 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 250));
        p.drawRect(QRectF(4.5, 12, 8.5, 1.8));
        p.setBrush(kBlue.dark);
        p.drawRect(QRectF(2.5, 1.5, 2, 13));
        p.setBrush(QColor(255, 220, 90));
        p.drawRoundedRect(QRectF(6.5, 4, 5, 3), 1, 1);
    },
    [](QPainter& p) {
        openBook(p, QRectF(1, 3, 14, 10), kOrange);
        p.setPen(QPen(QColor(170, 185, 210), 0.8));
        for (int i = 0; i < 2; ++i) {
            const qreal y = 7 + i * 2.5;
            p.drawLine(QPointF(3, y), QPointF(6.5, y + 0.3));
            p.drawLine(QPointF(9.5, y + 0.3), QPointF(13, y));
        }
    },
    [](QPainter& p) {
        QPainterPath page;
        page.moveTo(3, 1.5);
        page.lineTo(10, 1.5);
        page.lineTo(13.5, 5);
        page.lineTo(13.5, 14.5);
        page.lineTo(3, 14.5);
        page.closeSubpath();
        p.setPen(outline(kGreen, 1));
        p.setBrush(QColor(252, 255, 248));
        p.drawPath(page);
        p.setBrush(kGreen.light);
        p.drawPolygon(QPolygonF({QPointF(10, 1.5), QPointF(10, 5), QPointF(13.5, 5)}));
        p.setPen(QPen(kGreen.base, 1.1));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(5, 7.5 + i * 2.3), QPointF(11.5, 7.5 + i * 2.3));
        }
    },
};

bool write(const QString& path, int size, const Painter& paint) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    p.end();
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icons <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath("toolbar");
    out.mkpath("tree");
    bool ok = true;
    for (int i = 0; i < 14; ++i) {
        ok &= write(out.filePath(QString("toolbar/%1.png").arg(i, 2, 10, QLatin1Char('0'))), 32,
                    kToolbar[i]);
    }
    for (int i = 0; i < 3; ++i) {
        ok &= write(out.filePath(QString("tree/%1.png").arg(i, 2, 10, QLatin1Char('0'))), 16,
                    kTree[i]);
    }
    out.mkpath("icon");
    for (int size : kAppIconSizes) {
        ok &= write(out.filePath(QString("icon/%1.png").arg(size)), size,
                    [size](QPainter& p) { paintAppIcon(p, size); });
    }
    return ok ? 0 : 1;
}
