#include "text_outline.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPointF>

#include "platform/flash/swfwrite/shape_builder.h"

namespace app_movies {

namespace {

using pencora::swfwrite::ShapeBuilder;

constexpr double kTwips = 20.0;

int32_t twips(double pixels) {
    return static_cast<int32_t>(std::lround(pixels * kTwips));
}

// A cubic arc as two quadratic ones, split at its middle; close enough at these sizes.
void cubicTo(ShapeBuilder& b, QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
    const QPointF a = (p0 + p1) / 2, m = (p1 + p2) / 2, c = (p2 + p3) / 2;
    const QPointF ab = (a + m) / 2, bc = (m + c) / 2, mid = (ab + bc) / 2;
    const auto half = [&](QPointF q0, QPointF q1, QPointF q2, QPointF q3) {
        const QPointF control = (3 * (q1 + q2) - q0 - q3) / 4;
        b.curveTo(twips(control.x()), twips(control.y()), twips(q3.x()), twips(q3.y()));
    };
    half(p0, a, ab, mid);
    half(mid, bc, c, p3);
}

}  // namespace

pencora::swf::Shape textShape(const QString& text, const QString& family, int pixelSize, bool bold,
                              double centreX, double baseline, pencora::swf::Rgba color) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    QPainterPath path;
    path.addText(centreX - width / 2, baseline, font, text);

    ShapeBuilder b;
    b.fill1(b.addFill(pencora::swfwrite::solidFill(color)));
    QPointF pen;
    for (int k = 0; k < path.elementCount(); ++k) {
        const QPainterPath::Element e = path.elementAt(k);
        if (e.type == QPainterPath::MoveToElement) {
            b.moveTo(twips(e.x), twips(e.y));
            pen = e;
        } else if (e.type == QPainterPath::LineToElement) {
            b.lineTo(twips(e.x), twips(e.y));
            pen = e;
        } else if (e.type == QPainterPath::CurveToElement && k + 2 < path.elementCount()) {
            const QPointF c1 = path.elementAt(k), c2 = path.elementAt(k + 1),
                          end = path.elementAt(k + 2);
            cubicTo(b, pen, c1, c2, end);
            pen = end;
            k += 2;
        }
    }
    return b.build();
}

}  // namespace app_movies
