#include "app_icon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// The icon is laid out on a 32-unit square; `Scale` turns units into the size's pixels and
// keeps outlines a whole number of device pixels wide, so small sizes stay crisp.
struct Scale {
    qreal unit;  // pixels per unit
    qreal px(qreal pixels) const { return pixels / unit; }
    qreal outline() const { return px(std::max(1.0, std::round(unit * 2) / 4)); }
};

const QColor kTileLight(120, 210, 255);
const QColor kTileDark(40, 110, 210);
const QColor kTileEdge(20, 70, 150);
const QColor kWood(250, 222, 180);
const QColor kPencilBody(250, 200, 40);
const QColor kPencilLight(255, 244, 150);
const QColor kPencilEdge(170, 90, 10);

QPen pen(const QColor& colour, qreal width) {
    QPen result(colour, width);
    result.setJoinStyle(Qt::RoundJoin);
    result.setCapStyle(Qt::RoundCap);
    return result;
}

QRectF tileRect(int size, const Scale& s) {
    if (size <= 24) {
        return QRectF(s.px(0.5), s.px(0.5), 32 - s.px(1), 32 - s.px(1));
    }
    return size >= 48 ? QRectF(1.5, 1, 29, 29) : QRectF(1, 1, 30, 30);
}

void tileShadow(QPainter& p, const QRectF& tile) {
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(10, 40, 90, 22));
        const qreal grow = i * 0.35;
        p.drawRoundedRect(tile.translated(0, 0.9).adjusted(-grow, -grow, grow, grow), 7 + grow,
                          7 + grow);
    }
}

void tile(QPainter& p, const QRectF& r, const Scale& s, bool gloss) {
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, kTileLight);
    fill.setColorAt(1, kTileDark);
    p.setPen(pen(kTileEdge, s.outline()));
    p.setBrush(fill);
    const qreal radius = r.width() * 0.23;
    p.drawRoundedRect(r, radius, radius);
    if (!gloss) {
        return;
    }
    QPainterPath inside;
    inside.addRoundedRect(r.adjusted(s.px(1), s.px(1), -s.px(1), -s.px(1)), radius, radius);
    p.save();
    p.setClipPath(inside);
    QLinearGradient shine(0, r.top(), 0, r.top() + r.height() * 0.5);
    shine.setColorAt(0, QColor(255, 255, 255, 110));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(QRectF(r.left() - r.width() * 0.3, r.top() - r.height() * 0.55, r.width() * 1.6,
                         r.height() * 1.0));
    p.restore();
}

// The glyph is drawn in device pixels at a whole font size, so it is hinted at every size.
void glyph(QPainter& p, const QRectF& box, qreal unitsHigh, const QColor& colour, QPointF shift,
           const Scale& s) {
    QFont font;
    font.setFamilies({"Noto Sans CJK SC", "Noto Sans", "WenQuanYi Zen Hei", "DejaVu Sans"});
    font.setPixelSize(std::max(1, int(std::lround(unitsHigh * s.unit))));
    font.setBold(true);
    p.save();
    p.resetTransform();
    p.setFont(font);
    p.setPen(colour);
    const QRectF device(box.left() * s.unit + shift.x(), box.top() * s.unit + shift.y(),
                        box.width() * s.unit, box.height() * s.unit);
    p.drawText(device, Qt::AlignCenter, QStringLiteral("字"));
    p.restore();
}

// A pencil lying from its tip up to the right, in units along its own axis.
void pencil(QPainter& p, QPointF tip, qreal length, qreal angle, const Scale& s, bool shadow) {
    const qreal w = 5.5;
    p.save();
    p.translate(tip);
    p.rotate(angle);
    if (shadow) {
        p.save();
        p.rotate(-angle);
        p.translate(0.7, 1.0);
        p.rotate(angle);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(10, 40, 90, 70));
        p.drawRoundedRect(QRectF(0, -w / 2, length, w), 1.5, 1.5);
        p.restore();
    }
    const QPen edge = pen(kPencilEdge, s.outline());
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(6, -w / 2);
    point.lineTo(6, w / 2);
    point.closeSubpath();
    p.setPen(edge);
    p.setBrush(kWood);
    p.drawPath(point);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(2.2, -1), QPointF(2.2, 1)}));
    const QRectF body(6, -w / 2, length - 10, w);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, kPencilLight);
    g.setColorAt(1, kPencilBody);
    p.setPen(edge);
    p.setBrush(g);
    p.drawRect(body);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(length - 4, -w / 2, 2, w));
    p.setBrush(QColor(250, 130, 150));
    p.drawRoundedRect(QRectF(length - 2.2, -w / 2, 3, w), 1.2, 1.2);
    p.restore();
}

// At 22 and 24 pixels the pencil is a yellow stroke with a sharpened wooden end.
void pencilStroke(QPainter& p, const Scale& s) {
    const QPointF tip(19.5, 27.5), end(29.5, 15.5);
    const QPointF wood = tip + (end - tip) * 0.25;
    p.setPen(pen(kPencilEdge, 4.2 + 2 * s.outline()));
    p.drawLine(wood, end);
    p.setPen(pen(kPencilBody, 4.2));
    p.drawLine(wood, end);
    p.setPen(pen(kPencilEdge, s.outline()));
    p.setBrush(kWood);
    const QPointF across = QPointF(-(end - tip).y(), (end - tip).x()) * (2.4 / 15.6);
    p.drawPolygon(QPolygonF({tip, wood + across, wood - across}));
    p.setPen(pen(QColor(60, 60, 60), 2.2));
    p.drawPoint(tip + (wood - tip) * 0.15);
}

}  // namespace

void paintAppIcon(QPainter& p, int size) {
    const Scale s{size / 32.0};
    const bool rich = size >= 48;
    p.save();
    p.scale(s.unit, s.unit);
    const QRectF r = tileRect(size, s);
    if (rich) {
        tileShadow(p, r);
    }
    tile(p, r, s, rich);
    if (size <= 16) {
        glyph(p, QRectF(0, 0, 32, 32), 25, Qt::white, {}, s);
    } else if (size <= 24) {
        glyph(p, QRectF(1, 1, 24, 26), 21, Qt::white, {}, s);
        pencilStroke(p, s);
    } else {
        if (rich) {
            glyph(p, QRectF(3, 3, 22, 24), 20, QColor(10, 40, 100, 90),
                  QPointF(s.unit * 0.5, s.unit * 0.7), s);
        }
        glyph(p, QRectF(3, 3, 22, 24), 20, Qt::white, {}, s);
        pencil(p, QPointF(17, 24), 17, -50, s, rich);
    }
    p.restore();
}
